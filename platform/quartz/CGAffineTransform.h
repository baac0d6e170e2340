#pragma once

#include "quartz/CGGeometry.h"

// The 3x2 matrix [a b 0; c d 0; tx ty 1] that maps row vectors: x' = a*x + c*y + tx,
// y' = b*x + d*y + ty.
struct CGAffineTransform {
  CGFloat a = 1;
  CGFloat b = 0;
  CGFloat c = 0;
  CGFloat d = 1;
  CGFloat tx = 0;
  CGFloat ty = 0;
  bool operator==(const CGAffineTransform&) const = default;
};

inline constexpr CGAffineTransform CGAffineTransformIdentity{};

constexpr CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d,
                                                  CGFloat tx, CGFloat ty) {
  return {a, b, c, d, tx, ty};
}
CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy);
// Positive angles (radians) turn from the x axis towards the y axis.
CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle);

// The result applies t1, then t2.
CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2);
// Translate, Scale and Rotate apply their own step first, then t: they work in t's
// coordinate space, as drawing code expects when it stacks steps on a transform.
CGAffineTransform CGAffineTransformTranslate(CGAffineTransform t, CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformScale(CGAffineTransform t, CGFloat sx, CGFloat sy);
CGAffineTransform CGAffineTransformRotate(CGAffineTransform t, CGFloat angle);
// A singular matrix has no inverse and is returned unchanged.
CGAffineTransform CGAffineTransformInvert(CGAffineTransform t);
bool CGAffineTransformIsIdentity(CGAffineTransform t);
bool CGAffineTransformEqualToTransform(CGAffineTransform t1, CGAffineTransform t2);

CGPoint CGPointApplyAffineTransform(CGPoint point, CGAffineTransform t);
// Sizes are vectors: the translation does not apply.
CGSize CGSizeApplyAffineTransform(CGSize size, CGAffineTransform t);
// The smallest upright rectangle that holds the four transformed corners.
CGRect CGRectApplyAffineTransform(CGRect rect, CGAffineTransform t);

template <>
struct ObjCType<CGAffineTransform> : quartz::detail::StructType<CGAffineTransform> {
  static std::string encoding() { return "{CGAffineTransform=dddddd}"; }
};
