#include "browser/fm_cpp.h"

#include "app/captions.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "framework/application.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace {

std::string tabCaption(int tab)
{
    // Two characters wide: "0", " 1" … " 9", "10" … "50".
    if (tab == 0)
        return "0";
    return tab < 10 ? " " + std::to_string(tab) : std::to_string(tab);
}

std::string pageName(int page)
{
    return "PageControlM" + std::to_string(page) + "CPP0";
}

std::string sheetName(int page, int tab)
{
    return "TabSheetMCPP" + std::to_string(page) + "_" + std::to_string(tab);
}

std::string browserName(int page, int tab)
{
    return "CppWebBrowser" + std::to_string(page) + "_" + std::to_string(tab);
}

} // namespace

TFmCpp::TFmCpp()
    : Form("FmCpp"), GroupBoxThema(make<GroupBox>("GroupBoxThema", nullptr)),
      ToolBarCpp(make<ToolBar>("ToolBarCpp", &GroupBoxThema)),
      ToolButtonAccessSele(make<ToolButton>("ToolButtonAccessSele", &ToolBarCpp)),
      ComboBoxLike(make<ComboBox>("ComboBoxLike", &GroupBoxThema)),
      EditThemas(make<Edit>("EditThemas", &GroupBoxThema)),
      PageControlMain(make<PageControl>("PageControlMain", nullptr)),
      TabSheetMBase(make<TabSheet>("TabSheetMBase", &PageControlMain)),
      TabSheetMManipulates(make<TabSheet>("TabSheetMManipulates", &PageControlMain)),
      TabSheetMFree(make<TabSheet>("TabSheetMFree", &PageControlMain)),
      GroupBoxManipulates(make<GroupBox>("GroupBoxManipulates", &TabSheetMManipulates)),
      ToolBarManip(make<ToolBar>("ToolBarManip", &GroupBoxManipulates)),
      ToolButtonManipSave(make<ToolButton>("ToolButtonManipSave", &ToolBarManip)),
      LabelManipulatesSite(make<Label>("LabelManipulatesSite", &GroupBoxManipulates)),
      ComboBoxManipSite(make<ComboBox>("ComboBoxManipSite", &GroupBoxManipulates)),
      LabelManipURL(make<Label>("LabelManipURL", &GroupBoxManipulates)),
      EditManipURL(make<Edit>("EditManipURL", &GroupBoxManipulates)),
      LabelBrwsXY(make<Label>("LabelBrwsXY", &GroupBoxManipulates)),
      StringGridManip(make<StringGrid>("StringGridManip", &GroupBoxManipulates)),
      PanelInputTool(make<Panel>("PanelInputTool", &GroupBoxManipulates)),
      ToolButtonSelect(make<ToolButton>("ToolButtonSelect", &PanelInputTool)),
      ToolButtonToolReturn(make<ToolButton>("ToolButtonToolReturn", &PanelInputTool)),
      PanelITPosXY(make<Panel>("PanelITPosXY", &PanelInputTool)), EditPosX(make<Edit>("EditPosX", &PanelITPosXY)),
      UpDownPosX(make<UpDown>("UpDownPosX", &PanelITPosXY)), EditPosY(make<Edit>("EditPosY", &PanelITPosXY)),
      UpDownPosY(make<UpDown>("UpDownPosY", &PanelITPosXY)), EditManipStr(make<Edit>("EditManipStr", &PanelInputTool)),
      SplitterManip(make<Splitter>("SplitterManip", &TabSheetMManipulates)),
      GroupBoxFree(make<GroupBox>("GroupBoxFree", &TabSheetMFree)),
      LabelFreeSite(make<Label>("LabelFreeSite", &GroupBoxFree)),
      ComboBoxFreeSite(make<ComboBox>("ComboBoxFreeSite", &GroupBoxFree)), Label3(make<Label>("Label3", &GroupBoxFree)),
      EditFreeURL(make<Edit>("EditFreeURL", &GroupBoxFree)), LabelFForm(make<Label>("LabelFForm", &GroupBoxFree)),
      EditFreeFormName(make<Edit>("EditFreeFormName", &GroupBoxFree)), Label5(make<Label>("Label5", &GroupBoxFree)),
      EditFreeInputName(make<Edit>("EditFreeInputName", &GroupBoxFree)),
      ToolBarFree(make<ToolBar>("ToolBarFree", &GroupBoxFree)),
      ToolButtonFreeSave(make<ToolButton>("ToolButtonFreeSave", &ToolBarFree)),
      Timer1(makeTimer("Timer1", 1000, false)), TimerXY(makeTimer("TimerXY", 100, false)),
      TimerQuick(makeTimer("TimerQuick", 100, false)), TimerSiteTest(makeTimer("TimerSiteTest", 500, false)),
      LabelFreeKind(make<Label>("LabelFreeKind", &GroupBoxFree)), PanelBlock(make<Panel>("PanelBlock", nullptr)),
      LabelBlock(make<Label>("LabelBlock", &PanelBlock)),
      ButtonBlockResume(make<Button>("ButtonBlockResume", &PanelBlock))
{
    setBounds(250, 120, 720, 560);
    setCaption("Base : ");

    // The theme band.
    setUpControls({
        {.control = &GroupBoxThema, .caption = "Thema", .align = Align::Top, .height = 46},
        {.control = &ToolBarCpp, .align = Align::Left, .width = 48},
        {.control = &ToolButtonAccessSele,
         .caption = "Run",
         .hint = "Serch",
         .onClick = [this] { ToolButtonAccessSeleClick(); }},
        {.control = &ComboBoxLike,
         .align = Align::Left,
         .width = 44,
         .hint = "Like/検索区変更",
         .onClick = [this] { ComboBoxLikeChange(); }},
        {.control = &EditThemas, .align = Align::Client},
    });
    ToolButtonAccessSele.dropDown = true;
    ComboBoxLike.setItems({" ", "&", "-"});
    ComboBoxLike.setText(" ");
    ComboBoxLike.onChange = [this] { ComboBoxLikeChange(); };
    ComboBoxLike.onDblClick = [this] { ComboBoxLikeDblClick(); };
    EditThemas.setFontColor(0x800000);

    setUpControls({
        {.control = &PageControlMain, .align = Align::Client},
        {.control = &TabSheetMBase, .caption = "Base"},
        {.control = &TabSheetMManipulates, .caption = "Manipulates"},
        {.control = &TabSheetMFree, .caption = "Free"},
    });
    PageControlMain.tabsLeft = true;

    // The operation table panel of the Manipulates page.
    setUpControls({
        {.control = &GroupBoxManipulates,
         .caption = " - Manipulates",
         .align = Align::Left,
         .width = 180,
         .onClick = [this] { GroupBoxManipulatesClick(); }},
        {.control = &SplitterManip, .align = Align::Left, .width = 3},
        {.control = &ToolBarManip, .align = Align::Top, .height = 24},
        {.control = &ToolButtonManipSave,
         .caption = "Save",
         .hint = "Serch",
         .onClick = [this] { ToolButtonManipSaveClick(); }},
        {.control = &LabelManipulatesSite, .caption = "Site", .bounds = {4, 44, 30, 16}},
        {.control = &ComboBoxManipSite, .bounds = {36, 42, 138, 22}, .onClick = [this] { ComboBoxManipSiteClick(); }},
        {.control = &LabelManipURL, .caption = "Url", .bounds = {4, 68, 30, 16}},
        {.control = &EditManipURL, .bounds = {36, 66, 138, 22}},
        {.control = &LabelBrwsXY, .bounds = {4, 92, 170, 16}, .visible = false},
        {.control = &StringGridManip, .bounds = {2, 112, 174, 340}},
        {.control = &PanelInputTool, .bounds = {20, 200, 150, 80}, .visible = false},
        {.control = &ToolButtonSelect, .caption = "Cmd"},
        {.control = &ToolButtonToolReturn, .caption = "Tool"},
        {.control = &PanelITPosXY, .bounds = {2, 26, 146, 26}, .visible = false},
        {.control = &EditPosX, .bounds = {0, 0, 44, 22}},
        {.control = &UpDownPosX, .bounds = {44, 0, 17, 22}},
        {.control = &EditPosY, .bounds = {70, 0, 44, 22}},
        {.control = &UpDownPosY, .bounds = {114, 0, 17, 22}},
        {.control = &EditManipStr, .bounds = {2, 54, 146, 22}, .visible = false},
    });
    ToolButtonManipSave.dropDown = true;
    StringGridManip.setColCount(5);
    StringGridManip.setRowCount(16);
    StringGridManip.setDefaultColWidth(34);
    StringGridManip.setDefaultRowHeight(20);
    StringGridManip.editing = true;
    StringGridManip.alwaysShowEditor = true;
    StringGridManip.colSizing = true;
    StringGridManip.onMouseDown = [this](const MouseEvent& e) { StringGridManipMouseDown(e); };
    EditPosX.onChange = [this] { EditPosXChange(); };
    EditPosY.onChange = [this] { EditPosYChange(); };
    EditManipStr.onChange = [this] { EditManipStrChange(); };
    UpDownPosX.onUpDownClick = [this](UpDownButton) { EditPosXChange(); };
    UpDownPosY.onUpDownClick = [this](UpDownButton) { EditPosYChange(); };
    LabelBrwsXY.onMouseMove = [this](const MouseEvent& e) { LabelBrwsXYMouseMove(e); };
    LabelBrwsXY.onDblClick = [this] { LabelBrwsXYDblClick(); };
    for (UpDown* updown : {&UpDownPosX, &UpDownPosY}) {
        updown->setMax(5000);
        updown->setMin(0);
        updown->setPosition(100);
    }
    UpDownPosX.associate = &EditPosX;
    UpDownPosY.associate = &EditPosY;
    EditPosX.setText("100");
    EditPosY.setText("100");

    // The Free band.
    setUpControls({
        {.control = &GroupBoxFree,
         .caption = " - Free",
         .align = Align::Top,
         .height = 68,
         .onClick = [this] { GroupBoxFreeClick(); }},
        {.control = &LabelFreeSite, .caption = "Site", .bounds = {6, 18, 44, 16}},
        {.control = &ComboBoxFreeSite,
         .bounds = {50, 16, 136, 22},
         .hint = "検索サイト選択",
         .onClick = [this] { ComboBoxFreeSiteClick(); }},
        {.control = &Label3, .caption = "Url", .bounds = {192, 18, 24, 16}},
        {.control = &EditFreeURL, .bounds = {218, 16, 300, 22}},
        {.control = &LabelFForm, .caption = "Form", .bounds = {6, 42, 44, 16}},
        {.control = &EditFreeFormName, .bounds = {50, 40, 136, 22}, .hint = "input form id　を入力"},
        {.control = &Label5, .caption = "Input", .bounds = {192, 42, 30, 16}},
        {.control = &EditFreeInputName, .bounds = {224, 40, 120, 22}, .hint = "input type=\"text\" name= ?　を入力"},
        {.control = &ToolBarFree, .bounds = {530, 14, 60, 26}},
        {.control = &ToolButtonFreeSave, .caption = "Save", .onClick = [this] { ToolButtonFreeSaveClick(); }},
        {.control = &LabelFreeKind,
         .bounds = {350, 42, 170, 16},
         .hint = "How the site is searched; click to test it in the current tab",
         .onClick = [this] { PMFreeTTestClick(); }},
    });
    EditFreeFormName.setText("cse-search-box");
    EditFreeInputName.setText("q");
    ToolButtonFreeSave.dropDown = true;
    LabelFreeKind.setFontColor(0x808000);
    LabelFreeKind.handCursor = true;

    // Below the theme band, above the tabs; the text wraps beside the button.
    setUpControls({
        {.control = &PanelBlock, .align = Align::Top, .height = 30, .visible = false},
        {.control = &ButtonBlockResume,
         .caption = "Resume",
         .align = Align::Right,
         .width = 75,
         .onClick = [this] { PMACResumeClick(); }},
        {.control = &LabelBlock, .align = Align::Client},
    });
    PanelBlock.setColor(0x00C0FFFF);
    LabelBlock.wordWrap = true;
    LabelBlock.setFontColor(0x000080);

    Timer1.onTimer = [this] { Timer1Timer(); };
    TimerXY.onTimer = [this] { TimerXYTimer(); };
    TimerQuick.onTimer = [this] { TimerQuickTimer(); };
    TimerSiteTest.onTimer = [this] { run_.siteTestTick(); };

    buildPagePool();
    PageControlMain.setActivePage(&TabSheetMBase);
    TabSheetMBase.onShow = [this] { TabSheetMBaseShow(); };
    TabSheetMManipulates.onShow = [this] { TabSheetMManipulatesShow(); };
    TabSheetMFree.onShow = [this] { TabSheetMFreeShow(); };
    PageControlMain.onChange = [this] { PageControlMainChange(); };

    buildMenus();
}

