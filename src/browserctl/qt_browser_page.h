#pragma once
// The engine's page of a QtWebBrowser: it hands what the engine asks or
// tells (navigations, console reports of the page scripts, the page's
// dialogs) to its browser.

#include "ui/qt_keywords.h"

#include <QWebEnginePage>

namespace browserctl {
class QtWebBrowser;
}

namespace browserctl::detail {

class BrowserPage final : public QWebEnginePage {
public:
    BrowserPage(QWebEngineProfile* profile, QObject* parent, QtWebBrowser* owner);

    // The browser is going away; later calls from the engine go nowhere.
    void detach() { owner_ = nullptr; }
    QtWebBrowser* owner() const { return owner_; }

    // Whether the top document's own requests skip the HTTP cache.
    void setFreshLoads(bool fresh);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                  const QString& source) override;
    // The page's dialogs never reach the engine's own boxes: the browser
    // answers them under its policy.
    void javaScriptAlert(const QUrl& securityOrigin, const QString& text) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& text) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& text, const QString& proposal,
                          QString* result) override;

private:
    QtWebBrowser* owner_;
};

} // namespace browserctl::detail
