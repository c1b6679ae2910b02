// The real program as a separate process, offscreen: a close the system
// asks for (SIGTERM) while a start-up error box is open never waits on the
// box, never saves what was not loaded, and reports failed saves on
// standard error.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/ini_file.h"
#include "platform/text_store.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The program, started with its own data folder and registry file; its
// standard error is collected.
class Program {
public:
    Program(const fs::path& dataDir, const std::string& registry)
    {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(pipeFds[1], STDERR_FILENO);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("VANTREL_REGISTRY", registry.c_str(), 1);
            const std::string dir = dataDir.string();
            ::execl(VANTREL_BINARY, VANTREL_BINARY, "--data-dir", dir.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        err_ = pipeFds[0];
    }
    ~Program()
    {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(err_);
    }

    // Reads standard error until it holds text or the time runs out.
    bool waitForError(const std::string& text, std::chrono::seconds limit = 60s)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (stderr_.find(text) == std::string::npos && std::chrono::steady_clock::now() < end)
            readSome(100);
        return stderr_.find(text) != std::string::npos;
    }

    void signal(int number) { ::kill(pid_, number); }

    // The exit status, or -1 when the program is still running at the end.
    int waitForExit(std::chrono::seconds limit = 30s)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                while (readSome(0)) {
                }
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            readSome(50);
        }
        return -1;
    }

    const std::string& errorOutput() const { return stderr_; }

private:
    bool readSome(int ms)
    {
        pollfd p{err_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = ::read(err_, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        stderr_.append(buffer, static_cast<size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int err_ = -1;
    bool exited_ = false;
    std::string stderr_;
};

class ProgramSignalTest : public ::testing::Test {
protected:
    // A data folder carried over from the Windows program: it lacks the
    // free-site and operation-site lists, whose load reports an error box
    // at start-up.
    void SetUp() override
    {
        fs::copy(testsupport::sourceDataFolder(), data.path(), fs::copy_options::recursive);
        fs::remove_all(data.path() / "site");
        for (const char* name : {"FreeSerchSite.txt", "ManipSite.txt"})
            fs::remove(data.path() / "USA" / name);
        testsupport::writeRaw(data.path() / "0Base.INI", "[Begin]\r\nLanguage=USA\r\n");
        categories = platform::loadLines(data.path() / "USA" / "TVFCategory.txt");
        ASSERT_FALSE(categories.empty());
        platform::IniFile base(data.path() / "USA" / "Base.INI");
        category = base.readString("TVF", "Category", "");
        tree = platform::loadLines(data.path() / "USA" / ("TVFThema" + category + ".tvf"));
        ASSERT_FALSE(tree.empty());
    }

    void expectListsKept()
    {
        EXPECT_EQ(platform::loadLines(data.path() / "USA" / "TVFCategory.txt"), categories);
        platform::IniFile base(data.path() / "USA" / "Base.INI");
        EXPECT_EQ(base.readString("TVF", "Category", "?"), category);
        EXPECT_EQ(platform::loadLines(data.path() / "USA" / ("TVFThema" + category + ".tvf")), tree);
    }

    testsupport::TempDir data;
    testsupport::TempDir config;
    std::vector<std::string> categories;
    std::string category;
    std::vector<std::string> tree;
};

TEST_F(ProgramSignalTest, SigtermWhileAStartUpBoxIsOpenEndsTheProgramAndKeepsTheLists)
{
    Program program(data.path(), (config.path() / "registry.ini").string());
    ASSERT_TRUE(program.waitForError("FreeSerchSite.txt")) << program.errorOutput();
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), 0) << program.errorOutput();
    expectListsKept();
}

TEST_F(ProgramSignalTest, AFailedCloseTimeSaveGoesToStandardErrorAndTheProgramStillEnds)
{
    // The registry cannot be written: its box comes first at start-up, and
    // the family registration at close fails again.
    Program program(data.path(), "/proc/vantrel-no-such-folder/registry.ini");
    ASSERT_TRUE(program.waitForError("registry.ini")) << program.errorOutput();
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), 0) << program.errorOutput();
    const std::string& output = program.errorOutput();
    const auto later = output.find("FreeSerchSite.txt");
    ASSERT_NE(later, std::string::npos) << output;
    EXPECT_NE(output.find("registry.ini", later), std::string::npos) << output;
    expectListsKept();
}

}  // namespace
