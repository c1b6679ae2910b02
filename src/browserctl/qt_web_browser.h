#pragma once
// The embedded browser on QtWebEngine.
//
// Events. BeforeNavigate2 comes from QWebEnginePage::acceptNavigationRequest,
// which Chromium asks for the page and for every frame; the answer is always
// yes. DocumentComplete for the top document comes from loadingChanged
// (succeeded, or failed with an error page shown; a load cut short by
// another navigation raises none). Qt reports nothing when a frame finishes,
// so every page gets a small script in the application's own JavaScript
// world that runs in each subframe and, on the frame's window "load" event,
// writes a tagged console message with the frame's address;
// javaScriptConsoleMessage turns it into DocumentComplete. A frame's load
// event always fires before its parent's, and the message travels the same
// ordered channel as the load report, so frames are reported before the
// page. Frames that never load a document of their own (an empty <iframe>
// staying on about:blank) are not reported.
//
// Both events are queued and delivered from the event loop on the UI
// thread, in the order they happened, so a handler may navigate, and a
// handler never runs inside Navigate(). They reach the listeners through
// Application::deliver, which holds them while a handler runs (behind a
// modal box, or in a document call's wait), unless that wait waits for
// this browser.
//
// Document calls run JavaScript in the application world (page scripts can
// neither see nor replace what it uses, such as HTMLFormElement's submit)
// and wait up to documentCallTimeout() for the answer in the application's
// gated wait; a call may come from an event handler or a timer tick. Page
// objects cannot be held across calls, so a form remembers its name or id
// and a field its name, and each call looks them up again, in the same
// document: every document gets an id when Document() is asked for, and a
// call made after the page was replaced fails instead of acting on the new
// page.
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

// Before any Qt header: framework::Signal::emit and Qt's emit macro.
#include "ui/qt_keywords.h"

#include <QPointer>

#include "browserctl/web_browser.h"

class QObject;
class QWidget;
class QWebEngineView;
class QWebEnginePage;
class QWebEngineProfile;

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
    Lifecycle lifecycle() const override;
    void setLifecycle(Lifecycle state) override;
    std::unique_ptr<HtmlDocument> Document() override;

    // How long a document call waits for the page (5 s unless changed).
    static std::chrono::milliseconds documentCallTimeout();
    static void setDocumentCallTimeout(std::chrono::milliseconds timeout);

    // Runs one document call script and returns its JSON answer as text;
    // used by the document objects. `call` names the call for errors.
    std::string runDocumentScript(const std::string& call, const std::string& argumentsJson);

private:
    friend class detail::BrowserPage;
    enum class EventKind { BeforeNavigate, DocumentComplete };
    struct PendingEvent {
        EventKind kind;
        std::string url;
    };

    void queueEvent(EventKind kind, std::string url);
    void scheduleDelivery();
    void deliverEvents();
    // The engine's state changed (by our call, or a show or load of its own).
    void lifecycleChanged(Lifecycle state);
    // Carries out a kept wish if the page is now hidden and idle.
    void applyWantedState();
    void enterState(Lifecycle state);
    // Before a document call: an inactive page becomes active, and a
    // discarded one has reloaded when this returns.
    void wake(const std::string& call);
    // Waits in the gated wait until done() holds, the browser goes or the
    // call's time-out passes; throws when the wait is cancelled.
    void waitForPage(const std::string& call, const std::function<bool()>& done);

    std::unique_ptr<QObject> context_; // receiver of queued deliveries
    QPointer<QWebEngineView> view_;
    QPointer<detail::BrowserPage> page_;
    std::shared_ptr<bool> alive_;
    std::deque<PendingEvent> pending_;
    bool deliveryPosted_ = false;
    bool hasDocument_ = false;
    int status_ = 0;
    bool loading_ = false;
    Lifecycle state_ = Lifecycle::Active;
    // A freeze or discard asked for while the page was shown or loading.
    Lifecycle wanted_ = Lifecycle::Active;
    // The address and title the page had when it left the active state;
    // answered while `kept_`.
    bool kept_ = false;
    std::string keptUrl_;
    std::string keptTitle_;
    // Active again after a discard, and its reload has not ended yet.
    bool reloading_ = false;
    bool discarding_ = false;
};

// For WebBrowserHost::setFactory.
std::shared_ptr<WebBrowser> makeQtWebBrowser();

// The one profile all browsers share. Kept: cookies, logins and site
// settings live in storageFolder and survive a restart, and the HTTP cache
// is on disk, at most cacheBytes. Private: nothing outlives the program.
// Downloads a page starts go to downloadFolder under a name of their own;
// onDownload hears a line for the log when one starts and when it ends.
struct BrowserProfileSettings {
    std::string storageFolder;
    bool privateBrowsing = false;
    long long cacheBytes = 200LL * 1024 * 1024;
    std::string downloadFolder;
    std::function<void(const std::string& line)> onDownload;
};
// Before the first browser; it also installs the browsing-data clearer.
void configureBrowserProfile(BrowserProfileSettings settings);
// Drops the profile once no browser uses it, so the next browser opens it
// anew from its folder (the tests' restart of the program).
void closeBrowserProfile();
QWebEngineProfile* browserProfile();

// The widget of a browser made by makeQtWebBrowser(); null for any other
// kind of browser.
QWidget* qtWebBrowserWidget(WebBrowser& browser);

} // namespace browserctl
