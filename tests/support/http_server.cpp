#include "http_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "framework/text_util.h"

namespace testsupport {

namespace {

// Enough workers for a browser's six connections per host plus a test's own
// raw sockets; a busy pool only makes clients wait, it never drops them.
constexpr int kWorkers = 8;
constexpr int kSocketTimeoutSeconds = 10;

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trim(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r'))
        --end;
    return std::string(text.substr(begin, end - begin));
}

const char* reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 411:
        return "Length Required";
    case 413:
        return "Payload Too Large";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    default:
        return "Status";
    }
}

bool sendAll(int fd, const std::string& data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void sendResponse(int fd, const HttpResponse& response, bool headOnly)
{
    std::ostringstream out;
    out << "HTTP/1.1 " << response.status << ' ' << reasonPhrase(response.status) << "\r\n";
    out << "Content-Type: " << response.contentType << "\r\n";
    out << "Content-Length: " << response.body.size() << "\r\n";
    // Tests count requests and expect a reload to reach the server.
    out << "Cache-Control: no-store\r\n";
    out << "Connection: close\r\n";
    for (const auto& [name, value] : response.headers)
        out << name << ": " << value << "\r\n";
    out << "\r\n";
    std::string data = out.str();
    if (!headOnly)
        data += response.body;
    sendAll(fd, data);
}

// Closing a socket with unread input makes the kernel send a reset, which
// can destroy the response before the client read it (an oversized request
// is answered before it was read in full). So: end our side, then read and
// drop what the client still sends, for a short while.
void closeGracefully(int fd)
{
    ::shutdown(fd, SHUT_WR);
    timeval timeout{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    char buffer[8192];
    size_t drained = 0;
    while (drained < 4 * HttpServer::kMaxBody) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        drained += static_cast<size_t>(n);
    }
    ::close(fd);
}

bool isToken(const std::string& text)
{
    if (text.empty())
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isalnum(c) || std::strchr("!#$%&'*+-.^_`|~", c) != nullptr; });
}

// Parses the head (request line and headers, without the blank line).
// Returns 0 on success or the status to answer with.
int parseHead(const std::string& head, HttpRequest& request)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= head.size()) {
        size_t end = head.find('\n', start);
        if (end == std::string::npos)
            end = head.size();
        std::string line = head.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    if (lines.empty())
        return 400;

    const std::string& requestLine = lines.front();
    const size_t firstSpace = requestLine.find(' ');
    const size_t lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string::npos || lastSpace == firstSpace)
        return 400;
    request.method = requestLine.substr(0, firstSpace);
    request.target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    request.version = requestLine.substr(lastSpace + 1);
    if (!isToken(request.method) || request.target.empty() || request.target.find(' ') != std::string::npos)
        return 400;
    if (request.version != "HTTP/1.0" && request.version != "HTTP/1.1")
        return 400;

    std::string target = request.target;
    // Absolute form ("http://host/path") as a proxy client would send it.
    if (target.rfind("http://", 0) == 0) {
        const size_t slash = target.find('/', 7);
        target = slash == std::string::npos ? "/" : target.substr(slash);
    }
    if (target.front() != '/')
        return 400;
    const size_t fragment = target.find('#');
    if (fragment != std::string::npos)
        target.erase(fragment);
    const size_t question = target.find('?');
    const std::string rawPath = target.substr(0, question);
    request.query = question == std::string::npos ? "" : target.substr(question + 1);
    request.path = urlDecode(rawPath, false);
    if (request.path.find('\0') != std::string::npos)
        return 400;
    request.params = parseQuery(request.query);

    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        const size_t colon = lines[i].find(':');
        if (colon == std::string::npos || colon == 0)
            return 400;
        const std::string name = lower(trim(lines[i].substr(0, colon)));
        if (!isToken(name))
            return 400;
        request.headers[name] = trim(std::string_view(lines[i]).substr(colon + 1));
    }
    return 0;
}

} // namespace

// ---------------------------------------------------------------------------

std::string HttpRequest::param(const std::string& name) const
{
    for (const auto& [key, value] : params)
        if (key == name)
            return value;
    return {};
}

bool HttpRequest::hasParam(const std::string& name) const
{
    return std::any_of(params.begin(), params.end(), [&](const auto& p) { return p.first == name; });
}

