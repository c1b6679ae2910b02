// Text encodings and text stores: what data files written by the Windows
// program (code page 932, CR LF) and by hand (UTF-8, any line end) read as.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/errors.h"
#include "platform/text_codec.h"
#include "platform/text_store.h"

namespace {

namespace fs = std::filesystem;
using platform::CodePage;

// "都道府県" and half-width "ｶﾀｶﾅ" in code page 932, from the code page's
// table, independent of the converter under test.
const std::string PrefecturesCp932 = "\x93\x73\x93\xB9\x95\x7B\x8C\xA7";
const std::string KatakanaCp932 = "\xB6\xC0\xB6\xC5";

class PlatformTextFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vantrel-text-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
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
    std::vector<std::string> folderNames()
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir;
    CodePage savedCodePage = CodePage::Utf8;
};

TEST(PlatformTextCodecTest, Utf8ValidationRefusesMalformedSequences)
{
    EXPECT_TRUE(platform::isValidUtf8(""));
    EXPECT_TRUE(platform::isValidUtf8("plain ASCII"));
    EXPECT_TRUE(platform::isValidUtf8("都道府県 ｶﾀｶﾅ 😀 é"));
    EXPECT_TRUE(platform::isValidUtf8("\xF4\x8F\xBF\xBF")); // U+10FFFF

    EXPECT_FALSE(platform::isValidUtf8(PrefecturesCp932));
    EXPECT_FALSE(platform::isValidUtf8(KatakanaCp932));
    EXPECT_FALSE(platform::isValidUtf8("\xC0\xAF"));         // overlong "/"
    EXPECT_FALSE(platform::isValidUtf8("\xE0\x80\xAF"));     // overlong "/"
    EXPECT_FALSE(platform::isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(platform::isValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(platform::isValidUtf8("abc\xE3\x81"));      // cut short
    EXPECT_FALSE(platform::isValidUtf8("\x80"));             // lone continuation
}

TEST(PlatformTextCodecTest, DecodeKeepsUtf8DropsBomAndReadsCp932)
{
    EXPECT_EQ(platform::decodeFileText("都道府県\r\n"), "都道府県\r\n");
    EXPECT_EQ(platform::decodeFileText("\xEF\xBB\xBFKey=値"), "Key=値");
    EXPECT_EQ(platform::decodeFileText(""), "");
    EXPECT_EQ(platform::decodeFileText("A " + PrefecturesCp932 + " " + KatakanaCp932), "A 都道府県 ｶﾀｶﾅ");
}

TEST(PlatformTextCodecTest, DecodeTurnsUndefinedBytesIntoReplacementCharacters)
{
    // A lead byte cut off by the end of the file.
    EXPECT_EQ(platform::decodeFileText(PrefecturesCp932 + "\x93"), "都道府県\xEF\xBF\xBD");
    // A lead byte followed by a byte that cannot be a trail byte: only the
    // lead byte is lost, the rest decodes.
    EXPECT_EQ(platform::decodeFileText("\x93\x73\x81\x0A\x93\xB9"), "都\xEF\xBF\xBD\n道");
    // Bytes the code page leaves undefined.
    EXPECT_EQ(platform::decodeFileText("\xFF\xFF" + KatakanaCp932), "\xEF\xBF\xBD\xEF\xBF\xBDｶﾀｶﾅ");
    // Binary garbage never throws and always gives valid UTF-8.
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    }
    EXPECT_TRUE(platform::isValidUtf8(platform::decodeFileText(garbage)));
}

TEST(PlatformTextCodecTest, StrictDecodeRefusesWhatNeitherCodePageHolds)
{
    EXPECT_EQ(platform::decodeTextStrictly("\xEF\xBB\xBF都道府県"), "都道府県");
    EXPECT_EQ(platform::decodeTextStrictly(PrefecturesCp932 + "\r\n" + KatakanaCp932), "都道府県\r\nｶﾀｶﾅ");
    EXPECT_FALSE(platform::decodeTextStrictly("\xFF\xFF" + KatakanaCp932));
    EXPECT_FALSE(platform::decodeTextStrictly(PrefecturesCp932 + "\x93"));
}

TEST(PlatformTextCodecTest, EncodeCp932AndNameTheCharacterItCannotHold)
{
    EXPECT_EQ(platform::encodeFileText("都道府県ｶﾀｶﾅ", CodePage::Cp932), PrefecturesCp932 + KatakanaCp932);
    EXPECT_EQ(platform::encodeFileText("😀 stays", CodePage::Utf8), "😀 stays");
    try {
        platform::encodeFileText("ok 😀 then", CodePage::Cp932);
        FAIL() << "no FileError";
    } catch (const framework::FileError& error) {
        EXPECT_STREQ(error.what(), "Cannot store \"😀\" in code page 932");
    }
}

TEST(PlatformTextStoreTest, SplitLinesAcceptsEveryLineEnd)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(platform::splitLines("a\r\nb\r\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(platform::splitLines("a\rb\rc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(platform::splitLines("a\nb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(platform::splitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    // A final line end adds no empty line; a blank line before it does.
    EXPECT_EQ(platform::splitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(platform::splitLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(platform::splitLines("a\n\r"), (Lines{"a", ""})); // LF then CR: two line ends
    EXPECT_EQ(platform::splitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(platform::splitLines("\r\n"), (Lines{""}));
    EXPECT_EQ(platform::splitLines(""), (Lines{}));
}

TEST(PlatformTextStoreTest, JoinLinesEndsEveryLineWithCrLf)
{
    EXPECT_EQ(platform::joinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(platform::joinLines({""}), "\r\n");
    EXPECT_EQ(platform::joinLines({}), "");
}

TEST_F(PlatformTextFileTest, LoadsCp932FileWrittenByTheWindowsProgram)
{
    writeRaw(dir / "list.txt", "Title\r\n" + PrefecturesCp932 + "\r\n" + KatakanaCp932 + "\r\n");
    EXPECT_EQ(platform::loadLines(dir / "list.txt"), (std::vector<std::string>{"Title", "都道府県", "ｶﾀｶﾅ"}));
}

TEST_F(PlatformTextFileTest, LoadsFilesWithAnyLineEndAndEmptyFiles)
{
    writeRaw(dir / "mixed.txt", "one\rtwo\nthree\r\nfour");
    EXPECT_EQ(platform::loadLines(dir / "mixed.txt"), (std::vector<std::string>{"one", "two", "three", "four"}));
    writeRaw(dir / "empty.txt", "");
    EXPECT_TRUE(platform::loadLines(dir / "empty.txt").empty());
}

TEST_F(PlatformTextFileTest, MissingFileIsAnError)
{
    const fs::path path = dir / "missing.txt";
    try {
        platform::loadLines(path);
        FAIL() << "no FileError";
    } catch (const framework::FileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file \"" + path.string() + "\". No such file or directory");
    }
}

TEST_F(PlatformTextFileTest, Utf8RoundTrip)
{
    platform::setWriteCodePage(CodePage::Utf8);
    const std::vector<std::string> lines{"都道府県", "", "ｶﾀｶﾅ 😀", "last"};
    platform::saveLines(dir / "u.txt", lines);
    EXPECT_EQ(readRaw(dir / "u.txt"), "都道府県\r\n\r\nｶﾀｶﾅ 😀\r\nlast\r\n");
    EXPECT_EQ(platform::loadLines(dir / "u.txt"), lines);
}

TEST_F(PlatformTextFileTest, Cp932RoundTrip)
{
    platform::setWriteCodePage(CodePage::Cp932);
    const std::vector<std::string> lines{"都道府県", "ｶﾀｶﾅ", "abc"};
    platform::saveLines(dir / "s.txt", lines);
    EXPECT_EQ(readRaw(dir / "s.txt"), PrefecturesCp932 + "\r\n" + KatakanaCp932 + "\r\nabc\r\n");
    EXPECT_EQ(platform::loadLines(dir / "s.txt"), lines);
}

TEST_F(PlatformTextFileTest, CharacterOutsideCp932FailsTheSaveAndKeepsTheOldFile)
{
    writeRaw(dir / "s.txt", "old\r\ncontent\r\n");
    platform::setWriteCodePage(CodePage::Cp932);
    EXPECT_THROW(platform::saveLines(dir / "s.txt", {"都道府県", "😀"}), framework::FileError);
    EXPECT_EQ(readRaw(dir / "s.txt"), "old\r\ncontent\r\n");
    EXPECT_EQ(folderNames(), std::vector<std::string>{"s.txt"});
}

} // namespace
