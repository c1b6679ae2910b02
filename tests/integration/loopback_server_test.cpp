// The loopback server the browser tests serve their pages from, through
// raw sockets.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "http_server.h"
#include "temp_dir.h"

using testsupport::HttpRequest;
using testsupport::HttpResponse;
using testsupport::HttpServer;

namespace {

struct RawResponse {
    int status = 0;
    std::string head;
    std::string body;
    std::string header(const std::string& name) const
    {
        const std::string key = "\r\n" + name + ": ";
        const size_t at = head.find(key);
        if (at == std::string::npos)
            return {};
        const size_t start = at + key.size();
        return head.substr(start, head.find("\r\n", start) - start);
    }
};

RawResponse rawRequest(std::uint16_t port, const std::string& request)
{
    RawResponse response;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return response;
    }
    size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
    // Like a client that sent its whole request: the server sees the end.
    ::shutdown(fd, SHUT_WR);
    std::string data;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        data.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    const size_t end = data.find("\r\n\r\n");
    if (data.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos)
        return response;
    response.status = std::stoi(data.substr(9, 3));
    response.head = data.substr(0, end + 2);
    response.body = data.substr(end + 4);
    return response;
}

RawResponse get(std::uint16_t port, const std::string& target)
{
    return rawRequest(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

class LoopbackServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::writeRaw(site / "index.html", "<html>home</html>");
        testsupport::writeRaw(site / "USA" / "index.html", "<html>usa</html>");
        testsupport::writeRaw(site / "USA" / "Hlp.INI", "[Help]\r\nA=1\r\n");
        testsupport::writeRaw(site / "USA" / "notes.txt", "notes");
        testsupport::writeRaw(site / "USA" / "tree.tvf", "tree");
        testsupport::writeRaw(site / "USA" / "logo.png", "\x89PNG");
        testsupport::writeRaw(site / "fixed" / "result.html", "<html>a file wins</html>");
        testsupport::writeRaw(outside / "secret.txt", "secret");
        server.start();
    }

    testsupport::TempDir outside;
    testsupport::TempDir siteRoot;
    std::filesystem::path site = siteRoot.path() / "site";
    HttpServer server{site};
};

