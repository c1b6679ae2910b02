#include "browserctl/qt_web_browser.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>
#include <QQuickWindow>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <chrono>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "browserctl/qt_browser_graphics.h"
#include "browserctl/qt_browser_page.h"
#include "browserctl/qt_document.h"
#include "browserctl/qt_page_scripts.h"
#include "framework/application.h"

namespace browserctl {

namespace {

std::chrono::milliseconds callTimeout{5000};

const char* const kDownloadError = "the page is a download";

// Numbers of settle watches and navigations, one counter each for all
// browsers.
long long lastSettleToken = 0;
long long lastNavigation = 0;

// The live browsers, for downloads the engine does not tie to a page.
std::vector<QtWebBrowser*>& liveBrowsers()
{
    static std::vector<QtWebBrowser*> browsers;
    return browsers;
}

std::string addressText(const QUrl& url)
{
    return url.toString(QUrl::FullyEncoded).toStdString();
}

Lifecycle fromEngine(QWebEnginePage::LifecycleState state)
{
    switch (state) {
    case QWebEnginePage::LifecycleState::Frozen:
        return Lifecycle::Frozen;
    case QWebEnginePage::LifecycleState::Discarded:
        return Lifecycle::Discarded;
    case QWebEnginePage::LifecycleState::Active:
        break;
    }
    return Lifecycle::Active;
}

QWebEnginePage::LifecycleState toEngine(Lifecycle state)
{
    switch (state) {
    case Lifecycle::Frozen:
        return QWebEnginePage::LifecycleState::Frozen;
    case Lifecycle::Discarded:
        return QWebEnginePage::LifecycleState::Discarded;
    case Lifecycle::Active:
        break;
    }
    return QWebEnginePage::LifecycleState::Active;
}

// The engine's side of a page in this process allocates with the C
// library's malloc, which keeps what a discarded page freed in its arenas
// for later use; a discard is meant to give the memory back. The engine
// frees a page's parts over a few seconds, so the heap is trimmed a while
// after the last discard, at most once per interval.
constexpr auto kTrimDelay = std::chrono::seconds(5);
bool trimPending = false;
std::chrono::steady_clock::time_point lastDiscard;

void scheduleTrim()
{
    if (trimPending || !QCoreApplication::instance())
        return;
    trimPending = true;
    QTimer::singleShot(kTrimDelay, QCoreApplication::instance(), [] {
        trimPending = false;
#if defined(__GLIBC__)
        ::malloc_trim(0);
#endif
        // A page discarded meanwhile may not have been freed yet.
        if (std::chrono::steady_clock::now() - lastDiscard < kTrimDelay)
            scheduleTrim();
    });
}

void trimHeapLater()
{
    lastDiscard = std::chrono::steady_clock::now();
    scheduleTrim();
}

// Chromium's network error numbers (net/base/net_error_list.h) as the
// reasons a run records.
std::string networkErrorText(int code, const QString& engineText)
{
    switch (code) {
    case -2:
        return "failed";
    case -3:
        return "aborted";
    case -6:
        return "file not found";
    case -7:
    case -118:
        return "timed out";
    case -10:
        return "access denied";
    case -20:
    case -27:
        return "blocked";
    case -21:
        return "the network changed";
    case -100:
        return "connection closed";
    case -101:
        return "connection reset";
    case -102:
        return "connection refused";
    case -104:
        return "connection failed";
    case -105:
    case -137:
        return "name not resolved";
    case -106:
        return "no network";
    case -107:
    case -113:
        return "secure connection failed";
    case -109:
        return "address unreachable";
    case -130:
    case -131:
        return "proxy connection failed";
    case -300:
        return "invalid address";
    case -301:
    case -302:
        return "address scheme not allowed";
    case -310:
        return "too many redirects";
    case -312:
        return "port not allowed";
    case -320:
        return "invalid reply";
    case -324:
        return "empty reply";
    default:
        break;
    }
    return "load failed (" + engineText.toStdString() + ")";
}

std::string loadErrorText(const QWebEngineLoadingInfo& info)
{
    switch (info.errorDomain()) {
    case QWebEngineLoadingInfo::NoErrorDomain:
    case QWebEngineLoadingInfo::HttpStatusCodeDomain:
        return {};
    case QWebEngineLoadingInfo::CertificateErrorDomain:
        return "certificate refused";
    default:
        break;
    }
    return networkErrorText(info.errorCode(), info.errorString());
}

// Field text in the form's encoding. A character the encoding cannot hold
// is sent as a numeric character reference, as browsers do.
QByteArray encodeIn(QStringEncoder& encoder, const QString& text)
{
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    bytes.clear();
    for (const char32_t c : text.toUcs4()) {
        QStringEncoder single(encoder.name());
        const QString character = QString::fromUcs4(&c, 1);
        const QByteArray encoded = single.encode(character);
        bytes += single.hasError() ? QByteArray("&#") + QByteArray::number(quint32(c)) + ';' : encoded;
    }
    return bytes;
}

QByteArray urlEncoded(const QByteArray& bytes)
{
    QByteArray out = bytes.toPercentEncoding(QByteArrayLiteral("*-._ "));
    out.replace(' ', '+');
    return out;
}

// The request a form submission makes, in the form's encoding.
QWebEngineHttpRequest submissionRequest(const FormSubmission& submission)
{
    QStringEncoder encoder(submission.charset.c_str());
    if (!encoder.isValid())
        encoder = QStringEncoder(QStringEncoder::Utf8);
    std::vector<std::pair<QByteArray, QByteArray>> fields;
    for (const auto& [name, value] : submission.fields)
        fields.emplace_back(encodeIn(encoder, QString::fromStdString(name)),
                            encodeIn(encoder, QString::fromStdString(value)));

    QByteArray body;
    QByteArray contentType = "application/x-www-form-urlencoded";
    if (submission.method == "POST" && submission.enctype == "multipart/form-data") {
        const QByteArray boundary =
            "----vantrel" + QByteArray::number(QRandomGenerator::global()->generate64(), 16).rightJustified(16, '0');
        contentType = "multipart/form-data; boundary=" + boundary;
        for (const auto& [name, value] : fields) {
            QByteArray quoted = name;
            quoted.replace("\"", "%22").replace("\r", "%0D").replace("\n", "%0A");
            body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + quoted + "\"\r\n\r\n" + value +
                    "\r\n";
        }
        body += "--" + boundary + "--\r\n";
    } else if (submission.method == "POST" && submission.enctype == "text/plain") {
        contentType = "text/plain";
        for (const auto& [name, value] : fields)
            body += name + '=' + value + "\r\n";
    } else {
        for (const auto& [name, value] : fields)
            body += (body.isEmpty() ? "" : "&") + urlEncoded(name) + '=' + urlEncoded(value);
    }

    QUrl action(QString::fromStdString(submission.action));
    if (submission.method != "POST") {
        action.setQuery(QString::fromLatin1(body), QUrl::StrictMode);
        return QWebEngineHttpRequest(action);
    }
    QWebEngineHttpRequest request(action, QWebEngineHttpRequest::Post);
    request.setHeader(QByteArrayLiteral("Content-Type"), contentType);
    request.setPostData(body);
    return request;
}

} // namespace

// ---------------------------------------------------------------------------

QtWebBrowser::QtWebBrowser() : context_(std::make_unique<QObject>()), alive_(std::make_shared<bool>(true))
{
    view_ = new QWebEngineView;
    // All tabs share one profile: one network context and cookie jar (and,
    // with --process-per-site, one renderer per site).
    page_ = new detail::BrowserPage(browserProfile(), view_, this);
    // 51 tabs load at once; none of them may take the keyboard focus away
    // from the window the user works in.
    page_->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    page_->scripts().insert(detail::documentStartScript());
    page_->scripts().insert(detail::requestCounterScript());
    view_->setPage(page_);
    liveBrowsers().push_back(this);

    QObject::connect(page_, &QWebEnginePage::loadingChanged, context_.get(),
                     [this](const QWebEngineLoadingInfo& info) { loadingChanged(info); });
    QObject::connect(page_, &QWebEnginePage::lifecycleStateChanged, context_.get(),
                     [this](QWebEnginePage::LifecycleState state) { lifecycleChanged(fromEngine(state)); });
    QObject::connect(page_, &QWebEnginePage::renderProcessTerminated, context_.get(),
                     [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                         processEnded(int(status), exitCode);
                     });
    QObject::connect(page_, &QWebEnginePage::visibleChanged, context_.get(), [this](bool visible) {
        // A page the user looks at matters again; one that went out of
        // sight may now take the state it was asked for. Out of the
        // engine's call first.
        if (visible)
            wish_ = Lifecycle::Active;
        else if (wish_ != Lifecycle::Active)
            QMetaObject::invokeMethod(
                context_.get(), [this] { applyWish(); }, Qt::QueuedConnection);
    });
}

QtWebBrowser::~QtWebBrowser()
{
    *alive_ = false;
    std::erase(liveBrowsers(), this);
    if (page_)
        page_->detach();
    context_.reset();
    delete view_.data();
}

QWidget* QtWebBrowser::widget() const
{
    return view_.data();
}

QWebEnginePage* QtWebBrowser::page() const
{
    return page_.data();
}

void QtWebBrowser::loadingChanged(const QWebEngineLoadingInfo& info)
{
    // Discarding ends a running load: no page came, and the page keeps
    // what it showed.
    if (phase_ == Phase::Discarding || phase_ == Phase::Discarded)
        return;
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        if (phase_ == Phase::Idle)
            phase_ = Phase::Loading;
        processGone_ = false;
        document_.error.clear();
        newDocumentForDialogs();
        // The watched document goes; one still waiting for its document
        // watches the one that comes.
        if (settle_.sent)
            settle_ = {};
        return;
    }
    if (loading())
        phase_ = Phase::Idle;
    if (wish_ != Lifecycle::Active)
        QMetaObject::invokeMethod(
            context_.get(), [this] { applyWish(); }, Qt::QueuedConnection);
    if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus) {
        // The page stays what it was; a navigation that turns into a
        // download stops this way (before the download is told, as a
        // rule).
        if (document_.error != kDownloadError)
            document_.error = "aborted";
        return;
    }
    // A failed load still shows a document: the server's error page, or
    // the browser's own when no reply came or it had no body.
    document_.present = true;
    document_.errorPage = info.isErrorPage();
    document_.error = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus ? std::string() : loadErrorText(info);
    if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
        document_.status = 200;
    else if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
        document_.status = info.errorCode();
    else
        document_.status = 0;
    const std::string url = addressText(info.url());
    queue([this, url] { raiseDocumentComplete(url); });
    if (settle_.token != 0 && !settle_.sent)
        sendSettleWatch();
}

