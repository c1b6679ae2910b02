#pragma once
// The browser automation window: 3 pages of 51 browser tabs, the access
// runs, form input, the operation table and the free search sites.

#include <array>
#include <map>
#include <memory>
#include <string>

#include "browser/run_results.h"
#include "browserctl/web_browser.h"
#include "framework/form.h"

namespace platform {
class IniFile;
}

class TFmCpp : public framework::Form {
public:
    TFmCpp();
    ~TFmCpp() override;

    static constexpr int PageCount = 3;
    static constexpr int TabCount = 51;

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

    // ---- what the runs found (run_results.cpp keeps the formats)
    // The record of the last run started by a start command: one entry per
    // list line, filled as the run goes.
    results::RunRecord CurrentRun;
    bool HasRunRecord = false;
    // Passes a run makes at most before it gives up the entries not done;
    // 0: it repeats its passes until every entry is done (or Stop).
    int MaxPasses = 0;
    int PassCount = 0;
    // The site's own choice of result links (a CSS selector, key
    // ResultLinks of its settings section) and how many are kept
    // (ResultLinkCount, 10 by default).
    std::string ResultLinksSelector;
    int ResultLinkCount = 10;
    // Finished runs are saved under the data folder's Results/.
    bool SaveResults = true;
    // The end of a run fetches the operator file again (a batch run, which
    // writes nothing but its results, does not).
    bool FetchOperatorAtEnd = true;
    platform::fs::path LastResultsFile;
    // An entry reached a final state (its index), and a run ended.
    framework::Signal<int> EntrySettled;
    framework::Signal<> RunEnded;
    // A run met a block page (the entry's index) and waits for Resume.
    framework::Signal<int> RunBlocked;
    bool RunPaused = false;
    int BlockedEntry = -1;
    // Words of a block page, from the site's BlockWords (comma-separated)
    // or the defaults (captcha, unusual traffic, ... and their Japanese).
    std::vector<std::string> BlockWords;
    // The pacing of the run that goes ("Seed" or "Quick"), its entries in
    // flight and its host interval in milliseconds; taken from the settings
    // window when a run starts, or set by a batch run before it.
    std::string Pacing = "Seed";
    int Parallel = 4;
    int HostInterval = 1000;
    bool UseWindowPacing = true;
    // How long a host that answered 429 or 503 is left alone.
    static constexpr int HostPauseMs = 30000;

    // The objects of the last form input, kept until the next one.
    std::unique_ptr<browserctl::HtmlDocument> InputDocument;
    std::unique_ptr<browserctl::HtmlForm> InputForm;
    std::unique_ptr<browserctl::HtmlElement> InputField;

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
    // Quick pacing's clock: time-outs, host intervals and pauses (100 ms).
    framework::Timer& TimerQuick;

    // ---- lookups by built name
    framework::PageControl& pagesOf(int page);
    framework::TabSheet& tabSheet(int page, int tab);
    framework::WebBrowserHost& browserHost(int page, int tab);
    // The tab sheet of the current tab of the current page.
    framework::TabSheet* currentTab();
    // The run browser becomes the current tab's browser.
    void useCurrentBrowser();
    void navigateActiveBrowser(const std::string& url);
    // Makes the Base page the active outer page.
    void activateBasePage();
    // The try time of the settings window, in seconds.
    int tryTime() const;
    // Whether browser (page, tab) is the one the run works in now: the
    // current entry's tab, once the run has selected it.
    bool isRunBrowser(int page, int tab) const;

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
    // fromRunBrowser: the event came from the browser of the run's current
    // entry; only those move the run.
    void ActionDocumentComplete(bool fromRunBrowser);
    void BrowserBeforeNavigate2(int page, int tab, const std::string& url);
    void BrowserDocumentComplete(int page, int tab, const std::string& url);
    void PMFormTSFReadClick();
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
    // The window's title tells where the run is: "entry i of N: word,
    // state" behind the window's own caption, which comes back at the end.
    void showRunProgress(int entry, const std::string& state);
    void PMACStopClick();

    // Goes on from the blocked entry once the user has solved it in its tab
    // (the Tool menu and the settings window).
    void PMACResumeClick();

    // A list run of these words, as the List command starts one but without
    // taking the words from the site tree window (a batch run).
    void startListRun(const std::vector<std::string>& words);

    // ---- results (run_harvest.cpp)
    // Shows the tab of entry i of the last run and brings the window up.
    void showEntryTab(int entry);
    // Opens an address in the tab of entry i of the last run.
    void openInEntryTab(int entry, const std::string& address);

    // ---- form input (form_input.cpp)
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
    void buildPagePool();
    void buildMenus();
    void readCaptions();
    void wireBrowser(framework::WebBrowserHost& host, int page, int tab);
    // Entries of the list a run can address from StartTab.
    int tabsLeft() const;
    // The start of a run once its list is in the list memo.
    void beginSearch();
    // Form input of the current entry's text into one browser.
    void formInput(framework::WebBrowserHost& host);
    // Why the page of a browser looks like a block page ("HTTP 429",
    // "the page says \"captcha\""), or empty.
    std::string blockReason(browserctl::WebBrowser& browser);
    void blockRun(int entry, const std::string& reason);
    // Freezes the finished tabs that are not shown and discards the oldest
    // past the live-tab limit; wakes the shown one.
    void applyLifecycle();
    std::vector<int> frozenOrder_;
    // ---- quick pacing (quick_runs.cpp)
    struct QuickSlot {
        enum class Stage { Search, Ready, Result, Retry };
        int entry = 0;
        Stage stage = Stage::Search;
        uint64_t navigatedAt = 0;
    };
    void quickStartPass();
    void quickPump();
    void quickStartEntry(int entry);
    void quickDocumentComplete(int tab, const std::string& url);
    void quickFinish(size_t slot, bool done);
    void TimerQuickTimer();
    std::string quickHost() const;
    std::vector<QuickSlot> quickSlots_;
    int quickNext_ = 0;
    bool quickActive_ = false;
    std::map<std::string, uint64_t> hostNextSubmit_;
    std::map<std::string, uint64_t> hostPausedUntil_;
    // The record keeping of a run (run_harvest.cpp).
    void beginRunRecord();
    void recordNavigation();
    void recordResultPage(int index, framework::WebBrowserHost& host, const std::string& url);
    void recordRetry(int entry);
    void endRunRecord();
    results::EntryRecord* runEntry(int index);
    void readResultLinkSettings(const platform::IniFile& ini, const std::string& section);
    std::vector<uint64_t> navigatedAt_;
    bool runActive_ = false;
    // The caption the window had before the run wrote its progress there.
    std::string captionBeforeRun_;
    bool progressShown_ = false;
    bool cutLogged_ = false;
};
