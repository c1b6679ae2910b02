#pragma once
// The browser window's 3 × 51 tabs as the run engine sees them: each tab
// sheet with its browser host, found by the names the window gives them.

#include <array>
#include <memory>

#include "browser/run_tabs.h"

class TFmCpp;

namespace framework {
class TabSheet;
class WebBrowserHost;
} // namespace framework

class BrowserTabs final : public runs::RunTabs {
public:
    explicit BrowserTabs(TFmCpp& window) : window_(window) {}

    std::optional<runs::TabRef> activeBrowser() override;
    void setActiveBrowser(runs::TabRef tab) override;
    std::optional<runs::TabRef> activeSheet() override;
    void setActiveSheet(runs::TabRef tab) override;
    void show(runs::TabRef tab) override;
    void bringUp(runs::TabRef tab) override;
    std::string caption(runs::TabRef tab) override;
    void setCaption(runs::TabRef tab, const std::string& text) override;
    bool opened(runs::TabRef tab) override;
    void navigate(runs::TabRef tab, const std::string& address) override;
    void navigateSubmission(runs::TabRef tab, const browserctl::FormSubmission& submission) override;
    FormInput fill(runs::TabRef tab, const std::string& text) override;
    FormInput searchFormOf(runs::TabRef tab) override;
    std::string address(runs::TabRef tab) override;
    std::string title(runs::TabRef tab) override;
    int status(runs::TabRef tab) override;
    std::string loadError(runs::TabRef tab) override;
    std::vector<browserctl::PageLink> resultLinks(runs::TabRef tab, const std::string& selector) override;
    browserctl::BlockCheckText blockCheckText(runs::TabRef tab, const std::string& selector,
                                              const std::vector<std::string>& omit, size_t maxBytes) override;
    void watchSettle(runs::TabRef tab, int quietMs, const std::string& selector) override;
    void setRunPage(std::optional<int> page) override;
    browserctl::Lifecycle lifecycle(runs::TabRef tab) override;
    void setLifecycle(runs::TabRef tab, browserctl::Lifecycle state) override;

    // A tab's browser came to life: a run's tab is set up as a run's.
    void browserCreated(runs::TabRef tab);

private:
    // The tab's host and sheet, found by name once: the tabs' rest looks
    // at every tab of the pool after each entry.
    framework::WebBrowserHost& host(runs::TabRef tab);
    framework::TabSheet& sheet(runs::TabRef tab);
    // The opened browser of a tab, or null.
    browserctl::WebBrowser* openedBrowser(runs::TabRef tab);
    static void setUpForRun(browserctl::WebBrowser& browser, bool run);
    // The search form of the document, as fill finds it, into the kept
    // objects.
    FormInput findSearchForm(browserctl::HtmlDocument& document);

    TFmCpp& window_;
    std::array<framework::WebBrowserHost*, runs::PageCount * runs::TabCount> hosts_{};
    std::array<framework::TabSheet*, runs::PageCount * runs::TabCount> sheets_{};
    // The objects of the last form input, kept until the next one.
    std::unique_ptr<browserctl::HtmlDocument> inputDocument_;
    std::unique_ptr<browserctl::HtmlForm> inputForm_;
    std::unique_ptr<browserctl::HtmlElement> inputField_;
    std::optional<int> runPage_;
};