void QtWebBrowser::processEnded(int status, int exitCode)
{
    // A discard may end the process that held only this page.
    if (phase_ == Phase::Discarding || phase_ == Phase::Discarded)
        return;
    processGone_ = true;
    settle_ = {};
    std::string reason = "the page's process ended";
    switch (QWebEnginePage::RenderProcessTerminationStatus(status)) {
    case QWebEnginePage::CrashedTerminationStatus:
        reason += " (crashed)";
        break;
    case QWebEnginePage::KilledTerminationStatus:
        reason += " (killed)";
        break;
    case QWebEnginePage::AbnormalTerminationStatus:
        reason += " (exit code " + std::to_string(exitCode) + ")";
        break;
    case QWebEnginePage::NormalTerminationStatus:
        break;
    }
    const std::string url = LocationURL();
    queue([this, failure = PageFailure{url, reason}] { raisePageFailed(failure); });
}

void QtWebBrowser::navigationRequested(const QUrl& url, bool redirect, bool mainFrame)
{
    if (mainFrame) {
        if (!redirect || navigation_.chain.empty())
            navigation_ = {{}, ++lastNavigation, false};
        navigation_.chain.push_back(url);
    }
    queue([this, address = addressText(url)] { raiseBeforeNavigate2(address); });
}

void QtWebBrowser::frameCompleted(const std::string& url)
{
    queue([this, url] { raiseDocumentComplete(url); });
}

