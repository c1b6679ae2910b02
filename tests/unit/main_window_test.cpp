// The main window's extraction tools, info editor and window commands.

#include <gtest/gtest.h>

#include "app/captions.h"
#include "app/extraction.h"
#include "app/fm_main.h"
#include "app/globals.h"
#include "app/links.h"
#include "app_fixture.h"
#include "browser/fm_cpp.h"
#include "browserctl/web_browser.h"
#include "docedit/fm_doc_edi.h"
#include "memo/fm_memo.h"
#include "platform/ini_file.h"
#include "settings/fm_sys.h"
#include "sitetree/fm_ctrl.h"

using namespace vantrel;

namespace {

TEST(ReadableAddressTest, ShowsTheCharactersEscapesSpellAndNothingThatChangesTheAddress)
{
    EXPECT_EQ(readableAddress("https://ja.example/wiki/%E5%8C%97%E6%B5%B7%E9%81%93"), "https://ja.example/wiki/北海道");
    // ASCII escapes stay: the text still names the same address.
    EXPECT_EQ(readableAddress("http://x.example/a%20b%2Fc?q=%25%3D"), "http://x.example/a%20b%2Fc?q=%25%3D");
    // No UTF-8, a cut character, invisible or text-turning characters.
    EXPECT_EQ(readableAddress("http://x.example/%93%73"), "http://x.example/%93%73");
    EXPECT_EQ(readableAddress("http://x.example/%E5%8C"), "http://x.example/%E5%8C");
    EXPECT_EQ(readableAddress("http://x.example/a%E2%80%AEexe"), "http://x.example/a%E2%80%AEexe");
    EXPECT_EQ(readableAddress("http://x.example/%E2%80%8B"), "http://x.example/%E2%80%8B");
    EXPECT_EQ(readableAddress("%C3%A9t%C3%A9%"), "été%");
}

TEST(CaptionTableTest, MessagesTakeTheirValuesInPlaceOfPercentNumbers)
{
    EXPECT_EQ(formatText("entry %1 of %2: %3, %4", {"3", "12", "March", "done"}), "entry 3 of 12: March, done");
    // A value is not searched again; placeholders without a value stay.
    EXPECT_EQ(formatText("%2 before %1", {"%2", "x"}), "x before %2");
    EXPECT_EQ(formatText("100% of %3", {"a"}), "100% of %3");
}

TEST(ExtractionTest, KeyInTheMiddleEnclosingKeysAndAbsentKey)
{
    EXPECT_EQ(extractFront("abc=def", "="), "abc");
    EXPECT_EQ(extractRear("abc=def", "="), "def");
    EXPECT_EQ(extractRange("<b>word</b> rest", "<b>", "</b>"), "word");
    EXPECT_EQ(extractFront("abc", "x"), "");
    EXPECT_EQ(extractRear("abc", "x"), "");
    EXPECT_EQ(extractRange("abc", "x", "c"), "");
    EXPECT_EQ(extractRange("a[bc", "[", "]"), "");
    EXPECT_EQ(extractRange("a[]c", "[", "]"), "");
}

TEST(ExtractionTest, KeyEqualToTextAndKeyAtTheLastByte)
{
    EXPECT_EQ(extractFront("same", "same"), "");
    EXPECT_EQ(extractRear("same", "same"), "");
    // A one-byte key found only at the last byte is not tried by the front
    // and rear tools, but the range tool finds it.
    EXPECT_EQ(extractFront("abc=", "="), "");
    EXPECT_EQ(extractRear("abc=", "="), "");
    EXPECT_EQ(extractRange("abc=", "a", "="), "bc");
    EXPECT_EQ(extractFront("abc", ""), "");
    // Byte-wise: a key may match inside a multi-byte text.
    EXPECT_EQ(extractFront("都道府県=x", "="), "都道府県");
}

class MainWindowTest : public testsupport::AppFixture {
protected:
    void SetUp() override { start(); }
};

TEST_F(MainWindowTest, RegistersRunTheToolsAndResetTheResult)
{
    FmMain->WorkText = "name=http://a.example/";
    FmMain->KeyFront = "=";
    FmMain->PFCLEFrontClick();
    EXPECT_EQ(FmMain->ResultText, "name");
    FmMain->PFCLERearClick();
    EXPECT_EQ(FmMain->ResultText, "http://a.example/");
    FmMain->KeyFront = "missing";
    FmMain->PFCLERangeClick();
    EXPECT_EQ(FmMain->ResultText, "");
}

TEST_F(MainWindowTest, ClickOnTheThirdLineOfTheInfoEditorTakesThatLine)
{
    FmMain->RichEdit1.setLines({"first", "second", "third line", "fourth"});
    // The caret in the third line (0-based 2): after "first\r\nsecond\r\n".
    FmMain->RichEdit1.setSelection(17, 0);
    FmMain->RichEdit1MouseDown();
    EXPECT_EQ(FmMain->ActiveEditName, "1");
    EXPECT_EQ(FmMain->ActiveEdit, &FmMain->RichEdit1);
    EXPECT_EQ(FmMain->WorkText, "third line");
}

TEST_F(MainWindowTest, InfoEditorEditingCommands)
{
    auto& edit = FmMain->RichEdit1;
    edit.setText("hello world");
    edit.setSelection(0, 5);
    FmMain->PRDCopyClick();
    EXPECT_EQ(scripted.clipboard->content, "hello");
    FmMain->PRDCutClick();
    EXPECT_EQ(edit.lines(), std::vector<std::string>{" world"});
    FmMain->PRDUndoClick();
    EXPECT_EQ(edit.lines(), std::vector<std::string>{"hello world"});
    scripted.clipboard->content = "X";
    edit.setSelection(0, 0);
    FmMain->PRDPasteClick();
    EXPECT_EQ(edit.lines(), std::vector<std::string>{"Xhello world"});
    FmMain->PRDCopyToClipboardClick();
    EXPECT_EQ(scripted.clipboard->content, "Xhello world\r\n");
    FmMain->PRDClearClick();
    EXPECT_EQ(edit.lineCount(), 0);
    FmMain->PRDFNonEncodeClick();
    EXPECT_FALSE(edit.plainText());
    EXPECT_EQ(edit.color(), 0xFFFFFF);
    EXPECT_EQ(edit.fontColor(), 0x000080);
    FmMain->PRDFEncodeClick();
    EXPECT_TRUE(edit.plainText());
    const int size = edit.fontSize() > 0 ? edit.fontSize() : 12;
    FmMain->PRDFFBigClick();
    EXPECT_EQ(edit.fontSize(), size + 2);
    FmMain->PRDFFSmlClick();
    EXPECT_EQ(edit.fontSize(), size);
}

TEST_F(MainWindowTest, AlignmentFollowsTheMovedMainWindow)
{
    FmMain->setBounds(300, 40, FmMain->width(), FmMain->height());
    FmMain->MMDAlignmentClick();
    EXPECT_EQ(FmCpp->left(), 550);
    EXPECT_EQ(FmCpp->top(), 150);
    EXPECT_EQ(FmCtrl->left(), 300);
    EXPECT_EQ(FmCtrl->top(), 150);
    EXPECT_EQ(FmSys->left(), 950);
    EXPECT_EQ(FmSys->top(), 140);
    EXPECT_EQ(FmMemo->left(), 700);
    EXPECT_EQ(FmDocEdi->left(), 620);
    EXPECT_EQ(FmDocEdi->top(), 115);
}

TEST_F(MainWindowTest, MemoDefaultResetsAndAgoKeepsTheSize)
{
    FmMemo->setBounds(5, 5, 333, 222);
    FmMain->MMDMemoOAgoClick();
    EXPECT_TRUE(FmMemo->visible());
    EXPECT_EQ(FmMemo->width(), 333);
    FmMain->MMDMemoODefaltClick();
    EXPECT_EQ(FmMemo->left(), 400);
    EXPECT_EQ(FmMemo->top(), 100);
    EXPECT_EQ(FmMemo->width(), 240);
    EXPECT_EQ(FmMemo->height(), 400);
}

TEST_F(MainWindowTest, DocEditPlacesTheMemoBesideIt)
{
    FmMain->MMDDocEditClick();
    EXPECT_TRUE(FmDocEdi->visible());
    EXPECT_EQ(FmMemo->left(), 120 + FmDocEdi->width() + 20);
    EXPECT_EQ(FmMemo->top(), 55);
    EXPECT_EQ(FmMemo->PageControlMain.activePage(), &FmMemo->TabSheetMMulti);
}

TEST_F(MainWindowTest, EnterInTheAddressBoxSetsSingleModeAndAClickDoesNot)
{
    FmCpp->AccessMode = "List";
    FmMain->ComboBoxURLClick();
    EXPECT_EQ(FmCpp->AccessMode, "List");
    framework::KeyEvent other{65};
    FmMain->ComboBoxURLKeyDown(other);
    EXPECT_EQ(FmCpp->AccessMode, "List");
    framework::KeyEvent enter{13};
    FmMain->ComboBoxURLKeyDown(enter);
    EXPECT_EQ(FmCpp->AccessMode, "Single");
}

TEST_F(MainWindowTest, ChoosingTheCurrentLanguageStillSavesClosesAndRestarts)
{
    FmMain->ComboBoxLanguage.setText("USA");
    FmMain->ComboBoxLanguageChange();
    EXPECT_TRUE(application->terminated());
    ASSERT_EQ(scripted.shell->executed.size(), 1u);
    EXPECT_EQ(scripted.shell->executed[0].arguments, (std::vector<std::string>{"--data-dir", FmMain->ExeDir}));
    platform::IniFile base(data() / "0Base.INI");
    EXPECT_EQ(base.readString("Begin", "Language", ""), "USA");
    platform::IniFile reg(registryPath());
    EXPECT_EQ(reg.readString("Software\\Orrinax\\Ubrith\\Vantrel/ヴァントレル\\Soft", "LngCng", ""), "1");
}

TEST_F(MainWindowTest, TheLanguageSwitchAsksFirstAndTheWindowsComeBackWhereTheyWere)
{
    FmMain->ComboBoxLanguage.setText("JPN");
    scripted.dialogs->yesNoAnswers = {false};
    FmMain->ComboBoxLanguageChange();
    EXPECT_FALSE(application->terminated());
    EXPECT_EQ(FmMain->ComboBoxLanguage.text(), "USA");
    EXPECT_TRUE(scripted.shell->executed.empty());

    FmCtrl->setBounds(30, 140, 250, 500);
    FmDocEdi->setBounds(500, 60, 400, 520);
    FmMain->setBounds(5, 7, FmMain->width(), FmMain->height());
    FmMain->ComboBoxLanguage.setText("JPN");
    FmMain->ComboBoxLanguageChange();
    ASSERT_TRUE(application->terminated());
    EXPECT_EQ(scripted.dialogs->questions.size(), 2u);
    closeProgram();
    start();
    EXPECT_EQ(FmMain->LangName, "JPN");
    EXPECT_EQ(FmMain->left(), 5);
    EXPECT_EQ(FmMain->top(), 7);
    EXPECT_EQ(FmCtrl->left(), 30);
    EXPECT_EQ(FmCtrl->height(), 500);
    EXPECT_EQ(FmDocEdi->left(), 500);
    EXPECT_EQ(FmDocEdi->width(), 400);
}

TEST_F(MainWindowTest, HelpHomePageTitleAndFamilyFolderGoThroughTheShell)
{
    FmMain->MMHHelpClick();
    FmMain->MMHHPClick();
    FmMain->LabelTitleClick();
    {
        platform::IniFile reg(registryPath());
        reg.writeString("Software\\Orrinax\\Ubrith\\Other\\Soft", "Path", (data() / "USA" / "other.exe").string());
    }
    FmMain->ComboBoxUbriths.setText("Other");
    FmMain->ComboBoxUbrithsChange();
    EXPECT_EQ(scripted.shell->opened,
              (std::vector<std::string>{"http://vantrel.example/USA/Help/", "http://vantrel.example/",
                                        "http://vantrel.example/USA/Info/", (data() / "USA").string()}));
}

TEST_F(MainWindowTest, BrowsingDataIsClearedOnlyAfterAYes)
{
    int cleared = 0;
    EXPECT_FALSE(application->dispatch([] { FmMain->MMTClearBrowsingClick(); }));
    EXPECT_EQ(scripted.dialogs->errors.back(), "There is no browser to clear");
    browserctl::setBrowsingDataClearer([&] { ++cleared; });
    scripted.dialogs->yesNoAnswers = {false, true};
    FmMain->MMTClearBrowsingClick();
    EXPECT_EQ(cleared, 0);
    FmMain->MMTClearBrowsingClick();
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(scripted.dialogs->questions.size(), 3u);
    browserctl::setBrowsingDataClearer(nullptr);
}

TEST_F(MainWindowTest, LinksFromDataFilesReachTheShellOnlyAsWebAddresses)
{
    // InfoURL comes from the downloaded Joint.INI.
    for (const char* link : {"file:///etc/passwd", "/usr/bin/xterm", "xterm -e sh", "javascript:alert(1)",
                             "ftp://files.example/", "http://", "http:///etc/passwd", "http://a.example/\n"}) {
        FmMain->InfoURL = link;
        ASSERT_FALSE(application->dispatch([] { FmMain->LabelTitleClick(); })) << link;
        EXPECT_NE(scripted.dialogs->errors.back().find(link), std::string::npos);
    }
    // The site base comes from 0Base.INI.
    testsupport::writeRaw(data() / "0Base.INI", "[Begin]\r\nSiteBase=file:///home/\r\n");
    EXPECT_FALSE(application->dispatch([] { FmMain->MMHHPClick(); }));
    EXPECT_FALSE(application->dispatch([] { FmMain->MMHHelpClick(); }));
    // The family folder comes from the registry: a file named as the
    // folder is not opened.
    testsupport::writeRaw(data() / "run.desktop", "[Desktop Entry]\n");
    {
        platform::IniFile reg(registryPath());
        reg.writeString("Software\\Orrinax\\Ubrith\\Other\\Soft", "Path", (data() / "run.desktop" / "x").string());
    }
    FmMain->ComboBoxUbriths.setText("Other");
    EXPECT_FALSE(application->dispatch([] { FmMain->ComboBoxUbrithsChange(); }));
    EXPECT_TRUE(scripted.shell->opened.empty());

    FmMain->InfoURL = "HTTPS://info.example/news";
    FmMain->LabelTitleClick();
    EXPECT_EQ(scripted.shell->opened, std::vector<std::string>{"HTTPS://info.example/news"});
}

} // namespace

