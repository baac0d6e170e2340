#include "uikit/NSValue.h"

#include <algorithm>
#include <functional>

OBJC_CLASS_IMPL(NSValue) {
  c.method("CGRectValue", &NSValue::CGRectValue)
      .method("CGPointValue", &NSValue::CGPointValue)
      .method("CGSizeValue", &NSValue::CGSizeValue)
      .method("UIEdgeInsetsValue", &NSValue::UIEdgeInsetsValue);
}

std::shared_ptr<NSValue> NSValue::make(Kind kind, CGFloat a, CGFloat b, CGFloat c, CGFloat d) {
  auto value = NSValue::alloc();
  value->kind_ = kind;
  value->values_[0] = a;
  value->values_[1] = b;
  value->values_[2] = c;
  value->values_[3] = d;
  return value;
}

std::shared_ptr<NSValue> NSValue::valueWithCGRect(CGRect rect) {
  return make(Kind::Rect, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
}

std::shared_ptr<NSValue> NSValue::valueWithCGPoint(CGPoint point) {
  return make(Kind::Point, point.x, point.y, 0, 0);
}

std::shared_ptr<NSValue> NSValue::valueWithCGSize(CGSize size) {
  return make(Kind::Size, 0, 0, size.width, size.height);
}

std::shared_ptr<NSValue> NSValue::valueWithUIEdgeInsets(UIEdgeInsets insets) {
  return make(Kind::EdgeInsets, insets.top, insets.left, insets.bottom, insets.right);
}

CGRect NSValue::CGRectValue() const {
  if (kind_ != Kind::Rect) return CGRectZero;
  return CGRectMake(values_[0], values_[1], values_[2], values_[3]);
}

CGPoint NSValue::CGPointValue() const {
  if (kind_ != Kind::Point) return CGPointZero;
  return CGPointMake(values_[0], values_[1]);
}

CGSize NSValue::CGSizeValue() const {
  if (kind_ != Kind::Size) return CGSizeZero;
  return CGSizeMake(values_[2], values_[3]);
}

UIEdgeInsets NSValue::UIEdgeInsetsValue() const {
  if (kind_ != Kind::EdgeInsets) return UIEdgeInsetsZero;
  return UIEdgeInsetsMake(values_[0], values_[1], values_[2], values_[3]);
}

bool NSValue::isEqual(const id& other) const {
  auto value = std::dynamic_pointer_cast<NSValue>(other);
  return value && value->kind_ == kind_ && std::equal(values_, values_ + 4, value->values_);
}

size_t NSValue::hash() const {
  size_t hash = static_cast<size_t>(kind_);
  for (CGFloat v : values_) hash = hash * 31 + std::hash<CGFloat>()(v);
  return hash;
}

std::string NSValue::description() const {
  switch (kind_) {
    case Kind::Rect:
      return "NSRect: " + NSStringFromCGRect(CGRectValue());
    case Kind::Point:
      return "NSPoint: " + NSStringFromCGPoint(CGPointValue());
    case Kind::Size:
      return "NSSize: " + NSStringFromCGSize(CGSizeValue());
    case Kind::EdgeInsets:
      return "UIEdgeInsets: " + NSStringFromUIEdgeInsets(UIEdgeInsetsValue());
  }
  return NSObject::description();
}
