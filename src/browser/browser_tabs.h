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
    void fill(runs::TabRef tab, const std::string& text) override;
    std::string address(runs::TabRef tab) override;
    std::string title(runs::TabRef tab) override;
    int status(runs::TabRef tab) override;
    std::vector<browserctl::PageLink> links(runs::TabRef tab, const std::string& selector) override;
    std::string text(runs::TabRef tab, size_t maxBytes) override;
    browserctl::Lifecycle lifecycle(runs::TabRef tab) override;
    void setLifecycle(runs::TabRef tab, browserctl::Lifecycle state) override;

private:
    // The tab's host and sheet, found by name once: the tabs' rest looks
    // at every tab of the pool after each entry.
    framework::WebBrowserHost& host(runs::TabRef tab);
    framework::TabSheet& sheet(runs::TabRef tab);
    // The opened browser of a tab, or null.
    browserctl::WebBrowser* openedBrowser(runs::TabRef tab);

    TFmCpp& window_;
    std::array<framework::WebBrowserHost*, runs::PageCount * runs::TabCount> hosts_{};
    std::array<framework::TabSheet*, runs::PageCount * runs::TabCount> sheets_{};
    // The objects of the last form input, kept until the next one.
    std::unique_ptr<browserctl::HtmlDocument> inputDocument_;
    std::unique_ptr<browserctl::HtmlForm> inputForm_;
    std::unique_ptr<browserctl::HtmlElement> inputField_;
};
