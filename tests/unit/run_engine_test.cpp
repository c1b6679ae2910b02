// The run engine's parts that stand on their own: the tabs' rest against a
// fake set of tabs, the site a search goes to, the pacing's texts.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "browser/css_selector.h"
#include "browser/run_state.h"
#include "browser/tab_lifecycle.h"
#include "browser/url_host.h"

using browserctl::Lifecycle;
using runs::TabRef;

namespace {

// Tabs that only know whether they are open and their lifecycle, and log
// every change asked of it.
class FakeTabs final : public runs::RunTabs {
public:
    std::map<int, Lifecycle> open; // page * 51 + tab
    std::vector<std::string> changes;

    void openTabs(int page, std::initializer_list<int> tabs)
    {
        for (int tab : tabs)
            open[page * runs::TabCount + tab] = Lifecycle::Active;
    }
    Lifecycle state(int page, int tab) { return open.at(page * runs::TabCount + tab); }

    bool opened(TabRef t) override { return open.contains(key(t)); }
    Lifecycle lifecycle(TabRef t) override { return open.at(key(t)); }
    void setLifecycle(TabRef t, Lifecycle state) override
    {
        open.at(key(t)) = state;
        const char* names[] = {"active", "frozen", "discarded"};
        changes.push_back(std::to_string(t.page) + "/" + std::to_string(t.tab) + " " + names[static_cast<int>(state)]);
    }

