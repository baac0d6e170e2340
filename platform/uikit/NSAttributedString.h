#pragma once

// Attributed strings: text with attribute runs over UTF-16 ranges. The attributes that text
// layout reads are the font (UIFont), the foreground colour (UIColor), the paragraph style
// (NSParagraphStyle) and the kern (NSNumber, points added after each character).

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/NSDictionary.h"
#include "foundation/NSRange.h"
#include "foundation/NSString.h"
#include "uikit/Forward.h"

using NSAttributedStringKey = std::string_view;

inline constexpr NSAttributedStringKey NSFontAttributeName = "NSFont";
inline constexpr NSAttributedStringKey NSForegroundColorAttributeName = "NSColor";
inline constexpr NSAttributedStringKey NSParagraphStyleAttributeName = "NSParagraphStyle";
inline constexpr NSAttributedStringKey NSKernAttributeName = "NSKern";

using NSAttributedStringEnumerationOptions = NSUInteger;
inline constexpr NSAttributedStringEnumerationOptions NSAttributedStringEnumerationReverse = 1 << 1;
inline constexpr NSAttributedStringEnumerationOptions
    NSAttributedStringEnumerationLongestEffectiveRangeNotRequired = 1 << 20;

class NSAttributedString : public NSObject {
  OBJC_CLASS(NSAttributedString, NSObject);

 public:
  using AttributesBlock = std::function<void(const std::shared_ptr<NSDictionary>& attributes,
                                             NSRange range, bool* stop)>;
  using AttributeBlock = std::function<void(const id& value, NSRange range, bool* stop)>;

  NSAttributedString();

  // A nil string is a programming error and throws objc::RuntimeError, as the platform raises.
  std::shared_ptr<NSAttributedString> initWithString(
      const std::shared_ptr<NSString>& string,
      const std::shared_ptr<NSDictionary>& attributes = nullptr);
  std::shared_ptr<NSAttributedString> initWithString(
      std::string_view utf8, const std::shared_ptr<NSDictionary>& attributes = nullptr);
  std::shared_ptr<NSAttributedString> initWithAttributedString(const NSAttributedString& other);

  // The characters, as an immutable string.
  std::shared_ptr<NSString> string() const { return string_; }
  // In UTF-16 code units, as NSString counts.
  NSUInteger length() const { return string_->length(); }

  // The attributes at `index` (never nil) and, when asked, the run they hold over. An index at or
  // past the end throws objc::RuntimeError.
  std::shared_ptr<NSDictionary> attributesAtIndex(NSUInteger index,
                                                  NSRange* effectiveRange = nullptr) const;
  // nil when the attribute is absent at `index`; the range is then the run without it.
  id attribute(NSAttributedStringKey name, NSUInteger index,
               NSRange* effectiveRange = nullptr) const;
  std::shared_ptr<NSAttributedString> attributedSubstringFromRange(NSRange range) const;

  // Calls `block` for each run in `range`, clipped to it; equal neighbouring runs are always
  // joined, so every range is the longest one.
  void enumerateAttributesInRange(NSRange range, NSAttributedStringEnumerationOptions options,
                                  const AttributesBlock& block) const;
  void enumerateAttribute(NSAttributedStringKey name, NSRange range,
                          NSAttributedStringEnumerationOptions options,
                          const AttributeBlock& block) const;

  bool isEqualToAttributedString(const NSAttributedString& other) const;

  std::shared_ptr<NSAttributedString> copy() const;
  std::shared_ptr<NSMutableAttributedString> mutableCopy() const;

  bool isEqual(const id& other) const override;
  size_t hash() const override;
  // The platform's form: each run's text followed by its attributes in braces.
  std::string description() const override;

 protected:
  struct Run {
    NSUInteger location;
    NSUInteger length;
    std::shared_ptr<NSDictionary> attributes;
  };

  // Throws objc::RuntimeError unless `range` lies within the string.
  void checkRange(NSRange range, const char* method) const;
  // The index of the run holding `index` (< length).
  size_t runIndexAt(NSUInteger index) const;
  // Splits the run that straddles `index` so that a run starts there; returns that run's index.
  size_t splitAt(NSUInteger index);
  // Replaces the characters in `range` with `units`, whose runs (relative to 0) are `runs`.
  void replace(NSRange range, std::u16string_view units, std::vector<Run> runs);
  // Gives each run in `range` the attributes `change` makes of its old ones.
  void changeAttributes(
      NSRange range,
      const std::function<std::shared_ptr<NSDictionary>(const NSDictionary&)>& change);
  // Recomputes locations, drops empty runs and joins equal neighbours.
  void normalize();
  std::vector<Run> runsInRange(NSRange range) const;
  static const std::vector<Run>& runsOf(const NSAttributedString& text) { return text.runs_; }

  std::shared_ptr<NSString> string_;
  std::vector<Run> runs_;  // cover the string exactly; none for the empty string
};

class NSMutableAttributedString : public NSAttributedString {
  OBJC_CLASS(NSMutableAttributedString, NSAttributedString);

 public:
  std::shared_ptr<NSMutableAttributedString> initWithString(
      const std::shared_ptr<NSString>& string,
      const std::shared_ptr<NSDictionary>& attributes = nullptr);
  std::shared_ptr<NSMutableAttributedString> initWithString(
      std::string_view utf8, const std::shared_ptr<NSDictionary>& attributes = nullptr);
  std::shared_ptr<NSMutableAttributedString> initWithAttributedString(
      const NSAttributedString& other);

  // Ranges past the end throw objc::RuntimeError. A nil dictionary stands for no attributes.
  void setAttributes(const std::shared_ptr<NSDictionary>& attributes, NSRange range);
  void addAttribute(NSAttributedStringKey name, const id& value, NSRange range);
  void addAttributes(const std::shared_ptr<NSDictionary>& attributes, NSRange range);
  void removeAttribute(NSAttributedStringKey name, NSRange range);

  // New plain characters take the attributes of the first replaced character, or, for an
  // insertion, of the character before (else the one after), as on the platform.
  void replaceCharactersInRange(NSRange range, const NSString& string);
  void replaceCharactersInRange(NSRange range, std::string_view utf8);
  void replaceCharactersInRange(NSRange range, const NSAttributedString& attributedString);
  void insertAttributedString(const NSAttributedString& attributedString, NSUInteger location);
  void appendAttributedString(const NSAttributedString& attributedString);
  void deleteCharactersInRange(NSRange range);
  void setAttributedString(const NSAttributedString& attributedString);

 private:
  void replaceWithPlain(NSRange range, std::u16string_view units);
};
