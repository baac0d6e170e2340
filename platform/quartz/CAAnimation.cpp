#include "quartz/CAAnimation.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numbers>

namespace {

double mix(double from, double to, double fraction) {
  return from + (to - from) * fraction;
}

CGPoint mix(CGPoint from, CGPoint to, double fraction) {
  return {mix(from.x, to.x, fraction), mix(from.y, to.y, fraction)};
}

CGSize mix(CGSize from, CGSize to, double fraction) {
  return {mix(from.width, to.width, fraction), mix(from.height, to.height, fraction)};
}

CGRect mix(CGRect from, CGRect to, double fraction) {
  return {mix(from.origin, to.origin, fraction), mix(from.size, to.size, fraction)};
}

CGColor mix(CGColor from, CGColor to, double fraction) {
  auto channel = [fraction](double a, double b) {
    return std::clamp(mix(a, b, fraction), 0.0, 1.0);
  };
  return {channel(from.red, to.red), channel(from.green, to.green), channel(from.blue, to.blue),
          channel(from.alpha, to.alpha)};
}

// An affine transform as scale, then shear, then rotation, then translation. With row vectors
// the linear part is diag(sx, sy) * [1 0; shear 1] * rotation(angle), whose first row is
// sx * (cos, sin) and second row sy * (shear * cos - sin, shear * sin + cos). A reflection
// shows as a negative sy.
struct DecomposedTransform {
  double sx, sy, shear, angle, tx, ty;

  explicit DecomposedTransform(const CGAffineTransform& t) : tx(t.tx), ty(t.ty) {
    sx = std::hypot(t.a, t.b);
    angle = sx > 0 ? std::atan2(t.b, t.a) : 0;
    double cos = std::cos(angle), sin = std::sin(angle);
    sy = t.d * cos - t.c * sin;
    shear = sy != 0 ? (t.c * cos + t.d * sin) / sy : 0;
  }

  CGAffineTransform recomposed() const {
    double cos = std::cos(angle), sin = std::sin(angle);
    return {sx * cos, sx * sin, sy * (shear * cos - sin), sy * (shear * sin + cos), tx, ty};
  }
};

CGAffineTransform mix(const CGAffineTransform& from, const CGAffineTransform& to, double fraction) {
  DecomposedTransform a(from), b(to);
  // Turn the short way round.
  double turn = std::remainder(b.angle - a.angle, 2 * std::numbers::pi);
  DecomposedTransform result = a;
  result.sx = mix(a.sx, b.sx, fraction);
  result.sy = mix(a.sy, b.sy, fraction);
  result.shear = mix(a.shear, b.shear, fraction);
  result.angle += turn * fraction;
  result.tx = mix(a.tx, b.tx, fraction);
  result.ty = mix(a.ty, b.ty, fraction);
  return result.recomposed();
}

// The spring moves a unit displacement (-1 at the start, 0 at rest) in time measured in
// durations, so the same ratio gives the same shape at any duration. With z the damping ratio,
// w the frequency, v the starting velocity and wd = w sqrt(1 - z^2):
//   z < 1:  x(t) = e^(-z w t) (-cos(wd t) + (v - z w) / wd sin(wd t))
//   z = 1:  x(t) = (-1 + (v - w) t) e^(-w t)
struct Spring {
  double damping;    // z
  double frequency;  // w, radians per duration
  double velocity;   // v, distances per duration

  double displacement(double t) const {
    if (damping >= 1) return (-1 + (velocity - frequency) * t) * std::exp(-frequency * t);
    double damped = frequency * std::sqrt(1 - damping * damping);
    return std::exp(-damping * frequency * t) *
           (-std::cos(damped * t) +
            (velocity - damping * frequency) / damped * std::sin(damped * t));
  }

