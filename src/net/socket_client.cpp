#include "net/socket_client.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>

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

} // namespace

SocketClient::SocketClient() = default;

SocketClient::~SocketClient()
{
    closeSocket();
}

uint64_t SocketClient::now() const
{
    return framework::app().clock().tickCount();
}

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

namespace {

// A name lookup on its worker thread. getaddrinfo cannot be interrupted,
// so a lookup that is given up keeps running to its end with nobody
// waiting; the shared state outlives whichever side finishes last.
struct Lookup {
    std::mutex mutex;
    bool finished = false;
    uint32_t address = 0;
    int error = 0;
    // Written once the lookup has finished; wakes the gated wait.
    int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    ~Lookup()
    {
        if (wakeFd >= 0)
            ::close(wakeFd);
    }
};

uint32_t systemLookup(const std::string& host, int& error)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &result);
    uint32_t address = 0;
    if (rc != 0 || !result) {
        error = socketErrorFromLookup(rc != 0 ? rc : EAI_NONAME);
    } else {
        for (addrinfo* entry = result; entry && address == 0; entry = entry->ai_next)
            if (entry->ai_family == AF_INET)
                address = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
        if (address == 0)
            error = kErrHostNotFound;
    }
    if (result)
        ::freeaddrinfo(result);
    return address;
}

NameResolver& resolverInUse()
{
    static NameResolver resolver;
    return resolver;
}

void lookUp(const std::shared_ptr<Lookup>& lookup, const std::string& host, const NameResolver& resolver)
{
    int error = 0;
    const uint32_t address = resolver ? resolver(host, error) : systemLookup(host, error);
    std::lock_guard lock(lookup->mutex);
    lookup->finished = true;
    lookup->address = address;
    lookup->error = address == 0 && error == 0 ? kErrHostNotFound : error;
    if (lookup->wakeFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(lookup->wakeFd, &one, sizeof one);
    }
}

bool parseDotted(const std::string& host, uint32_t& address)
{
    in_addr in{};
    if (::inet_pton(AF_INET, host.c_str(), &in) != 1)
        return false;
    address = ntohl(in.s_addr);
    return true;
}

} // namespace

void setNameResolver(NameResolver resolver)
{
    resolverInUse() = std::move(resolver);
}