std::string HttpRequest::header(const std::string& lowerCaseName) const
{
    const auto it = headers.find(lowerCaseName);
    return it == headers.end() ? std::string() : it->second;
}

HttpResponse HttpResponse::html(std::string body)
{
    HttpResponse response;
    response.body = std::move(body);
    return response;
}

HttpResponse HttpResponse::text(std::string body)
{
    HttpResponse response;
    response.contentType = "text/plain; charset=utf-8";
    response.body = std::move(body);
    return response;
}

HttpResponse HttpResponse::error(int status)
{
    HttpResponse response;
    response.status = status;
    response.contentType = "text/html; charset=utf-8";
    const std::string text = std::to_string(status) + " " + reasonPhrase(status);
    response.body =
        "<!DOCTYPE html><html><head><title>" + text + "</title></head><body><h1>" + text + "</h1></body></html>\n";
    return response;
}

HttpResponse HttpResponse::redirect(const std::string& location)
{
    HttpResponse response = html("<!DOCTYPE html><html><body>Moved</body></html>\n");
    response.status = 302;
    response.headers.emplace_back("Location", location);
    return response;
}

// ---------------------------------------------------------------------------

std::string htmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string urlDecode(std::string_view text, bool plusIsSpace)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int high = framework::hexDigitValue(text[i + 1]);
            const int low = framework::hexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += (c == '+' && plusIsSpace) ? ' ' : c;
    }
    return out;
}

std::string urlEncode(std::string_view text)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += digits[byte >> 4];
            out += digits[byte & 15];
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> parseQuery(std::string_view query)
{
    std::vector<std::pair<std::string, std::string>> params;
    size_t start = 0;
    while (start < query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string_view::npos)
            end = query.size();
        const std::string_view part = query.substr(start, end - start);
        if (!part.empty()) {
            const size_t equals = part.find('=');
            if (equals == std::string_view::npos)
                params.emplace_back(urlDecode(part, true), "");
            else
                params.emplace_back(urlDecode(part.substr(0, equals), true), urlDecode(part.substr(equals + 1), true));
        }
        start = end + 1;
    }
    return params;
}

HttpResponse searchResultPage(const HttpRequest& request)
{
    const std::string query = htmlEscape(request.param("q"));
    std::string body = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Result: " + query +
                       "</title></head>\n<body>\n<h1 id=\"heading\">Result: " + query + "</h1>\n<p id=\"query\">" +
                       query + "</p>\n<ul id=\"params\">\n";
    for (const auto& [name, value] : request.params)
        body += "<li>" + htmlEscape(name) + " = " + htmlEscape(value) + "</li>\n";
    body += "</ul>\n";
    // Result links lead to other hosts; the page's own links (back to the
    // search, a place in the page, a script link, a repeat) are there to
    // be told apart from them.
    const std::string word = urlEncode(request.param("q"));
    body += "<ol id=\"results\">\n"
            "<li><a href=\"http://example.org/search/" +
            word + "\">First result: " + query +
            "</a></li>\n"
            "<li><a href=\"https://example.net/wiki/" +
            word + "\">" + query +
            " at example.net</a></li>\n"
            "<li><a href=\"http://example.com/a?q=" +
            word +
            "\">A third place</a></li>\n"
            "</ol>\n<p id=\"own\"><a href=\"./\">Search again</a> <a href=\"#heading\">Top</a> "
            "<a href=\"javascript:void(0)\">Menu</a> <a href=\"http://example.org/search/" +
            word + "\">First result again</a></p>\n</body></html>\n";
    return HttpResponse::html(std::move(body));
}

std::string contentTypeFor(const std::filesystem::path& file)
{
    const std::string extension = lower(file.extension().string());
    if (extension == ".html" || extension == ".htm")
        return "text/html; charset=utf-8";
    if (extension == ".ini" || extension == ".txt" || extension == ".tvf")
        return "text/plain; charset=utf-8";
    if (extension == ".css")
        return "text/css; charset=utf-8";
    if (extension == ".js")
        return "text/javascript; charset=utf-8";
    if (extension == ".png")
        return "image/png";
    if (extension == ".gif")
        return "image/gif";
    if (extension == ".jpg" || extension == ".jpeg")
        return "image/jpeg";
    if (extension == ".ico")
        return "image/x-icon";
    if (extension == ".svg")
        return "image/svg+xml";
    return "application/octet-stream";
}

