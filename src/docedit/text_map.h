#pragma once
// Character mappings of the document editor, on code points of UTF-8
// text: full width and half width, upper and lower case, hiragana and
// katakana, as the Japanese locale maps them.

#include <string>

namespace docedit {

std::string toFullWidth(const std::string& text);
std::string toHalfWidth(const std::string& text);
// ASCII and full-width Latin letters.
std::string toUpperCase(const std::string& text);
std::string toLowerCase(const std::string& text);
std::string toHiragana(const std::string& text);
std::string toKatakana(const std::string& text);
// Only half-width katakana and punctuation become full width; a following
// voiced or semi-voiced mark joins its letter.
std::string halfKatakanaToFull(const std::string& text);

} // namespace docedit