uint32_t SocketClient::resolve(const std::string& host)
{
    if (host.empty()) {
        lastError_ = kErrHostNotFound;
        return 0;
    }
    StatusMessage(8, "Resolve Host");
    auto lookup = std::make_shared<Lookup>();
    std::thread(lookUp, lookup, host, resolverInUse()).detach();

    const uint64_t start = now();
    WaitEnd end = WaitEnd::Ready;
    framework::Application::Wait wait;
    wait.fd = lookup->wakeFd;
    wait.sliceMs = 100;
    wait.cancel = [this] { canceled_ = true; };
    wait.done = [&] {
        {
            std::lock_guard lock(lookup->mutex);
            if (lookup->finished)
                return true;
        }
        end = timeCheck(start);
        return end != WaitEnd::Ready;
    };
    {
        WaitScope scope(waiting_);
        if (!framework::app().wait(wait) && end == WaitEnd::Ready)
            end = WaitEnd::Canceled;
    }
    std::lock_guard lock(lookup->mutex);
    if (!lookup->finished) {
        if (end == WaitEnd::PastDeadline)
            raiseDeadline();
        if (end == WaitEnd::TimedOut)
            throw SocketError("Host Lookup Timed Out", kErrTimedOut);
        throw AbortError("Host Lookup Canceled");
    }
    lastError_ = lookup->error;
    return lookup->address;
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
    // A dotted address needs no lookup, so it reports no resolved host.
    if (!parseDotted(targetHost(), address_)) {
        address_ = resolve(targetHost());
        if (address_ == 0) {
            bool handled = false;
            if (OnInvalidHost)
                OnInvalidHost(handled);
            if (handled && !parseDotted(targetHost(), address_))
                address_ = resolve(targetHost());
            if (address_ == 0)
                throw SocketError("Null Remote Address", lastError_);
        }
        if (OnHostResolved)
            OnHostResolved();
    }

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
        switch (waitFor(fd, true, now())) {
        case WaitEnd::Ready: {
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
        case WaitEnd::TimedOut:
        case WaitEnd::PastDeadline:
            timedOut = true;
            break;
        case WaitEnd::Canceled:
            canceled = true;
            break;
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

void SocketClient::Cancel()
{
    canceled_ = true;
}

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

void SocketClient::startExchange(int ms)
{
    deadline_ = ms > 0 ? now() + static_cast<uint64_t>(ms) : 0;
}

void SocketClient::raiseDeadline()
{
    Disconnect();
    throw SocketError("Connection Timed out", kErrTimedOut);
}

SocketClient::WaitEnd SocketClient::timeCheck(uint64_t lastProgress) const
{
    if (canceled_)
        return WaitEnd::Canceled;
    const uint64_t t = now();
    if (deadline_ != 0 && t >= deadline_)
        return WaitEnd::PastDeadline;
    if (TimeOut > 0 && t - lastProgress >= static_cast<uint64_t>(TimeOut))
        return WaitEnd::TimedOut;
    return WaitEnd::Ready;
}

SocketClient::WaitEnd SocketClient::waitFor(int fd, bool forWrite, uint64_t lastProgress)
{
    WaitEnd end = WaitEnd::Ready;
    framework::Application::Wait wait;
    wait.fd = fd;
    wait.forWrite = forWrite;
    wait.sliceMs = 100;
    wait.cancel = [this] { canceled_ = true; };
    wait.done = [&] {
        end = timeCheck(lastProgress);
        if (end != WaitEnd::Ready)
            return true;
        pollfd p{fd, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
        return ::poll(&p, 1, 0) > 0;
    };
    if (!framework::app().wait(wait) && end == WaitEnd::Ready)
        end = WaitEnd::Canceled;
    return end;
}

void SocketClient::awaitSocket(bool forWrite, uint64_t lastProgress, const char* message)
{
    const WaitEnd end = waitFor(fd_, forWrite, lastProgress);
    if (end == WaitEnd::PastDeadline)
        raiseDeadline();
    if (end != WaitEnd::Ready)
        abortWait(message);
    // Cancel or Abort from an event of the wait.
    if (canceled_)
        abortWait(message);
    if (fd_ < 0)
        throw AbortError(message);
}

bool SocketClient::receiveOrWait(std::string& target, std::size_t max, uint64_t& lastProgress, const char* message)
{
    if (canceled_)
        abortWait(message);
    const long n = receiveInto(target, max);
    if (n < 0)
        return false;
    if (n > 0)
        lastProgress = now();
    else
        awaitSocket(false, lastProgress, message);
    return true;
}

long SocketClient::receiveInto(std::string& target, std::size_t max)
{
    if (peerClosed_)
        return -1;
    const std::size_t old = target.size();
    for (;;) {
        // The room is made before the call and given back after it, so
        // the bytes land in place.
        target.resize(old + max);
        const ssize_t n = ::recv(fd_, target.data() + old, max, MSG_DONTWAIT);
        target.resize(old + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        if (n > 0) {
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
        awaitSocket(true, last, "Socket write aborted");
    }
}

void SocketClient::Writeln(const std::string& line)
{
    Write(line + "\r\n");
}

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
        if (!receiveOrWait(input_, kLineChunk, last, "Socket readln aborted")) {
            std::string rest = std::move(input_);
            input_.clear();
            return rest;
        }
    }
}

std::string SocketClient::Read(std::size_t count)
{
    requireConnected();
    WaitScope scope(waiting_);
    uint64_t last = now();
    while (input_.size() < count && receiveOrWait(input_, kLineChunk, last, "Socket read aborted")) {
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

    // What ReadLn has already buffered belongs to the capture; the rest
    // goes straight into text, into the room reserved there first (a body
    // of announced length), else in chunks that grow it geometrically.
    take();
    uint64_t last = now();
    while (!full()) {
        const std::size_t spare = text.capacity() - text.size();
        std::size_t want = spare > 0 ? std::min(spare, kCaptureChunk) : kCaptureChunk;
        if (limit >= 0)
            want = std::min<std::size_t>(want, static_cast<std::size_t>(limit) - text.size());
        if (!receiveOrWait(text, want, last, "Socket capture aborted"))
            break;
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

} // namespace net
