#pragma once
// Links that come from data (a downloaded Joint.INI, 0Base.INI, the
// registry, tree and list entries) before they reach the shell. The shell
// opens a local file, a file: address or a program as readily as a page,
// so such text is opened only when it is what it claims to be.

#include <string>
#include <string_view>

namespace vantrel {

// An "http://" or "https://" address (scheme in any case) with a host and
// no control characters.
bool isWebAddress(std::string_view text);

// A plain mail address, local part "@" domain, without the "?" part that
// mail programs take as options (attachments among them).
bool isMailAddress(std::string_view text);

// An address as a person reads it ("https://ja.example/wiki/北海道" rather
// than "%E5%8C%97..."): the percent escapes that spell characters beyond
// ASCII show as those characters. Escapes of ASCII characters (a blank,
// "/", "?", "%") stay, so the text still names the same address, and so do
// escapes that are no UTF-8 or that spell invisible or direction-changing
// characters, which could make one address look like another. Only for
// showing: the address itself stays as it is.
std::string readableAddress(std::string_view address);

// The address a readable one stands for: after the host, every byte beyond
// ASCII is percent-escaped again (the host stays, for the browser to turn a
// name beyond ASCII into its ASCII form). For an address readableAddress
// gave, that is the address it was given (escapes in capitals).
std::string addressOfReadable(std::string_view readable);

} // namespace vantrel
