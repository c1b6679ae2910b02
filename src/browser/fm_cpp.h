#pragma once
// The browser automation window: 3 pages of 51 browser tabs, the access
// runs (driven by runs::RunEngine), the operation table, the free sites.

#include <array>
#include <functional>
#include <string>

#include "browser/browser_tabs.h"
#include "browser/run_engine.h"
#include "framework/form.h"
#include "platform/list_file.h"

class TFmCpp : public framework::Form {
public:
    TFmCpp();
    ~TFmCpp() override;

    static constexpr int PageCount = runs::PageCount;
    static constexpr int TabCount = runs::TabCount;

    // ---- members shared by the runs
    int MainPage = 0;
    std::string PageName;
    std::string SiteTitle;
    std::string SiteURL;
    std::string FormName;
    std::string InputName;
    int CurrentTab = 0;
    framework::PageControl* TabPages = nullptr;
    framework::TabSheet* ActiveTab = nullptr;
    framework::WebBrowserHost* ActiveBrowser = nullptr;
    std::string AccessMode;
    std::string RunStage;
    int Tick = 0;
    int ListCount = 0;
    int ListPos = 0;
    int StartTab = 0;
    std::array<bool, TabCount> DoneFlags{};
    bool RetryNeeded = false;
    std::string CurrentEntry;
    std::string InputText;

    // ---- operation table and free band state
    int ManipCols = 5;
    int ManipRows = 16;
    int ManipCol = 0;
    int ManipRow = 0;
    bool ManipFolded = false;
    int InputToolHomeLeft = 0;
    int InputToolHomeTop = 0;
    int LabelMouseX = 0;
    int LabelMouseY = 0;
    bool FreeFolded = false;

    // The run engine: stepping in both pacings, blocks, the tabs' rest and
    // the run record. The run handlers below are its doors.
    runs::RunEngine& run() { return run_; }

    // ---- controls
    framework::GroupBox& GroupBoxThema;
    framework::ToolBar& ToolBarCpp;
    framework::ToolButton& ToolButtonAccessSele;
    framework::ComboBox& ComboBoxLike;
    framework::Edit& EditThemas;
    framework::PageControl& PageControlMain;
    framework::TabSheet& TabSheetMBase;
    framework::TabSheet& TabSheetMManipulates;
    framework::TabSheet& TabSheetMFree;
    framework::GroupBox& GroupBoxManipulates;
    framework::ToolBar& ToolBarManip;
    framework::ToolButton& ToolButtonManipSave;
    framework::Label& LabelManipulatesSite;
    framework::ComboBox& ComboBoxManipSite;
    framework::Label& LabelManipURL;
    framework::Edit& EditManipURL;
    framework::Label& LabelBrwsXY;
    framework::StringGrid& StringGridManip;
    framework::Panel& PanelInputTool;
    framework::ToolButton& ToolButtonSelect;
    framework::ToolButton& ToolButtonToolReturn;
    framework::Panel& PanelITPosXY;
    framework::Edit& EditPosX;
    framework::UpDown& UpDownPosX;
    framework::Edit& EditPosY;
    framework::UpDown& UpDownPosY;
    framework::Edit& EditManipStr;
    framework::Splitter& SplitterManip;
    framework::GroupBox& GroupBoxFree;
    framework::Label& LabelFreeSite;
    framework::ComboBox& ComboBoxFreeSite;
    framework::Label& Label3;
    framework::Edit& EditFreeURL;
    framework::Label& LabelFForm;
    framework::Edit& EditFreeFormName;
    framework::Label& Label5;
    framework::Edit& EditFreeInputName;
    framework::ToolBar& ToolBarFree;
    framework::ToolButton& ToolButtonFreeSave;
    framework::Timer& Timer1;
    framework::Timer& TimerXY;
    framework::Timer& TimerQuick;    // Quick pacing's clock (100 ms)
    framework::Timer& TimerSiteTest; // the site test's time-out (500 ms)
    // How the Free site is searched, and what its test found.
    framework::Label& LabelFreeKind;
    // The bar above the tabs that tells of a block page (which tab, what to
    // do) and resumes the run; hidden but while a block holds the run.
    framework::Panel& PanelBlock;
    framework::Label& LabelBlock;
    framework::Button& ButtonBlockResume;

