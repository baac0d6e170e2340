#pragma once

#include <iosfwd>
#include <limits>
#include <string>

#include "runtime/TypeEncoding.h"

// Core Graphics geometry with the platform's rules: functions that read edges work on the
// standardised rectangle (a negative width extends to the left of the origin), and an operation
// with no result (the intersection of disjoint rectangles, an inset that swallows the rectangle)
// yields the null rectangle, which is different from an empty one.

using CGFloat = double;
inline constexpr CGFloat CGFLOAT_MAX = std::numeric_limits<CGFloat>::max();

struct CGPoint {
  CGFloat x = 0;
  CGFloat y = 0;
  bool operator==(const CGPoint&) const = default;
};

struct CGSize {
  CGFloat width = 0;
  CGFloat height = 0;
  bool operator==(const CGSize&) const = default;
};

struct CGRect {
  CGPoint origin;
  CGSize size;
  // As CGRectEqualToRect: the standardised rectangles are compared.
  bool operator==(const CGRect& other) const;
};

// UIKit's insets; they live beside the geometry they apply to.
struct UIEdgeInsets {
  CGFloat top = 0;
  CGFloat left = 0;
  CGFloat bottom = 0;
  CGFloat right = 0;
  bool operator==(const UIEdgeInsets&) const = default;
};

inline constexpr CGPoint CGPointZero{};
inline constexpr CGSize CGSizeZero{};
inline constexpr CGRect CGRectZero{};
inline constexpr CGRect CGRectNull{
    {std::numeric_limits<CGFloat>::infinity(), std::numeric_limits<CGFloat>::infinity()}, {0, 0}};
inline constexpr UIEdgeInsets UIEdgeInsetsZero{};

constexpr CGPoint CGPointMake(CGFloat x, CGFloat y) {
  return {x, y};
}
constexpr CGSize CGSizeMake(CGFloat width, CGFloat height) {
  return {width, height};
}
constexpr CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return {{x, y}, {width, height}};
}
constexpr UIEdgeInsets UIEdgeInsetsMake(CGFloat top, CGFloat left, CGFloat bottom, CGFloat right) {
  return {top, left, bottom, right};
}

CGRect CGRectStandardize(CGRect rect);
CGFloat CGRectGetMinX(CGRect rect);
CGFloat CGRectGetMidX(CGRect rect);
CGFloat CGRectGetMaxX(CGRect rect);
CGFloat CGRectGetMinY(CGRect rect);
CGFloat CGRectGetMidY(CGRect rect);
CGFloat CGRectGetMaxY(CGRect rect);
CGFloat CGRectGetWidth(CGRect rect);
CGFloat CGRectGetHeight(CGRect rect);

bool CGRectIsNull(CGRect rect);
// Null, or with no area.
bool CGRectIsEmpty(CGRect rect);
bool CGPointEqualToPoint(CGPoint a, CGPoint b);
bool CGSizeEqualToSize(CGSize a, CGSize b);
bool CGRectEqualToRect(CGRect a, CGRect b);

// Moves each edge inwards by dx and dy; null if the rectangle turns inside out.
CGRect CGRectInset(CGRect rect, CGFloat dx, CGFloat dy);
CGRect CGRectOffset(CGRect rect, CGFloat dx, CGFloat dy);
// Null when the rectangles do not meet; rectangles that only touch meet in a zero-width one.
CGRect CGRectIntersection(CGRect a, CGRect b);
// The null rectangle is the identity of the union.
CGRect CGRectUnion(CGRect a, CGRect b);
// The smallest rectangle with integral edges that contains the rectangle.
CGRect CGRectIntegral(CGRect rect);
// The minimum edges are inside, the maximum ones outside.
bool CGRectContainsPoint(CGRect rect, CGPoint point);
bool CGRectContainsRect(CGRect rect, CGRect other);
// Whether the rectangles share some area.
bool CGRectIntersectsRect(CGRect a, CGRect b);

CGRect UIEdgeInsetsInsetRect(CGRect rect, UIEdgeInsets insets);

// The platform's text forms: "{1, 2}", "{{0, 0}, {10, 20}}", "{1, 2, 3, 4}".
std::string NSStringFromCGPoint(CGPoint point);
std::string NSStringFromCGSize(CGSize size);
std::string NSStringFromCGRect(CGRect rect);
std::string NSStringFromUIEdgeInsets(UIEdgeInsets insets);

std::ostream& operator<<(std::ostream& out, CGPoint point);
std::ostream& operator<<(std::ostream& out, CGSize size);
std::ostream& operator<<(std::ostream& out, CGRect rect);
std::ostream& operator<<(std::ostream& out, UIEdgeInsets insets);

namespace quartz::detail {
// A plain struct crosses a message send as itself.
template <class T>
struct StructType {
  using Canonical = T;
  static T toCanonical(T v) { return v; }
  static T fromCanonical(T v) { return v; }
};
}  // namespace quartz::detail

template <>
struct ObjCType<CGPoint> : quartz::detail::StructType<CGPoint> {
  static std::string encoding() { return "{CGPoint=dd}"; }
};
template <>
struct ObjCType<CGSize> : quartz::detail::StructType<CGSize> {
  static std::string encoding() { return "{CGSize=dd}"; }
};
template <>
struct ObjCType<CGRect> : quartz::detail::StructType<CGRect> {
  static std::string encoding() { return "{CGRect={CGPoint=dd}{CGSize=dd}}"; }
};
template <>
struct ObjCType<UIEdgeInsets> : quartz::detail::StructType<UIEdgeInsets> {
  static std::string encoding() { return "{UIEdgeInsets=dddd}"; }
};
