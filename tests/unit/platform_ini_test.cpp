// INI files as the Windows program reads and writes them: case-insensitive
// names, quoting, the value length limit, and files that are not INI files
// at all.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/errors.h"
#include "platform/ini_file.h"
#include "platform/text_codec.h"

namespace {

namespace fs = std::filesystem;
using platform::IniFile;

class PlatformIniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vantrel-ini-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        ini = dir / "test.ini";
        savedCodePage = platform::writeCodePage();
    }
    void TearDown() override
    {
        platform::setWriteCodePage(savedCodePage);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    void writeRaw(const fs::path& path, const std::string& bytes)
    {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    std::string readRaw(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir;
    fs::path ini;
    platform::CodePage savedCodePage = platform::CodePage::Utf8;
};

TEST_F(PlatformIniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    {
        const IniFile file(ini);
        EXPECT_EQ(file.readString("S", "k", "fallback"), "fallback");
        EXPECT_EQ(file.readInteger("S", "k", 17), 17);
        EXPECT_TRUE(file.readBool("S", "k", true));
        EXPECT_FALSE(file.sectionExists("S"));
        EXPECT_TRUE(file.sections().empty());
    }
    EXPECT_FALSE(fs::exists(ini)) << "reading must not create the file";

    writeRaw(ini, "[S]\r\nk=value\r\nempty=\r\n");
    const IniFile file(ini);
    EXPECT_EQ(file.readString("Other", "k", "d"), "d");
    EXPECT_EQ(file.readString("S", "other", "d"), "d");
    EXPECT_EQ(file.readString("S", "k", "d"), "value");
    EXPECT_EQ(file.readString("S", "empty", "d"), "");
    EXPECT_TRUE(file.valueExists("S", "empty"));
    EXPECT_FALSE(file.valueExists("S", "other"));
}

TEST_F(PlatformIniFileTest, ReadsHandWrittenValues)
{
    writeRaw(ini, "; a comment=not a key\r\n"
                  "top=before any section\r\n"
                  "[ Spaced ]\r\n"
                  "  Key  =  plain value  \r\n"
                  "quoted = \"  padded  \"\r\n"
                  "single='x'\r\n"
                  "unbalanced=\"abc\r\n"
                  "inner=a \"b\" c\r\n"
                  "equals=a=b\r\n"
                  "tab=\tt\t\r\n"
                  "no equals sign here\r\n"
                  "[Broken\r\n"
                  "k=in broken\r\n");
    const IniFile file(ini);
    EXPECT_EQ(file.readString("Spaced", "Key", "d"), "plain value");
    EXPECT_EQ(file.readString("Spaced", "quoted", "d"), "  padded  ");
    EXPECT_EQ(file.readString("Spaced", "single", "d"), "x");
    EXPECT_EQ(file.readString("Spaced", "unbalanced", "d"), "\"abc");
    EXPECT_EQ(file.readString("Spaced", "inner", "d"), "a \"b\" c");
    EXPECT_EQ(file.readString("Spaced", "equals", "d"), "a=b");
    EXPECT_EQ(file.readString("Spaced", "tab", "d"), "t");
    EXPECT_EQ(file.keys("Spaced"),
              (std::vector<std::string>{"Key", "quoted", "single", "unbalanced", "inner", "equals", "tab"}));
    EXPECT_EQ(file.readString("Broken", "k", "d"), "in broken");
    EXPECT_EQ(file.sections(), (std::vector<std::string>{"Spaced", "Broken"}));
}

TEST_F(PlatformIniFileTest, ValuesRoundTripExactly)
{
    const std::vector<std::string> values{
        " ", " _ ", "\"quoted\"", "'single'", "\"", "'", "\tTab", "trailing ", "plain", "", "\"half", "都道府県",
    };
    {
        IniFile file(ini);
        for (size_t i = 0; i < values.size(); ++i) {
            file.writeString("Values", "v" + std::to_string(i), values[i]);
        }
    }
    const IniFile file(ini);
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(file.readString("Values", "v" + std::to_string(i), "missing"), values[i]) << "value " << i;
    }
}

TEST_F(PlatformIniFileTest, LineBreaksInValuesBecomeBlanks)
{
    {
        IniFile file(ini);
        file.writeString("S", "text", "one\r\ntwo\nthree\r");
        file.writeString("S", "after", "kept");
    }
    const IniFile file(ini);
    EXPECT_EQ(file.readString("S", "text", "d"), "one  two three ");
    EXPECT_EQ(file.readString("S", "after", "d"), "kept");
    EXPECT_EQ(file.keys("S"), (std::vector<std::string>{"text", "after"}));
}

TEST_F(PlatformIniFileTest, NamesMatchWithoutRegardToCase)
{
    writeRaw(ini, "[Data]\r\nKey=1\r\n");
    {
        IniFile file(ini);
        EXPECT_EQ(file.readString("DATA", "KEY", "d"), "1");
        EXPECT_TRUE(file.sectionExists("data"));
        EXPECT_TRUE(file.valueExists("dAtA", "kEy"));
        file.writeString("data", "kEY", "2");
        EXPECT_EQ(file.readString("Data", "Key", "d"), "2");
    }
    // The key was replaced in place, keeping the file's spelling.
    EXPECT_EQ(readRaw(ini), "[Data]\r\nKey=2\r\n");
}

TEST_F(PlatformIniFileTest, FirstOfRepeatedNamesWins)
{
    writeRaw(ini, "[S]\r\nk=1\r\nK=2\r\n[s]\r\nk=3\r\nonly=4\r\n");
    IniFile file(ini);
    EXPECT_EQ(file.readString("S", "k", "d"), "1");
    EXPECT_EQ(file.readString("S", "only", "d"), "d");
    EXPECT_EQ(file.keys("s"), std::vector<std::string>{"k"});
    EXPECT_EQ(file.sections(), std::vector<std::string>{"S"});

    // Deleting removes every line of the key, so no older value shows through.
    file.deleteKey("S", "K");
    EXPECT_FALSE(file.valueExists("S", "k"));
    // Erasing removes every section of the name.
    file.eraseSection("S");
    EXPECT_FALSE(file.sectionExists("S"));
}

TEST_F(PlatformIniFileTest, LongValuesAreCutAtACharacterBoundary)
{
    const std::string ascii(3000, 'a');
    const std::string exact(IniFile::MaxValueBytes, 'e');
    // 2046 ASCII bytes and a three-byte character straddling the limit.
    const std::string straddling = std::string(IniFile::MaxValueBytes - 1, 'b') + "あい";
    {
        IniFile file(ini);
        file.writeString("S", "ascii", ascii);
        file.writeString("S", "exact", exact);
        file.writeString("S", "straddling", straddling);
    }
    // The file holds the whole value; only reading is limited.
    EXPECT_NE(readRaw(ini).find("ascii=" + ascii + "\r\n"), std::string::npos);

    const IniFile file(ini);
    EXPECT_EQ(file.readString("S", "ascii", "d"), ascii.substr(0, IniFile::MaxValueBytes));
    EXPECT_EQ(file.readString("S", "exact", "d"), exact);
    const std::string cut = file.readString("S", "straddling", "d");
    EXPECT_EQ(cut, std::string(IniFile::MaxValueBytes - 1, 'b'));
    EXPECT_TRUE(platform::isValidUtf8(cut));
}

TEST_F(PlatformIniFileTest, IntegersAndBooleans)
{
    writeRaw(ini, "[N]\r\n"
                  "plain=42\r\nblanks= -7 \r\nplus=+5\r\nmax=2147483647\r\nmin=-2147483648\r\n"
                  "hex=$1F\r\nhex0x=0x10\r\n"
                  "over=2147483648\r\nunder=-2147483649\r\nhuge=99999999999999999999\r\n"
                  "suffix=12abc\r\nword=abc\r\nempty=\r\nsign=-\r\ninner=1 2\r\ndecimal=1.5\r\n"
                  "zero=0\r\nyes=yes\r\n");
    const IniFile file(ini);
    EXPECT_EQ(file.readInteger("N", "plain", -1), 42);
    EXPECT_EQ(file.readInteger("N", "blanks", -1), -7);
    EXPECT_EQ(file.readInteger("N", "plus", -1), 5);
    EXPECT_EQ(file.readInteger("N", "max", -1), 2147483647);
    EXPECT_EQ(file.readInteger("N", "min", -1), -2147483647 - 1);
    EXPECT_EQ(file.readInteger("N", "hex", -1), 31);
    EXPECT_EQ(file.readInteger("N", "hex0x", -1), 16);
    for (const char* key : {"over", "under", "huge", "suffix", "word", "empty", "sign", "inner", "decimal"}) {
        EXPECT_EQ(file.readInteger("N", key, -1), -1) << key;
        EXPECT_EQ(file.readInteger("N", key, 99), 99) << key;
    }
    EXPECT_TRUE(file.readBool("N", "plain", false));
    EXPECT_FALSE(file.readBool("N", "zero", true));
    EXPECT_TRUE(file.readBool("N", "yes", true));
    EXPECT_FALSE(file.readBool("N", "yes", false));
}

TEST_F(PlatformIniFileTest, WrittenNumbersReadBack)
{
    {
        IniFile file(ini);
        file.writeInteger("N", "neg", -2147483647 - 1);
        file.writeInteger("N", "pos", 123456);
        file.writeBool("N", "on", true);
        file.writeBool("N", "off", false);
    }
    const IniFile file(ini);
    EXPECT_EQ(file.readInteger("N", "neg", 0), -2147483647 - 1);
    EXPECT_EQ(file.readString("N", "pos", ""), "123456");
    EXPECT_TRUE(file.readBool("N", "on", false));
    EXPECT_FALSE(file.readBool("N", "off", true));
}

TEST_F(PlatformIniFileTest, BinaryGarbageGivesDefaultsAndCanStillBeWritten)
{
    std::mt19937 random(12345);
    std::string garbage;
    for (int i = 0; i < 256 * 1024; ++i) {
        garbage += static_cast<char>(random() % 256);
    }
    // Make sure the structural characters are there in quantity.
    for (size_t i = 0; i < garbage.size(); i += 97) {
        garbage[i] = "[]=;\r\n\0\""[i % 8];
    }
    writeRaw(ini, garbage);
    {
        IniFile file(ini);
        EXPECT_EQ(file.readString("Begin", "SiteBase", "default"), "default");
        EXPECT_EQ(file.readInteger("Begin", "Count", 5), 5);
        for (const std::string& section : file.sections()) {
            for (const std::string& key : file.keys(section)) {
                EXPECT_TRUE(platform::isValidUtf8(file.readString(section, key, "")));
            }
        }
        EXPECT_EQ(readRaw(ini), garbage) << "opening must not rewrite the file";
        file.writeString("Begin", "SiteBase", "http://x.test/");
    }
    const IniFile file(ini);
    EXPECT_EQ(file.readString("Begin", "SiteBase", "default"), "http://x.test/");
}

TEST_F(PlatformIniFileTest, MegabyteLinesAreReadWithoutTrouble)
{
    const std::string big(1 << 20, 'x');
    writeRaw(ini, "[S]\r\nbig=" + big + "\r\n" + big + "\r\nk=v\r\n[" + big + "\r\nk=other\r\n");
    const IniFile file(ini);
    EXPECT_EQ(file.readString("S", "k", "d"), "v");
    EXPECT_EQ(file.readString("S", "big", "d"), big.substr(0, IniFile::MaxValueBytes));

    writeRaw(dir / "one-line.ini", big);
    const IniFile oneLine(dir / "one-line.ini");
    EXPECT_TRUE(oneLine.sections().empty());
    EXPECT_EQ(oneLine.readString("S", "k", "d"), "d");
}

TEST_F(PlatformIniFileTest, WritesOnceOnRelease)
{
    {
        IniFile file(ini);
        for (int i = 0; i < 100; ++i) {
            file.writeString("Grid", "k" + std::to_string(i), "value " + std::to_string(i));
        }
        EXPECT_TRUE(file.dirty());
        EXPECT_FALSE(fs::exists(ini)) << "written before release";
    }
    const IniFile file(ini);
    ASSERT_EQ(file.keys("Grid").size(), 100u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(file.readString("Grid", "k" + std::to_string(i), "missing"), "value " + std::to_string(i));
    }
}

TEST_F(PlatformIniFileTest, FlushWritesNowAndOnlyWhenSomethingChanged)
{
    writeRaw(ini, "[S]\r\nk=  same  \r\n");
    IniFile file(ini);
    file.writeString("S", "k", "same");
    EXPECT_FALSE(file.dirty()) << "the file already reads back this value";

    file.writeString("S", "k", "new");
    file.flush();
    EXPECT_FALSE(file.dirty());
    EXPECT_EQ(IniFile(ini).readString("S", "k", "d"), "new");
}

TEST_F(PlatformIniFileTest, KeepsCommentsOtherLinesAndOrder)
{
    writeRaw(ini, "; header comment\r\n"
                  "\r\n"
                  "[First]\r\n"
                  "; about a\r\n"
                  "a = 1\r\n"
                  "not a key\r\n"
                  "b=2\r\n"
                  "\r\n"
                  "[Second]\r\n"
                  "c=3\r\n");
    {
        IniFile file(ini);
        file.writeString("first", "A", "one");
        file.writeString("First", "new", "x");
        file.writeString("Third", "d", "4");
    }
    EXPECT_EQ(readRaw(ini), "; header comment\r\n"
                            "\r\n"
                            "[First]\r\n"
                            "; about a\r\n"
                            "a=one\r\n"
                            "not a key\r\n"
                            "b=2\r\n"
                            "new=x\r\n"
                            "\r\n"
                            "[Second]\r\n"
                            "c=3\r\n"
                            "[Third]\r\n"
                            "d=4\r\n");
}

TEST_F(PlatformIniFileTest, DeleteKeyAndEraseSectionAreSaved)
{
    writeRaw(ini, "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
    {
        IniFile file(ini);
        file.deleteKey("a", "X");
        file.deleteKey("A", "missing");
        file.deleteKey("Missing", "x");
        file.eraseSection("b");
    }
    const IniFile file(ini);
    EXPECT_EQ(file.sections(), std::vector<std::string>{"A"});
    EXPECT_EQ(file.keys("A"), std::vector<std::string>{"y"});
    EXPECT_EQ(file.readString("B", "z", "d"), "d");
}

TEST_F(PlatformIniFileTest, SavesInTheWriteCodePage)
{
    platform::setWriteCodePage(platform::CodePage::Cp932);
    {
        IniFile file(ini);
        file.writeString("S", "k", "都道府県");
    }
    EXPECT_EQ(readRaw(ini), "[S]\r\nk=\x93\x73\x93\xB9\x95\x7B\x8C\xA7\r\n");
    EXPECT_EQ(IniFile(ini).readString("S", "k", "d"), "都道府県");

    IniFile file(ini);
    file.writeString("S", "k", "😀");
    EXPECT_THROW(file.flush(), framework::FileError);
    EXPECT_EQ(IniFile(ini).readString("S", "k", "d"), "都道府県");
    file.writeString("S", "k", "ok"); // so that release succeeds
}

TEST_F(PlatformIniFileTest, FlushRaisesAndReleaseReportsAFailedSaveWithoutThrowing)
{
    std::vector<std::string> reported;
    platform::setFailureReporter([&](const std::string& text) { reported.push_back(text); });
    const fs::path unreachable = dir / "missing folder" / "x.ini";
    {
        IniFile file(unreachable);
        file.writeString("S", "k", "v");
        EXPECT_THROW(file.flush(), framework::FileError);
    }
    // The failed flush was the caller's error (one box): the release does
    // not try the same writes again and report the failure a second time.
    EXPECT_TRUE(reported.empty());
    // Writes that no flush tried are saved on release, and a failure goes to
    // the reporter, also while another error unwinds.
    try {
        IniFile file(unreachable);
        file.writeString("S", "k", "v");
        throw std::runtime_error("first error");
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "first error");
    }
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find("x.ini"), std::string::npos);

    // A save while unwinding still happens when it can.
    try {
        IniFile file(ini);
        file.writeString("S", "k", "saved");
        throw std::runtime_error("first error");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(IniFile(ini).readString("S", "k", "d"), "saved");
    EXPECT_EQ(reported.size(), 1u);
    platform::setFailureReporter(nullptr);
}

} // namespace
