#pragma once
// The extraction tools behind the main window's text registers: cut a
// piece out of a text by search keys. Byte-wise, case-sensitive, 1-based.

#include <string>

namespace vantrel {

// Bytes p (1-based) onwards, at most n of them; empty when p < 1,
// p > length or n < 0.
std::string substringAt(const std::string& text, long long p, long long n);

// The text before the first occurrence of key. Positions are tried from 0
// while below the text length: position 0 gives an empty piece, so an empty
// key matches at once and gives an empty result, and a key that begins at
// the last byte is never tried.
std::string extractFront(const std::string& text, const std::string& key);
// The text after the first occurrence of key, with the same search.
std::string extractRear(const std::string& text, const std::string& key);
// The text between the first front key and the next rear key after it; a
// missing key on either side gives an empty result.
std::string extractRange(const std::string& text, const std::string& front, const std::string& rear);

} // namespace vantrel
