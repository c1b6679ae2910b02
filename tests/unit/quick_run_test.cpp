// Quick pacing, politeness, block pages and the tabs' lifecycle, against
// scripted browsers and the manual clock.

#include <gtest/gtest.h>

#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;
using browserctl::Lifecycle;
using browserctl::ScriptedWebBrowser;
using testsupport::writeRaw;

namespace {

const std::string Site = "http://site.example/USA/";

class QuickRunTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        writeRaw(data() / "0Base.INI", "[Begin]\r\nSiteBase=http://127.0.0.1:9/\r\n[Base]\r\nURL=http://site.example/"
                                       "\r\nFormName=cse-search-box\r\nInputName=q\r\n");
        writeRaw(data() / "USA" / "Base.INI",
                 "[Set]\r\nTryTime=20\r\nPacing=Quick\r\nParallel=2\r\nHostInterval=0\r\n");
        onBrowserCreated = [this](ScriptedWebBrowser& b) {
            b.completeAtOnce = completeAtOnce;
            b.settleAtOnce = true;
            b.forms["cse-search-box"].fields = {"q"};
            b.onSubmit = [this](ScriptedWebBrowser& browser, const std::string&, ScriptedWebBrowser::Form& form) {
                const std::string query = form.values["q"];
                submitted.push_back(query + "@" + std::to_string(scripted.clock->tickCount()));
                if (!completeAtOnce)
                    return;
                const bool blocked = query.find("blocked") != std::string::npos && blockPages-- > 0;
                browser.load(Site + "result?q=" + query, blocked ? "Sorry" : "Result: " + query, {}, 200,
                             blocked ? "Our systems have detected unusual traffic. Solve the CAPTCHA." : "");
            };
        };
        start();
    }

    void listRun(const std::vector<std::string>& words)
    {
        FmCtrl->ListSuffix = "Edd1";
        FmCtrl->MemoEdd1.setLines(words);
        FmCpp->PMASListClick();
    }
    bool runFor(int ms, const std::function<bool()>& until)
    {
        for (int t = 0; t < ms; t += 100) {
            scripted.clock->advance(100);
            if (until())
                return true;
        }
        return until();
    }
    runs::RunEngine& run() { return FmCpp->run(); }
    const results::EntryRecord& entry(size_t i) { return FmCpp->run().record().entries.at(i); }
    ScriptedWebBrowser& tab(int n) { return *browser("CppWebBrowser0_" + std::to_string(n)); }
    bool opened(int n) { return browser("CppWebBrowser0_" + std::to_string(n)) != nullptr; }
    int logCount(const std::string& line)
    {
        const auto& lines = FmMemo->MemoLog.lines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }

    bool completeAtOnce = true;
    int blockPages = 1;
    std::vector<std::string> submitted;
};

TEST_F(QuickRunTest, FillsAtTheSearchPagesCompletionAndIsDoneAtTheResults)
{
    completeAtOnce = false;
    listRun({"Tokyo", "Osaka", "Kyoto"});
    EXPECT_EQ(run().record().pacing, runs::Pacing::Quick);
    scripted.clock->advance(100);
    // Two in flight, in list order; nothing typed before a page came.
    EXPECT_EQ(tab(0).navigations, std::vector<std::string>{Site});
    EXPECT_EQ(tab(1).navigations, std::vector<std::string>{Site});
    EXPECT_FALSE(opened(2));
    EXPECT_TRUE(submitted.empty());

    // A frame of the search page is not the page.
    tab(1).load(Site, "Search", {"http://ads.example/frame"});
    EXPECT_EQ(submitted, std::vector<std::string>{"Osaka@100"});
    tab(1).load(Site + "result?q=Osaka", "Result: Osaka");
    EXPECT_EQ(logCount("1=Comp"), 1);
    EXPECT_EQ(entry(1).state, results::EntryState::Done);
    // The freed place goes to the next entry at once.
    EXPECT_EQ(tab(2).navigations, std::vector<std::string>{Site});
    tab(0).load(Site, "Search");
    tab(0).load(Site + "result?q=Tokyo", "Result: Tokyo");
    tab(2).load(Site, "Search");
    tab(2).load(Site + "result?q=Kyoto", "Result: Kyoto");
    EXPECT_FALSE(run().running());
    EXPECT_FALSE(FmCpp->TimerQuick.enabled());
    EXPECT_EQ(results::tally(run().record()).done, 3);
    EXPECT_EQ(logCount("PMPEndClick"), 1);
}

TEST_F(QuickRunTest, AnEntryWhosePagesNeverComeWaitsForTheNextPassAfterTheTryTime)
{
    completeAtOnce = false;
    run().options.maxPasses = 2;
    listRun({"Tokyo"});
    ASSERT_TRUE(runFor(21000, [&] { return tab(0).navigations.size() == 2; }));
    EXPECT_GE(scripted.clock->tickCount(), 20000u);
    tab(0).load(Site, "Search");
    tab(0).load(Site + "result?q=Tokyo", "Result: Tokyo");
    EXPECT_EQ(entry(0).passes, 2);
    EXPECT_EQ(entry(0).state, results::EntryState::Done);
}