namespace {

class MainWindowFavouriteTest : public testsupport::AppFixture {};

TEST_F(MainWindowFavouriteTest, FavouriteAddsNameAndAddressUnderTheSelectedNode)
{
    start();
    auto& tree = FmCtrl->TreeViewEdd1;
    auto* root = tree.addChild(nullptr, "Links");
    tree.setSelected(root);
    FmCpp->EditThemas.setText("Weather ");
    FmMain->ComboBoxURL.setText("http://w.example/");
    // Cancel keeps the proposed name, the theme box text.
    FmMain->MMFURLMemoClick();
    EXPECT_EQ(scripted.dialogs->prompts, std::vector<std::string>{"Favorites: FavoritesName"});
    ASSERT_EQ(root->childCount(), 1);
    EXPECT_EQ(root->child(0)->text(), "Weather =http://w.example/");
    scripted.dialogs->inputAnswers = {std::string("W")};
    FmMain->MMFURLMemoClick();
    EXPECT_EQ(root->child(0)->text(), "W=http://w.example/");
}

TEST_F(MainWindowFavouriteTest, InfoPanelIsReachableFromTheToolMenu)
{
    start();
    EXPECT_FALSE(FmMain->PanelMInfo.visible());
    FmMain->find<framework::MenuItem>("MMTInfo").click();
    EXPECT_TRUE(FmMain->PanelMInfo.visible());
    EXPECT_EQ(FmMain->RichEdit1.popupMenu, &FmMain->find<framework::MenuItem>("PRD"));
    FmMain->MMTInfoClick();
    EXPECT_FALSE(FmMain->PanelMInfo.visible());
    EXPECT_EQ(FmMain->height(), 103);
}

} // namespace

