// Access runs against scripted browsers and the manual clock.

#include <gtest/gtest.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;
using browserctl::ScriptedWebBrowser;
using testsupport::writeRaw;

namespace {

const std::string Site = "http://site.example/USA/";

class AccessRunTest : public testsupport::AppFixture {
protected:
    void SetUp() override
    {
        // The operator file fetched at the end of a run goes to a closed
        // loopback port.
        writeRaw(data() / "0Base.INI", "[Begin]\r\nSiteBase=http://127.0.0.1:9/\r\n[Base]\r\nURL=http://site.example/"
                                       "\r\nFormName=cse-search-box\r\nInputName=q\r\n");
        writeRaw(data() / "USA" / "Base.INI", "[Set]\r\nTryTime=20\r\n");
        // By default every page completes at once and the search site has
        // its form; submitting loads the result page.
        onBrowserCreated = [this](ScriptedWebBrowser& b) {
            b.completeAtOnce = completeAtOnce;
            b.settleAtOnce = true;
            b.forms["cse-search-box"].fields = {"q"};
            b.resultList = {{"http://example.org/first", "First"}, {"http://example.net/second", "Second"}};
            b.onSubmit = [this](ScriptedWebBrowser& browser, const std::string&, ScriptedWebBrowser::Form& form) {
                submitted.push_back(form.values["q"]);
                if (form.values["q"].find("never") != std::string::npos)
                    return; // a result page that never comes
                if (resultOnSearchSite)
                    browser.load(Site, "Search site");
                else if (completeAtOnce)
                    browser.load(Site + "result?q=" + form.values["q"], "Result: " + form.values["q"]);
            };
        };
        start();
        FmSys->UpDownTryTime.setPosition(20);
    }

