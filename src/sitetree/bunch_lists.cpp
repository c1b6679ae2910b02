// Word lists (bunches): the grid, its files and the list of names.

#include <algorithm>

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "platform/text_store.h"
#include "sitetree/file_names.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace {

constexpr const char* Selected = "[y]";
constexpr const char* NotSelected = " _ ";
// Row 0 is the header; rows 1 to 49 hold the words.
constexpr int MaxRows = 50;

std::string cellKey(int col, int row)
{
    return std::to_string(col) + "," + std::to_string(row);
}

// A row edit of the word list goes through the memo window's grid, which
// copies the list, edits the copy and returns it.
void editBunchRow(int row, void (TFmMemo::*edit)())
{
    FmMemo->GridTarget = "Bunch";
    FmMemo->TargetRow = row;
    FmMemo->showPage(FmMemo->TabSheetMGrid);
    FmMemo->MMSSSSynchroClick();
    FmMemo->MMSSSClearClick();
    (FmMemo->*edit)();
    FmMemo->MMSSDReturnClick();
}

} // namespace

// --------------------------------------------------------------- the grid

platform::fs::path TFmCtrl::bunchFilePath()
{
    return dataFile("ListBunch" + sitetree::checkedNamePart("word list", ComboBoxBunch.text()) + ".INI");
}

void TFmCtrl::PMBunchSVSetClick()
{
    BunchColCount = StringGridBunch.colCount();
    BunchRowCount = StringGridBunch.rowCount();
}

void TFmCtrl::PMBunchSVBiganClick()
{
    StringGridBunch.setColWidth(1, 170);
    StringGridBunch.setCell(0, 0, "C");
    StringGridBunch.setCell(1, 0, "Word");
}

void TFmCtrl::PMBunchSClearClick()
{
    PMBunchSVSetClick();
    for (int r = 1; r < BunchRowCount; ++r) {
        for (int c = 1; c < BunchColCount; ++c)
            StringGridBunch.setCell(c, r, "");
        StringGridBunch.setCell(0, r, NotSelected);
    }
}

void TFmCtrl::PMBunchSFReadClick()
{
    bunchGrid_.load([this] {
        const auto path = bunchFilePath();
        PMBunchSClearClick();
        PMBunchSVSetClick();
        PMBunchSVBiganClick();
        platform::IniFile ini(path);
        const int rows = std::min(BunchRowCount, MaxRows);
        for (int c = 0; c < BunchColCount; ++c)
            for (int r = 1; r < rows; ++r)
                StringGridBunch.setCell(c, r, ini.readString("Data", cellKey(c, r), ""));
    });
}

void TFmCtrl::PMBunchSFWriteClick()
{
    PMBunchSVSetClick();
    const auto path = bunchFilePath();
    if (!bunchGrid_.mayReplace(path))
        return;
    const int rows = std::min(BunchRowCount, MaxRows);
    // A word without a mark is selected; a mark without a word goes.
    for (int r = 1; r < rows; ++r) {
        if (StringGridBunch.cell(1, r).empty())
            StringGridBunch.setCell(0, r, "");
        else if (StringGridBunch.cell(0, r).empty())
            StringGridBunch.setCell(0, r, Selected);
    }
    platform::IniFile ini(path);
    for (int c = 0; c < BunchColCount; ++c)
        for (int r = 1; r < rows; ++r)
            ini.writeString("Data", cellKey(c, r), StringGridBunch.cell(c, r));
    ini.flush();
}

// ------------------------------------------------------------ the names

void TFmCtrl::PMBCFLoadClick()
{
    // A new list holds the form's names and "Area".
    if (!platform::fileExists(dataFile("SeleBunch.txt")) && ComboBoxBunch.indexOf("Area") < 0)
        ComboBoxBunch.addItem("Area");
    loadNames(bunchNames_, "SeleBunch.txt");
    PanelList.setCaption(ComboBoxBunch.text());
}

void TFmCtrl::PMBunchCFSaveClick()
{
    saveNames(bunchNames_, "SeleBunch.txt");
}

