#include "memo/fm_memo.h"

#include <algorithm>

#include "app/captions.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "docedit/fm_doc_edi.h"
#include "framework/application.h"
#include "platform/ini_file.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

TFmMemo::TFmMemo()
    : Form("FmMemo"), PageControlMain(make<PageControl>("PageControlMain", nullptr)),
      TabSheetMList(make<TabSheet>("TabSheetMList", &PageControlMain)),
      MemoList(make<Memo>("MemoList", &TabSheetMList)),
      TabSheetMMulti(make<TabSheet>("TabSheetMMulti", &PageControlMain)),
      GroupBoxSource(make<GroupBox>("GroupBoxSource", &TabSheetMMulti)),
      MemoSource(make<Memo>("MemoSource", &GroupBoxSource)), Splitter1(make<Splitter>("Splitter1", &TabSheetMMulti)),
      GroupBoxLog(make<GroupBox>("GroupBoxLog", &TabSheetMMulti)), MemoLog(make<Memo>("MemoLog", &GroupBoxLog)),
      TabSheetMGrid(make<TabSheet>("TabSheetMGrid", &PageControlMain)),
      StringGridMemo(make<StringGrid>("StringGridMemo", &TabSheetMGrid)),
      TabSheetMResults(make<TabSheet>("TabSheetMResults", &PageControlMain)),
      StringGridResults(make<StringGrid>("StringGridResults", &TabSheetMResults)),
      SplitterResults(make<Splitter>("SplitterResults", &TabSheetMResults)),
      StringGridResultLinks(make<StringGrid>("StringGridResultLinks", &TabSheetMResults)),
      PanelMemoStatus(make<Panel>("PanelMemoStatus", nullptr))
{
    setBounds(451, 75, 257, 480);
    setColor(0xFFD0FF);
    setCaption("Memo");

    PanelMemoStatus.setAlign(Align::Bottom);
    PanelMemoStatus.setHeight(18);
    PanelMemoStatus.bevelLowered = true;
    PanelMemoStatus.setVisible(false);

    PageControlMain.setAlign(Align::Client);
    PageControlMain.flatButtons = true;
    PageControlMain.buttonStyle = true;
    PageControlMain.multiLine = true;

    TabSheetMList.setCaption("List");
    MemoList.setAlign(Align::Client);
    MemoList.setColor(0x8000FF);
    MemoList.setFontColor(ColorWhite);
    MemoList.scrollVertical = true;
    MemoList.wordWrap = false;
    MemoList.onEnter = [this] { MemoListEnter(); };
    MemoList.onKeyDown = [this](KeyEvent& key) { memoKeyDown(MemoList, key); };

    TabSheetMMulti.setCaption("Multi");
    GroupBoxSource.setCaption("Source");
    GroupBoxSource.setAlign(Align::Left);
    GroupBoxSource.setWidth(180);
    // Source and log: unwrapped text that scrolls both ways.
    const auto textPane = [this](Memo& memo, int fontColor) {
        memo.setAlign(Align::Client);
        memo.setFontColor(fontColor);
        memo.scrollHorizontal = true;
        memo.scrollVertical = true;
        memo.wordWrap = false;
        memo.onKeyDown = [this, &memo](KeyEvent& key) { memoKeyDown(memo, key); };
    };
    textPane(MemoSource, 0x80FF80);
    MemoSource.onEnter = [this] { MemoSourceEnter(); };
    MemoSource.onMouseUp = [this](const MouseEvent&) { MemoSourceMouseUp(); };
    Splitter1.setAlign(Align::Left);
    Splitter1.setWidth(3);
    GroupBoxLog.setCaption("Log");
    GroupBoxLog.setAlign(Align::Client);
    textPane(MemoLog, 0x00FFFF);
    MemoLog.setColor(ColorBlack);
    // The log shows its newest line; a run's end is seen without scrolling.
    MemoLog.followEnd = true;
    MemoLog.onEnter = [this] { MemoLogEnter(); };
    MemoLog.onMouseUp = [this](const MouseEvent&) { MemoLogMouseUp(); };

    TabSheetMGrid.setCaption("Grid");
    StringGridMemo.setAlign(Align::Client);
    StringGridMemo.setColCount(15);
    StringGridMemo.setRowCount(50);
    StringGridMemo.setDefaultColWidth(36);
    StringGridMemo.setDefaultRowHeight(16);
    StringGridMemo.fixedColor = 0xF5E6E0;
    StringGridMemo.rangeSelect = true;
    StringGridMemo.colSizing = true;
    StringGridMemo.rowMoving = true;
    StringGridMemo.colMoving = true;
    StringGridMemo.editing = true;
    StringGridMemo.tabs = true;

    buildResultsView();

    PageControlMain.setActivePage(&TabSheetMMulti);
    TabSheetMList.onShow = [this] { TabSheetMListShow(); };
    TabSheetMMulti.onShow = [this] { TabSheetMMultiShow(); };

    buildMenus();
}