// ---------------------------------------------------------------------------

HttpServer::HttpServer(std::filesystem::path root) : root_(std::move(root))
{
}

HttpServer::~HttpServer()
{
    stop();
}

LoopbackListener listenOnLoopback(const std::string& who, std::uint16_t port, int backlog)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error(who + ": socket: " + std::strerror(errno));
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, backlog) != 0) {
        const std::string reason = std::strerror(errno);
        ::close(fd);
        throw std::runtime_error(who + ": cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + reason);
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return {fd, ntohs(address.sin_port)};
}

void HttpServer::start(std::uint16_t port)
{
    std::lock_guard startStop(startStopMutex_);
    if (acceptThread_.joinable())
        throw std::runtime_error("HttpServer::start: the server is already running");

    const LoopbackListener listener = listenOnLoopback("HttpServer", port, 128);
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0) {
        ::close(listener.fd);
        throw std::runtime_error(std::string("HttpServer: pipe: ") + std::strerror(errno));
    }

    listenFd_ = listener.fd;
    port_ = listener.port;
    stopping_ = false;
    for (int i = 0; i < kWorkers; ++i)
        workers_.emplace_back([this] { workerLoop(); });
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

void HttpServer::stop()
{
    std::lock_guard startStop(startStopMutex_);
    if (!acceptThread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(wakePipe_[1], &byte, 1);
    queueReady_.notify_all();
    acceptThread_.join();
    for (auto& worker : workers_)
        worker.join();
    workers_.clear();
    for (const int fd : pending_)
        ::close(fd);
    pending_.clear();
    ::close(listenFd_);
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    listenFd_ = wakePipe_[0] = wakePipe_[1] = -1;
    port_ = 0;
}

bool HttpServer::running() const
{
    return port_.load() != 0;
}

std::string HttpServer::url(const std::string& path) const
{
    std::string result = "http://127.0.0.1:" + std::to_string(port());
    if (path.empty() || path.front() != '/')
        result += '/';
    return result + path;
}

void HttpServer::handle(const std::string& path, Handler handler)
{
    std::lock_guard lock(mutex_);
    handlers_[path] = std::move(handler);
}

void HttpServer::setSearchResults(bool enabled)
{
    std::lock_guard lock(mutex_);
    searchResults_ = enabled;
}

int HttpServer::hits(const std::string& path) const
{
    std::lock_guard lock(mutex_);
    const auto it = hits_.find(path);
    return it == hits_.end() ? 0 : it->second;
}

std::vector<std::string> HttpServer::requestLog() const
{
    std::lock_guard lock(mutex_);
    return log_;
}

void HttpServer::acceptLoop()
{
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    while (!stopping_) {
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents != 0)
            break;
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        {
            std::lock_guard lock(mutex_);
            pending_.push_back(client);
        }
        queueReady_.notify_one();
    }
}

void HttpServer::workerLoop()
{
    for (;;) {
        int fd = -1;
        {
            std::unique_lock lock(mutex_);
            queueReady_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (stopping_)
                return;
            fd = pending_.front();
            pending_.pop_front();
        }
        serveConnection(fd);
        closeGracefully(fd);
    }
}

void HttpServer::serveConnection(int fd)
{
    timeval timeout{kSocketTimeoutSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);

    std::string data;
    size_t headEnd = std::string::npos;
    size_t separator = 0;
    char buffer[8192];
    while (headEnd == std::string::npos) {
        if (stopping_)
            return;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A browser may open a spare connection and close it unused;
            // only a cut-off request deserves an answer.
            if (!data.empty())
                sendResponse(fd, HttpResponse::error(400), false);
            return;
        }
        data.append(buffer, static_cast<size_t>(n));
        const size_t crlf = data.find("\r\n\r\n");
        const size_t lf = data.find("\n\n");
        if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf)) {
            headEnd = crlf;
            separator = 4;
        } else if (lf != std::string::npos) {
            headEnd = lf;
            separator = 2;
        }
        if (headEnd == std::string::npos ? data.size() > kMaxHead : headEnd > kMaxHead) {
            sendResponse(fd, HttpResponse::error(431), false);
            return;
        }
    }

    HttpRequest request;
    if (const int status = parseHead(data.substr(0, headEnd), request); status != 0) {
        sendResponse(fd, HttpResponse::error(status), false);
        return;
    }

    request.body = data.substr(headEnd + separator);
    if (!request.header("transfer-encoding").empty()) {
        sendResponse(fd, HttpResponse::error(501), false);
        return;
    }
    const std::string lengthText = request.header("content-length");
    if (!lengthText.empty()) {
        if (!std::all_of(lengthText.begin(), lengthText.end(), [](unsigned char c) { return std::isdigit(c); }) ||
            lengthText.size() > 12) {
            sendResponse(fd, HttpResponse::error(400), false);
            return;
        }
        const size_t length = std::stoull(lengthText);
        if (length > kMaxBody) {
            sendResponse(fd, HttpResponse::error(413), false);
            return;
        }
        while (request.body.size() < length) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                sendResponse(fd, HttpResponse::error(400), false);
                return;
            }
            request.body.append(buffer, static_cast<size_t>(n));
        }
        request.body.resize(length);
    } else if (!request.body.empty()) {
        // Bytes after the head without a length: a pipelined request we do
        // not serve (every response closes the connection).
        request.body.clear();
    }
    if (request.header("content-type").rfind("application/x-www-form-urlencoded", 0) == 0) {
        for (auto& param : parseQuery(request.body))
            request.params.push_back(std::move(param));
    }

    HttpResponse response;
    try {
        response = respond(request);
    } catch (const std::exception&) {
        response = HttpResponse::error(500);
    }
    sendResponse(fd, response, request.method == "HEAD");
}

