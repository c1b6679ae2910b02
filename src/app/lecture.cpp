// Lecture mode: a guided first-use tour that hides what later steps
// introduce, shows each step's text beside the control to use next (and in
// the memo window) and blinks that control; and the short attention cue on
// the theme box.

#include <vector>

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

namespace {

struct Blink {
    const char* lecture;
    int step;
    const char* control;
    int32_t on;
    int32_t off;
};

// A control of the site tree window or, failing that, the browser window.
Control* controlNamed(const char* name)
{
    if (auto* control = FmCtrl->tryFind<Control>(name))
        return control;
    return &FmCpp->find<Control>(name);
}

// The control each step makes blink, with its "on" and "off" colours.
const Blink blinks[] = {
    {"Serch", 1, "ComboBoxTVFCategory", 0xFFFFFF, 0xC0C0C0},
    {"Serch", 2, "TreeViewEdd1", 0xA6FFA6, 0x808080},
    {"Serch", 3, "CheckListBoxSharing", 0xA6FFA6, 0x808080},
    {"Serch", 4, "ComboBoxBunch", 0xA6FFA6, 0x808080},
    {"Serch", 5, "ToolBarCpp", 0xFFFFFF, 0x808080},
    {"TTreeView", 1, "ComboBoxTVFCategory", 0xFFFFFF, 0xC0C0C0},
    {"TTreeView", 2, "ToolBarTVFCategory", 0xA6FFA6, 0x808080},
    {"TTreeView", 3, "TreeViewEdd1", 0xA6FFA6, 0x808080},
    {"TTreeView", 4, "ToolBarTreeVeiw", 0xEEFFEE, 0x808080},
    {"LBunch", 1, "ComboBoxBunch", 0xFFFFFF, 0xC0C0C0},
    {"LBunch", 2, "ToolBarBunch", 0xD5D5AA, 0x808080},
    {"LBunch", 3, "ToolBarBunch", 0xD5D5AA, 0x808080},
    {"LBunch", 4, "StringGridBunch", 0xFFFFD2, 0x808080},
    {"LBunch", 5, "ToolBarBunch", 0xD5D5AA, 0x808080},
    {"LBunch", 6, "StringGridBunch", 0xFFFFD2, 0x808080},
    {"LBunch", 7, "ToolBarBunch", 0xD5D5AA, 0x808080},
};

// The control each step's note stands beside: the one that blinks, and for
// the step without a blink the tree it is about.
Control* anchorOf(const std::string& lecture, int step)
{
    for (const Blink& blink : blinks)
        if (lecture == blink.lecture && step == blink.step)
            return controlNamed(blink.control);
    if (lecture == "TTreeView" && step == 5)
        return controlNamed("TreeViewEdd1");
    return nullptr;
}

// The last step before the lecture's own end.
int lastStepOf(const std::string& lecture)
{
    return lecture == "LBunch" ? 7 : 5;
}

// The controls the lecture hides while it runs, so that its steps point at
// what stays in view; the end of the lecture shows them again.
void showLectureHiddenControls(bool visible)
{
    for (Control* control :
         std::initializer_list<Control*>{&FmCtrl->TreeViewEdd1, &FmCtrl->CheckListBoxSharing, &FmCtrl->ToolBarBunch,
                                         &FmCtrl->StringGridBunch, &FmCpp->ToolButtonAccessSele})
        control->setVisible(visible);
}

} // namespace

void TFmMain::MMHLecSerchClick()
{
    startLecture("Serch");
}

void TFmMain::MMHTTreeViewClick()
{
    startLecture("TTreeView");
}

void TFmMain::MMHLBunchClick()
{
    startLecture("LBunch");
    FmCtrl->ToolBarBunch.setVisible(true);
}

void TFmMain::startLecture(const char* name)
{
    LectureName = name;
    MMHSStartClick();
}

void TFmMain::lectureCommand(const char* name, const std::function<void(int& step)>& step)
{
    if (LectureName != name)
        return;
    step(LectureStep);
    showLectureStep(LectureStep);
    FmMemo->bringToFront();
}

