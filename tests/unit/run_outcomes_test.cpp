// What a run makes of real sites' ways, against scripted browsers and the
// manual clock: the three kinds of site, the record taken when the page has
// settled, block pages a query cannot fake, pages that fail, page dialogs,
// POST results and a selector that cannot work.

#include <gtest/gtest.h>

#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;
using browserctl::PageDialogKind;
using browserctl::ScriptedWebBrowser;
using results::EntryState;
using testsupport::writeRaw;

namespace {

const std::string OutcomeSite = "http://site.example/USA/";
const std::string NamedSite = "URL=http://site.example/\r\nFormName=f\r\nInputName=q\r\n";

class RunOutcomeTest : public testsupport::AppFixture {
protected:
    // The Base site's settings, and the run settings beyond the defaults
    // (Quick pacing, two in flight, no gap, try time 10 s).
    void startWith(const std::string& base, const std::string& set = "Parallel=2\r\n")
    {
        writeRaw(data() / "0Base.INI", "[Begin]\r\nSiteBase=http://127.0.0.1:9/\r\n[Base]\r\n" + base);
        writeRaw(data() / "USA" / "Base.INI", "[Set]\r\nTryTime=10\r\nPacing=Quick\r\nHostInterval=0\r\n" + set);
        onBrowserCreated = [this](ScriptedWebBrowser& b) {
            b.settleAtOnce = settleAtOnce;
            b.forms["f"].fields = {"q"};
            b.forms["f"].method = method;
            b.foundForm = "f";
            b.foundFormDescription = "form[action=\"/s\"], field q";
            b.onNavigate = [this](ScriptedWebBrowser& browser, const std::string& url) {
                if (answer)
                    answer(browser, url);
                else
                    browser.load(url, url == OutcomeSite ? "Search" : "Result");
            };
            b.onSubmit = [this](ScriptedWebBrowser& browser, const std::string&, ScriptedWebBrowser::Form& form) {
                submitted.push_back(form.values["q"]);
                browser.Navigate(OutcomeSite + "result?q=" + form.values["q"]);
            };
        };
        start();
    }

