// Operation programs: the command vocabulary that records steps into the
// browser window's operation table and replays them as keyboard and mouse
// input. Every command writes its line to the memo window's log.

#include <map>

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "framework/application.h"
#include "framework/convert.h"
#include "framework/keys.h"
#include "memo/fm_memo.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace {

void log(const std::string& line)
{
    FmMemo->MemoLog.addLine(line);
}

} // namespace

void TFmCtrl::operationCommand(const std::string& name, const std::vector<std::string>& logLines,
                               const std::function<void()>& action)
{
    for (const auto& line : logLines)
        log(line);
    if (OpeMode == "Input") {
        FmCpp->StringGridManip.setCell(1, FmCpp->ManipRow, name);
        if (name == "BrowsXY" || name == "ScreenXY") {
            FmCpp->PanelITPosXY.setVisible(true);
            FmCpp->find<MenuItem>("PMMSGEBrwsXY").setChecked(true);
            FmCpp->PMMSGEBrwsXYClick();
        } else if (name == "ReadStr" || name == "Wait") {
            FmCpp->EditManipStr.setVisible(true);
        }
    }
    if (OpeMode == "Run" && action)
        action();
}

void TFmCtrl::PMMKSetClick()
{
    // The keys go to the window that has the focus.
}

void TFmCtrl::sendKey(int key, int modifier)
{
    PMMKSetClick();
    InputSynth& input = app().input();
    if (modifier)
        input.keyEvent(modifier, false);
    input.keyEvent(key, false);
    input.keyEvent(key, true);
    if (modifier)
        input.keyEvent(modifier, true);
}

void TFmCtrl::PMMKBReturnClick()
{
    operationCommand("Return", {"OpePrg->Return"}, [this] { sendKey(vk::Return); });
}
void TFmCtrl::PMMKBDeleteClick()
{
    operationCommand("Delete", {"OpePrg->Delete"}, [this] { sendKey(vk::Delete); });
}
void TFmCtrl::PMMKBBackSpaceClick()
{
    operationCommand("BackSpace", {"OpePrg->BackSpace"}, [this] { sendKey(vk::Back); });
}
void TFmCtrl::PMMKBSpaceClick()
{
    operationCommand("Space", {"OpePrg->Space"}, [this] { sendKey(vk::Space); });
}
void TFmCtrl::PMMKCCopyClick()
{
    operationCommand("Copy", {"OpePrg->Copy", "wrd = " + app().clipboard().text()},
                     [this] { sendKey(0x43, vk::Control); });
}
void TFmCtrl::PMMKCPastClick()
{
    operationCommand("Past", {"wrd = " + app().clipboard().text()}, [this] { sendKey(0x56, vk::Control); });
}
void TFmCtrl::PMMKCChoosingCompletelyClick()
{
    operationCommand("ChoosComp", {"OpePrg->ChoosComp"}, [this] { sendKey(0x41, vk::Control); });
}
void TFmCtrl::PMMKFCapsLockClick()
{
    operationCommand("CapsLock", {"OpePrg->CapsLock"}, [this] { sendKey(vk::Capital); });
}
void TFmCtrl::PMMKMTabClick()
{
    operationCommand("Tab", {"OpePrg->Tab"}, [this] { sendKey(vk::Tab); });
}
void TFmCtrl::PMMKMTabBackClick()
{
    operationCommand("TabBack", {"OpePrg->TabBack"}, [this] { sendKey(vk::Tab, vk::Shift); });
}
void TFmCtrl::PMMKMUpClick()
{
    operationCommand("Up", {"OpePrg->Up"}, [this] { sendKey(vk::Up); });
}
void TFmCtrl::PMMKMDownClick()
{
    operationCommand("Down", {"OpePrg->Down"}, [this] { sendKey(vk::Down); });
}
void TFmCtrl::PMMKMLeftClick()
{
    operationCommand("Left", {"OpePrg->Left"}, [this] { sendKey(vk::Left); });
}
void TFmCtrl::PMMKMRightClick()
{
    operationCommand("Right", {"OpePrg->Right"}, [this] { sendKey(vk::Right); });
}
void TFmCtrl::PMMKAltClick()
{
    operationCommand("Alt", {"OpePrg->Alt"}, [this] { sendKey(0x46, vk::Menu); });
}

void TFmCtrl::PMMMPMemoryClick()
{
    operationCommand("Memory", {"OpePrg->Memory"}, [this] { app().input().cursorPos(MemoryX, MemoryY); });
}

void TFmCtrl::PMMMBrowsXYClick()
{
    operationCommand("BrowsXY", {"OpePrg->BrowsXY", "X=" + std::to_string(BrowsX) + " : Y=" + std::to_string(BrowsY)},
                     [this] {
                         // A point of the Manipulates page's browser area.
                         TFmCpp& cpp = *FmCpp;
                         const int x = cpp.left() + cpp.width() - cpp.pagesOf(1).width() + BrowsX - 4;
                         const int y = cpp.top() + cpp.height() - cpp.browserHost(1, 1).height() + BrowsY - 11;
                         app().input().setCursorPos(x, y);
                     });
}

void TFmCtrl::PMMMScreenXYClick()
{
    operationCommand("ScreenXY",
                     {"OpePrg->ScreenXY", "X=" + std::to_string(ScreenX) + " : Y=" + std::to_string(ScreenY)},
                     [this] { app().input().setCursorPos(ScreenX, ScreenY); });
}

