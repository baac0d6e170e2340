#pragma once

// A set of Unicode code points, enough for trimming and scanning text.

#include <functional>
#include <memory>
#include <string_view>

#include "foundation/NSObjCRuntime.h"
#include "runtime/NSObject.h"

class NSCharacterSet : public NSObject {
  OBJC_CLASS(NSCharacterSet, NSObject);

 public:
  explicit NSCharacterSet(std::function<bool(char32_t)> contains) : contains_(std::move(contains)) {}

  // Unicode's space separators and tab.
  static std::shared_ptr<NSCharacterSet> whitespaceCharacterSet();
  // Those plus U+000A-U+000D, U+0085, U+2028 and U+2029.
  static std::shared_ptr<NSCharacterSet> whitespaceAndNewlineCharacterSet();
  static std::shared_ptr<NSCharacterSet> newlineCharacterSet();
  // ASCII digits 0-9.
  static std::shared_ptr<NSCharacterSet> decimalDigitCharacterSet();
  // The code points of a UTF-8 string.
  static std::shared_ptr<NSCharacterSet> characterSetWithCharactersInString(std::string_view utf8);

  bool characterIsMember(unichar character) const { return contains_(character); }
  bool longCharacterIsMember(char32_t codePoint) const { return contains_(codePoint); }
  std::shared_ptr<NSCharacterSet> invertedSet() const;

 private:
  std::function<bool(char32_t)> contains_;
};
