#pragma once
// The embedded browser as the windows use it: navigation, history, the
// current address and title, the loaded document, and two events. Events
// arrive on the user-interface thread; a navigation is never cancelled.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/errors.h"
#include "framework/signal.h"

namespace browserctl {

// A late-bound call into the page document failed; the text names the call
// ("Forms", "NamedItem(\"cse-search-box\")", "All", "NamedItem(\"q\")",
// "Value", "Submit", "Links(\"a.result\")") and why.
class DocumentCallError : public framework::Error {
public:
    using framework::Error::Error;
};

class HtmlElement;

// A link of a page: its address made absolute against the page, and its
// text as the page shows it (blanks collapsed).
struct PageLink {
    std::string address;
    std::string text;
    bool operator==(const PageLink&) const = default;
};

// A form of the loaded document.
class HtmlForm {
public:
    virtual ~HtmlForm() = default;
    // The form's element by name ("All" then "NamedItem"); throws
    // DocumentCallError when there is none.
    virtual std::unique_ptr<HtmlElement> element(const std::string& name) = 0;
    // Submits the form; the navigation it starts raises the events.
    virtual void submit() = 0;
};

class HtmlElement {
public:
    virtual ~HtmlElement() = default;
    virtual void setValue(const std::string& value) = 0;
};

// The loaded document.
class HtmlDocument {
public:
    virtual ~HtmlDocument() = default;
    // A form by name or id ("Forms" then "NamedItem"); throws
    // DocumentCallError when there is none.
    virtual std::unique_ptr<HtmlForm> form(const std::string& nameOrId) = 0;
    // The links of the top document in document order (<a href> and <area
    // href>). With a CSS selector, those among the elements it selects and
    // inside them; an invalid selector throws DocumentCallError.
    virtual std::vector<PageLink> links(const std::string& selector) = 0;
    // The page's title and the text its body shows, blanks collapsed, at
    // most maxBytes of UTF-8 (cut at a character): what a block check reads.
    virtual std::string text(std::size_t maxBytes) = 0;
};

// How much of a page the engine keeps alive. A frozen page keeps its
// document but runs nothing; a discarded one is dropped from memory and
// reloads when it becomes active again (shown, or its document asked for).
// Its address and title stay readable throughout.
enum class Lifecycle { Active, Frozen, Discarded };

class WebBrowser {
public:
    virtual ~WebBrowser();

    virtual void Navigate(const std::string& url) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Refresh2() = 0;
    virtual std::string LocationURL() = 0;
    virtual std::string LocationName() = 0;
    // The HTTP status of the top document's last load (200, 404, 429, ...);
    // 0 when there is none or no reply came (a connection that failed).
    virtual int LocationStatus() = 0;
    virtual Lifecycle lifecycle() const { return Lifecycle::Active; }
    virtual void setLifecycle(Lifecycle state) {}
    // The loaded document; throws DocumentCallError when there is none yet.
    virtual std::unique_ptr<HtmlDocument> Document() = 0;

    // Before every navigation of the page or one of its frames.
    framework::Signal<const std::string&> BeforeNavigate2;
    // Once per completed frame and once for the top document, with the
    // frame's or the document's address.
    framework::Signal<const std::string&> DocumentComplete;

protected:
    // Tell the listeners through the application's gate: at once when no
    // handler runs (or the running wait waits for this browser), otherwise
    // after the running handler, in the order the events came. Without an
    // application, at once.
    void raiseBeforeNavigate2(const std::string& url);
    void raiseDocumentComplete(const std::string& url);

private:
    void raise(bool complete, const std::string& url);
    // Held events of a browser that is gone are dropped.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Clearing the kept browsing data (cookies, logins, cache, visited links)
// of the browsers' shared profile; the Qt side installs how.
void setBrowsingDataClearer(std::function<void()> clearer);
// False when no browser engine is there to clear.
bool clearBrowsingData();

} // namespace browserctl
