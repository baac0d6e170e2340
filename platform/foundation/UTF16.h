#pragma once

// UTF-16 semantics for UTF-8 text. Lengths, indices and limits that the user sees follow
// NSString, which counts UTF-16 code units: "é" is 1, "👍" is 2, "👍🏽" is 4.

#include <cstddef>
#include <string>
#include <string_view>

// The number of UTF-16 code units that `utf8` encodes to.
size_t utf16Length(std::string_view utf8);

// Conversions. A malformed UTF-8 sequence becomes U+FFFD; so does a lone surrogate in UTF-16.
std::u16string toUTF16(std::string_view utf8);
std::string toUTF8(std::u16string_view utf16);

// The index of the first surrogate in `utf16` that is not half of a pair (which toUTF8 would turn
// into U+FFFD), or npos when there is none.
size_t firstLoneSurrogate(std::u16string_view utf16);

// True when `utf8` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isValidUTF8(std::string_view utf8);

// The nearest index at or before `index` (clamped to the length) that does not fall between the
// two halves of a surrogate pair: a cut there never splits a character outside the BMP.
size_t utf16SafeCutIndex(std::u16string_view utf16, size_t index);

// The longest prefix of `utf8` that is at most `maxUnits` UTF-16 code units long and does not
// split a surrogate pair.
std::string utf16Prefix(std::string_view utf8, size_t maxUnits);
