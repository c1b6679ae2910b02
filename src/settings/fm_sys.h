#pragma once
// The settings and progress window: the try time, the base search site,
// page watch, and the progress and tree figures the other windows write.

#include "browser/run_state.h"
#include "framework/form.h"

class TFmSys : public framework::Form {
public:
    TFmSys();

    framework::PageControl& PageControlMSystem;
    framework::TabSheet& TabSheetMSSetting;
    framework::PageControl& PageControlMSet;
    framework::TabSheet& TabSheetMSCtrl;
    framework::TabSheet& TabSheetMSCpp;
    framework::GroupBox& GroupBoxTryTime;
    framework::Edit& EditTryTime;
    framework::UpDown& UpDownTryTime;
    framework::ComboBox& ComboBoxPacing;
    framework::GroupBox& GroupBoxConnectSite;
    framework::Label& LabelConnectSite;
    framework::Label& LabelFormName;
    framework::Label& LabelInputName;
    framework::Label& LabelConnectSiteCnt;
    framework::UpDown& UpDownConnectSite;
    framework::Label& LabelSiteKind;
    framework::GroupBox& GroupBoxQuick;
    framework::Label& LabelParallel;
    framework::Edit& EditParallel;
    framework::UpDown& UpDownParallel;
    framework::Label& LabelHostInterval;
    framework::Edit& EditHostInterval;
    framework::UpDown& UpDownHostInterval;
    framework::Label& LabelLiveTabs;
    framework::Edit& EditLiveTabs;
    framework::UpDown& UpDownLiveTabs;
    framework::GroupBox& GroupBoxRun;
    framework::Label& LabelRunState;
    framework::Button& BitBtnResume;

    framework::TabSheet& TabSheetMSExp;
    framework::GroupBox& GroupBoxTVF;
    framework::Label& LabelAllCnt;
    framework::Label& LabelTVFRootNum;
    framework::Label& LabelAbs;
    framework::Label& LabelParent;
    framework::Label& LabelChildCnt;
    framework::Label& LabelAbsoluteIndex;
    framework::Label& LabelAbsolute;
    framework::Label& LabelItmNod;
    framework::Label& LabelNodName;
    framework::GroupBox& GroupBoxProgress;
    framework::Label& LabelCppPrg;
    framework::Label& LabelCppAccess;
    framework::Label& LabelCppLstNm;
    framework::Label& LabelTime1;
    framework::Label& LabelBginPos;
    framework::Label& LabelNowPrg;
    framework::Label& LabelSerchTyp;

    framework::TabSheet& TabSheetMSPro;
    framework::PageControl& PageControlMPro;
    framework::TabSheet& TabSheetMPFanc;
    framework::Button& BitBtnURLs;
    framework::GroupBox& GroupBoxPageWatch;
    framework::Edit& EditPageWatch;
    framework::UpDown& UpDownPageWatch;
    framework::Button& BitBtnTabAdd2;
    framework::CheckBox& CheckBoxPrivateBrowsing;
    framework::TabSheet& TabSheetMPTest;
    framework::ComboBox& ComboBoxHttp1Parameter;
    framework::TabSheet& TabSheetNon;
    framework::CheckBox& CheckBoxUseThema;

    // The try time in seconds: the position of UpDownTryTime.
    int tryTime() const { return UpDownTryTime.position(); }
    // Seed (the one-second timer) or Quick (driven by the pages): the
    // second item, whatever the caption table calls it, or the text
    // "Quick" set by a batch run.
    runs::Pacing pacing() const
    {
        if (ComboBoxPacing.itemIndex() == 1)
            return runs::Pacing::Quick;
        return runs::pacingFromText(ComboBoxPacing.text()).value_or(runs::Pacing::Seed);
    }
    // Quick pacing: entries in flight, the least milliseconds between two
    // submissions to one host; both pacings: tabs kept alive.
    int parallel() const { return UpDownParallel.position(); }
    int hostInterval() const { return UpDownHostInterval.position(); }
    int liveTabs() const { return UpDownLiveTabs.position(); }

    void FormCreate() override;
    void FormShow() override;
    void FormDestroy() override;
    void UpDownConnectSiteClick();
    void BitBtnURLsClick();
    void BitBtnTabAdd2Click();
    void UpDownPageWatchChanging(bool& allowChange);
    void EditPageWatchChange();
    void ComboBoxHttp1ParameterChange();
    void CheckBoxUseThemaClick();
    void BitBtnResumeClick();
    void CheckBoxPrivateBrowsingClick();
    // Tests the base search site in the browser window's current tab.
    void LabelSiteKindClick();
    // Shows what the run is waiting for (a block page), or nothing.
    void showRunState(const std::string& text);

private:
    void readCaptions();
    void readRunSettings();
    // Stores the pacing, tabs in flight, gap and live tabs.
    void saveRunSettings();
    // How the base search site is searched, as 0Base.INI names it.
    void showSiteKind();
};
