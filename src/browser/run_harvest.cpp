// What a run found: one record per entry, kept as the run goes, shown live
// in the memo window's results page and saved under Results/ when the run
// ends. Keeping it costs the run no tick: the links of a result page are
// read in the handler of its completion.

#include <algorithm>
#include <exception>

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace {

int pageIndexOf(const std::string& pageName)
{
    if (pageName == "Manip")
        return 1;
    if (pageName == "Free")
        return 2;
    return 0;
}

}  // namespace

results::EntryRecord* TFmCpp::runEntry(int index)
{
    if (!HasRunRecord || index < 0 || index >= static_cast<int>(CurrentRun.entries.size()))
        return nullptr;
    return &CurrentRun.entries[static_cast<size_t>(index)];
}

void TFmCpp::readResultLinkSettings(const platform::IniFile& ini, const std::string& section)
{
    ResultLinksSelector = ini.readString(section, "ResultLinks", "");
    ResultLinkCount = std::clamp(ini.readInteger(section, "ResultLinkCount", 10), 0, 100);
}

void TFmCpp::beginRunRecord()
{
    results::RunRecord run;
    const DateTime now = app().clock().localTime();
    run.started = {now.date.year, now.date.month, now.date.day, now.hour, now.minute, now.second};
    run.theme = EditThemas.text();
    run.mode = AccessMode;
    run.page = PageName;
    run.siteName = SiteTitle;
    run.site = SiteURL;
    run.formName = FormName;
    run.inputName = InputName;
    run.category = FmCtrl->ComboBoxTVFCategory.text();
    run.tryTime = tryTime();
    run.startTab = StartTab;
    // A single search types the theme text alone.
    const std::vector<std::string> lines =
        AccessMode == "Single" ? std::vector<std::string>{""} : FmMemo->MemoList.lines();
    for (size_t i = 0; i < lines.size(); ++i) {
        results::EntryRecord entry;
        entry.number = static_cast<int>(i) + 1;
        entry.entry = lines[i];
        entry.query = run.theme + lines[i];
        entry.state = static_cast<int>(i) < tabsLeft() ? results::EntryState::Waiting : results::EntryState::LeftOut;
        run.entries.push_back(std::move(entry));
    }
    CurrentRun = std::move(run);
    HasRunRecord = true;
    runActive_ = true;
    navigatedAt_.assign(CurrentRun.entries.size(), 0);
    FmMemo->showResults();
    for (size_t i = 0; i < CurrentRun.entries.size(); ++i)
        if (CurrentRun.entries[i].state == results::EntryState::LeftOut)
            EntrySettled.emit(static_cast<int>(i));
}

void TFmCpp::recordNavigation()
{
    if (!runActive_)
        return;
    results::EntryRecord* entry = runEntry(ListPos);
    if (!entry || entry->state == results::EntryState::LeftOut)
        return;
    ++entry->passes;
    entry->state = results::EntryState::Running;
    navigatedAt_[static_cast<size_t>(ListPos)] = app().clock().tickCount();
    FmMemo->showResultEntry(ListPos);
}

void TFmCpp::recordResultPage(const std::string& url)
{
    results::EntryRecord* entry = runActive_ ? runEntry(ListPos) : nullptr;
    if (!entry || !ActiveBrowser || !ActiveBrowser->created())
        return;
    browserctl::WebBrowser& browser = ActiveBrowser->browser();
    // Frames report their own completions; the page is the top document.
    if (url != browser.LocationURL() || url == SiteURL)
        return;
    entry->finalAddress = url;
    entry->title = browser.LocationName();
    entry->seconds = static_cast<double>(app().clock().tickCount() - navigatedAt_[static_cast<size_t>(ListPos)]) / 1000;
    entry->state = results::EntryState::Done;
    try {
        entry->links = results::selectResultLinks(browser.Document()->links(ResultLinksSelector), SiteURL, url,
                                                  !ResultLinksSelector.empty(), ResultLinkCount);
    } catch (const std::exception& e) {
        // The page went on meanwhile, or the site's selector is wrong: the
        // entry is done all the same.
        FmMemo->MemoLog.addLine(std::string("Links: ") + e.what());
    }
    FmMemo->showResultEntry(ListPos);
    EntrySettled.emit(ListPos);
}

void TFmCpp::recordRetry(int index)
{
    results::EntryRecord* entry = runActive_ ? runEntry(index) : nullptr;
    if (!entry || entry->state != results::EntryState::Done)
        return;
    entry->state = results::EntryState::Waiting;
    FmMemo->showResultEntry(index);
}

void TFmCpp::endRunRecord()
{
    if (!runActive_)
        return;
    runActive_ = false;
    const bool single = CurrentRun.mode == "Single";
    for (size_t i = 0; i < CurrentRun.entries.size(); ++i) {
        results::EntryRecord& entry = CurrentRun.entries[i];
        if (entry.state == results::EntryState::LeftOut || entry.state == results::EntryState::Blocked)
            continue;
        WebBrowserHost* host = i < static_cast<size_t>(tabsLeft()) ? &browserHost(MainPage, StartTab + static_cast<int>(i))
                                                                    : nullptr;
        const bool done = !host ? false
                          : single ? host->created() && !host->browser().LocationURL().empty() &&
                                         host->browser().LocationURL() != SiteURL
                                   : DoneFlags[i];
        if (done && entry.state != results::EntryState::Done) {
            // Done by its flag (frames only, or a single search): what its
            // tab shows now is its result.
            entry.finalAddress = host->browser().LocationURL();
            entry.title = host->browser().LocationName();
            try {
                entry.links = results::selectResultLinks(host->browser().Document()->links(ResultLinksSelector), SiteURL,
                                                         entry.finalAddress, !ResultLinksSelector.empty(),
                                                         ResultLinkCount);
            } catch (const std::exception& e) {
                FmMemo->MemoLog.addLine(std::string("Links: ") + e.what());
            }
        }
        const results::EntryState before = entry.state;
        entry.state = done ? results::EntryState::Done : results::EntryState::GivenUp;
        FmMemo->showResultEntry(static_cast<int>(i));
        if (before != results::EntryState::Done || !done)
            EntrySettled.emit(static_cast<int>(i));
    }
    LastResultsFile.clear();
    if (SaveResults) {
        try {
            LastResultsFile = results::saveRun(CurrentRun, FmMain->exePath("Results"));
            FmMemo->MemoLog.addLine("Results: " + platform::pathText(LastResultsFile));
        } catch (const std::exception& e) {
            FmMemo->MemoLog.addLine(std::string("Results not saved: ") + e.what());
        }
    }
    RunEnded.emit();
}

void TFmCpp::showEntryTab(int entry)
{
    if (!runEntry(entry))
        return;
    const int tab = CurrentRun.startTab + entry;
    if (tab < 0 || tab >= TabCount)
        return;
    const int page = pageIndexOf(CurrentRun.page);
    if (PageControlMain.activePageIndex() != page) {
        PageControlMain.setActivePageIndex(page);
        PageControlMainChange();
    }
    pagesOf(page).setActivePageIndex(tab);
    ActionPageNum();
    show();
    bringToFront();
}

void TFmCpp::openInEntryTab(int entry, const std::string& address)
{
    if (!runEntry(entry) || CurrentRun.startTab + entry >= TabCount)
        return;
    showEntryTab(entry);
    ActiveBrowser = &browserHost(pageIndexOf(CurrentRun.page), CurrentRun.startTab + entry);
    ActiveBrowser->browser().Navigate(address);
}