TEST_F(QuickRunTest, SearchesOnOneHostKeepTheirIntervalAndA429PausesTheHost)
{
    FmSys->UpDownParallel.setPosition(4);
    FmSys->UpDownHostInterval.setPosition(1000);
    listRun({"a", "b", "c"});
    ASSERT_TRUE(runFor(5000, [&] { return !run().running(); }));
    EXPECT_EQ(submitted, (std::vector<std::string>{"a@100", "b@1100", "c@2100"}));

    // The search page answered 429: nothing goes to the site for 30 s.
    submitted.clear();
    completeAtOnce = false;
    tab(0).completeAtOnce = false;
    tab(1).completeAtOnce = false;
    FmSys->UpDownHostInterval.setPosition(0);
    FmCpp->pagesOf(0).setActivePageIndex(0);
    FmCpp->ActionPageNum();
    listRun({"d", "e"});
    scripted.clock->advance(100);
    const uint64_t paused = scripted.clock->tickCount();
    tab(0).load(Site, "Too many requests", {}, 429);
    tab(1).load(Site, "Search");
    runFor(29000, [] { return false; });
    EXPECT_TRUE(submitted.empty());
    EXPECT_EQ(tab(0).navigations.size(), 2u);
    ASSERT_TRUE(runFor(2000, [&] { return tab(0).navigations.size() == 3; }));
    EXPECT_GE(scripted.clock->tickCount() - paused, 30000u);
    EXPECT_EQ(submitted.size(), 1u); // e, ready meanwhile, goes first
}

TEST_F(QuickRunTest, ABlockPagePausesTheRunAndResumeGoesOnFromThatEntry)
{
    FmSys->UpDownParallel.setPosition(1);
    listRun({"a", "blocked", "c"});
    ASSERT_TRUE(runFor(2000, [&] { return run().paused(); }));
    EXPECT_EQ(run().blockedEntry(), 1);
    EXPECT_EQ(entry(1).state, results::EntryState::Blocked);
    EXPECT_EQ(FmSys->LabelRunState.caption(), "blocked: 2 the page says \"captcha\"");
    EXPECT_TRUE(FmSys->BitBtnResume.enabled());
    EXPECT_EQ(FmCpp->PageControlMain.activePageIndex(), 0);
    EXPECT_EQ(FmCpp->pagesOf(0).activePageIndex(), 1); // its tab is shown
    // The run waits: the next entry, started as the block page completed
    // (its block words were read once it settled), searches nothing.
    runFor(5000, [] { return false; });
    EXPECT_EQ(submitted.size(), 2u);

    // The user solves it in the tab; Resume takes that page as the result.
    tab(1).load(Site + "result?q=blocked", "Result: blocked");
    FmSys->BitBtnResumeClick();
    ASSERT_TRUE(runFor(2000, [&] { return !run().running(); }));
    EXPECT_EQ(results::tally(run().record()).done, 3);
    EXPECT_FALSE(FmSys->BitBtnResume.enabled());
}

TEST_F(QuickRunTest, TheSeedPacingChecksForBlocksToo)
{
    FmSys->ComboBoxPacing.setText("Seed");
    listRun({"blocked"});
    for (int i = 0; i < 30 && !run().paused(); ++i)
        scripted.clock->advance(1000);
    ASSERT_TRUE(run().paused());
    EXPECT_FALSE(FmCpp->Timer1.enabled());
    EXPECT_EQ(entry(0).state, results::EntryState::Blocked);
    // Not solved: Resume runs the entry again, and this time it comes.
    FmCpp->PMACResumeClick();
    for (int i = 0; i < 60 && run().running(); ++i)
        scripted.clock->advance(1000);
    EXPECT_EQ(entry(0).state, results::EntryState::Done);
    EXPECT_EQ(entry(0).passes, 2);
}

TEST_F(QuickRunTest, FinishedTabsRestAndADiscardedTabKeepsItsCaptionAndPassesTheOpenCheck)
{
    FmSys->UpDownParallel.setPosition(4);
    FmSys->UpDownLiveTabs.setPosition(3);
    std::vector<std::string> words;
    for (int i = 0; i < 8; ++i)
        words.push_back("w" + std::to_string(i));
    listRun(words);
    ASSERT_TRUE(runFor(5000, [&] { return !run().running(); }));
    EXPECT_EQ(results::tally(run().record()).done, 8);
    int discarded = 0;
    int frozen = 0;
    for (int i = 0; i < 8; ++i) {
        const Lifecycle state = tab(i).lifecycle();
        discarded += state == Lifecycle::Discarded;
        frozen += state == Lifecycle::Frozen;
        EXPECT_EQ(FmCpp->tabSheet(0, i).caption(), words[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(discarded, 5);
    EXPECT_EQ(frozen, 2);
    EXPECT_EQ(tab(FmCpp->CurrentTab).lifecycle(), Lifecycle::Active);
    // One pass was enough: the discarded tabs passed the open check.
    EXPECT_EQ(run().passCount(), 1);
    // Showing a discarded tab wakes it.
    FmCpp->pagesOf(0).setActivePageIndex(0);
    FmCpp->PageControlMCPP0Change();
    EXPECT_EQ(tab(0).lifecycle(), Lifecycle::Active);
}

} // namespace
