#include "net/socket_client.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "framework/application.h"

namespace net {

namespace {

// Marks a wait in progress so Abort() knows whether it may close the
// socket itself.
class WaitScope {
public:
    explicit WaitScope(int& counter) : counter_(counter) { ++counter_; }
    ~WaitScope() { --counter_; }

private:
    int& counter_;
};

}  // namespace

SocketClient::SocketClient() = default;

SocketClient::~SocketClient() { closeSocket(); }

uint64_t SocketClient::now() const { return framework::app().clock().tickCount(); }

void SocketClient::StatusMessage(int level, const std::string& text)
{
    status_ = text;
    if (ReportLevel >= level && OnStatus)
        OnStatus(text);
}

void SocketClient::raiseSocketError(int code)
{
    lastError_ = code;
    const std::string text = socketErrorText(code);
    if (OnError)
        OnError(code, text);
    throw SocketError(text, code);
}

void SocketClient::abortWait(const char* message)
{
    if (abortClose_)
        Disconnect();
    throw AbortError(message);
}

uint32_t SocketClient::resolve(const std::string& host)
{
    if (host.empty()) {
        lastError_ = kErrHostNotFound;
        return 0;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &result);
    if (rc != 0 || !result) {
        lastError_ = socketErrorFromLookup(rc != 0 ? rc : EAI_NONAME);
        return 0;
    }
    uint32_t address = 0;
    for (addrinfo* entry = result; entry && address == 0; entry = entry->ai_next)
        if (entry->ai_family == AF_INET)
            address = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
    ::freeaddrinfo(result);
    if (address == 0)
        lastError_ = kErrHostNotFound;
    return address;
}

std::string SocketClient::RemoteAddressText() const
{
    in_addr in{};
    in.s_addr = htonl(address_);
    char buffer[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &in, buffer, sizeof buffer);
    return buffer;
}

void SocketClient::Connect()
{
    StatusMessage(8, "Connecting");
    if (fd_ >= 0)
        throw SocketError("Already connected", 10056);
    canceled_ = false;
    abortClose_ = false;
    peerClosed_ = false;
    input_.clear();
    lastError_ = 0;

    auto targetHost = [this] { return Proxy.empty() ? Host : Proxy; };
    address_ = resolve(targetHost());
    if (address_ == 0) {
        bool handled = false;
        if (OnInvalidHost)
            OnInvalidHost(handled);
        if (handled)
            address_ = resolve(targetHost());
        if (address_ == 0)
            throw SocketError("Null Remote Address", lastError_);
    }
    if (OnHostResolved)
        OnHostResolved();

    const int port = Proxy.empty() ? Port : ProxyPort;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        raiseSocketError(socketErrorFromErrno(errno));

    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<uint16_t>(port));
    target.sin_addr.s_addr = htonl(address_);

    bool connected = false;
    bool timedOut = false;
    bool canceled = false;
    int failure = 0;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
        connected = true;
    } else if (errno != EINPROGRESS && errno != EINTR) {
        failure = socketErrorFromErrno(errno);
    } else {
        WaitScope scope(waiting_);
        const uint64_t start = now();
        for (;;) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 0) > 0) {
                int err = 0;
                socklen_t length = sizeof err;
                if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &length) != 0)
                    err = errno;
                if (err == 0)
                    connected = true;
                else
                    failure = socketErrorFromErrno(err);
                break;
            }
            if (TimeOut > 0 && now() - start >= static_cast<uint64_t>(TimeOut)) {
                timedOut = true;
                break;
            }
            if (canceled_) {
                canceled = true;
                break;
            }
            framework::app().pump().processEvents();
            framework::app().pump().sleepMs(2);
        }
    }

    if (!connected) {
        ::close(fd);
        if (failure != 0) {
            lastError_ = failure;
            if (OnError)
                OnError(failure, socketErrorText(failure));
        }
        if (OnConnectionFailed)
            OnConnectionFailed();
        if (timedOut)
            throw SocketError("Connection Timed out", kErrTimedOut);
        if (canceled)
            throw AbortError("Connection Canceled");
        throw SocketError("Connection Failed", failure);
    }

    fd_ = fd;
    BytesRecvd = 0;
    BytesSent = 0;
    if (OnConnect)
        OnConnect();
}

void SocketClient::closeSocket()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void SocketClient::Disconnect()
{
    if (fd_ < 0)
        return;
    StatusMessage(8, "Disconnecting");
    closeSocket();
    input_.clear();
    peerClosed_ = false;
    if (OnDisconnect)
        OnDisconnect();
}

void SocketClient::Cancel() { canceled_ = true; }

void SocketClient::Abort()
{
    canceled_ = true;
    abortClose_ = true;
    if (waiting_ == 0)
        Disconnect();
}

void SocketClient::requireConnected()
{
    if (fd_ < 0)
        raiseSocketError(kErrNotConnected);
}

