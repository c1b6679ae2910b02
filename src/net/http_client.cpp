#include "net/http_client.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "net/net_text.h"

namespace net {

namespace {

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Values that end up in the request header come partly from the server
// (cookies, redirect addresses); a stray CR or LF in them would let the
// server add header lines of its own.
std::string oneLine(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            result += c;
    return result;
}

std::string withoutLineEnd(std::string line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// Text after "Name:" with the blanks that follow the colon skipped, at
// most max characters.
std::string headerValue(const std::string& line, std::size_t nameLength, std::size_t max)
{
    std::size_t pos = nameLength;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    return line.substr(std::min(pos, line.size()), max);
}

bool parseNumber(std::string_view text, long long& value)
{
    if (text.empty())
        return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// The printable start of what the server sent, for error messages.
std::string excerpt(const std::string& text)
{
    std::string result;
    for (char c : text.substr(0, 60))
        result += (static_cast<unsigned char>(c) >= 32 && c != 127) ? c : '?';
    return result;
}

bool carriesBody(const std::string& command)
{
    return command == "POST" || command == "PUT" || command == "PATCH" || command == "TRACE";
}

} // namespace

HttpClient::HttpClient()
{
    Port = 80;
}

RequestTarget requestTarget(const std::string& url, const std::string& currentHost, int currentPort)
{
    RequestTarget target;
    const bool relative = !url.empty() && url[0] == '/' && url.compare(0, 2, "//") != 0;
    if (relative) {
        // Host and port stay those of the previous request.
        target.scheme = "http";
        target.host = currentHost;
        target.port = currentPort;
        target.path = url;
    } else {
        const std::size_t colon = url.find(':');
        target.scheme = colon == std::string::npos ? std::string() : lower(url.substr(0, colon));

        const std::size_t firstSlash = url.find('/');
        const bool slashes = firstSlash != std::string::npos && url.compare(firstSlash, 2, "//") == 0;
        std::string host;
        if (slashes) {
            const std::size_t hostStart = firstSlash + 2;
            const std::size_t hostEnd = url.find('/', hostStart);
            host = url.substr(hostStart, hostEnd == std::string::npos ? std::string::npos : hostEnd - hostStart);
            if (hostEnd != std::string::npos)
                target.path = url.substr(hostEnd);
        } else {
            host = url.substr(0, firstSlash);
            if (firstSlash != std::string::npos)
                target.path = url.substr(firstSlash);
        }

        if (target.scheme == "https")
            target.port = 443;
        else if (target.scheme == "ftp")
            target.port = 21;
        else if (target.scheme == "gopher")
            target.port = 70;
        else
            target.port = 80;
        const std::size_t portColon = host.find(':');
        if (portColon != std::string::npos) {
            long long port = 0;
            if (parseNumber(host.substr(portColon + 1), port) && port > 0 && port <= 65535) {
                target.port = static_cast<int>(port);
                target.portWritten = true;
            }
            host.erase(portColon);
        }
        target.host = host;
    }
    if (target.port == 0)
        target.port = 80;
    if (target.path.size() > HttpClient::kMaxPathLength)
        target.path.resize(HttpClient::kMaxPathLength);
    return target;
}

void HttpClient::ParseURL(const std::string& url)
{
    if (url.empty())
        throw HttpError("Empty URL");
    const RequestTarget target = requestTarget(url, Host, Port);
    if (target.scheme == "https")
        throw HttpError("HTTP Secure Socket is not supported");
    Host = target.host;
    Port = target.port;
    // A URL without a path is requested as "/" and gains it.
    URL = target.path.empty() ? url + "/" : url;
    Path = target.path.empty() ? "/" : target.path;
}

std::string HttpClient::RequestHeader(const std::string& command, const std::string& body,
                                      const std::string& argument) const
{
    std::string target = Path;
    if (!Proxy.empty()) {
        // A proxy needs the whole address; a relative one gets ours.
        target = URL;
        if (target.empty() || target[0] == '/')
            target = "http://" + Host + (Port != 80 ? ":" + std::to_string(Port) : std::string()) + Path;
    }

    std::string header;
    auto line = [&header](const std::string& text) { header += oneLine(text) + "\r\n"; };
    line(command + " " + target + " HTTP/1.0");
    if (!Proxy.empty())
        line("Proxy-Connection: Keep-Alive");
    line("Host: " + Host);
    line("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
    line("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
    if (!HeaderInfo.LocalProgram.empty())
        line("User-Agent: " + HeaderInfo.LocalProgram);
    if (!HeaderInfo.LocalMailAddress.empty())
        line("From: " + HeaderInfo.LocalMailAddress);
    if (!HeaderInfo.Cookie.empty())
        line("Cookie: " + HeaderInfo.Cookie);
    if (!HeaderInfo.Referer.empty())
        line("Referer: " + HeaderInfo.Referer);
    if (!HeaderInfo.UserId.empty() && !HeaderInfo.Password.empty())
        line("Authorization: Basic " + base64Encode(HeaderInfo.UserId + ":" + HeaderInfo.Password));
    line("Content-type: application/x-www-form-urlencoded");
    if (command == "COPY" || command == "MOVE")
        line("URI-header: " + argument);
    if (command == "LINK" || command == "UNLINK")
        line("Link: " + argument);
    if (carriesBody(command))
        line("Content-Length: " + std::to_string(body.size()));
    header += "\r\n";
    return header;
}

void HttpClient::readReplyHeader()
{
    ReplyNumber = 0;
    CookieIn.clear();
    Header.clear();
    Location.clear();
    ExpectedLength = -1;

    const std::string statusRaw = ReadLn();
    if (statusRaw.empty())
        throw HttpError("The server closed the connection without a reply");
    const std::string status = withoutLineEnd(statusRaw);
    {
        const std::size_t start = status.find(' ');
        if (start != std::string::npos) {
            const std::size_t wordStart = status.find_first_not_of(' ', start);
            if (wordStart != std::string::npos) {
                const std::size_t wordEnd = status.find(' ', wordStart);
                long long code = 0;
                if (parseNumber(std::string_view(status).substr(wordStart, wordEnd == std::string::npos
                                                                               ? std::string_view::npos
                                                                               : wordEnd - wordStart),
                                code) &&
                    code >= 0 && code <= 999)
                    ReplyNumber = static_cast<int>(code);
            }
        }
    }
    if (status.compare(0, 5, "HTTP/") != 0 || ReplyNumber < 100) {
        ReplyNumber = 0;
        throw HttpError("Invalid reply from the server: " + excerpt(status));
    }
    Header = status + "\r\n";

    std::size_t total = statusRaw.size();
    int lines = 0;
    for (;;) {
        const std::string raw = ReadLn();
        if (raw.empty())
            break; // the server closed: no body
        const std::string line = withoutLineEnd(raw);
        if (line.empty()) {
            Header += "\r\n";
            break;
        }
        total += raw.size();
        if (++lines > kMaxHeaderLines || total > kMaxHeaderBytes)
            throw HttpError("Reply header too large");
        Header += line + "\r\n";

        const std::string word = upper(line.substr(0, line.find(' ')));
        if (word == "SET-COOKIE:") {
            CookieIn = headerValue(line, 11, kMaxHeaderValue);
        } else if (word == "LOCATION:") {
            Location = headerValue(line, 9, kMaxHeaderValue);
        } else if (word == "CONTENT-LENGTH:") {
            long long length = 0;
            const std::string value = headerValue(line, 15, 32);
            if (parseNumber(value.substr(0, value.find_last_not_of(" \t") + 1), length) && length >= 0)
                ExpectedLength = length;
        }
    }
}

void HttpClient::reserveBody(long long limit)
{
    // A large body grown step by step is copied and faulted in about twice
    // over; the announced length lets it arrive into its place. One byte
    // more leaves room to see the end of the stream without growing. The
    // length comes from the server, so it is held to the body limit.
    if (ExpectedLength <= 0)
        return;
    long long room = ExpectedLength < kMaxBodyReserve ? ExpectedLength + 1 : kMaxBodyReserve;
    if (limit >= 0)
        room = std::min(room, limit);
    Body.reserve(static_cast<std::size_t>(room));
}

void HttpClient::request(const std::string& command, const std::string& url, const std::string& data,
                         const std::string& argument)
{
    if (busy_)
        throw HttpError("A download is still running: " + URL + " (try again when it has ended)");
    busy_ = true;
    startExchange(ExchangeTimeOut);
    struct Done {
        HttpClient& client;
        ~Done()
        {
            client.endExchange();
            client.busy_ = false;
        }
    } done{*this};

    const std::string body = command == "POST" ? urlEncode(data) : data;
    std::string next = url;
    int redirects = 0;
    for (;;) {
        ParseURL(next);
        if (OnAboutToSend)
            OnAboutToSend();
        ReplyNumber = 0;
        Body.clear();
        try {
            Connect();
            std::string message = RequestHeader(command, body, argument);
            if (carriesBody(command))
                message += body;
            Write(message);
            readReplyHeader();
            const long long limit = MaxBodyLength > 0 ? MaxBodyLength + 1 : -1;
            reserveBody(limit);
            CaptureString(Body, limit);
            if (MaxBodyLength > 0 && static_cast<long long>(Body.size()) > MaxBodyLength) {
                Body.clear();
                throw HttpError("Reply body too large");
            }
            // A dropped connection must not pass for a short file.
            const bool bodyExpected = command != "HEAD" && ReplyNumber >= 200 && ReplyNumber < 300 &&
                                      ReplyNumber != 204 && ExpectedLength >= 0;
            if (bodyExpected && static_cast<long long>(Body.size()) < ExpectedLength) {
                const std::string got = std::to_string(Body.size());
                Body.clear();
                throw HttpError("The connection closed before the whole reply arrived (" + got + " of " +
                                std::to_string(ExpectedLength) + " bytes)");
            }
            if (ReplyNumber < 300) {
                if (OnSuccess)
                    OnSuccess(command);
                StatusMessage(2, "Transaction Completed");
            } else if (ReplyNumber <= 302) {
                if (!Location.empty())
                    URL = Location;
            } else if (ReplyNumber >= 400) {
                if (OnFailure)
                    OnFailure(command);
            }
        } catch (...) {
            Disconnect();
            throw;
        }
        Disconnect();

        if (ReplyNumber == 401 && OnAuthenticationNeeded)
            OnAuthenticationNeeded();
        // A redirect without an address leaves nothing to follow.
        if (ReplyNumber < 300 || ReplyNumber > 302 || Location.empty())
            return;

        if (!CookieIn.empty())
            HeaderInfo.Cookie = CookieIn;
        bool handled = false;
        if (OnRedirect)
            OnRedirect(handled);
        if (handled)
            return;
        if (Canceled())
            throw AbortError("Connection Canceled");
        if (++redirects > MaxRedirects)
            throw HttpError("Too many redirects");
        next = RedirectAddress();
    }
}

std::string HttpClient::RedirectAddress() const
{
    // A bare name is a file beside the current one, on the same host.
    if (URL.find('/') == std::string::npos)
        return "http://" + Host + (Port != 80 ? ":" + std::to_string(Port) : std::string()) + "/" + URL;
    return URL;
}

void HttpClient::Get(const std::string& url)
{
    request("GET", url, {});
}
void HttpClient::Head(const std::string& url)
{
    request("HEAD", url, {});
}
void HttpClient::Options(const std::string& url)
{
    request("OPTIONS", url, {});
}
void HttpClient::Delete(const std::string& url)
{
    request("DELETE", url, {});
}
void HttpClient::Post(const std::string& url, const std::string& data)
{
    request("POST", url, data);
}
void HttpClient::Put(const std::string& url, const std::string& data)
{
    request("PUT", url, data);
}
void HttpClient::Patch(const std::string& url, const std::string& data)
{
    request("PATCH", url, data);
}
void HttpClient::Trace(const std::string& url, const std::string& data)
{
    request("TRACE", url, data);
}
void HttpClient::Copy(const std::string& url, const std::string& destination)
{
    request("COPY", url, {}, destination);
}
void HttpClient::Move(const std::string& url, const std::string& destination)
{
    request("MOVE", url, {}, destination);
}
void HttpClient::Link(const std::string& url, const std::string& link)
{
    request("LINK", url, {}, link);
}
void HttpClient::Unlink(const std::string& url, const std::string& link)
{
    request("UNLINK", url, {}, link);
}

} // namespace net
