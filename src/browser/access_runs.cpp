// Access runs: a one-second timer walks the list over the tabs of the
// current page, opening the search site, filling the form and checking the
// result pages.

#include <algorithm>
#include <exception>
#include <vector>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app/links.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "memo/fm_memo.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

int TFmCpp::tabsLeft() const
{
    return std::max(0, TabCount - StartTab);
}

void TFmCpp::ToolButtonAccessSeleClick()
{
    if (FmMain->LectureName == "Serch") {
        FmMain->LectureStep = 6;
        FmMain->TimerBase.setEnabled(false);
        ToolBarCpp.setColor(ColorWhite);
        FmMain->MMHSEndClick();
    }
    PMASListClick();
    if (PageName == "Manip") {
        ManipFolded = false;
        GroupBoxManipulatesClick();
    }
}

void TFmCpp::PMASSingleClick()
{
    AccessMode = "Single";
    PMASSerchClick();
}

void TFmCpp::PMASListClick()
{
    AccessMode = "List";
    PMASSerchClick();
}

void TFmCpp::PMACStopClick()
{
    PMPEndClick();
}

void TFmCpp::PMASSerchClick()
{
    if (AccessMode != "Single") {
        if (FmCtrl->ListSuffix == "Edd1")
            FmCtrl->PMTrVwMTListUpClick();
        else
            FmCtrl->PMBunchTListUpClick();
    }
    beginSearch();
}

void TFmCpp::startListRun(const std::vector<std::string>& words)
{
    AccessMode = "List";
    FmMemo->MemoList.setLines(words);
    beginSearch();
}

void TFmCpp::beginSearch()
{
    if (UseWindowPacing) {
        Pacing = FmSys->pacing();
        Parallel = FmSys->parallel();
        HostInterval = FmSys->hostInterval();
    }
    // The operation program plays real keys and clicks into the window in
    // front: it cannot run in several tabs at once, nor a single search.
    quickActive_ = Pacing == "Quick" && AccessMode == "List";
    if (quickActive_ && PageName == "Manip")
        Parallel = 1;
    RunPaused = false;
    BlockedEntry = -1;
    FmSys->showRunState("");
    find<MenuItem>("PMACStop").setEnabled(true);
    PMPReSetClick();
    PMPSaleClick();
    StartTab = CurrentTab;
    FmSys->LabelBginPos.setCaption(std::to_string(StartTab));
    // A page has 51 tabs: entries past the last tab are left out, and the
    // log says so once.
    cutLogged_ = false;
    ListCount = std::min(FmMemo->MemoList.lineCount(), tabsLeft());
    const int entries = FmMemo->MemoList.lineCount();
    if (AccessMode != "Single" && entries > tabsLeft()) {
        FmMemo->MemoLog.addLine(std::to_string(entries - tabsLeft()) + " entries left out: tabs " +
                                std::to_string(StartTab) + " to 50 hold " + std::to_string(tabsLeft()));
        cutLogged_ = true;
    }
    if (FmMain->LectureName == "Serch") {
        FmMemo->MemoLog.setText(FmMain->LectureTexts[6]);
        FmMain->PageControlMain.setActivePage(&FmMain->TabSheetMBase);
        FmMemo->setBounds(580, 280, 240, 400);
    }
    beginRunRecord();
    CurrentRun.pacing = quickActive_ ? "quick" : "seed";
}

void TFmCpp::PMPReSetClick()
{
    Tick = 0;
    PassCount = 0;
    DoneFlags.fill(false);
    ComboBoxLike.setEnabled(false);
    FmMemo->MemoLog.clear();
}

void TFmCpp::PMPSaleClick()
{
    ++PassCount;
    RetryNeeded = false;
    ListPos = 0;
    if (quickActive_)
        quickStartPass();
    else
        PMPRendClick();
    FmMain->PageControlMain.setActivePage(&FmMain->TabSheetMBase);
    // The workspace stays minimised while the run goes, whatever the run's
    // steps show in it; the run's end lets it go.
    FmMemo->StayInBackground = true;
    FmMemo->minimize();
}

void TFmCpp::showRunProgress(int entry, const std::string& state)
{
    if (!progressShown_) {
        captionBeforeRun_ = caption();
        progressShown_ = true;
    }
    setCaption(captionBeforeRun_ + " — entry " + std::to_string(entry + 1) + " of " + std::to_string(ListCount) + ": " +
               FmMemo->MemoList.line(entry) + ", " + state);
}

void TFmCpp::PMPRendClick()
{
    FmMemo->MemoLog.addLine("PMPRendClick");
    Timer1.setEnabled(true);
    Tick = 0;
}

void TFmCpp::Timer1Timer()
{
    ++Tick;
    FmSys->LabelTime1.setCaption(std::to_string(Tick));
    if (AccessMode == "Single")
        FmMemo->MemoList.setText(" ");
    ListCount = std::min(FmMemo->MemoList.lineCount(), tabsLeft());
    FmMemo->MemoLog.addLine("MaxCnt=" + std::to_string(ListCount));

    if (ListPos >= 0 && ListPos < TabCount && DoneFlags[static_cast<size_t>(ListPos)]) {
        ++ListPos;
        PMPRendClick();
    }
    if (ListPos >= ListCount) {
        FmMemo->MemoLog.addLine("LstNm>=MaxCnt");
        PMPOpenCheckClick();
    }
    switch (Tick) {
    case 2:
        FmSys->LabelCppLstNm.setCaption(std::to_string(ListPos) + "/" + std::to_string(ListCount));
        break;
    case 3:
        if (ListPos < ListCount)
            PMPLstClick();
        break;
    case 4:
        if (ActiveBrowser && ListPos < ListCount) {
            // The stage is set before the call, so a page that completes
            // inside the call already counts as the search site.
            RunStage = "Navi";
            FmSys->LabelCppPrg.setCaption(RunStage);
            recordNavigation();
            showRunProgress(ListPos, "opening the search page");
            ActiveBrowser->browser().Navigate(SiteURL);
        }
        break;
    default:
        break;
    }
    if (Tick == tryTime()) {
        RunStage = "ListSrch";
        FmSys->LabelCppPrg.setCaption(RunStage);
        if (ListPos < ListCount) {
            showRunProgress(ListPos, "searching");
            PMPFormInputClick();
        }
    }
    if (Tick == 2 * tryTime()) {
        if (ListPos < ListCount && !DoneFlags[static_cast<size_t>(ListPos)])
            showRunProgress(ListPos, "no result page, tried again in the next pass");
        ++ListPos;
        Tick = 1;
    }
    FmSys->LabelNowPrg.setCaption(AccessMode);
}

