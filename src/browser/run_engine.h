#pragma once
// The run engine: a list run's stepping in both pacings, the open check
// and the passes, block and resume, the tabs' rest and the run record.
// The browser window's run handlers are thin doors into it. It works on
// the window's run members (Tick, ListPos, DoneFlags, ... stay the truth
// the window shows) and reaches the browsers only through RunTabs.
//
// Files: run_engine.cpp (start, the timer's steps, the open check, the
// end, completions, block and resume), quick_pacing.cpp (Quick pacing),
// run_record.cpp (the record); the tabs' rest is tab_lifecycle.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "browser/run_results.h"
#include "browser/run_state.h"
#include "browser/run_tabs.h"
#include "browser/tab_lifecycle.h"
#include "framework/signal.h"

class TFmCpp;

namespace runs {

// How the runs go. A run started from the windows takes the pacing, the
// entries in flight and the host gap from the settings window; a batch run
// sets them itself (fromWindow false).
struct RunOptions {
    bool fromWindow = true;
    Pacing pacing = Pacing::Seed;
    // Quick pacing: entries in flight, and the least milliseconds between
    // two searches on one site.
    int parallel = 4;
    int hostInterval = 1000;
    // Passes before the entries not done are given up; 0: until every entry
    // is done (or Stop).
    int maxPasses = 0;
    // Finished runs are saved under the data folder's Results/.
    bool saveResults = true;
    // The end of a run fetches the operator file again (a batch run, which
    // writes nothing but its results, does not).
    bool fetchOperatorAtEnd = true;
};

class RunEngine {
public:
    RunEngine(TFmCpp& window, RunTabs& tabs);

    RunOptions options;
    // The site's options, read with its address and form.
    SiteOptions site;
    // How long a site that answered 429 or 503 is left alone.
    static constexpr int HostPauseMs = 30000;
    // How long past its settle time a result page may take to report that
    // it settled before it is recorded as it is (never beyond the try time
    // after its completion): a request still pending that long no longer
    // counts for the page either.
    static constexpr int SettleMarginMs = browserctl::WebBrowser::kSettleStaleMs;

    // An entry reached a final state (its index); a run ended, its results
    // written; a run met a block page (the entry) and waits for resume.
    framework::Signal<int> entrySettled;
    framework::Signal<> runEnded;
    framework::Signal<int> runBlocked;

    // What keeps the current site from being searched at all (its
    // ResultLinks selector is not a selector), naming the site; empty when
    // nothing does.
    std::string siteProblem() const;

    // ---- the steps, behind the window's handlers
    // A search from the site tree window's list (PMASSerchClick). A site
    // with a problem is told in the log and the results view, and nothing
    // starts.
    void search();
    // A list run of these words, without the site tree window (a batch
    // run). Throws framework::Error for a site with a problem.
    void startList(const std::vector<std::string>& words);
    void reset();        // PMPReSetClick
    void beginPass();    // PMPSaleClick
    void restartEntry(); // PMPRendClick
    void seedTick();     // Timer1Timer
    void quickTick();    // TimerQuick
    void selectEntry();  // PMPLstClick
    void formInput();    // PMPFormInputClick
    void openCheck();    // PMPOpenCheckClick
    // PMPEndClick: the run ends; the entries not done by then are stopped.
    void end();
    // Ends a running run as the program closes: the records are saved (the
    // entries not done stopped), without the end's sound, results page or
    // operator file.
    void endForClose();
    // Goes on from the blocked entry once the user has solved it in its tab.
    void resume();
    // A completed document or frame of a tab, after the window's own
    // bookkeeping.
    void documentComplete(TabRef tab, const std::string& url);
    // The run's part of ActionDocumentComplete: a completion in the run's
    // own browser moves the timer's tick and finishes the entry.
    void pageCompleted(bool fromRunBrowser);
    // A tab's result page settled, failed without a completion (a download,
    // a dead renderer), or had a dialog answered.
    void documentSettled(TabRef tab);
    void pageFailed(TabRef tab, const browserctl::PageFailure& failure);
    void pageDialog(TabRef tab, const browserctl::PageDialog& dialog);
    // Freezes the finished tabs that are not shown, discards the oldest
    // past the live-tab limit, wakes the shown one.
    void restTabs();

    // ---- what runs and what it did
    // From a start (or a pass begun from a menu) until the end.
    bool running() const;
    bool paused() const { return paused_; }
    int blockedEntry() const { return blockedEntry_; }
    int passCount() const { return passCount_; }
    // The record of the last run started by a start command: one entry per
    // list line, filled as the run goes.
    bool hasRecord() const { return hasRecord_; }
    const results::RunRecord& record() const { return record_; }
    // Makes a record kept elsewhere the last run's (no run may be going):
    // the results view then shows it, as the tests of that view do.
    void adoptRecord(results::RunRecord record);
    // Where the last run's results were saved (empty: not saved).
    const platform::fs::path& resultsFile() const { return resultsFile_; }
    // The site test: opens the current site's page in the current tab and
    // tells how the site would be searched (its form and field, or why it
    // cannot be) in the log and through `tell`, once the page has come or
    // the try time has passed (siteTestTick, with the window's timer).
    // Throws framework::Error while a run goes.
    void testSite(std::function<void(const std::string&)> tell);
    void siteTestTick();
    bool testingSite() const { return siteTest_.has_value(); }

