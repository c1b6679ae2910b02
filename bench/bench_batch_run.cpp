// A batch run (`vantrel run`) of WORDS words against the product site copy
// on loopback, as a script would start it: the wall time of the whole
// command, the peak memory of all its processes (the browser engine's
// renderers among them), sampled every 100 ms, and the requests the site
// got.
//
//   build/bench/vantrel_bench_batch_run [WORDS] [--relative] [--address] [--slow MS]
//                                       [-- more vantrel run options]
//
// --relative starts the program in the data folder's parent and names the
// folder relative to it, as `make demo-run` does. --address gives the site
// as a search address (its result page's address with {query}) instead of
// its search page and form. --slow MS makes the site answer every page
// (search page and result pages) after MS milliseconds.

#include <signal.h>
#include <sys/resource.h>
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
    bool address = false;
    int slowMs = 0;
    std::vector<std::string> extra;
    bool passOn = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--")
            passOn = true;
        else if (passOn)
            extra.push_back(arg);
        else if (arg == "--relative")
            relative = true;
        else if (arg == "--address")
            address = true;
        else if (arg == "--slow" && i + 1 < argc)
            slowMs = std::atoi(argv[++i]);
        else
            extra.push_back(arg);
    }

    testsupport::TempDir data;
    testsupport::TempDir registry;
    testsupport::copyDataSet(data.path());
    testsupport::HttpServer server(testsupport::sourceDataFolder() / "site");
    if (slowMs > 0) {
        // A site that takes its time for every page, and lets no cache
        // answer for it, as search sites do.
        const std::string searchPage =
            testsupport::readRaw(testsupport::sourceDataFolder() / "site" / "USA" / "index.html");
        const auto slowly = [slowMs](testsupport::HttpResponse response) {
            std::this_thread::sleep_for(std::chrono::milliseconds(slowMs));
            response.headers.emplace_back("Cache-Control", "no-store");
            return response;
        };
        server.handle("/USA/", [=](const testsupport::HttpRequest&) {
            return slowly(testsupport::HttpResponse::html(searchPage));
        });
        server.handle("/USA/result", [=](const testsupport::HttpRequest& request) {
            return slowly(testsupport::searchResultPage(request));
        });
    }
    server.start();
    const std::string site = address ? "URL=" + server.url("/USA/result?q={query}") + "\r\n"
                                     : "URL=" + server.url("/") + "\r\nFormName=cse-search-box\r\nInputName=q\r\n";
    testsupport::writeRaw(data / "0Base.INI",
                          "[Begin]\r\nLanguage=USA\r\nSiteBase=" + server.url("/") + "\r\n[Base]\r\n" + site);
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
    // The CPU time of the program and its browser engine's processes: on a
    // machine others share, steadier than the wall time.
    struct rusage usage {};
    while (::wait4(child, &status, WNOHANG, &usage) == 0) {
        peak.sample(child);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("batch run: %d words, try time 6 s, %s data folder, the site %s%s%s\n", words,
                relative ? "relative" : "absolute", address ? "by its search address" : "by its form",
                slowMs > 0 ? (", answering in " + std::to_string(slowMs) + " ms").c_str() : "",
                extra.empty() ? "" : " (more options given)");
    std::printf("exit status: %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    std::vector<std::string> requests = server.requestLog();
    std::erase_if(requests, [](const std::string& target) { return target.rfind("/favicon", 0) == 0; });
    std::printf("requests to the site: %zu (%.2f per word)\n", requests.size(),
                static_cast<double>(requests.size()) / words);
    std::printf("wall time: %.1f s (%.2f s per word)\n", seconds, seconds / words);
    const auto secondsOf = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    std::printf("CPU time, all processes: %.1f s (%.1f s user, %.1f s system)\n",
                secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime), secondsOf(usage.ru_utime),
                secondsOf(usage.ru_stime));
    std::printf("peak memory, all processes: %.0f MiB PSS, %.0f MiB RSS in %d processes (%d renderers)\n",
                peak.pssKiB / 1024.0, peak.rssKiB / 1024.0, peak.processes, peak.renderers);
    server.stop();
    // A run that gave words up or failed is no figure to keep.
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
