#include "browser/browser_tabs.h"

#include "browser/fm_cpp.h"

using namespace framework;
using runs::TabRef;

namespace {

// The place of a control that sits on a tab sheet of the pool: the sheet's
// index on its page control, and that control's outer page.
std::optional<TabRef> placeOf(const Control* onSheet)
{
    const auto* sheet = dynamic_cast<const TabSheet*>(onSheet);
    const PageControl* pages = sheet ? sheet->pageControl() : nullptr;
    const auto* outer = pages ? dynamic_cast<const TabSheet*>(pages->parent()) : nullptr;
    if (!outer)
        return std::nullopt;
    return TabRef{outer->pageIndex(), sheet->pageIndex()};
}

size_t indexOf(TabRef tab)
{
    return static_cast<size_t>(tab.page * runs::TabCount + tab.tab);
}

} // namespace

WebBrowserHost& BrowserTabs::host(TabRef tab)
{
    WebBrowserHost*& found = hosts_.at(indexOf(tab));
    if (!found)
        found = &window_.browserHost(tab.page, tab.tab);
    return *found;
}

TabSheet& BrowserTabs::sheet(TabRef tab)
{
    TabSheet*& found = sheets_.at(indexOf(tab));
    if (!found)
        found = &window_.tabSheet(tab.page, tab.tab);
    return *found;
}

std::optional<TabRef> BrowserTabs::activeBrowser()
{
    return window_.ActiveBrowser ? placeOf(window_.ActiveBrowser->parent()) : std::nullopt;
}

void BrowserTabs::setActiveBrowser(TabRef tab)
{
    window_.ActiveBrowser = &host(tab);
}

std::optional<TabRef> BrowserTabs::activeSheet()
{
    return placeOf(window_.ActiveTab);
}

void BrowserTabs::setActiveSheet(TabRef tab)
{
    window_.ActiveTab = &sheet(tab);
}

void BrowserTabs::show(TabRef tab)
{
    window_.pagesOf(tab.page).setActivePage(&sheet(tab));
}

void BrowserTabs::bringUp(TabRef tab)
{
    TFmCpp& w = window_;
    if (w.PageControlMain.activePageIndex() != tab.page) {
        w.PageControlMain.setActivePageIndex(tab.page);
        w.PageControlMainChange();
    }
    w.pagesOf(tab.page).setActivePageIndex(tab.tab);
    w.ActionPageNum();
    w.show();
    w.bringToFront();
}

std::string BrowserTabs::caption(TabRef tab)
{
    return sheet(tab).caption();
}

void BrowserTabs::setCaption(TabRef tab, const std::string& text)
{
    sheet(tab).setCaption(text);
}

browserctl::WebBrowser* BrowserTabs::openedBrowser(TabRef tab)
{
    WebBrowserHost& found = host(tab);
    return found.created() ? &found.browser() : nullptr;
}

bool BrowserTabs::opened(TabRef tab)
{
    return openedBrowser(tab) != nullptr;
}

void BrowserTabs::navigate(TabRef tab, const std::string& address)
{
    host(tab).browser().Navigate(address);
}

void BrowserTabs::fill(TabRef tab, const std::string& text)
{
    // Each call replaces the objects of the previous form input; a failing
    // call ends the input there.
    inputField_.reset();
    inputForm_.reset();
    inputDocument_ = host(tab).browser().Document();
    inputForm_ = inputDocument_->form(window_.FormName);
    inputField_ = inputForm_->element(window_.InputName);
    inputField_->setValue(text);
    inputForm_->submit();
}

std::string BrowserTabs::address(TabRef tab)
{
    browserctl::WebBrowser* browser = openedBrowser(tab);
    return browser ? browser->LocationURL() : "";
}

std::string BrowserTabs::title(TabRef tab)
{
    browserctl::WebBrowser* browser = openedBrowser(tab);
    return browser ? browser->LocationName() : "";
}

int BrowserTabs::status(TabRef tab)
{
    browserctl::WebBrowser* browser = openedBrowser(tab);
    return browser ? browser->LocationStatus() : 0;
}

std::vector<browserctl::PageLink> BrowserTabs::links(TabRef tab, const std::string& selector)
{
    return host(tab).browser().Document()->links(selector);
}

std::string BrowserTabs::text(TabRef tab, size_t maxBytes)
{
    return host(tab).browser().Document()->text(maxBytes);
}

browserctl::Lifecycle BrowserTabs::lifecycle(TabRef tab)
{
    browserctl::WebBrowser* browser = openedBrowser(tab);
    return browser ? browser->lifecycle() : browserctl::Lifecycle::Active;
}

void BrowserTabs::setLifecycle(TabRef tab, browserctl::Lifecycle state)
{
    if (browserctl::WebBrowser* browser = openedBrowser(tab))
        browser->setLifecycle(state);
}
