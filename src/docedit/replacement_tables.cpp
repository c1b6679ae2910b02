// Replacement tables: named grids of words whose rows replace a copy
// column's word by a paste column's word in the memo window's source text.

#include "app/fm_main.h"
#include "app/globals.h"
#include "docedit/fm_doc_edi.h"
#include "framework/application.h"
#include "framework/convert.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "platform/text_store.h"
#include "sitetree/file_names.h"

using namespace framework;

namespace {

constexpr const char* Selected = "[y]";
constexpr const char* NotSelected = " _ ";

std::string cellKey(int col, int row)
{
    return std::to_string(col) + "," + std::to_string(row);
}

platform::fs::path tablePath(const std::string& name)
{
    const auto path = FmMain->langPath("Cng" + sitetree::checkedNamePart("table", name) + ".INI");
    FmMain->PathText = platform::pathText(path);
    return path;
}

} // namespace

void TFmDocEdi::MMSChangCFLoadClick()
{
    const auto path = FmMain->langPath("Chang.txt");
    if (!platform::fileExists(path)) {
        ComboBoxChang.addItem("言語");
        ComboBoxChang.addItem("数字");
        MMSChangCFSaveClick();
        return;
    }
    ComboBoxChang.setItems(platform::loadLines(path));
    platform::IniFile base(FmMain->langPath("Base.INI"));
    ComboBoxChang.setText(base.readString("Chang", "Category", ""));
}

void TFmDocEdi::MMSChangCFSaveClick()
{
    const std::string name = ComboBoxChang.text();
    if (!anyContains(ComboBoxChang.items(), name))
        ComboBoxChang.addItem(name);
    platform::saveLines(FmMain->langPath("Chang.txt"), ComboBoxChang.items());
}

void TFmDocEdi::ComboBoxChangClick()
{
    MMSChangSFReadClick();
    MMSChangSSBaseClick();
}

void TFmDocEdi::MMSChangSFReadClick()
{
    const auto path = tablePath(ComboBoxChang.text());
    if (!platform::fileExists(path)) {
        if (!startingUp_)
            app().dialogs().showMessage(" file no find");
        return;
    }
    platform::IniFile table(path);
    TableCols = table.readInteger("Info", "ColMax", 2);
    TableRows = table.readInteger("Info", "RowMax", 3);
    MMSChangSSCountClick();
    for (int c = 0; c < TableCols; ++c)
        for (int r = 0; r < TableRows; ++r)
            StringGridChang.setCell(c, r, table.readString("Data", cellKey(c, r), ""));
}

void TFmDocEdi::MMSChangSFWriteClick()
{
    {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        base.writeString("Chang", "Category", ComboBoxChang.text());
        base.flush();
    }
    MMSChangSSCntClick();
    platform::IniFile table(tablePath(ComboBoxChang.text()));
    table.writeInteger("Info", "ColMax", TableCols);
    table.writeInteger("Info", "RowMax", TableRows);
    // Rows without a mark are not stored.
    for (int c = 0; c < TableCols; ++c)
        for (int r = 0; r < TableRows; ++r)
            if (!StringGridChang.cell(0, r).empty())
                table.writeString("Data", cellKey(c, r), StringGridChang.cell(c, r));
    table.flush();
}

void TFmDocEdi::MMSChangTSaveClick()
{
    MMSChangCFSaveClick();
    MMSChangSFWriteClick();
}

void TFmDocEdi::MMSChangSSCntClick()
{
    TableCols = StringGridChang.colCount();
    TableRows = StringGridChang.rowCount();
}

void TFmDocEdi::MMSChangSSCountClick()
{
    StringGridChang.setColCount(TableCols);
    StringGridChang.setRowCount(TableRows);
}

void TFmDocEdi::MMSChangSSBaseClick()
{
    StringGridChang.setColWidth(0, 30);
    StringGridChang.setCell(1, 0, "Base");
    for (int r = 1; r < TableRows; ++r)
        if (StringGridChang.cell(0, r).empty())
            StringGridChang.setCell(0, r, Selected);
    std::vector<std::string> names;
    for (int c = 1; c < TableCols; ++c)
        names.push_back(StringGridChang.cell(c, 0));
    ComboBoxWCCpy.setItems(names);
    ComboBoxWCPst.setItems(names);
}

