#pragma once
// The browser automation window: 3 pages of 51 browser tabs, the access
// runs, form input, the operation table and the free search sites.

#include <string>

#include "framework/form.h"

class TFmCpp : public framework::Form {
public:
    TFmCpp();

    std::string AccessMode;
    // Remembered size of the operation table.
    int ManipCols = 5;
    int ManipRows = 16;

    framework::GroupBox& GroupBoxThema;
    framework::ComboBox& ComboBoxLike;
    framework::Edit& EditThemas;
    framework::PageControl& PageControlMain;
    framework::TabSheet& TabSheetMBase;
    framework::TabSheet& TabSheetMManipulates;
    framework::TabSheet& TabSheetMFree;
    framework::ComboBox& ComboBoxManipSite;
    framework::StringGrid& StringGridManip;

    // Makes the Base page the active outer page.
    void activateBasePage();

    void ToolButtonFreeSaveClick();
    void ToolButtonManipSaveClick();
    void PMPSiteOpenClick();
    void PMPSaleClick();
    void PMPTAddClick();
    void PMPLstClick();
    void ComboBoxManipSiteClick();

    // The tab sheet of the current tab of the current page, or null.
    framework::TabSheet* currentTab();
    // The run browser becomes the current tab's browser.
    void useCurrentBrowser();
    void navigateActiveBrowser(const std::string& url);
};
