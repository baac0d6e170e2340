#pragma once

#include <string_view>

#include "quartz/CGGeometry.h"

using CAMediaTimingFunctionName = std::string_view;
inline constexpr CAMediaTimingFunctionName kCAMediaTimingFunctionLinear = "linear";
inline constexpr CAMediaTimingFunctionName kCAMediaTimingFunctionEaseIn = "easeIn";
inline constexpr CAMediaTimingFunctionName kCAMediaTimingFunctionEaseOut = "easeOut";
inline constexpr CAMediaTimingFunctionName kCAMediaTimingFunctionEaseInEaseOut = "easeInEaseOut";
inline constexpr CAMediaTimingFunctionName kCAMediaTimingFunctionDefault = "default";

// The pace of an animation: a cubic Bézier from (0, 0) to (1, 1) whose x is the fraction of the
// duration that has passed and whose y is the fraction of the change that shows. A value type;
// a default-constructed function is linear, as an animation without a timing function is.
class CAMediaTimingFunction {
 public:
  CAMediaTimingFunction() = default;

  // One of the named curves above; an unknown name is a programming error (linear in release).
  static CAMediaTimingFunction functionWithName(CAMediaTimingFunctionName name);
  // The x coordinates are clamped to 0...1 so that the curve stays a function of time.
  static CAMediaTimingFunction functionWithControlPoints(double c1x, double c1y, double c2x,
                                                         double c2y);

  // Index 0 is (0, 0), 1 and 2 the control points, 3 is (1, 1).
  CGPoint controlPointAtIndex(size_t index) const;

  // The fraction of the change at a fraction of the duration, which is clamped to 0...1.
  double progress(double timeFraction) const;

  bool operator==(const CAMediaTimingFunction&) const = default;

 private:
  CAMediaTimingFunction(double c1x, double c1y, double c2x, double c2y);

  double c1x_ = 0;
  double c1y_ = 0;
  double c2x_ = 1;
  double c2y_ = 1;
};
