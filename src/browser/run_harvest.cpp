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
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "settings/fm_sys.h"
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

} // namespace

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
    // What a block page of the site says; the defaults serve the common
    // search sites in both languages.
    BlockWords.clear();
    if (ini.valueExists(section, "BlockWords")) {
        const std::string list = ini.readString(section, "BlockWords", "");
        size_t start = 0;
        while (start <= list.size()) {
            const size_t comma = std::min(list.find(',', start), list.size());
            std::string word = list.substr(start, comma - start);
            word.erase(0, word.find_first_not_of(' '));
            word.erase(word.find_last_not_of(' ') + 1);
            if (!word.empty())
                BlockWords.push_back(word);
            start = comma + 1;
        }
    } else {
        BlockWords = {"captcha",
                      "unusual traffic",
                      "are you a robot",
                      "not a robot",
                      "verify you are human",
                      "too many requests",
                      "ロボットではありません",
                      "不正なトラフィック",
                      "通常と異なるトラフィック",
                      "画像認証"};
    }
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

void TFmCpp::recordResultPage(int index, WebBrowserHost& host, const std::string& url)
{
    results::EntryRecord* entry = runActive_ ? runEntry(index) : nullptr;
    if (!entry || !host.created())
        return;
    browserctl::WebBrowser& browser = host.browser();
    entry->finalAddress = url;
    entry->title = browser.LocationName();
    entry->seconds = static_cast<double>(app().clock().tickCount() - navigatedAt_[static_cast<size_t>(index)]) / 1000;
    entry->state = results::EntryState::Done;
    try {
        entry->links = results::selectResultLinks(browser.Document()->links(ResultLinksSelector), SiteURL, url,
                                                  !ResultLinksSelector.empty(), ResultLinkCount);
    } catch (const std::exception& e) {
        // The page went on meanwhile, or the site's selector is wrong: the
        // entry is done all the same.
        FmMemo->MemoLog.addLine(std::string("Links: ") + e.what());
    }
    FmMemo->showResultEntry(index);
    EntrySettled.emit(index);
}

std::string TFmCpp::blockReason(browserctl::WebBrowser& browser)
{
    const int status = browser.LocationStatus();
    if (status == 403 || status == 429 || status == 503)
        return "HTTP " + std::to_string(status);
    if (BlockWords.empty())
        return "";
    std::string text;
    try {
        text = lowerAscii(browser.Document()->text(64 * 1024));
    } catch (const std::exception&) {
        return "";
    }
    for (const std::string& word : BlockWords)
        if (!word.empty() && text.find(lowerAscii(word)) != std::string::npos)
            return "the page says \"" + word + "\"";
    return "";
}

void TFmCpp::blockRun(int index, const std::string& reason)
{
    RunPaused = true;
    BlockedEntry = index;
    Timer1.setEnabled(false);
    if (index >= 0 && index < TabCount)
        DoneFlags[static_cast<size_t>(index)] = false;
    FmMemo->MemoLog.addLine(std::to_string(index) + "=Blocked " + reason);
    if (results::EntryRecord* entry = runEntry(index)) {
        entry->state = results::EntryState::Blocked;
        FmMemo->showResultEntry(index);
    }
    FmSys->LabelCppPrg.setCaption("blocked");
    FmSys->showRunState("blocked: " + std::to_string(index + 1) + " " + reason);
    showEntryTab(index);
    app().sound().beep(BeepKind::Warning);
    RunBlocked.emit(index);
}

