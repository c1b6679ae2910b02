#pragma once
// The embedded browser on QtWebEngine.
//
// Events. BeforeNavigate2 comes from QWebEnginePage::acceptNavigationRequest,
// which Chromium asks for the page and for every frame; the answer is always
// yes. DocumentComplete for the top document comes from loadingChanged
// (succeeded, or failed with an error page shown; a load cut short by
// another navigation raises none). Qt reports nothing when a frame finishes,
// so every document gets a small script in the application's own JavaScript
// world (page_scripts/document_start.js) that, in a subframe, writes a
// tagged console message with the frame's address on the frame's window
// "load" event; javaScriptConsoleMessage turns it into DocumentComplete. A
// frame's load event always fires before its parent's, and the message
// travels the same ordered channel as the load report, so frames are
// reported before the page. Frames that never load a document of their own
// (an empty <iframe> staying on about:blank) are not reported.
//
// Every event is queued and delivered from the event loop on the UI thread,
// in the order it happened, so a handler may navigate, and a handler never
// runs inside Navigate() or inside one of the engine's calls. Events reach
// the listeners through Application::deliver, which holds them while a
// handler runs (behind a modal box, or in a document call's wait), unless
// that wait waits for this browser.
//
// Document calls (qt_document.h) run JavaScript in the application world
// (page scripts can neither see nor replace what it uses, such as
// HTMLFormElement's submit) and wait up to documentCallTimeout() for the
// answer in the application's gated wait; a call may come from an event
// handler or a timer tick. A call on a page whose process has ended fails
// at once.
//
// Load errors. A top-document load that got no reply, or that the browser
// refused, leaves its reason in loadError() and status 0; the browser's
// error page it shows is a document, but resultLinks refuses it. A reply
// with an HTTP error status (404, 429, 503, ...) sets LocationStatus to it;
// a reply without a body shows the browser's error page too.
//
// Settle watch. watchSettle sends page_scripts/settle_watch.js to the
// completed top document; it reports with a console message tagged for
// this run and the watch's number, which becomes DocumentSettled. The
// requests of the page's scripts are counted from the document's creation
// by page_scripts/request_counter.js in the page's own world (where fetch
// and XMLHttpRequest live) and the start script, which costs two event
// listeners per document when no watch is armed.
//
// Lifecycle. setLifecycle goes to the engine's page lifecycle states. The
// engine keeps a shown page active, so a wish to freeze or discard a page
// that is shown, or still loading, is kept and carried out once the page is
// hidden and its load has ended; a navigation, a document call or another
// setLifecycle drops it, since then the page matters again. lifecycle()
// always tells the page's real state. A discarded page cannot be frozen; it
// stays discarded. While a page is frozen or discarded, and while a
// discarded page reloads, LocationURL() and LocationName() answer with what
// the page showed when it left the active state (the engine may lose the
// title of a discarded page). Showing the widget makes the page active again
// (the engine does that); so do a load, a step in the history and a
// document call, and a document call on a discarded page waits until its
// reload has completed, within the document call timeout. The reload raises
// the usual events.

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Before any Qt header: framework::Signal::emit and Qt's emit macro.
#include "ui/qt_keywords.h"

#include <QPointer>
#include <QString>
#include <QUrl>

#include "browserctl/qt_browser_profile.h"
#include "browserctl/web_browser.h"

class QObject;
class QWidget;
class QWebEngineView;
class QWebEnginePage;
class QWebEngineDownloadRequest;
class QWebEngineLoadingInfo;

namespace browserctl {

namespace detail {
class BrowserPage;
}

class QtWebBrowser final : public WebBrowser {
public:
    // Needs a QApplication. The view starts hidden and empty.
    QtWebBrowser();
    ~QtWebBrowser() override;
    QtWebBrowser(const QtWebBrowser&) = delete;
    QtWebBrowser& operator=(const QtWebBrowser&) = delete;

    // The browser's widget. The browser owns it; a parent the widget was
    // put into must release it (or be destroyed) before the browser is.
    QWidget* widget() const;
    // The engine's page, for tests that run their own scripts in it.
    QWebEnginePage* page() const;