void TFmMemo::buildMenus()
{
    MenuItem& menu = makeMenu("MainMenu1", nullptr);
    mainMenu = &menu;
    static const MenuRow<TFmMemo> mainRows[] = {
        {0, "MMClear", "Clear", &TFmMemo::MMClearClick},
        {0, "MMUndoClear", "Undo", &TFmMemo::MMUndoClearClick, MenuDisabled, "Ctrl+Z"},
        {0, "MMMulti", "MMMulti"},
        {1, "MMMSourceFromLog", "Log -> Source", &TFmMemo::MMMSourceFromLogClick},
        {1, "MMMListFromLog", "Log -> List", &TFmMemo::MMMListFromLogClick},
        {1, "MMMultiWritingBrush", "Writing with a brush"},
        {2, "MMMultiWritingBrushBrushBunch", "Bunch", &TFmMemo::MMMultiWritingBrushBrushBunchClick},
        {2, "MMMultiWritingBrushChang", "Chang", &TFmMemo::MMMultiWritingBrushChangClick},
        {2, "MMMultiWritingBrushTreeView", "TreeView", &TFmMemo::MMMultiWritingBrushTreeViewClick},
        {1, "MMMClip", "Clip"},
        {2, "MMMCCopyPe1", "CopyPe"},
        {3, "MMClipCLine", "Line"},
        {3, "MMClipCSentences", "Sentences"},
        {2, "MMClipSelText", "SelText", &TFmMemo::MMClipSelTextClick},
        {0, "MMResults", "Results"},
        {1, "MMResultsExport", "Export...", &TFmMemo::MMResultsExportClick},
        {1, "MMResultsCopy", "Copy table", &TFmMemo::MMResultsCopyClick},
        {0, "MMSys1", "Sys", nullptr, MenuHidden},
        {1, "MMSStringGrid", "StringGrid"},
        {2, "MMSSSet", "Set"},
        {3, "MMSSSClear", "Clear", &TFmMemo::MMSSSClearClick},
        {3, "MMSSSSynchro", "Synchro", &TFmMemo::MMSSSSynchroClick},
        {2, "MMSSDoc", "Doc"},
        {3, "MMSSDColDelete", "ColDelete", &TFmMemo::MMSSDColDeleteClick},
        {3, "MMSSDRowDelete", "RowDelete", &TFmMemo::MMSSDRowDeleteClick},
        {3, "MMSSDColAdd", "ColAdd", &TFmMemo::MMSSDColAddClick},
        {3, "MMSSDColInsert", "ColInsert", &TFmMemo::MMSSDColInsertClick},
        {3, "MMSSDRowAdd", "RowAdd", &TFmMemo::MMSSDRowAddClick},
        {3, "MMSSDRowInsert", "RowInsert", &TFmMemo::MMSSDRowInsertClick},
        {3, "MMSSDReturn", "Return", &TFmMemo::MMSSDReturnClick},
        {1, "MMSPrg", "Prg"},
        {2, "MMSPWritingWithBrush", "WritingWithBrush", &TFmMemo::MMSPWritingWithBrushClick},
    };
    makeMenuRows(menu, mainRows);
}

// ------------------------------------------------------------ window

