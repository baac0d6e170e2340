#pragma once

#include "quartz/CGGeometry.h"

// A colour as a layer stores it: fixed sRGB components. Unlike UIColor it never resolves
// again, so a layer that takes one keeps it across appearance changes.
struct CGColor {
  CGFloat red = 0;
  CGFloat green = 0;
  CGFloat blue = 0;
  CGFloat alpha = 1;
  bool operator==(const CGColor&) const = default;
};

inline CGFloat CGColorGetAlpha(const CGColor& color) {
  return color.alpha;
}