void TFmCpp::PMACResumeClick()
{
    if (!RunPaused)
        return;
    RunPaused = false;
    const int index = BlockedEntry;
    BlockedEntry = -1;
    FmSys->showRunState("");
    FmMemo->MemoLog.addLine(std::to_string(index) + "=Resume");
    WebBrowserHost* host =
        index >= 0 && StartTab + index < TabCount ? &browserHost(MainPage, StartTab + index) : nullptr;
    // Solved in its tab: the page it shows now is the entry's result.
    bool solved = false;
    if (host && host->created()) {
        browserctl::WebBrowser& browser = host->browser();
        const std::string url = browser.LocationURL();
        solved = !url.empty() && url != SiteURL && blockReason(browser).empty();
        if (solved)
            recordResultPage(index, *host, url);
    }
    if (results::EntryRecord* entry = runEntry(index); entry && !solved) {
        entry->state = results::EntryState::Waiting;
        FmMemo->showResultEntry(index);
    }
    if (quickActive_) {
        if (solved) {
            DoneFlags[static_cast<size_t>(index)] = true;
            FmMemo->MemoLog.addLine(std::to_string(index) + "=Comp");
        } else {
            quickStartEntry(index);
        }
        quickPump();
        return;
    }
    // The timer goes on with the same entry: done, it moves to the next one;
    // not done, the entry starts again.
    DoneFlags[static_cast<size_t>(index)] = solved;
    if (solved)
        FmMemo->MemoLog.addLine(std::to_string(index) + "=Comp");
    ListPos = index;
    PMPRendClick();
}

void TFmCpp::applyLifecycle()
{
    const int limit = std::max(1, FmSys->liveTabs());
    // Finished tabs that are not shown need no renderer time.
    int live = 0;
    for (int page = 0; page < PageCount; ++page) {
        for (int tab = 0; tab < TabCount; ++tab) {
            WebBrowserHost& host = browserHost(page, tab);
            if (!host.created())
                continue;
            browserctl::WebBrowser& browser = host.browser();
            const bool shown = page == MainPage && tab == CurrentTab;
            const int entry = tab - StartTab;
            const bool finished = runActive_ && page == MainPage && entry >= 0 && entry < TabCount &&
                                  entry < static_cast<int>(CurrentRun.entries.size()) &&
                                  CurrentRun.entries[static_cast<size_t>(entry)].state == results::EntryState::Done;
            const int key = page * TabCount + tab;
            if (shown && browser.lifecycle() != browserctl::Lifecycle::Active) {
                browser.setLifecycle(browserctl::Lifecycle::Active);
                std::erase(frozenOrder_, key);
            } else if (!shown && finished && browser.lifecycle() == browserctl::Lifecycle::Active) {
                browser.setLifecycle(browserctl::Lifecycle::Frozen);
                frozenOrder_.push_back(key);
            }
            if (browser.lifecycle() != browserctl::Lifecycle::Discarded)
                ++live;
        }
    }
    // Past the limit the oldest frozen tabs give their memory back; their
    // address and title stay, and showing one reloads it.
    for (auto it = frozenOrder_.begin(); live > limit && it != frozenOrder_.end();) {
        WebBrowserHost& host = browserHost(*it / TabCount, *it % TabCount);
        if (host.created() && host.browser().lifecycle() == browserctl::Lifecycle::Frozen) {
            host.browser().setLifecycle(browserctl::Lifecycle::Discarded);
            --live;
        }
        it = frozenOrder_.erase(it);
    }
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
        WebBrowserHost* host =
            i < static_cast<size_t>(tabsLeft()) ? &browserHost(MainPage, StartTab + static_cast<int>(i)) : nullptr;
        const bool done = !host    ? false
                          : single ? host->created() && !host->browser().LocationURL().empty() &&
                                         host->browser().LocationURL() != SiteURL
                                   : DoneFlags[i];
        if (done && entry.state != results::EntryState::Done) {
            // Done by its flag (frames only, or a single search): what its
            // tab shows now is its result.
            entry.finalAddress = host->browser().LocationURL();
            entry.title = host->browser().LocationName();
            try {
                entry.links =
                    results::selectResultLinks(host->browser().Document()->links(ResultLinksSelector), SiteURL,
                                               entry.finalAddress, !ResultLinksSelector.empty(), ResultLinkCount);
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