void TFmCtrl::PMBCFOpen1Click()
{
    const auto path = dataFile("SeleBunch.txt");
    bunchNames_.loadOrCreate(path);
    app().shell().open(platform::pathText(path));
}

void TFmCtrl::PMBunchCFReadClick()
{
    themaAdd_.load([this] {
        platform::IniFile base(dataFile("Base.INI"));
        find<MenuItem>("PMBunchTThemaAdd").setChecked(base.readInteger("PMBunchTThemaAdd", "Checked", 1) == 1);
    });
}

void TFmCtrl::PMBunchCFWriteClick()
{
    // The stored mark stays until it was read (or the user set one).
    if (!themaAdd_.loaded())
        return;
    platform::IniFile base(dataFile("Base.INI"));
    base.writeInteger("PMBunchTThemaAdd", "Checked", find<MenuItem>("PMBunchTThemaAdd").checked() ? 1 : 0);
    base.flush();
}

void TFmCtrl::PMBunchCAddClick()
{
    bunchNames_.addChoice();
}

void TFmCtrl::PMBunchTFSaveClick()
{
    PMBunchCAddClick();
    PMBunchCFSaveClick();
    PMBunchSFWriteClick();
    PMBunchCFWriteClick();
}

void TFmCtrl::PMBunchTFDeleteClick()
{
    FmMemo->removeCurrentItem(ComboBoxBunch);
    PMBunchSFReadClick();
    PMBunchCFWriteClick();
    FmMemo->MemoLog.clear();
    FmMemo->close();
}

// ------------------------------------------------------- grid commands

void TFmCtrl::PMBunchTSRowInsertClick()
{
    // A word list holds 49 words: an insert that would push the last word
    // out of the list is refused instead of losing it.
    PMBunchSVSetClick();
    const int last = std::min(BunchRowCount, MaxRows) - 1;
    if (BunchRowCount >= MaxRows && !StringGridBunch.cell(1, last).empty()) {
        app().dialogs().showMessage("The word list is full: it holds at most " + std::to_string(MaxRows - 1) +
                                    " words. Delete a row first.");
        return;
    }
    editBunchRow(PressedRow, &TFmMemo::MMSSDRowInsertClick);
    // The spare row pushed past the end held nothing.
    if (StringGridBunch.rowCount() > MaxRows) {
        StringGridBunch.setRowCount(MaxRows);
        BunchRowCount = MaxRows;
    }
    if (FmMain->LectureName == "LBunch") {
        ToolBarBunch.setColor(0xD5D5AA);
        FmMemo->showPage(FmMemo->TabSheetMMulti);
        FmMemo->setBounds(FmMemo->left(), FmMemo->top(), 420, 300);
        FmMain->showLectureStep(6);
    }
}

void TFmCtrl::PMBunchTSRowDeleteClick()
{
    editBunchRow(PressedRow, &TFmMemo::MMSSDRowDeleteClick);
    // The list keeps its 49 word rows; the last one comes back empty.
    if (StringGridBunch.rowCount() < MaxRows) {
        StringGridBunch.setRowCount(MaxRows);
        BunchRowCount = MaxRows;
    }
    PMBunchCFWriteClick();
    FmMemo->close();
}

void TFmCtrl::PMBunchTSRowBunchFromMemoClick()
{
    FmMemo->GridTarget = "Bunch";
    FmMemo->TargetCol = PressedCol;
    FmMemo->MMSPWritingWithBrushClick();
}

void TFmCtrl::PMBunchTSAllYesClick()
{
    PMBunchSVSetClick();
    for (int r = 1; r < BunchRowCount; ++r)
        StringGridBunch.setCell(0, r, StringGridBunch.cell(1, r).empty() ? "" : Selected);
}

void TFmCtrl::PMBunchTSAllNoClick()
{
    PMBunchSVSetClick();
    for (int r = 1; r < BunchRowCount; ++r)
        StringGridBunch.setCell(0, r, StringGridBunch.cell(1, r).empty() ? "" : NotSelected);
}

void TFmCtrl::PMBunchTSClearClick()
{
    PMBunchSClearClick();
    if (FmMain->LectureName == "LBunch") {
        FmMain->showLectureStep(4);
        ToolBarBunch.setColor(0xFFFFD2);
    }
}