    // Shows the tab of entry i of the last run and brings the window up;
    // opens an address there.
    void showEntryTab(int entry);
    void openInEntryTab(int entry, const std::string& address);
    // Shows the entry's tab; when it no longer shows the entry's result
    // page (and no run goes), opens it again: its address, or a POST's
    // submission sent again.
    void showEntryResult(int entry);

private:
    // An entry of a Quick run in flight, in its own tab.
    // The connections the browser engine opens to one host at most; more
    // requests to it wait in the engine.
    static constexpr size_t SiteConnections = 6;

    struct Slot {
        int entry = 0;
        SlotStage stage = SlotStage::Search;
        // When the site's part of the current stage began.
        uint64_t since = 0;
    };

    // A result page that completed and is waited for until it settles.
    struct Settling {
        int entry = 0;
        TabRef tab;
        uint64_t completedAt = 0;
        uint64_t deadline = 0;
    };
    // What a completed page is: fine, failed (an error page, an HTTP
    // error) or a block page, and why.
    enum class Verdict { Fine, Failed, Blocked };
    struct PageCheck {
        Verdict verdict = Verdict::Fine;
        std::string reason;
    };

    // The run's texts in the user's language (the caption table's
    // [Message] rows), read once when a run starts.
    struct Texts {
        std::string progress;
        std::string waiting;
        std::string opening;
        std::string searching;
        std::string done;
        std::string retry;
        std::string failed;
        std::string blocked;
        std::string blockBar;
        std::string blockResume;
        std::string tabsAsk;
        std::string tabsAskCaption;
        std::string tabsLeftOut;
    };
    void readTexts();
    // The text typed for a list line: the theme box's text joined to the
    // line (queryFor).
    std::string query(const std::string& line) const;

    // A list longer than the tabs after the tab showing: asks once whether
    // the run starts at tab 0 (Yes), runs what fits (No) or does not start
    // (Cancel: false).
    bool chooseStartTab();
    void begin();
    void finish(bool stopped, bool closing);
    int tabsLeft() const;
    TabRef entryTab(int entry) const;
    // The entry whose tab this is in the current run, or -1.
    int entryOfTab(TabRef tab) const;
    bool isRunTab(TabRef tab);
    void showProgress(int entry, const std::string& state);
    // What the tab's page is by its load: no reply, an HTTP error, a block
    // status (429, 503, 403 with a challenge).
    PageCheck loadCheck(int entry, TabRef tab);
    // Why the page's content says it is a block page (a block word outside
    // the query, the entry and the result list, or a human check), or empty.
    std::string contentBlock(int entry, TabRef tab);
    void block(int entry, const std::string& reason);
    // The browser window's bar about the block page in this tab, or none.
    void showBlockBar(TabRef tab);
    void hideBlockBar();
    // The entry's page failed: not done, told, retried in the next pass.
    void failEntry(int entry, const std::string& reason);
    // The page in the entry's tab is what the entry got, in this state:
    // its address and title tell which page it was (a block's check, an
    // error page); no result links.
    void recordPageOutcome(results::EntryRecord& record, int entry, results::EntryState state,
                           const std::string& reason);
    // The run's one box about its site (later ones go to the log only).
    void reportSiteProblem(const std::string& message);
    // A form input of the run that threw: told, the entry not done.
    void formInputFailed(int entry, const std::string& message);
    void logFormChoice(const RunTabs::FormInput& input);
    // The search page of the current kind of site: the site's address, or
    // the search address with the query in it.
    bool searchAddress() const;

    void beginSettle(int entry, TabRef tab);
    void settleDue();
    void finishSettle(size_t index, bool atEnd);

    void seedFail(int entry, const std::string& reason);

    void quickStartPass();
    void quickPump();
    void quickStartEntry(int entry);
    void quickSearch(size_t slot);
    void quickDocumentComplete(TabRef tab, const std::string& url);
    void quickFinish(size_t slot, bool done);
    void quickRelease(int entry);
    void quickPageWent(int entry, const PageCheck& check, const std::string& failure);

    void beginRecord();
    results::EntryRecord* recordEntry(int index);
    // The same while the run is being recorded; null after it ended.
    results::EntryRecord* recordingEntry(int index) { return recording_ ? recordEntry(index) : nullptr; }
    void recordNavigation();
    void recordResultPage(int index, TabRef tab, uint64_t completedAt);
    void recordRetry(int index);
    void endRecord(bool stopped);

    TFmCpp& window_;
    RunTabs& tabs_;
    TabLifecycle lifecycle_;

    bool quick_ = false; // the run going is a Quick one
    int parallel_ = 1;
    bool paused_ = false;
    int blockedEntry_ = -1;
    int passCount_ = 0;
    Texts texts_;
    // The caption the window had before the run wrote its progress there.
    std::string captionBeforeRun_;
    bool progressShown_ = false;

    std::vector<Slot> slots_;
    int nextEntry_ = 0;
    std::vector<Settling> settling_;
    struct SiteTest {
        TabRef tab;
        uint64_t started = 0;
        std::function<void(const std::string&)> tell;
    };
    std::optional<SiteTest> siteTest_;
    void endSiteTest(const std::string& finding);
    // The timer's current entry has failed in this try: its later pages
    // do not make it done.
    bool seedEntryClosed_ = false;
    // The run has shown its box about the site; the form choices it has
    // logged.
    bool siteProblemShown_ = false;
    std::set<std::string> formChoicesLogged_;
    // Per site (Host::site): the time of its next search and the end of its
    // pause.
    std::map<std::string, uint64_t> hostNextSubmit_;
    std::map<std::string, uint64_t> hostPausedUntil_;

    results::RunRecord record_;
    bool hasRecord_ = false;
    bool recording_ = false;
    std::vector<uint64_t> navigatedAt_;
    platform::fs::path resultsFile_;
};

} // namespace runs
