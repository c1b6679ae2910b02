#pragma once
// A browser for headless tests of the windows: it records what the windows
// ask of it and plays the page loads a test scripts.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browserctl/web_browser.h"

namespace browserctl {

class ScriptedWebBrowser : public WebBrowser {
public:
    struct Form {
        std::vector<std::string> fields;
        std::map<std::string, std::string> values;
        int submits = 0;
        // What submission() tells; an empty action is "<url>result".
        std::string method = "GET";
        std::string action;
    };

    void Navigate(const std::string& url) override;
    void GoBack() override;
    void GoForward() override;
    void Refresh2() override;
    std::string LocationURL() override { return url; }
    std::string LocationName() override { return title; }
    int LocationStatus() override { return status; }
    std::string loadError() override { return error; }
    Lifecycle lifecycle() const override { return lifecycleState; }
    void setLifecycle(Lifecycle state) override { lifecycleState = state; }
    std::unique_ptr<HtmlDocument> Document() override;
    void navigateSubmission(const FormSubmission& submission) override;
    void watchSettle(int quietMs, const std::string& selector) override;
    void setFreshLoads(bool fresh) override { freshLoads = fresh; }

    // Plays a load: the before-navigate event, then the document-complete
    // events of the given frames and, last, of the page itself.
    // The page's HTTP status and body text come with it. It ends a settle
    // watch of the page before.
    void load(const std::string& address, const std::string& pageTitle, const std::vector<std::string>& frames = {},
              int httpStatus = 200, const std::string& bodyText = {});
    // Plays a load that got no reply: the events, status 0, the reason in
    // loadError(), and the browser's error page as the document.
    void fail(const std::string& address, const std::string& reason);
    // Plays a navigation that became a download: the before-navigate
    // event and PageFailed; the page stays what it was.
    void download(const std::string& address);
    // Plays the end of the page's process: PageFailed, and document calls
    // fail until the next load.
    void crash();
    // Plays a page dialog under the browser's policy; returns the answer
    // (a prompt's text in value).
    bool dialog(PageDialogKind kind, const std::string& text, std::string& value);
    // Raises the DocumentSettled a watch waits for; false when none waits.
    bool settle();

    // What Navigate does: by default nothing but the record (the test
    // completes loads itself); with completeAtOnce every navigation loads
    // at once with the title "Title of <url>".
    bool completeAtOnce = false;
    // With settleAtOnce a watch on a loaded page settles at once.
    bool settleAtOnce = false;
    std::function<void(ScriptedWebBrowser&, const std::string& url)> onNavigate;
    // What submitting a form does: by default, with completeAtOnce, the
    // result page "<url>result?<field>=<value>" loads at once.
    std::function<void(ScriptedWebBrowser&, const std::string& formName, Form& form)> onSubmit;

    // The document: present once a page was loaded with forms (or set by
    // the test); forms by name or id.
    bool hasDocument = false;
    std::map<std::string, Form> forms;
    // The form searchForm finds when formName names none of `forms` (a key
    // of `forms`; empty: the page has no search form), and how it is
    // described.
    std::string foundForm;
    std::string foundFormDescription;
    // What Document()->links(selector) answers: the page's links, or, when
    // set, what linksFor gives for the address and the selector.
    std::vector<PageLink> pageLinks;
    std::function<std::vector<PageLink>(const std::string& url, const std::string& selector)> linksFor;
    std::vector<std::string> linkSelectors; // the selectors asked for
    // What resultLinks("") answers (with a selector it answers as links).
    std::vector<PageLink> resultList;
    // What blockCheckText reads: pageText, and this widget.
    std::string humanCheck;

    std::string url;
    std::string title;
    int status = 200;
    std::string error;
    bool processEnded = false;
    // The title and body text Document()->text() gives.
    std::string pageText;
    Lifecycle lifecycleState = Lifecycle::Active;
    bool freshLoads = false;
    std::vector<std::string> navigations;
    std::vector<FormSubmission> submissions; // what navigateSubmission sent
    std::vector<std::string> calls;          // "GoBack", "GoForward", "Refresh2"
    struct SettleWatch {
        int quietMs = 0;
        std::string selector;
    };
    std::optional<SettleWatch> settleWatch;

private:
    void play(const std::string& address, const std::string& pageTitle, const std::vector<std::string>& frames,
              int httpStatus, const std::string& bodyText, const std::string& reason);
};

} // namespace browserctl
