#include "foundation/NSString.h"

#include <locale.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cwctype>
#include <functional>

#include "foundation/CLocale.h"
#include "foundation/NSArray.h"
#include "foundation/NSCharacterSet.h"
#include "foundation/UTF16.h"
#include "runtime/RuntimeError.h"

OBJC_CLASS_IMPL(NSString) {
  c.method("length", &NSString::length)
      .method("characterAtIndex:", &NSString::characterAtIndex)
      .method("UTF8String", &NSString::UTF8String)
      .method("substringToIndex:", &NSString::substringToIndex)
      .method("substringFromIndex:", &NSString::substringFromIndex)
      .method("substringWithRange:", &NSString::substringWithRange)
      .method("floatValue", &NSString::floatValue)
      .method("doubleValue", &NSString::doubleValue)
      .method("intValue", &NSString::intValue)
      .method("integerValue", &NSString::integerValue)
      .method("longLongValue", &NSString::longLongValue)
      .method("boolValue", &NSString::boolValue)
      .method("uppercaseString", &NSString::uppercaseString)
      .method("lowercaseString", &NSString::lowercaseString)
      .method("isEqualToString:", &NSString::isEqualToStringImp)
      .method("hasPrefix:", &NSString::hasPrefixImp)
      .method("hasSuffix:", &NSString::hasSuffixImp);
}

OBJC_CLASS_IMPL(NSMutableString) {
  c.method("appendString:", &NSMutableString::appendStringImp);
}

namespace {

bool isHighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

[[noreturn]] void throwRange(const char* method, NSUInteger index, NSUInteger length) {
  throw objc::RuntimeError(std::string("-[NSString ") + method + "]: index " +
                           std::to_string(index) + " beyond bounds; length " +
                           std::to_string(length));
}

void checkRange(const char* method, NSRange range, NSUInteger length) {
  if (range.location > length || range.length > length - range.location) {
    throw objc::RuntimeError(std::string("-[NSString ") + method + "]: range " +
                             NSStringFromRange(range) + " out of bounds; length " +
                             std::to_string(length));
  }
}

// Walks the code points of UTF-16 text; an unpaired surrogate is its own code point.
char32_t codePointAt(std::u16string_view s, size_t i, size_t* width) {
  if (isHighSurrogate(s[i]) && i + 1 < s.size() && isLowSurrogate(s[i + 1])) {
    *width = 2;
    return 0x10000 + ((char32_t(s[i]) - 0xD800) << 10) + (s[i + 1] - 0xDC00);
  }
  *width = 1;
  return s[i];
}

void appendCodePoint(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

locale_t utf8Locale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

std::u16string mapCase(std::u16string_view s, bool upper) {
  std::u16string out;
  out.reserve(s.size());
  locale_t locale = utf8Locale();
  for (size_t i = 0; i < s.size();) {
    size_t width = 0;
    char32_t cp = codePointAt(s, i, &width);
    i += width;
    if (upper && cp == U'ß') {
      out += u"SS";
      continue;
    }
    char32_t mapped = cp;
    if (locale) {
      mapped = upper ? towupper_l(static_cast<wint_t>(cp), locale)
                     : towlower_l(static_cast<wint_t>(cp), locale);
    } else if (cp < 0x80) {
      mapped = upper ? std::toupper(static_cast<int>(cp)) : std::tolower(static_cast<int>(cp));
    }
    appendCodePoint(out, mapped);
  }
  return out;
}

// The leading number of a string as the platform's value methods read it: white space, then an
// optional sign, digits, a fraction and an exponent. Returns the number's text (maybe empty).
std::string leadingNumber(std::u16string_view s, bool allowFraction) {
  const auto& space = *NSCharacterSet::whitespaceAndNewlineCharacterSet();
  size_t i = 0;
  while (i < s.size() && space.characterIsMember(s[i])) ++i;
  std::string text;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) text += static_cast<char>(s[i++]);
  auto isDigit = [&](size_t k) { return k < s.size() && s[k] >= u'0' && s[k] <= u'9'; };
  size_t digits = 0;
  while (isDigit(i)) {
    text += static_cast<char>(s[i++]);
    ++digits;
  }
  if (allowFraction) {
    if (i < s.size() && s[i] == u'.') {
      size_t fractionStart = i + 1;
      size_t k = fractionStart;
      while (isDigit(k)) ++k;
      if (digits > 0 || k > fractionStart) {
        text += '.';
        for (size_t j = fractionStart; j < k; ++j) text += static_cast<char>(s[j]);
        digits += k - fractionStart;
        i = k;
      }
    }
    if (digits > 0 && i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
      size_t k = i + 1;
      std::string exponent = "e";
      if (k < s.size() && (s[k] == u'+' || s[k] == u'-')) exponent += static_cast<char>(s[k++]);
      if (isDigit(k)) {
        while (isDigit(k)) exponent += static_cast<char>(s[k++]);
        text += exponent;
      }
    }
  }
  return digits > 0 ? text : std::string();
}

long long leadingInteger(std::u16string_view s, long long min, long long max) {
  std::string text = leadingNumber(s, false);
  if (text.empty()) return 0;
  errno = 0;
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  return std::clamp(value, min, max);
}

}  // namespace

