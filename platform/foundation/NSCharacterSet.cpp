#include "foundation/NSCharacterSet.h"

#include <algorithm>
#include <vector>

#include "foundation/UTF16.h"

OBJC_CLASS_IMPL(NSCharacterSet) {
  c.method("characterIsMember:", &NSCharacterSet::characterIsMember);
}

namespace {

// Unicode's Zs (space separators) and tab.
bool isWhitespace(char32_t c) {
  return c == U' ' || c == U'\t' || c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isNewline(char32_t c) {
  return (c >= 0x000A && c <= 0x000D) || c == 0x0085 || c == 0x2028 || c == 0x2029;
}

}  // namespace

std::shared_ptr<NSCharacterSet> NSCharacterSet::whitespaceCharacterSet() {
  static const auto set = std::make_shared<NSCharacterSet>(isWhitespace);
  return set;
}

std::shared_ptr<NSCharacterSet> NSCharacterSet::whitespaceAndNewlineCharacterSet() {
  static const auto set = std::make_shared<NSCharacterSet>(
      [](char32_t c) { return isWhitespace(c) || isNewline(c); });
  return set;
}

std::shared_ptr<NSCharacterSet> NSCharacterSet::newlineCharacterSet() {
  static const auto set = std::make_shared<NSCharacterSet>(isNewline);
  return set;
}

std::shared_ptr<NSCharacterSet> NSCharacterSet::decimalDigitCharacterSet() {
  static const auto set =
      std::make_shared<NSCharacterSet>([](char32_t c) { return c >= U'0' && c <= U'9'; });
  return set;
}

std::shared_ptr<NSCharacterSet> NSCharacterSet::characterSetWithCharactersInString(
    std::string_view utf8) {
  std::u16string units = toUTF16(utf8);
  std::vector<char32_t> members;
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    }
    members.push_back(c);
  }
  std::sort(members.begin(), members.end());
  return std::make_shared<NSCharacterSet>([members = std::move(members)](char32_t c) {
    return std::binary_search(members.begin(), members.end(), c);
  });
}

std::shared_ptr<NSCharacterSet> NSCharacterSet::invertedSet() const {
  return std::make_shared<NSCharacterSet>([contains = contains_](char32_t c) { return !contains(c); });
}
