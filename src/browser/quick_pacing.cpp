// Quick pacing: a list run driven by the pages themselves. Up to the
// parallel count of entries are in flight, each in its own tab, started in
// list order. An entry's form is filled as soon as its search page's top
// document has completed (and the site's gap allows another search; a
// search address is opened when the gap allows), and the entry is done as
// soon as its result page has completed: its place goes to the next entry
// while its record waits for the page to settle. A page that never
// completes gives the entry up for this pass after the try time. Passes,
// the open check, the log lines and the records are those of the
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
    settleDue();
    quickPump();
}

void RunEngine::quickStartEntry(int entry)
{
    TFmCpp& w = window_;
    w.ListPos = entry;
    selectEntry();
    FmSys->LabelCppLstNm.setCaption(std::to_string(entry) + "/" + std::to_string(w.ListCount));
    const uint64_t now = app().clock().tickCount();
    if (searchAddress()) {
        // Nothing to load before the search: the entry waits for the
        // site's gap, then opens its search address.
        showProgress(entry, texts_.waiting);
        slots_.push_back({entry, SlotStage::Ready, now});
        return;
    }
    w.RunStage = stageText(Stage::Navi);
    FmSys->LabelCppPrg.setCaption(w.RunStage);
    recordNavigation();
    showProgress(entry, texts_.opening);
    slots_.push_back({entry, SlotStage::Search, now});
    tabs_.navigate(entryTab(entry), w.SiteURL);
}

void RunEngine::quickSearch(size_t index)
{
    TFmCpp& w = window_;
    Slot& slot = slots_[index];
    const TabRef tab = entryTab(slot.entry);
    const uint64_t now = app().clock().tickCount();
    hostNextSubmit_[hostOf(w.SiteURL).site()] = now + static_cast<uint64_t>(std::max(0, options.hostInterval));
    slot.stage = SlotStage::Result;
    slot.since = now;
    const int entry = slot.entry;
    w.ListPos = entry;
    w.CurrentEntry = FmMemo->MemoList.line(entry);
    w.RunStage = stageText(Stage::ListSrch);
    FmSys->LabelCppPrg.setCaption(w.RunStage);
    tabs_.setActiveBrowser(tab);
    // The tab being searched is the one in front.
    tabs_.show(tab);
    if (searchAddress())
        recordNavigation();
    showProgress(entry, texts_.searching);
    try {
        // The operation program's wait lets this tab's pages in, which may
        // move the slots: the slot is not used after the call.
        formInput();
    } catch (const std::exception& e) {
        if (app().quitRequested())
            return; // cancelled by a quit: the stop that follows records it
        // A page without a search form: the entry waits for the next pass,
        // and the reason is told.
        const auto failed = std::find_if(slots_.begin(), slots_.end(), [&](const Slot& s) { return s.entry == entry; });
        if (failed != slots_.end())
            quickFinish(static_cast<size_t>(failed - slots_.begin()), false);
        formInputFailed(entry, e.what());
    }
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
    // search (the site's gap, its pause) is not the site's delay, and
    // neither is the browser's own queue: it keeps SiteConnections
    // connections to a host, and a page beyond them has not reached the
    // site yet. Its time starts when one before it is through.
    {
        std::vector<Slot*> atSite;
        for (Slot& slot : slots_)
            if (slot.stage == SlotStage::Search || slot.stage == SlotStage::Result)
                atSite.push_back(&slot);
        std::stable_sort(atSite.begin(), atSite.end(),
                         [](const Slot* a, const Slot* b) { return a->since < b->since; });
        for (size_t i = SiteConnections; i < atSite.size(); ++i)
            atSite[i]->since = now;
    }
    for (size_t i = 0; i < slots_.size();) {
        const Slot& slot = slots_[i];
        const bool sitesTurn = slot.stage == SlotStage::Search || slot.stage == SlotStage::Result;
        if (sitesTurn && now - slot.since >= timeOut) {
            quickFinish(i, false);
            continue;
        }
        ++i;
    }
    // Each step may change the slots (a search that fails ends its slot,
    // the operation program's wait lets pages in): the next one is looked
    // for afresh. Each step moves its slot on, so this ends.
    for (;;) {
        if (!quick_ || paused_ || app().clock().tickCount() < hostPausedUntil_[host])
            break;
        const auto next = std::find_if(slots_.begin(), slots_.end(), [&](const Slot& s) {
            return s.stage == SlotStage::Retry ||
                   (s.stage == SlotStage::Ready && app().clock().tickCount() >= hostNextSubmit_[host]);
        });
        if (next == slots_.end())
            break;
        if (next->stage == SlotStage::Retry) {
            // The site's pause is over: the entry opens its search page
            // again.
            next->stage = SlotStage::Search;
            next->since = app().clock().tickCount();
            tabs_.navigate(entryTab(next->entry), w.SiteURL);
        } else {
            quickSearch(static_cast<size_t>(next - slots_.begin()));
        }
    }
    if (!quick_ || paused_)
        return;
    // New entries, in list order, while there is room.
    const bool sitePaused = app().clock().tickCount() < hostPausedUntil_[host];
    bool started = false;
    while (!sitePaused && static_cast<int>(slots_.size()) < std::clamp(parallel_, 1, TabCount) &&
           nextEntry_ < w.ListCount) {
        const int entry = nextEntry_++;
        if (w.DoneFlags[static_cast<size_t>(entry)])
            continue;
        quickStartEntry(entry);
        started = true;
    }
    // A search address's entry may search at once.
    if (started && searchAddress())
        return quickPump();
    // The pass ends when nothing is in flight and no record is being taken.
    if (slots_.empty() && nextEntry_ >= w.ListCount && settling_.empty()) {
        w.TimerQuick.setEnabled(false);
        FmMemo->MemoLog.addLine("LstNm>=MaxCnt");
        openCheck();
    }
}

