#pragma once

// NSString: text as UTF-16 code units, with the platform's indices, lengths and conversions.
// Plain text in C++ APIs is a UTF-8 std::string; an NSString is made where an object is needed
// (collections, property lists, archives, messages through the runtime).

#include <array>
#include <concepts>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "foundation/NSObjCRuntime.h"
#include "foundation/NSRange.h"
#include "runtime/NSObject.h"

class NSArray;
class NSCharacterSet;
class NSMutableString;

// One argument of a format: stringWithFormat takes C++ values and checks each against its
// conversion, so a mismatch is a loud error rather than undefined behaviour. Objects go to "%@"
// as raw pointers or shared_ptrs (nil prints "(null)"); std::string goes to "%s".
class NSFormatArgument {
 public:
  enum class Type { Signed, Unsigned, Real, CString, Object, Pointer };

  template <class T>
    requires(std::integral<T> && std::is_signed_v<T>)
  NSFormatArgument(T v) : type(Type::Signed), signedValue(v) {}  // NOLINT
  template <class T>
    requires(std::integral<T> && !std::is_signed_v<T>)
  NSFormatArgument(T v) : type(Type::Unsigned), unsignedValue(v) {}  // NOLINT
  template <class T>
    requires std::is_enum_v<T>
  NSFormatArgument(T v) : NSFormatArgument(static_cast<std::underlying_type_t<T>>(v)) {}  // NOLINT
  NSFormatArgument(double v) : type(Type::Real), realValue(v) {}  // NOLINT
  NSFormatArgument(const char* v) : type(Type::CString), text(v) {}  // NOLINT
  NSFormatArgument(char* v) : type(Type::CString), text(v) {}  // NOLINT
  NSFormatArgument(const std::string& v) : type(Type::CString), text(v.data()), textLength(v.size()) {}  // NOLINT
  NSFormatArgument(std::string_view v) : type(Type::CString), text(v.data()), textLength(v.size()) {}  // NOLINT
  NSFormatArgument(std::nullptr_t) : type(Type::Object) {}  // NOLINT
  template <class T>
    requires std::derived_from<T, NSObject>
  NSFormatArgument(const T* v) : type(Type::Object), object(v) {}  // NOLINT
  template <class T>
    requires std::derived_from<T, NSObject>
  NSFormatArgument(const std::shared_ptr<T>& v) : type(Type::Object), object(v.get()) {}  // NOLINT
  template <class T>
    requires(!std::derived_from<T, NSObject> && !std::is_same_v<std::remove_cv_t<T>, char>)
  NSFormatArgument(const T* v) : type(Type::Pointer), pointer(v) {}  // NOLINT

  Type type;
  int64_t signedValue = 0;
  uint64_t unsignedValue = 0;
  double realValue = 0;
  const char* text = nullptr;
  size_t textLength = std::string_view::npos;  // npos: up to the terminating NUL
  const NSObject* object = nullptr;
  const void* pointer = nullptr;
};

class NSString : public NSObject {
  OBJC_CLASS(NSString, NSObject);

 public:
  NSString() = default;
  explicit NSString(std::u16string units) : units_(std::move(units)) {}

  static std::shared_ptr<NSString> string();
  // Malformed UTF-8 becomes U+FFFD.
  static std::shared_ptr<NSString> string(std::string_view utf8);
  // nil for a null pointer or malformed UTF-8, as on the platform.
  static std::shared_ptr<NSString> stringWithUTF8String(const char* utf8);
  static std::shared_ptr<NSString> stringWithCharacters(std::u16string_view units);
  static std::shared_ptr<NSString> stringWithString(const NSString& other);

  // printf's conversions plus "%@" (an object's description). Positional arguments ("%1$@") work.
  // A conversion that does not fit its argument, or a missing argument, throws objc::RuntimeError.
  template <class... Args>
  static std::shared_ptr<NSString> stringWithFormat(const char* format, const Args&... args) {
    return string(formatUTF8(format, args...));
  }
  // The same formatting, straight to UTF-8.
  template <class... Args>
  static std::string formatUTF8(const char* format, const Args&... args) {
    const std::array<NSFormatArgument, sizeof...(Args)> list{NSFormatArgument(args)...};
    return formatWithArguments(format, list);
  }
  static std::string formatWithArguments(const char* format,
                                         std::span<const NSFormatArgument> arguments);

