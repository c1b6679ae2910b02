#pragma once
// A blocking-looking TCP client for the user-interface thread. Every wait
// (name lookup, connect, read, write) goes through the application's gated
// wait on the socket's readiness, so the windows keep painting, Escape
// cancels, and no other handler runs in the middle of an exchange. Names
// are looked up on a worker thread; a dotted address is used as it is.
// Time-outs are measured with the application clock.
//
// IPv4 only: the product site and every mirror we ship addresses for are
// reachable over IPv4, and the "address 0" convention of the invalid-host
// handling below depends on it.

#include <cstdint>
#include <functional>
#include <string>

#include "net/socket_errors.h"

namespace net {

// The name lookup: the address in host byte order, or 0 with error set to
// the error number. It runs on the lookup thread. Tests put a slow or
// failing one in place; an empty one restores the system's.
using NameResolver = std::function<uint32_t(const std::string& host, int& error)>;
void setNameResolver(NameResolver resolver);

class SocketClient {
public:
    SocketClient();
    virtual ~SocketClient();
    SocketClient(const SocketClient&) = delete;
    SocketClient& operator=(const SocketClient&) = delete;

    // Where to connect. With Proxy set, the connection goes to Proxy and
    // ProxyPort instead.
    std::string Host;
    int Port = 0;
    // Milliseconds without progress before a wait gives up; 0 waits for
    // ever (until Cancel).
    int TimeOut = 60000;
    // Status messages up to this level reach OnStatus.
    int ReportLevel = 1;
    std::string Proxy;
    int ProxyPort = 0;

    std::function<void()> OnConnect;
    std::function<void()> OnDisconnect;
    // The host could not be resolved. Set handled (after changing Host,
    // for example) to have it resolved once more.
    std::function<void(bool& handled)> OnInvalidHost;
    std::function<void()> OnHostResolved;
    std::function<void(const std::string& text)> OnStatus;
    std::function<void()> OnConnectionFailed;
    std::function<void()> OnPacketRecvd;
    std::function<void()> OnPacketSent;
    std::function<void(int number, const std::string& text)> OnError;

    void Connect();
    // Closes the connection; OnDisconnect fires when one was open.
    void Disconnect();
    // Ends the wait in progress (or the next one) with an AbortError. The
    // request stays in force until the next Connect.
    void Cancel();
    // Cancel, and close the connection at once when no wait is running
    // (inside a wait the waiting call closes it before it raises).
    void Abort();

    void Write(const std::string& data);
    void Writeln(const std::string& line); // appends CR LF

    // One line with its line end ("\n" or "\r\n"). At the end of the stream
    // the rest without a line end, then "".
    std::string ReadLn();
    // Up to n bytes; fewer only when the peer closes first.
    std::string Read(std::size_t n);
    // Everything until the peer closes, or until limit bytes (limit < 0:
    // no limit). Clears text and BytesRecvd first.
    void CaptureString(std::string& text, long long limit = -1);
    bool DataAvailable();
    // Throws away what has arrived and not yet been read.
    void ClearInput();

    bool Connected() const { return fd_ >= 0; }
    // Whether the peer has closed its side (all its data has arrived).
    bool PeerClosed() const { return peerClosed_; }
    // The resolved address in host byte order; 0 when the lookup failed.
    uint32_t RemoteAddress() const { return address_; }
    std::string RemoteAddressText() const;
    const std::string& Status() const { return status_; }
    // Whether Cancel or Abort was called since the last Connect.
    bool Canceled() const { return canceled_; }
    int LastError() const { return lastError_; }

    uint64_t BytesRecvd = 0;
    uint64_t BytesSent = 0;

    // Stores the text; OnStatus hears of it when ReportLevel >= level.
    void StatusMessage(int level, const std::string& text);

    // Longest line ReadLn accepts, line end excluded.
    static constexpr std::size_t kMaxLineLength = 65536;
    // Most bytes one receive takes: small for lines, which are cut from
    // the front of the input buffer; large for a capture, which receives
    // straight into its text, so a download costs few calls and one copy.
    static constexpr std::size_t kLineChunk = 16 * 1024;
    static constexpr std::size_t kCaptureChunk = 256 * 1024;

protected:
    // Raises the socket error with its table text after OnError.
    [[noreturn]] void raiseSocketError(int code);
    // Every wait from now until endExchange() ends with the time-out error
    // once ms milliseconds have passed (ms <= 0: no overall limit).
    void startExchange(int ms);
    void endExchange() { deadline_ = 0; }

private:
    enum class WaitEnd { Ready, TimedOut, PastDeadline, Canceled };
    uint32_t resolve(const std::string& host);
    // One non-blocking receive of at most max bytes, appended to target
    // (the input buffer, or a capture's text directly): bytes received, 0
    // when nothing is there yet, -1 when the peer has closed.
    long receiveInto(std::string& target, std::size_t max);
    long receiveChunk() { return receiveInto(input_, kLineChunk); }
    // One step of a read: a cancel raises, what has arrived goes into
    // target, else the gated wait for more; false once the peer has closed.
    bool receiveOrWait(std::string& target, std::size_t max, uint64_t& lastProgress, const char* message);
    // The gated wait until fd is readable (or writable), cancelled, or the
    // time-out (TimeOut ms since lastProgress) or the deadline passed.
    WaitEnd waitFor(int fd, bool forWrite, uint64_t lastProgress);
    // Whether a wait must end: cancelled, past the deadline, timed out.
    WaitEnd timeCheck(uint64_t lastProgress) const;
    // Waits for the socket to become readable or writable; raises
    // AbortError(message) on a cancel or time-out.
    void awaitSocket(bool forWrite, uint64_t lastProgress, const char* message);
    [[noreturn]] void raiseDeadline();
    // Raises AbortError(message), closing the connection first after Abort.
    [[noreturn]] void abortWait(const char* message);
    void requireConnected();
    void closeSocket();
    uint64_t now() const;

    int fd_ = -1;
    uint32_t address_ = 0;
    bool canceled_ = false;
    bool abortClose_ = false;
    bool peerClosed_ = false;
    int waiting_ = 0;
    uint64_t deadline_ = 0;
    int lastError_ = 0;
    std::string status_;
    std::string input_;
};

} // namespace net
