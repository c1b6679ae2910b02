// What a page did to its entry: a block page pauses the run until the user
// has solved it and pressed Resume; a page that failed (an error page, an
// HTTP error, a download, a renderer that died, a missing search form)
// fails its entry, which the next pass tries again; a page's dialogs are
// answered and logged.

#include <algorithm>
#include <exception>

#include "app/captions.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "app/links.h"
#include "browser/fm_cpp.h"
#include "browser/run_engine.h"
#include "framework/application.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace runs {

// ------------------------------------------------------ block and resume

RunEngine::PageCheck RunEngine::loadCheck(int entry, TabRef tab)
{
    if (std::string error = tabs_.loadError(tab); !error.empty())
        return {Verdict::Failed, std::move(error)};
    const int status = tabs_.status(tab);
    if (status < 400)
        return {};
    const std::string reason = "HTTP " + std::to_string(status);
    // 429 and 503 are a site asking for a pause; a 403 is a block only
    // when it comes with a challenge, else the page is refused.
    if (status == 429 || status == 503 || (status == 403 && !contentBlock(entry, tab).empty()))
        return {Verdict::Blocked, reason};
    return {Verdict::Failed, reason};
}

std::string RunEngine::contentBlock(int entry, TabRef tab)
{
    // The typed query and the entry are the user's words, not the site's:
    // a search for "captcha" shows them on its result page.
    std::vector<std::string> omit;
    if (const results::EntryRecord* record = recordEntry(entry)) {
        omit = {record->query, record->entry};
    } else if (entry >= 0) {
        const std::string line = FmMemo->MemoList.line(entry);
        omit = {query(line), line};
    }
    browserctl::BlockCheckText read;
    try {
        read = tabs_.blockCheckText(tab, site.resultLinks, omit, 64 * 1024);
    } catch (const std::exception&) {
        return "";
    }
    if (!read.humanCheck.empty())
        return "the page shows " + read.humanCheck;
    const std::string text = lowerAscii(read.text);
    for (const std::string& word : site.blockWords)
        if (!word.empty() && text.find(lowerAscii(word)) != std::string::npos)
            return "the page says \"" + word + "\"";
    return "";
}

