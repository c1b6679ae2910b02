// The sharing list, the window's pop-up menu groups and the Assist check
// page.

#include "app/fm_main.h"
#include "app/globals.h"
#include "browser/fm_cpp.h"
#include "browserctl/web_browser.h"
#include "framework/application.h"
#include "framework/text_util.h"
#include "memo/fm_memo.h"
#include "platform/text_store.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace framework;

void TFmCtrl::PMSCFLoadClick()
{
    const auto path = dataFile("SharingTheme.txt");
    if (platform::fileExists(path))
        CheckListBoxSharing.setItems(platform::loadLines(path));
}

void TFmCtrl::PMSharingCFSaveClick()
{
    platform::saveLines(dataFile("SharingTheme.txt"), CheckListBoxSharing.itemTexts());
}

void TFmCtrl::PMSCFOpenClick()
{
    const auto path = dataFile("SharingTheme.txt");
    if (platform::fileExists(path))
        PMSCFLoadClick();
    else
        PMSharingCFSaveClick();
    app().shell().open(platform::pathText(path));
}

void TFmCtrl::CheckListBoxSharingClick()
{
    FmMain->BlinkTick = 0;
    FmMain->TimerBase.setEnabled(true);
    PMSCFOnClic1Click();
    if (FmMain->LectureName == "Serch") {
        CheckListBoxSharing.setColor(0xA6FFA6);
        FmMain->showLectureStep(4);
        ToolBarBunch.setVisible(true);
        FmMemo->bringToFront();
    }
}

void TFmCtrl::PMSCFOnClic1Click()
{
    Edit& themes = themeBox();
    for (int i = 0; i < CheckListBoxSharing.count(); ++i) {
        ClickedWord = CheckListBoxSharing.item(i);
        // A word that is part of a theme already there counts as present.
        if (contains(themes.text(), ClickedWord)) {
            if (!CheckListBoxSharing.checked(i))
                PMSUniquClick();
        } else if (CheckListBoxSharing.checked(i)) {
            themes.setText(themes.text() + ClickedWord + LikeWord);
        }
    }
}

void TFmCtrl::PMSUniquClick()
{
    Edit& themes = themeBox();
    std::string text = replaceAll(themes.text(), ClickedWord + LikeWord, "");
    // Repair the operators left doubled where a theme between two of them
    // went away; one pass each.
    text = replaceAll(text, "&&", "&");
    text = replaceAll(text, "--", "-");
    themes.setText(text);
}

void TFmCtrl::PMCAdd1Click()
{
    std::string value;
    app().dialogs().inputQuery("Sharing", "+ addition", value);
    CheckListBoxSharing.addItem(value);
    PMSharingCFSaveClick();
}

void TFmCtrl::PMCDateClick()
{
    const Date today = app().clock().today();
    CheckListBoxSharing.addItem(std::to_string(today.year) + "/" + std::to_string(today.month) + "/" +
                                std::to_string(today.day));
    PMSharingCFSaveClick();
}

void TFmCtrl::PMCDelete1Click()
{
    CheckListBoxSharing.deleteItem(CheckListBoxSharing.itemIndex());
    PMSharingCFSaveClick();
}

void TFmCtrl::PMSVisible1Click()
{
    for (const char* name : {"PMTVF", "PMTCombBox", "PMTrVwTreeView", "PMSharing", "PMBunch"})
        find<MenuItem>(name).setVisible(false);
}

void TFmCtrl::ToolButtonTVFFuncMouseMove()
{
    PMSVisible1Click();
    find<MenuItem>("PMTVF").setVisible(true);
    find<MenuItem>("PMTCombBox").setVisible(true);
}

void TFmCtrl::ToolButtonSiteDontClick()
{
    FmSys->EditPageWatchChange();
    if (TabSheet* page = FmCpp->currentTab())
        page->setCaption("X");
}

void TFmCtrl::ToolButtonPageCopyClick()
{
    CppWebBrowserAssist.browser().Navigate(FmMain->boxAddress());
}

void TFmCtrl::GroupBoxSTSharingClick()
{
}

void TFmCtrl::TabSheetMAssistShow()
{
}