    void Navigate(const std::string& url) override;
    void GoBack() override;
    void GoForward() override;
    void Refresh2() override;
    std::string LocationURL() override;
    std::string LocationName() override;
    int LocationStatus() override;
    std::string loadError() override;
    Lifecycle lifecycle() const override;
    void setLifecycle(Lifecycle state) override;
    std::unique_ptr<HtmlDocument> Document() override;
    void navigateSubmission(const FormSubmission& submission) override;
    void watchSettle(int quietMs, const std::string& selector) override;
    void setFreshLoads(bool fresh) override;

    // How long a document call waits for the page (5 s unless changed).
    static std::chrono::milliseconds documentCallTimeout();
    static void setDocumentCallTimeout(std::chrono::milliseconds timeout);

    // Runs one document call script and returns its JSON answer as text;
    // used by the document objects. `call` names the call for errors.
    std::string runDocumentScript(const std::string& call, const std::string& argumentsJson);
    // Why the document is the browser's own error page; empty when it is
    // the page's.
    std::string errorPageReason() const;

    // For the engine's page and the profile.
    void navigationRequested(const QUrl& url, bool redirect, bool mainFrame);
    void frameCompleted(const std::string& url);
    void settleReported(const QString& report);
    bool pageDialog(PageDialogKind kind, const QString& text, std::string& value);
    // The browser whose navigation a download comes from (by the engine's
    // page, else by the address the navigation went to), or null.
    static QtWebBrowser* forDownload(QWebEngineDownloadRequest& download);
    // Its navigation became a download.
    void becameDownload(const std::string& url);

protected:
    void reportPageDialog(const PageDialog& dialog) override;

private:
    // Where the page is in its life.
    enum class Phase {
        Idle,       // active, no load of the top document runs
        Loading,    // active, a load of the top document runs
        Frozen,     // the engine's frozen state
        Discarding, // inside the engine's call that discards it
        Discarded,  // dropped from memory by the engine
        Reloading,  // active again after a discard; its load has not ended
    };
    struct TopDocument {
        bool present = false;
        int status = 0;
        std::string error; // loadError()
        bool errorPage = false;
    };
    struct SettleWatch {
        long long token = 0; // 0: none
        bool sent = false;   // to the document it watches
        int quietMs = 0;
        std::string selector;
    };
    struct Navigation {
        std::vector<QUrl> chain; // the address and its redirects
        long long serial = 0;
        bool claimed = false; // by a download
    };

    void loadingChanged(const QWebEngineLoadingInfo& info);
    void processEnded(int status, int exitCode);
    void queue(std::function<void()> raise);
    void deliverEvents();
    bool loading() const { return phase_ == Phase::Loading || phase_ == Phase::Reloading; }
    bool kept() const;
    // The engine's state changed (by our call, or a show or load of its own).
    void lifecycleChanged(Lifecycle state);
    // Carries out a kept wish if the page is now hidden and idle.
    void applyWish();
    void enterState(Lifecycle state);
    // Before a document call: an inactive page becomes active, and a
    // discarded one has reloaded when this returns.
    void wake(const std::string& call);
    // Waits in the gated wait until done() holds, the browser goes, the
    // page's process ends or the call's time-out passes; throws when the
    // wait is cancelled.
    void waitForPage(const std::string& call, const std::function<bool()>& done);
    void sendSettleWatch();

    std::unique_ptr<QObject> context_; // receiver of queued deliveries
    QPointer<QWebEngineView> view_;
    QPointer<detail::BrowserPage> page_;
    std::shared_ptr<bool> alive_;
    std::deque<std::function<void()>> pending_;
    bool deliveryPosted_ = false;
    TopDocument document_;
    bool processGone_ = false;
    Phase phase_ = Phase::Idle;
    // A freeze or discard asked for while the page was shown or loading.
    Lifecycle wish_ = Lifecycle::Active;
    // The address and title the page had when it left the active state;
    // answered while kept().
    std::string keptUrl_;
    std::string keptTitle_;
    SettleWatch settle_;
    Navigation navigation_;
};

// Qt Quick's graphics API for the views (software unless the user named
// another backend), before the first view; once per process.
void chooseViewGraphics();
// For WebBrowserHost::setFactory.
std::shared_ptr<WebBrowser> makeQtWebBrowser();

// The widget of a browser made by makeQtWebBrowser(); null for any other
// kind of browser.
QWidget* qtWebBrowserWidget(WebBrowser& browser);

} // namespace browserctl