    // ---- lookups by built name, and helpers of the other windows
    framework::PageControl& pagesOf(int page);
    framework::TabSheet& tabSheet(int page, int tab);
    framework::WebBrowserHost& browserHost(int page, int tab);
    framework::TabSheet* currentTab(); // the current page's current tab
    void useCurrentBrowser();          // ActiveBrowser := the current tab's
    void navigateActiveBrowser(const std::string& url);
    void activateBasePage();
    void offerStop(bool offered); // Stop (Escape) is offered while a run goes

    // ---- window events (fm_cpp.cpp)
    void FormCreate() override;
    void FormShow() override;
    void FormDestroy() override;
    void PageControlMainChange();
    void PageControlMCPP0Change();
    void TabSheetMBaseShow();
    void ComboBoxLikeChange();
    void ComboBoxLikeDblClick();
    void ActionPageNum();
    void ActionBeforeNavigate2();
    // fromRunBrowser: from the run's current entry's browser (only those move it).
    void ActionDocumentComplete(bool fromRunBrowser);
    void BrowserBeforeNavigate2(int page, int tab, const std::string& url);
    void BrowserDocumentComplete(int page, int tab, const std::string& url);
    void PMFormTSFReadClick();
    // Tests the current page's site in the current tab; what it finds goes
    // to the log and to tell.
    void testSite(std::function<void(const std::string&)> tell);
    // The same for the Base site, as the settings window has it now.
    void testBaseSite(std::function<void(const std::string&)> tell);
    // The text for a kind of site, from the caption table.
    static std::string siteKindText(runs::SiteKind kind);
    void PMPSiteOpenClick();
    void PMPTAddClick();
    void PMPTSetClick();
    void PMACGoForwardClick();
    void PMACGoBackClick();
    void PMAcssTRefreshClick();
    void PMAcssTLocationURLClick();
    void PMAcssTSourceClick();

    // ---- access runs (access_runs.cpp)
    void ToolButtonAccessSeleClick();
    void PMASSingleClick();
    void PMASListClick();
    void PMASSerchClick();
    void Timer1Timer();
    void PMPReSetClick();
    void PMPSaleClick();
    void PMPRendClick();
    void PMPLstClick();
    void PMPOpenCheckClick();
    void PMPEndClick();
    void PMACStopClick();
    // Goes on from a blocked entry (the Tool menu and the settings window).
    void PMACResumeClick();
    void PMPFormInputClick();

    // ---- free search sites (free_sites.cpp)
    void TabSheetMFreeShow();
    void PMFreeCFLoadClick();
    void PMFreeCFSaveClick();
    void PMFreeEFReadClick();
    void PMFreeEFWriteClick();
    void ComboBoxFreeSiteClick();
    void ToolButtonFreeSaveClick();
    void GroupBoxFreeClick();
    void PMFreeTTestClick();

    // ---- operation table (manip_table.cpp)
    void TabSheetMManipulatesShow();
    void PMManipCFLoadClick();
    void PMManipCFSaveClick();
    void PMManipSFReadClick();
    void PMManipSFWriteClick();
    void PMManipSGEVSetClick();
    void ComboBoxManipSiteClick();
    void ToolButtonManipSaveClick();
    void GroupBoxManipulatesClick();
    void TimerXYTimer();
    void PMMSGEClearClick();
    void PMManipSGEVBiganClick();
    void PMMSGEBrwsXYClick();
    void PMManipT1DeleteClick();
    void PMManipT1AccessClick();
    void PMManipT1RunClick();
    void ManipT2CloseClick();
    void PMManipTRowInsertClick();
    void PMManipTRowDeleteClick();
    void StringGridManipMouseDown(const framework::MouseEvent& event);
    void EditPosXChange();
    void EditPosYChange();
    void EditManipStrChange();
    void LabelBrwsXYMouseMove(const framework::MouseEvent& event);
    void LabelBrwsXYDblClick();

private:
    // Folds a band to a 15-pixel "+" strip, or opens it to size with its
    // caption from the help file; a band at a side folds its width.
    void toggleBandFold(framework::GroupBox& band, bool& folded, bool foldsWidth, int size, const char* defaultCaption);
    void buildPagePool();
    void buildMenus();
    void readCaptions();
    void wireBrowser(framework::WebBrowserHost& host, int page, int tab);
    void TimerQuickTimer();
    BrowserTabs tabs_{*this};
    runs::RunEngine run_{*this, tabs_};
    // The site lists; the chosen free site is kept in Base.INI, the
    // operation site in Manip.INI.
    platform::ListFile freeSites_{ComboBoxFreeSite, "FreeSerchSite", "Category"};
    platform::ListFile manipSites_{ComboBoxManipSite, "Info", "Site"};
};
