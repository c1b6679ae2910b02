// The operation table of the Manipulates page.

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "platform/ini_file.h"

void TFmCpp::TabSheetMManipulatesShow()
{
    PageName = "Manip";
    SiteTitle = ComboBoxManipSite.text();
    PMManipSFReadClick();
}

void TFmCpp::GroupBoxManipulatesClick()
{
    if (!ManipFolded) {
        ManipFolded = true;
        GroupBoxManipulates.setWidth(15);
        GroupBoxManipulates.setCaption("+");
    } else {
        ManipFolded = false;
        GroupBoxManipulates.setWidth(180);
        platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
        GroupBoxManipulates.setCaption(hlp.readString("GroupBoxManipulates", "Caption", " - Manipulates"));
    }
}

void TFmCpp::PMManipSGEVSetClick()
{
    ManipCols = StringGridManip.colCount();
    ManipRows = StringGridManip.rowCount();
}

// The table's files and editing come with the operation programs.
void TFmCpp::PMManipCFLoadClick() {}
void TFmCpp::PMManipCFSaveClick() {}
void TFmCpp::PMManipSFReadClick() {}
void TFmCpp::PMManipSFWriteClick() {}
void TFmCpp::ComboBoxManipSiteClick() {}
void TFmCpp::ToolButtonManipSaveClick() {}
void TFmCpp::TimerXYTimer() {}
