#pragma once
// Text encoding of data files. In memory every text is UTF-8; files are read
// as UTF-8 when their bytes are valid UTF-8, otherwise as code page 932, and
// written in UTF-8 or, for a folder shared with the Windows program, in
// code page 932.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class CodePage { Utf8, Cp932 };

bool isValidUtf8(std::string_view bytes);
// The length of the UTF-8 sequence starting at bytes[pos], or 0 when it is
// not a well-formed one (overlong forms, surrogates and values above
// U+10FFFF are refused, as in RFC 3629).
size_t utf8SequenceLength(std::string_view bytes, size_t pos);
// The code points of valid UTF-8; nothing when the bytes are not valid.
std::optional<std::u32string> utf8CodePoints(std::string_view bytes);

// File bytes to UTF-8: valid UTF-8 stays as it is (a leading byte-order
// mark is dropped), anything else is decoded as code page 932. Bytes that
// code page 932 does not define become U+FFFD; nothing throws.
std::string decodeFileText(std::string_view bytes);

// The same decoding for bytes that must be text (a downloaded file about to
// replace a local one): nothing when they are neither valid UTF-8 nor
// valid code page 932.
std::optional<std::string> decodeTextStrictly(std::string_view bytes);

// UTF-8 to file bytes in the given code page. Throws framework::FileError
// naming the first character that the code page cannot hold.
std::string encodeFileText(std::string_view utf8, CodePage codePage);

// The code page every text save uses; UTF-8 unless the program folder's
// 0Base.INI says [Begin] CodePage=932 (set once at start-up).
CodePage writeCodePage();
void setWriteCodePage(CodePage codePage);

} // namespace platform
