// Quick pacing: a list run driven by the pages themselves. Up to Parallel
// entries are in flight, each in its own tab, started in list order. An
// entry's form is filled as soon as its search page's top document has
// completed (and the site's host interval allows another search), and the
// entry is done as soon as its result page has completed; a page that
// never completes gives the entry up for this pass after the try time.
// Passes, the open check, the log lines and the records are those of the
// timer-paced run.

#include <algorithm>
#include <exception>

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"

using namespace framework;

std::string TFmCpp::quickHost() const
{
    const size_t start = SiteURL.find("://");
    if (start == std::string::npos)
        return SiteURL;
    const size_t end = SiteURL.find_first_of("/?#", start + 3);
    return SiteURL.substr(start + 3, end == std::string::npos ? std::string::npos : end - start - 3);
}

void TFmCpp::quickStartPass()
{
    FmMemo->MemoLog.addLine("PMPRendClick");
    quickSlots_.clear();
    quickNext_ = 0;
    Tick = 0;
    // The entries start from the clock's next turn, once the start has set
    // the start tab.
    TimerQuick.setEnabled(true);
}

void TFmCpp::TimerQuickTimer()
{
    ++Tick;
    quickPump();
}

void TFmCpp::quickStartEntry(int entry)
{
    ListPos = entry;
    PMPLstClick();
    FmSys->LabelCppLstNm.setCaption(std::to_string(entry) + "/" + std::to_string(ListCount));
    RunStage = "Navi";
    FmSys->LabelCppPrg.setCaption(RunStage);
    recordNavigation();
    showRunProgress(entry, "opening the search page");
    QuickSlot slot;
    slot.entry = entry;
    slot.navigatedAt = app().clock().tickCount();
    quickSlots_.push_back(slot);
    browserHost(MainPage, StartTab + entry).browser().Navigate(SiteURL);
}

void TFmCpp::quickPump()
{
    if (!quickActive_ || RunPaused)
        return;
    const uint64_t now = app().clock().tickCount();
    const std::string host = quickHost();
    const uint64_t timeOut = static_cast<uint64_t>(tryTime()) * 1000;
    // An entry whose pages do not come in the try time waits for the next
    // pass. The time counts the site's part: waiting for our own turn to
    // search (the host interval, a host's pause) is not the site's delay.
    for (size_t i = 0; i < quickSlots_.size();) {
        const QuickSlot& slot = quickSlots_[i];
        const bool sitesTurn = slot.stage == QuickSlot::Stage::Search || slot.stage == QuickSlot::Stage::Result;
        if (sitesTurn && now - slot.navigatedAt >= timeOut) {
            quickFinish(i, false);
            continue;
        }
        ++i;
    }
    const bool hostPaused = now < hostPausedUntil_[host];
    for (QuickSlot& slot : quickSlots_) {
        if (hostPaused)
            break;
        if (slot.stage == QuickSlot::Stage::Retry) {
            // The host's pause is over: the entry opens its search page
            // again.
            slot.stage = QuickSlot::Stage::Search;
            slot.navigatedAt = now;
            browserHost(MainPage, StartTab + slot.entry).browser().Navigate(SiteURL);
        } else if (slot.stage == QuickSlot::Stage::Ready && now >= hostNextSubmit_[host]) {
            hostNextSubmit_[host] = now + static_cast<uint64_t>(std::max(0, HostInterval));
            slot.stage = QuickSlot::Stage::Result;
            slot.navigatedAt = now;
            ListPos = slot.entry;
            CurrentEntry = FmMemo->MemoList.line(slot.entry);
            RunStage = "ListSrch";
            FmSys->LabelCppPrg.setCaption(RunStage);
            ActiveBrowser = &browserHost(MainPage, StartTab + slot.entry);
            // The tab being searched is the one in front.
            TabPages->setActivePage(&tabSheet(MainPage, StartTab + slot.entry));
            showRunProgress(slot.entry, "searching");
            try {
                PMPFormInputClick();
            } catch (const std::exception& e) {
                // A page without the form: the entry waits for the next
                // pass, and the user hears why, as from a timer tick.
                const int entry = slot.entry;
                quickFinish(static_cast<size_t>(&slot - quickSlots_.data()), false);
                app().dispatch([message = std::string(e.what()), entry] {
                    throw Error("Entry " + std::to_string(entry) + ": " + message);
                });
                return quickPump();
            }
        }
    }
    // New entries, in list order, while there is room.
    while (!hostPaused && static_cast<int>(quickSlots_.size()) < std::clamp(Parallel, 1, TabCount) &&
           quickNext_ < ListCount) {
        const int entry = quickNext_++;
        if (DoneFlags[static_cast<size_t>(entry)])
            continue;
        quickStartEntry(entry);
    }
    if (quickSlots_.empty() && quickNext_ >= ListCount) {
        TimerQuick.setEnabled(false);
        FmMemo->MemoLog.addLine("LstNm>=MaxCnt");
        PMPOpenCheckClick();
    }
}

void TFmCpp::quickFinish(size_t index, bool done)
{
    const int entry = quickSlots_[index].entry;
    quickSlots_.erase(quickSlots_.begin() + static_cast<std::ptrdiff_t>(index));
    DoneFlags[static_cast<size_t>(entry)] = done;
    showRunProgress(entry, done ? "done" : "no result page, tried again in the next pass");
    if (done) {
        FmMemo->MemoLog.addLine(std::to_string(entry) + "=Comp");
        applyLifecycle();
    } else if (results::EntryRecord* record = runEntry(entry);
               record && record->state == results::EntryState::Running) {
        record->state = results::EntryState::Waiting;
        FmMemo->showResultEntry(entry);
    }
}

void TFmCpp::quickDocumentComplete(int tab, const std::string& url)
{
    if (RunPaused)
        return;
    const auto slot = std::find_if(quickSlots_.begin(), quickSlots_.end(),
                                   [&](const QuickSlot& s) { return StartTab + s.entry == tab; });
    if (slot == quickSlots_.end())
        return;
    WebBrowserHost& host = browserHost(MainPage, tab);
    browserctl::WebBrowser& browser = host.browser();
    // Frames report their own completions; the tab's page is the top one.
    if (url != browser.LocationURL())
        return;
    const size_t index = static_cast<size_t>(slot - quickSlots_.begin());
    const int entry = slot->entry;
    const int status = browser.LocationStatus();
    if (slot->stage == QuickSlot::Stage::Search) {
        if (status == 429 || status == 503) {
            // The site asks for a pause: nothing is sent to it meanwhile,
            // and the entry opens its search page again afterwards. (The
            // browser engine does not show the reply's Retry-After.)
            hostPausedUntil_[quickHost()] = app().clock().tickCount() + HostPauseMs;
            FmMemo->MemoLog.addLine(quickHost() + " paused " + std::to_string(HostPauseMs / 1000) + " s (HTTP " +
                                    std::to_string(status) + ")");
            slot->stage = QuickSlot::Stage::Retry;
            return;
        }
        slot->stage = QuickSlot::Stage::Ready;
        quickPump();
        return;
    }
    if (slot->stage != QuickSlot::Stage::Result)
        return;
    // The site answered on its own address: the search did not happen.
    if (url == SiteURL) {
        quickFinish(index, false);
        quickPump();
        return;
    }
    if (const std::string reason = blockReason(browser); !reason.empty()) {
        quickSlots_.erase(quickSlots_.begin() + static_cast<std::ptrdiff_t>(index));
        blockRun(entry, reason);
        return;
    }
    recordResultPage(entry, host, url);
    quickFinish(index, true);
    quickPump();
}