    void listRun(const std::vector<std::string>& words)
    {
        FmCtrl->ListSuffix = "Edd1";
        FmCtrl->MemoEdd1.setLines(words);
        FmCpp->PMASListClick();
    }
    runs::RunEngine& run() { return FmCpp->run(); }
    bool running() { return FmCpp->run().running(); }
    // One timer event of the run.
    void tick() { scripted.clock->advance(1000); }
    int ticksUntil(const std::function<bool()>& condition, int limit = 500)
    {
        for (int n = 1; n <= limit; ++n) {
            tick();
            if (condition())
                return n;
        }
        return -1;
    }
    bool logHas(const std::string& line)
    {
        const auto& lines = FmMemo->MemoLog.lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    bool completeAtOnce = true;
    bool resultOnSearchSite = false;
    std::vector<std::string> submitted;
};

TEST_F(AccessRunTest, BaseSiteComesFromTheSettingsWithTheLanguage)
{
    EXPECT_EQ(FmCpp->PageName, "Base");
    EXPECT_EQ(FmCpp->SiteURL, Site);
    EXPECT_EQ(FmCpp->FormName, "cse-search-box");
    EXPECT_EQ(FmCpp->caption(), "Base : " + Site);
    EXPECT_EQ(FmMain->ComboBoxURL.text(), Site);
}

TEST_F(AccessRunTest, EntryWhosePagesCompleteAtOnceTakesSevenTimerEvents)
{
    FmCpp->EditThemas.setText("Weather ");
    listRun({"Tokyo", "Osaka"});
    EXPECT_TRUE(FmCpp->Timer1.enabled());
    const int events = ticksUntil([] { return FmCpp->ListPos == 1; });
    EXPECT_EQ(events, 7);
    EXPECT_EQ(FmCpp->Tick, 0);
    EXPECT_EQ(submitted, std::vector<std::string>{"Weather Tokyo"});
    EXPECT_TRUE(logHas("0=Comp"));
    EXPECT_EQ(FmCpp->tabSheet(0, 0).caption(), "Tokyo");
    EXPECT_EQ(browser("CppWebBrowser0_0")->navigations.front(), Site);
}

TEST_F(AccessRunTest, LateFramesOfThePreviousTabDoNotMoveTheNextEntry)
{
    listRun({"Tokyo", "Osaka", "Nagoya"});
    ASSERT_EQ(ticksUntil([] { return FmCpp->ListPos == 1; }), 7);
    // Between the entries, before the next tab is selected: the old tab's
    // frame neither marks entry 1 done nor moves its tick, so entry 1 still
    // takes its 7 timer events.
    browser("CppWebBrowser0_0")->DocumentComplete.emit(Site + "ad");
    EXPECT_FALSE(FmCpp->DoneFlags[1]);
    EXPECT_EQ(FmCpp->Tick, 0);
    EXPECT_EQ(ticksUntil([] { return FmCpp->ListPos == 2; }), 7);
    EXPECT_EQ(submitted, (std::vector<std::string>{"Tokyo", "Osaka"}));

    // While entry 2's search site is still loading, a frame of tab 1 does not
    // hurry its form input, but still shows as a navigation event.
    completeAtOnce = false;
    for (int i = 0; i < 4; ++i)
        tick();
    ASSERT_EQ(FmCpp->RunStage, "Navi");
    FmMain->Animate1.play();
    browser("CppWebBrowser0_1")->DocumentComplete.emit(Site + "late");
    EXPECT_EQ(FmCpp->Tick, 4);
    EXPECT_EQ(FmMain->WorkText, Site + "late");
    EXPECT_FALSE(FmMain->Animate1.active());
    EXPECT_EQ(FmSys->LabelCppAccess.caption(), "Comp");
    // Its own page does.
    browser("CppWebBrowser0_2")->load(Site, "Search");
    EXPECT_EQ(FmCpp->Tick, 18);
}

// Every entry of a run gets a record: done with its result page, its
// links and its time; given up after the passes the run may make; left out
// past the last tab. The records fill as the run goes.
TEST_F(AccessRunTest, RunKeepsARecordOfEveryEntry)
{
    FmCpp->pagesOf(0).setActivePageIndex(49);
    FmCpp->ActionPageNum();
    run().options.maxPasses = 2;
    FmCpp->EditThemas.setText("Hot springs ");
    std::vector<std::string> settled;
    run().entrySettled.connect([&](int i) {
        const auto& entry = run().record().entries[static_cast<size_t>(i)];
        settled.push_back(entry.entry + " " + results::stateName(entry.state));
    });
    listRun({"Kusatsu", "never", "Beppu"});
    ASSERT_TRUE(run().hasRecord());
    const auto& record = run().record();
    EXPECT_EQ(record.theme, "Hot springs ");
    EXPECT_EQ(record.site, Site);
    EXPECT_EQ(record.startTab, 49);
    EXPECT_EQ(record.pacing, runs::Pacing::Seed);
    EXPECT_EQ(settled, std::vector<std::string>{"Beppu left out"});
    ASSERT_GT(ticksUntil([&] { return record.entries[0].state == results::EntryState::Done; }), 0);
    EXPECT_EQ(record.entries[1].state, results::EntryState::Waiting);
    ASSERT_GT(ticksUntil([&] { return !running(); }), 0);

    ASSERT_EQ(record.entries.size(), 3u);
    const auto& done = record.entries[0];
    EXPECT_EQ(done.number, 1);
    EXPECT_EQ(done.query, "Hot springs Kusatsu");
    EXPECT_EQ(done.state, results::EntryState::Done);
    EXPECT_EQ(done.finalAddress, Site + "result?q=Hot springs Kusatsu");
    EXPECT_EQ(done.title, "Result: Hot springs Kusatsu");
    EXPECT_EQ(done.passes, 1);
    // Navigated at tick 4; the site completed at once (tick 18), the result
    // page two timer events later.
    EXPECT_DOUBLE_EQ(done.seconds, 2.0);
    EXPECT_EQ(done.links, (std::vector<results::Link>{{"http://example.org/first", "First"},
                                                      {"http://example.net/second", "Second"}}));
    EXPECT_EQ(record.entries[1].state, results::EntryState::GivenUp);
    EXPECT_EQ(record.entries[1].passes, 2);
    EXPECT_TRUE(record.entries[1].links.empty());
    EXPECT_EQ(record.entries[2].state, results::EntryState::LeftOut);
    EXPECT_EQ(record.entries[2].passes, 0);
    EXPECT_EQ(settled, (std::vector<std::string>{"Beppu left out", "Kusatsu done", "never given up"}));
    EXPECT_EQ(FmMemo->StringGridResults.cell(2, 2), "given up");
    EXPECT_TRUE(FmMemo->visible());
    EXPECT_EQ(FmMemo->PageControlMain.activePage(), &FmMemo->TabSheetMResults);
}

TEST_F(AccessRunTest, RunSearchesEveryWordInItsOwnTabAndEndsByItself)
{
    FmCpp->EditThemas.setText("Weather ");
    FmCpp->pagesOf(0).setActivePageIndex(2);
    FmCpp->ActionPageNum();
    listRun({"Tokyo", "Osaka", "Nagoya"});
    EXPECT_EQ(FmCpp->StartTab, 2);
    const int events = ticksUntil([this] { return !running(); });
    ASSERT_GT(events, 0);
    EXPECT_EQ(submitted, (std::vector<std::string>{"Weather Tokyo", "Weather Osaka", "Weather Nagoya"}));
    for (int i = 0; i < 3; ++i) {
        auto* b = browser("CppWebBrowser0_" + std::to_string(2 + i));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->title, "Result: " + submitted[static_cast<size_t>(i)]);
        EXPECT_TRUE(logHas(std::to_string(i) + "=Comp"));
    }
    EXPECT_TRUE(logHas("PMPEndClick"));
    EXPECT_EQ(scripted.sound->beeps, std::vector<BeepKind>{BeepKind::Information});
    EXPECT_TRUE(FmCpp->ComboBoxLike.enabled());
    EXPECT_EQ(FmSys->LabelBginPos.caption(), "2");
}

TEST_F(AccessRunTest, EntryWhosePagesNeverCompleteIsGivenUpAtTwiceTheTryTime)
{
    completeAtOnce = false;
    listRun({"Tokyo", "Osaka"});
    // The form input fails on a page that never loaded; the tick goes on.
    const int events = ticksUntil([] { return FmCpp->ListPos == 1; });
    EXPECT_EQ(events, 40);
    EXPECT_EQ(FmCpp->Tick, 1);
    EXPECT_FALSE(FmCpp->DoneFlags[0]);
    EXPECT_EQ(scripted.dialogs->errors.size(), 1u);
    EXPECT_TRUE(FmCpp->Timer1.enabled());
}

TEST_F(AccessRunTest, ResultOnTheSearchSitesOwnAddressIsRunAgain)
{
    resultOnSearchSite = true;
    listRun({"Tokyo"});
    // The completion counts for the timer ("0=Comp"), but the end of the
    // pass finds the tab still on the search site: a second pass.
    ASSERT_GT(ticksUntil([this] { return logHas("LstNm>=MaxCnt"); }), 0);
    EXPECT_TRUE(logHas("0=Comp"));
    EXPECT_EQ(run().passCount(), 2);
    EXPECT_NE(run().record().entries[0].state, results::EntryState::Done);
    resultOnSearchSite = false;
    ASSERT_GT(ticksUntil([this] { return !running(); }), 0);
    EXPECT_EQ(submitted, (std::vector<std::string>{"Tokyo", "Tokyo"}));
    EXPECT_EQ(run().record().entries[0].state, results::EntryState::Done);
    EXPECT_EQ(run().record().entries[0].passes, 2);
}

TEST_F(AccessRunTest, SingleRunUsesOneTabAndNamesItAfterTheResult)
{
    FmCpp->EditThemas.setText("Weather");
    FmMain->ComboBoxURL.setText("something");
    FmCpp->tabSheet(0, 0).setCaption("old");
    FmCpp->PMASSingleClick();
    tick();
    tick();
    tick();
    EXPECT_EQ(FmMain->ComboBoxURL.text(), "");
    EXPECT_EQ(FmCpp->tabSheet(0, 0).caption(), "");
    ASSERT_GT(ticksUntil([this] { return !running(); }), 0);
    EXPECT_EQ(submitted, std::vector<std::string>{"Weather"});
    EXPECT_EQ(FmCpp->tabSheet(0, 0).caption(), "Result: Weather");
    EXPECT_EQ(browser("CppWebBrowser0_1"), nullptr);
}

TEST_F(AccessRunTest, NameAndAddressEntryNamesTheTabAndFillsTheAddress)
{
    FmCpp->AccessMode = "Single";
    FmCpp->useCurrentBrowser();
    FmMemo->MemoList.setText("Home=http://home.example/");
    FmCpp->ListPos = 0;
    FmCpp->PMPLstClick();
    EXPECT_EQ(FmCpp->tabSheet(0, 0).caption(), "Home");
    EXPECT_EQ(FmMain->ComboBoxURL.text(), "http://home.example/");
    EXPECT_EQ(FmMain->PageControlMain.activePage(), &FmMain->TabSheetMBase);

    FmMemo->MemoList.setText("plain words");
    FmCpp->PMPLstClick();
    EXPECT_EQ(FmCpp->tabSheet(0, 0).caption(), "");
    EXPECT_EQ(FmMain->ComboBoxURL.text(), "");

    FmMemo->MemoList.setText("Mail=someone@example.com");
    const auto record = FmMain->ComboBoxURL.items();
    FmCpp->PMPLstClick();
    EXPECT_EQ(scripted.shell->opened.back(), "mailto:someone@example.com");
    // A mail address is not an address to open in a tab.
    EXPECT_EQ(FmMain->ComboBoxURL.items(), record);
    // Mail programs take the part after "?" as options, attachments too.
    FmMemo->MemoList.setText("Mail=someone@example.com?attach=/home/u/.ssh/id_rsa");
    FmCpp->PMPLstClick();
    EXPECT_EQ(scripted.shell->opened.size(), 1u);
    ASSERT_FALSE(FmMemo->MemoLog.lines().empty());
    EXPECT_NE(FmMemo->MemoLog.lines().back().find("?attach="), std::string::npos);
}

TEST_F(AccessRunTest, TreeDoubleClickOnAnAddressOpensItInTheCurrentTab)
{
    FmCtrl->CurrentNodeText = "Docs=http://docs.example/";
    FmCtrl->TreeViewEdd1DblClick();
    EXPECT_EQ(FmCpp->AccessMode, "Single");
    EXPECT_EQ(FmCpp->tabSheet(0, 0).caption(), "Docs");
    EXPECT_EQ(browser("CppWebBrowser0_0")->navigations.back(), "http://docs.example/");
}

TEST_F(AccessRunTest, LikeBoxIsDisabledDuringARunAndStopEnablesIt)
{
    listRun({"a", "b"});
    EXPECT_FALSE(FmCpp->ComboBoxLike.enabled());
    tick();
    FmCpp->PMACStopClick();
    EXPECT_TRUE(FmCpp->ComboBoxLike.enabled());
    EXPECT_FALSE(FmCpp->Timer1.enabled());
    EXPECT_EQ(FmCpp->ListPos, 0);
}

TEST_F(AccessRunTest, StartingARunOnTheManipulatesPageFoldsItsPanel)
{
    FmCpp->PageControlMain.setActivePage(&FmCpp->TabSheetMManipulates);
    FmCpp->PageControlMainChange();
    EXPECT_EQ(FmCpp->PageName, "Manip");
    EXPECT_EQ(FmCpp->GroupBoxManipulates.width(), 180);
    FmCpp->ToolButtonAccessSeleClick();
    EXPECT_TRUE(FmCpp->ManipFolded);
    EXPECT_EQ(FmCpp->GroupBoxManipulates.width(), 15);
    EXPECT_EQ(FmCpp->GroupBoxManipulates.caption(), "+");
}

// On the Manipulates page the form input replays the operation program;
// its Wait lets the run's own page load and finish the entry, while the
// events of other tabs wait until the tick has ended.
TEST_F(AccessRunTest, AnOperationProgramsWaitDeliversOnlyItsOwnPagesEvents)
{
    FmCpp->PageControlMain.setActivePage(&FmCpp->TabSheetMManipulates);
    FmCpp->PageControlMainChange();
    StringGrid& table = FmCpp->StringGridManip;
    for (int r = 1; r < table.rowCount(); ++r)
        table.setCell(1, r, "0");
    table.setCell(1, 1, "Wait");
    table.setCell(4, 1, "3");
    table.setCell(1, 2, "End");
    browserctl::WebBrowser& other = FmCpp->browserHost(1, 7).browser();
    const std::string otherPage = "http://other.example/late";
    int turns = 0;
    bool doneInsideTheWait = false;
    bool otherHeld = false;
    scripted.pump->onWait = [&] {
        if (++turns != 1)
            return;
        static_cast<ScriptedWebBrowser&>(other).load(otherPage, "Late");
        browser("CppWebBrowser1_0")->load(Site + "result?q=word", "Result: word");
        doneInsideTheWait = run().record().entries[0].state == results::EntryState::Done;
        otherHeld = FmMain->WorkText != otherPage;
    };
    listRun({"word"});
    ASSERT_GT(ticksUntil([&] { return turns > 0; }, 40), 0) << "the program never waited";
    EXPECT_TRUE(doneInsideTheWait);
    EXPECT_TRUE(otherHeld);
    EXPECT_EQ(FmMain->WorkText, otherPage);
    EXPECT_TRUE(logHas("0=Comp"));
    scripted.pump->onWait = nullptr;
}

TEST_F(AccessRunTest, SeveralFramesHoldTheRunTwoTicksBeforeTheInput)
{
    completeAtOnce = false;
    listRun({"Tokyo"});
    for (int i = 0; i < 4; ++i)
        tick();
    auto* b = browser("CppWebBrowser0_0");
    ASSERT_NE(b, nullptr);
    b->load(Site, "Search", {Site + "frame1"});
    EXPECT_EQ(FmCpp->Tick, 18);
    tick();
    EXPECT_EQ(FmCpp->Tick, 19);
    // A frame that completes late holds the run at 18 again.
    b->DocumentComplete.emit(Site + "ad");
    EXPECT_EQ(FmCpp->Tick, 18);
    EXPECT_TRUE(submitted.empty());
    tick();
    tick();
    EXPECT_EQ(FmCpp->Tick, 20);
    EXPECT_EQ(b->forms["cse-search-box"].submits, 1);
    EXPECT_EQ(b->navigations.size(), 1u);
}

TEST_F(AccessRunTest, ShortTryTimesCannotBeSet)
{
    FmSys->UpDownTryTime.setPosition(3);
    EXPECT_EQ(FmSys->tryTime(), 6);
    // At the shortest try time the site opens once and the form is filled
    // after it completed.
    FmCpp->EditThemas.setText("x ");
    listRun({"a"});
    ASSERT_GT(ticksUntil([this] { return !running(); }), 0);
    EXPECT_EQ(browser("CppWebBrowser0_0")->navigations.size(), 1u);
    EXPECT_EQ(submitted, std::vector<std::string>{"x a"});
}

TEST_F(AccessRunTest, ListLongerThanTheTabsLeftIsCut)
{
    std::vector<std::string> words;
    for (int i = 0; i < 12; ++i)
        words.push_back("w" + std::to_string(i));
    FmCpp->pagesOf(0).setActivePageIndex(45);
    FmCpp->ActionPageNum();
    listRun(words);
    EXPECT_TRUE(logHas("6 entries left out: tabs 45 to 50 hold 6"));
    ASSERT_GT(ticksUntil([this] { return !running(); }, 2000), 0);
    EXPECT_EQ(submitted.size(), 6u);
    const results::Tally tally = results::tally(run().record());
    EXPECT_EQ(tally.done, 6);
    EXPECT_EQ(tally.leftOut, 6);
    EXPECT_EQ(FmCpp->tabSheet(0, 50).caption(), "w5");
    EXPECT_TRUE(scripted.dialogs->errors.empty());
}

TEST_F(AccessRunTest, OuterPageChangeEmptiesTheListAndTheAddressItems)
{
    FmMemo->MemoList.setLines({"a"});
    FmMain->ComboBoxURL.setItems({"http://x.example/"});
    FmCpp->AccessMode = "List";
    FmCpp->PageControlMain.setActivePage(&FmCpp->TabSheetMFree);
    FmCpp->PageControlMainChange();
    EXPECT_EQ(FmMemo->MemoList.lineCount(), 0);
    EXPECT_TRUE(FmMain->ComboBoxURL.items().empty());
    EXPECT_EQ(FmCpp->MainPage, 2);
    EXPECT_EQ(FmCpp->PageName, "Free");
}

TEST_F(AccessRunTest, WorkTextFollowsNavigationExceptCompletionsOfTheFirstTab)
{
    FmCpp->PMPSiteOpenClick();
    auto* first = browser("CppWebBrowser0_0");
    FmMain->WorkText = "";
    first->BeforeNavigate2.emit("http://a.example/");
    EXPECT_EQ(FmMain->WorkText, "http://a.example/");
    EXPECT_TRUE(FmMain->Animate1.active());
    EXPECT_EQ(FmSys->LabelCppAccess.caption(), "Before");
    first->DocumentComplete.emit("http://b.example/");
    EXPECT_EQ(FmMain->WorkText, "http://a.example/");
    EXPECT_FALSE(FmMain->Animate1.active());
    EXPECT_EQ(FmSys->LabelCppAccess.caption(), "Comp");
    FmCpp->browserHost(0, 1).browser().DocumentComplete.emit("http://c.example/");
    EXPECT_EQ(FmMain->WorkText, "http://c.example/");
}

TEST_F(AccessRunTest, NavigationCommandsDoNothingBeforeABrowserIsActive)
{
    FmCpp->PMACGoBackClick();
    FmCpp->PMACGoForwardClick();
    FmCpp->PMAcssTRefreshClick();
    FmCpp->PMAcssTLocationURLClick();
    EXPECT_TRUE(browsers.empty());
    FmCpp->PMPSiteOpenClick();
    FmCpp->PMACGoBackClick();
    FmCpp->PMAcssTRefreshClick();
    FmCpp->PMAcssTLocationURLClick();
    EXPECT_EQ(browser("CppWebBrowser0_0")->calls, (std::vector<std::string>{"GoBack", "Refresh2"}));
    EXPECT_EQ(FmCpp->GroupBoxThema.caption(), "Title of " + Site);
}

TEST_F(AccessRunTest, HideUpperTabsOnlyHidesTenToThirtyNine)
{
    FmCpp->PMPTSetClick();
    EXPECT_TRUE(FmCpp->tabSheet(0, 9).visible());
    EXPECT_FALSE(FmCpp->tabSheet(0, 10).visible());
    EXPECT_FALSE(FmCpp->tabSheet(0, 39).visible());
    EXPECT_TRUE(FmCpp->tabSheet(0, 40).visible());
    EXPECT_EQ(FmCpp->tabSheet(1, 5).caption(), " 5");
    EXPECT_EQ(FmCpp->tabSheet(2, 50).caption(), "50");
}

// Names the page does not have (or none) leave the search form to be found
// as a person would; a page without one fails the input with a reason.
TEST_F(AccessRunTest, FormInputFindsTheSearchFormWhenTheNamesAreNotOnThePage)
{
    FmCpp->PMPSiteOpenClick();
    auto* page = browser("CppWebBrowser0_0");
    page->foundForm = "cse-search-box";
    page->foundFormDescription = "form[action=\"/search\"], field q";
    FmCpp->EditThemas.setText("x ");
    for (const auto& [formName, inputName] :
         std::vector<std::pair<std::string, std::string>>{{"missing", "q"}, {"cse-search-box", "nothing"}, {"", ""}}) {
        FmCpp->FormName = formName;
        FmCpp->InputName = inputName;
        page->load(Site, "Search");
        FmCpp->PMPFormInputClick();
    }
    EXPECT_EQ(submitted, (std::vector<std::string>{"x ", "x ", "x "}));
    page->foundForm.clear();
    page->load(Site, "Search");
    EXPECT_FALSE(application->dispatch([] { FmCpp->PMPFormInputClick(); }));
    EXPECT_EQ(scripted.dialogs->errors.back(), "no search form found on " + Site);
}

TEST_F(AccessRunTest, ThemeTextAndEntryReachTheFieldWithNothingBetween)
{
    FmCpp->PMPSiteOpenClick();
    FmCpp->EditThemas.setText("旅行 ");
    FmCpp->CurrentEntry = "京都";
    FmCpp->PMPFormInputClick();
    EXPECT_EQ(FmCpp->InputText, "旅行 京都");
    EXPECT_EQ(submitted, std::vector<std::string>{"旅行 京都"});
}

TEST_F(AccessRunTest, LikeWordIsStoredAndSharedWithTheSiteTree)
{
    FmCpp->ComboBoxLike.setText("&");
    FmCpp->ComboBoxLikeChange();
    EXPECT_EQ(FmCtrl->LikeWord, "&");
    platform::IniFile base(data() / "USA" / "Base.INI");
    EXPECT_EQ(base.readString("Set", "Like", ""), "&");
    FmCpp->ComboBoxLikeDblClick();
    EXPECT_EQ(FmCtrl->ComboBoxTVFCategory.text(), "&&");
}

TEST_F(AccessRunTest, FreeSitesReadSaveAndFold)
{
    FmCpp->ComboBoxFreeSite.setText("Mine");
    FmCpp->EditFreeURL.setText("http://mine.example/");
    FmCpp->EditFreeFormName.setText("f");
    FmCpp->EditFreeInputName.setText("w");
    FmCpp->ToolButtonFreeSaveClick();
    EXPECT_EQ(FmCpp->ComboBoxFreeSite.items(), std::vector<std::string>{"Mine"});
    // A name that is part of a listed one is saved but not listed again.
    FmCpp->ComboBoxFreeSite.setText("Min");
    FmCpp->ToolButtonFreeSaveClick();
    EXPECT_EQ(FmCpp->ComboBoxFreeSite.itemCount(), 1);
    FmCpp->GroupBoxFreeClick();
    EXPECT_TRUE(FmCpp->FreeFolded);
    EXPECT_EQ(FmCpp->GroupBoxFree.caption(), "+");
    FmCpp->ComboBoxFreeSite.setText("Mine");
    FmCpp->ComboBoxFreeSiteClick();
    EXPECT_FALSE(FmCpp->FreeFolded);
    EXPECT_EQ(FmCpp->GroupBoxFree.height(), 65);
    EXPECT_EQ(FmCpp->SiteURL, "http://mine.example/");
    EXPECT_EQ(FmCpp->FormName, "f");
    EXPECT_EQ(FmCpp->InputName, "w");
    // An unsaved edit of the form id is not used until the site is read.
    FmCpp->EditFreeFormName.setText("other");
    EXPECT_EQ(FmCpp->FormName, "f");
}

class MissingFreeListTest : public testsupport::AppFixture {};

TEST_F(MissingFreeListTest, MissingFreeSiteListIsReportedAndTheWindowStillShows)
{
    createListFiles = false;
    start();
    ASSERT_EQ(scripted.dialogs->errors.size(), 1u);
    EXPECT_NE(scripted.dialogs->errors[0].find("FreeSerchSite.txt"), std::string::npos);
    EXPECT_TRUE(FmCpp->visible());
}

} // namespace