TFmCpp::~TFmCpp() = default;

void TFmCpp::buildPagePool()
{
    TabSheet* pages[PageCount] = {&TabSheetMBase, &TabSheetMManipulates, &TabSheetMFree};
    for (int p = 0; p < PageCount; ++p) {
        auto& control = make<PageControl>(pageName(p), pages[p]);
        control.setAlign(Align::Client);
        control.buttonStyle = true;
        control.multiLine = true;
        control.onChange = [this] { PageControlMCPP0Change(); };
        for (int n = 0; n < TabCount; ++n) {
            auto& sheet = make<TabSheet>(sheetName(p, n), &control);
            sheet.setCaption(tabCaption(n));
            auto& host = make<WebBrowserHost>(browserName(p, n), &sheet);
            host.setAlign(Align::Client);
            // Events are wired when the browser comes to life.
            host.browserCreated.connect([this, &host, p, n] { wireBrowser(host, p, n); });
        }
    }
}

void TFmCpp::wireBrowser(WebBrowserHost& host, int page, int tab)
{
    // The browser tells its events through the application's gate, so a
    // handler here never starts inside another one.
    browserctl::WebBrowser& browser = *host.browserIfCreated();
    browser.BeforeNavigate2.connect(
        [this, page, tab](const std::string& url) { BrowserBeforeNavigate2(page, tab, url); });
    browser.DocumentComplete.connect(
        [this, page, tab](const std::string& url) { BrowserDocumentComplete(page, tab, url); });
    browser.DocumentSettled.connect([this, page, tab](const std::string&) { run_.documentSettled({page, tab}); });
    browser.PageFailed.connect([this, page, tab](const browserctl::PageFailure& failure) {
        run_.pageFailed({page, tab}, failure);
    });
    browser.PageDialogAnswered.connect([this, page, tab](const browserctl::PageDialog& dialog) {
        run_.pageDialog({page, tab}, dialog);
    });
    // A tab of a running run loads and answers dialogs as the run's tabs.
    tabs_.browserCreated({page, tab});
}

