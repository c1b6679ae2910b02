// What a run found: one record per entry, kept as the run goes, shown live
// in the memo window's results page and saved under Results/ when the run
// ends. Keeping it costs the run no tick: the links of a result page are
// read in the handler that sees it settled.

#include <exception>

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "browser/run_engine.h"
#include "framework/application.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace runs {

results::EntryRecord* RunEngine::recordEntry(int index)
{
    if (!hasRecord_ || index < 0 || index >= static_cast<int>(record_.entries.size()))
        return nullptr;
    return &record_.entries[static_cast<size_t>(index)];
}

void RunEngine::beginRecord()
{
    const TFmCpp& w = window_;
    results::RunRecord run;
    const DateTime now = app().clock().localTime();
    run.started = {now.date.year, now.date.month, now.date.day, now.hour, now.minute, now.second};
    run.theme = w.EditThemas.text();
    run.mode = w.AccessMode;
    run.page = w.PageName;
    run.siteName = w.SiteTitle;
    run.site = w.SiteURL;
    run.formName = w.FormName;
    run.inputName = w.InputName;
    run.category = FmCtrl->ComboBoxTVFCategory.text();
    run.tryTime = FmSys->tryTime();
    run.startTab = w.StartTab;
    // A single search types the theme text alone.
    const std::vector<std::string> lines =
        modeOf(w.AccessMode) == Mode::Single ? std::vector<std::string>{""} : FmMemo->MemoList.lines();
    for (size_t i = 0; i < lines.size(); ++i) {
        results::EntryRecord entry;
        entry.number = static_cast<int>(i) + 1;
        entry.entry = lines[i];
        entry.query = query(lines[i]);
        entry.state = static_cast<int>(i) < tabsLeft() ? results::EntryState::Waiting : results::EntryState::LeftOut;
        run.entries.push_back(std::move(entry));
    }
    record_ = std::move(run);
    hasRecord_ = true;
    recording_ = true;
    navigatedAt_.assign(record_.entries.size(), 0);
    FmMemo->showResults();
    for (size_t i = 0; i < record_.entries.size(); ++i)
        if (record_.entries[i].state == results::EntryState::LeftOut)
            entrySettled.emit(static_cast<int>(i));
}

void RunEngine::recordNavigation()
{
    if (!recording_)
        return;
    const int index = window_.ListPos;
    results::EntryRecord* entry = recordEntry(index);
    if (!entry || entry->state == results::EntryState::LeftOut)
        return;
    ++entry->passes;
    entry->state = results::EntryState::Running;
    // What an earlier pass found out no longer holds.
    entry->reason.clear();
    entry->submission.reset();
    navigatedAt_[static_cast<size_t>(index)] = app().clock().tickCount();
    FmMemo->showResultEntry(index);
}

namespace {

// The result links of the tab's page, or why they could not be read.
std::string readLinks(RunTabs& tabs, TabRef tab, const SiteOptions& site, results::EntryRecord& entry)
{
    try {
        entry.links = results::selectResultLinks(tabs.resultLinks(tab, site.resultLinks), entry.finalAddress,
                                                 site.resultLinkCount);
        return "";
    } catch (const std::exception& e) {
        // The page is too large to read, the site's selector is one the
        // page refuses, or the page went on meanwhile: the entry is done,
        // and its record says that its links are missing.
        entry.links.clear();
        return std::string("the result links could not be read: ") + e.what();
    }
}

} // namespace

void RunEngine::recordResultPage(int index, TabRef tab, uint64_t completedAt)
{
    results::EntryRecord* entry = recordingEntry(index);
    if (!entry || !tabs_.opened(tab))
        return;
    // As the page is now: a script may have moved it on after its load.
    entry->finalAddress = tabs_.address(tab);
    entry->title = tabs_.title(tab);
    entry->seconds = static_cast<double>(completedAt - navigatedAt_[static_cast<size_t>(index)]) / 1000;
    entry->state = results::EntryState::Done;
    entry->reason = readLinks(tabs_, tab, site, *entry);
    if (!entry->reason.empty())
        FmMemo->MemoLog.addLine("Entry " + std::to_string(index + 1) + ": " + entry->reason);
    FmMemo->showResultEntry(index);
    entrySettled.emit(index);
}

void RunEngine::recordRetry(int index)
{
    results::EntryRecord* entry = recordingEntry(index);
    if (!entry || entry->state != results::EntryState::Done)
        return;
    entry->state = results::EntryState::Waiting;
    FmMemo->showResultEntry(index);
}

void RunEngine::endRecord(bool stopped)
{
    if (!recording_)
        return;
    // The records still waiting for their pages to settle are taken as the
    // pages are now.
    while (!settling_.empty())
        finishSettle(0, true);
    recording_ = false;
    const TFmCpp& w = window_;
    const bool single = modeOf(record_.mode) == Mode::Single;
    using results::EntryState;
    for (size_t i = 0; i < record_.entries.size(); ++i) {
        results::EntryRecord& entry = record_.entries[i];
        if (entry.state == EntryState::LeftOut)
            continue;
        const EntryState before = entry.state;
        const TabRef tab = entryTab(static_cast<int>(i));
        const bool hasTab = i < static_cast<size_t>(tabsLeft());
        const std::string address = hasTab ? tabs_.address(tab) : "";
        bool done = hasTab && before != EntryState::Blocked &&
                    (single ? tabs_.opened(tab) && !address.empty() && address != w.SiteURL : w.DoneFlags[i]);
        if (done && single) {
            // A single search has no completion of its own: its page is
            // judged now.
            if (const PageCheck check = loadCheck(static_cast<int>(i), tab); check.verdict != Verdict::Fine) {
                done = false;
                entry.state = check.verdict == Verdict::Blocked ? EntryState::Blocked : EntryState::Failed;
                entry.reason = check.reason;
                entry.finalAddress = address;
                entry.title = tabs_.title(tab);
            }
        }
        if (done && before != EntryState::Done) {
            // Done by its flag (frames only, or a single search): what its
            // tab shows now is its result.
            entry.finalAddress = address;
            entry.title = tabs_.title(tab);
            entry.reason = readLinks(tabs_, tab, site, entry);
        }
        if (done)
            entry.state = EntryState::Done;
        else if (entry.state != EntryState::Blocked && entry.state != EntryState::Failed)
            entry.state = stopped ? EntryState::Stopped : EntryState::GivenUp;
        FmMemo->showResultEntry(static_cast<int>(i));
        if (before != EntryState::Done || !done)
            entrySettled.emit(static_cast<int>(i));
    }
    resultsFile_.clear();
    if (options.saveResults) {
        try {
            resultsFile_ = results::saveRun(record_, FmMain->exePath("Results"));
            FmMemo->MemoLog.addLine("Results: " + platform::pathText(resultsFile_));
        } catch (const std::exception& e) {
            FmMemo->MemoLog.addLine(std::string("Results not saved: ") + e.what());
        }
    }
    runEnded.emit();
}

void RunEngine::adoptRecord(results::RunRecord record)
{
    if (recording_)
        return;
    record_ = std::move(record);
    hasRecord_ = true;
}

} // namespace runs