void RunEngine::block(int index, const std::string& reason)
{
    // A block while the run already waits on one: this entry keeps its
    // block page as what it got, and the next pass tries it again.
    const bool first = !paused_;
    if (index >= 0 && index < TabCount)
        window_.DoneFlags[static_cast<size_t>(index)] = false;
    FmMemo->MemoLog.addLine(std::to_string(index) + "=Blocked " + reason);
    if (results::EntryRecord* entry = recordEntry(index))
        recordPageOutcome(*entry, index, first ? results::EntryState::Blocked : results::EntryState::Waiting, reason);
    if (!first)
        return;
    paused_ = true;
    blockedEntry_ = index;
    window_.Timer1.setEnabled(false);
    FmSys->LabelCppPrg.setCaption("blocked");
    FmSys->showRunState("blocked: " + std::to_string(index + 1) + " " + reason);
    // The settings window may be hidden: the browser window, where the
    // check is solved, says so above its tabs and in its title.
    showEntryTab(index);
    showProgress(index, texts_.blocked);
    showBlockBar(entryTab(index));
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
    hideBlockBar();
    FmMemo->MemoLog.addLine(std::to_string(index) + "=Resume");
    // Solved in its tab: the page it shows now is the entry's result.
    bool solved = false;
    if (const TabRef tab = entryTab(index); index >= 0 && tab.tab < TabCount && tabs_.opened(tab)) {
        const std::string url = tabs_.address(tab);
        solved = !url.empty() && url != w.SiteURL && loadCheck(index, tab).verdict == Verdict::Fine &&
                 contentBlock(index, tab).empty();
        if (solved)
            recordResultPage(index, tab, app().clock().tickCount());
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

void RunEngine::showBlockBar(TabRef tab)
{
    TFmCpp& w = window_;
    const std::string text = vantrel::formatText(texts_.blockBar, {std::to_string(tab.tab)});
    w.LabelBlock.setCaption(text);
    w.LabelBlock.setHint(text);
    w.ButtonBlockResume.setCaption(texts_.blockResume);
    w.PanelBlock.setVisible(true);
}

void RunEngine::hideBlockBar()
{
    window_.PanelBlock.setVisible(false);
}

// ------------------------------------------------------------ failures

void RunEngine::failEntry(int index, const std::string& reason)
{
    if (index >= 0 && index < TabCount)
        window_.DoneFlags[static_cast<size_t>(index)] = false;
    FmMemo->MemoLog.addLine(std::to_string(index) + "=Failed " + reason);
    std::string query;
    if (results::EntryRecord* entry = recordingEntry(index)) {
        query = " (" + entry->query + ")";
        recordPageOutcome(*entry, index, results::EntryState::Failed, reason);
    }
    showProgress(index, vantrel::formatText(texts_.failed, {reason}));
    reportSiteProblem("Entry " + std::to_string(index + 1) + query + " failed: " + reason);
}

void RunEngine::recordPageOutcome(results::EntryRecord& record, int index, results::EntryState state,
                                  const std::string& reason)
{
    const TabRef tab = entryTab(index);
    record.state = state;
    record.reason = reason;
    record.finalAddress = tabs_.address(tab);
    record.title = tabs_.title(tab);
    record.links.clear();
    FmMemo->showResultEntry(index);
}

void RunEngine::seedFail(int index, const std::string& reason)
{
    // The run goes on as after a result page, without the entry being done.
    seedEntryClosed_ = true;
    window_.Tick = 2 * FmSys->tryTime() - 3;
    failEntry(index, reason);
}

void RunEngine::reportSiteProblem(const std::string& message)
{
    // A site that fails fails every entry: one box tells the user, the log
    // and the results tell the rest.
    if (siteProblemShown_)
        return;
    siteProblemShown_ = true;
    app().dispatch([message] { throw Error(message); });
}

void RunEngine::formInputFailed(int index, const std::string& message)
{
    const std::string text = "Entry " + std::to_string(index + 1) + ": " + message;
    FmMemo->MemoLog.addLine(text);
    if (results::EntryRecord* entry = recordingEntry(index)) {
        entry->reason = message;
        FmMemo->showResultEntry(index);
    }
    reportSiteProblem(text);
}

void RunEngine::logFormChoice(const RunTabs::FormInput& input)
{
    // The form a run found is worth knowing once, not once per entry.
    if (!input.found || !formChoicesLogged_.insert(input.description).second)
        return;
    FmMemo->MemoLog.addLine("search form: " + input.description);
}

void RunEngine::pageFailed(TabRef tab, const browserctl::PageFailure& failure)
{
    TFmCpp& w = window_;
    const int entry = entryOfTab(tab);
    if (!running() || entry < 0)
        return;
    std::string reason = failure.reason;
    const auto waiting =
        std::find_if(settling_.begin(), settling_.end(), [&](const Settling& s) { return s.tab == tab; });
    if (waiting != settling_.end()) {
        // Its result page went before it was recorded.
        settling_.erase(waiting);
        failEntry(entry, reason);
        if (quick_)
            quickPump();
        return;
    }
    if (quick_) {
        const auto slot = std::find_if(slots_.begin(), slots_.end(), [&](const Slot& s) { return s.entry == entry; });
        if (slot == slots_.end() || slot->stage == SlotStage::Retry)
            return;
        if (slot->stage != SlotStage::Result)
            reason = "could not open " + w.SiteURL + ": " + reason;
        quickRelease(entry);
        failEntry(entry, reason);
        quickPump();
        return;
    }
    const Stage stage = stageOf(w.RunStage);
    if (!isRunTab(tab) || seedEntryClosed_ || w.DoneFlags[static_cast<size_t>(entry)] || stage == Stage::None)
        return;
    seedFail(entry, stage == Stage::Navi ? "could not open " + w.SiteURL + ": " + reason : reason);
}

void RunEngine::pageDialog(TabRef tab, const browserctl::PageDialog& dialog)
{
    // One line, and not a page's worth of it.
    std::string text = dialog.text.substr(0, 200);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\t'; }, ' ');
    FmMemo->MemoLog.addLine("tab " + std::to_string(tab.tab) + ": " + browserctl::pageDialogKindName(dialog.kind) +
                            (text.empty() ? "" : " \"" + text + "\""));
}

} // namespace runs