void TFmCpp::toggleBandFold(GroupBox& band, bool& folded, bool foldsWidth, int size, const char* defaultCaption)
{
    folded = !folded;
    const int extent = folded ? 15 : size;
    if (foldsWidth)
        band.setWidth(extent);
    else
        band.setHeight(extent);
    if (folded) {
        band.setCaption("+");
        return;
    }
    platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
    band.setCaption(hlp.readString(band.name(), "Caption", defaultCaption));
}

void TFmCpp::buildMenus()
{
    MenuItem& popup = makeMenu("PopupMenu", nullptr);
    popupMenus.push_back(&popup);
    static const MenuRow<TFmCpp> popupRows[] = {
        {0, "PMPrg", "Prg"},
        {1, "PMPSiteOpen", "SiteOpen", &TFmCpp::PMPSiteOpenClick},
        {1, "PMPReSet", "ReSet", &TFmCpp::PMPReSetClick},
        {1, "PMPSale", "Sale", &TFmCpp::PMPSaleClick},
        {1, "PMPRend", "Rend", &TFmCpp::PMPRendClick},
        {1, "PMPLst", "Lst", &TFmCpp::PMPLstClick},
        {1, "PMPFormInput", "FormInput", &TFmCpp::PMPFormInputClick},
        {1, "PMPOpenCheck", "OpenCheck", &TFmCpp::PMPOpenCheckClick},
        {1, "PMPEnd", "End", &TFmCpp::PMPEndClick},
        {0, "PMAccess", "Access"},
        {1, "PMASele", "Sele"},
        {2, "PMASSingle", "Single", &TFmCpp::PMASSingleClick},
        {2, "PMASList", "List", &TFmCpp::PMASListClick},
        {2, "PMASSerch", "Serch", &TFmCpp::PMASSerchClick},
        {1, "PMAControl", "Control"},
        {1, "PMAcssTool", "Tool"},
        {2, "PMAcssTSerch", "Serch"},
        {3, "PMAcssTSSingle", "Single", &TFmCpp::PMASSingleClick},
        {3, "PMAcssTSList", "List", &TFmCpp::PMASListClick},
        // The usual browser keys, while the browser window is active.
        // Stop is there while a run goes: Escape belongs to the pages
        // otherwise.
        {2, "PMACStop", "Stop", &TFmCpp::PMACStopClick, MenuDisabled, "Esc"},
        {2, "PMACResume", "Resume", &TFmCpp::PMACResumeClick},
        {2, "PMACGoForward", "Forward", &TFmCpp::PMACGoForwardClick, 0, "Alt+Right"},
        {2, "PMACGoBack", "Back", &TFmCpp::PMACGoBackClick, 0, "Alt+Left"},
        {2, "PMAcssTRefresh", "Refresh", &TFmCpp::PMAcssTRefreshClick, 0, "F5"},
        {2, "PMAcssTLocationURL", "LocationURL", &TFmCpp::PMAcssTLocationURLClick},
        {2, "PMAcssTSource", "Source", &TFmCpp::PMAcssTSourceClick, MenuHidden},
        {0, "PMForm", "Form"},
        {1, "PMFormTabSheet", "TabSheet"},
        {2, "PMFormTSerchSite", "SerchSite"},
        {3, "PMFormTSFile", "File"},
        {4, "PMFormTSFRead", "Read", &TFmCpp::PMFormTSFReadClick},
        {2, "PMPTCpp", "CPP"},
        {3, "PMPTAdd", "Add", &TFmCpp::PMPTAddClick},
        {2, "PMPTSet", "Set", &TFmCpp::PMPTSetClick},
        {0, "PMFree", "Free"},
        {1, "PMFreeCombo", "ComboBox"},
        {2, "PMFreeCFile", "File"},
        {3, "PMFreeCFLoad", "Load", &TFmCpp::PMFreeCFLoadClick},
        {3, "PMFreeCFSave", "Save", &TFmCpp::PMFreeCFSaveClick},
        {1, "PMFreeEdit", "Edit"},
        {2, "PMFreeEFile", "File"},
        {3, "PMFreeEFRead", "Read", &TFmCpp::PMFreeEFReadClick},
        {3, "PMFreeEFWrite", "Write", &TFmCpp::PMFreeEFWriteClick},
        {1, "PMFreeTool", "Tool"},
        {2, "Save1", "Save", &TFmCpp::PMFreeCFSaveClick},
        {2, "PMFreeTTest", "Test", &TFmCpp::PMFreeTTestClick},
        {0, "PMManip", "Manipulates"},
        {1, "PMManipCombo", "ComboBox"},
        {2, "PMManipCFile", "File"},
        {3, "PMManipCFLoad", "Load", &TFmCpp::PMManipCFLoadClick},
        {3, "PMManipCFSave", "Save", &TFmCpp::PMManipCFSaveClick},
        {1, "PMManipGrid", "StringGrid"},
        {2, "PMManipSFile", "File"},
        {3, "PMManipSFRead", "Read", &TFmCpp::PMManipSFReadClick},
        {3, "PMManipSFWrite", "Write", &TFmCpp::PMManipSFWriteClick},
        {2, "PMManipSGEvent", "Event"},
        {3, "PMMSGEClear", "Clear", &TFmCpp::PMMSGEClearClick},
        {3, "PMManipSGEValue", "Value"},
        {4, "PMManipSGEVSet", "Set", &TFmCpp::PMManipSGEVSetClick},
        {4, "PMManipSGEVBigan", "Bigan", &TFmCpp::PMManipSGEVBiganClick},
        {3, "PMMSGEBrwsXY", "BrwsXY", &TFmCpp::PMMSGEBrwsXYClick},
        {1, "PMManipTool1", "Tool1"},
        {2, "PMManipT1Save", "Save", &TFmCpp::ToolButtonManipSaveClick},
        {2, "PMManipT1Delete", "Delete", &TFmCpp::PMManipT1DeleteClick},
        {2, "PMManipT1Access", "Access", &TFmCpp::PMManipT1AccessClick},
        {2, "PMManipT1Run", "Run", &TFmCpp::PMManipT1RunClick},
        {1, "PMManipTool2", "Tool2"},
        {2, "ManipT2Close", "Close", &TFmCpp::ManipT2CloseClick},
        {2, "PMManipTRowInsert", "RowInsert", &TFmCpp::PMManipTRowInsertClick},
        {2, "PMManipTRowDelete", "RowDelete", &TFmCpp::PMManipTRowDeleteClick},
    };
    makeMenuRows(popup, popupRows);
    ToolButtonToolReturn.dropDownMenu = &find<MenuItem>("PMManipTool2");
    ToolButtonAccessSele.dropDownMenu = &find<MenuItem>("PMAcssTool");
    ToolButtonFreeSave.dropDownMenu = &find<MenuItem>("PMFreeTool");
    ToolButtonManipSave.dropDownMenu = &find<MenuItem>("PMManipTool1");
}

