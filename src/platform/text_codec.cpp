#include "platform/text_codec.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "framework/errors.h"

namespace platform {

namespace {

std::atomic<CodePage> g_writeCodePage{CodePage::Utf8};

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view ReplacementChar = "\xEF\xBF\xBD"; // U+FFFD

// One conversion descriptor per thread and direction: opening one costs
// far more than converting a typical data file, and a descriptor carries
// state so it cannot be shared between threads.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }
    void reset() const { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd_;
};

// Null when the C library lacks the code page (a stripped-down system).
const Converter* fromCp932()
{
    thread_local Converter converter("UTF-8", "CP932");
    if (!converter.ok()) {
        return nullptr;
    }
    converter.reset();
    return &converter;
}

const Converter& toCp932()
{
    thread_local Converter converter("CP932", "UTF-8");
    if (!converter.ok()) {
        throw framework::FileError("Code page 932 is not available on this system (iconv CP932)");
    }
    converter.reset();
    return converter;
}

std::string hexByte(unsigned char byte)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", byte);
    return buffer;
}

} // namespace

size_t utf8SequenceLength(std::string_view bytes, size_t pos)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + pos;
    const size_t left = bytes.size() - pos;
    const unsigned b0 = p[0];
    if (b0 < 0x80) {
        return 1;
    }
    const auto cont = [p](size_t i) { return (p[i] & 0xC0) == 0x80; };
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        return left >= 2 && cont(1) ? 2 : 0;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3 || !cont(1) || !cont(2)) {
            return 0;
        }
        if ((b0 == 0xE0 && p[1] < 0xA0) || (b0 == 0xED && p[1] >= 0xA0)) {
            return 0; // overlong, or a UTF-16 surrogate
        }
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4 || !cont(1) || !cont(2) || !cont(3)) {
            return 0;
        }
        if ((b0 == 0xF0 && p[1] < 0x90) || (b0 == 0xF4 && p[1] >= 0x90)) {
            return 0; // overlong, or above U+10FFFF
        }
        return 4;
    }
    return 0;
}

bool isValidUtf8(std::string_view bytes)
{
    size_t pos = 0;
    while (pos < bytes.size()) {
        // ASCII runs dominate most data files; skip them eight bytes at a time.
        while (bytes.size() - pos >= 8) {
            uint64_t word;
            std::memcpy(&word, bytes.data() + pos, sizeof word);
            if (word & 0x8080808080808080ull) {
                break;
            }
            pos += 8;
        }
        if (pos == bytes.size()) {
            break;
        }
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const size_t length = utf8SequenceLength(bytes, pos);
        if (length == 0) {
            return false;
        }
        pos += length;
    }
    return true;
}

std::optional<std::u32string> utf8CodePoints(std::string_view bytes)
{
    std::u32string points;
    points.reserve(bytes.size());
    for (size_t pos = 0; pos < bytes.size();) {
        const size_t length = utf8SequenceLength(bytes, pos);
        if (length == 0) {
            return std::nullopt;
        }
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + pos;
        char32_t point = length == 1 ? p[0] : p[0] & (0x7F >> length);
        for (size_t i = 1; i < length; ++i) {
            point = (point << 6) | (p[i] & 0x3F);
        }
        points.push_back(point);
        pos += length;
    }
    return points;
}

namespace {

// Runs the converter over all of text, growing the output as it needs. At
// a sequence it cannot convert, standIn(position in text) gives what stands
// for that one byte, or nothing to give up (or it throws).
template <class StandIn>
std::optional<std::string> convertAll(const Converter& converter, std::string_view text, size_t estimate,
                                      StandIn standIn)
{
    std::string out(estimate, '\0');
    size_t used = 0;
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char* outPtr = out.data() + used;
        size_t outLeft = out.size() - used;
        const size_t result = iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (result != static_cast<size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        const std::optional<std::string_view> replacement = standIn(text.size() - inLeft);
        if (!replacement) {
            return std::nullopt;
        }
        if (out.size() - used < replacement->size()) {
            out.resize(out.size() * 2 + replacement->size());
        }
        out.replace(used, replacement->size(), *replacement);
        used += replacement->size();
        ++in;
        --inLeft;
        converter.reset();
    }
    out.resize(used);
    return out;
}

// Code page 932 bytes to UTF-8. Lenient: a byte or pair the code page does
// not define becomes U+FFFD. Strict: such bytes give nothing.
std::optional<std::string> decodeCp932(std::string_view bytes, bool strict)
{
    const Converter* converterPtr = fromCp932();
    if (!converterPtr) {
        if (strict) {
            return std::nullopt;
        }
        // Reading must not fail: keep the ASCII, which code page 932 shares,
        // and mark every other byte as unreadable.
        std::string out;
        out.reserve(bytes.size());
        for (const char c : bytes) {
            if (static_cast<unsigned char>(c) < 0x80) {
                out += c;
            } else {
                out += ReplacementChar;
            }
        }
        return out;
    }
    // A code page 932 byte becomes at most three UTF-8 bytes (half-width
    // katakana, or U+FFFD for a byte that is not defined). EILSEQ (a byte
    // or pair the code page does not define) or EINVAL (a lead byte cut off
    // by the end of the file): U+FFFD stands in for the one byte and the
    // rest goes on, so one bad byte costs one character rather than the
    // rest of the file.
    return convertAll(*converterPtr, bytes, bytes.size() * 3 + 16, [strict](size_t) -> std::optional<std::string_view> {
        if (strict)
            return std::nullopt;
        return ReplacementChar;
    });
}

} // namespace

std::string decodeFileText(std::string_view bytes)
{
    if (isValidUtf8(bytes)) {
        if (bytes.starts_with(Utf8Bom)) {
            bytes.remove_prefix(Utf8Bom.size());
        }
        return std::string(bytes);
    }
    return *decodeCp932(bytes, false);
}

std::optional<std::string> decodeTextStrictly(std::string_view bytes)
{
    if (isValidUtf8(bytes)) {
        return decodeFileText(bytes);
    }
    return decodeCp932(bytes, true);
}

std::string encodeFileText(std::string_view utf8, CodePage codePage)
{
    if (codePage == CodePage::Utf8) {
        return std::string(utf8);
    }

    // Code page 932 never needs more bytes than UTF-8 for the same text. A
    // character it cannot hold fails the save.
    return *convertAll(toCp932(), utf8, utf8.size() + 16, [utf8](size_t pos) -> std::optional<std::string_view> {
        const size_t length = utf8SequenceLength(utf8, pos);
        if (length == 0) {
            throw framework::FileError("Cannot store the byte " + hexByte(static_cast<unsigned char>(utf8[pos])) +
                                       ", which is not UTF-8 text, in code page 932");
        }
        throw framework::FileError("Cannot store \"" + std::string(utf8.substr(pos, length)) + "\" in code page 932");
    });
}

CodePage writeCodePage()
{
    return g_writeCodePage.load(std::memory_order_relaxed);
}

void setWriteCodePage(CodePage codePage)
{
    g_writeCodePage.store(codePage, std::memory_order_relaxed);
}

} // namespace platform
