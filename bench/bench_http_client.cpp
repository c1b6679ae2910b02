// The HTTP client's own speed: a large body served on loopback, fetched by
// net::HttpClient inside the application on the real Qt services (every
// wait is the gated wait on Qt's event loop, woken by the socket), and by
// curl in the same run, alternately, several times each. Prints the
// median and fastest wall times, the CPU time of the fetching process and
// the ratio of the medians.
//
// The server is a thread of this program that sends one prepared reply
// (header and body in one buffer) per connection and closes, so both
// clients get the same bytes at the same cost.
//
//   build/bench/vantrel_bench_http_client [--mib N] [--repetitions N]

#include <QApplication>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/application.h"
#include "http_server.h"
#include "net/http_client.h"
#include "ui/qt_services.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double cpuMs(const rusage& usage)
{
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double threadCpuMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return cpuMs(usage);
}

// One prepared reply for every connection, sent as fast as the kernel
// takes it.
class BulkServer {
public:
    // piece > 0: the reply goes out in sends of that many bytes, each
    // pushed at once (no Nagle), like a server that writes as it reads.
    BulkServer(std::string reply, std::size_t piece) : reply_(std::move(reply)), piece_(piece)
    {
        const testsupport::LoopbackListener listener = testsupport::listenOnLoopback("bench server");
        listenFd_ = listener.fd;
        port_ = listener.port;
        thread_ = std::thread([this] { run(); });
    }
    ~BulkServer()
    {
        stopping_ = true;
        thread_.join();
        ::close(listenFd_);
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/bulk.bin"; }

private:
    void run()
    {
        while (!stopping_) {
            pollfd p{listenFd_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0)
                serve(fd);
        }
    }
    void serve(int fd)
    {
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            head.append(buffer, static_cast<std::size_t>(n));
        }
        if (piece_ > 0) {
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        }
        std::size_t sent = 0;
        while (sent < reply_.size()) {
            const std::size_t count = piece_ > 0 ? std::min(piece_, reply_.size() - sent) : reply_.size() - sent;
            const ssize_t n = ::send(fd, reply_.data() + sent, count, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
        // End our side and let the client close, so no reset can cut the
        // reply short.
        ::shutdown(fd, SHUT_WR);
        timeval timeout{2, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
        ::close(fd);
    }

    std::string reply_;
    std::size_t piece_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// The Qt pump, counting what the client asks of it.
class CountingPump : public framework::EventPump {
public:
    CountingPump() : real_(std::make_unique<ui::QtEventPump>()) {}
    void waitForEvents(int maxMs, int fd, bool forWrite) override
    {
        ++turns;
        real_->waitForEvents(maxMs, fd, forWrite);
    }
    void waitStarted() override
    {
        ++waits;
        real_->waitStarted();
    }
    void waitEnded() override { real_->waitEnded(); }
    long turns = 0;
    long waits = 0;

private:
    std::unique_ptr<ui::QtEventPump> real_;
};

std::string findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= rest.size()) {
        const std::size_t end = std::min(rest.find(':', start), rest.size());
        const std::filesystem::path candidate = std::filesystem::path(rest.substr(start, end - start)) / name;
        if (!candidate.parent_path().empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
        start = end + 1;
    }
    return {};
}

struct CurlRun {
    bool ok = false;
    double wallMs = 0;
    double cpuMs = 0;
    double ownMs = 0; // curl's own time_total: the exchange without the start
};

CurlRun runCurl(const std::string& curl, const std::string& url)
{
    CurlRun run;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<std::string> args = {curl, "-s", "-o", "/dev/null", "-w", "%{time_total}", url};
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto started = Clock::now();
    pid_t child = 0;
    const int rc = posix_spawn(&child, curl.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        return run;
    }
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    run.wallMs = msSince(started);
    run.cpuMs = cpuMs(usage);
    run.ownMs = std::atof(text.c_str()) * 1000.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double fastest(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

struct Figures {
    std::vector<double> wall, cpu;
    long waits = 0, turns = 0;
    int fetches = 0;
};

// Fetches of url by a fresh HttpClient each (as a download starts), in a
// handler of the application, checked against body.
bool fetchWithClient(framework::Application& application, CountingPump& pump, const std::string& url,
                     const std::string& body, Figures* figures)
{
    net::HttpClient client;
    client.TimeOut = 10000;
    bool ok = false;
    const long turnsBefore = pump.turns;
    const long waitsBefore = pump.waits;
    const double cpuBefore = threadCpuMs();
    const auto started = Clock::now();
    application.dispatch([&] {
        client.Get(url);
        ok = client.ReplyNumber == 200 && client.Body.size() == body.size();
    });
    const double wall = msSince(started);
    const double cpu = threadCpuMs() - cpuBefore;
    if (!ok || client.Body != body) {
        std::fprintf(stderr, "HttpClient: the fetch failed (%d, %zu bytes)\n", client.ReplyNumber, client.Body.size());
        return false;
    }
    if (figures) {
        figures->wall.push_back(wall);
        figures->cpu.push_back(cpu);
        figures->waits += pump.waits - waitsBefore;
        figures->turns += pump.turns - turnsBefore;
        ++figures->fetches;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int mib = 10;
    int repetitions = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--mib")
            mib = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--repetitions")
            repetitions = std::max(1, std::atoi(argv[i + 1]));
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qt(argc, argv);

    const std::size_t size = static_cast<std::size_t>(mib) * 1024 * 1024;
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>((i * 7 + i / 4096) & 0xff);
    const std::string reply =
        "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " + std::to_string(size) +
        "\r\n\r\n" + body;

    auto pump = std::make_shared<CountingPump>();
    framework::Services services = ui::makeQtServices();
    services.pump = pump;
    framework::Application application(services);
    application.setUnattended(true);

    const std::string curl = findProgram("curl");
    std::printf("http client: %d MiB over loopback, %d repetitions each, alternating (medians, fastest in "
                "brackets)\n",
                mib, repetitions);
    if (curl.empty())
        std::printf("curl: not found on PATH, its runs are skipped\n");

    struct Case {
        const char* label;
        std::size_t piece;
    };
    for (const Case& c : {Case{"one send", 0}, Case{"16 KiB sends", 16384}}) {
        BulkServer server(reply, c.piece);
        const std::string url = server.url();
        // One of each first, for the caches.
        if (!fetchWithClient(application, *pump, url, body, nullptr))
            return 1;
        if (!curl.empty())
            runCurl(curl, url);
        Figures ours;
        std::vector<double> curlWall, curlCpu, curlOwn;
        for (int i = 0; i < repetitions; ++i) {
            if (!fetchWithClient(application, *pump, url, body, &ours))
                return 1;
            if (curl.empty())
                continue;
            const CurlRun run = runCurl(curl, url);
            if (!run.ok) {
                std::fprintf(stderr, "curl failed\n");
                return 1;
            }
            curlWall.push_back(run.wallMs);
            curlCpu.push_back(run.cpuMs);
            curlOwn.push_back(run.ownMs);
        }
        std::printf("server: %s\n", c.label);
        std::printf("  HttpClient::Get         wall %6.1f ms (%6.1f)  cpu %6.1f ms  %.0f waits, %.0f pump turns "
                    "per fetch\n",
                    median(ours.wall), fastest(ours.wall), median(ours.cpu),
                    static_cast<double>(ours.waits) / ours.fetches, static_cast<double>(ours.turns) / ours.fetches);
        if (curl.empty())
            continue;
        std::printf("  curl -s -o /dev/null    wall %6.1f ms (%6.1f)  cpu %6.1f ms  its own time_total %.1f ms\n",
                    median(curlWall), fastest(curlWall), median(curlCpu), median(curlOwn));
        std::printf("  HttpClient / curl: %.2f of its wall time, %.2f of its time_total\n",
                    median(ours.wall) / median(curlWall), median(ours.wall) / median(curlOwn));
    }

    // What one turn of the gated wait costs when its descriptor is ready
    // at once: the price of every wake-up of a slow download.
    const int ready = ::eventfd(1, EFD_CLOEXEC);
    const int turns = 20000;
    int turn = 0;
    framework::Application::Wait wait;
    wait.fd = ready;
    wait.sliceMs = 100;
    wait.done = [&] { return turn++ >= turns; };
    const double cpuBefore = threadCpuMs();
    const auto started = Clock::now();
    application.wait(wait);
    const double wallUs = msSince(started) * 1000.0 / turns;
    std::printf("gated wait: %.1f us wall, %.1f us cpu per pump turn on a ready descriptor\n", wallUs,
                (threadCpuMs() - cpuBefore) * 1000.0 / turns);
    // And a whole wait of one turn, as the socket layer waits each time
    // its socket runs dry.
    const int waits = 5000;
    int turnOfWait = 0;
    wait.done = [&] { return turnOfWait++ % 2 == 1; };
    const double waitCpuBefore = threadCpuMs();
    const auto waitsStarted = Clock::now();
    for (int i = 0; i < waits; ++i)
        application.wait(wait);
    std::printf("gated wait: %.1f us wall, %.1f us cpu per wait of one turn\n", msSince(waitsStarted) * 1000.0 / waits,
                (threadCpuMs() - waitCpuBefore) * 1000.0 / waits);
    ::close(ready);
    return 0;
}