void TFmCpp::readCaptions()
{
    platform::IniFile hlp(FmMain->langPath("Hlp.INI"));
    vantrel::readCaptions(hlp, *this,
                          {"GroupBoxThema", "PMAcssTSerch", "PMAcssTSSingle", "PMAcssTSList", "PMACStop",
                           "PMACGoForward", "PMACGoBack", "PMAcssTRefresh", "TabSheetMManipulates",
                           "GroupBoxManipulates", "LabelManipulatesSite", "TabSheetMFree", "GroupBoxFree",
                           "LabelFreeSite"});
    // The rows of what this program adds, and the hints.
    vantrel::readCaptions(hlp, *this,
                          {"PMFreeTTest", "ToolButtonAccessSele", "TabSheetMBase", "ToolButtonManipSave",
                           "LabelManipURL", "ToolButtonSelect", "ToolButtonToolReturn", "Label3", "LabelFForm",
                           "Label5", "ToolButtonFreeSave", "PMACResume"});
    vantrel::readHints(hlp, *this,
                       {"ComboBoxLike", "EditThemas", "ComboBoxManipSite", "EditManipURL", "StringGridManip",
                        "ComboBoxFreeSite", "EditFreeURL", "EditFreeFormName", "EditFreeInputName", "LabelFreeKind"});
}

