#pragma once
// A small HTTP/1.0-1.1 server on the loopback interface for the browser
// tests, the memory benchmark and the demo site. It serves the files of a
// folder, answers paths registered with handle(), and answers the search
// form of a site copy: a GET of ".../result" or ".../result.html" that is
// neither a file nor a registered path returns a result page titled
// "Result: <q>".
//
// Every response closes its connection, so a request never waits behind an
// idle keep-alive connection. The server listens on 127.0.0.1 only.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

struct HttpRequest {
    std::string method;  // "GET", "POST", ...
    std::string target;  // as sent: "/dir/result?q=a+b"
    std::string path;    // decoded, without the query: "/dir/result"
    std::string query;   // raw text after '?'
    std::string version; // "HTTP/1.1"
    // Decoded parameters of the query and of a form-encoded body, in order.
    std::vector<std::pair<std::string, std::string>> params;
    // Header names in lower case.
    std::map<std::string, std::string> headers;
    std::string body;

    // The first value of a parameter; empty when it is missing.
    std::string param(const std::string& name) const;
    bool hasParam(const std::string& name) const;
    std::string header(const std::string& lowerCaseName) const;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;

    static HttpResponse html(std::string body);
    static HttpResponse text(std::string body);
    static HttpResponse error(int status);
    static HttpResponse redirect(const std::string& location);
};

// The result page the server answers a search with: titled "Result: <q>",
// with three result links to other hosts and a few links of its own.
HttpResponse searchResultPage(const HttpRequest& request);

// A TCP socket listening on 127.0.0.1:port (0 picks a free port), and the
// port it got. Throws std::runtime_error, naming `who`, when it cannot.
struct LoopbackListener {
    int fd = -1;
    std::uint16_t port = 0;
};
LoopbackListener listenOnLoopback(const std::string& who, std::uint16_t port = 0, int backlog = 16);

class HttpServer {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    // root may be empty: then only registered paths and search results are
    // answered.
    explicit HttpServer(std::filesystem::path root = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds 127.0.0.1:port (0 picks a free port) and starts serving.
    // Throws std::runtime_error when the port cannot be bound.
    void start(std::uint16_t port = 0);
    // Stops accepting, finishes the requests in progress and joins the
    // threads. Safe to call twice and from the destructor.
    void stop();
    bool running() const;

    std::uint16_t port() const { return port_.load(); }
    // "http://127.0.0.1:PORT" + path (a leading '/' is added when missing).
    std::string url(const std::string& path = "/") const;

    // Answers requests for exactly this decoded path (any method). A
    // handler runs on a worker thread; it must be thread-safe.
    void handle(const std::string& path, Handler handler);
    // Whether ".../result" and ".../result.html" answer search requests
    // when no file or handler is there. On by default.
    void setSearchResults(bool enabled);

    // How many requests arrived for a decoded path; for tests that check a
    // page was really fetched again.
    int hits(const std::string& path) const;
    // The targets of all requests so far, in arrival order.
    std::vector<std::string> requestLog() const;

    // Limits: a request head larger than this is answered with 431, a body
    // larger than kMaxBody with 413.
    static constexpr std::size_t kMaxHead = 64 * 1024;
    static constexpr std::size_t kMaxBody = 1024 * 1024;

private:
    void acceptLoop();
    void workerLoop();
    void serveConnection(int fd);
    HttpResponse respond(const HttpRequest& request);
    HttpResponse serveFile(const std::string& path) const;

    std::filesystem::path root_;
    std::atomic<std::uint16_t> port_{0};
    std::atomic<bool> stopping_{false};
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::thread acceptThread_;
    std::vector<std::thread> workers_;

    std::mutex startStopMutex_;
    mutable std::mutex mutex_;
    std::condition_variable queueReady_;
    std::deque<int> pending_;
    std::map<std::string, Handler> handlers_;
    std::map<std::string, int> hits_;
    std::vector<std::string> log_;
    bool searchResults_ = true;
};

// Helpers shared with the site server program and the tests.
std::string htmlEscape(std::string_view text);
// Percent-decoding; '+' becomes a space when plusIsSpace (query strings and
// form bodies).
std::string urlDecode(std::string_view text, bool plusIsSpace);
// Percent-encodes everything except unreserved characters (RFC 3986).
std::string urlEncode(std::string_view text);
// Splits "a=1&b=2" into decoded pairs.
std::vector<std::pair<std::string, std::string>> parseQuery(std::string_view query);
// The result page of a search: title "Result: <q>", the query echoed.
HttpResponse searchResultPage(const HttpRequest& request);
// Content type for a file name, by extension.
std::string contentTypeFor(const std::filesystem::path& file);

} // namespace testsupport
