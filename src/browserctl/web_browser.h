#pragma once
// The embedded browser as the windows use it: navigation, history, the
// current address and title, the loaded document, and its events. Events
// arrive on the user-interface thread; a navigation is never cancelled.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
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

// What submitting a form sends: enough to send it again later (a POST
// result has no address of its own to reopen).
struct FormSubmission {
    std::string method = "GET"; // "GET" or "POST"
    std::string action;         // absolute
    // "application/x-www-form-urlencoded" or "multipart/form-data"
    std::string enctype = "application/x-www-form-urlencoded";
    // The encoding the page sends its forms in ("UTF-8", "Shift_JIS").
    std::string charset = "UTF-8";
    // Name/value pairs in document order, as the browser sends them after
    // the values were set (no submit button: a scripted submit has none).
    std::vector<std::pair<std::string, std::string>> fields;
    bool operator==(const FormSubmission&) const = default;
};
// The fields as application/x-www-form-urlencoded text, in UTF-8.
std::string encodeFormFields(const std::vector<std::pair<std::string, std::string>>& fields);
// Where a GET submission goes: the action with its query replaced by the
// encoded fields (a fragment stays). A POST goes to the action itself.
std::string submissionAddress(const FormSubmission& submission);

// A form of the loaded document.
class HtmlForm {
public:
    virtual ~HtmlForm() = default;
    // The form's element by name ("All" then "NamedItem"); throws
    // DocumentCallError when there is none.
    virtual std::unique_ptr<HtmlElement> element(const std::string& name) = 0;
    // Submits the form; the navigation it starts raises the events.
    virtual void submit() = 0;
    // What submit() would send now.
    virtual FormSubmission submission() = 0;
};

class HtmlElement {
public:
    virtual ~HtmlElement() = default;
    virtual void setValue(const std::string& value) = 0;
};

// The search form of a page and its text field, as searchForm finds them.
struct SearchForm {
    std::unique_ptr<HtmlForm> form;
    std::unique_ptr<HtmlElement> field;
    // For the log: "#dw__search, field q", "form[action=\"/search\"], field s".
    std::string description;
    // The form FormName named, or one found because it named none.
    bool named = false;
};

// What a block check reads on a result page.
struct BlockCheckText {
    // The title and the visible text outside the result list, blanks
    // collapsed, with the given strings taken out.
    std::string text;
    // A human-check widget the page shows ("a reCAPTCHA frame"); empty
    // when there is none.
    std::string humanCheck;
};

// The loaded document.
class HtmlDocument {
public:
    virtual ~HtmlDocument() = default;
    // A form by name or id ("Forms" then "NamedItem"); throws
    // DocumentCallError when there is none.
    virtual std::unique_ptr<HtmlForm> form(const std::string& nameOrId) = 0;
    // The search form as a person would pick it: the form formName names
    // when the page has it and it holds a text field, else the best form
    // with a visible, enabled text or search field (type=search first, then
    // a role=search form or ancestor, the field inputName, the common
    // search names), never a login or comment form. The field is
    // inputName when the form has it, else found the same way. Document
    // order breaks ties. Throws DocumentCallError "no search form found on
    // <address>" when the page has none.
    virtual SearchForm searchForm(const std::string& formName, const std::string& inputName) = 0;
    // The links of the top document in document order (<a href> and <area
    // href>). With a CSS selector, those among the elements it selects and
    // inside them; an invalid selector throws DocumentCallError.
    virtual std::vector<PageLink> links(const std::string& selector) = 0;
    // The page's results. With a selector, what links(selector) gives.
    // Without, the page's main result list found by its structure: the
    // largest group of similar sibling blocks in the main content (not in
    // header, nav, footer, aside or forms) that each lead with a link; the
    // first link of each block, same-host links included. No such group:
    // no links. The browser's own error page throws DocumentCallError, as
    // does a page too large to read in time.
    virtual std::vector<PageLink> resultLinks(const std::string& selector) = 0;
    // The page's title and the text its body shows, blanks collapsed, at
    // most maxBytes of UTF-8 (cut at a character).
    virtual std::string text(std::size_t maxBytes) = 0;
    // What a block check reads: the visible text outside the result list
    // (the one resultLinks(selector) finds) with every occurrence of the
    // strings in `omit` taken out, case-insensitively, at most maxBytes;
    // and the human-check widget the page shows.
    virtual BlockCheckText blockCheckText(const std::string& selector, const std::vector<std::string>& omit,
                                          std::size_t maxBytes) = 0;
};

// How much of a page the engine keeps alive. A frozen page keeps its
// document but runs nothing; a discarded one is dropped from memory and
// reloads when it becomes active again (shown, or its document asked for).
// Its address and title stay readable throughout.
enum class Lifecycle { Active, Frozen, Discarded };

