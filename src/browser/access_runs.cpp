// The access runs' commands: the run tool button, the start commands and
// the run steps of the Prg menu. Each is a door into the run engine
// (run_engine.h), which does the work on this window's run members.

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"

using namespace framework;

void TFmCpp::ToolButtonAccessSeleClick()
{
    if (FmMain->LectureName == "Serch") {
        FmMain->LectureStep = 6;
        FmMain->TimerBase.setEnabled(false);
        ToolBarCpp.setColor(ColorWhite);
        FmMain->MMHSEndClick();
    }
    PMASListClick();
    if (runs::pageOf(PageName) == runs::Page::Manip) {
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

void TFmCpp::PMASSerchClick()
{
    run_.search();
}

void TFmCpp::PMPReSetClick()
{
    run_.reset();
}

void TFmCpp::PMPSaleClick()
{
    run_.beginPass();
}

void TFmCpp::PMPRendClick()
{
    run_.restartEntry();
}

void TFmCpp::Timer1Timer()
{
    run_.seedTick();
}

void TFmCpp::TimerQuickTimer()
{
    run_.quickTick();
}

void TFmCpp::PMPLstClick()
{
    run_.selectEntry();
}

void TFmCpp::PMPFormInputClick()
{
    run_.formInput();
}

void TFmCpp::PMPOpenCheckClick()
{
    run_.openCheck();
}

void TFmCpp::PMPEndClick()
{
    run_.end();
}

void TFmCpp::PMACStopClick()
{
    PMPEndClick();
}

void TFmCpp::PMACResumeClick()
{
    run_.resume();
}