void SocketClient::idle(uint64_t lastProgress, const char* message)
{
    if (canceled_)
        abortWait(message);
    if (TimeOut > 0 && now() - lastProgress >= static_cast<uint64_t>(TimeOut))
        abortWait(message);
    framework::app().pump().processEvents();
    // An event handler may have closed the connection under us.
    if (fd_ < 0)
        throw AbortError(message);
    framework::app().pump().sleepMs(2);
}

long SocketClient::receiveChunk()
{
    if (peerClosed_)
        return -1;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            input_.append(buffer, static_cast<std::size_t>(n));
            BytesRecvd += static_cast<uint64_t>(n);
            if (OnPacketRecvd)
                OnPacketRecvd();
            return static_cast<long>(n);
        }
        if (n == 0) {
            peerClosed_ = true;
            return -1;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        raiseSocketError(socketErrorFromErrno(errno));
    }
}

void SocketClient::Write(const std::string& data)
{
    requireConnected();
    WaitScope scope(waiting_);
    std::size_t offset = 0;
    uint64_t last = now();
    while (offset < data.size()) {
        if (canceled_)
            abortWait("Socket write aborted");
        const ssize_t n = ::send(fd_, data.data() + offset, data.size() - offset, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            offset += static_cast<std::size_t>(n);
            BytesSent += static_cast<uint64_t>(n);
            last = now();
            if (OnPacketSent)
                OnPacketSent();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            raiseSocketError(socketErrorFromErrno(errno));
        idle(last, "Socket write aborted");
    }
}

void SocketClient::Writeln(const std::string& line) { Write(line + "\r\n"); }

std::string SocketClient::ReadLn()
{
    StatusMessage(8, "ReadLn");
    requireConnected();
    WaitScope scope(waiting_);
    std::size_t scanned = 0;
    uint64_t last = now();
    for (;;) {
        const std::size_t end = input_.find('\n', scanned);
        if (end != std::string::npos) {
            const bool crlf = end > 0 && input_[end - 1] == '\r';
            if (end - (crlf ? 1 : 0) > kMaxLineLength)
                throw SocketError("Line too long");
            std::string line = input_.substr(0, end + 1);
            input_.erase(0, end + 1);
            return line;
        }
        scanned = input_.size();
        // One extra byte for a CR whose LF has not arrived yet.
        if (input_.size() > kMaxLineLength + 1)
            throw SocketError("Line too long");
        if (canceled_)
            abortWait("Socket readln aborted");
        const long n = receiveChunk();
        if (n > 0) {
            last = now();
            continue;
        }
        if (n < 0) {
            std::string rest = std::move(input_);
            input_.clear();
            return rest;
        }
        idle(last, "Socket readln aborted");
    }
}

std::string SocketClient::Read(std::size_t count)
{
    requireConnected();
    WaitScope scope(waiting_);
    uint64_t last = now();
    while (input_.size() < count) {
        if (canceled_)
            abortWait("Socket read aborted");
        const long n = receiveChunk();
        if (n > 0) {
            last = now();
            continue;
        }
        if (n < 0)
            break;
        idle(last, "Socket read aborted");
    }
    const std::size_t take = std::min(count, input_.size());
    std::string result = input_.substr(0, take);
    input_.erase(0, take);
    return result;
}

void SocketClient::CaptureString(std::string& text, long long limit)
{
    StatusMessage(8, "Capture String");
    text.clear();
    BytesRecvd = 0;
    requireConnected();
    WaitScope scope(waiting_);

    auto full = [&] { return limit >= 0 && text.size() >= static_cast<unsigned long long>(limit); };
    auto take = [&] {
        std::size_t count = input_.size();
        if (limit >= 0)
            count = std::min<std::size_t>(count, static_cast<std::size_t>(limit) - text.size());
        text.append(input_, 0, count);
        input_.erase(0, count);
        // The counter tells the progress of this capture, not what the
        // socket has buffered beyond the limit.
        BytesRecvd = text.size();
    };

    // What ReadLn has already buffered belongs to the capture.
    take();
    uint64_t last = now();
    while (!full()) {
        if (canceled_)
            abortWait("Socket capture aborted");
        const long n = receiveChunk();
        if (n > 0) {
            take();
            last = now();
            continue;
        }
        if (n < 0)
            break;
        idle(last, "Socket capture aborted");
    }
}

bool SocketClient::DataAvailable()
{
    if (!input_.empty())
        return true;
    if (fd_ < 0 || peerClosed_)
        return false;
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

void SocketClient::ClearInput()
{
    input_.clear();
    if (fd_ < 0)
        return;
    // Only what is there now; a peer that keeps sending must not keep us
    // here.
    for (int i = 0; i < 64; ++i) {
        if (receiveChunk() <= 0)
            break;
        input_.clear();
    }
    input_.clear();
}

}  // namespace net