// ------------------------------------------------------------- lookups

PageControl& TFmCpp::pagesOf(int page)
{
    return find<PageControl>(pageName(page));
}

TabSheet& TFmCpp::tabSheet(int page, int tab)
{
    return find<TabSheet>(sheetName(page, tab));
}

WebBrowserHost& TFmCpp::browserHost(int page, int tab)
{
    return find<WebBrowserHost>(browserName(page, tab));
}

TabSheet* TFmCpp::currentTab()
{
    return tryFind<TabSheet>(sheetName(MainPage, CurrentTab));
}

void TFmCpp::useCurrentBrowser()
{
    ActiveBrowser = &browserHost(MainPage, CurrentTab);
}

void TFmCpp::navigateActiveBrowser(const std::string& url)
{
    if (ActiveBrowser)
        ActiveBrowser->browser().Navigate(url);
}

void TFmCpp::activateBasePage()
{
    PageControlMain.setActivePage(&TabSheetMBase);
}

void TFmCpp::offerStop(bool offered)
{
    find<MenuItem>("PMACStop").setEnabled(offered);
}

// ---------------------------------------------------------------- window

void TFmCpp::FormCreate()
{
    Tick = 0;
    ListCount = 0;
    ListPos = 0;
    CurrentTab = 0;
    StartTab = 0;
    readCaptions();
    // The input tool offers the site tree window's operation commands.
    ToolButtonSelect.dropDownMenu = &FmCtrl->find<MenuItem>("PMManipulates");
    {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        setBounds(base.readInteger("FmCpp", "Left", 250), base.readInteger("FmCpp", "Top", 120), width(), height());
        freeSites_.readChoice(base);
    }
    PageControlMainChange();
    // A missing list file ends the creation here, reported; the window
    // still shows.
    PMFreeCFLoadClick();
    PMFreeEFReadClick();
    PMManipCFLoadClick();
    PMManipSFReadClick();
    InputToolHomeLeft = PanelInputTool.left();
    InputToolHomeTop = PanelInputTool.top();
}

