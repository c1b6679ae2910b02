#include "browserctl/qt_browser_page.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QPointer>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

#include "browserctl/qt_page_scripts.h"
#include "browserctl/qt_web_browser.h"

namespace browserctl::detail {

namespace {

// Chromium's HTTP cache lets one request per address write its entry and
// makes every other request for that address wait until it is done; when
// the answer may not be kept (a search page usually says no-store) they go
// one after the other. 51 tabs opening a site's search page at once then
// reach the server one per reply time. A request that asks for a fresh
// answer (Cache-Control: no-cache) bypasses the entry and goes at once, so
// the tabs of a run ask so for their top documents.
class FreshLoads final : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
            info.setHttpHeader(QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-cache"));
    }
};

FreshLoads* freshLoads()
{
    static QPointer<FreshLoads> interceptor;
    if (!interceptor)
        interceptor = new FreshLoads(QCoreApplication::instance());
    return interceptor;
}

// The engine asks a leave-page question as a confirm with this text of its
// own (a page cannot choose that text any more).
bool isLeavePageQuestion(const QString& text)
{
    return text ==
           QCoreApplication::translate(
               "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
}

} // namespace

BrowserPage::BrowserPage(QWebEngineProfile* profile, QObject* parent, QtWebBrowser* owner)
    : QWebEnginePage(profile, parent), owner_(owner)
{
    // Nobody gives credentials here. Unanswered, the engine tries again
    // with none until it gives up ("too many retries"); declined, the page
    // shows the server's 401 reply as it is.
    QObject::connect(this, &QWebEnginePage::authenticationRequired, this,
                     [](const QUrl&, QAuthenticator* authenticator) { *authenticator = QAuthenticator(); });
    QObject::connect(
        this, &QWebEnginePage::proxyAuthenticationRequired, this,
        [](const QUrl&, QAuthenticator* authenticator, const QString&) { *authenticator = QAuthenticator(); });
}

void BrowserPage::setFreshLoads(bool fresh)
{
    setUrlRequestInterceptor(fresh ? freshLoads() : nullptr);
}

bool BrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (owner_)
        owner_->navigationRequested(url, type == NavigationTypeRedirect, isMainFrame);
    return true;
}

void BrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                           const QString& source)
{
    if (message.startsWith(frameReportTag())) {
        if (owner_)
            owner_->frameCompleted(message.mid(frameReportTag().size()).toStdString());
        return;
    }
    if (message.startsWith(settleReportTag())) {
        if (owner_)
            owner_->settleReported(message.mid(settleReportTag().size()));
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
}

void BrowserPage::javaScriptAlert(const QUrl& securityOrigin, const QString& text)
{
    std::string value;
    if (owner_)
        owner_->pageDialog(PageDialogKind::Alert, text, value);
}

bool BrowserPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& text)
{
    std::string value;
    const PageDialogKind kind = isLeavePageQuestion(text) ? PageDialogKind::LeavePage : PageDialogKind::Confirm;
    // Without a browser nobody may stand in the way of leaving.
    return owner_ ? owner_->pageDialog(kind, text, value) : kind == PageDialogKind::LeavePage;
}

bool BrowserPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& text, const QString& proposal,
                                   QString* result)
{
    std::string value = proposal.toStdString();
    if (!owner_ || !owner_->pageDialog(PageDialogKind::Prompt, text, value))
        return false;
    if (result)
        *result = QString::fromStdString(value);
    return true;
}

} // namespace browserctl::detail
