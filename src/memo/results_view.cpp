// The results view: the last run of the browser window, one row per entry
// with its state as the run goes, sortable by column; the result links of
// the selected entry below. A double click on a row shows the entry's tab,
// one on a link opens it there.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/captions.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "app/links.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "framework/errors.h"
#include "memo/fm_memo.h"

using namespace framework;

namespace {

enum Column { ColNumber, ColEntry, ColState, ColPasses, ColSeconds, ColTitle, ColAddress, ColumnCount };

const char* const Headings[ColumnCount] = {"No", "Entry", "State", "Passes", "s", "Title", "Address"};
// Their rows in the caption table's messages.
const char* const HeadingKeys[ColumnCount] = {"ResultsNo",      "ResultsEntry", "ResultsState",  "ResultsPasses",
                                              "ResultsSeconds", "ResultsTitle", "ResultsAddress"};

// The states as the result files write them, and their rows in the
// messages: the view shows them in the user's language.
struct StateText {
    const char* name;
    const char* key;
};
const StateText StateTexts[] = {
    {"waiting", "StateWaiting"},  {"running", "StateRunning"}, {"done", "StateDone"},     {"given up", "StateGivenUp"},
    {"left out", "StateLeftOut"}, {"blocked", "StateBlocked"}, {"failed", "StateFailed"}, {"stopped", "StateStopped"},
};

// The heading of the column the view is sorted by carries the direction.
constexpr const char* SortUp = " ▲";
constexpr const char* SortDown = " ▼";

std::string secondsText(const results::EntryRecord& entry)
{
    if (entry.state != results::EntryState::Done)
        return "";
    return results::secondsText(entry.seconds);
}

// Whether a comes before b when sorted by the column.
bool before(const results::EntryRecord& a, const results::EntryRecord& b, int column)
{
    switch (column) {
    case ColEntry:
        return a.entry < b.entry;
    case ColState:
        return a.state < b.state;
    case ColPasses:
        return a.passes < b.passes;
    case ColSeconds:
        return a.seconds < b.seconds;
    case ColTitle:
        return a.title < b.title;
    case ColAddress:
        return a.finalAddress < b.finalAddress;
    default:
        return a.number < b.number;
    }
}

const std::vector<results::EntryRecord>& runEntries()
{
    return FmCpp->run().record().entries;
}

} // namespace

void TFmMemo::buildResultsView()
{
    TabSheetMResults.setCaption("Results");
    StringGridResults.setAlign(Align::Client);
    StringGridResults.setColCount(ColumnCount);
    StringGridResults.setRowCount(2);
    StringGridResults.fixedCols = 0;
    StringGridResults.leftCol = 0;
    StringGridResults.setDefaultRowHeight(18);
    StringGridResults.setDefaultColWidth(60);
    StringGridResults.setColWidth(ColNumber, 32);
    StringGridResults.setColWidth(ColEntry, 110);
    StringGridResults.setColWidth(ColPasses, 52);
    StringGridResults.setColWidth(ColSeconds, 40);
    StringGridResults.setColWidth(ColTitle, 160);
    StringGridResults.setColWidth(ColAddress, 240);
    StringGridResults.colSizing = true;
    StringGridResults.fixedColor = 0xF5E6E0;
    ResultHeadings.assign(std::begin(Headings), std::end(Headings));
    showResultHeadings();
    StringGridResults.onMouseDown = [this](const MouseEvent& e) { StringGridResultsMouseDown(e); };
    StringGridResults.onClick = [this] { StringGridResultsClick(); };
    StringGridResults.onDblClick = [this] { StringGridResultsDblClick(); };
    SplitterResults.setAlign(Align::Bottom);
    SplitterResults.setHeight(3);
    StringGridResultLinks.setAlign(Align::Bottom);
    StringGridResultLinks.setHeight(120);
    StringGridResultLinks.setColCount(2);
    StringGridResultLinks.setRowCount(2);
    StringGridResultLinks.fixedCols = 0;
    StringGridResultLinks.leftCol = 0;
    StringGridResultLinks.setDefaultRowHeight(18);
    StringGridResultLinks.setColWidth(0, 220);
    StringGridResultLinks.setColWidth(1, 420);
    StringGridResultLinks.colSizing = true;
    StringGridResultLinks.fixedColor = 0xF5E6E0;
    StringGridResultLinks.setCell(0, 0, "Link");
    StringGridResultLinks.setCell(1, 0, "Address");
    StringGridResultLinks.onDblClick = [this] { StringGridResultLinksDblClick(); };
    // Without fixed columns the first cell is in column 0: a current cell
    // in column 1 would scroll the number (and the link's text) away.
    StringGridResults.setCurrentCell(0, 1);
    StringGridResultLinks.setCurrentCell(0, 1);
    // Why a run did not start, above the table.
    Label& note = make<Label>("LabelResultsNote", &TabSheetMResults);
    note.setAlign(Align::Top);
    note.setHeight(18);
    note.setFontColor(0x0000C0);
    note.setVisible(false);
    TabSheetMResults.onShow = [this] { TabSheetMResultsShow(); };
}