void TFmCpp::FormShow()
{
    {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        ComboBoxLike.setText(base.readString("Set", "Like", " "));
    }
    FmCtrl->LikeWord = ComboBoxLike.text();
    // The active page becomes visible with the window.
    if (TabSheet* page = PageControlMain.activePage(); page && page->onShow)
        page->onShow();
}

void TFmCpp::FormDestroy()
{
    // A close during a run (the user's, or a signal's) keeps what the run
    // found so far.
    run_.endForClose();
    Timer1.setEnabled(false);
    TimerXY.setEnabled(false);
    platform::IniFile base(FmMain->langPath("Base.INI"));
    base.writeInteger("FmCpp", "Left", left());
    base.writeInteger("FmCpp", "Top", top());
    freeSites_.writeChoice(base);
    base.flush();
}

void TFmCpp::ComboBoxLikeChange()
{
    {
        platform::IniFile base(FmMain->langPath("Base.INI"));
        base.writeString("Set", "Like", ComboBoxLike.text());
        base.flush();
    }
    FmCtrl->LikeWord = ComboBoxLike.text();
}

void TFmCpp::ComboBoxLikeDblClick()
{
    FmCtrl->ComboBoxTVFCategory.setText(ComboBoxLike.text() + FmCtrl->LikeWord);
}

