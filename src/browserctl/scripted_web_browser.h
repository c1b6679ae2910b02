#pragma once
// A browser for headless tests of the windows: it records what the windows
// ask of it and plays the page loads a test scripts.

#include <functional>
#include <map>
#include <memory>
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
    };

    void Navigate(const std::string& url) override;
    void GoBack() override;
    void GoForward() override;
    void Refresh2() override;
    std::string LocationURL() override { return url; }
    std::string LocationName() override { return title; }
    int LocationStatus() override { return status; }
    Lifecycle lifecycle() const override { return lifecycleState; }
    void setLifecycle(Lifecycle state) override { lifecycleState = state; }
    std::unique_ptr<HtmlDocument> Document() override;

    // Plays a load: the before-navigate event, then the document-complete
    // events of the given frames and, last, of the page itself.
    // The page's HTTP status and body text come with it.
    void load(const std::string& address, const std::string& pageTitle, const std::vector<std::string>& frames = {},
              int httpStatus = 200, const std::string& bodyText = {});

    // What Navigate does: by default nothing but the record (the test
    // completes loads itself); with completeAtOnce every navigation loads
    // at once with the title "Title of <url>".
    bool completeAtOnce = false;
    std::function<void(ScriptedWebBrowser&, const std::string& url)> onNavigate;
    // What submitting a form does: by default, with completeAtOnce, the
    // result page "<url>result?<field>=<value>" loads at once.
    std::function<void(ScriptedWebBrowser&, const std::string& formName, Form& form)> onSubmit;

    // The document: present once a page was loaded with forms (or set by
    // the test); forms by name or id.
    bool hasDocument = false;
    std::map<std::string, Form> forms;
    // What Document()->links(selector) answers: the page's links, or, when
    // set, what linksFor gives for the address and the selector.
    std::vector<PageLink> pageLinks;
    std::function<std::vector<PageLink>(const std::string& url, const std::string& selector)> linksFor;
    std::vector<std::string> linkSelectors; // the selectors asked for

    std::string url;
    std::string title;
    int status = 200;
    // The title and body text Document()->text() gives.
    std::string pageText;
    Lifecycle lifecycleState = Lifecycle::Active;
    std::vector<std::string> navigations;
    std::vector<std::string> calls; // "GoBack", "GoForward", "Refresh2"
};

} // namespace browserctl
