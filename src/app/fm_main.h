#pragma once
// The main window: a thin strip at the top of the screen that owns the main
// menu, the language choice, the address box, the shared text registers and
// the family list.

#include <array>
#include <functional>
#include <string>

#include "framework/form.h"
#include "platform/files.h"

class TFmMain : public framework::Form {
public:
    TFmMain();

    // ---- shared members
    std::string ExeDir;   // the data folder
    std::string LangName; // the language, also the language folder's name
    std::string InfoURL;  // opened by the title label
    std::string PathText; // scratch: the data file last built

    // Text registers and the extraction tools' keys.
    std::string WorkText;
    std::string KeyFront;
    std::string KeyRear;
    std::string ResultText;
    std::string ActiveEditName;
    framework::RichEdit* ActiveEdit = nullptr;
    int ActiveLine = 0;

    // Lecture mode.
    std::string LectureName;
    int LectureStep = 0;
    std::array<std::string, 10> LectureTexts;
    int BlinkTick = 0;

    // ---- paths
    // A file of the program folder, and of the language folder.
    platform::fs::path exePath(const std::string& name) const;
    platform::fs::path langPath(const std::string& name) const;
    platform::fs::path langFolder() const;
    std::string siteBase() const;
    // Where the distribution copy goes: 0Base.INI [Begin] DistributionRoot,
    // or Product/vantrel120703 in the data folder.
    platform::fs::path distributionRoot() const;

    // ---- controls
    framework::PageControl& PageControlMain;
    framework::TabSheet& TabSheetMTool;
    framework::TabSheet& TabSheetMBase;
    framework::GroupBox& GroupBoxLanguage;
    framework::ComboBox& ComboBoxLanguage;
    framework::Panel& PanelMTool;
    framework::Label& LabelTitle;
    framework::Panel& PanelMInfo;
    framework::RichEdit& RichEdit1;
    framework::Panel& PanelUbrith;
    framework::Edit& EditUbriths;
    framework::ComboBox& ComboBoxUbriths;
    framework::Animate& Animate1;
    framework::ComboBox& ComboBoxURL;
    framework::Timer& TimerBase;
    // The lecture's note: the step's text beside the control it is about,
    // with Next and End.
    framework::Balloon& LectureBalloon;
    framework::Label& LabelLecture;
    framework::Panel& PanelLectureButtons;
    framework::Button& ButtonLectureEnd;
    framework::Button& ButtonLectureNext;

    // ---- window events
    void FormCreate() override;
    void FormCloseQuery(bool& canClose) override;

    // ---- start-up and family registration
    void PPDatasClick();
    void PDOReadClick();
    void PDOWriteClick();
    void PMBCFLoad1Click();

    // ---- main menu
    void MMFSaveClick();
    void MMFQuitClick();
    void MMFUPDateClick();
    void MMDCtrl1Click();
    void MMDBrowserClick();
    void MMDSysClick();
    void MMDMemoODefaltClick();
    void MMDMemoOAgoClick();
    void MMDDocEditClick();
    void All1Click();
    void MMDAlignmentClick();
    void MMFURLMemoClick();
    void MMTRestartClick();
    // Deletes what the browsers' profile keeps, after a question.
    void MMTClearBrowsingClick();
    void MMTInfoClick();
    void MMSHaifuClick();
    void MMHLecSerchClick();
    void MMHTTreeViewClick();
    void MMHLBunchClick();
    void MMHSStartClick();
    void MMHSEndClick();
    // Help > Lecture > End, and the note's End button.
    void MMHLecEndClick();
    // The note's Next: shows what the next step needs and moves on to it;
    // after the last step it ends the lecture.
    void ButtonLectureNextClick();
    void MMHHelpClick();
    void MMHHPClick();
    void LabelTitleClick();
    void ComboBoxURLClick();
    // The address box shows an address as a person reads it (escapes of
    // characters beyond ASCII decoded); boxAddress gives it back escaped,
    // as it is navigated to and stored.
    void showAddress(const std::string& address);
    std::string boxAddress() const;
    void ComboBoxURLKeyDown(framework::KeyEvent& key);
    void ComboBoxUbrithsChange();
    void ComboBoxLanguageChange();
    void TimerBaseTimer();
    // Shows a lecture step: the step number, its text in the memo window's
    // log memo and in the note beside the step's control.
    void showLectureStep(int step);
    void startLecture(const char* name);
    // A command of another window within the lecture named: step moves
    // LectureStep on (and shows what the new step points at); then the
    // step's text shows, with the memo window in front.
    void lectureCommand(const char* name, const std::function<void(int& step)>& step);

    // ---- text registers and the info editor
    void PFCLEFrontClick();
    void PFCLERearClick();
    void PFCLERangeClick();
    void RichEdit1MouseDown();
    void PFORMouseDownClick();
    void PRDCopyClick();
    void PRDCutClick();
    void PRDPasteClick();
    void PRDClearClick();
    void PRDUndoClick();
    void PRDCopyToClipboardClick();
    void PRDFEncodeClick();
    void PRDFNonEncodeClick();
    void PRDFFBigClick();
    void PRDFFSmlClick();

private:
    void buildMenus();
    // Reads the window's rows of the caption table; gives the window's own
    // caption.
    std::string readCaptions();
    void buildLectureBalloon();
    // Puts the note beside the current step's control with its text; the
    // blink tick calls it too, for the windows that set LectureStep alone.
    void updateLectureBalloon();
    void revealLectureStep(int step);
    int balloonStep_ = -1;
};
