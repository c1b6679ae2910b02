#pragma once
// The HTTP/1.0 client that fetches update files and word lists from the
// product site. Every call is synchronous: it returns after the whole
// exchange, redirects included, with every event already fired. The reply
// is kept in memory (Body, Header); there is no file mode.

#include <functional>
#include <string>

#include "net/socket_client.h"

namespace net {

// A request that cannot be made (bad address) or a reply we refuse to
// process (garbage status line, oversized header or body, redirect loop).
class HttpError : public framework::Error {
public:
    using framework::Error::Error;
};

// Where a request for an address goes, taken apart the way the client
// does it (HttpClient::ParseURL): the scheme before the first ":" in lower
// case ("" when there is none), the host, the port (written after the host,
// else the scheme's: 443 https, 21 ftp, 70 gopher, 80 the rest) and the
// path (empty when it has none). An address that starts with a single "/" keeps the
// current host and port. A caller that must know where a redirect leads
// before it is followed asks this.
struct RequestTarget {
    std::string scheme;
    std::string host;
    int port = 80;
    bool portWritten = false; // the address named its port
    std::string path;
};
RequestTarget requestTarget(const std::string& url, const std::string& currentHost, int currentPort);

// Optional request header values; empty ones are not sent.
struct HttpHeaderInfo {
    std::string LocalMailAddress; // From
    std::string LocalProgram;     // User-Agent
    std::string Cookie;
    std::string Referer;
    std::string UserId; // Basic authorization when both are set
    std::string Password;
};

class HttpClient : public SocketClient {
public:
    HttpClient();

    // The address of the current request; follows redirects.
    std::string URL;
    // Path part of URL as sent on the request line ("/" at least).
    std::string Path;
    // Reply body and header (the status line and every header line, each
    // ended by CR LF, then the empty line that closed the header).
    std::string Body;
    std::string Header;
    HttpHeaderInfo HeaderInfo;
    // Value of the last Set-Cookie header of the reply.
    std::string CookieIn;
    // Value of the Location header of the reply.
    std::string Location;
    int ReplyNumber = 0;
    // Content-Length of the reply, -1 when it had none. The body is read
    // until the server closes; a successful reply that ends before this
    // many bytes is an error, not a short file.
    long long ExpectedLength = -1;
    // Milliseconds one request may take from the first lookup to the last
    // byte of its last redirect, however slowly the server sends; the
    // time-out text reports it. 0: no limit.
    int ExchangeTimeOut = 5 * 60 * 1000;

    // Protection against hostile servers.
    int MaxRedirects = 10;
    long long MaxBodyLength = 64LL * 1024 * 1024; // 0: no limit
    static constexpr int kMaxHeaderLines = 1000;
    static constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
    static constexpr std::size_t kMaxPathLength = 256;
    static constexpr std::size_t kMaxHeaderValue = 256;

    std::function<void()> OnAboutToSend;
    std::function<void(const std::string& command)> OnSuccess;
    std::function<void(const std::string& command)> OnFailure;
    // A 300-302 reply; set handled to stop instead of following it.
    std::function<void(bool& handled)> OnRedirect;
    std::function<void()> OnAuthenticationNeeded;

    // One request at a time: a request made while one runs (from one of
    // its event handlers) is refused with HttpError and leaves the running
    // one alone.
    void Get(const std::string& url);
    void Head(const std::string& url);
    void Options(const std::string& url);
    void Delete(const std::string& url);
    // POST sends data form-encoded (urlEncode); the others send it as is.
    void Post(const std::string& url, const std::string& data);
    void Put(const std::string& url, const std::string& data);
    void Patch(const std::string& url, const std::string& data);
    void Trace(const std::string& url, const std::string& data);
    // destination goes into the URI-header line.
    void Copy(const std::string& url, const std::string& destination);
    void Move(const std::string& url, const std::string& destination);
    // link goes into the Link line.
    void Link(const std::string& url, const std::string& link);
    void Unlink(const std::string& url, const std::string& link);

    // Splits url into Host, Port and Path and stores it in URL (with "/"
    // appended when it has no path). A url starting with "/" keeps the
    // current Host and Port.
    void ParseURL(const std::string& url);

    // The request header for command as it goes on the wire, ending with
    // the empty line. body is what follows it (its length is sent for the
    // commands that carry one); argument is the URI-header or Link value.
    std::string RequestHeader(const std::string& command, const std::string& body,
                              const std::string& argument = {}) const;

    bool Busy() const { return busy_; }

    // In OnRedirect: the address the redirect will request (URL holds the
    // Location as sent), for requestTarget with the current Host and Port.
    std::string RedirectAddress() const;

private:
    void request(const std::string& command, const std::string& url, const std::string& data,
                 const std::string& argument = {});
    void readReplyHeader();
    // Makes room in Body for the announced reply.
    void reserveBody(long long limit);
    // Most a reply's announcement may have reserved before its bytes came.
    static constexpr long long kMaxBodyReserve = 64LL * 1024 * 1024;
    bool busy_ = false;
};

} // namespace net