void QtWebBrowser::settleReported(const QString& report)
{
    // "<token>:<address>"
    const qsizetype colon = report.indexOf(QLatin1Char(':'));
    bool ok = false;
    const long long token = report.left(colon).toLongLong(&ok);
    if (colon < 0 || !ok || token != settle_.token || !settle_.sent)
        return;
    settle_ = {};
    queue([this, url = report.mid(colon + 1).toStdString()] { raiseDocumentSettled(url); });
}

bool QtWebBrowser::pageDialog(PageDialogKind kind, const QString& text, std::string& value)
{
    return answerPageDialog(kind, text.toStdString(), LocationURL(), value);
}

void QtWebBrowser::reportPageDialog(const PageDialog& dialog)
{
    // Out of the engine's call first.
    queue([this, dialog] { raisePageDialogAnswered(dialog); });
}

QtWebBrowser* QtWebBrowser::forDownload(QWebEngineDownloadRequest& download)
{
    if (auto* page = dynamic_cast<detail::BrowserPage*>(download.page()); page && page->owner())
        return page->owner();
    // The earliest navigation to that address that no download has claimed.
    QtWebBrowser* found = nullptr;
    for (QtWebBrowser* browser : liveBrowsers()) {
        const Navigation& navigation = browser->navigation_;
        if (navigation.claimed ||
            std::find(navigation.chain.begin(), navigation.chain.end(), download.url()) == navigation.chain.end())
            continue;
        if (!found || navigation.serial < found->navigation_.serial)
            found = browser;
    }
    if (found)
        found->navigation_.claimed = true;
    return found;
}

