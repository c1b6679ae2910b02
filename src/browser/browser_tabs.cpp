#include "browser/browser_tabs.h"

#include "browser/fm_cpp.h"
#include "framework/text_util.h"

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

void BrowserTabs::navigateSubmission(TabRef tab, const browserctl::FormSubmission& submission)
{
    host(tab).browser().navigateSubmission(submission);
}

runs::RunTabs::FormInput BrowserTabs::findSearchForm(browserctl::HtmlDocument& document)
{
    const std::string& formName = window_.FormName;
    const std::string& inputName = window_.InputName;
    FormInput input;
    if (!formName.empty() && !inputName.empty()) {
        // The site's own names, looked up as they always were.
        try {
            inputForm_ = document.form(formName);
            inputField_ = inputForm_->element(inputName);
            input.description = "form \"" + formName + "\", field " + inputName;
        } catch (const browserctl::DocumentCallError&) {
            // The page has no such form or field (any more): the search
            // form is found as a person would find it.
            inputField_.reset();
            inputForm_.reset();
        }
    }
    if (!inputField_) {
        browserctl::SearchForm found = document.searchForm(formName, inputName);
        inputForm_ = std::move(found.form);
        inputField_ = std::move(found.field);
        input.description = found.description;
        input.found = !found.named;
    }
    return input;
}

runs::RunTabs::FormInput BrowserTabs::searchFormOf(TabRef tab)
{
    inputField_.reset();
    inputForm_.reset();
    inputDocument_ = host(tab).browser().Document();
    return findSearchForm(*inputDocument_);
}

runs::RunTabs::FormInput BrowserTabs::fill(TabRef tab, const std::string& text)
{
    // Each call replaces the objects of the previous form input; a failing
    // call ends the input there.
    FormInput input = searchFormOf(tab);
    inputField_->setValue(text);
    // A POST result cannot be reopened by its address: what the form sends
    // is kept instead. Not knowing it costs nothing but that.
    try {
        browserctl::FormSubmission sent = inputForm_->submission();
        if (framework::equalsIgnoringAsciiCase(sent.method, "POST"))
            input.post = std::move(sent);
    } catch (const browserctl::DocumentCallError&) {
    }
    inputForm_->submit();
    return input;
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

std::string BrowserTabs::loadError(TabRef tab)
{
    browserctl::WebBrowser* browser = openedBrowser(tab);
    return browser ? browser->loadError() : "";
}

std::vector<browserctl::PageLink> BrowserTabs::resultLinks(TabRef tab, const std::string& selector)
{
    return host(tab).browser().Document()->resultLinks(selector);
}

browserctl::BlockCheckText BrowserTabs::blockCheckText(TabRef tab, const std::string& selector,
                                                       const std::vector<std::string>& omit, size_t maxBytes)
{
    return host(tab).browser().Document()->blockCheckText(selector, omit, maxBytes);
}

void BrowserTabs::watchSettle(TabRef tab, int quietMs, const std::string& selector)
{
    if (browserctl::WebBrowser* browser = openedBrowser(tab))
        browser->watchSettle(quietMs, selector);
}

void BrowserTabs::setUpForRun(browserctl::WebBrowser& browser, bool run)
{
    browser.setFreshLoads(run);
    browser.setDialogPolicy(run ? browserctl::DialogPolicy::Answer : browserctl::DialogPolicy::Ask);
}

void BrowserTabs::setRunPage(std::optional<int> page)
{
    if (page == runPage_)
        return;
    for (const std::optional<int> changed : {runPage_, page}) {
        if (!changed)
            continue;
        for (int n = 0; n < runs::TabCount; ++n)
            if (browserctl::WebBrowser* browser = openedBrowser({*changed, n}))
                setUpForRun(*browser, changed == page);
    }
    runPage_ = page;
}

void BrowserTabs::browserCreated(TabRef tab)
{
    if (runPage_ == tab.page)
        setUpForRun(host(tab).browser(), true);
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
