// The list run: a one-second timer walks the list over the tabs of the
// current page, opening the search site, filling the form and checking the
// result pages (Quick pacing lets the pages drive instead, see
// quick_pacing.cpp); the open check repeats the pass until every entry is
// done. A block page pauses the run until the user has solved it.

#include "browser/run_engine.h"

#include <algorithm>
#include <exception>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app/links.h"
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

bool RunEngine::isRunTab(TabRef tab)
{
    // The active browser alone is not enough: from the move to the next
    // entry until its tab is selected (tick 3) it still names the previous
    // tab, whose late frames must not count for the new entry.
    return tab == entryTab(window_.ListPos) && tabs_.activeBrowser() == tab;
}

void RunEngine::showProgress(int entry, const std::string& state)
{
    if (!progressShown_) {
        captionBeforeRun_ = window_.caption();
        progressShown_ = true;
    }
    window_.setCaption(captionBeforeRun_ + " — entry " + std::to_string(entry + 1) + " of " +
                       std::to_string(window_.ListCount) + ": " + FmMemo->MemoList.line(entry) + ", " + state);
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

void RunEngine::search()
{
    if (modeOf(window_.AccessMode) != Mode::Single) {
        if (FmCtrl->ListSuffix == "Edd1")
            FmCtrl->PMTrVwMTListUpClick();
        else
            FmCtrl->PMBunchTListUpClick();
    }
    begin();
}

void RunEngine::startList(const std::vector<std::string>& words)
{
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
    FmSys->showRunState("");
    w.offerStop(true);
    reset();
    beginPass();
    w.StartTab = w.CurrentTab;
    FmSys->LabelBginPos.setCaption(std::to_string(w.StartTab));
    // A page has 51 tabs: entries past the last tab are left out, and the
    // log says so.
    const int entries = FmMemo->MemoList.lineCount();
    w.ListCount = std::min(entries, tabsLeft());
    if (mode != Mode::Single && entries > tabsLeft())
        FmMemo->MemoLog.addLine(std::to_string(entries - tabsLeft()) + " entries left out: tabs " +
                                std::to_string(w.StartTab) + " to 50 hold " + std::to_string(tabsLeft()));
    if (FmMain->LectureName == "Serch") {
        FmMemo->MemoLog.setText(FmMain->LectureTexts[6]);
        FmMain->PageControlMain.setActivePage(&FmMain->TabSheetMBase);
        FmMemo->setBounds(580, 280, 240, 400);
    }
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
    if (modeOf(w.AccessMode) == Mode::Single)
        FmMemo->MemoList.setText(" ");
    w.ListCount = std::min(FmMemo->MemoList.lineCount(), tabsLeft());
    FmMemo->MemoLog.addLine("MaxCnt=" + std::to_string(w.ListCount));

    if (w.ListPos >= 0 && w.ListPos < TabCount && w.DoneFlags[static_cast<size_t>(w.ListPos)]) {
        ++w.ListPos;
        restartEntry();
    }
    if (w.ListPos >= w.ListCount) {
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
            // The stage is set before the call, so a page that completes
            // inside the call already counts as the search site.
            w.RunStage = stageText(Stage::Navi);
            FmSys->LabelCppPrg.setCaption(w.RunStage);
            recordNavigation();
            showProgress(w.ListPos, "opening the search page");
            tabs_.navigate(*tab, w.SiteURL);
        }
        break;
    default:
        break;
    }
    if (w.Tick == FmSys->tryTime()) {
        w.RunStage = stageText(Stage::ListSrch);
        FmSys->LabelCppPrg.setCaption(w.RunStage);
        if (w.ListPos < w.ListCount) {
            showProgress(w.ListPos, "searching");
            formInput();
        }
    }
    if (w.Tick == 2 * FmSys->tryTime()) {
        if (w.ListPos < w.ListCount && !w.DoneFlags[static_cast<size_t>(w.ListPos)])
            showProgress(w.ListPos, "no result page, tried again in the next pass");
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
            // newest first; the tab bookkeeping below shows the first one.
            ComboBox& box = FmMain->ComboBoxURL;
            std::vector<std::string> record = box.items();
            record.erase(std::remove(record.begin(), record.end(), address), record.end());
            record.insert(record.begin(), address);
            box.setItems(record);
            box.setText(address);
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
    w.InputText = w.EditThemas.text() + w.CurrentEntry;
    switch (pageOf(w.PageName)) {
    case Page::Manip:
        // The operation table is replayed with real keys and clicks instead.
        FmCtrl->PMMSrcRunClick();
        return;
    case Page::Base:
    case Page::Free:
        if (const auto tab = tabs_.activeBrowser())
            return tabs_.fill(*tab, w.InputText);
        throw browserctl::DocumentCallError("Document: no browser is active");
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
        end();
}

void RunEngine::end()
{
    TFmCpp& w = window_;
    FmMemo->MemoLog.addLine("PMPEndClick");
    w.Timer1.setEnabled(false);
    w.TimerQuick.setEnabled(false);
    slots_.clear();
    quick_ = false;
    paused_ = false;
    FmSys->showRunState("");
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
    endRecord();
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
    if (quick_) {
        // Quick pacing follows each tab's own pages; the timer's stages
        // play no part.
        w.ActionDocumentComplete(false);
        if (tab.page == w.MainPage)
            quickDocumentComplete(tab, url);
        return;
    }
    const bool fromRunBrowser = isRunTab(tab) && !paused_;
    // The result page itself (not one of its frames), not the search site
    // answering on its own address.
    const bool resultPage = modeOf(w.AccessMode) == Mode::List && fromRunBrowser &&
                            stageOf(w.RunStage) == Stage::ListSrch && url == tabs_.address(tab) && url != w.SiteURL;
    if (resultPage) {
        if (const std::string reason = blockReason(tab); !reason.empty()) {
            w.ActionDocumentComplete(false);
            block(w.ListPos, reason);
            return;
        }
    }
    w.ActionDocumentComplete(fromRunBrowser);
    if (resultPage) {
        recordResultPage(w.ListPos, tab, url);
        restTabs();
    }
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
            showProgress(w.ListPos, "done");
        break;
    case Stage::None:
        break;
    }
}

// ------------------------------------------------------ block and resume

std::string RunEngine::blockReason(TabRef tab)
{
    const int status = tabs_.status(tab);
    if (status == 403 || status == 429 || status == 503)
        return "HTTP " + std::to_string(status);
    if (site.blockWords.empty())
        return "";
    std::string text;
    try {
        text = lowerAscii(tabs_.text(tab, 64 * 1024));
    } catch (const std::exception&) {
        return "";
    }
    for (const std::string& word : site.blockWords)
        if (!word.empty() && text.find(lowerAscii(word)) != std::string::npos)
            return "the page says \"" + word + "\"";
    return "";
}

void RunEngine::block(int index, const std::string& reason)
{
    paused_ = true;
    blockedEntry_ = index;
    window_.Timer1.setEnabled(false);
    if (index >= 0 && index < TabCount)
        window_.DoneFlags[static_cast<size_t>(index)] = false;
    FmMemo->MemoLog.addLine(std::to_string(index) + "=Blocked " + reason);
    if (results::EntryRecord* entry = recordEntry(index)) {
        entry->state = results::EntryState::Blocked;
        FmMemo->showResultEntry(index);
    }
    FmSys->LabelCppPrg.setCaption("blocked");
    FmSys->showRunState("blocked: " + std::to_string(index + 1) + " " + reason);
    showEntryTab(index);
    app().sound().beep(BeepKind::Warning);
    runBlocked.emit(index);
}

void RunEngine::resume()
{
    TFmCpp& w = window_;
    if (!paused_)
        return;
    paused_ = false;
    const int index = blockedEntry_;
    blockedEntry_ = -1;
    FmSys->showRunState("");
    FmMemo->MemoLog.addLine(std::to_string(index) + "=Resume");
    // Solved in its tab: the page it shows now is the entry's result.
    bool solved = false;
    if (const TabRef tab = entryTab(index); index >= 0 && tab.tab < TabCount && tabs_.opened(tab)) {
        const std::string url = tabs_.address(tab);
        solved = !url.empty() && url != w.SiteURL && blockReason(tab).empty();
        if (solved)
            recordResultPage(index, tab, url);
    }
    if (results::EntryRecord* entry = recordEntry(index); entry && !solved) {
        entry->state = results::EntryState::Waiting;
        FmMemo->showResultEntry(index);
    }
    if (quick_) {
        if (solved) {
            w.DoneFlags[static_cast<size_t>(index)] = true;
            FmMemo->MemoLog.addLine(std::to_string(index) + "=Comp");
        } else {
            quickStartEntry(index);
        }
        quickPump();
        return;
    }
    // The timer goes on with the same entry: done, it moves to the next one;
    // not done, the entry starts again.
    w.DoneFlags[static_cast<size_t>(index)] = solved;
    if (solved)
        FmMemo->MemoLog.addLine(std::to_string(index) + "=Comp");
    w.ListPos = index;
    restartEntry();
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
