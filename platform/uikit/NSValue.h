#pragma once

#include <memory>
#include <string>

#include "quartz/CGGeometry.h"
#include "runtime/NSObject.h"

// A boxed geometry value, for collections and user info (the keyboard's frames). Reading a value
// as another kind than it was made with gives the zero value of that kind.
class NSValue : public NSObject {
  OBJC_CLASS(NSValue, NSObject);

 public:
  enum class Kind { Rect, Point, Size, EdgeInsets };

  static std::shared_ptr<NSValue> valueWithCGRect(CGRect rect);
  static std::shared_ptr<NSValue> valueWithCGPoint(CGPoint point);
  static std::shared_ptr<NSValue> valueWithCGSize(CGSize size);
  static std::shared_ptr<NSValue> valueWithUIEdgeInsets(UIEdgeInsets insets);

  Kind kind() const { return kind_; }
  CGRect CGRectValue() const;
  CGPoint CGPointValue() const;
  CGSize CGSizeValue() const;
  UIEdgeInsets UIEdgeInsetsValue() const;

  bool isEqual(const id& other) const override;
  size_t hash() const override;
  // The platform's forms: "NSRect: {{0, 508}, {390, 336}}", "NSPoint: {1, 2}", "NSSize: {1, 2}",
  // "UIEdgeInsets: {1, 2, 3, 4}".
  std::string description() const override;

 private:
  static std::shared_ptr<NSValue> make(Kind kind, CGFloat a, CGFloat b, CGFloat c, CGFloat d);

  Kind kind_ = Kind::Rect;
  // A point or size is the rectangle's origin or size; insets are top, left, bottom, right.
  CGFloat values_[4] = {0, 0, 0, 0};
};