  // Length and characters, in UTF-16 code units. An index past the end throws
  // objc::RuntimeError, as the platform raises its range exception.
  NSUInteger length() const { return units_.size(); }
  unichar characterAtIndex(NSUInteger index) const;
  const std::u16string& characters() const { return units_; }

  // UTF-8. The pointer stays valid until the string changes or dies.
  const char* UTF8String() const;
  std::string utf8() const;

  // A cut never splits a surrogate pair: a cut inside a pair moves to before the pair.
  // Indices past the end throw objc::RuntimeError.
  std::shared_ptr<NSString> substringToIndex(NSUInteger index) const;
  std::shared_ptr<NSString> substringFromIndex(NSUInteger index) const;
  std::shared_ptr<NSString> substringWithRange(NSRange range) const;

  // The longest leading number after white space, else 0. Integers saturate on overflow.
  float floatValue() const;
  double doubleValue() const;
  int intValue() const;
  NSInteger integerValue() const;
  long long longLongValue() const;
  // YES for a leading "Y", "y", "T", "t" or a non-zero digit (after white space, a sign and zeros).
  bool boolValue() const;

  std::shared_ptr<NSString> stringByTrimmingCharactersInSet(const NSCharacterSet& set) const;
  std::shared_ptr<NSString> uppercaseString() const;
  std::shared_ptr<NSString> lowercaseString() const;

  bool hasPrefix(const NSString& prefix) const;
  bool hasPrefix(std::string_view prefix) const;
  bool hasSuffix(const NSString& suffix) const;
  bool hasSuffix(std::string_view suffix) const;
  bool isEqualToString(const NSString& other) const { return units_ == other.units_; }
  bool isEqualToString(std::string_view other) const;
  // Ordered by UTF-16 code unit.
  NSComparisonResult compare(const NSString& other) const;
  NSComparisonResult compare(std::string_view other) const;
  // {NSNotFound, 0} when absent or when `needle` is empty.
  NSRange rangeOfString(const NSString& needle) const;
  NSRange rangeOfString(std::string_view needle) const;
  bool containsString(std::string_view needle) const;
  std::shared_ptr<NSString> stringByReplacingOccurrencesOfString(const NSString& target,
                                                                 const NSString& replacement) const;
  std::shared_ptr<NSString> stringByReplacingOccurrencesOfString(std::string_view target,
                                                                 std::string_view replacement) const;
  std::shared_ptr<NSString> stringByAppendingString(std::string_view tail) const;
  // An array of NSString.
  std::shared_ptr<NSArray> componentsSeparatedByString(const NSString& separator) const;
  std::shared_ptr<NSArray> componentsSeparatedByString(std::string_view separator) const;

  std::shared_ptr<NSString> copy() const;
  std::shared_ptr<NSMutableString> mutableCopy() const;

  bool isEqual(const id& other) const override;
  size_t hash() const override;
  std::string description() const override { return utf8(); }

 protected:
  void changed() { utf8Cache_.reset(); }

  std::u16string units_;

 private:
  std::shared_ptr<NSArray> componentsSeparatedBy(std::u16string_view separator) const;
  std::shared_ptr<NSString> replacingOccurrences(std::u16string_view target,
                                                 std::u16string_view replacement) const;
  bool isEqualToStringImp(const std::shared_ptr<NSString>& other) const;
  bool hasPrefixImp(const std::shared_ptr<NSString>& prefix) const;
  bool hasSuffixImp(const std::shared_ptr<NSString>& suffix) const;

  mutable std::unique_ptr<std::string> utf8Cache_;
};

class NSMutableString : public NSString {
  OBJC_CLASS(NSMutableString, NSString);

 public:
  using NSString::NSString;

  static std::shared_ptr<NSMutableString> string();
  static std::shared_ptr<NSMutableString> string(std::string_view utf8);
  static std::shared_ptr<NSMutableString> stringWithString(const NSString& other);

  void appendString(const NSString& tail);
  void appendString(std::string_view tail);
  // Ranges and indices past the end throw objc::RuntimeError.
  void replaceCharactersInRange(NSRange range, const NSString& replacement);
  void replaceCharactersInRange(NSRange range, std::string_view replacement);
  void insertString(const NSString& text, NSUInteger index);
  void insertString(std::string_view text, NSUInteger index);
  void deleteCharactersInRange(NSRange range);
  void setString(const NSString& text);
  void setString(std::string_view text);

 private:
  void replaceUnits(NSRange range, std::u16string_view replacement);
  void appendStringImp(const std::shared_ptr<NSString>& tail);
};
