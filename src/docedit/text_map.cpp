#include "docedit/text_map.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace docedit {

namespace {

std::u32string decode(const std::string& text)
{
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        char32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 0x6 && i + 1 < text.size()) {
            cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F);
            len = 2;
        } else if ((c >> 4) == 0xE && i + 2 < text.size()) {
            cp = ((c & 0x0F) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6) |
                 (static_cast<unsigned char>(text[i + 2]) & 0x3F);
            len = 3;
        } else if ((c >> 3) == 0x1E && i + 3 < text.size()) {
            cp = ((c & 0x07) << 18) | ((static_cast<unsigned char>(text[i + 1]) & 0x3F) << 12) |
                 ((static_cast<unsigned char>(text[i + 2]) & 0x3F) << 6) |
                 (static_cast<unsigned char>(text[i + 3]) & 0x3F);
            len = 4;
        }
        out.push_back(cp);
        i += len;
    }
    return out;
}

std::string encode(const std::u32string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// Half-width katakana U+FF61 … U+FF9F and their full-width forms.
const char32_t halfKana[] = U"｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ";
const char32_t fullKana[] = U"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフ"
                            U"ヘホマミムメモヤユヨラリルレロワン゛゜";
constexpr char32_t Voiced = U'ﾞ';
constexpr char32_t SemiVoiced = U'ﾟ';

bool isHalfKana(char32_t c)
{
    return c >= 0xFF61 && c <= 0xFF9F;
}
char32_t fullOfHalf(char32_t c)
{
    return fullKana[c - 0xFF61];
}

// The letters that take a voiced (or semi-voiced) mark, as full width.
bool takesVoiced(char32_t full)
{
    return (full >= U'カ' && full <= U'ド' && full != U'ッ') || (full >= U'ハ' && full <= U'ホ') || full == U'ウ';
}
bool takesSemiVoiced(char32_t full)
{
    return full >= U'ハ' && full <= U'ホ';
}

char32_t voicedOf(char32_t full)
{
    return full == U'ウ' ? U'ヴ' : full + 1;
}

// Full width to half: the table read backwards, voiced letters split. Built
// once; a search of the tables for every character made the half-width
// mapping several times slower than the others.
const std::unordered_map<char32_t, std::u32string>& halfForms()
{
    static const std::unordered_map<char32_t, std::u32string> forms = [] {
        std::unordered_map<char32_t, std::u32string> map;
        // The first form found wins: plain letters and marks, then ヴ, then
        // the voiced and semi-voiced letters in table order.
        for (size_t i = 0; fullKana[i]; ++i)
            map.try_emplace(fullKana[i], 1, halfKana[i]);
        map.try_emplace(U'ヴ', U"ｳﾞ");
        for (size_t i = 0; fullKana[i]; ++i) {
            const char32_t base = fullKana[i];
            if (takesVoiced(base))
                map.try_emplace(voicedOf(base), std::u32string{halfKana[i], Voiced});
            if (takesSemiVoiced(base))
                map.try_emplace(base + 2, std::u32string{halfKana[i], SemiVoiced});
        }
        return map;
    }();
    return forms;
}

bool halfOfFull(char32_t c, std::u32string& out)
{
    const auto& forms = halfForms();
    const auto it = forms.find(c);
    if (it == forms.end())
        return false;
    out += it->second;
    return true;
}

std::u32string joinHalfKana(const std::u32string& in, size_t& i)
{
    const char32_t full = fullOfHalf(in[i]);
    if (i + 1 < in.size()) {
        if (in[i + 1] == Voiced && takesVoiced(full)) {
            ++i;
            return std::u32string(1, voicedOf(full));
        }
        if (in[i + 1] == SemiVoiced && takesSemiVoiced(full)) {
            ++i;
            return std::u32string(1, full + 2);
        }
    }
    return std::u32string(1, full);
}

} // namespace

std::string toFullWidth(const std::string& text)
{
    const std::u32string in = decode(text);
    std::u32string out;
    for (size_t i = 0; i < in.size(); ++i) {
        const char32_t c = in[i];
        if (c == U' ')
            out.push_back(U'　');
        else if (c >= 0x21 && c <= 0x7E)
            out.push_back(c - 0x21 + 0xFF01);
        else if (isHalfKana(c))
            out += joinHalfKana(in, i);
        else
            out.push_back(c);
    }
    return encode(out);
}

std::string toHalfWidth(const std::string& text)
{
    std::u32string out;
    for (char32_t c : decode(text)) {
        if (c == U'　')
            out.push_back(U' ');
        else if (c >= 0xFF01 && c <= 0xFF5E)
            out.push_back(c - 0xFF01 + 0x21);
        else if (!halfOfFull(c, out))
            out.push_back(c);
    }
    return encode(out);
}

std::string toUpperCase(const std::string& text)
{
    std::u32string out = decode(text);
    for (char32_t& c : out) {
        if ((c >= U'a' && c <= U'z') || (c >= U'ａ' && c <= U'ｚ'))
            c -= 0x20;
    }
    return encode(out);
}

std::string toLowerCase(const std::string& text)
{
    std::u32string out = decode(text);
    for (char32_t& c : out) {
        if ((c >= U'A' && c <= U'Z') || (c >= U'Ａ' && c <= U'Ｚ'))
            c += 0x20;
    }
    return encode(out);
}

std::string toHiragana(const std::string& text)
{
    std::u32string out = decode(text);
    for (char32_t& c : out)
        if (c >= U'ァ' && c <= U'ヶ')
            c -= 0x60;
    return encode(out);
}

std::string toKatakana(const std::string& text)
{
    std::u32string out = decode(text);
    for (char32_t& c : out)
        if (c >= U'ぁ' && c <= U'ゖ')
            c += 0x60;
    return encode(out);
}

std::string halfKatakanaToFull(const std::string& text)
{
    const std::u32string in = decode(text);
    std::u32string out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (isHalfKana(in[i]))
            out += joinHalfKana(in, i);
        else
            out.push_back(in[i]);
    }
    return encode(out);
}

} // namespace docedit