void TFmCpp::PMPLstClick()
{
    const int tab = ListPos + StartTab;
    if (tab < 0 || tab >= TabCount)
        return;
    CurrentEntry = FmMemo->MemoList.line(ListPos);
    ActiveBrowser = &browserHost(MainPage, tab);
    ActiveTab = &tabSheet(MainPage, tab);
    if (AccessMode != "List") {
        // The entry is a name, "=" and an address.
        FmMain->PageControlMain.setActivePage(&FmMain->TabSheetMBase);
        FmMain->WorkText = CurrentEntry;
        FmMain->KeyFront = "=";
        FmMain->PFCLEFrontClick();
        CurrentEntry = FmMain->ResultText;
        FmMain->PFCLERearClick();
        const std::string address = FmMain->ResultText;
        if (FmMain->WorkText.find('@') != std::string::npos) {
            // The entry comes from a tree or list file, perhaps a downloaded
            // one: a mail program takes the "?" part of an address as
            // options, attachments among them. The run goes on either way.
            if (vantrel::isMailAddress(address))
                app().shell().open("mailto:" + address);
            else
                FmMemo->MemoLog.addLine("Not a mail address, not opened: " + address);
        } else {
            // The address box keeps a record of the addresses opened, the
            // newest first; the tab bookkeeping below shows the first one.
            ComboBox& box = FmMain->ComboBoxURL;
            std::vector<std::string> record = box.items();
            record.erase(std::remove(record.begin(), record.end(), address), record.end());
            record.insert(record.begin(), address);
            box.setItems(record);
            box.setText(address);
        }
    }
    TabPages->setActivePage(ActiveTab);
    ActiveTab->setCaption(CurrentEntry);
    ActionPageNum();
    applyLifecycle();
}

void TFmCpp::PMPOpenCheckClick()
{
    if (AccessMode != "Single") {
        for (int i = 0; i < ListCount && StartTab + i < TabCount; ++i) {
            const std::string entry = FmMemo->MemoList.line(i);
            FmMemo->MemoLog.addLine(entry);
            ActiveTab = &tabSheet(MainPage, StartTab + i);
            FmMemo->MemoLog.addLine(ActiveTab->caption());
            ActiveBrowser = &browserHost(MainPage, StartTab + i);
            const std::string address = ActiveBrowser->created() ? ActiveBrowser->browser().LocationURL() : "";
            FmMemo->MemoLog.addLine(address);
            auto& done = DoneFlags[static_cast<size_t>(i)];
            // Still on the search site: the search did not happen.
            if (address == SiteURL) {
                FmMemo->MemoLog.addLine(address);
                done = false;
            }
            if (done) {
                if (ActiveTab->caption() != entry) {
                    done = false;
                    RetryNeeded = true;
                }
            } else {
                RetryNeeded = true;
            }
            if (!done)
                recordRetry(i);
        }
    }
    // A run may be told to give up after some passes (a batch run must
    // end); by default it goes on until every entry is done.
    if (RetryNeeded && (MaxPasses <= 0 || PassCount < MaxPasses))
        PMPSaleClick();
    else
        PMPEndClick();
}

void TFmCpp::PMPEndClick()
{
    FmMemo->MemoLog.addLine("PMPEndClick");
    Timer1.setEnabled(false);
    TimerQuick.setEnabled(false);
    quickSlots_.clear();
    quickActive_ = false;
    RunPaused = false;
    FmSys->showRunState("");
    ListPos = 0;
    if (AccessMode == "Single" && ActiveTab && ActiveBrowser && ActiveBrowser->created())
        ActiveTab->setCaption(ActiveBrowser->browser().LocationName());
    ComboBoxLike.setEnabled(true);
    find<MenuItem>("PMACStop").setEnabled(false);
    if (progressShown_) {
        setCaption(captionBeforeRun_);
        progressShown_ = false;
    }
    const bool recorded = runActive_;
    endRunRecord();
    app().sound().beep(BeepKind::Information);
    // The results are ready once everything the end does is done; from
    // then on the workspace shows itself again when asked to.
    struct ShowResults {
        bool show;
        ~ShowResults()
        {
            if (show)
                FmMemo->showResultsPage();
            FmMemo->StayInBackground = false;
        }
    } showResults{recorded && FetchOperatorAtEnd};
    if (!FetchOperatorAtEnd)
        return;
    // The operator file is fetched again after every run. A site that
    // cannot be reached is worth a line in the log, not an error box at the
    // end of each run.
    try {
        FmCtrl->PMJoinAOperatorClick();
    } catch (const std::exception& e) {
        FmMemo->MemoLog.addLine(std::string("UpDate: ") + e.what());
    }
}
