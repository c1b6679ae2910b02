// A batch run (`vantrel run`) of WORDS words against the product site copy
// on loopback, as a script would start it: the wall time of the whole
// command and the peak memory of all its processes (the browser engine's
// renderers among them), sampled every 100 ms.
//
//   build/bench/vantrel_bench_batch_run [WORDS] [--relative] [-- more vantrel run options]
//
// --relative starts the program in the data folder's parent and names the
// folder relative to it, as `make demo-run` does.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "http_server.h"
#include "process_tree.h"
#include "temp_dir.h"

int main(int argc, char** argv)
{
    const int words = argc > 1 ? std::atoi(argv[1]) : 51;
    bool relative = false;
    std::vector<std::string> extra;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--relative" && extra.empty())
            relative = true;
        else if (arg != "--")
            extra.push_back(arg);
    }

    testsupport::TempDir data;
    testsupport::TempDir registry;
    for (const auto& entry : std::filesystem::directory_iterator(testsupport::sourceDataFolder()))
        if (entry.path().filename() != "site")
            std::filesystem::copy(entry.path(), data.path() / entry.path().filename(),
                                  std::filesystem::copy_options::recursive);
    testsupport::HttpServer server(testsupport::sourceDataFolder() / "site");
    server.start();
    testsupport::writeRaw(data / "0Base.INI", "[Begin]\r\nLanguage=USA\r\nSiteBase=" + server.url("/") +
                                                  "\r\n[Base]\r\nURL=" + server.url("/") +
                                                  "\r\nFormName=cse-search-box\r\nInputName=q\r\n");
    std::string list;
    for (int i = 1; i <= words; ++i)
        list += (i > 1 ? "," : "") + std::string("word") + std::to_string(i);
    const std::string folder = relative ? data.path().filename().string() : data.path().string();
    std::vector<std::string> args = {VANTREL_BINARY, "run",     "--data-dir", folder,       "--theme",
                                     "Weather",      "--words", list,         "--try-time", "6"};
    args.insert(args.end(), extra.begin(), extra.end());

    const auto started = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("VANTREL_REGISTRY", (registry / "registry.ini").c_str(), 1);
        if (relative && ::chdir(data.path().parent_path().c_str()) != 0)
            ::_exit(127);
        // The per-word lines would drown the figures.
        if (!std::getenv("BENCH_VERBOSE"))
            std::freopen("/dev/null", "w", stderr);
        std::vector<char*> argvChild;
        for (auto& arg : args)
            argvChild.push_back(arg.data());
        argvChild.push_back(nullptr);
        ::execv(VANTREL_BINARY, argvChild.data());
        ::_exit(127);
    }
    benchsupport::Peak peak;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        peak.sample(child);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("batch run: %d words, try time 6 s, %s data folder%s\n", words, relative ? "relative" : "absolute",
                extra.empty() ? "" : " (more options given)");
    std::printf("exit status: %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    std::printf("wall time: %.1f s (%.2f s per word)\n", seconds, seconds / words);
    std::printf("peak memory, all processes: %.0f MiB PSS, %.0f MiB RSS in %d processes (%d renderers)\n",
                peak.pssKiB / 1024.0, peak.rssKiB / 1024.0, peak.processes, peak.renderers);
    server.stop();
    // A run that gave words up or failed is no figure to keep.
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
