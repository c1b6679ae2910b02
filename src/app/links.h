#pragma once
// Links that come from data (a downloaded Joint.INI, 0Base.INI, the
// registry, tree and list entries) before they reach the shell. The shell
// opens a local file, a file: address or a program as readily as a page,
// so such text is opened only when it is what it claims to be.

#include <string_view>

namespace vantrel {

// An "http://" or "https://" address (scheme in any case) with a host and
// no control characters.
bool isWebAddress(std::string_view text);

// A plain mail address, local part "@" domain, without the "?" part that
// mail programs take as options (attachments among them).
bool isMailAddress(std::string_view text);

} // namespace vantrel
