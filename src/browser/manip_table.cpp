// The operation table of the Manipulates page: one screen operation per
// row, kept per operation site in Manip.INI, edited in place with an input
// tool, with a coordinate readout to find click positions.

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "platform/text_store.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace {
std::string cellKey(int col, int row)
{
    return std::to_string(col) + "," + std::to_string(row);
}
} // namespace

void TFmCpp::TabSheetMManipulatesShow()
{
    PageName = "Manip";
    SiteTitle = ComboBoxManipSite.text();
    PMManipSFReadClick();
    PageControl& pages = pagesOf(1);
    if (pages.width() < 640)
        pages.setWidth(640);
}

void TFmCpp::GroupBoxManipulatesClick()
{
    toggleBandFold(GroupBoxManipulates, ManipFolded, true, 180, " - Manipulates");
}

// ------------------------------------------------------------ site list

void TFmCpp::PMManipCFLoadClick()
{
    ManipFolded = true;
    GroupBoxManipulatesClick();
    {
        platform::IniFile manip(FmMain->langPath("Manip.INI"));
        manipSites_.readChoice(manip);
    }
    // A missing list is reported here and leaves the list as it was.
    manipSites_.load(FmMain->langPath("ManipSite.txt"));
}

void TFmCpp::PMManipCFSaveClick()
{
    if (manipSites_.addChoice())
        manipSites_.save(FmMain->langPath("ManipSite.txt"));
    PMManipSFWriteClick();
}

void TFmCpp::ToolButtonManipSaveClick()
{
    PMManipCFSaveClick();
    PMManipSFWriteClick();
}

void TFmCpp::PMManipT1DeleteClick()
{
    FmMemo->removeCurrentItem(ComboBoxManipSite);
    PMManipSFReadClick();
    FmMemo->MemoLog.clear();
    FmMemo->close();
}

void TFmCpp::PMManipT1AccessClick()
{
    FmMain->showAddress(EditManipURL.text());
    PMPSiteOpenClick();
}

void TFmCpp::PMManipT1RunClick()
{
    FmCtrl->PMMSrcRunClick();
}

// ---------------------------------------------------------------- table

void TFmCpp::PMManipSGEVSetClick()
{
    ManipCols = StringGridManip.colCount();
    ManipRows = StringGridManip.rowCount();
}

void TFmCpp::PMMSGEClearClick()
{
    for (int c = 1; c < ManipCols; ++c)
        for (int r = 1; r < ManipRows; ++r)
            StringGridManip.setCell(c, r, "");
}

void TFmCpp::PMManipSGEVBiganClick()
{
    const int widths[] = {18, 70, 26, 26, 70};
    const char* headings[] = {nullptr, "Code", "Val1", "Val2", "String"};
    for (int c = 0; c < 5; ++c) {
        StringGridManip.setColWidth(c, widths[c]);
        if (headings[c])
            StringGridManip.setCell(c, 0, headings[c]);
    }
    for (int r = 1; r < StringGridManip.rowCount(); ++r)
        StringGridManip.setCell(0, r, std::to_string(r));
}

void TFmCpp::ComboBoxManipSiteClick()
{
    PMManipSFReadClick();
}

void TFmCpp::PMManipSFReadClick()
{
    PMManipSGEVSetClick();
    PMMSGEClearClick();
    PMManipSGEVBiganClick();
    platform::IniFile manip(FmMain->langPath("Manip.INI"));
    const std::string site = ComboBoxManipSite.text();
    SiteURL = manip.readString(site, "URL", "");
    run_.site = runs::readSiteOptions(manip, site);
    EditManipURL.setText(SiteURL);
    FmMain->showAddress(SiteURL);
    for (int c = 1; c < ManipCols; ++c)
        for (int r = 1; r < ManipRows; ++r)
            StringGridManip.setCell(c, r, manip.readString(site, cellKey(c, r), ""));
    setCaption(SiteTitle + " : " + SiteURL);
}

void TFmCpp::PMManipSFWriteClick()
{
    PMManipSGEVSetClick();
    platform::IniFile manip(FmMain->langPath("Manip.INI"));
    const std::string site = ComboBoxManipSite.text();
    manipSites_.writeChoice(manip);
    manip.writeString(site, "URL", EditManipURL.text());
    for (int c = 1; c < ManipCols; ++c) {
        for (int r = 1; r < ManipRows; ++r) {
            // An empty value ends the program at its row; every empty cell
            // is stored as "0".
            if (StringGridManip.cell(c, r).empty()) {
                if (c == 2)
                    StringGridManip.setCell(1, r, "End");
                StringGridManip.setCell(c, r, "0");
            }
            manip.writeString(site, cellKey(c, r), StringGridManip.cell(c, r));
        }
    }
    manip.flush();
}

