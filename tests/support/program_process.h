#pragma once
// The program as a separate process, for tests of what the user or a script
// sees from outside: its arguments, its standard error, its exit status.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace testsupport {

class ProgramProcess {
public:
    // Starts program with the arguments; environment holds "NAME=value"
    // settings added to the test's own (QT_QPA_PLATFORM=offscreen always).
    // Standard error is collected; standard input is empty unless given.
    // It runs in workingDirectory when one is given.
    ProgramProcess(const std::string& program, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment = {}, const std::string& input = {},
                   const std::string& workingDirectory = {});
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // Reads standard error until it holds text or the time runs out.
    bool waitForError(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(60));
    void signal(int number);
    // The exit status (128 + the signal when killed), or -1 when the
    // program still runs at the end of the time.
    int waitForExit(std::chrono::seconds limit = std::chrono::seconds(30));
    const std::string& errorOutput() const { return stderr_; }
    pid_t pid() const { return pid_; }

private:
    bool readSome(int ms);
    pid_t pid_ = -1;
    int err_ = -1;
    bool exited_ = false;
    std::string stderr_;
};

// The program built with the tests.
inline std::string vantrelBinary()
{
    return VANTREL_BINARY;
}

} // namespace testsupport
