// File access: names that differ from the disk only in letter case (data
// made on Windows), atomic saves and paths taken from data files.

#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/errors.h"
#include "framework/form.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/list_file.h"

namespace {

namespace fs = std::filesystem;

class PlatformFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vantrel-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
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
    std::vector<std::string> folderNames(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir;
};

TEST_F(PlatformFilesTest, FindsNamesThatDifferOnlyInCase)
{
    writeRaw(dir / "ListBunch5w4h.INI", "data");

    EXPECT_EQ(platform::resolveCaseInsensitive(dir / "ListBunch5W4H.INI"), dir / "ListBunch5w4h.INI");
    EXPECT_EQ(platform::resolveCaseInsensitive(dir / "listbunch5w4h.ini"), dir / "ListBunch5w4h.INI");
    EXPECT_TRUE(platform::fileExists(dir / "LISTBUNCH5W4H.INI"));
    EXPECT_EQ(platform::readFileBytes(dir / "ListBunch5W4H.INI"), std::optional<std::string>("data"));

    // A different name, even of the same length, is not a match.
    EXPECT_EQ(platform::resolveCaseInsensitive(dir / "ListBunch5w4x.INI"), dir / "ListBunch5w4x.INI");
    EXPECT_FALSE(platform::fileExists(dir / "ListBunch5w4x.INI"));
    EXPECT_EQ(platform::readFileBytes(dir / "ListBunch5w4x.INI"), std::nullopt);
}

TEST_F(PlatformFilesTest, OnlyTheLastComponentIsMatchedLoosely)
{
    fs::create_directory(dir / "Sub");
    writeRaw(dir / "Sub" / "File.txt", "x");
    EXPECT_TRUE(platform::fileExists(dir / "Sub" / "FILE.TXT"));
    EXPECT_FALSE(platform::fileExists(dir / "sub" / "File.txt"));
    EXPECT_EQ(platform::readFileBytes(dir / "sub" / "File.txt"), std::nullopt);
}

TEST_F(PlatformFilesTest, ReadingAFolderIsAnError)
{
    fs::create_directory(dir / "folder");
    EXPECT_THROW(platform::readFileBytes(dir / "folder"), framework::FileError);
}

TEST_F(PlatformFilesTest, AtomicWriteCreatesAndReplaces)
{
    platform::atomicWrite(dir / "new.txt", "first");
    EXPECT_EQ(readRaw(dir / "new.txt"), "first");
    platform::atomicWrite(dir / "new.txt", "");
    EXPECT_EQ(readRaw(dir / "new.txt"), "");
    platform::atomicWrite(dir / "new.txt", std::string("a\0b", 3));
    EXPECT_EQ(readRaw(dir / "new.txt"), std::string("a\0b", 3));
    EXPECT_EQ(folderNames(dir), std::vector<std::string>{"new.txt"});
}

TEST_F(PlatformFilesTest, AtomicWriteReplacesTheExistingCaseVariant)
{
    writeRaw(dir / "ListBunch5w4h.INI", "old");
    platform::atomicWrite(dir / "LISTBUNCH5W4H.ini", "new");
    EXPECT_EQ(folderNames(dir), std::vector<std::string>{"ListBunch5w4h.INI"});
    EXPECT_EQ(readRaw(dir / "ListBunch5w4h.INI"), "new");
}

TEST_F(PlatformFilesTest, AtomicWriteKeepsTheFilePermissions)
{
    writeRaw(dir / "private.txt", "old");
    fs::permissions(dir / "private.txt", fs::perms::owner_read | fs::perms::owner_write);
    platform::atomicWrite(dir / "private.txt", "new");
    EXPECT_EQ(fs::status(dir / "private.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(PlatformFilesTest, AtomicWriteThroughALinkKeepsTheLink)
{
    writeRaw(dir / "real.txt", "old");
    fs::create_symlink("real.txt", dir / "link.txt");
    platform::atomicWrite(dir / "link.txt", "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(readRaw(dir / "real.txt"), "new");
}

TEST_F(PlatformFilesTest, FailedSavesLeaveNothingBehind)
{
    // The folder does not exist.
    try {
        platform::atomicWrite(dir / "none" / "x.txt", "data");
        FAIL() << "no FileError";
    } catch (const framework::FileError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("Cannot create file \"" + (dir / "none" / "x.txt").string() + "\". ", 0), 0u)
            << message;
    }
    EXPECT_FALSE(fs::exists(dir / "none"));

    // The target is a folder: the rename fails after the data was written.
    fs::create_directory(dir / "target");
    writeRaw(dir / "target" / "inside.txt", "keep");
    EXPECT_THROW(platform::atomicWrite(dir / "target", "data"), framework::FileError);
    EXPECT_EQ(readRaw(dir / "target" / "inside.txt"), "keep");
    EXPECT_EQ(folderNames(dir), std::vector<std::string>{"target"});
}

TEST_F(PlatformFilesTest, SaveInterruptedWhileWritingKeepsTheOldFileWhole)
{
    const std::string old(5000, 'o');
    writeRaw(dir / "data.txt", old);

    // A file size limit makes write() fail part way, as a full disk would.
    // Root is bound by it too, unlike by file permissions.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedSignal = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool threw = false;
    try {
        platform::atomicWrite(dir / "data.txt", std::string(1 << 20, 'n'));
    } catch (const framework::FileError&) {
        threw = true;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, savedSignal);

    EXPECT_TRUE(threw);
    EXPECT_EQ(readRaw(dir / "data.txt"), old);
    EXPECT_EQ(folderNames(dir), std::vector<std::string>{"data.txt"});
}

TEST_F(PlatformFilesTest, DeleteFileAndCreateFolder)
{
    writeRaw(dir / "Gone.TXT", "x");
    EXPECT_TRUE(platform::deleteFile(dir / "gone.txt"));
    EXPECT_FALSE(fs::exists(dir / "Gone.TXT"));
    EXPECT_FALSE(platform::deleteFile(dir / "gone.txt"));

    EXPECT_TRUE(platform::createFolder(dir / "a" / "b" / "c"));
    EXPECT_TRUE(fs::is_directory(dir / "a" / "b" / "c"));
    EXPECT_TRUE(platform::createFolder(dir / "a")); // already there
    writeRaw(dir / "file", "x");
    EXPECT_FALSE(platform::createFolder(dir / "file"));
    EXPECT_FALSE(platform::createFolder(dir / "file" / "sub"));
}

// A list whose load failed, or that never ran, is not written over its
// file, nor is its chosen name over the stored one; a missing file may be
// created.
TEST_F(PlatformFilesTest, AListFileIsWrittenBackOnlyOnceLoaded)
{
    framework::Form form("Form");
    auto& box = form.make<framework::ComboBox>("Box", nullptr);
    platform::ListFile list(box, "List", "Chosen");
    const auto path = dir / "list.txt";
    const auto iniPath = dir / "Base.INI";
    writeRaw(iniPath, "[List]\r\nChosen=Kept\r\n");

    box.setItems({"Default"});
    box.setText("Typed");
    EXPECT_THROW(list.load(dir / "missing.txt"), framework::FileError);
    EXPECT_EQ(box.items(), std::vector<std::string>{"Default"});
    EXPECT_TRUE(list.save(path)); // no file yet: created
    writeRaw(path, "A\r\nB\r\n");
    EXPECT_FALSE(list.save(path));
    EXPECT_EQ(readRaw(path), "A\r\nB\r\n");
    {
        platform::IniFile ini(iniPath);
        list.writeChoice(ini);
        ini.flush();
    }
    EXPECT_EQ(platform::IniFile(iniPath).readString("List", "Chosen", ""), "Kept");

    list.load(path);
    EXPECT_EQ(box.items(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(box.text(), "Typed");
    EXPECT_TRUE(list.addChoice());
    EXPECT_TRUE(list.save(path));
    EXPECT_EQ(readRaw(path), "A\r\nB\r\nTyped\r\n");
    box.setText("yp"); // a part of a listed name counts as listed
    EXPECT_FALSE(list.addChoice());
}

TEST(PlatformSafeJoinTest, KeepsDataPathsInsideTheBase)
{
    const fs::path base = "/data/folder";
    EXPECT_EQ(platform::safeJoin(base, "\\TVFThemaHobby.tvf"), base / "TVFThemaHobby.tvf");
    EXPECT_EQ(platform::safeJoin(base, "sub\\x.INI"), base / "sub" / "x.INI");
    EXPECT_EQ(platform::safeJoin(base, "sub/./x.INI"), base / "sub" / "x.INI");
    EXPECT_EQ(platform::safeJoin(base, "a\\..\\b.txt"), base / "b.txt");
    EXPECT_EQ(platform::safeJoin(base, "//\\\\b.txt"), base / "b.txt");
    EXPECT_EQ(platform::safeJoin(base, "/etc/passwd"), base / "etc" / "passwd");

    EXPECT_EQ(platform::safeJoin(base, "..\\..\\etc\\passwd"), std::nullopt);
    EXPECT_EQ(platform::safeJoin(base, ".."), std::nullopt);
    EXPECT_EQ(platform::safeJoin(base, "a/../../b"), std::nullopt);
    EXPECT_EQ(platform::safeJoin(base, "a\\b\\..\\..\\..\\b"), std::nullopt);
    EXPECT_EQ(platform::safeJoin(base, std::string_view("a\0b", 3)), std::nullopt);
}

} // namespace