namespace {

TEST_F(AccessRunTest, RunKeepsTheMemoWindowMinimisedAndTellsItsProgressInTheTitle)
{
    FmMain->MMDMemoODefaltClick();
    int raised = 0;
    FmMemo->raised.connect([&raised] { ++raised; });
    FmCpp->EditThemas.setText("Weather ");
    listRun({"Tokyo", "Osaka"});
    EXPECT_EQ(FmMemo->windowState(), WindowState::Minimized);
    EXPECT_GT(ticksUntil([] {
                  return FmCpp->caption().find("entry 1 of 2: Tokyo, opening the search page") != std::string::npos;
              }),
              0);
    EXPECT_EQ(FmCpp->caption().rfind("Base : " + Site, 0), 0u);
    EXPECT_GT(ticksUntil([] { return FmCpp->caption().find("entry 2 of 2: Osaka, done") != std::string::npos; }), 0);
    EXPECT_EQ(FmCpp->TabPages->activePage(), &FmCpp->tabSheet(0, 1));
    // The end fetches the operator file, which shows the log page, and
    // puts the results in front of the workspace: neither restores or
    // raises it over the browser window.
    ASSERT_GT(ticksUntil([this] { return !running(); }), 0);
    EXPECT_EQ(FmMemo->windowState(), WindowState::Minimized);
    EXPECT_TRUE(FmMemo->visible());
    EXPECT_EQ(raised, 0);
    EXPECT_EQ(FmMemo->PageControlMain.activePage(), &FmMemo->TabSheetMResults);
    EXPECT_EQ(FmCpp->caption(), "Base : " + Site);
    // Afterwards the workspace shows itself again when asked.
    FmMemo->showPage(FmMemo->TabSheetMList);
    EXPECT_EQ(FmMemo->windowState(), WindowState::Normal);
}

TEST_F(AccessRunTest, StopIsOfferedOnlyWhileARunGoes)
{
    // Escape is Stop's key: with no run it stays the pages' key.
    EXPECT_FALSE(FmCpp->find<MenuItem>("PMACStop").enabled());
    listRun({"a"});
    EXPECT_TRUE(FmCpp->find<MenuItem>("PMACStop").enabled());
    FmCpp->PMACStopClick();
    EXPECT_TRUE(logHas("PMPEndClick"));
    EXPECT_FALSE(FmCpp->find<MenuItem>("PMACStop").enabled());
}

} // namespace