void QtWebBrowser::becameDownload(const std::string& url)
{
    document_.error = kDownloadError;
    queue([this, failure = PageFailure{url, document_.error}] { raisePageFailed(failure); });
}

void QtWebBrowser::Navigate(const std::string& url)
{
    if (!page_)
        return;
    // The engine makes the page active for a load itself.
    wish_ = Lifecycle::Active;
    const QString text = QString::fromUtf8(url.data(), qsizetype(url.size())).trimmed();
    // Like an address bar: "www.example.com" means http, a path means a file.
    const QUrl address = text.isEmpty() ? QUrl(QStringLiteral("about:blank")) : QUrl::fromUserInput(text);
    page_->load(address);
}

void QtWebBrowser::navigateSubmission(const FormSubmission& submission)
{
    if (!page_)
        return;
    wish_ = Lifecycle::Active;
    page_->load(submissionRequest(submission));
}

void QtWebBrowser::GoBack()
{
    if (!page_)
        return;
    // The engine makes a page active for a load, not for a step in its
    // history.
    setLifecycle(Lifecycle::Active);
    page_->triggerAction(QWebEnginePage::Back);
}

void QtWebBrowser::GoForward()
{
    if (!page_)
        return;
    setLifecycle(Lifecycle::Active);
    page_->triggerAction(QWebEnginePage::Forward);
}

void QtWebBrowser::Refresh2()
{
    if (!page_)
        return;
    // The engine's reload makes the page active (a discarded page reloads
    // once, not twice).
    wish_ = Lifecycle::Active;
    page_->triggerAction(QWebEnginePage::Reload);
}

std::string QtWebBrowser::LocationURL()
{
    if (kept())
        return keptUrl_;
    if (!page_ || page_->url().isEmpty())
        return {};
    return addressText(page_->url());
}

std::string QtWebBrowser::LocationName()
{
    // Before the first document the engine names the page after its
    // address; there is no title yet.
    if (!page_ || !document_.present)
        return {};
    if (kept())
        return keptTitle_;
    return page_->title().toStdString();
}

int QtWebBrowser::LocationStatus()
{
    return document_.present ? document_.status : 0;
}

std::string QtWebBrowser::loadError()
{
    return document_.error;
}

std::string QtWebBrowser::errorPageReason() const
{
    if (!document_.errorPage)
        return {};
    return document_.error.empty() ? "HTTP " + std::to_string(document_.status) : document_.error;
}

void QtWebBrowser::setFreshLoads(bool fresh)
{
    if (page_)
        page_->setFreshLoads(fresh);
}

// ---------------------------------------------------------------------------
// Settling

void QtWebBrowser::watchSettle(int quietMs, const std::string& selector)
{
    settle_ = {++lastSettleToken, false, std::max(0, quietMs), selector};
    if (page_ && document_.present && !loading() && !processGone_)
        sendSettleWatch();
}