void TFmCtrl::PMBunchTThemaAddClick()
{
    MenuItem& item = find<MenuItem>("PMBunchTThemaAdd");
    item.setChecked(!item.checked());
    themaAdd_.markLoaded();
    PMBunchCFWriteClick();
}

// ------------------------------------------------------------ list up

void TFmCtrl::PMBunchTListUpClick()
{
    FmMemo->prepareListUp("PMBunchTListUpClick1");
    PMBunchSVSetClick();
    std::vector<std::string> words = FmMemo->MemoList.lines();
    for (int r = 1; r < BunchRowCount; ++r)
        if (StringGridBunch.cell(0, r) == Selected && !StringGridBunch.cell(1, r).empty())
            words.push_back(StringGridBunch.cell(1, r));
    FmMemo->MemoList.setLines(words);
}

void TFmCtrl::PMTrVwMTListUpClick()
{
    FmMemo->prepareListUp("PMTrVwMTListUpClick");
    std::vector<std::string> words = FmMemo->MemoList.lines();
    for (const auto& line : MemoEdd1.lines())
        if (!line.empty())
            words.push_back(line);
    FmMemo->MemoList.setLines(words);
}

// ---------------------------------------------------- events of the page

void TFmCtrl::ComboBoxBunchClick()
{
    PMBunchSFReadClick();
}

void TFmCtrl::ComboBoxBunchChange()
{
    PanelList.setCaption(ComboBoxBunch.text());
    if (FmMain->LectureName == "Serch") {
        ComboBoxBunch.setColor(0xA6FFA6);
        FmMain->showLectureStep(5);
        FmCpp->show();
        StringGridBunch.setVisible(true);
        if (auto* button = FmCpp->tryFind<Control>("ToolButtonAccessSele"))
            button->setVisible(true);
        if (auto* pages = FmCpp->tryFind<Control>("PageControlM0CPP0"))
            pages->setVisible(true);
        FmMemo->setBounds(360, 350, FmMemo->width(), FmMemo->height());
    } else if (FmMain->LectureName == "LBunch") {
        FmMain->showLectureStep(2);
        StringGridBunch.setVisible(true);
        ComboBoxBunch.setColor(ColorWhite);
    }
}

void TFmCtrl::StringGridBunchMouseDown(const MouseEvent& event)
{
    StringGridBunch.markPressedCell(event.x, event.y, PressedCol, PressedRow);
    if (PressedCol == 0 && PressedRow > 0)
        StringGridBunch.setCell(0, PressedRow,
                                StringGridBunch.cell(0, PressedRow) == Selected ? NotSelected : Selected);
}

void TFmCtrl::StringGridBunchMouseUp(const MouseEvent& event)
{
    if (PressedCol != 1 || PressedRow <= 0)
        return;
    int col = -1;
    int row = -1;
    StringGridBunch.mouseToCell(event.x, event.y, col, row);
    PressedCol = col;
    PressedRow = row;
    if (find<MenuItem>("PMBunchTThemaAdd").checked()) {
        ClickedWord = StringGridBunch.cell(1, PressedRow);
        Edit& themes = themeBox();
        if (contains(themes.text(), ClickedWord))
            PMSUniquClick();
        else
            themes.setText(themes.text() + ClickedWord + LikeWord);
    }
    PMSCFOnClic1Click();
}

void TFmCtrl::StringGridBunchClick()
{
    FmMain->lectureCommand("LBunch", [this](int& step) {
        if (step == 4)
            step = 5;
        else if (step == 6)
            step = 7;
        StringGridBunch.setColor(0xFFFFD2);
    });
}

void TFmCtrl::ToolButtonBunchAddClick()
{
    PMBunchTFSaveClick();
    FmMain->lectureCommand("LBunch", [this](int& step) {
        if (step == 2) {
            step = 3;
            StringGridBunch.setVisible(true);
            ComboBoxBunch.setColor(ColorWhite);
        } else if (step == 7) {
            FmMain->MMHSEndClick();
            ComboBoxBunch.setColor(0xFFFFD2);
        }
    });
}