// A page of an entry in flight that was a block page or failed: its slot
// is freed and the entry blocks the run or fails with `failure`.
void RunEngine::quickPageWent(int entry, const PageCheck& check, const std::string& failure)
{
    quickRelease(entry);
    if (check.verdict == Verdict::Blocked)
        block(entry, check.reason);
    else
        failEntry(entry, failure);
    quickPump();
}

void RunEngine::quickFinish(size_t index, bool done)
{
    const int entry = slots_[index].entry;
    slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(index));
    window_.DoneFlags[static_cast<size_t>(entry)] = done;
    if (done) {
        // Its place goes to the next entry now; the record follows once the
        // page has settled.
        FmMemo->MemoLog.addLine(std::to_string(entry) + "=Comp");
        showProgress(entry, texts_.done);
        return;
    }
    showProgress(entry, texts_.retry);
    if (results::EntryRecord* record = recordEntry(entry); record && record->state == results::EntryState::Running) {
        record->state = results::EntryState::Waiting;
        FmMemo->showResultEntry(entry);
    }
}

void RunEngine::quickRelease(int entry)
{
    std::erase_if(slots_, [&](const Slot& s) { return s.entry == entry; });
}

void RunEngine::quickDocumentComplete(TabRef tab, const std::string& url)
{
    TFmCpp& w = window_;
    // While a block page waits for the user nothing is sent to the site,
    // but the pages already asked for are taken as they come.
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
        // The search page itself failed: there is no form to look for.
        if (const PageCheck check = loadCheck(entry, tab); check.verdict != Verdict::Fine) {
            quickPageWent(entry, check, "could not open " + w.SiteURL + ": " + check.reason);
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
    if (const PageCheck check = loadCheck(entry, tab); check.verdict != Verdict::Fine) {
        quickPageWent(entry, check, check.reason);
        return;
    }
    quickFinish(index, true);
    beginSettle(entry, tab);
    quickPump();
}

} // namespace runs
