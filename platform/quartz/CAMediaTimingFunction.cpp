#include "quartz/CAMediaTimingFunction.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

// A cubic from 0 to 1 with inner control values p1 and p2, in polynomial form.
struct Cubic {
  double a, b, c;
  Cubic(double p1, double p2) : a(1 - 3 * p2 + 3 * p1), b(3 * p2 - 6 * p1), c(3 * p1) {}
  double at(double t) const { return ((a * t + b) * t + c) * t; }
  double slope(double t) const { return (3 * a * t + 2 * b) * t + c; }
};

}  // namespace

CAMediaTimingFunction::CAMediaTimingFunction(double c1x, double c1y, double c2x, double c2y)
    : c1x_(std::clamp(c1x, 0.0, 1.0)), c1y_(c1y), c2x_(std::clamp(c2x, 0.0, 1.0)), c2y_(c2y) {}

CAMediaTimingFunction CAMediaTimingFunction::functionWithName(CAMediaTimingFunctionName name) {
  if (name == kCAMediaTimingFunctionEaseIn) return {0.42, 0, 1, 1};
  if (name == kCAMediaTimingFunctionEaseOut) return {0, 0, 0.58, 1};
  if (name == kCAMediaTimingFunctionEaseInEaseOut) return {0.42, 0, 0.58, 1};
  if (name == kCAMediaTimingFunctionDefault) return {0.25, 0.1, 0.25, 1};
  assert(name == kCAMediaTimingFunctionLinear && "unknown timing function name");
  return {};
}

CAMediaTimingFunction CAMediaTimingFunction::functionWithControlPoints(double c1x, double c1y,
                                                                       double c2x, double c2y) {
  return {c1x, c1y, c2x, c2y};
}

CGPoint CAMediaTimingFunction::controlPointAtIndex(size_t index) const {
  switch (index) {
    case 0:
      return {0, 0};
    case 1:
      return {c1x_, c1y_};
    case 2:
      return {c2x_, c2y_};
    default:
      return {1, 1};
  }
}

double CAMediaTimingFunction::progress(double timeFraction) const {
  double x = std::clamp(timeFraction, 0.0, 1.0);
  if (c1x_ == c1y_ && c2x_ == c2y_) return x;  // the control points lie on the diagonal
  Cubic curveX(c1x_, c2x_), curveY(c1y_, c2y_);

  // Find the curve parameter whose x is the time: Newton's method converges in a few steps where
  // the curve is not flat; bisection (x grows with t, as the control x lie in 0...1) covers the
  // rest.
  constexpr double kEpsilon = 1e-9;
  double t = x;
  for (int i = 0; i < 8; ++i) {
    double error = curveX.at(t) - x;
    if (std::abs(error) < kEpsilon) return curveY.at(t);
    double slope = curveX.slope(t);
    if (std::abs(slope) < 1e-6) break;
    t -= error / slope;
    if (t < 0 || t > 1) break;
  }
  double low = 0, high = 1;
  t = x;
  for (int i = 0; i < 100 && high - low > kEpsilon; ++i) {
    double value = curveX.at(t);
    if (std::abs(value - x) < kEpsilon) break;
    (value < x ? low : high) = t;
    t = (low + high) / 2;
  }
  return curveY.at(t);
}