void TFmMemo::readCaptions()
{
    platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
    // The menu's own default caption differs from its table default.
    find<MenuItem>("MMMSourceFromLog").setCaption("Log->Source");
    vantrel::readCaptions(hlp, *this,
                          {"MMMSourceFromLog", "MMMListFromLog", "MMMultiWritingBrush", "MMMultiWritingBrushBrushBunch",
                           "MMMultiWritingBrushChang", "MMMultiWritingBrushTreeView", "TabSheetMList", "TabSheetMMulti",
                           "GroupBoxSource", "GroupBoxLog", "MMMulti"});
    // The rows of what this program adds to the window.
    vantrel::readCaptions(hlp, *this,
                          {"FmMemo", "MMClear", "MMUndoClear", "MMMClip", "MMMCCopyPe1", "MMClipCLine",
                           "MMClipCSentences", "MMClipSelText", "MMResults", "MMResultsExport", "MMResultsCopy",
                           "TabSheetMGrid", "TabSheetMResults"});
    vantrel::readHints(
        hlp, *this,
        {"MemoList", "MemoSource", "MemoLog", "StringGridMemo", "StringGridResults", "StringGridResultLinks"});
    readResultTexts(hlp);
}

void TFmMemo::FormCreate()
{
    maximizeButton = false;
    readCaptions();
    {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        setBounds(base.readInteger("FmMemo", "Left", 210), base.readInteger("FmMemo", "Top", 130),
                  base.readInteger("FmMemo", "Width", 220), base.readInteger("FmMemo", "Height", 320));
    }
    MMSSSClearClick();
    FocusedMemo = "Source";
}

void TFmMemo::FormClose()
{
    platform::IniFile base(FmMain->langPath("Base.INI"));
    base.writeInteger("FmMemo", "Left", left());
    base.writeInteger("FmMemo", "Top", top());
    base.writeInteger("FmMemo", "Width", width());
    base.writeInteger("FmMemo", "Height", height());
    base.flush();
}

void TFmMemo::showPage(TabSheet& page)
{
    if (!StayInBackground)
        show();
    PageControlMain.setActivePage(&page);
}

void TFmMemo::removeCurrentItem(ComboBox& box)
{
    showPage(TabSheetMMulti);
    MemoLog.clear();
    const std::string current = box.text();
    for (const auto& item : box.items())
        if (item != current)
            MemoLog.addLine(item);
    box.clearItems();
    box.setItems(MemoLog.lines());
    box.setText(box.item(0));
}

void TFmMemo::prepareListUp(const std::string& messageKey)
{
    showPage(TabSheetMList);
    if (MemoList.lineCount() == 0)
        return;
    std::string question;
    std::string caption;
    {
        platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
        question = hlp.readString("Message", messageKey, "replaces？");
        caption = vantrel::messageText(hlp, "ListUpCaption", "ListUp");
    }
    if (app().dialogs().askYesNo(question, caption))
        MemoList.clear();
}

void TFmMemo::MMClearClick()
{
    Memo& memo = find<Memo>("Memo" + FocusedMemo);
    if (memo.lineCount() == 0)
        return;
    // One step back: the last Clear, whatever it emptied.
    clearedMemo_ = &memo;
    clearedLines_ = memo.lines();
    memo.clear();
    find<MenuItem>("MMUndoClear").setEnabled(true);
    const Control* box = FocusedMemo == "List" ? static_cast<Control*>(&TabSheetMList)
                                               : (FocusedMemo == "Log" ? &GroupBoxLog : &GroupBoxSource);
    showStatus(vantrel::programText("MemoCleared", "Deleted the %1 text (Ctrl+Z undoes)", {box->caption()}));
}

void TFmMemo::MMUndoClearClick()
{
    if (!clearedMemo_)
        return;
    Memo& memo = *clearedMemo_;
    std::vector<std::string> lines = std::move(clearedLines_);
    lines.insert(lines.end(), memo.lines().begin(), memo.lines().end());
    memo.setLines(std::move(lines));
    clearedMemo_ = nullptr;
    clearedLines_.clear();
    find<MenuItem>("MMUndoClear").setEnabled(false);
    showStatus("");
}

void TFmMemo::memoKeyDown(Memo& memo, KeyEvent& key)
{
    if (key.key == 'Z' && key.ctrl && !key.shift && clearedMemo_ == &memo && memo.lineCount() == 0) {
        MMUndoClearClick();
        key.key = 0;
    }
}

void TFmMemo::showStatus(const std::string& text)
{
    PanelMemoStatus.setCaption(text);
    PanelMemoStatus.setHint(text);
    PanelMemoStatus.setVisible(!text.empty());
}

// The pages keep the window's size: the user gives it.
void TFmMemo::TabSheetMListShow()
{
    FocusedMemo = "List";
}