  // A bound on |x(t)| for every t from the end of the duration on (for frequencies of 1 or more).
  double boundAtEnd() const {
    if (damping >= 1) return (1 + std::abs(velocity - frequency)) * std::exp(-frequency);
    double damped = frequency * std::sqrt(1 - damping * damping);
    double sine = (velocity - damping * frequency) / damped;
    return std::exp(-damping * frequency) * std::sqrt(1 + sine * sine);
  }
};

// A spring is at rest once it stays this close to its target (a fraction of the change): under
// a point for any change that fits on the screen.
constexpr double kRestTolerance = 1e-3;
// No damping at all would never rest; this keeps the frequency finite.
constexpr double kLeastDamping = 0.01;

// A frequency, close to the lowest, at which the spring has come to rest by the end.
double restingFrequency(double damping, double velocity) {
  auto restsAt = [&](double frequency) {
    return Spring{damping, frequency, velocity}.boundAtEnd() <= kRestTolerance;
  };
  double low = 0, high = 1;
  while (!restsAt(high) && high < 1e6) {
    low = high;
    high *= 2;
  }
  for (int i = 0; i < 60; ++i) {
    double middle = (low + high) / 2;
    (restsAt(middle) ? high : low) = middle;
  }
  return high;
}

bool isOpacity(const std::string& keyPath) {
  return keyPath == "opacity" || keyPath == "shadowOpacity";
}

}  // namespace

CAAnimationValue CAAnimationValueInterpolate(const CAAnimationValue& from,
                                             const CAAnimationValue& to, double fraction) {
  assert(from.index() == to.index() && "animated values must be of one kind");
  if (from.index() != to.index()) return to;
  return std::visit(
      [&](const auto& start) -> CAAnimationValue {
        using T = std::decay_t<decltype(start)>;
        return mix(start, std::get<T>(to), fraction);
      },
      from);
}

CAAnimation CAAnimation::basic(std::string keyPath, CAAnimationValue fromValue,
                               CAAnimationValue toValue, double beginTime, double duration,
                               CAMediaTimingFunction timingFunction) {
  CAAnimation animation;
  animation.keyPath_ = std::move(keyPath);
  animation.fromValue_ = std::move(fromValue);
  animation.toValue_ = std::move(toValue);
  animation.beginTime_ = beginTime;
  animation.duration_ = std::max(0.0, duration);
  animation.timingFunction_ = timingFunction;
  return animation;
}

CAAnimation CAAnimation::spring(std::string keyPath, CAAnimationValue fromValue,
                                CAAnimationValue toValue, double beginTime, double duration,
                                double dampingRatio, double initialVelocity) {
  CAAnimation animation = basic(std::move(keyPath), std::move(fromValue), std::move(toValue),
                                beginTime, duration, CAMediaTimingFunction());
  animation.spring_ = true;
  animation.dampingRatio_ = std::clamp(dampingRatio, kLeastDamping, 1.0);
  animation.initialVelocity_ = initialVelocity;
  animation.springFrequency_ =
      restingFrequency(animation.dampingRatio_, initialVelocity * animation.duration_);
  return animation;
}

CAAnimation CAAnimation::transition(CATransitionType type, double beginTime, double duration,
                                    CAMediaTimingFunction timingFunction) {
  CAAnimation animation = basic("", 0.0, 1.0, beginTime, duration, timingFunction);
  animation.type_ = std::string(type);
  return animation;
}

double CAAnimation::progressAtTime(double time) const {
  if (isFinishedAtTime(time)) return 1;
  if (time <= beginTime_) return 0;
  double elapsed = (time - beginTime_) / duration_;
  if (spring_) {
    return 1 + Spring{dampingRatio_, springFrequency_, initialVelocity_ * duration_}.displacement(
                   elapsed);
  }
  return timingFunction_.progress(elapsed);
}

CAAnimationValue CAAnimation::valueAtTime(double time) const {
  CAAnimationValue value = CAAnimationValueInterpolate(fromValue_, toValue_, progressAtTime(time));
  if (double* opacity = std::get_if<double>(&value); opacity && isOpacity(keyPath_)) {
    *opacity = std::clamp(*opacity, 0.0, 1.0);
  }
  return value;
}