void TFmMemo::readResultTexts(const platform::IniFile& hlp)
{
    for (int c = 0; c < ColumnCount; ++c)
        ResultHeadings[static_cast<size_t>(c)] = vantrel::messageText(hlp, HeadingKeys[c], Headings[c]);
    ResultStateTexts.clear();
    for (const StateText& state : StateTexts)
        ResultStateTexts[state.name] = vantrel::messageText(hlp, state.key, state.name);
    StringGridResultLinks.setCell(0, 0, vantrel::messageText(hlp, "ResultsLink", "Link"));
    StringGridResultLinks.setCell(1, 0, vantrel::messageText(hlp, "ResultsLinkAddress", "Address"));
    showResultHeadings();
}

void TFmMemo::showResultHeadings()
{
    for (int c = 0; c < ColumnCount; ++c)
        StringGridResults.setCell(c, 0,
                                  ResultHeadings[static_cast<size_t>(c)] +
                                      (c == ResultSortCol ? (ResultSortDescending ? SortDown : SortUp) : ""));
}

std::string TFmMemo::resultStateText(const std::string& name) const
{
    const auto it = ResultStateTexts.find(name);
    return it == ResultStateTexts.end() ? name : it->second;
}

void TFmMemo::TabSheetMResultsShow()
{
}

void TFmMemo::showResultsPage()
{
    // The run's end leaves the results ready where the user finds them (a
    // minimised window stays minimised) without covering the browser
    // window the user watched the run in.
    PageControlMain.setActivePage(&TabSheetMResults);
    showInBackground();
}

void TFmMemo::fillResultRow(int row, int entry)
{
    const results::EntryRecord& record = runEntries()[static_cast<size_t>(entry)];
    StringGridResults.setCell(ColNumber, row, std::to_string(record.number));
    StringGridResults.setCell(ColEntry, row, record.entry);
    // Why an entry failed, was blocked or lacks its links is part of its
    // state.
    std::string state = resultStateText(results::stateName(record.state));
    if (!record.reason.empty())
        state += ": " + record.reason;
    StringGridResults.setCell(ColState, row, state);
    StringGridResults.setCell(ColPasses, row, std::to_string(record.passes));
    StringGridResults.setCell(ColSeconds, row, secondsText(record));
    StringGridResults.setCell(ColTitle, row, record.title);
    // Shown as read; the record keeps the address the page had.
    StringGridResults.setCell(ColAddress, row, vantrel::readableAddress(record.finalAddress));
}

void TFmMemo::showResultsNote(const std::string& text)
{
    Label& note = find<Label>("LabelResultsNote");
    note.setCaption(text);
    note.setVisible(!text.empty());
    if (!text.empty())
        showResultsPage();
}