void TFmMemo::TabSheetMMultiShow()
{
    // The source takes 180 beside the log; in a narrow window (the page no
    // longer widens it) the log keeps more than half.
    GroupBoxSource.setWidth(std::min(180, width() * 45 / 100));
}

void TFmMemo::MemoListEnter()
{
    FocusedMemo = "List";
}
void TFmMemo::MemoSourceEnter()
{
    FocusedMemo = "Source";
}
void TFmMemo::MemoLogEnter()
{
    FocusedMemo = "Log";
}

void TFmMemo::MemoSourceMouseUp()
{
    SelTextCopy = MemoSource.selText();
    FmDocEdi->MMSEditPSelTextClick();
    if (find<MenuItem>("MMClipSelText").checked())
        app().clipboard().setText(SelTextCopy);
}

void TFmMemo::MemoLogMouseUp()
{
    SelTextCopy = MemoLog.selText();
    FmDocEdi->MMSEditPSelTextClick();
}

void TFmMemo::MMClipSelTextClick()
{
    MenuItem& item = find<MenuItem>("MMClipSelText");
    item.setChecked(!item.checked());
}

void TFmMemo::MMMSourceFromLogClick()
{
    MemoSource.setLines(MemoLog.lines());
}

void TFmMemo::MMMListFromLogClick()
{
    MemoList.setLines(MemoLog.lines());
}

void TFmMemo::MMMultiWritingBrushBrushBunchClick()
{
    FmCtrl->PMBunchTSRowBunchFromMemoClick();
}

void TFmMemo::MMMultiWritingBrushChangClick()
{
    FmDocEdi->MMSWTRowChangFromMemoClick();
}

void TFmMemo::MMMultiWritingBrushTreeViewClick()
{
    TreeView& tree = FmCtrl->TreeViewEdd1;
    TreeNode* level = tree.selected();
    tree.beginUpdate();
    for (const auto& line : MemoSource.lines())
        tree.add(level, line);
    tree.endUpdate();
    FmCtrl->PMTrVwFESaveClick();
}

// -------------------------------------------------------- grid commands

StringGrid* TFmMemo::targetGrid() const
{
    if (GridTarget == "Bunch")
        return &FmCtrl->StringGridBunch;
    if (GridTarget == "Manip")
        return &FmCpp->StringGridManip;
    if (GridTarget == "Chang")
        return &FmDocEdi->StringGridChang;
    return nullptr;
}

void TFmMemo::rememberTargetRows(int rows)
{
    if (GridTarget == "Bunch")
        FmCtrl->BunchRowCount = rows;
    else if (GridTarget == "Manip")
        FmCpp->ManipRows = rows;
    else if (GridTarget == "Chang")
        FmDocEdi->TableRows = rows;
}

void TFmMemo::MMSSSClearClick()
{
    GridCols = StringGridMemo.colCount();
    GridRows = StringGridMemo.rowCount();
    for (int c = 1; c < GridCols; ++c)
        for (int r = 1; r < GridRows; ++r)
            StringGridMemo.setCell(c, r, "");
}

void TFmMemo::MMSSSSynchroClick()
{
    StringGrid* target = targetGrid();
    if (!target)
        return;
    StringGridMemo.setColCount(target->colCount());
    StringGridMemo.setRowCount(target->rowCount());
}

void TFmMemo::MMSSDRowAddClick()
{
    StringGrid* target = targetGrid();
    if (!target)
        return;
    target->setRowCount(target->rowCount() + 1);
    rememberTargetRows(target->rowCount());
    GridRows = target->rowCount();
}

void TFmMemo::MMSSDRowInsertClick()
{
    StringGrid* target = targetGrid();
    if (!target)
        return;
    MMSSDRowAddClick();
    // The workspace takes the grown size too, so the target's last row has
    // a place to move to and Return copies every row back.
    StringGridMemo.setRowCount(GridRows);
    const int cols = StringGridMemo.colCount();
    const bool marked = GridTarget == "Bunch" || GridTarget == "Chang";
    int shift = 0;
    for (int i = 0; i <= GridRows; ++i) {
        if (i == TargetRow) {
            for (int k = 0; k <= cols; ++k)
                StringGridMemo.setCell(k, i, "0");
            shift = 1;
        }
        for (int k = 0; k <= cols; ++k)
            StringGridMemo.setCell(k, i + shift, target->cell(k, i));
        if (i == TargetRow && marked)
            StringGridMemo.setCell(0, i, "[y]");
    }
}

