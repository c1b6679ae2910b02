// Quick pacing: a list run driven by the pages themselves. Up to the
// parallel count of entries are in flight, each in its own tab, started in
// list order. An entry's form is filled as soon as its search page's top
// document has completed (and the site's gap allows another search), and
// the entry is done as soon as its result page has completed; a page that
// never completes gives the entry up for this pass after the try time.
// Passes, the open check, the log lines and the records are those of the
// timer-paced run.

#include <algorithm>
#include <exception>

#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "browser/run_engine.h"
#include "browser/url_host.h"
#include "framework/application.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"

using namespace framework;

namespace runs {

void RunEngine::quickStartPass()
{
    FmMemo->MemoLog.addLine("PMPRendClick");
    slots_.clear();
    nextEntry_ = 0;
    window_.Tick = 0;
    // The entries start from the clock's next turn, once the start has set
    // the start tab.
    window_.TimerQuick.setEnabled(true);
}

void RunEngine::quickTick()
{
    ++window_.Tick;
    quickPump();
}

void RunEngine::quickStartEntry(int entry)
{
    TFmCpp& w = window_;
    w.ListPos = entry;
    selectEntry();
    FmSys->LabelCppLstNm.setCaption(std::to_string(entry) + "/" + std::to_string(w.ListCount));
    w.RunStage = stageText(Stage::Navi);
    FmSys->LabelCppPrg.setCaption(w.RunStage);
    recordNavigation();
    showProgress(entry, "opening the search page");
    slots_.push_back({entry, SlotStage::Search, app().clock().tickCount()});
    tabs_.navigate(entryTab(entry), w.SiteURL);
}

void RunEngine::quickPump()
{
    TFmCpp& w = window_;
    if (!quick_ || paused_)
        return;
    const uint64_t now = app().clock().tickCount();
    const std::string host = hostOf(w.SiteURL).site();
    const uint64_t timeOut = static_cast<uint64_t>(FmSys->tryTime()) * 1000;
    // An entry whose pages do not come in the try time waits for the next
    // pass. The time counts the site's part: waiting for our own turn to
    // search (the site's gap, its pause) is not the site's delay.
    for (size_t i = 0; i < slots_.size();) {
        const Slot& slot = slots_[i];
        const bool sitesTurn = slot.stage == SlotStage::Search || slot.stage == SlotStage::Result;
        if (sitesTurn && now - slot.since >= timeOut) {
            quickFinish(i, false);
            continue;
        }
        ++i;
    }
    const bool sitePaused = now < hostPausedUntil_[host];
    for (size_t i = 0; i < slots_.size() && !sitePaused; ++i) {
        Slot& slot = slots_[i];
        const TabRef tab = entryTab(slot.entry);
        if (slot.stage == SlotStage::Retry) {
            // The site's pause is over: the entry opens its search page
            // again.
            slot.stage = SlotStage::Search;
            slot.since = now;
            tabs_.navigate(tab, w.SiteURL);
        } else if (slot.stage == SlotStage::Ready && now >= hostNextSubmit_[host]) {
            hostNextSubmit_[host] = now + static_cast<uint64_t>(std::max(0, options.hostInterval));
            slot.stage = SlotStage::Result;
            slot.since = now;
            w.ListPos = slot.entry;
            w.CurrentEntry = FmMemo->MemoList.line(slot.entry);
            w.RunStage = stageText(Stage::ListSrch);
            FmSys->LabelCppPrg.setCaption(w.RunStage);
            tabs_.setActiveBrowser(tab);
            // The tab being searched is the one in front.
            tabs_.show(tab);
            const int entry = slot.entry;
            showProgress(entry, "searching");
            try {
                // The operation program's wait lets this tab's pages in,
                // which may move the slots: the slot is found again below.
                formInput();
            } catch (const std::exception& e) {
                // A page without the form: the entry waits for the next
                // pass, and the user hears why, as from a timer tick.
                const auto failed =
                    std::find_if(slots_.begin(), slots_.end(), [&](const Slot& s) { return s.entry == entry; });
                if (failed != slots_.end())
                    quickFinish(static_cast<size_t>(failed - slots_.begin()), false);
                app().dispatch([message = std::string(e.what()), entry] {
                    throw Error("Entry " + std::to_string(entry) + ": " + message);
                });
                return quickPump();
            }
        }
    }
    // New entries, in list order, while there is room.
    while (!sitePaused && static_cast<int>(slots_.size()) < std::clamp(parallel_, 1, TabCount) &&
           nextEntry_ < w.ListCount) {
        const int entry = nextEntry_++;
        if (w.DoneFlags[static_cast<size_t>(entry)])
            continue;
        quickStartEntry(entry);
    }
    if (slots_.empty() && nextEntry_ >= w.ListCount) {
        w.TimerQuick.setEnabled(false);
        FmMemo->MemoLog.addLine("LstNm>=MaxCnt");
        openCheck();
    }
}

void RunEngine::quickFinish(size_t index, bool done)
{
    const int entry = slots_[index].entry;
    slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(index));
    window_.DoneFlags[static_cast<size_t>(entry)] = done;
    showProgress(entry, done ? "done" : "no result page, tried again in the next pass");
    if (done) {
        FmMemo->MemoLog.addLine(std::to_string(entry) + "=Comp");
        restTabs();
    } else if (results::EntryRecord* record = recordEntry(entry);
               record && record->state == results::EntryState::Running) {
        record->state = results::EntryState::Waiting;
        FmMemo->showResultEntry(entry);
    }
}

void RunEngine::quickDocumentComplete(TabRef tab, const std::string& url)
{
    TFmCpp& w = window_;
    if (paused_)
        return;
    const auto slot =
        std::find_if(slots_.begin(), slots_.end(), [&](const Slot& s) { return entryTab(s.entry) == tab; });
    if (slot == slots_.end())
        return;
    // Frames report their own completions; the tab's page is the top one.
    if (url != tabs_.address(tab))
        return;
    const size_t index = static_cast<size_t>(slot - slots_.begin());
    const int entry = slot->entry;
    if (slot->stage == SlotStage::Search) {
        if (const int status = tabs_.status(tab); status == 429 || status == 503) {
            // The site asks for a pause: nothing is sent to it meanwhile,
            // and the entry opens its search page again afterwards. (The
            // browser engine does not show the reply's Retry-After.)
            const std::string host = hostOf(w.SiteURL).site();
            hostPausedUntil_[host] = app().clock().tickCount() + HostPauseMs;
            FmMemo->MemoLog.addLine(host + " paused " + std::to_string(HostPauseMs / 1000) + " s (HTTP " +
                                    std::to_string(status) + ")");
            slot->stage = SlotStage::Retry;
            return;
        }
        slot->stage = SlotStage::Ready;
        quickPump();
        return;
    }
    if (slot->stage != SlotStage::Result)
        return;
    // The site answered on its own address: the search did not happen.
    if (url == w.SiteURL) {
        quickFinish(index, false);
        quickPump();
        return;
    }
    if (const std::string reason = blockReason(tab); !reason.empty()) {
        slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(index));
        block(entry, reason);
        return;
    }
    recordResultPage(entry, tab, url);
    quickFinish(index, true);
    quickPump();
}

} // namespace runs