std::string NSStringFromRange(NSRange range) {
  return "{" + std::to_string(range.location) + ", " + std::to_string(range.length) + "}";
}

std::shared_ptr<NSString> NSString::string() {
  return std::make_shared<NSString>();
}

std::shared_ptr<NSString> NSString::string(std::string_view utf8) {
  return std::make_shared<NSString>(toUTF16(utf8));
}

std::shared_ptr<NSString> NSString::stringWithUTF8String(const char* utf8) {
  if (!utf8 || !isValidUTF8(utf8)) return nullptr;
  return string(utf8);
}

std::shared_ptr<NSString> NSString::stringWithCharacters(std::u16string_view units) {
  return std::make_shared<NSString>(std::u16string(units));
}

std::shared_ptr<NSString> NSString::stringWithString(const NSString& other) {
  return std::make_shared<NSString>(other.units_);
}

unichar NSString::characterAtIndex(NSUInteger index) const {
  if (index >= units_.size()) throwRange("characterAtIndex:", index, units_.size());
  return units_[index];
}

const char* NSString::UTF8String() const {
  if (!utf8Cache_) utf8Cache_ = std::make_unique<std::string>(toUTF8(units_));
  return utf8Cache_->c_str();
}

std::string NSString::utf8() const {
  return toUTF8(units_);
}

std::shared_ptr<NSString> NSString::substringToIndex(NSUInteger index) const {
  if (index > units_.size()) throwRange("substringToIndex:", index, units_.size());
  return std::make_shared<NSString>(units_.substr(0, utf16SafeCutIndex(units_, index)));
}

std::shared_ptr<NSString> NSString::substringFromIndex(NSUInteger index) const {
  if (index > units_.size()) throwRange("substringFromIndex:", index, units_.size());
  return std::make_shared<NSString>(units_.substr(utf16SafeCutIndex(units_, index)));
}

std::shared_ptr<NSString> NSString::substringWithRange(NSRange range) const {
  checkRange("substringWithRange:", range, units_.size());
  size_t start = utf16SafeCutIndex(units_, range.location);
  size_t end = utf16SafeCutIndex(units_, NSMaxRange(range));
  return std::make_shared<NSString>(units_.substr(start, std::max(start, end) - start));
}

double NSString::doubleValue() const {
  std::string text = leadingNumber(units_, true);
  if (text.empty()) return 0;
  return strtod_l(text.c_str(), nullptr, foundation::cLocale());
}

float NSString::floatValue() const {
  return static_cast<float>(doubleValue());
}

int NSString::intValue() const {
  return static_cast<int>(leadingInteger(units_, INT_MIN, INT_MAX));
}

NSInteger NSString::integerValue() const {
  return leadingInteger(units_, LLONG_MIN, LLONG_MAX);
}

long long NSString::longLongValue() const {
  return leadingInteger(units_, LLONG_MIN, LLONG_MAX);
}