void TFmMain::MMHSStartClick()
{
    LectureStep = 1;
    BlinkTick = 0;
    TimerBase.setEnabled(true);
    PageControlMain.setActivePage(&TabSheetMBase);
    showLectureHiddenControls(false);
    FmCpp->hide();
    FmSys->hide();
    {
        platform::IniFile hlp(langPath("Hlp.INI"));
        for (size_t i = 0; i < LectureTexts.size(); ++i)
            LectureTexts[i] = hlp.readString(LectureName, "LecW" + std::to_string(i), "");
    }
    FmMemo->showPage(FmMemo->TabSheetMMulti);
    FmMemo->setBounds(FmCtrl->left() + FmCtrl->width() + 10, FmCtrl->top(), 420, 300);
    FmMemo->GroupBoxSource.setWidth(20);
    find<MenuItem>("MMHLecEnd").setEnabled(true);
    showLectureStep(1);
    FmMemo->bringToFront();
}

void TFmMain::MMHSEndClick()
{
    LectureName.clear();
    showLectureHiddenControls(true);
    FmCpp->show();
    FmSys->show();
    // The blink ends with the lecture: left running, an odd tick count
    // would never reach the cue's end and keep the timer going for nothing.
    TimerBase.setEnabled(false);
    BlinkTick = 0;
    find<MenuItem>("MMHLecEnd").setEnabled(false);
    updateLectureBalloon();
}

void TFmMain::MMHLecEndClick()
{
    if (!LectureName.empty())
        MMHSEndClick();
}

void TFmMain::ButtonLectureNextClick()
{
    if (LectureName.empty())
        return;
    if (LectureStep >= lastStepOf(LectureName)) {
        MMHSEndClick();
        return;
    }
    revealLectureStep(LectureStep + 1);
    showLectureStep(LectureStep + 1);
}

void TFmMain::revealLectureStep(int step)
{
    // What the user's own action at the step before would have shown.
    std::vector<Control*> shown;
    if (LectureName == "Serch") {
        if (step == 2)
            shown = {&FmCtrl->TreeViewEdd1};
        else if (step == 3)
            shown = {&FmCtrl->CheckListBoxSharing};
        else if (step == 4)
            shown = {&FmCtrl->ToolBarBunch};
        else if (step == 5)
            shown = {&FmCtrl->StringGridBunch, &FmCpp->ToolButtonAccessSele, &FmCpp->pagesOf(0)};
    } else if (LectureName == "TTreeView" && step == 2) {
        shown = {&FmCtrl->TreeViewEdd1};
    } else if (LectureName == "LBunch" && step == 2) {
        shown = {&FmCtrl->StringGridBunch};
    }
    for (Control* control : shown)
        control->setVisible(true);
    if (Control* anchor = anchorOf(LectureName, step); anchor && anchor->owner() && !anchor->owner()->visible())
        anchor->owner()->show();
}

void TFmMain::updateLectureBalloon()
{
    balloonStep_ = LectureName.empty() ? -1 : LectureStep;
    if (LectureName.empty()) {
        LectureBalloon.setVisible(false);
        return;
    }
    const bool known = LectureStep >= 0 && LectureStep < static_cast<int>(LectureTexts.size());
    LabelLecture.setCaption(known ? LectureTexts[static_cast<size_t>(LectureStep)] : std::string());
    ButtonLectureNext.setVisible(LectureStep < lastStepOf(LectureName));
    // A step without a control of its own keeps the note where it was.
    if (Control* anchor = anchorOf(LectureName, LectureStep))
        LectureBalloon.setAnchor(anchor);
    LectureBalloon.setVisible(LectureBalloon.anchor() != nullptr);
}

void TFmMain::TimerBaseTimer()
{
    ++BlinkTick;
    if (!LectureName.empty()) {
        if (balloonStep_ != LectureStep)
            updateLectureBalloon();
        if (BlinkTick == 1 || BlinkTick == 5) {
            for (const Blink& blink : blinks)
                if (LectureName == blink.lecture && LectureStep == blink.step)
                    controlNamed(blink.control)->setColor(BlinkTick == 1 ? blink.on : blink.off);
        } else if (BlinkTick == 10) {
            BlinkTick = 0;
        }
        return;
    }
    // The attention cue: the theme box turns red, then back to navy.
    ++BlinkTick;
    if (BlinkTick == 2) {
        FmCpp->EditThemas.setFontColor(0x0000FF);
    } else if (BlinkTick >= 10) {
        FmCpp->EditThemas.setFontColor(0x800000);
        TimerBase.setEnabled(false);
        BlinkTick = 0;
    }
}

void TFmMain::showLectureStep(int step)
{
    LectureStep = step;
    if (step >= 0 && step < static_cast<int>(LectureTexts.size()))
        FmMemo->MemoLog.setText(LectureTexts[static_cast<size_t>(step)]);
    updateLectureBalloon();
}