void TFmCpp::PageControlMainChange()
{
    MainPage = PageControlMain.activePageIndex();
    FmMemo->MemoList.clear();
    ActionPageNum();
}

void TFmCpp::PageControlMCPP0Change()
{
    ActionPageNum();
    // The tab the user shows comes back to life.
    run_.restTabs();
}

void TFmCpp::ActionPageNum()
{
    TabPages = &pagesOf(MainPage);
    CurrentTab = TabPages->activePageIndex();
    if (runs::modeOf(AccessMode) != runs::Mode::Single) {
        ActiveTab = &tabSheet(MainPage, CurrentTab);
        FmMain->ComboBoxURL.clearItems();
    }
    FmMain->ComboBoxURL.setText(FmMain->ComboBoxURL.item(0));
    setCaption(SiteTitle + " : " + SiteURL);
}

void TFmCpp::TabSheetMBaseShow()
{
    PageName = "Base";
    SiteTitle = "Base";
    PMFormTSFReadClick();
}

void TFmCpp::PMFormTSFReadClick()
{
    {
        platform::IniFile base(FmMain->exePath("0Base.INI"));
        FormName = base.readString(PageName, "FormName", "");
        InputName = base.readString(PageName, "InputName", "");
        SiteURL = base.readString(PageName, "URL", "");
        run_.site = runs::readSiteOptions(base, PageName);
    }
    // A search address is complete as it is; a search page's address ends
    // in the language's folder.
    if (!runs::isSearchAddress(SiteURL))
        SiteURL += FmMain->LangName + "/";
    FmMain->showAddress(SiteURL);
    setCaption(SiteTitle + " : " + SiteURL);
}

