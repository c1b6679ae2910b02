// The list run: a one-second timer walks the list over the tabs of the
// current page, opening the search site, filling the form and checking the
// result pages (Quick pacing lets the pages drive instead, see
// quick_pacing.cpp); the open check repeats the pass until every entry is
// done. A result page is recorded once it has settled. What pages do to
// their entries (block pages, failures, dialogs) is in run_outcomes.cpp.

#include "browser/run_engine.h"

#include <algorithm>
#include <exception>

#include "app/captions.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "app/links.h"
#include "browser/css_selector.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace runs {

RunEngine::RunEngine(TFmCpp& window, RunTabs& tabs) : window_(window), tabs_(tabs)
{
}

bool RunEngine::running() const
{
    return window_.Timer1.enabled() || quick_ || paused_;
}

int RunEngine::tabsLeft() const
{
    return std::max(0, TabCount - window_.StartTab);
}

TabRef RunEngine::entryTab(int entry) const
{
    return {window_.MainPage, window_.StartTab + entry};
}

int RunEngine::entryOfTab(TabRef tab) const
{
    const int entry = tab.tab - window_.StartTab;
    if (tab.page != window_.MainPage || entry < 0 || entry >= window_.ListCount)
        return -1;
    return entry;
}

bool RunEngine::searchAddress() const
{
    const Page page = pageOf(window_.PageName);
    return (page == Page::Base || page == Page::Free) && isSearchAddress(window_.SiteURL);
}

bool RunEngine::isRunTab(TabRef tab)
{
    // The active browser alone is not enough: from the move to the next
    // entry until its tab is selected (tick 3) it still names the previous
    // tab, whose late frames must not count for the new entry.
    return tab == entryTab(window_.ListPos) && tabs_.activeBrowser() == tab;
}

void RunEngine::readTexts()
{
    struct Row {
        std::string Texts::*text;
        const char* key;
        const char* fallback;
    };
    static const Row rows[] = {
        {&Texts::progress, "RunProgress", "entry %1 of %2: %3, %4"},
        {&Texts::waiting, "StateWaiting", "waiting"},
        {&Texts::opening, "RunOpening", "opening the search page"},
        {&Texts::searching, "RunSearching", "searching"},
        {&Texts::done, "RunDone", "done"},
        {&Texts::retry, "RunRetry", "no result page, tried again in the next pass"},
        {&Texts::failed, "RunFailed", "failed: %1"},
        {&Texts::blocked, "RunBlocked", "blocked"},
        {&Texts::blockBar, "BlockBar", "The site asks for a human check in tab %1. Solve it there, then Resume."},
        {&Texts::blockResume, "BlockResume", "Resume"},
        {&Texts::tabsAsk, "TabsAsk", "%1 words do not fit after tab %2. Start at tab 0?"},
        {&Texts::tabsAskCaption, "TabsAskCaption", "Tabs"},
        {&Texts::tabsLeftOut, "TabsLeftOut", "Left out, past the last tab: %1"},
    };
    const platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
    for (const Row& row : rows)
        texts_.*row.text = vantrel::messageText(hlp, row.key, row.fallback);
}

std::string RunEngine::query(const std::string& line) const
{
    return queryFor(window_.EditThemas.text(), window_.ComboBoxLike.text(), line);
}

void RunEngine::showProgress(int entry, const std::string& state)
{
    if (!progressShown_) {
        captionBeforeRun_ = window_.caption();
        progressShown_ = true;
    }
    // A block holds the title until Resume: the entries still in flight
    // meanwhile do not hide it.
    const bool blocked = paused_ && blockedEntry_ >= 0;
    const int shown = blocked ? blockedEntry_ : entry;
    window_.setCaption(
        captionBeforeRun_ + " — " +
        vantrel::formatText(texts_.progress, {std::to_string(shown + 1), std::to_string(window_.ListCount),
                                              FmMemo->MemoList.line(shown), blocked ? texts_.blocked : state}));
}

void RunEngine::restTabs()
{
    const TFmCpp& w = window_;
    lifecycle_.apply(
        tabs_, {w.MainPage, w.CurrentTab},
        [this, &w](TabRef tab) {
            const int entry = tab.tab - w.StartTab;
            return recording_ && tab.page == w.MainPage && entry >= 0 &&
                   entry < static_cast<int>(record_.entries.size()) &&
                   record_.entries[static_cast<size_t>(entry)].state == results::EntryState::Done;
        },
        FmSys->liveTabs());
}

