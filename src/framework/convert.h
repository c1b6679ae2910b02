#pragma once
// Decimal text conversions of the original framework.

#include <string>

namespace framework {

// Throws ConversionError "'abc' is not a valid integer value". Accepts
// surrounding blanks, a sign, and a "$" or "0x" hexadecimal prefix.
int StrToInt(const std::string& text);
int StrToIntDef(const std::string& text, int fallback);
bool TryStrToInt(const std::string& text, int& value);

} // namespace framework
