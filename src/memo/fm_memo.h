#pragma once
// The memo and grid workspace: the list, source and log memos that other
// windows fill and read, and a general grid through which rows and columns
// of the word-list grid, the operation table and the replacement table are
// inserted and deleted.

#include <map>
#include <string>
#include <vector>

#include "framework/form.h"
#include "platform/ini_file.h"

class TFmMemo : public framework::Form {
public:
    TFmMemo();

    // ---- grid-command state, set by the calling window
    std::string FocusedMemo; // "List", "Source" or "Log"
    std::string GridTarget;  // "Bunch", "Manip" or "Chang"
    int TargetRow = 0;
    int TargetCol = 0;
    int GridCols = 0;
    int GridRows = 0;
    std::string SelTextCopy;

    // ---- controls
    framework::PageControl& PageControlMain;
    framework::TabSheet& TabSheetMList;
    framework::Memo& MemoList;
    framework::TabSheet& TabSheetMMulti;
    framework::GroupBox& GroupBoxSource;
    framework::Memo& MemoSource;
    framework::Splitter& Splitter1;
    framework::GroupBox& GroupBoxLog;
    framework::Memo& MemoLog;
    framework::TabSheet& TabSheetMGrid;
    framework::StringGrid& StringGridMemo;
    framework::TabSheet& TabSheetMResults;
    framework::StringGrid& StringGridResults;
    framework::Splitter& SplitterResults;
    framework::StringGrid& StringGridResultLinks;
    // What the window just did that can be undone, and how.
    framework::Panel& PanelMemoStatus;

    // ---- events
    void FormCreate() override;
    void FormClose() override;
    void MMClearClick();
    // Puts back what the last Clear took (Ctrl+Z); the lines written into
    // the memo since stay after them.
    void MMUndoClearClick();
    void TabSheetMListShow();
    void TabSheetMMultiShow();
    void MemoListEnter();
    void MemoSourceEnter();
    void MemoLogEnter();
    void MemoSourceMouseUp();
    void MemoLogMouseUp();
    void MMClipSelTextClick();
    void MMMSourceFromLogClick();
    void MMMListFromLogClick();
    void MMMultiWritingBrushBrushBunchClick();
    void MMMultiWritingBrushChangClick();
    void MMMultiWritingBrushTreeViewClick();
    void MMSPWritingWithBrushClick();

    // ---- grid commands
    void MMSSSClearClick();
    void MMSSSSynchroClick();
    void MMSSDRowAddClick();
    void MMSSDRowInsertClick();
    void MMSSDRowDeleteClick();
    void MMSSDColAddClick();
    void MMSSDColInsertClick();
    void MMSSDColDeleteClick();
    void MMSSDReturnClick();

    // ---- the results view (results_view.cpp): the browser window's last
    // run, one row per entry, sortable by a click on a column heading
    int ResultSortCol = 0;
    bool ResultSortDescending = false;
    // The entry shown in each row below the heading.
    std::vector<int> ResultOrder;
    // The headings and state names in the user's language (caption table).
    std::vector<std::string> ResultHeadings;
    std::map<std::string, std::string> ResultStateTexts;
    // Fills the view from the browser window's run record.
    void showResults();
    // A note above the results (why a run did not start); empty hides it.
    void showResultsNote(const std::string& text);
    // Shows one entry's row again (its state changed).
    void showResultEntry(int entry);
    // Shows the workspace on its results page.
    void showResultsPage();
    // The entry of the grid's current row, -1 when none.
    int selectedResultEntry() const;
    void TabSheetMResultsShow();
    void StringGridResultsMouseDown(const framework::MouseEvent& event);
    void StringGridResultsClick();
    void StringGridResultsDblClick();
    void StringGridResultLinksDblClick();
    void MMResultsExportClick();
    void MMResultsCopyClick();

    // Shows the workspace with the given page in front. While a run keeps
    // the workspace in the background (StayInBackground), only the page
    // changes: the window stays minimised and behind the browser window.
    void showPage(framework::TabSheet& page);
    bool StayInBackground = false;
    // Removes the box's current text from its items, using the log memo as
    // the scratch list the user sees, and makes the first item the text.
    // The caller clears the log and closes the window when it is done.
    void removeCurrentItem(framework::ComboBox& box);
    // Shows the list page; when the list memo holds lines, asks with the
    // caption table's [Message] text under messageKey whether to replace
    // them (Yes clears the list, No keeps it for appending).
    void prepareListUp(const std::string& messageKey);

    // The most rows a word list has (header included).
    static constexpr int BunchMaxRows = 50;

private:
    void buildMenus();
    void buildResultsView();
    void readCaptions();
    // Ctrl+Z in a memo that the last Clear emptied undoes the Clear (the
    // text box would otherwise take the key for its own undo, which has
    // nothing).
    void memoKeyDown(framework::Memo& memo, framework::KeyEvent& key);
    void showStatus(const std::string& text);
    framework::Memo* clearedMemo_ = nullptr;
    std::vector<std::string> clearedLines_;
    void fillResultRow(int row, int entry);
    void readResultTexts(const platform::IniFile& hlp);
    void showResultHeadings();
    std::string resultStateText(const std::string& name) const;
    void showResultLinks(int entry);
    // The table GridTarget names, or null.
    framework::StringGrid* targetGrid() const;
    // Tells the owner of the target table its new row count.
    void rememberTargetRows(int rows);
};