// ------------------------------------------------------------ input tool

void TFmCpp::StringGridManipMouseDown(const MouseEvent& event)
{
    StringGridManip.markPressedCell(event.x, event.y, ManipCol, ManipRow);
    if (ManipCol != 1 || ManipRow <= 0)
        return;
    FmCtrl->OpeMode = "Input";
    // Beside the pressed row.
    PanelInputTool.setBounds(StringGridManip.defaultColWidth() * (ManipCol + 1),
                             StringGridManip.top() + StringGridManip.defaultRowHeight() * (ManipRow + 1),
                             PanelInputTool.width(), PanelInputTool.height());
    PanelInputTool.setVisible(true);
    PanelITPosXY.setVisible(false);
    EditManipStr.setVisible(false);
    EditPosX.setText(StringGridManip.cell(2, ManipRow));
    EditPosY.setText(StringGridManip.cell(3, ManipRow));
    EditManipStr.setText(StringGridManip.cell(4, ManipRow));
    FmCtrl->CurrentCommand = StringGridManip.cell(1, ManipRow);
    find<MenuItem>("PMMSGEBrwsXY").setChecked(false);
    PMMSGEBrwsXYClick();
    FmCtrl->PMMProcessingSeleClick();
}

void TFmCpp::EditPosXChange()
{
    StringGridManip.setCell(2, ManipRow, EditPosX.text());
}

void TFmCpp::EditPosYChange()
{
    StringGridManip.setCell(3, ManipRow, EditPosY.text());
}

void TFmCpp::EditManipStrChange()
{
    StringGridManip.setCell(4, ManipRow, EditManipStr.text());
}

void TFmCpp::ManipT2CloseClick()
{
    PanelInputTool.setBounds(InputToolHomeLeft, InputToolHomeTop, PanelInputTool.width(), PanelInputTool.height());
    PanelInputTool.setVisible(false);
    FmCtrl->OpeMode.clear();
    PanelITPosXY.setVisible(false);
}

namespace {
void manipRowCommand(TFmCpp& cpp, bool insert)
{
    FmMemo->GridTarget = "Manip";
    FmMemo->showPage(FmMemo->TabSheetMGrid);
    FmMemo->TargetRow = cpp.ManipRow;
    FmMemo->MMSSSSynchroClick();
    FmMemo->MMSSSClearClick();
    if (insert)
        FmMemo->MMSSDRowInsertClick();
    else
        FmMemo->MMSSDRowDeleteClick();
    FmMemo->MMSSDReturnClick();
}
} // namespace

void TFmCpp::PMManipTRowInsertClick()
{
    manipRowCommand(*this, true);
    PMManipSGEVBiganClick();
    FmMemo->close();
}

void TFmCpp::PMManipTRowDeleteClick()
{
    manipRowCommand(*this, false);
    PMManipSFWriteClick();
    PMManipSGEVBiganClick();
    FmMemo->close();
}

// ---------------------------------------------------- coordinate readout

void TFmCpp::PMMSGEBrwsXYClick()
{
    const bool on = find<MenuItem>("PMMSGEBrwsXY").checked();
    LabelBrwsXY.setVisible(on);
    TimerXY.setEnabled(on);
}

void TFmCpp::TimerXYTimer()
{
    int screenX = 0;
    int screenY = 0;
    app().input().cursorPos(screenX, screenY);
    // Client coordinates of the window, then the offsets that turn them into
    // a position inside the Manipulates page's browser area.
    const int clientX = screenX - left();
    const int clientY = screenY - top();
    const int x = clientX - (width() - pagesOf(1).width() - 8);
    const int y = clientY - (height() - browserHost(1, 1).height() - 41);
    LabelBrwsXY.setCaption(std::to_string(x) + "×" + std::to_string(y));
}

void TFmCpp::LabelBrwsXYMouseMove(const MouseEvent& event)
{
    LabelMouseX = event.x;
    LabelMouseY = event.y;
}

void TFmCpp::LabelBrwsXYDblClick()
{
    UpDownPosX.setPosition(LabelMouseX);
    UpDownPosY.setPosition(LabelMouseY);
    EditPosXChange();
    EditPosYChange();
}