    std::optional<TabRef> activeBrowser() override { return std::nullopt; }
    void setActiveBrowser(TabRef) override {}
    std::optional<TabRef> activeSheet() override { return std::nullopt; }
    void setActiveSheet(TabRef) override {}
    void show(TabRef) override {}
    void bringUp(TabRef) override {}
    std::string caption(TabRef) override { return ""; }
    void setCaption(TabRef, const std::string&) override {}
    void navigate(TabRef, const std::string&) override {}
    void navigateSubmission(TabRef, const browserctl::FormSubmission&) override {}
    FormInput fill(TabRef, const std::string&) override { return {}; }
    FormInput searchFormOf(TabRef) override { return {}; }
    std::string address(TabRef) override { return ""; }
    std::string title(TabRef) override { return ""; }
    int status(TabRef) override { return 0; }
    std::string loadError(TabRef) override { return ""; }
    std::vector<browserctl::PageLink> resultLinks(TabRef, const std::string&) override { return {}; }
    browserctl::BlockCheckText blockCheckText(TabRef, const std::string&, const std::vector<std::string>&,
                                              size_t) override
    {
        return {};
    }
    void watchSettle(TabRef, int, const std::string&) override {}
    void setRunPage(std::optional<int>) override {}

private:
    static int key(TabRef t) { return t.page * runs::TabCount + t.tab; }
};

// Finished tabs that are not shown freeze as they finish; past the live
// limit the ones frozen first are discarded first; the tab the user shows
// wakes and leaves that order. Unopened tabs are never touched (the fake
// throws on them).
TEST(TabLifecycleTest, FinishedTabsFreezeAndTheOldestFrozenAreDiscardedPastTheLimit)
{
    FakeTabs tabs;
    tabs.openTabs(0, {0, 1, 2, 3});
    std::set<int> finished;
    auto isFinished = [&](TabRef t) { return t.page == 0 && finished.contains(t.tab); };
    runs::TabLifecycle lifecycle;
    const TabRef shown{0, 3};

    finished = {2};
    lifecycle.apply(tabs, shown, isFinished, 4);
    EXPECT_EQ(tabs.changes, std::vector<std::string>{"0/2 frozen"});

    // A fifth live tab (on another page) and tab 0 finished: one tab too
    // many, and tab 2 went to rest before tab 0.
    tabs.openTabs(1, {5});
    finished = {0, 2};
    lifecycle.apply(tabs, shown, isFinished, 4);
    EXPECT_EQ(tabs.changes, (std::vector<std::string>{"0/2 frozen", "0/0 frozen", "0/2 discarded"}));

    // The user shows tab 2: it wakes, and the frozen tab 0 makes room.
    tabs.changes.clear();
    lifecycle.apply(tabs, {0, 2}, isFinished, 4);
    EXPECT_EQ(tabs.changes, (std::vector<std::string>{"0/2 active", "0/0 discarded"}));
    EXPECT_EQ(tabs.state(0, 3), Lifecycle::Active);
    EXPECT_EQ(tabs.state(1, 5), Lifecycle::Active);
}

// A Quick run keeps its gap and its pauses per site: host and port, in
// lower case. Whether a link leads away from the search site asks the
// host alone.
TEST(HostTest, TheSiteIsHostAndPortAndTheHostDropsUserPortAndCase)
{
    const runs::Host host = runs::hostOf(" HTTP://User:pw@Example.COM.:8080\\path?q=a/b#x");
    EXPECT_EQ(host.name, "example.com");
    EXPECT_EQ(host.port, "8080");
    EXPECT_EQ(host.site(), "example.com:8080");
    EXPECT_NE(runs::hostOf("http://127.0.0.1:8080/").site(), runs::hostOf("http://127.0.0.1:8081/").site());
    EXPECT_EQ(runs::hostOf("https://Example.com/").site(), "example.com");
    EXPECT_EQ(runs::hostOf("http://[::1]:9/x").name, "[::1]");
    EXPECT_EQ(runs::hostOf("http://[::1]:9/x").port, "9");
    EXPECT_EQ(runs::hostOf("http://[::1/x").site(), "");
    EXPECT_EQ(runs::hostOf("USA/").site(), "");
}

// The settings store "Seed"/"Quick", the command line and the result files
// write "seed"/"quick": one conversion reads both.
TEST(RunStateTest, PacingReadsEitherSpellingAndTheModeTestsOnlySingleAndList)
{
    for (const char* text : {"Quick", "quick", "QUICK"})
        EXPECT_EQ(runs::pacingFromText(text), runs::Pacing::Quick);
    EXPECT_EQ(runs::pacingFromText("seed"), runs::Pacing::Seed);
    EXPECT_EQ(runs::pacingFromText("fast"), std::nullopt);
    // "URLs", "Smpl" and no mode at all are neither Single nor List.
    for (const char* mode : {"URLs", "Smpl", "", "list"})
        EXPECT_EQ(runs::modeOf(mode), runs::Mode::Other);
    EXPECT_EQ(runs::modeOf("List"), runs::Mode::List);
}

// A site is searched by its address when it holds {query}, by its named form
// when it names one, else by the form found on its page. The query goes
// into the address as UTF-8, a blank as %20, at every {query}.
TEST(RunStateTest, SiteKindsAndTheSearchAddress)
{
    using runs::SiteKind;
    EXPECT_EQ(runs::siteKindOf("http://w.example/?search={query}", "f", "q"), SiteKind::SearchAddress);
    EXPECT_EQ(runs::siteKindOf("http://w.example/USA/", "cse-search-box", "q"), SiteKind::NamedForm);
    EXPECT_EQ(runs::siteKindOf("http://w.example/", "", "q"), SiteKind::FoundForm);
    EXPECT_EQ(runs::siteKindOf("http://w.example/", "searchform", ""), SiteKind::FoundForm);
    EXPECT_EQ(runs::searchAddressFor("http://w.example/s?q={query}&again={query}#r", "天気 a+b/c~d_e.f-g&h=i"),
              "http://w.example/s?q=%E5%A4%A9%E6%B0%97%20a%2Bb%2Fc~d_e.f-g%26h%3Di"
              "&again=%E5%A4%A9%E6%B0%97%20a%2Bb%2Fc~d_e.f-g%26h%3Di#r");
    EXPECT_EQ(runs::searchAddressFor("http://w.example/{query", "x"), "http://w.example/{query");
}

// The ResultLinks selector is checked before a run: what the browser's
// selector engine takes passes, the rest is refused with its reason.
TEST(SelectorCheckTest, ValidSelectorsPassAndInvalidOnesSayWhy)
{
    for (const char* valid : {"a",
                              "*",
                              "#results > li a.title",
                              "ul.search li > a",
                              "div, p + a ~ span",
                              "a[href]",
                              "a[href^='http' i]",
                              "a[ data-x |= \"en\" s ]",
                              "svg|a",
                              "*|a",
                              "li:nth-child(2n + 1 of .hit) > a",
                              "li:nth-last-of-type(-n+3)",
                              "a:not(.ad, [rel])",
                              "div:has(> h3) a",
                              "a:is(:unknown-but-forgiven, b)",
                              "p::before",
                              "p:first-line",
                              "a:where()",
                              "a:lang(en, \"ja\")",
                              "div:-webkit-any(a, b)",
                              ".a\\:b",
                              "#\\31 23",
                              "a /* note */ > b",
                              "p.search-summary:not(:empty) + ul.search li > a",
                              "ul.mw-search-results:last-of-type .mw-search-result-heading > a"})
        EXPECT_EQ(runs::selectorProblem(valid), "") << valid;
    const std::pair<const char*, const char*> invalid[] = {
        {"a[href", "unbalanced bracket '['"},
        {"a]", "unbalanced bracket ']'"},
        {"a:not(.x", "unbalanced parenthesis '('"},
        {"a)", "unbalanced parenthesis ')'"},
        {"a[title='x]", "unclosed quote '"},
        {"", "an empty selector"},
        {"a,,b", "an empty selector before ','"},
        {"a >", "nothing after the combinator '>'"},
        {"> a", "nothing before the combinator '>'"},
        {"a:hovr", "unknown pseudo-class :hovr"},
        {"a:matches-nothing(b)", "unknown pseudo-class :matches-nothing()"},
        {"p::befor", "unknown pseudo-element ::befor"},
        {"a[href=]", "an attribute selector without a value"},
        {"a[href='x' q]", "unknown attribute flag 'q'"},
        {"li:nth-child(x)", "a bad An+B argument"},
        {"#", "'#' without an id"},
        {"a.", "'.' without a class name"},
        {"a $b", "unexpected '$' at character 3"},
        {"a /* open", "unclosed comment"},
    };
    for (const auto& [selector, why] : invalid)
        EXPECT_EQ(runs::selectorProblem(selector), why) << selector;
}

} // namespace