void QtWebBrowser::sendSettleWatch()
{
    settle_.sent = true;
    // The browser's error page runs no page scripts; it is as settled as
    // it will ever be.
    if (document_.errorPage) {
        settle_ = {};
        queue([this, url = LocationURL()] { raiseDocumentSettled(url); });
        return;
    }
    const QJsonObject arguments{{"token", QString::number(settle_.token)},
                                {"quietMs", settle_.quietMs},
                                {"selector", QString::fromStdString(settle_.selector)},
                                {"staleMs", kSettleStaleMs},
                                {"tag", detail::settleReportTag()}};
    page_->runJavaScript(detail::settleWatchScript() + QLatin1Char('(') +
                             QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact)) +
                             QStringLiteral(");"),
                         QWebEngineScript::ApplicationWorld);
}

// ---------------------------------------------------------------------------
// Lifecycle

bool QtWebBrowser::kept() const
{
    return phase_ == Phase::Frozen || phase_ == Phase::Discarding || phase_ == Phase::Discarded ||
           phase_ == Phase::Reloading;
}

Lifecycle QtWebBrowser::lifecycle() const
{
    return page_ ? fromEngine(page_->lifecycleState()) : Lifecycle::Active;
}

void QtWebBrowser::setLifecycle(Lifecycle state)
{
    if (!page_)
        return;
    wish_ = Lifecycle::Active;
    const Lifecycle current = lifecycle();
    if (state == current)
        return;
    if (state == Lifecycle::Active) {
        page_->setLifecycleState(QWebEnginePage::LifecycleState::Active);
        return;
    }
    // The engine has no way back from discarded but a reload, and a
    // discarded page costs less than a frozen one.
    if (current == Lifecycle::Discarded)
        return;
    // The engine refuses a shown page; a page that loads is still on its
    // way to the state the window expects (a frozen load never completes,
    // a discard loses it).
    if (page_->isVisible() || loading()) {
        wish_ = state;
        return;
    }
    enterState(state);
}

void QtWebBrowser::applyWish()
{
    if (!page_ || wish_ == Lifecycle::Active || page_->isVisible() || loading())
        return;
    const Lifecycle state = wish_;
    wish_ = Lifecycle::Active;
    if (state != lifecycle() && lifecycle() != Lifecycle::Discarded)
        enterState(state);
}

void QtWebBrowser::enterState(Lifecycle state)
{
    const Phase before = phase_;
    if (!kept()) {
        // Read before the engine drops the page.
        keptUrl_ = LocationURL();
        keptTitle_ = LocationName();
    }
    if (state == Lifecycle::Discarded)
        phase_ = Phase::Discarding;
    page_->setLifecycleState(toEngine(state));
    switch (lifecycle()) {
    case Lifecycle::Discarded:
        phase_ = Phase::Discarded;
        trimHeapLater();
        break;
    case Lifecycle::Frozen:
        phase_ = Phase::Frozen;
        break;
    case Lifecycle::Active:
        // The engine refused (a page that never loaded anything).
        phase_ = before == Phase::Reloading ? Phase::Reloading : Phase::Idle;
        break;
    }
}

void QtWebBrowser::lifecycleChanged(Lifecycle state)
{
    switch (state) {
    case Lifecycle::Frozen:
        phase_ = Phase::Frozen;
        break;
    case Lifecycle::Discarded:
        phase_ = Phase::Discarded;
        break;
    case Lifecycle::Active:
        // A discarded page comes back by reloading; until that load ends
        // it has nothing better to tell than what it had.
        if (phase_ == Phase::Discarded || phase_ == Phase::Discarding)
            phase_ = Phase::Reloading;
        else if (phase_ == Phase::Frozen)
            phase_ = Phase::Idle;
        break;
    }
}

void QtWebBrowser::wake(const std::string& call)
{
    setLifecycle(Lifecycle::Active);
    if (phase_ != Phase::Reloading)
        return;
    // Like the answer of a call: the windows paint meanwhile, and the
    // reload's events wait for the handler that made the call.
    const std::shared_ptr<bool> alive = alive_;
    waitForPage(call, [this] { return phase_ != Phase::Reloading; });
    if (!*alive)
        throw DocumentCallError(call + ": the browser was closed");
    if (phase_ == Phase::Reloading)
        throw DocumentCallError(call + ": the page did not reload");
}