void TFmMemo::MMSSDRowDeleteClick()
{
    StringGrid* target = targetGrid();
    if (!target)
        return;
    const int rows = StringGridMemo.rowCount();
    const int cols = StringGridMemo.colCount();
    int kept = 0;
    bool deleted = false;
    for (int i = 0; i <= rows; ++i) {
        if (i == TargetRow) {
            deleted = true;
            continue;
        }
        for (int j = 0; j <= cols; ++j)
            StringGridMemo.setCell(j, kept, target->cell(j, i));
        ++kept;
    }
    // Shrink only after every row was copied, so the last row survives.
    if (deleted) {
        target->setRowCount(target->rowCount() - 1);
        rememberTargetRows(target->rowCount());
    }
}

void TFmMemo::MMSSDColAddClick()
{
    // Columns are inserted and deleted in the replacement table only.
    StringGrid& table = FmDocEdi->StringGridChang;
    table.setColCount(table.colCount() + 1);
    FmDocEdi->TableCols = table.colCount();
    StringGridMemo.setColCount(StringGridMemo.colCount() + 1);
    GridCols = StringGridMemo.colCount();
}

void TFmMemo::MMSSDColInsertClick()
{
    StringGrid& table = FmDocEdi->StringGridChang;
    MMSSDColAddClick();
    const int rows = StringGridMemo.rowCount();
    int shift = 0;
    for (int i = 0; i <= GridCols; ++i) {
        if (i == TargetCol) {
            shift = 1;
            for (int j = 0; j <= rows; ++j)
                StringGridMemo.setCell(i, j, "");
        }
        for (int j = 0; j <= rows; ++j)
            StringGridMemo.setCell(i + shift, j, table.cell(i, j));
    }
}

void TFmMemo::MMSSDColDeleteClick()
{
    StringGrid& table = FmDocEdi->StringGridChang;
    const int cols = StringGridMemo.colCount();
    const int rows = StringGridMemo.rowCount();
    int skip = 0;
    for (int i = 0; i <= cols; ++i) {
        if (i == TargetCol)
            skip = 1;
        for (int j = 0; j <= rows; ++j)
            StringGridMemo.setCell(i, j, table.cell(i + skip, j));
    }
    // Shrink only after every column was copied, so the last one survives.
    if (skip) {
        table.setColCount(table.colCount() - 1);
        FmDocEdi->TableCols = table.colCount();
    }
}

void TFmMemo::MMSSDReturnClick()
{
    StringGrid* target = targetGrid();
    if (!target)
        return;
    for (int i = 0; i < StringGridMemo.colCount(); ++i)
        for (int j = 0; j < StringGridMemo.rowCount(); ++j)
            target->setCell(i, j, StringGridMemo.cell(i, j));
}

void TFmMemo::MMSPWritingWithBrushClick()
{
    showPage(TabSheetMMulti);
    StringGrid* target = targetGrid();
    if (MemoSource.lineCount() == 0) {
        if (GridTarget == "Bunch") {
            FmCtrl->PMBunchTListUpClick();
            MemoSource.setText(MemoList.text());
        } else if (GridTarget == "Chang") {
            app().dialogs().showMessage(" There is not data. ");
        }
        return;
    }
    if (!target || GridTarget == "Manip")
        return;

    const int n = MemoSource.lineCount();
    GridRows = n;
    // Rows 1 to n need n + 1 rows; a word list never grows past its fixed
    // size, and the lines that do not fit stay in the source memo.
    int wanted = n + 1;
    if (GridTarget == "Bunch")
        wanted = std::min(wanted, BunchMaxRows);
    if (target->rowCount() < wanted) {
        target->setRowCount(wanted);
        rememberTargetRows(wanted);
    }
    const int written = std::min(n, target->rowCount() - 1);
    for (int i = 1; i <= written; ++i) {
        target->setCell(TargetCol, i, MemoSource.line(i - 1));
        // The mark selects the row for use in the table that got the line.
        target->setCell(0, i, "[y]");
    }
    if (written < n)
        app().dialogs().showMessage(vantrel::programText(
            "BrushPartly", "Only %1 of %2 lines fit into the table; the other lines stay in the source memo.",
            {std::to_string(written), std::to_string(n)}));
}
