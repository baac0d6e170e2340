#include "quartz/CGGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace {

// "%g" keeps whole numbers short ("10") as the platform's descriptions do.
std::string number(CGFloat value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

bool CGRect::operator==(const CGRect& other) const {
  return CGRectEqualToRect(*this, other);
}

CGRect CGRectStandardize(CGRect rect) {
  if (rect.size.width < 0) {
    rect.origin.x += rect.size.width;
    rect.size.width = -rect.size.width;
  }
  if (rect.size.height < 0) {
    rect.origin.y += rect.size.height;
    rect.size.height = -rect.size.height;
  }
  return rect;
}

CGFloat CGRectGetMinX(CGRect rect) {
  return CGRectStandardize(rect).origin.x;
}
CGFloat CGRectGetMidX(CGRect rect) {
  return CGRectGetMinX(rect) + CGRectGetWidth(rect) / 2;
}
CGFloat CGRectGetMaxX(CGRect rect) {
  return CGRectGetMinX(rect) + CGRectGetWidth(rect);
}
CGFloat CGRectGetMinY(CGRect rect) {
  return CGRectStandardize(rect).origin.y;
}
CGFloat CGRectGetMidY(CGRect rect) {
  return CGRectGetMinY(rect) + CGRectGetHeight(rect) / 2;
}
CGFloat CGRectGetMaxY(CGRect rect) {
  return CGRectGetMinY(rect) + CGRectGetHeight(rect);
}
CGFloat CGRectGetWidth(CGRect rect) {
  return std::fabs(rect.size.width);
}
CGFloat CGRectGetHeight(CGRect rect) {
  return std::fabs(rect.size.height);
}

bool CGRectIsNull(CGRect rect) {
  return std::isinf(rect.origin.x) || std::isinf(rect.origin.y);
}

bool CGRectIsEmpty(CGRect rect) {
  return CGRectIsNull(rect) || rect.size.width == 0 || rect.size.height == 0;
}

bool CGPointEqualToPoint(CGPoint a, CGPoint b) {
  return a == b;
}
bool CGSizeEqualToSize(CGSize a, CGSize b) {
  return a == b;
}

bool CGRectEqualToRect(CGRect a, CGRect b) {
  if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectIsNull(a) && CGRectIsNull(b);
  a = CGRectStandardize(a);
  b = CGRectStandardize(b);
  return a.origin == b.origin && a.size == b.size;
}

CGRect CGRectInset(CGRect rect, CGFloat dx, CGFloat dy) {
  if (CGRectIsNull(rect)) return CGRectNull;
  rect = CGRectStandardize(rect);
  rect.origin.x += dx;
  rect.origin.y += dy;
  rect.size.width -= 2 * dx;
  rect.size.height -= 2 * dy;
  if (rect.size.width < 0 || rect.size.height < 0) return CGRectNull;
  return rect;
}

CGRect CGRectOffset(CGRect rect, CGFloat dx, CGFloat dy) {
  if (CGRectIsNull(rect)) return CGRectNull;
  rect.origin.x += dx;
  rect.origin.y += dy;
  return rect;
}

CGRect CGRectIntersection(CGRect a, CGRect b) {
  if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectNull;
  CGFloat minX = std::max(CGRectGetMinX(a), CGRectGetMinX(b));
  CGFloat maxX = std::min(CGRectGetMaxX(a), CGRectGetMaxX(b));
  CGFloat minY = std::max(CGRectGetMinY(a), CGRectGetMinY(b));
  CGFloat maxY = std::min(CGRectGetMaxY(a), CGRectGetMaxY(b));
  if (maxX < minX || maxY < minY) return CGRectNull;
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect CGRectUnion(CGRect a, CGRect b) {
  if (CGRectIsNull(a)) return CGRectStandardize(b);
  if (CGRectIsNull(b)) return CGRectStandardize(a);
  CGFloat minX = std::min(CGRectGetMinX(a), CGRectGetMinX(b));
  CGFloat maxX = std::max(CGRectGetMaxX(a), CGRectGetMaxX(b));
  CGFloat minY = std::min(CGRectGetMinY(a), CGRectGetMinY(b));
  CGFloat maxY = std::max(CGRectGetMaxY(a), CGRectGetMaxY(b));
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect CGRectIntegral(CGRect rect) {
  if (CGRectIsNull(rect)) return CGRectNull;
  CGFloat minX = std::floor(CGRectGetMinX(rect));
  CGFloat minY = std::floor(CGRectGetMinY(rect));
  CGFloat maxX = std::ceil(CGRectGetMaxX(rect));
  CGFloat maxY = std::ceil(CGRectGetMaxY(rect));
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

bool CGRectContainsPoint(CGRect rect, CGPoint point) {
  if (CGRectIsNull(rect)) return false;
  return point.x >= CGRectGetMinX(rect) && point.x < CGRectGetMaxX(rect) &&
         point.y >= CGRectGetMinY(rect) && point.y < CGRectGetMaxY(rect);
}

bool CGRectContainsRect(CGRect rect, CGRect other) {
  if (CGRectIsNull(rect)) return false;
  if (CGRectIsNull(other)) return true;
  return CGRectGetMinX(other) >= CGRectGetMinX(rect) &&
         CGRectGetMaxX(other) <= CGRectGetMaxX(rect) &&
         CGRectGetMinY(other) >= CGRectGetMinY(rect) && CGRectGetMaxY(other) <= CGRectGetMaxY(rect);
}

bool CGRectIntersectsRect(CGRect a, CGRect b) {
  return !CGRectIsEmpty(CGRectIntersection(a, b));
}

CGRect UIEdgeInsetsInsetRect(CGRect rect, UIEdgeInsets insets) {
  rect.origin.x += insets.left;
  rect.origin.y += insets.top;
  rect.size.width -= insets.left + insets.right;
  rect.size.height -= insets.top + insets.bottom;
  return rect;
}

std::string NSStringFromCGPoint(CGPoint point) {
  return "{" + number(point.x) + ", " + number(point.y) + "}";
}

std::string NSStringFromCGSize(CGSize size) {
  return "{" + number(size.width) + ", " + number(size.height) + "}";
}

std::string NSStringFromCGRect(CGRect rect) {
  return "{" + NSStringFromCGPoint(rect.origin) + ", " + NSStringFromCGSize(rect.size) + "}";
}

std::string NSStringFromUIEdgeInsets(UIEdgeInsets insets) {
  return "{" + number(insets.top) + ", " + number(insets.left) + ", " + number(insets.bottom) +
         ", " + number(insets.right) + "}";
}

std::ostream& operator<<(std::ostream& out, CGPoint point) {
  return out << NSStringFromCGPoint(point);
}
std::ostream& operator<<(std::ostream& out, CGSize size) {
  return out << NSStringFromCGSize(size);
}
std::ostream& operator<<(std::ostream& out, CGRect rect) {
  return out << NSStringFromCGRect(rect);
}
std::ostream& operator<<(std::ostream& out, UIEdgeInsets insets) {
  return out << NSStringFromUIEdgeInsets(insets);
}
