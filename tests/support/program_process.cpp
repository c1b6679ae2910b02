#include "program_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace testsupport {

ProgramProcess::ProgramProcess(const std::string& program, const std::vector<std::string>& arguments,
                               const std::vector<std::string>& environment, const std::string& input,
                               const std::string& workingDirectory)
{
    int errPipe[2];
    int inPipe[2];
    if (::pipe2(errPipe, O_CLOEXEC) != 0 || ::pipe2(inPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(errPipe[1], STDERR_FILENO);
        ::dup2(inPipe[0], STDIN_FILENO);
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0)
            ::_exit(127);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        for (const std::string& setting : environment) {
            const auto equals = setting.find('=');
            ::setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
        }
        std::vector<std::string> args{program};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(errPipe[1]);
    ::close(inPipe[0]);
    err_ = errPipe[0];
    if (!input.empty()) [[maybe_unused]]
        auto written = ::write(inPipe[1], input.data(), input.size());
    ::close(inPipe[1]);
}

ProgramProcess::~ProgramProcess()
{
    if (pid_ > 0 && !exited_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(err_);
}

bool ProgramProcess::waitForError(const std::string& text, std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (stderr_.find(text) == std::string::npos && std::chrono::steady_clock::now() < end)
        readSome(100);
    return stderr_.find(text) != std::string::npos;
}

void ProgramProcess::signal(int number)
{
    ::kill(pid_, number);
}

int ProgramProcess::waitForExit(std::chrono::seconds limit)
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

bool ProgramProcess::readSome(int ms)
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

} // namespace testsupport