void TFmCtrl::PMMMPReturnsClick()
{
    operationCommand("Returns", {"OpePrg->Returns"}, [this] {
        ScreenX = MemoryX;
        ScreenY = MemoryY;
        PMMMScreenXYClick();
    });
}

void TFmCtrl::PMMMClickSngleClick()
{
    operationCommand("ClickSngle", {"OpePrg->ClickSngle"}, [] {
        InputSynth& input = app().input();
        input.leftButton(false);
        input.leftButton(true);
        input.leftButton(false);
        input.leftButton(true);
    });
}

void TFmCtrl::PMMMClickWClick()
{
    operationCommand("ClickW", {"OpePrg->ClickW"}, [] {
        InputSynth& input = app().input();
        for (int i = 0; i < 4; ++i) {
            input.leftButton(false);
            input.leftButton(true);
        }
    });
}

void TFmCtrl::PMMSReadStrClick()
{
    operationCommand("ReadStr", {"OpePrg->ReadStr"}, nullptr);
}

void TFmCtrl::PMMSWaitClick()
{
    operationCommand("Wait", {"OpePrg->Wait"}, [this] {
        Clock& clock = app().clock();
        // The page the program works on loads meanwhile: its events are
        // what the wait is for. Escape ends the program.
        Application::Wait wait;
        wait.source = FmCpp->ActiveBrowser ? FmCpp->ActiveBrowser->browserIfCreated() : nullptr;
        wait.sliceMs = 20;
        for (int i = 0; i < WaitCount; ++i) {
            // The window twitches, so the user sees the program is waiting.
            setHeight(height() + 5);
            setHeight(height() - 5);
            const uint64_t start = clock.tickCount();
            wait.done = [&] { return clock.tickCount() - start >= 100; };
            if (!app().wait(wait))
                throw Error("The operation program was cancelled");
        }
    });
}

void TFmCtrl::PMMSEndClick()
{
    operationCommand("End", {"OpePrg->End"}, nullptr);
}

void TFmCtrl::PMMS0Click()
{
    operationCommand("0", {"OpePrg->0"}, nullptr);
}

void TFmCtrl::PMMProcessingSeleClick()
{
    log("OpCd->" + CurrentCommand);
    static const std::map<std::string, void (TFmCtrl::*)()> commands = {
        {"Return", &TFmCtrl::PMMKBReturnClick},
        {"Delete", &TFmCtrl::PMMKBDeleteClick},
        {"BackSpace", &TFmCtrl::PMMKBBackSpaceClick},
        {"Space", &TFmCtrl::PMMKBSpaceClick},
        {"Copy", &TFmCtrl::PMMKCCopyClick},
        {"Past", &TFmCtrl::PMMKCPastClick},
        {"ChoosComp", &TFmCtrl::PMMKCChoosingCompletelyClick},
        {"CapsLock", &TFmCtrl::PMMKFCapsLockClick},
        {"Tab", &TFmCtrl::PMMKMTabClick},
        {"TabBack", &TFmCtrl::PMMKMTabBackClick},
        {"Up", &TFmCtrl::PMMKMUpClick},
        {"Down", &TFmCtrl::PMMKMDownClick},
        {"Left", &TFmCtrl::PMMKMLeftClick},
        {"Right", &TFmCtrl::PMMKMRightClick},
        {"Alt", &TFmCtrl::PMMKAltClick},
        {"Memory", &TFmCtrl::PMMMPMemoryClick},
        {"BrowsXY", &TFmCtrl::PMMMBrowsXYClick},
        {"ScreenXY", &TFmCtrl::PMMMScreenXYClick},
        {"Returns", &TFmCtrl::PMMMPReturnsClick},
        {"ClickSngle", &TFmCtrl::PMMMClickSngleClick},
        {"ClickW", &TFmCtrl::PMMMClickWClick},
        {"ReadStr", &TFmCtrl::PMMSReadStrClick},
        {"Wait", &TFmCtrl::PMMSWaitClick},
    };
    auto it = commands.find(CurrentCommand);
    if (it != commands.end())
        (this->*(it->second))();
}

void TFmCtrl::PMMSrcRunClick()
{
    FmMemo->MemoLog.clear();
    app().clipboard().setText(FmCpp->EditThemas.text() + FmCpp->CurrentEntry);
    OpeMode = "Run";
    FmCpp->PMManipSGEVSetClick();
    PMMMPMemoryClick();
    ScreenX = left() + 2;
    ScreenY = top() + 2;
    PMMMScreenXYClick();
    const StringGrid& table = FmCpp->StringGridManip;
    const int rows = FmCpp->ManipRows;
    const int cols = FmCpp->ManipCols;
    for (int r = 1; r < rows; ++r) {
        for (int k = 1; k <= cols; ++k) {
            const std::string cell = table.cell(k, r);
            if (k == 1) {
                CurrentCommand = cell;
                if (CurrentCommand == "End")
                    return;
            } else if (k == 2) {
                if (CurrentCommand == "BrowsXY")
                    BrowsX = StrToInt(cell);
                else if (CurrentCommand == "ScreenXY")
                    ScreenX = StrToInt(cell);
            } else if (k == 3) {
                if (CurrentCommand == "BrowsXY")
                    BrowsY = StrToInt(cell);
                else if (CurrentCommand == "ScreenXY")
                    ScreenY = StrToInt(cell);
            } else if (k == 4) {
                if (CurrentCommand == "ReadStr")
                    app().clipboard().setText(cell);
                else if (CurrentCommand == "Wait")
                    WaitCount = StrToInt(cell);
                PMMProcessingSeleClick();
            }
        }
    }
    PMMMPReturnsClick();
}