    void listRun(const std::vector<std::string>& words)
    {
        FmCpp->pagesOf(0).setActivePageIndex(0);
        FmCpp->ActionPageNum();
        FmCtrl->ListSuffix = "Edd1";
        FmCtrl->MemoEdd1.setLines(words);
        FmCpp->PMASListClick();
    }
    bool runFor(int ms, const std::function<bool()>& until, int step = 100)
    {
        for (int t = 0; t < ms; t += step) {
            scripted.clock->advance(step);
            if (until())
                return true;
        }
        return until();
    }
    bool runToTheEnd()
    {
        return runFor(60000, [&] { return !run().running(); });
    }
    // Timer events of a seed-paced run until the condition holds.
    int eventsUntil(const std::function<bool()>& until)
    {
        for (int events = 1; events <= 100; ++events) {
            scripted.clock->advance(1000);
            if (until())
                return events;
        }
        return -1;
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
    // The query of a result page's address ("result?q=a" gives "a").
    static std::string queryOf(const std::string& url) { return url.substr(url.find("?q=") + 3); }

    bool settleAtOnce = true;
    std::string method = "GET";
    // What the site answers a navigation with; by default the search page
    // and result pages titled "Result".
    std::function<void(ScriptedWebBrowser&, const std::string&)> answer;
    std::vector<std::string> submitted;
};

// A search address is the search: one page per word with the query in it,
// no form, in either pacing; the language folder is not added to it.
TEST_F(RunOutcomeTest, ASearchAddressIsOpenedOncePerWordWithTheQueryInIt)
{
    startWith("URL=http://site.example/s?q={query}\r\nFormName=f\r\nInputName=q\r\n");
    EXPECT_EQ(FmCpp->SiteURL, "http://site.example/s?q={query}");
    FmCpp->EditThemas.setText("天気 ");
    listRun({"東京", "a&b"});
    ASSERT_TRUE(runToTheEnd());
    EXPECT_EQ(tab(0).navigations,
              std::vector<std::string>{"http://site.example/s?q=%E5%A4%A9%E6%B0%97%20%E6%9D%B1%E4%BA%AC"});
    EXPECT_EQ(tab(1).navigations, std::vector<std::string>{"http://site.example/s?q=%E5%A4%A9%E6%B0%97%20a%26b"});
    EXPECT_TRUE(submitted.empty());
    EXPECT_EQ(results::tally(run().record()).done, 2);
    EXPECT_EQ(entry(1).finalAddress, tab(1).navigations[0]);
    EXPECT_EQ(entry(1).passes, 1);

    // The timer opens it at tick 4 as the search: its completion is the
    // result page, and the next tick goes on.
    FmSys->ComboBoxPacing.setText("Seed");
    listRun({"x"});
    EXPECT_EQ(eventsUntil([&] { return !run().running(); }), 5);
    EXPECT_EQ(tab(0).navigations.back(), "http://site.example/s?q=%E5%A4%A9%E6%B0%97%20x");
    EXPECT_EQ(tab(0).navigations.size(), 2u);
    EXPECT_EQ(logCount("0=Comp"), 1);
    EXPECT_EQ(entry(0).state, EntryState::Done);
}

// A site without form names, or with names its page lacks, has its search
// form found; the choice is told once per run.
TEST_F(RunOutcomeTest, AFoundFormIsFilledAndItsChoiceLoggedOncePerRun)
{
    startWith("URL=http://site.example/\r\nFormName=cse-search-box\r\nInputName=q\r\n");
    listRun({"a", "b", "c"});
    ASSERT_TRUE(runToTheEnd());
    EXPECT_EQ(submitted, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(logCount("search form: form[action=\"/s\"], field q"), 1);
    EXPECT_EQ(results::tally(run().record()).done, 3);
}

// A result page is recorded once it has settled (results a script draws
// after the load are whole), while its place in flight goes to the next
// word. A page that never says so is recorded as it is at its deadline,
// and the run's end waits for it. Links that cannot be read are an error
// of the record, not an empty list.
TEST_F(RunOutcomeTest, AResultPageIsRecordedWhenItHasSettled)
{
    settleAtOnce = false;
    startWith(NamedSite + "SettleMs=800\r\nResultLinks=ol a\r\n", "Parallel=1\r\n");
    listRun({"late", "never"});
    ASSERT_TRUE(runFor(1000, [&] { return tab(0).settleWatch.has_value(); }));
    EXPECT_EQ(tab(0).settleWatch->quietMs, 800);
    EXPECT_EQ(tab(0).settleWatch->selector, "ol a");
    EXPECT_EQ(logCount("0=Comp"), 1);
    EXPECT_EQ(entry(0).state, EntryState::Running);
    EXPECT_TRUE(opened(1));
    tab(0).linksFor = [](const std::string&, const std::string&) {
        return std::vector<browserctl::PageLink>{{"http://example.org/1", "One"}, {"http://example.org/2", "Two"}};
    };
    ASSERT_TRUE(tab(0).settle());
    EXPECT_EQ(entry(0).state, EntryState::Done);
    EXPECT_EQ(entry(0).links.size(), 2u);

    ASSERT_TRUE(runFor(1000, [&] { return tab(1).settleWatch.has_value(); }));
    tab(1).linksFor = [](const std::string&, const std::string&) -> std::vector<browserctl::PageLink> {
        throw browserctl::DocumentCallError("Links(\"ol a\"): the page is too large to read in time");
    };
    const uint64_t completed = scripted.clock->tickCount();
    EXPECT_FALSE(runFor(9800, [&] { return entry(1).state == EntryState::Done; }));
    EXPECT_TRUE(run().running());
    ASSERT_TRUE(runToTheEnd());
    EXPECT_EQ(entry(1).state, EntryState::Done);
    EXPECT_EQ(entry(1).reason,
              "the result links could not be read: Links(\"ol a\"): the page is too large to read in time");
    // Its try time after its completion: less than its settle time and the
    // margin.
    EXPECT_LE(scripted.clock->tickCount() - completed, 10100u);
}

// A page is a block page by its status (429, 503, 403 with a challenge), a
// block word outside the query, the entry and the result list, or a human
// check; the query never counts. The record keeps the block page.
TEST_F(RunOutcomeTest, BlockPagesAreToldByTheSiteNotByTheQuery)
{
    struct Case {
        std::string word;
        int status;
        std::string body;
        std::string humanCheck;
        EntryState state;
        std::string reason;
    };
    const Case cases[] = {
        {"captcha", 200, "Results for Weather captcha: a captcha at example.org", "", EntryState::Done, ""},
        {"robots", 200, "Our systems have detected unusual traffic", "", EntryState::Blocked,
         "the page says \"unusual traffic\""},
        {"widget", 200, "One moment", "a reCAPTCHA frame", EntryState::Blocked, "the page shows a reCAPTCHA frame"},
        {"busy", 429, "Slow down", "", EntryState::Blocked, "HTTP 429"},
        {"denied", 403, "Forbidden", "", EntryState::Failed, "HTTP 403"},
        {"challenge", 403, "Checking your browser. Verify you are human.", "", EntryState::Blocked, "HTTP 403"},
    };
    const Case* current = nullptr;
    answer = [&](ScriptedWebBrowser& browser, const std::string& url) {
        if (url == OutcomeSite)
            return browser.load(url, "Search");
        browser.humanCheck = current->humanCheck;
        browser.load(url, "Page of " + current->word, {}, current->status, current->body);
    };
    startWith(NamedSite);
    FmCpp->EditThemas.setText("Weather ");
    for (const Case& c : cases) {
        current = &c;
        run().options.maxPasses = 1;
        listRun({c.word});
        ASSERT_TRUE(runFor(3000, [&] { return !run().running() || run().paused(); })) << c.word;
        if (run().paused())
            FmCpp->PMACStopClick();
        EXPECT_EQ(entry(0).state, c.state) << c.word;
        EXPECT_EQ(entry(0).reason, c.reason) << c.word;
    }
    EXPECT_EQ(entry(0).title, "Page of challenge");
    EXPECT_EQ(entry(0).finalAddress, OutcomeSite + "result?q=Weather challenge");
}

// An error page, an HTTP error, a download or a renderer that died fails
// its entry at once, with its reason; the next pass tries it again, and
// the run shows one box for all of it. A site that cannot be opened is
// told so, and no form is looked for.
TEST_F(RunOutcomeTest, FailedPagesFailTheirEntryAndTheNextPassTriesThemAgain)
{
    answer = [](ScriptedWebBrowser& browser, const std::string& url) {
        const std::string query = url == OutcomeSite ? "" : queryOf(url);
        if (query == "secret")
            browser.load(url, "Unauthorized", {}, 401);
        else if (query == "loop")
            browser.fail(url, "too many redirects");
        else if (query == "file")
            browser.download(url);
        else if (query == "heavy")
            browser.crash();
        else
            browser.load(url, url == OutcomeSite ? "Search" : "Result");
    };
    startWith(NamedSite);
    run().options.maxPasses = 2;
    listRun({"secret", "loop", "file", "heavy", "fine"});
    ASSERT_TRUE(runToTheEnd());
    const std::pair<const char*, const char*> expected[] = {{"failed", "HTTP 401"},
                                                            {"failed", "too many redirects"},
                                                            {"failed", "the page is a download"},
                                                            {"failed", "the page's process ended"},
                                                            {"done", ""}};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(results::stateName(entry(i).state), std::string(expected[i].first)) << i;
        EXPECT_EQ(entry(i).reason, expected[i].second) << i;
        EXPECT_EQ(entry(i).passes, i < 4 ? 2 : 1) << i;
    }
    EXPECT_EQ(logCount("0=Failed HTTP 401"), 2);
    EXPECT_EQ(logCount("0=Comp"), 0);
    EXPECT_EQ(scripted.dialogs->errors, std::vector<std::string>{"Entry 1 (secret) failed: HTTP 401"});

    answer = [](ScriptedWebBrowser& browser, const std::string& url) { browser.fail(url, "connection refused"); };
    submitted.clear();
    run().options.maxPasses = 1;
    listRun({"a", "b"});
    ASSERT_TRUE(runToTheEnd());
    EXPECT_EQ(entry(1).reason, "could not open " + OutcomeSite + ": connection refused");
    EXPECT_TRUE(submitted.empty());

    // The timer goes on as after a result page (three ticks, not the try
    // time), without the entry done.
    FmSys->ComboBoxPacing.setText("Seed");
    answer = [](ScriptedWebBrowser& browser, const std::string& url) {
        browser.load(url, "Unauthorized", {}, url == OutcomeSite ? 200 : 401);
    };
    listRun({"secret", "fine"});
    EXPECT_EQ(eventsUntil([] { return FmCpp->ListPos == 1; }), 9);
    EXPECT_EQ(logCount("0=Comp"), 0);
    EXPECT_FALSE(FmCpp->DoneFlags[0]);
    EXPECT_EQ(entry(0).state, EntryState::Failed);
    FmCpp->PMACStopClick();
}

// During a run the run's tabs answer their pages' dialogs without a box
// (alert accepted, confirm cancelled) and the log names the tab and the
// text; they load afresh. After the run a dialog is a box again, and the
// entries the Stop cut short are stopped.
TEST_F(RunOutcomeTest, DuringARunPageDialogsAreAnsweredWithoutABoxAndLogged)
{
    // The result page never comes.
    answer = [](ScriptedWebBrowser& browser, const std::string& url) {
        if (url == OutcomeSite)
            browser.load(url, "Search");
    };
    startWith(NamedSite);
    listRun({"a"});
    ASSERT_TRUE(runFor(1000, [&] { return opened(0); }));
    EXPECT_TRUE(tab(0).freshLoads);
    std::string value = "proposal";
    EXPECT_TRUE(tab(0).dialog(PageDialogKind::Alert, "Welcome", value));
    EXPECT_FALSE(tab(0).dialog(PageDialogKind::Confirm, "Stay?\nReally", value));
    EXPECT_TRUE(scripted.dialogs->messages.empty());
    EXPECT_TRUE(scripted.dialogs->questions.empty());
    EXPECT_EQ(logCount("tab 0: alert \"Welcome\""), 1);
    EXPECT_EQ(logCount("tab 0: confirm \"Stay? Really\""), 1);

    FmCpp->PMACStopClick();
    EXPECT_EQ(entry(0).state, EntryState::Stopped);
    EXPECT_FALSE(tab(0).freshLoads);
    scripted.clock->advance(3000);
    EXPECT_TRUE(tab(0).dialog(PageDialogKind::Alert, "Hello", value));
    EXPECT_EQ(scripted.dialogs->messages, std::vector<std::string>{"The page at site.example says:\n\nHello"});
}

// A POST result has no address of its own: what was sent is kept, and the
// results view's show command sends it again when the tab shows something
// else.
TEST_F(RunOutcomeTest, APostResultKeepsItsSubmissionAndIsShownAgainBySendingIt)
{
    method = "POST";
    startWith(NamedSite);
    listRun({"a"});
    ASSERT_TRUE(runToTheEnd());
    ASSERT_TRUE(entry(0).submission.has_value());
    EXPECT_EQ(entry(0).submission->method, "POST");
    EXPECT_EQ(entry(0).submission->action, OutcomeSite + "result");
    EXPECT_EQ(entry(0).submission->fields, (std::vector<std::pair<std::string, std::string>>{{"q", "a"}}));

    FmMemo->StringGridResults.setCurrentCell(0, 1);
    FmMemo->StringGridResultsDblClick();
    EXPECT_TRUE(tab(0).submissions.empty());
    tab(0).load("http://elsewhere.example/", "Elsewhere");
    FmMemo->StringGridResultsDblClick();
    ASSERT_EQ(tab(0).submissions.size(), 1u);
    EXPECT_EQ(tab(0).submissions[0], *entry(0).submission);
}

// A ResultLinks selector that is no selector would fail every result page:
// the run does not start, and the log, the results view and a box say why.
TEST_F(RunOutcomeTest, AnInvalidResultLinksSelectorStartsNoRun)
{
    startWith(NamedSite + "ResultLinks=ol > li a[href\r\n");
    EXPECT_FALSE(application->dispatch([] { FmCpp->PMASListClick(); }));
    const std::string why = "The run did not start: the ResultLinks selector \"ol > li a[href\" of the site \"Base\" "
                            "is not valid: unbalanced bracket '['";
    EXPECT_EQ(scripted.dialogs->errors, std::vector<std::string>{why});
    EXPECT_EQ(logCount(why), 1);
    const Label& note = FmMemo->find<Label>("LabelResultsNote");
    EXPECT_EQ(note.caption(), why);
    EXPECT_TRUE(note.visible());
    EXPECT_FALSE(run().running());
    EXPECT_TRUE(browsers.empty());
}

// The settings window and the Free band tell how their site is searched,
// and their test opens its page in the current tab and says what it found
// there, or why nothing.
TEST_F(RunOutcomeTest, TheSiteTestTellsHowTheSiteWouldBeSearched)
{
    startWith(NamedSite);
    FmSys->show();
    EXPECT_EQ(FmSys->LabelSiteKind.caption(), "named form");
    const auto testBase = [&] {
        FmSys->LabelSiteKindClick();
        runFor(11000, [] { return !FmCpp->run().testingSite(); });
        return FmSys->LabelRunState.caption();
    };
    EXPECT_EQ(testBase(), "named form: form \"f\", field q");
    EXPECT_EQ(tab(0).navigations.back(), OutcomeSite);
    EXPECT_EQ(logCount("Site test: named form: form \"f\", field q"), 1);

    writeRaw(data() / "0Base.INI", "[Base]\r\nURL=http://site.example/\r\n");
    EXPECT_EQ(testBase(), "found form: form[action=\"/s\"], field q");
    answer = [](ScriptedWebBrowser& browser, const std::string& url) { browser.fail(url, "connection refused"); };
    EXPECT_EQ(testBase(), "could not open " + OutcomeSite + ": connection refused");
    answer = [](ScriptedWebBrowser&, const std::string&) {};
    EXPECT_EQ(testBase(), "the page did not come in 10 s");

    // A free site given by a search address is tried with the theme.
    writeRaw(data() / "USA" / "Base.INI", "[Set]\r\nTryTime=10\r\n[Wiki]\r\nURL=http://wiki.example/?s={query}\r\n");
    answer = nullptr;
    FmCpp->PageControlMain.setActivePage(&FmCpp->TabSheetMFree);
    FmCpp->PageControlMainChange();
    FmCpp->ComboBoxFreeSite.setText("Wiki");
    FmCpp->ComboBoxFreeSiteClick();
    EXPECT_EQ(FmCpp->LabelFreeKind.caption(), "search address");
    FmCpp->EditThemas.setText("草津");
    FmCpp->PMFreeTTestClick();
    EXPECT_EQ(FmCpp->LabelFreeKind.caption(), "search address: the result page came, \"Result\"");
    EXPECT_EQ(browser("CppWebBrowser2_0")->navigations.back(), "http://wiki.example/?s=%E8%8D%89%E6%B4%A5");
}

} // namespace
