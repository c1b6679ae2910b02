#pragma once
// The host of a web address, for the two questions the runs ask of it:
// which site a search goes to (a Quick run keeps its gap and its pauses per
// site), and whether a link leads away from the search site.

#include <string>
#include <string_view>

namespace runs {

struct Host {
    // Lower case, without user, port or a final dot; an IPv6 address keeps
    // its brackets. Empty when the address has no "scheme://" part.
    std::string name;
    // The port as written, or empty.
    std::string port;

    // "name:port", or the name alone when no port is written: two servers
    // on one machine are two sites.
    std::string site() const { return port.empty() ? name : name + ":" + port; }
};

// The host of an address ("HTTP://User@Example.COM.:8080/x" gives
// "example.com" and "8080"). Leading blanks and control characters are
// skipped; the host ends at "/", "\", "?" or "#", as browsers read it.
Host hostOf(std::string_view address);

} // namespace runs