void TFmMemo::showResults()
{
    // A new run: the note of one that did not start has done its work.
    find<Label>("LabelResultsNote").setVisible(false);
    const auto& entries = runEntries();
    ResultOrder.resize(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        ResultOrder[i] = static_cast<int>(i);
    std::stable_sort(ResultOrder.begin(), ResultOrder.end(), [&](int a, int b) {
        const auto& x = entries[static_cast<size_t>(a)];
        const auto& y = entries[static_cast<size_t>(b)];
        return ResultSortDescending ? before(y, x, ResultSortCol) : before(x, y, ResultSortCol);
    });
    showResultHeadings();
    // A grid keeps one row below its heading even when empty.
    StringGridResults.setRowCount(std::max<int>(2, static_cast<int>(entries.size()) + 1));
    for (int c = 0; c < ColumnCount; ++c)
        StringGridResults.setCell(c, 1, "");
    for (size_t row = 0; row < ResultOrder.size(); ++row)
        fillResultRow(static_cast<int>(row) + 1, ResultOrder[row]);
    showResultLinks(selectedResultEntry());
}

void TFmMemo::showResultEntry(int entry)
{
    const auto it = std::find(ResultOrder.begin(), ResultOrder.end(), entry);
    if (it == ResultOrder.end() || entry < 0 || entry >= static_cast<int>(runEntries().size()))
        return;
    fillResultRow(static_cast<int>(it - ResultOrder.begin()) + 1, entry);
    if (entry == selectedResultEntry())
        showResultLinks(entry);
}

int TFmMemo::selectedResultEntry() const
{
    const int row = StringGridResults.row() - 1;
    if (row < 0 || row >= static_cast<int>(ResultOrder.size()))
        return -1;
    return ResultOrder[static_cast<size_t>(row)];
}

void TFmMemo::showResultLinks(int entry)
{
    StringGridResultLinks.setRowCount(2);
    StringGridResultLinks.setCell(0, 1, "");
    StringGridResultLinks.setCell(1, 1, "");
    if (entry < 0)
        return;
    const auto& links = runEntries()[static_cast<size_t>(entry)].links;
    StringGridResultLinks.setRowCount(std::max<int>(2, static_cast<int>(links.size()) + 1));
    for (size_t i = 0; i < links.size(); ++i) {
        StringGridResultLinks.setCell(0, static_cast<int>(i) + 1, links[i].text);
        StringGridResultLinks.setCell(1, static_cast<int>(i) + 1, vantrel::readableAddress(links[i].address));
    }
}

void TFmMemo::StringGridResultsMouseDown(const MouseEvent& event)
{
    int col = -1;
    int row = -1;
    StringGridResults.mouseToCell(event.x, event.y, col, row);
    if (row != 0 || col < 0)
        return;
    // A click on a heading sorts by that column; a second one turns the
    // order round.
    ResultSortDescending = col == ResultSortCol && !ResultSortDescending;
    ResultSortCol = col;
    const int selected = selectedResultEntry();
    showResults();
    const auto it = std::find(ResultOrder.begin(), ResultOrder.end(), selected);
    if (it != ResultOrder.end())
        StringGridResults.setCurrentCell(StringGridResults.col(), static_cast<int>(it - ResultOrder.begin()) + 1);
}

void TFmMemo::StringGridResultsClick()
{
    showResultLinks(selectedResultEntry());
}

void TFmMemo::StringGridResultsDblClick()
{
    const int entry = selectedResultEntry();
    if (entry >= 0)
        FmCpp->run().showEntryResult(entry);
}

void TFmMemo::StringGridResultLinksDblClick()
{
    const int entry = selectedResultEntry();
    const int link = StringGridResultLinks.row() - 1;
    if (entry < 0 || link < 0)
        return;
    const auto& links = runEntries()[static_cast<size_t>(entry)].links;
    if (link < static_cast<int>(links.size()))
        FmCpp->run().openInEntryTab(entry, links[static_cast<size_t>(link)].address);
}

void TFmMemo::MMResultsExportClick()
{
    const platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
    if (!FmCpp->run().hasRecord())
        throw Error(vantrel::messageText(hlp, "ResultsNone", "There are no results yet: run a list first"));
    // The folder of the last export (the home folder the first time); the
    // run's own files are in Results/ already.
    std::string folder;
    {
        const platform::IniFile base(FmMain->langPath("Base.INI"));
        folder = base.readString("Results", "ExportFolder", "");
    }
    if (folder.empty() || !platform::fileExists(platform::textPath(folder))) {
        const char* home = std::getenv("HOME");
        folder = home && *home ? home : platform::pathText(FmMain->exePath("Results"));
    }
    std::string path =
        platform::pathText(platform::textPath(folder) / (results::fileStem(FmCpp->run().record()) + ".csv"));
    if (!app().dialogs().saveFileName(
            vantrel::messageText(hlp, "ResultsExportCaption", "Export results"),
            vantrel::messageText(hlp, "ResultsExportFilter", "CSV files (*.csv);;JSON files (*.json)"), path))
        return;
    const platform::fs::path target = std::filesystem::absolute(platform::textPath(path));
    results::exportRun(FmCpp->run().record(), target);
    {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        base.writeString("Results", "ExportFolder", platform::pathText(target.parent_path()));
        base.flush();
    }
    app().dialogs().showMessage(
        vantrel::messageText(hlp, "ResultsExported", "The results are written to %1", {platform::pathText(target)}));
}

void TFmMemo::MMResultsCopyClick()
{
    if (!FmCpp->run().hasRecord())
        throw Error(vantrel::programText("ResultsNone", "There are no results yet: run a list first"));
    app().clipboard().setText(results::toTabSeparated(FmCpp->run().record()));
}