TEST_F(MainWindowTest, SavesAndDocumentOperationsShowTheBusyCursorOnce)
{
    FmMain->MMFSaveClick();
    EXPECT_EQ(scripted.pump->busyStarts, 1);
    EXPECT_EQ(scripted.pump->busyEnds, 1);
    FmDocEdi->OperationPath = "";
    FmDocEdi->MMSEditTRunClick();
    EXPECT_EQ(scripted.pump->busyStarts, 2);
    EXPECT_EQ(scripted.pump->busyEnds, 2);
    closeProgram();
    EXPECT_EQ(scripted.pump->busyStarts, 3);
    EXPECT_EQ(scripted.pump->busyEnds, 3);
}

class MainWindowCloseTest : public testsupport::AppFixture {};

TEST_F(MainWindowCloseTest, SaveThatFailsAtCloseIsReportedOnce)
{
    testsupport::writeRaw(data() / "USA" / "TVFCategory.txt", "Hobby\r\n");
    start();
    // Something took the file's place: its save cannot replace it.
    std::filesystem::remove(data() / "USA" / "TVFCategory.txt");
    std::filesystem::create_directory(data() / "USA" / "TVFCategory.txt");
    closeProgram();
    int reported = 0;
    for (const auto& error : scripted.dialogs->errors)
        if (error.find("TVFCategory.txt") != std::string::npos) {
            ++reported;
            EXPECT_NE(error.find("former content"), std::string::npos) << error;
        }
    EXPECT_EQ(reported, 1);
}