void TFmDocEdi::ComboBoxWCCpyChange()
{
    LabelWCCpyNum.setCaption(std::to_string(ComboBoxWCCpy.itemIndex() + 1));
    MemoBlue.setText(ComboBoxWCCpy.text());
}

void TFmDocEdi::ComboBoxWCPstChange()
{
    LabelWCPstNum.setCaption(std::to_string(ComboBoxWCPst.itemIndex() + 1));
    MemoRed.setText(ComboBoxWCPst.text());
}

void TFmDocEdi::StringGridChangMouseDown(const MouseEvent& event)
{
    // Before a table is read every click is ignored.
    if (ClickCol >= TableCols || ClickRow >= TableRows)
        return;
    int col = -1;
    int row = -1;
    StringGridChang.mouseToCell(event.x, event.y, col, row);
    if (col < 0 || row < 0)
        return;
    ClickCol = col;
    ClickRow = row;
    StringGridChang.setCell(0, 0, std::to_string(ClickCol) + "," + std::to_string(ClickRow));
    if (ClickCol == 0 && ClickRow > 0) {
        StringGridChang.setCell(0, ClickRow, StringGridChang.cell(0, ClickRow) == Selected ? NotSelected : Selected);
    } else if (ClickRow == 0 && ClickCol > 0) {
        std::string name = StringGridChang.cell(ClickCol, 0);
        app().dialogs().inputQuery("input", "typ", name);
        StringGridChang.setCell(ClickCol, 0, name);
        MMSChangSSBaseClick();
    }
}

void TFmDocEdi::MMSChangToolRunClick()
{
    FmMemo->showPage(FmMemo->TabSheetMMulti);
    const int copy = StrToIntDef(LabelWCCpyNum.caption(), 0);
    const int paste = StrToIntDef(LabelWCPstNum.caption(), 1);
    // Each row works on the result of the rows before it.
    for (int r = 0; r < TableRows; ++r) {
        FmMemo->MemoLog.setText(
            replaceAll(FmMemo->MemoSource.text(), StringGridChang.cell(copy, r), StringGridChang.cell(paste, r)));
        FmMemo->MMMSourceFromLogClick();
    }
}

void TFmDocEdi::MMSChangTListUpClick()
{
    FmMemo->prepareListUp("PMBunchTListUpClick1");
    std::vector<std::string> words = FmMemo->MemoList.lines();
    for (int r = 1; r < TableRows; ++r)
        if (StringGridChang.cell(0, r) == Selected && !StringGridChang.cell(ClickCol, r).empty())
            words.push_back(StringGridChang.cell(ClickCol, r));
    FmMemo->MemoList.setLines(words);
}

namespace {
void gridCommand(int col, int row, void (TFmMemo::*command)())
{
    FmMemo->GridTarget = "Chang";
    FmMemo->TargetCol = col;
    FmMemo->TargetRow = row;
    FmMemo->MMSSSSynchroClick();
    FmMemo->MMSSSClearClick();
    (FmMemo->*command)();
    FmMemo->MMSSDReturnClick();
}
} // namespace

void TFmDocEdi::MMSChangTColAddClick()
{
    FmMemo->GridTarget = "Chang";
    FmMemo->MMSSDColAddClick();
}

void TFmDocEdi::MMSWToolColInsertClick()
{
    if (ClickCol >= 2)
        gridCommand(ClickCol, ClickRow, &TFmMemo::MMSSDColInsertClick);
}

void TFmDocEdi::MMSChangTColDeleteClick()
{
    gridCommand(ClickCol, ClickRow, &TFmMemo::MMSSDColDeleteClick);
}

void TFmDocEdi::MMSChangTRowAddClick()
{
    FmMemo->GridTarget = "Chang";
    FmMemo->MMSSDRowAddClick();
}

void TFmDocEdi::MMSWTRowInsertClick()
{
    if (ClickRow >= 2)
        gridCommand(ClickCol, ClickRow, &TFmMemo::MMSSDRowInsertClick);
}

void TFmDocEdi::MMSWTRowDeleteClick()
{
    gridCommand(ClickCol, ClickRow, &TFmMemo::MMSSDRowDeleteClick);
}

void TFmDocEdi::MMSWTRowChangFromMemoClick()
{
    FmMemo->show();
    FmMemo->GridTarget = "Chang";
    FmMemo->TargetCol = ClickCol;
    FmMemo->MMSPWritingWithBrushClick();
}

void TFmDocEdi::TabSheetChangShow()
{
}
