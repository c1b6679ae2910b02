#pragma once
// The tabs as the run engine sees them. The browser window implements this
// over its tab sheets and browser hosts; the engine never reaches a browser
// or a control any other way. A tab's browser comes to life on its first
// navigation, form input or document call; the reads below do not start
// one (an unopened tab has no address, title or status).

#include <optional>
#include <string>
#include <vector>

#include "browser/run_state.h"
#include "browserctl/web_browser.h"

namespace runs {

class RunTabs {
public:
    virtual ~RunTabs() = default;

    // The tab whose browser the commands and the run's steps act on (the
    // window's ActiveBrowser), and the tab sheet the last step selected
    // (ActiveTab); nothing before any was set.
    virtual std::optional<TabRef> activeBrowser() = 0;
    virtual void setActiveBrowser(TabRef tab) = 0;
    virtual std::optional<TabRef> activeSheet() = 0;
    virtual void setActiveSheet(TabRef tab) = 0;
    // The tab shown on its page (the page's active tab sheet).
    virtual void show(TabRef tab) = 0;
    // Shows the tab's page and the tab, and brings the window up.
    virtual void bringUp(TabRef tab) = 0;
    virtual std::string caption(TabRef tab) = 0;
    virtual void setCaption(TabRef tab, const std::string& text) = 0;

    virtual bool opened(TabRef tab) = 0;
    virtual void navigate(TabRef tab, const std::string& address) = 0;
    // Sends a form's submission again (a POST result has no address to
    // reopen).
    virtual void navigateSubmission(TabRef tab, const browserctl::FormSubmission& submission) = 0;

    // What a form input used.
    struct FormInput {
        // For the log: "#dw__search, field q".
        std::string description;
        // Found on the page, not the form the site names.
        bool found = false;
        // What a POST form sent.
        std::optional<browserctl::FormSubmission> post;
    };
    // Types text into the search form of the tab's page and submits it: the
    // form and field the window's FormName and InputName name when the page
    // has them, else the search form found on the page. Throws
    // browserctl::DocumentCallError naming the call that failed.
    virtual FormInput fill(TabRef tab, const std::string& text) = 0;
    // The form and field fill would use on the tab's page, untouched.
    virtual FormInput searchFormOf(TabRef tab) = 0;

    virtual std::string address(TabRef tab) = 0;
    virtual std::string title(TabRef tab) = 0;
    // The HTTP status of the tab's page (0 when unknown), and why its load
    // got no reply (empty when one came).
    virtual int status(TabRef tab) = 0;
    virtual std::string loadError(TabRef tab) = 0;
    // The page's result links (those a CSS selector picks, or its result
    // list), and what a block check reads. Both throw when the document
    // cannot answer.
    virtual std::vector<browserctl::PageLink> resultLinks(TabRef tab, const std::string& selector) = 0;
    virtual browserctl::BlockCheckText blockCheckText(TabRef tab, const std::string& selector,
                                                      const std::vector<std::string>& omit, size_t maxBytes) = 0;
    // Asks the tab's browser for one DocumentSettled of its result page.
    virtual void watchSettle(TabRef tab, int quietMs, const std::string& selector) = 0;
    // The page whose tabs a run uses, or none: the run's tabs load afresh
    // (never behind another tab's load of the same address in the cache)
    // and answer their pages' dialogs without a box. Browsers that come to
    // life later on that page are set up the same way.
    virtual void setRunPage(std::optional<int> page) = 0;

    virtual browserctl::Lifecycle lifecycle(TabRef tab) = 0;
    virtual void setLifecycle(TabRef tab, browserctl::Lifecycle state) = 0;
};

} // namespace runs