bool NSString::boolValue() const {
  const auto& space = *NSCharacterSet::whitespaceAndNewlineCharacterSet();
  size_t i = 0;
  while (i < units_.size() && space.characterIsMember(units_[i])) ++i;
  if (i < units_.size() && (units_[i] == u'+' || units_[i] == u'-')) ++i;
  while (i < units_.size() && units_[i] == u'0') ++i;
  if (i >= units_.size()) return false;
  char16_t first = units_[i];
  return first == u'Y' || first == u'y' || first == u'T' || first == u't' ||
         (first >= u'1' && first <= u'9');
}

std::shared_ptr<NSString> NSString::stringByTrimmingCharactersInSet(
    const NSCharacterSet& set) const {
  size_t start = 0;
  while (start < units_.size()) {
    size_t width = 0;
    char32_t cp = codePointAt(units_, start, &width);
    if (!set.longCharacterIsMember(cp)) break;
    start += width;
  }
  size_t end = units_.size();
  while (end > start) {
    size_t at = end - 1;
    if (at > start && isLowSurrogate(units_[at]) && isHighSurrogate(units_[at - 1])) --at;
    size_t width = 0;
    char32_t cp = codePointAt(units_, at, &width);
    if (!set.longCharacterIsMember(cp)) break;
    end = at;
  }
  return std::make_shared<NSString>(units_.substr(start, end - start));
}

std::shared_ptr<NSString> NSString::uppercaseString() const {
  return std::make_shared<NSString>(mapCase(units_, true));
}

std::shared_ptr<NSString> NSString::lowercaseString() const {
  return std::make_shared<NSString>(mapCase(units_, false));
}

bool NSString::hasPrefix(const NSString& prefix) const {
  return std::u16string_view(units_).starts_with(prefix.units_);
}
bool NSString::hasPrefix(std::string_view prefix) const {
  return std::u16string_view(units_).starts_with(toUTF16(prefix));
}
bool NSString::hasSuffix(const NSString& suffix) const {
  return std::u16string_view(units_).ends_with(suffix.units_);
}
bool NSString::hasSuffix(std::string_view suffix) const {
  return std::u16string_view(units_).ends_with(toUTF16(suffix));
}

bool NSString::isEqualToString(std::string_view other) const {
  return units_ == toUTF16(other);
}

NSComparisonResult NSString::compare(const NSString& other) const {
  int order = units_.compare(other.units_);
  return order < 0 ? NSOrderedAscending : order > 0 ? NSOrderedDescending : NSOrderedSame;
}
NSComparisonResult NSString::compare(std::string_view other) const {
  return compare(NSString(toUTF16(other)));
}

NSRange NSString::rangeOfString(const NSString& needle) const {
  if (needle.units_.empty()) return {NSNotFound, 0};
  size_t at = units_.find(needle.units_);
  if (at == std::u16string::npos) return {NSNotFound, 0};
  return {at, needle.units_.size()};
}
NSRange NSString::rangeOfString(std::string_view needle) const {
  return rangeOfString(NSString(toUTF16(needle)));
}

bool NSString::containsString(std::string_view needle) const {
  return rangeOfString(needle).location != NSNotFound;
}

std::shared_ptr<NSString> NSString::replacingOccurrences(std::u16string_view target,
                                                         std::u16string_view replacement) const {
  if (target.empty()) return std::make_shared<NSString>(units_);
  std::u16string out;
  size_t from = 0;
  for (size_t at; (at = units_.find(target, from)) != std::u16string::npos;
       from = at + target.size()) {
    out.append(units_, from, at - from);
    out.append(replacement);
  }
  out.append(units_, from);
  return std::make_shared<NSString>(std::move(out));
}

std::shared_ptr<NSString> NSString::stringByReplacingOccurrencesOfString(
    const NSString& target, const NSString& replacement) const {
  return replacingOccurrences(target.units_, replacement.units_);
}
std::shared_ptr<NSString> NSString::stringByReplacingOccurrencesOfString(
    std::string_view target, std::string_view replacement) const {
  return replacingOccurrences(toUTF16(target), toUTF16(replacement));
}

