#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <variant>

#include "quartz/CAMediaTimingFunction.h"
#include "quartz/CGAffineTransform.h"
#include "quartz/CGColor.h"

// A value that a layer can animate, in the kind its property has: opacity, radii and widths are
// numbers; "transform" is the layer's affine transform.
using CAAnimationValue = std::variant<double, CGPoint, CGSize, CGRect, CGAffineTransform, CGColor>;

// The value `fraction` of the way from one value to another of the same kind. Fractions beyond
// 0...1 (a spring's overshoot) carry on past the ends; colour components stay within 0...1.
// Transforms blend their translation, rotation, scale and shear rather than their matrix
// entries, as the platform does, so that a turning view keeps its size on the way. Values of
// different kinds are a programming error (the target in release builds).
CAAnimationValue CAAnimationValueInterpolate(const CAAnimationValue& from,
                                             const CAAnimationValue& to, double fraction);

using CATransitionType = std::string_view;
inline constexpr CATransitionType kCATransitionFade = "fade";
// The key under which a layer keeps its transition.
inline constexpr std::string_view kCATransition = "transition";

// One change of a layer shown over time. The layer's model value has already changed; the
// animation only says what the renderer shows in between: the from value until the begin time
// (so a delayed change waits visibly), then the curve's way to the to value, and nothing once
// the end time has passed. Times are on Clock::now()'s scale.
class CAAnimation {
 public:
  // A property moving along a timing curve.
  static CAAnimation basic(std::string keyPath, CAAnimationValue fromValue,
                           CAAnimationValue toValue, double beginTime, double duration,
                           CAMediaTimingFunction timingFunction);
  // A property moving as a spring that comes to rest at the end of the duration. A damping
  // ratio of 1 (or more) approaches the target without passing it; below 1 it overshoots and
  // oscillates, less the closer the ratio is to 1. The initial velocity is in distances (the
  // whole change) per second, so 1 starts as fast as covering the change in one second.
  static CAAnimation spring(std::string keyPath, CAAnimationValue fromValue,
                            CAAnimationValue toValue, double beginTime, double duration,
                            double dampingRatio, double initialVelocity);
  // The layer's content cross-fading from how it looked at the begin time to how it looks now.
  // Its value runs from 0 (all before) to 1 (all after).
  static CAAnimation transition(CATransitionType type, double beginTime, double duration,
                                CAMediaTimingFunction timingFunction);

  // Empty for a transition.
  const std::string& keyPath() const { return keyPath_; }
  // Empty for a property animation.
  const std::string& type() const { return type_; }
  const CAAnimationValue& fromValue() const { return fromValue_; }
  const CAAnimationValue& toValue() const { return toValue_; }
  double beginTime() const { return beginTime_; }
  double duration() const { return duration_; }
  double endTime() const { return beginTime_ + duration_; }
  const CAMediaTimingFunction& timingFunction() const { return timingFunction_; }
  bool isSpring() const { return spring_; }
  double dampingRatio() const { return dampingRatio_; }
  double initialVelocity() const { return initialVelocity_; }

  // The fraction of the change shown at a time: 0 up to the begin time, 1 from the end time on.
  double progressAtTime(double time) const;
  CAAnimationValue valueAtTime(double time) const;
  // The clock counts whole nanoseconds, so an end that falls between two ticks is reached at the
  // nearer one, as the run loop reaches a block due then.
  bool isFinishedAtTime(double time) const { return time >= endTime() - 0.5e-9; }

  // Runs when the animation leaves its layer before its end: replaced by a newer animation of
  // the same key, or removed.
  void setInterruptionHandler(std::function<void()> handler) { interrupted_ = std::move(handler); }
  const std::function<void()>& interruptionHandler() const { return interrupted_; }

 private:
  CAAnimation() = default;

  std::string keyPath_;
  std::string type_;
  CAAnimationValue fromValue_;
  CAAnimationValue toValue_;
  double beginTime_ = 0;
  double duration_ = 0;
  CAMediaTimingFunction timingFunction_;
  bool spring_ = false;
  double dampingRatio_ = 1;
  double initialVelocity_ = 0;
  // Radians per duration: chosen when the spring is made so that it rests at the end.
  double springFrequency_ = 0;
  std::function<void()> interrupted_;
};
