#include "browser/fm_cpp.h"

using namespace framework;

TFmCpp::TFmCpp() : Form("FmCpp"), StringGridManip(make<StringGrid>("StringGridManip", nullptr))
{
    setBounds(250, 120, 640, 520);
    setCaption("Base : ");
    StringGridManip.setAlign(Align::Left);
    StringGridManip.setWidth(180);
    StringGridManip.setColCount(5);
    StringGridManip.setRowCount(16);
    StringGridManip.setDefaultColWidth(34);
    StringGridManip.setDefaultRowHeight(20);
    StringGridManip.editing = true;
}

void TFmCpp::ToolButtonFreeSaveClick() {}
void TFmCpp::ToolButtonManipSaveClick() {}
void TFmCpp::PMPSiteOpenClick() {}