// ---------------------------------------------------------------- start

std::string RunEngine::siteProblem() const
{
    if (site.resultLinks.empty())
        return "";
    const std::string why = selectorProblem(site.resultLinks);
    if (why.empty())
        return "";
    return "the ResultLinks selector \"" + site.resultLinks + "\" of the site \"" + window_.SiteTitle +
           "\" is not valid: " + why;
}

void RunEngine::search()
{
    readTexts();
    // A wrong selector would fail every result page after the run had
    // spent its time on them.
    if (const std::string problem = siteProblem(); !problem.empty()) {
        const std::string text = "The run did not start: " + problem;
        FmMemo->MemoLog.addLine(text);
        FmMemo->showResultsNote(text);
        throw Error(text);
    }
    if (modeOf(window_.AccessMode) != Mode::Single) {
        if (FmCtrl->ListSuffix == "Edd1")
            FmCtrl->PMTrVwMTListUpClick();
        else
            FmCtrl->PMBunchTListUpClick();
    }
    if (!chooseStartTab())
        return;
    begin();
}

bool RunEngine::chooseStartTab()
{
    TFmCpp& w = window_;
    const int entries = FmMemo->MemoList.lineCount();
    const int fit = TabCount - w.CurrentTab;
    // From tab 0 there is nothing better to offer.
    if (modeOf(w.AccessMode) == Mode::Single || w.CurrentTab <= 0 || entries <= fit)
        return true;
    const std::string question =
        vantrel::formatText(texts_.tabsAsk, {std::to_string(entries - fit), std::to_string(w.CurrentTab)});
    switch (app().dialogs().askYesNoCancel(question, texts_.tabsAskCaption)) {
    case Answer::Yes:
        w.pagesOf(w.MainPage).setActivePageIndex(0);
        w.PageControlMCPP0Change();
        return true;
    case Answer::No:
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

void RunEngine::startList(const std::vector<std::string>& words)
{
    if (const std::string problem = siteProblem(); !problem.empty())
        throw Error(problem);
    readTexts();
    window_.AccessMode = "List";
    FmMemo->MemoList.setLines(words);
    begin();
}

void RunEngine::begin()
{
    TFmCpp& w = window_;
    if (options.fromWindow) {
        options.pacing = FmSys->pacing();
        options.parallel = FmSys->parallel();
        options.hostInterval = FmSys->hostInterval();
    }
    const Mode mode = modeOf(w.AccessMode);
    quick_ = options.pacing == Pacing::Quick && mode == Mode::List;
    // The operation program plays real keys and clicks into the window in
    // front: it cannot run in several tabs at once.
    parallel_ = quick_ && pageOf(w.PageName) == Page::Manip ? 1 : options.parallel;
    paused_ = false;
    blockedEntry_ = -1;
    siteTest_.reset();
    w.TimerSiteTest.setEnabled(false);
    settling_.clear();
    seedEntryClosed_ = false;
    siteProblemShown_ = false;
    formChoicesLogged_.clear();
    FmSys->showRunState("");
    hideBlockBar();
    w.offerStop(true);
    reset();
    beginPass();
    w.StartTab = w.CurrentTab;
    FmSys->LabelBginPos.setCaption(std::to_string(w.StartTab));
    // A page has 51 tabs: entries past the last tab are left out, and the
    // log names them (the record has them as left out).
    const std::vector<std::string> lines = FmMemo->MemoList.lines();
    const int entries = static_cast<int>(lines.size());
    w.ListCount = std::min(entries, tabsLeft());
    if (mode != Mode::Single && entries > tabsLeft()) {
        std::string words;
        for (size_t i = static_cast<size_t>(tabsLeft()); i < lines.size(); ++i)
            words += (words.empty() ? "" : ", ") + lines[i];
        FmMemo->MemoLog.addLine(vantrel::formatText(texts_.tabsLeftOut, {words}));
    }
    if (FmMain->LectureName == "Serch") {
        FmMemo->MemoLog.setText(FmMain->LectureTexts[6]);
        FmMain->PageControlMain.setActivePage(&FmMain->TabSheetMBase);
        FmMemo->setBounds(580, 280, 240, 400);
    }
    // The run's tabs load afresh and answer their pages' dialogs.
    tabs_.setRunPage(w.MainPage);
    if (searchAddress())
        FmMemo->MemoLog.addLine("search address: " + w.SiteURL);
    beginRecord();
    record_.pacing = quick_ ? Pacing::Quick : Pacing::Seed;
}

void RunEngine::reset()
{
    window_.Tick = 0;
    passCount_ = 0;
    window_.DoneFlags.fill(false);
    window_.ComboBoxLike.setEnabled(false);
    FmMemo->MemoLog.clear();
}

void RunEngine::beginPass()
{
    ++passCount_;
    window_.RetryNeeded = false;
    window_.ListPos = 0;
    if (quick_)
        quickStartPass();
    else
        restartEntry();
    FmMain->PageControlMain.setActivePage(&FmMain->TabSheetMBase);
    // The workspace stays minimised while the run goes, whatever the run's
    // steps show in it; the run's end lets it go.
    FmMemo->StayInBackground = true;
    FmMemo->minimize();
}

void RunEngine::restartEntry()
{
    FmMemo->MemoLog.addLine("PMPRendClick");
    window_.Timer1.setEnabled(true);
    window_.Tick = 0;
}

// ----------------------------------------------------------- the timer

void RunEngine::seedTick()
{
    TFmCpp& w = window_;
    ++w.Tick;
    FmSys->LabelTime1.setCaption(std::to_string(w.Tick));
    // Result pages that never said they settled are recorded as they are.
    settleDue();
    if (paused_)
        return;
    if (modeOf(w.AccessMode) == Mode::Single)
        FmMemo->MemoList.setText(" ");
    w.ListCount = std::min(FmMemo->MemoList.lineCount(), tabsLeft());
    FmMemo->MemoLog.addLine("MaxCnt=" + std::to_string(w.ListCount));

    if (w.ListPos >= 0 && w.ListPos < TabCount && w.DoneFlags[static_cast<size_t>(w.ListPos)]) {
        ++w.ListPos;
        restartEntry();
    }
    if (w.ListPos >= w.ListCount) {
        // The pass waits for the records still being taken (each no longer
        // than its try time).
        if (!settling_.empty())
            return;
        FmMemo->MemoLog.addLine("LstNm>=MaxCnt");
        openCheck();
    }
    switch (w.Tick) {
    case 2:
        FmSys->LabelCppLstNm.setCaption(std::to_string(w.ListPos) + "/" + std::to_string(w.ListCount));
        break;
    case 3:
        if (w.ListPos < w.ListCount)
            selectEntry();
        break;
    case 4:
        if (const auto tab = tabs_.activeBrowser(); tab && w.ListPos < w.ListCount) {
            seedEntryClosed_ = false;
            // The stage is set before the call, so a page that completes
            // inside the call already counts as the search site (or, for a
            // search address, as the result page: there is no form).
            const bool direct = searchAddress();
            w.RunStage = stageText(direct ? Stage::ListSrch : Stage::Navi);
            FmSys->LabelCppPrg.setCaption(w.RunStage);
            recordNavigation();
            if (direct) {
                showProgress(w.ListPos, texts_.searching);
                formInput();
            } else {
                showProgress(w.ListPos, texts_.opening);
                tabs_.navigate(*tab, w.SiteURL);
            }
        }
        break;
    default:
        break;
    }
    if (w.Tick == FmSys->tryTime()) {
        w.RunStage = stageText(Stage::ListSrch);
        FmSys->LabelCppPrg.setCaption(w.RunStage);
        // A search address was searched when it was opened; an entry whose
        // search page failed has no form to fill.
        if (w.ListPos < w.ListCount && !searchAddress() && !seedEntryClosed_) {
            showProgress(w.ListPos, texts_.searching);
            try {
                formInput();
            } catch (const std::exception& e) {
                // A quit cancelled the fill: the stop that follows records
                // the entry as stopped, not as tried.
                if (!app().quitRequested())
                    formInputFailed(w.ListPos, e.what());
            }
        }
    }
    if (w.Tick == 2 * FmSys->tryTime()) {
        if (w.ListPos < w.ListCount && !w.DoneFlags[static_cast<size_t>(w.ListPos)])
            showProgress(w.ListPos, texts_.retry);
        ++w.ListPos;
        w.Tick = 1;
    }
    FmSys->LabelNowPrg.setCaption(w.AccessMode);
}

void RunEngine::selectEntry()
{
    TFmCpp& w = window_;
    const TabRef tab = entryTab(w.ListPos);
    if (tab.tab < 0 || tab.tab >= TabCount)
        return;
    w.CurrentEntry = FmMemo->MemoList.line(w.ListPos);
    tabs_.setActiveBrowser(tab);
    tabs_.setActiveSheet(tab);
    if (modeOf(w.AccessMode) != Mode::List) {
        // The entry is a name, "=" and an address.
        FmMain->PageControlMain.setActivePage(&FmMain->TabSheetMBase);
        FmMain->WorkText = w.CurrentEntry;
        FmMain->KeyFront = "=";
        FmMain->PFCLEFrontClick();
        w.CurrentEntry = FmMain->ResultText;
        FmMain->PFCLERearClick();
        const std::string address = FmMain->ResultText;
        if (FmMain->WorkText.find('@') != std::string::npos) {
            // The entry comes from a tree or list file, perhaps a downloaded
            // one: a mail program takes the "?" part of an address as
            // options, attachments among them. The run goes on either way.
            if (vantrel::isMailAddress(address))
                app().shell().open("mailto:" + address);
            else
                FmMemo->MemoLog.addLine("Not a mail address, not opened: " + address);
        } else {
            // The address box keeps a record of the addresses opened, the
            // newest first, as they read; the tab bookkeeping below shows
            // the first one.
            ComboBox& box = FmMain->ComboBoxURL;
            const std::string shown = vantrel::readableAddress(address);
            std::vector<std::string> record = box.items();
            record.erase(std::remove(record.begin(), record.end(), shown), record.end());
            record.insert(record.begin(), shown);
            box.setItems(record);
            box.setText(shown);
        }
    }
    tabs_.show(tab);
    tabs_.setCaption(tab, w.CurrentEntry);
    w.ActionPageNum();
    restTabs();
}

void RunEngine::formInput()
{
    TFmCpp& w = window_;
    w.InputText = query(w.CurrentEntry);
    switch (pageOf(w.PageName)) {
    case Page::Manip:
        // The operation table is replayed with real keys and clicks instead.
        FmCtrl->PMMSrcRunClick();
        return;
    case Page::Base:
    case Page::Free: {
        const auto tab = tabs_.activeBrowser();
        if (!tab)
            throw browserctl::DocumentCallError("Document: no browser is active");
        if (searchAddress()) {
            // The address is the search: no form to fill.
            tabs_.navigate(*tab, searchAddressFor(w.SiteURL, w.InputText));
            return;
        }
        const RunTabs::FormInput input = tabs_.fill(*tab, w.InputText);
        logFormChoice(input);
        if (results::EntryRecord* entry = recordingEntry(w.ListPos))
            entry->submission = input.post;
        return;
    }
    case Page::Other:
        return;
    }
}

void RunEngine::openCheck()
{
    TFmCpp& w = window_;
    if (modeOf(w.AccessMode) != Mode::Single) {
        for (int i = 0; i < w.ListCount && w.StartTab + i < TabCount; ++i) {
            const std::string entry = FmMemo->MemoList.line(i);
            FmMemo->MemoLog.addLine(entry);
            const TabRef tab = entryTab(i);
            tabs_.setActiveSheet(tab);
            const std::string caption = tabs_.caption(tab);
            FmMemo->MemoLog.addLine(caption);
            tabs_.setActiveBrowser(tab);
            const std::string address = tabs_.address(tab);
            FmMemo->MemoLog.addLine(address);
            auto& done = w.DoneFlags[static_cast<size_t>(i)];
            // Still on the search site: the search did not happen.
            if (address == w.SiteURL) {
                FmMemo->MemoLog.addLine(address);
                done = false;
            }
            if (done) {
                if (caption != entry) {
                    done = false;
                    w.RetryNeeded = true;
                }
            } else {
                w.RetryNeeded = true;
            }
            if (!done)
                recordRetry(i);
        }
    }
    // A run may be told to give up after some passes (a batch run must
    // end); by default it goes on until every entry is done.
    if (w.RetryNeeded && (options.maxPasses <= 0 || passCount_ < options.maxPasses))
        beginPass();
    else
        finish(false, false);
}

void RunEngine::end()
{
    finish(true, false);
}

void RunEngine::endForClose()
{
    if (running() || recording_)
        finish(true, true);
}

void RunEngine::finish(bool stopped, bool closing)
{
    TFmCpp& w = window_;
    FmMemo->MemoLog.addLine("PMPEndClick");
    w.Timer1.setEnabled(false);
    w.TimerQuick.setEnabled(false);
    slots_.clear();
    quick_ = false;
    paused_ = false;
    FmSys->showRunState("");
    hideBlockBar();
    w.ListPos = 0;
    if (modeOf(w.AccessMode) == Mode::Single) {
        // A single search names its tab after the result page.
        const auto sheet = tabs_.activeSheet();
        const auto browser = tabs_.activeBrowser();
        if (sheet && browser && tabs_.opened(*browser))
            tabs_.setCaption(*sheet, tabs_.title(*browser));
    }
    w.ComboBoxLike.setEnabled(true);
    w.offerStop(false);
    if (progressShown_) {
        w.setCaption(captionBeforeRun_);
        progressShown_ = false;
    }
    const bool recorded = recording_;
    endRecord(stopped);
    settling_.clear();
    tabs_.setRunPage(std::nullopt);
    if (closing) {
        FmMemo->StayInBackground = false;
        return;
    }
    app().sound().beep(BeepKind::Information);
    // The results are ready once everything the end does is done; from
    // then on the workspace shows itself again when asked to.
    struct ShowResults {
        bool show;
        ~ShowResults()
        {
            if (show)
                FmMemo->showResultsPage();
            FmMemo->StayInBackground = false;
        }
    } showResults{recorded && options.fetchOperatorAtEnd};
    if (!options.fetchOperatorAtEnd)
        return;
    // The operator file is fetched again after every run. A site that
    // cannot be reached is worth a line in the log, not an error box at the
    // end of each run.
    try {
        FmCtrl->PMJoinAOperatorClick();
    } catch (const std::exception& e) {
        FmMemo->MemoLog.addLine(std::string("UpDate: ") + e.what());
    }
}

// ---------------------------------------------------------- completions

void RunEngine::documentComplete(TabRef tab, const std::string& url)
{
    TFmCpp& w = window_;
    if (siteTest_ && siteTest_->tab == tab && url == tabs_.address(tab)) {
        w.ActionDocumentComplete(false);
        const PageCheck check = loadCheck(-1, tab);
        if (check.verdict == Verdict::Failed) {
            endSiteTest("could not open " + url + ": " + check.reason);
        } else if (check.verdict == Verdict::Blocked) {
            endSiteTest("the site answered with a block page (" + check.reason + ")");
        } else if (searchAddress()) {
            endSiteTest(std::string(siteKindName(SiteKind::SearchAddress)) + ": the result page came, \"" +
                        tabs_.title(tab) + "\"");
        } else {
            try {
                const RunTabs::FormInput found = tabs_.searchFormOf(tab);
                endSiteTest(std::string(siteKindName(found.found ? SiteKind::FoundForm : SiteKind::NamedForm)) + ": " +
                            found.description);
            } catch (const std::exception& e) {
                endSiteTest(e.what());
            }
        }
        return;
    }
    // A result page waiting to settle that a script sent on: the new page
    // is the one to watch (within the first one's time).
    for (const Settling& waiting : settling_)
        if (waiting.tab == tab && url == tabs_.address(tab))
            tabs_.watchSettle(tab, site.settleMs, site.resultLinks);
    if (quick_) {
        // Quick pacing follows each tab's own pages; the timer's stages
        // play no part.
        w.ActionDocumentComplete(false);
        if (tab.page == w.MainPage)
            quickDocumentComplete(tab, url);
        return;
    }
    // An entry that failed in this try is not made done by its later
    // pages.
    const bool fromRunBrowser = isRunTab(tab) && !paused_ && !seedEntryClosed_;
    const bool list = modeOf(w.AccessMode) == Mode::List;
    const bool topDocument = url == tabs_.address(tab);
    const Stage stage = stageOf(w.RunStage);
    if (list && fromRunBrowser && topDocument && stage == Stage::Navi) {
        // The search page itself failed: there is no form to look for.
        const PageCheck check = loadCheck(w.ListPos, tab);
        if (check.verdict != Verdict::Fine) {
            w.ActionDocumentComplete(false);
            if (check.verdict == Verdict::Blocked)
                block(w.ListPos, check.reason);
            else
                seedFail(w.ListPos, "could not open " + w.SiteURL + ": " + check.reason);
            return;
        }
    }
    // The result page itself (not one of its frames), not the search site
    // answering on its own address.
    const bool resultPage = list && fromRunBrowser && stage == Stage::ListSrch && topDocument && url != w.SiteURL;
    if (resultPage) {
        const PageCheck check = loadCheck(w.ListPos, tab);
        if (check.verdict != Verdict::Fine) {
            w.ActionDocumentComplete(false);
            if (check.verdict == Verdict::Blocked)
                block(w.ListPos, check.reason);
            else
                seedFail(w.ListPos, check.reason);
            return;
        }
    }
    w.ActionDocumentComplete(fromRunBrowser);
    // Done by the timer's rule; recorded once the page has settled.
    if (resultPage)
        beginSettle(w.ListPos, tab);
}

void RunEngine::pageCompleted(bool fromRunBrowser)
{
    TFmCpp& w = window_;
    // Other tabs' pages (a late frame of the previous entry, a page the
    // user opened) neither hurry nor finish the current entry.
    if (modeOf(w.AccessMode) != Mode::List || !fromRunBrowser)
        return;
    // Every completed frame of the run's browser holds the run two ticks
    // before the form input. The try time is at least 6, so this never
    // reaches back to the navigation tick (4), which would open the site
    // again.
    switch (stageOf(w.RunStage)) {
    case Stage::Navi:
        w.Tick = FmSys->tryTime() - 2;
        break;
    case Stage::ListSrch:
        w.Tick = 2 * FmSys->tryTime() - 3;
        FmMemo->MemoLog.addLine(std::to_string(w.ListPos) + "=Comp");
        if (w.ListPos >= 0 && w.ListPos < TabCount)
            w.DoneFlags[static_cast<size_t>(w.ListPos)] = true;
        if (w.ListPos >= 0 && w.ListPos < w.ListCount)
            showProgress(w.ListPos, texts_.done);
        break;
    case Stage::None:
        break;
    }
}

// ------------------------------------------------------ the site test

void RunEngine::testSite(std::function<void(const std::string&)> tell)
{
    TFmCpp& w = window_;
    if (running())
        throw Error("The site can be tested when the run has ended.");
    const TabRef tab{w.MainPage, w.CurrentTab};
    siteTest_ = SiteTest{tab, app().clock().tickCount(), std::move(tell)};
    tabs_.setActiveBrowser(tab);
    // A search address is tried with the theme, as a run would search it.
    const std::string theme = w.EditThemas.text();
    const std::string address =
        searchAddress() ? searchAddressFor(w.SiteURL, theme.empty() ? std::string("test") : theme) : w.SiteURL;
    const std::string opening = "opening " + address;
    FmMemo->MemoLog.addLine("Site test: " + opening);
    siteTest_->tell(opening);
    w.TimerSiteTest.setEnabled(true);
    tabs_.navigate(tab, address);
}

void RunEngine::siteTestTick()
{
    if (siteTest_ && app().clock().tickCount() - siteTest_->started >= static_cast<uint64_t>(FmSys->tryTime()) * 1000)
        endSiteTest("the page did not come in " + std::to_string(FmSys->tryTime()) + " s");
}

void RunEngine::endSiteTest(const std::string& finding)
{
    window_.TimerSiteTest.setEnabled(false);
    if (!siteTest_)
        return;
    const auto tell = std::move(siteTest_->tell);
    siteTest_.reset();
    FmMemo->MemoLog.addLine("Site test: " + finding);
    if (tell)
        tell(finding);
}

// -------------------------------------------------------- the settle

void RunEngine::beginSettle(int entry, TabRef tab)
{
    std::erase_if(settling_, [&](const Settling& s) { return s.entry == entry || s.tab == tab; });
    const uint64_t now = app().clock().tickCount();
    // A page that never says it settled (it changes for ever) is recorded
    // as it is: after its settle time and the margin, never later than the
    // try time after its completion.
    const uint64_t wait = std::min<uint64_t>(static_cast<uint64_t>(FmSys->tryTime()) * 1000,
                                             static_cast<uint64_t>(std::max(0, site.settleMs)) + SettleMarginMs);
    settling_.push_back({entry, tab, now, now + wait});
    tabs_.watchSettle(tab, site.settleMs, site.resultLinks);
}

void RunEngine::documentSettled(TabRef tab)
{
    const auto waiting =
        std::find_if(settling_.begin(), settling_.end(), [&](const Settling& s) { return s.tab == tab; });
    if (waiting != settling_.end())
        finishSettle(static_cast<size_t>(waiting - settling_.begin()), false);
}

void RunEngine::settleDue()
{
    for (;;) {
        const uint64_t now = app().clock().tickCount();
        const auto due =
            std::find_if(settling_.begin(), settling_.end(), [&](const Settling& s) { return now >= s.deadline; });
        if (due == settling_.end())
            return;
        finishSettle(static_cast<size_t>(due - settling_.begin()), false);
    }
}

void RunEngine::finishSettle(size_t index, bool atEnd)
{
    const Settling settled = settling_[index];
    settling_.erase(settling_.begin() + static_cast<std::ptrdiff_t>(index));
    if (!recording_)
        return;
    const int entry = settled.entry;
    if (const std::string reason = contentBlock(entry, settled.tab); !reason.empty()) {
        // What the page drew after its load was a block page after all.
        if (!atEnd) {
            block(entry, reason);
            return;
        }
        // The run ends: the entry keeps its block page as its result.
        window_.DoneFlags[static_cast<size_t>(entry)] = false;
        FmMemo->MemoLog.addLine(std::to_string(entry) + "=Blocked " + reason);
        if (results::EntryRecord* record = recordEntry(entry)) {
            record->state = results::EntryState::Blocked;
            record->reason = reason;
            record->finalAddress = tabs_.address(settled.tab);
            record->title = tabs_.title(settled.tab);
            FmMemo->showResultEntry(entry);
        }
        return;
    }
    recordResultPage(entry, settled.tab, settled.completedAt);
    restTabs();
    if (quick_ && !atEnd)
        quickPump();
}

// ------------------------------------------------------- the entry's tab

void RunEngine::showEntryTab(int entry)
{
    if (!recordEntry(entry))
        return;
    const int tab = record_.startTab + entry;
    if (tab < 0 || tab >= TabCount)
        return;
    tabs_.bringUp({pageIndex(pageOf(record_.page)), tab});
}

void RunEngine::showEntryResult(int entry)
{
    const results::EntryRecord* record = recordEntry(entry);
    const TabRef tab{pageIndex(pageOf(record_.page)), record_.startTab + entry};
    if (!record || tab.tab >= TabCount) {
        showEntryTab(entry);
        return;
    }
    // Before the tab is shown: showing a discarded tab reloads it, and a
    // reloaded POST result is the browser's question whether to send it
    // again, not the result.
    const bool discarded = tabs_.opened(tab) && tabs_.lifecycle(tab) == browserctl::Lifecycle::Discarded;
    const bool showsIt =
        tabs_.opened(tab) && tabs_.address(tab) == record->finalAddress && !(record->submission && discarded);
    showEntryTab(entry);
    if (running() || record->state != results::EntryState::Done || showsIt)
        return;
    tabs_.setActiveBrowser(tab);
    if (record->submission)
        tabs_.navigateSubmission(tab, *record->submission);
    else if (!record->finalAddress.empty())
        tabs_.navigate(tab, record->finalAddress);
}

void RunEngine::openInEntryTab(int entry, const std::string& address)
{
    if (!recordEntry(entry) || record_.startTab + entry >= TabCount)
        return;
    showEntryTab(entry);
    const TabRef tab{pageIndex(pageOf(record_.page)), record_.startTab + entry};
    tabs_.setActiveBrowser(tab);
    tabs_.navigate(tab, address);
}

} // namespace runs
