#include "browser/fm_cpp.h"

using namespace framework;

TFmCpp::TFmCpp()
    : Form("FmCpp"),
      GroupBoxThema(make<GroupBox>("GroupBoxThema", nullptr)),
      ComboBoxLike(make<ComboBox>("ComboBoxLike", &GroupBoxThema)),
      EditThemas(make<Edit>("EditThemas", &GroupBoxThema)),
      PageControlMain(make<PageControl>("PageControlMain", nullptr)),
      TabSheetMBase(make<TabSheet>("TabSheetMBase", &PageControlMain)),
      TabSheetMManipulates(make<TabSheet>("TabSheetMManipulates", &PageControlMain)),
      TabSheetMFree(make<TabSheet>("TabSheetMFree", &PageControlMain)),
      ComboBoxManipSite(make<ComboBox>("ComboBoxManipSite", &TabSheetMManipulates)),
      StringGridManip(make<StringGrid>("StringGridManip", &TabSheetMManipulates))
{
    setBounds(250, 120, 640, 520);
    setCaption("Base : ");
    GroupBoxThema.setCaption("Thema");
    GroupBoxThema.setAlign(Align::Top);
    GroupBoxThema.setHeight(44);
    ComboBoxLike.setAlign(Align::Left);
    ComboBoxLike.setWidth(44);
    ComboBoxLike.setHint("Like/検索区変更");
    ComboBoxLike.setItems({" ", "&", "-"});
    ComboBoxLike.setText(" ");
    EditThemas.setAlign(Align::Client);
    EditThemas.setFontColor(0x800000);
    PageControlMain.setAlign(Align::Client);
    PageControlMain.tabsLeft = true;
    TabSheetMBase.setCaption("Base");
    TabSheetMManipulates.setCaption("Manipulates");
    TabSheetMFree.setCaption("Free");
    ComboBoxManipSite.setAlign(Align::Top);
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
void TFmCpp::PMPLstClick() {}
void TFmCpp::ComboBoxManipSiteClick() {}
TabSheet* TFmCpp::currentTab() { return nullptr; }
void TFmCpp::useCurrentBrowser() {}
void TFmCpp::navigateActiveBrowser(const std::string&) {}
