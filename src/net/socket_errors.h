#pragma once
// Error numbers and texts of the network client. Errors are reported with
// one fixed set of numbers whatever the platform (10061 for a refused
// connection, 11001 for an unknown host), so POSIX errno values are
// translated into them before anything is reported.

#include <string>

#include "framework/errors.h"

namespace net {

// A failed socket operation, a broken connection or a protocol violation
// by the peer. code() is the error number, 0 when none applies.
class SocketError : public framework::Error {
public:
    explicit SocketError(const std::string& text, int code = 0) : framework::Error(text), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// A wait ended by Cancel/Abort or by the time-out.
class AbortError : public framework::Error {
public:
    using framework::Error::Error;
};

// Socket error numbers that the code below refers to by name.
constexpr int kErrConnectionReset = 10054;
constexpr int kErrNotConnected = 10057;
constexpr int kErrTimedOut = 10060;
constexpr int kErrConnectionRefused = 10061;
constexpr int kErrHostNotFound = 11001;

// "10061:Connection refused"; empty for 0; "Unknown Error No. N" for a
// number outside the table.
std::string socketErrorText(int code);

// The error number for a POSIX errno value; unmapped values are returned
// unchanged (and then read as unknown errors).
int socketErrorFromErrno(int err);

// The error number for a getaddrinfo() result (EAI_*).
int socketErrorFromLookup(int eai);

} // namespace net