HttpResponse HttpServer::respond(const HttpRequest& request)
{
    Handler handler;
    bool searchResults = false;
    {
        std::lock_guard lock(mutex_);
        ++hits_[request.path];
        log_.push_back(request.target);
        const auto it = handlers_.find(request.path);
        if (it != handlers_.end())
            handler = it->second;
        searchResults = searchResults_;
    }
    if (handler)
        return handler(request);

    const bool isGet = request.method == "GET" || request.method == "HEAD";
    if (isGet) {
        HttpResponse file = serveFile(request.path);
        if (file.status != 404)
            return file;
    }
    if (searchResults && (isGet || request.method == "POST")) {
        const std::string name = request.path.substr(request.path.rfind('/') + 1);
        if (name == "result" || name == "result.html")
            return searchResultPage(request);
    }
    if (!isGet)
        return HttpResponse::error(405);
    return HttpResponse::error(404);
}

HttpResponse HttpServer::serveFile(const std::string& path) const
{
    if (root_.empty())
        return HttpResponse::error(404);
    // Only plain names below the root: no "..", no "." segments.
    std::filesystem::path relative;
    size_t start = 1;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string segment = path.substr(start, end - start);
        if (segment == "..")
            return HttpResponse::error(403);
        if (!segment.empty() && segment != ".")
            relative /= segment;
        start = end + 1;
    }
    std::filesystem::path file = root_ / relative;
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
        // Relative links of the folder's index page need the trailing slash.
        if (path.back() != '/') {
            std::string location;
            for (const auto& segment : std::filesystem::path(path).relative_path())
                location += "/" + urlEncode(segment.string());
            return HttpResponse::redirect(location + "/");
        }
        file /= "index.html";
    } else if (!path.empty() && path.back() == '/')
        return HttpResponse::error(404);
    if (!std::filesystem::is_regular_file(file, error))
        return HttpResponse::error(404);
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return HttpResponse::error(403);
    std::ostringstream content;
    content << in.rdbuf();
    HttpResponse response;
    response.contentType = contentTypeFor(file);
    response.body = content.str();
    // The site copy names the product site's address; served here, its
    // pages and update files name this server instead.
    if (response.contentType.rfind("text/", 0) == 0) {
        static const std::string productSite = "http://vantrel.example/";
        const std::string here = url("/");
        for (size_t at = response.body.find(productSite); at != std::string::npos;
             at = response.body.find(productSite, at + here.size()))
            response.body.replace(at, productSite.size(), here);
    }
    return response;
}

} // namespace testsupport
