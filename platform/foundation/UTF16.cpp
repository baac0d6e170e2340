#include "foundation/UTF16.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `i`, advancing it. A malformed sequence yields U+FFFD and consumes
// its longest valid-looking prefix (at least one byte), as the Unicode recommendation says.
char32_t decodeUTF8(std::string_view s, size_t& i, bool* malformed = nullptr) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  uint8_t lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra = 0;
  char32_t cp = 0;
  uint8_t lo = 0x80, hi = 0xBF;  // the allowed range of the first continuation byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) lo = 0xA0;
    if (lead == 0xED) hi = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) lo = 0x90;
    if (lead == 0xF4) hi = 0x8F;
  } else {
    ++i;
    if (malformed) *malformed = true;
    return kReplacement;
  }
  size_t k = i + 1;
  for (int n = 0; n < extra; ++n, ++k) {
    uint8_t lower = n == 0 ? lo : 0x80;
    uint8_t upper = n == 0 ? hi : 0xBF;
    if (k >= s.size() || byte(k) < lower || byte(k) > upper) {
      i = k;
      if (malformed) *malformed = true;
      return kReplacement;
    }
    cp = (cp << 6) | (byte(k) & 0x3F);
  }
  i = k;
  return cp;
}

void appendUTF8(std::string& out, char32_t cp) {
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

bool isHighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

size_t utf16Length(std::string_view utf8) {
  size_t length = 0;
  for (size_t i = 0; i < utf8.size();) length += decodeUTF8(utf8, i) >= 0x10000 ? 2 : 1;
  return length;
}

std::u16string toUTF16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = decodeUTF8(utf8, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string toUTF8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char16_t u = utf16[i];
    if (isHighSurrogate(u) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1])) {
      appendUTF8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
      ++i;
    } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
      appendUTF8(out, kReplacement);
    } else {
      appendUTF8(out, u);
    }
  }
  return out;
}

bool isValidUTF8(std::string_view utf8) {
  bool malformed = false;
  for (size_t i = 0; i < utf8.size() && !malformed;) decodeUTF8(utf8, i, &malformed);
  return !malformed;
}

size_t utf16SafeCutIndex(std::u16string_view utf16, size_t index) {
  if (index >= utf16.size()) return utf16.size();
  if (index > 0 && isHighSurrogate(utf16[index - 1]) && isLowSurrogate(utf16[index])) {
    return index - 1;
  }
  return index;
}

std::string utf16Prefix(std::string_view utf8, size_t maxUnits) {
  size_t units = 0;
  size_t i = 0;
  while (i < utf8.size()) {
    size_t next = i;
    size_t width = decodeUTF8(utf8, next) >= 0x10000 ? 2 : 1;
    if (units + width > maxUnits) break;
    units += width;
    i = next;
  }
  // Malformed bytes inside the prefix are kept as they are; the caller gave them.
  return std::string(utf8.substr(0, i));
}

size_t firstLoneSurrogate(std::u16string_view utf16) {
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      return i;
    }
  }
  return std::u16string_view::npos;
}