void QtWebBrowser::waitForPage(const std::string& call, const std::function<bool()>& done)
{
    if (!framework::Application::exists())
        throw DocumentCallError(call + ": no application to wait in");
    const std::shared_ptr<bool> alive = alive_;
    const auto deadline = std::chrono::steady_clock::now() + callTimeout;
    framework::Application::Wait gate;
    gate.sliceMs = 20;
    // Ends when done, when the browser goes, when the page's process ends,
    // or at the deadline; the caller tells which.
    gate.done = [&] { return !*alive || processGone_ || done() || std::chrono::steady_clock::now() >= deadline; };
    if (!framework::app().wait(gate))
        throw DocumentCallError(call + ": cancelled");
    if (*alive && processGone_)
        throw DocumentCallError(call + ": the page's process ended");
}

// ---------------------------------------------------------------------------
// Document calls

std::unique_ptr<HtmlDocument> QtWebBrowser::Document()
{
    if (page_ && processGone_)
        throw DocumentCallError("Document: the page's process ended");
    if (!page_ || !document_.present)
        throw DocumentCallError("Document: no document is loaded");
    return detail::openDocument(*this, alive_);
}

std::chrono::milliseconds QtWebBrowser::documentCallTimeout()
{
    return callTimeout;
}

void QtWebBrowser::setDocumentCallTimeout(std::chrono::milliseconds timeout)
{
    callTimeout = timeout;
}

std::string QtWebBrowser::runDocumentScript(const std::string& call, const std::string& argumentsJson)
{
    if (!page_)
        throw DocumentCallError(call + ": the browser is closed");
    if (processGone_)
        throw DocumentCallError(call + ": the page's process ended");
    // A frozen page runs no script, and a discarded one has no document.
    wake(call);
    if (!page_)
        throw DocumentCallError(call + ": the browser was closed");

    // The answer may come after the wait gave up, or never; the callback
    // only touches this shared record.
    struct Answer {
        bool answered = false;
        QVariant result;
    };
    auto answer = std::make_shared<Answer>();
    const QString script = detail::documentCallsScript() + QLatin1Char('(') +
                           QString::fromUtf8(argumentsJson.data(), qsizetype(argumentsJson.size())) +
                           QStringLiteral(");");
    page_->runJavaScript(script, QWebEngineScript::ApplicationWorld, [answer](const QVariant& result) {
        answer->answered = true;
        answer->result = result;
    });

    const std::shared_ptr<bool> alive = alive_;
    // The answer comes through the event loop. Meanwhile the windows
    // paint, and events of every browser (this one's included) wait until
    // the handler that made the call has ended.
    if (!answer->answered)
        waitForPage(call, [&] { return answer->answered; });
    if (!*alive)
        throw DocumentCallError(call + ": the browser was closed");
    if (!answer->answered)
        throw DocumentCallError(call + ": the page did not answer");
    if (answer->result.typeId() != QMetaType::QString)
        throw DocumentCallError(processGone_ ? call + ": the page's process ended"
                                             : call + ": the page refused the call");
    return answer->result.toString().toStdString();
}

// ---------------------------------------------------------------------------
// Events

void QtWebBrowser::queue(std::function<void()> raise)
{
    pending_.push_back(std::move(raise));
    if (deliveryPosted_ || !context_)
        return;
    deliveryPosted_ = true;
    QMetaObject::invokeMethod(
        context_.get(),
        [this] {
            deliveryPosted_ = false;
            deliverEvents();
        },
        Qt::QueuedConnection);
}

void QtWebBrowser::deliverEvents()
{
    // Out of Chromium's callbacks now; the application decides whether the
    // listeners hear of them at once or after the handler that runs.
    while (!pending_.empty()) {
        const std::function<void()> raise = std::move(pending_.front());
        pending_.pop_front();
        raise();
    }
}

void chooseViewGraphics()
{
    static const bool chosen = [] {
        if (softwareViews())
            QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return true;
    }();
    (void)chosen;
}

std::shared_ptr<WebBrowser> makeQtWebBrowser()
{
    // Before the first view exists, and so before the engine starts: it
    // turns its GPU off by itself for the software renderer.
    chooseViewGraphics();
    return std::make_shared<QtWebBrowser>();
}

QWidget* qtWebBrowserWidget(WebBrowser& browser)
{
    auto* qtBrowser = dynamic_cast<QtWebBrowser*>(&browser);
    return qtBrowser ? qtBrowser->widget() : nullptr;
}

} // namespace browserctl