TEST_F(LoopbackServerTest, ServesFilesWithTheirContentTypes)
{
    const auto ini = get(server.port(), "/USA/Hlp.INI");
    EXPECT_EQ(ini.status, 200);
    EXPECT_EQ(ini.body, "[Help]\r\nA=1\r\n");
    EXPECT_EQ(ini.header("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(ini.header("Content-Length"), "13");
    EXPECT_EQ(ini.header("Connection"), "close");
    EXPECT_EQ(get(server.port(), "/USA/notes.txt").header("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(get(server.port(), "/USA/tree.tvf").header("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(get(server.port(), "/USA/logo.png").header("Content-Type"), "image/png");

    const auto folder = get(server.port(), "/USA/");
    EXPECT_EQ(folder.status, 200);
    EXPECT_EQ(folder.body, "<html>usa</html>");
    EXPECT_EQ(folder.header("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(get(server.port(), "/").body, "<html>home</html>");
    const auto bare = get(server.port(), "/USA");
    EXPECT_EQ(bare.status, 302);
    EXPECT_EQ(bare.header("Location"), "/USA/");

    const auto head = rawRequest(server.port(), "HEAD /USA/notes.txt HTTP/1.0\r\n\r\n");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.header("Content-Length"), "5");
    EXPECT_EQ(head.body, "");
    EXPECT_EQ(server.hits("/USA/notes.txt"), 2);
}

TEST_F(LoopbackServerTest, AnswersMissingAndOutsidePathsWithErrors)
{
    EXPECT_EQ(get(server.port(), "/USA/none.html").status, 404);
    EXPECT_EQ(get(server.port(), "/USA/notes.txt/").status, 404);
    const std::string escape = "/../" + outside.path().filename().string() + "/secret.txt";
    EXPECT_EQ(get(server.port(), escape).status, 403);
    EXPECT_EQ(get(server.port(), "/USA/%2e%2e/%2e%2e/" + outside.path().filename().string() + "/secret.txt").status,
              403);
    EXPECT_EQ(rawRequest(server.port(), "DELETE /USA/notes.txt HTTP/1.1\r\n\r\n").status, 405);
}

TEST_F(LoopbackServerTest, RejectsMalformedAndOversizedRequests)
{
    EXPECT_EQ(rawRequest(server.port(), "GARBAGE\r\n\r\n").status, 400);
    EXPECT_EQ(rawRequest(server.port(), "GET /index.html HTTP/2.0\r\n\r\n").status, 400);
    EXPECT_EQ(rawRequest(server.port(), "GET index.html HTTP/1.1\r\n\r\n").status, 400);
    EXPECT_EQ(rawRequest(server.port(), "GET /index.html HTTP/1.1\r\nNo colon here\r\n\r\n").status, 400);
    EXPECT_EQ(rawRequest(server.port(), "POST /x HTTP/1.1\r\nContent-Length: 12x\r\n\r\n").status, 400);
    EXPECT_EQ(
        rawRequest(server.port(), "GET /index.html HTTP/1.1\r\nX-Big: " + std::string(70 * 1024, 'a') + "\r\n\r\n")
            .status,
        431);
    EXPECT_EQ(rawRequest(server.port(), "POST /x HTTP/1.1\r\nContent-Length: 99999999\r\n\r\n").status, 413);
    // A cut-off request gets an answer too; the server goes on serving.
    EXPECT_EQ(rawRequest(server.port(), "GET /index.html HTT").status, 400);
    EXPECT_EQ(get(server.port(), "/index.html").status, 200);
}

TEST_F(LoopbackServerTest, SearchResultPagesEchoTheQueryEscaped)
{
    const auto result = get(server.port(), "/USA/result?q=%3Cb%3E+%26+%E6%97%A5&cx=1");
    EXPECT_EQ(result.status, 200);
    EXPECT_NE(result.body.find("<title>Result: &lt;b&gt; &amp; \xE6\x97\xA5</title>"), std::string::npos)
        << result.body;
    EXPECT_EQ(result.body.find("<b>"), std::string::npos);

    const auto html = get(server.port(), "/any/where/result.html?q=plain");
    EXPECT_NE(html.body.find("<title>Result: plain</title>"), std::string::npos) << html.body;
    EXPECT_EQ(get(server.port(), "/fixed/result.html?q=x").body, "<html>a file wins</html>");
    EXPECT_EQ(get(server.port(), "/USA/results?q=x").status, 404);

    server.setSearchResults(false);
    EXPECT_EQ(get(server.port(), "/USA/result?q=x").status, 404);
}

TEST_F(LoopbackServerTest, HandlersSeeTheDecodedRequest)
{
    HttpRequest seen;
    std::mutex mutex;
    server.handle("/echo path", [&](const HttpRequest& request) {
        std::lock_guard lock(mutex);
        seen = request;
        HttpResponse response = HttpResponse::text("echo");
        response.headers.emplace_back("X-Extra", "yes");
        return response;
    });

    const std::string body = "word=a+b%21&word=second&empty=";
    const auto response = rawRequest(server.port(), "POST /echo%20path?q=%E6%97%A5+x HTTP/1.1\r\n"
                                                    "Host: 127.0.0.1\r\nX-Custom-Header: Value 1\r\n"
                                                    "Content-Type: application/x-www-form-urlencoded\r\n"
                                                    "Content-Length: " +
                                                        std::to_string(body.size()) + "\r\n\r\n" + body);

    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "echo");
    EXPECT_EQ(response.header("X-Extra"), "yes");
    std::lock_guard lock(mutex);
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.path, "/echo path");
    EXPECT_EQ(seen.query, "q=%E6%97%A5+x");
    EXPECT_EQ(seen.param("q"), "\xE6\x97\xA5 x");
    EXPECT_EQ(seen.param("word"), "a b!");
    EXPECT_TRUE(seen.hasParam("empty"));
    EXPECT_FALSE(seen.hasParam("missing"));
    EXPECT_EQ(seen.header("x-custom-header"), "Value 1");
    EXPECT_EQ(seen.body, body);
}

TEST_F(LoopbackServerTest, ServesManyClientsAtOnceAndStopsCleanly)
{
    std::atomic<int> ok{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < 40; ++i)
        clients.emplace_back([&] {
            if (get(server.port(), "/USA/notes.txt").body == "notes")
                ++ok;
        });
    for (auto& client : clients)
        client.join();
    EXPECT_EQ(ok.load(), 40);

    const std::uint16_t port = server.port();
    server.stop();
    EXPECT_FALSE(server.running());
    EXPECT_EQ(get(port, "/index.html").status, 0);
    server.stop(); // twice is fine
    server.start(port);
    EXPECT_EQ(server.port(), port);
    EXPECT_EQ(get(port, "/index.html").body, "<html>home</html>");
    EXPECT_EQ(server.url("x.html"), "http://127.0.0.1:" + std::to_string(port) + "/x.html");
}

} // namespace
