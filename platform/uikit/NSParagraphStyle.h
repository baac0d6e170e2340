#pragma once

#include <memory>
#include <string>

#include "foundation/NSObjCRuntime.h"
#include "quartz/CGGeometry.h"
#include "runtime/NSObject.h"
#include "uikit/Forward.h"

enum NSTextAlignment : long {
  NSTextAlignmentLeft = 0,
  NSTextAlignmentCenter = 1,
  NSTextAlignmentRight = 2,
  NSTextAlignmentJustified = 3,
  // Left for left-to-right paragraphs, right for right-to-left ones.
  NSTextAlignmentNatural = 4,
};

enum NSLineBreakMode : long {
  NSLineBreakByWordWrapping = 0,
  NSLineBreakByCharWrapping,
  NSLineBreakByClipping,
  NSLineBreakByTruncatingHead,
  NSLineBreakByTruncatingTail,
  NSLineBreakByTruncatingMiddle,
};

// Both enums cross message sends as NSInteger, as on the platform.
template <class E>
struct ParloNSIntegerEnumType {
  using Canonical = int64_t;
  static std::string encoding() { return "q"; }
  static Canonical toCanonical(E v) { return v; }
  static E fromCanonical(Canonical v) { return static_cast<E>(v); }
};
template <>
struct ObjCType<NSTextAlignment> : ParloNSIntegerEnumType<NSTextAlignment> {};
template <>
struct ObjCType<NSLineBreakMode> : ParloNSIntegerEnumType<NSLineBreakMode> {};

// How the lines of a paragraph are placed: extra space between lines, alignment, and where lines
// break. Immutable; NSMutableParagraphStyle is the one to build with.
class NSParagraphStyle : public NSObject {
  OBJC_CLASS(NSParagraphStyle, NSObject);

 public:
  // Natural alignment, word wrapping, no extra spacing.
  static std::shared_ptr<NSParagraphStyle> defaultParagraphStyle();

  std::shared_ptr<NSParagraphStyle> init() { return selfAs<NSParagraphStyle>(); }

  // Points added between two lines (not after the last).
  CGFloat lineSpacing() const { return lineSpacing_; }
  NSTextAlignment alignment() const { return alignment_; }
  NSLineBreakMode lineBreakMode() const { return lineBreakMode_; }

  std::shared_ptr<NSParagraphStyle> copy() const;
  std::shared_ptr<NSMutableParagraphStyle> mutableCopy() const;

  // Equal when every setting is.
  bool isEqual(const id& other) const override;
  size_t hash() const override;
  std::string description() const override;

 protected:
  CGFloat lineSpacing_ = 0;
  NSTextAlignment alignment_ = NSTextAlignmentNatural;
  NSLineBreakMode lineBreakMode_ = NSLineBreakByWordWrapping;
};

class NSMutableParagraphStyle : public NSParagraphStyle {
  OBJC_CLASS(NSMutableParagraphStyle, NSParagraphStyle);

 public:
  std::shared_ptr<NSMutableParagraphStyle> init() { return selfAs<NSMutableParagraphStyle>(); }

  // A negative spacing is taken as 0, as the platform does.
  void setLineSpacing(CGFloat spacing);
  void setAlignment(NSTextAlignment alignment) { alignment_ = alignment; }
  void setLineBreakMode(NSLineBreakMode mode) { lineBreakMode_ = mode; }
  // Takes every setting of `other`.
  void setParagraphStyle(const NSParagraphStyle& other);
};
