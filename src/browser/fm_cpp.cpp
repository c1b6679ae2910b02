#include "browser/fm_cpp.h"

using namespace framework;

TFmCpp::TFmCpp()
    : Form("FmCpp"),
      PageControlMain(make<PageControl>("PageControlMain", nullptr)),
      TabSheetMBase(make<TabSheet>("TabSheetMBase", &PageControlMain)),
      TabSheetMManipulates(make<TabSheet>("TabSheetMManipulates", &PageControlMain)),
      TabSheetMFree(make<TabSheet>("TabSheetMFree", &PageControlMain)),
      StringGridManip(make<StringGrid>("StringGridManip", &TabSheetMManipulates))
{
    setBounds(250, 120, 640, 520);
    setCaption("Base : ");
    PageControlMain.setAlign(Align::Client);
    PageControlMain.tabsLeft = true;
    TabSheetMBase.setCaption("Base");
    TabSheetMManipulates.setCaption("Manipulates");
    TabSheetMFree.setCaption("Free");
    StringGridManip.setAlign(Align::Left);
    StringGridManip.setWidth(180);
    StringGridManip.setColCount(5);
    StringGridManip.setRowCount(16);
    StringGridManip.setDefaultColWidth(34);
    StringGridManip.setDefaultRowHeight(20);
    StringGridManip.editing = true;
}

void TFmCpp::activateBasePage() { PageControlMain.setActivePage(&TabSheetMBase); }

void TFmCpp::ToolButtonFreeSaveClick() {}
void TFmCpp::ToolButtonManipSaveClick() {}
void TFmCpp::PMPSiteOpenClick() {}
void TFmCpp::PMPSaleClick() {}
void TFmCpp::PMPTAddClick() {}