void TFmCpp::testSite(std::function<void(const std::string&)> tell)
{
    run_.testSite(std::move(tell));
}

void TFmCpp::testBaseSite(std::function<void(const std::string&)> tell)
{
    if (MainPage != runs::pageIndex(runs::Page::Base)) {
        activateBasePage();
        PageControlMainChange();
    }
    PMFormTSFReadClick();
    testSite(std::move(tell));
}

std::string TFmCpp::siteKindText(runs::SiteKind kind)
{
    static const char* const keys[] = {"SiteKindNamedForm", "SiteKindFoundForm", "SiteKindSearchAddress"};
    return vantrel::programText(keys[static_cast<int>(kind)], runs::siteKindName(kind));
}

// --------------------------------------------------------- navigation

void TFmCpp::BrowserBeforeNavigate2(int, int, const std::string& url)
{
    FmMain->WorkText = url;
    ActionBeforeNavigate2();
}

void TFmCpp::BrowserDocumentComplete(int page, int tab, const std::string& url)
{
    // The first tab of each page leaves the work text alone.
    if (tab != 0)
        FmMain->WorkText = url;
    run_.documentComplete({page, tab}, url);
}

void TFmCpp::ActionBeforeNavigate2()
{
    FmMain->Animate1.play();
    FmSys->LabelCppAccess.setCaption("Before");
}

void TFmCpp::ActionDocumentComplete(bool fromRunBrowser)
{
    run_.pageCompleted(fromRunBrowser);
    FmMain->Animate1.stop();
    FmSys->LabelCppAccess.setCaption("Comp");
}

void TFmCpp::PMPSiteOpenClick()
{
    ActiveBrowser = &browserHost(MainPage, CurrentTab);
    ActiveBrowser->browser().Navigate(FmMain->boxAddress());
}

void TFmCpp::PMPTAddClick()
{
}

void TFmCpp::PMPTSetClick()
{
    for (int n = 10; n <= 39; ++n)
        tabSheet(MainPage, n).setVisible(false);
}

// Before any browser was opened there is nothing to go back or forward in.
void TFmCpp::PMACGoForwardClick()
{
    if (ActiveBrowser && ActiveBrowser->created())
        ActiveBrowser->browser().GoForward();
}

void TFmCpp::PMACGoBackClick()
{
    if (ActiveBrowser && ActiveBrowser->created())
        ActiveBrowser->browser().GoBack();
}

void TFmCpp::PMAcssTRefreshClick()
{
    if (ActiveBrowser && ActiveBrowser->created())
        ActiveBrowser->browser().Refresh2();
}

void TFmCpp::PMAcssTLocationURLClick()
{
    if (!ActiveBrowser || !ActiveBrowser->created())
        return;
    FmMain->showAddress(ActiveBrowser->browser().LocationURL());
    GroupBoxThema.setCaption(ActiveBrowser->browser().LocationName());
}

void TFmCpp::PMAcssTSourceClick()
{
}