// A page's alert, confirm, prompt or leave-page question.
enum class PageDialogKind { Alert, Confirm, Prompt, LeavePage };
// How a browser answers them. Ask: a box of the window names the page's
// host, unless a handler runs, the program runs unattended or the tab's
// previous dialog came less than kPageDialogSpacingMs before; then, and
// always with Answer, the dialog is answered without a box (an alert
// accepted, a confirm and a prompt cancelled, leaving allowed) and
// reported by PageDialogAnswered.
enum class DialogPolicy { Ask, Answer };
constexpr std::uint64_t kPageDialogSpacingMs = 2000;
// A page dialog answered without a box.
struct PageDialog {
    PageDialogKind kind = PageDialogKind::Alert;
    std::string text;
    std::string address; // the top document's
    bool accepted = false;
};
// "alert", "confirm", "prompt", "leave page"
const char* pageDialogKindName(PageDialogKind kind);

// The page went wrong in a way that raises no DocumentComplete: its
// navigation became a download ("the page is a download"), or its
// renderer process ended ("the page's process ended (killed)").
struct PageFailure {
    std::string address;
    std::string reason;
};

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
    // Why the top document's last load got no reply, or the browser refused
    // it: "connection refused", "name not resolved", "certificate refused",
    // "too many redirects", "timed out", "aborted", "the page is a
    // download", ... Empty when a reply came (whatever its status) and
    // while the load runs.
    virtual std::string loadError() = 0;
    virtual Lifecycle lifecycle() const { return Lifecycle::Active; }
    virtual void setLifecycle(Lifecycle state) {}
    // The loaded document; throws DocumentCallError when there is none yet.
    virtual std::unique_ptr<HtmlDocument> Document() = 0;

    // Sends a form submission again: a GET to its address, a POST with its
    // fields as the body. Raises the events like any navigation.
    virtual void navigateSubmission(const FormSubmission& submission) = 0;

    // Asks for one DocumentSettled: once the top document has completed and
    // then stayed quiet (no change of its content, no request of its
    // scripts pending) for quietMs, or as soon as `selector` (when not
    // empty) matches an element. It watches the current document when it
    // has completed, else the one that completes next; a navigation after
    // that ends the watch without the event, as does another watchSettle.
    // A request pending for kSettleStaleMs without anything else happening
    // no longer counts (a page that polls for ever settles); an invalid
    // selector never matches. The caller bounds the wait.
    virtual void watchSettle(int quietMs, const std::string& selector) = 0;
    static constexpr int kSettleStaleMs = 10000;

    // Whether this browser's own loads skip the HTTP cache (and so never
    // wait behind another tab's load of the same address); the profile's
    // cache stays for the user's browsing. Off unless set.
    virtual void setFreshLoads(bool fresh) = 0;

    DialogPolicy dialogPolicy() const { return dialogPolicy_; }
    void setDialogPolicy(DialogPolicy policy) { dialogPolicy_ = policy; }

    // Before every navigation of the page or one of its frames.
    framework::Signal<const std::string&> BeforeNavigate2;
    // Once per completed frame and once for the top document, with the
    // frame's or the document's address.
    framework::Signal<const std::string&> DocumentComplete;
    // Once per watchSettle, with the document's address.
    framework::Signal<const std::string&> DocumentSettled;
    // A page dialog was answered without a box (at most kMaxDialogReports
    // per document: a page that loops on them is answered in silence).
    framework::Signal<const PageDialog&> PageDialogAnswered;
    static constexpr int kMaxDialogReports = 10;
    // The page became a download or lost its process.
    framework::Signal<const PageFailure&> PageFailed;

protected:
    // Tell the listeners through the application's gate: at once when no
    // handler runs (or the running wait waits for this browser), otherwise
    // after the running handler, in the order the events came. Without an
    // application, at once.
    void raiseBeforeNavigate2(const std::string& url);
    void raiseDocumentComplete(const std::string& url);
    void raiseDocumentSettled(const std::string& url);
    void raisePageDialogAnswered(const PageDialog& dialog);
    void raisePageFailed(const PageFailure& failure);

    // A dialog of the page at `address`, answered under the policy: a box
    // through the application's dialogs, or the answer without one (and
    // the report). Returns whether it was accepted; a prompt's answer in
    // `value`, which holds the page's proposal.
    bool answerPageDialog(PageDialogKind kind, const std::string& text, const std::string& address, std::string& value);
    // Tells a dialog answered without a box; by default at once (through
    // the gate).
    virtual void reportPageDialog(const PageDialog& dialog) { raisePageDialogAnswered(dialog); }
    // A new top document: its dialog reports count anew.
    void newDocumentForDialogs() { dialogReports_ = 0; }

private:
    void deliver(std::function<void()> tell);
    // Held events of a browser that is gone are dropped.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    DialogPolicy dialogPolicy_ = DialogPolicy::Ask;
    bool dialogSeen_ = false;
    std::uint64_t lastDialogTick_ = 0;
    int dialogReports_ = 0;
};

// Clearing the kept browsing data (cookies, logins, cache, visited links)
// of the browsers' shared profile; the Qt side installs how.
void setBrowsingDataClearer(std::function<void()> clearer);
// False when no browser engine is there to clear.
bool clearBrowsingData();

} // namespace browserctl