std::shared_ptr<NSString> NSString::stringByAppendingString(std::string_view tail) const {
  return std::make_shared<NSString>(units_ + toUTF16(tail));
}

std::shared_ptr<NSArray> NSString::componentsSeparatedBy(std::u16string_view separator) const {
  auto parts = NSMutableArray::array();
  if (separator.empty()) {
    parts->addObject(std::make_shared<NSString>(units_));
    return parts;
  }
  size_t from = 0;
  for (size_t at; (at = units_.find(separator, from)) != std::u16string::npos;
       from = at + separator.size()) {
    parts->addObject(std::make_shared<NSString>(units_.substr(from, at - from)));
  }
  parts->addObject(std::make_shared<NSString>(units_.substr(from)));
  return parts;
}

std::shared_ptr<NSArray> NSString::componentsSeparatedByString(const NSString& separator) const {
  return componentsSeparatedBy(separator.units_);
}
std::shared_ptr<NSArray> NSString::componentsSeparatedByString(std::string_view separator) const {
  return componentsSeparatedBy(toUTF16(separator));
}

std::shared_ptr<NSString> NSString::copy() const {
  return std::make_shared<NSString>(units_);
}

std::shared_ptr<NSMutableString> NSString::mutableCopy() const {
  return std::make_shared<NSMutableString>(units_);
}

bool NSString::isEqual(const id& other) const {
  auto* string = dynamic_cast<const NSString*>(other.get());
  return string && string->units_ == units_;
}

size_t NSString::hash() const {
  return std::hash<std::u16string>{}(units_);
}

bool NSString::isEqualToStringImp(const std::shared_ptr<NSString>& other) const {
  return other && isEqualToString(*other);
}
bool NSString::hasPrefixImp(const std::shared_ptr<NSString>& prefix) const {
  return prefix && hasPrefix(*prefix);
}
bool NSString::hasSuffixImp(const std::shared_ptr<NSString>& suffix) const {
  return suffix && hasSuffix(*suffix);
}

// NSMutableString

std::shared_ptr<NSMutableString> NSMutableString::string() {
  return std::make_shared<NSMutableString>();
}

std::shared_ptr<NSMutableString> NSMutableString::string(std::string_view utf8) {
  return std::make_shared<NSMutableString>(toUTF16(utf8));
}

std::shared_ptr<NSMutableString> NSMutableString::stringWithString(const NSString& other) {
  return std::make_shared<NSMutableString>(other.characters());
}

void NSMutableString::replaceUnits(NSRange range, std::u16string_view replacement) {
  checkRange("replaceCharactersInRange:withString:", range, units_.size());
  // The replacement may be a view of this very string.
  units_.replace(range.location, range.length, std::u16string(replacement));
  changed();
}

void NSMutableString::appendString(const NSString& tail) {
  replaceUnits({units_.size(), 0}, tail.characters());
}
void NSMutableString::appendString(std::string_view tail) {
  replaceUnits({units_.size(), 0}, toUTF16(tail));
}
void NSMutableString::appendStringImp(const std::shared_ptr<NSString>& tail) {
  if (!tail) throw objc::RuntimeError("-[NSMutableString appendString:]: nil argument");
  appendString(*tail);
}

void NSMutableString::replaceCharactersInRange(NSRange range, const NSString& replacement) {
  replaceUnits(range, replacement.characters());
}
void NSMutableString::replaceCharactersInRange(NSRange range, std::string_view replacement) {
  replaceUnits(range, toUTF16(replacement));
}

void NSMutableString::insertString(const NSString& text, NSUInteger index) {
  replaceUnits({index, 0}, text.characters());
}
void NSMutableString::insertString(std::string_view text, NSUInteger index) {
  replaceUnits({index, 0}, toUTF16(text));
}

void NSMutableString::deleteCharactersInRange(NSRange range) {
  replaceUnits(range, u"");
}

void NSMutableString::setString(const NSString& text) {
  replaceUnits({0, units_.size()}, text.characters());
}
void NSMutableString::setString(std::string_view text) {
  replaceUnits({0, units_.size()}, toUTF16(text));
}
