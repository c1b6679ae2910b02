// The per-user registry file, the data folder choice and the site address.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

#include "platform/data_folder.h"
#include "platform/ini_file.h"
#include "platform/registry.h"

namespace {

namespace fs = std::filesystem;

// Sets or clears environment variables for one test and puts the old values
// back afterwards.
class EnvironmentGuard {
public:
    ~EnvironmentGuard()
    {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    void set(const std::string& name, const std::string& value)
    {
        remember(name);
        setenv(name.c_str(), value.c_str(), 1);
    }
    void clear(const std::string& name)
    {
        remember(name);
        unsetenv(name.c_str());
    }

private:
    void remember(const std::string& name)
    {
        if (saved_.count(name) == 0) {
            const char* value = getenv(name.c_str());
            saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
        }
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

class PlatformTempFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vantrel-registry-XXXXXX").string();
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
        fs::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    std::string readRaw(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir;
    EnvironmentGuard env;
};

using PlatformRegistryTest = PlatformTempFolderTest;
using PlatformDataFolderTest = PlatformTempFolderTest;

const std::string SoftsKey = "Software\\Orrinax\\Ubrith";

TEST_F(PlatformRegistryTest, FileLocation)
{
    env.set("VANTREL_REGISTRY", (dir / "override.ini").string());
    env.set("XDG_CONFIG_HOME", (dir / "config").string());
    EXPECT_EQ(platform::registryFile(), dir / "override.ini");

    env.clear("VANTREL_REGISTRY");
    EXPECT_EQ(platform::registryFile(), dir / "config" / "Orrinax" / "registry.ini");

    env.clear("XDG_CONFIG_HOME");
    env.set("HOME", (dir / "home").string());
    EXPECT_EQ(platform::registryFile(), dir / "home" / ".config" / "Orrinax" / "registry.ini");

    env.set("XDG_CONFIG_HOME", "relative/config"); // not valid, so ignored
    EXPECT_EQ(platform::registryFile(), dir / "home" / ".config" / "Orrinax" / "registry.ini");
}

TEST_F(PlatformRegistryTest, OpeningCreatesTheKeyAndItsFolder)
{
    const fs::path file = dir / "config" / "Orrinax" / "registry.ini";
    env.clear("VANTREL_REGISTRY");
    env.set("XDG_CONFIG_HOME", (dir / "config").string());
    {
        platform::RegIniFile key(SoftsKey);
        ASSERT_TRUE(fs::exists(file)) << "the key must exist while it is open";
        EXPECT_TRUE(platform::IniFile(file).sectionExists(SoftsKey));
    }
    // Opening an existing key leaves the file alone.
    writeRaw(file, "[" + SoftsKey + "]\r\nkept=1\r\n");
    {
        platform::RegIniFile key(SoftsKey);
    }
    EXPECT_EQ(readRaw(file), "[" + SoftsKey + "]\r\nkept=1\r\n");
}

TEST_F(PlatformRegistryTest, ValuesRoundTripThroughSubkeySections)
{
    const fs::path file = dir / "registry.ini";
    env.set("VANTREL_REGISTRY", file.string());
    {
        platform::RegIniFile key(SoftsKey);
        key.writeInteger("Softs", "Count", -12345);
        key.writeString("Softs", "Name", " padded ");
        key.writeString("Softs", "Word", "abc");
        key.writeInteger("", "Top", 7);
    }
    const platform::IniFile ini(file);
    EXPECT_EQ(ini.readString(SoftsKey + "\\Softs", "Count", ""), "-12345");
    EXPECT_EQ(ini.readString(SoftsKey, "Top", ""), "7");

    const platform::RegIniFile key(SoftsKey);
    EXPECT_EQ(key.readInteger("Softs", "Count", 0), -12345);
    EXPECT_EQ(key.readString("Softs", "Name", ""), " padded ");
    EXPECT_EQ(key.readInteger("Softs", "Word", 42), 42);
    EXPECT_EQ(key.readInteger("Softs", "Missing", 43), 43);
    EXPECT_EQ(key.readInteger("Other", "Count", 44), 44);
    EXPECT_EQ(key.readInteger("", "Top", 0), 7);
}

TEST_F(PlatformDataFolderTest, ResolutionOrder)
{
    const fs::path exeDir = dir / "bin";
    writeRaw(exeDir / "0language.TXT", ""); // case variant of 0Language.txt
    platform::DataFolderInputs inputs;
    inputs.dataDirOption = (dir / "option").string();
    inputs.envDataDir = (dir / "env").string();
    inputs.exeDir = exeDir;
    inputs.xdgDataHome = dir / "share";
    inputs.distribution = dir / "dist";

    EXPECT_EQ(platform::resolveDataFolder(inputs), dir / "option");
    inputs.dataDirOption.clear();
    EXPECT_EQ(platform::resolveDataFolder(inputs), dir / "env");
    inputs.envDataDir.clear();
    EXPECT_EQ(platform::resolveDataFolder(inputs), exeDir);
    EXPECT_FALSE(fs::exists(dir / "share")) << "only the last choice creates a folder";

    fs::remove(exeDir / "0language.TXT");
    EXPECT_EQ(platform::resolveDataFolder(inputs), dir / "share" / "vantrel");
    EXPECT_TRUE(fs::is_directory(dir / "share" / "vantrel")) << "created even without a distribution set";
}

// The browser engine's helper processes do not resolve paths against our
// working directory: the folder is absolute and canonical from the start,
// whatever the user typed.
TEST_F(PlatformDataFolderTest, AFolderTheUserGaveIsMadeAbsoluteAndCanonical)
{
    fs::create_directories(dir / "real" / "data");
    fs::create_directory_symlink(dir / "real", dir / "link");
    platform::DataFolderInputs inputs;
    inputs.workingDirectory = dir / "real" / "data";
    inputs.dataDirOption = "../../link/./data/";
    EXPECT_EQ(platform::resolveDataFolder(inputs), dir / "real" / "data");
    inputs.dataDirOption.clear();
    inputs.envDataDir = "new/folder";
    EXPECT_EQ(platform::resolveDataFolder(inputs), dir / "real" / "data" / "new" / "folder");

    // Against the current directory when none is given.
    const fs::path before = fs::current_path();
    fs::current_path(dir / "link");
    EXPECT_EQ(platform::absoluteUserPath("data/x.csv"), dir / "real" / "data" / "x.csv");
    EXPECT_EQ(platform::absoluteUserPath(""), fs::path());
    fs::current_path(before);
}

TEST_F(PlatformDataFolderTest, SeedsFromTheDistributionWithoutOverwriting)
{
    writeRaw(dir / "dist" / "0Language.txt", "English");
    writeRaw(dir / "dist" / "List.INI", "distribution list");
    writeRaw(dir / "dist" / "Themes" / "Sub" / "Hobby.tvf", "theme");
    const fs::path data = dir / "share" / "vantrel";
    writeRaw(data / "0Language.txt", "user's choice");
    writeRaw(data / "list.ini", "user's list"); // same file to the program

    platform::DataFolderInputs inputs;
    inputs.exeDir = dir / "bin";
    inputs.xdgDataHome = dir / "share";
    inputs.distribution = dir / "dist";
    EXPECT_EQ(platform::resolveDataFolder(inputs), data);

    EXPECT_EQ(readRaw(data / "0Language.txt"), "user's choice");
    EXPECT_EQ(readRaw(data / "list.ini"), "user's list");
    EXPECT_FALSE(fs::exists(data / "List.INI"));
    EXPECT_EQ(readRaw(data / "Themes" / "Sub" / "Hobby.tvf"), "theme");

    // Seeding again restores what the user deleted, nothing else.
    fs::remove(data / "Themes" / "Sub" / "Hobby.tvf");
    writeRaw(data / "0Language.txt", "changed again");
    platform::seedFolder(dir / "dist", data);
    EXPECT_EQ(readRaw(data / "Themes" / "Sub" / "Hobby.tvf"), "theme");
    EXPECT_EQ(readRaw(data / "0Language.txt"), "changed again");
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(data)) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 3u) << "no temporary files may be left";
}

TEST_F(PlatformDataFolderTest, SiteBaseAddress)
{
    EXPECT_EQ(platform::siteBaseAddress(dir), platform::DefaultSiteBase);

    writeRaw(dir / "0base.ini", "[Begin]\r\nCodePage=932\r\n");
    EXPECT_EQ(platform::siteBaseAddress(dir), platform::DefaultSiteBase);

    writeRaw(dir / "0base.ini", "[begin]\r\nsitebase=http://mirror.test/site\r\n");
    EXPECT_EQ(platform::siteBaseAddress(dir), "http://mirror.test/site/");

    writeRaw(dir / "0base.ini", "[Begin]\r\nSiteBase = http://mirror.test/site/ \r\n");
    EXPECT_EQ(platform::siteBaseAddress(dir), "http://mirror.test/site/");
}

} // namespace
