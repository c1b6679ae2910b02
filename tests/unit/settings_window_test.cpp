// The settings and progress window: try time and the base search site.

#include <gtest/gtest.h>

#include "app/fm_main.h"
#include "app/globals.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "platform/ini_file.h"
#include "settings/fm_sys.h"

using testsupport::writeRaw;

namespace {

class SettingsWindowTest : public testsupport::AppFixture {};

TEST_F(SettingsWindowTest, TryTimeThatIsNotANumberGivesTwenty)
{
    writeRaw(data() / "USA" / "Base.INI", "[Set]\r\nTryTime=abc\r\n");
    start();
    FmMain->MMDSysClick();
    EXPECT_EQ(FmSys->tryTime(), 20);
    EXPECT_EQ(FmSys->EditTryTime.text(), "20");
}

// The pacing reads in either spelling (the command line's "quick" too) and
// is written as the window shows it.
TEST_F(SettingsWindowTest, ShowRereadsTheStoredRunSettingsAndDestroyWritesThem)
{
    writeRaw(data() / "USA" / "Base.INI", "[Set]\r\nTryTime=7\r\nPacing=quick\r\n");
    start();
    FmMain->MMDSysClick();
    EXPECT_EQ(FmSys->tryTime(), 7);
    EXPECT_EQ(FmSys->ComboBoxPacing.text(), "Quick");
    FmSys->UpDownTryTime.step(framework::UpDownButton::Up);
    EXPECT_EQ(FmSys->EditTryTime.text(), "8");
    FmMain->MMDSysClick();
    EXPECT_EQ(FmSys->tryTime(), 7);
    FmSys->UpDownTryTime.setPosition(12);
    closeProgram();
    platform::IniFile base(data() / "USA" / "Base.INI");
    EXPECT_EQ(base.readInteger("Set", "TryTime", 0), 12);
    EXPECT_EQ(base.readString("Set", "Pacing", ""), "Quick");
}

TEST_F(SettingsWindowTest, RunSettingsAreStoredWhenChangedAndShownAsStoredOnEveryShowAndStart)
{
    writeRaw(data() / "USA" / "Hlp.INI", "[Message]\r\nPacingSeed=Timer\r\nPacingQuick=Pages\r\n");
    start();
    FmMain->MMDSysClick();
    // The user picks the second pacing, whatever the table calls it.
    EXPECT_EQ(FmSys->ComboBoxPacing.items(), (std::vector<std::string>{"Timer", "Pages"}));
    FmSys->ComboBoxPacing.setItemIndex(1);
    FmSys->ComboBoxPacing.change();
    FmSys->UpDownParallel.step(framework::UpDownButton::Up);
    FmSys->EditHostInterval.setText("250");
    FmSys->EditHostInterval.change();
    FmSys->UpDownLiveTabs.step(framework::UpDownButton::Down);
    FmMain->MMDSysClick();
    EXPECT_EQ(FmSys->pacing(), runs::Pacing::Quick);
    EXPECT_EQ(FmSys->ComboBoxPacing.text(), "Pages");
    EXPECT_EQ(FmSys->parallel(), 5);
    EXPECT_EQ(FmSys->hostInterval(), 250);
    EXPECT_EQ(FmSys->liveTabs(), 11);
    {
        const platform::IniFile base(data() / "USA" / "Base.INI");
        EXPECT_EQ(base.readString("Set", "Pacing", ""), "Quick");
        EXPECT_EQ(base.readInteger("Set", "HostInterval", 0), 250);
    }
    closeProgram();
    start();
    EXPECT_EQ(FmSys->pacing(), runs::Pacing::Quick);
    EXPECT_EQ(FmSys->parallel(), 5);
    EXPECT_EQ(FmSys->liveTabs(), 11);
}

TEST_F(SettingsWindowTest, PrivateBrowsingIsKeptInTheProgramSettings)
{
    writeRaw(data() / "0Base.INI", "[Begin]\r\nLanguage=USA\r\nPrivateBrowsing=1\r\n");
    start();
    EXPECT_TRUE(FmSys->CheckBoxPrivateBrowsing.checked());
    FmSys->CheckBoxPrivateBrowsing.setChecked(false);
    FmSys->CheckBoxPrivateBrowsingClick();
    const platform::IniFile program(data() / "0Base.INI");
    EXPECT_FALSE(program.readBool("Begin", "PrivateBrowsing", true));
    EXPECT_EQ(program.readString("Begin", "Language", ""), "USA");
    EXPECT_EQ(scripted.dialogs->messages.size(), 1u);
}

TEST_F(SettingsWindowTest, ShowReadsTheCaptionsEachTime)
{
    start();
    FmMain->MMDSysClick();
    EXPECT_EQ(FmSys->GroupBoxTryTime.caption(), "TryTime");
    writeRaw(data() / "USA" / "Hlp.INI", "[GroupBoxTryTime]\r\nCaption=Wait\r\n");
    FmMain->MMDSysClick();
    EXPECT_EQ(FmSys->GroupBoxTryTime.caption(), "Wait");
}

TEST_F(SettingsWindowTest, UpDownWrapsFromTwoToOneAndReadsTheFirstSite)
{
    writeRaw(data() / "UpDate" / "0Operator.INI",
             "[ConnectSite]\r\nMax=2\r\nBase1=http://one.example/\r\nFormName1=f1\r\nInputName1=i1\r\n"
             "Base2=http://two.example/\r\nFormName2=f2\r\nInputName2=i2\r\n");
    start();
    FmCpp->PageControlMain.setActivePage(&FmCpp->TabSheetMFree);
    FmSys->UpDownConnectSite.setMax(2);
    FmSys->UpDownConnectSite.setPosition(2);
    FmSys->UpDownConnectSite.step(framework::UpDownButton::Up);
    EXPECT_EQ(FmSys->UpDownConnectSite.position(), 1);
    EXPECT_EQ(FmSys->LabelConnectSiteCnt.caption(), "1");
    EXPECT_EQ(FmSys->LabelConnectSite.caption(), "http://one.example/");
    EXPECT_EQ(FmSys->LabelFormName.caption(), "f1");
    EXPECT_EQ(FmSys->LabelInputName.caption(), "i1");
    platform::IniFile base(data() / "0Base.INI");
    EXPECT_EQ(base.readString("Base", "URL", ""), "http://one.example/");
    EXPECT_EQ(base.readString("Base", "FormName", ""), "f1");
    EXPECT_EQ(FmCpp->PageControlMain.activePage(), &FmCpp->TabSheetMBase);
}

TEST_F(SettingsWindowTest, MissingOperatorFileWritesTheDefaults)
{
    start();
    // A fresh window stands at 20: the click reads the keys of 19 (absent)
    // and then applies the default maximum of 2.
    FmSys->UpDownConnectSite.step(framework::UpDownButton::Down);
    EXPECT_EQ(FmSys->UpDownConnectSite.max(), 2);
    EXPECT_EQ(FmSys->LabelConnectSite.caption(), "http://vantrel.example/");
    EXPECT_EQ(FmSys->LabelFormName.caption(), "cse-search-box");
    EXPECT_EQ(FmSys->LabelInputName.caption(), "q");
    platform::IniFile base(data() / "0Base.INI");
    EXPECT_EQ(base.readString("Base", "URL", ""), "http://vantrel.example/");
    EXPECT_EQ(base.readString("Base", "FormName", ""), "cse-search-box");
    EXPECT_EQ(base.readString("Base", "InputName", ""), "q");
}

TEST_F(SettingsWindowTest, ConnectSiteLabelStartsOnTheConfiguredSite)
{
    writeRaw(data() / "0Base.INI", "[Begin]\r\nSiteBase=http://mirror.example\r\n");
    start();
    EXPECT_EQ(FmSys->LabelConnectSite.caption(), "http://mirror.example/");
    // The first click, without an operator file, lands on the same address.
    FmSys->UpDownConnectSite.step(framework::UpDownButton::Down);
    EXPECT_EQ(FmSys->LabelConnectSite.caption(), "http://mirror.example/");
}

TEST_F(SettingsWindowTest, PageWatchAndUrlsSetTheAccessMode)
{
    start();
    FmSys->UpDownPageWatch.step(framework::UpDownButton::Up);
    EXPECT_EQ(FmCpp->AccessMode, "Smpl");
    EXPECT_EQ(FmSys->EditPageWatch.text(), "1");
    FmSys->BitBtnURLsClick();
    EXPECT_EQ(FmCpp->AccessMode, "URLs");
}

} // namespace

TEST_F(SettingsWindowTest, NumberBoxSaysWhenItsTextIsNoNumber)
{
    start();
    FmSys->EditTryTime.setText("25");
    application->dispatch(FmSys->EditTryTime.onExit);
    EXPECT_EQ(FmSys->tryTime(), 25);
    EXPECT_TRUE(scripted.dialogs->errors.empty());

    FmSys->EditTryTime.setText("abc");
    application->dispatch(FmSys->EditTryTime.onExit);
    ASSERT_EQ(scripted.dialogs->errors.size(), 1u);
    EXPECT_EQ(scripted.dialogs->errors[0], "'abc' is not a valid integer value; EditTryTime keeps 25");
    EXPECT_EQ(FmSys->EditTryTime.text(), "25");
    EXPECT_EQ(FmSys->tryTime(), 25);

    FmSys->EditParallel.setText("x");
    application->dispatch(FmSys->EditParallel.onExit);
    EXPECT_EQ(scripted.dialogs->errors.size(), 2u);
    EXPECT_EQ(FmSys->EditParallel.text(), std::to_string(FmSys->UpDownParallel.position()));
}
