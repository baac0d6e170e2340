#pragma once

// Private to the gesture recognisers: the recent values of a continuous gesture (a pan's
// translation, a pinch's scale) and how fast they change.

#include <cstddef>
#include <deque>

#include "quartz/CGGeometry.h"

// Velocity is the change over the most recent 0.1 s, so a finger that stops before lifting
// throws nothing.
template <class Value>
class UIGestureVelocityWindow {
 public:
  static constexpr double kSpan = 0.1;

  bool empty() const { return samples_.empty(); }
  void clear() { samples_.clear(); }

  void add(double time, Value value) {
    samples_.push_back({time, value});
    while (samples_.size() > 2 && samples_[1].time < time - kSpan) samples_.pop_front();
  }

  // The value was set from outside: the velocity goes on from it, not towards it.
  void rebase(Value value) {
    for (auto& sample : samples_) sample.value = value;
  }

  // Change per second between the newest sample and the oldest one inside the span; zero with
  // fewer than two samples or no time between them.
  Value velocity() const {
    if (samples_.size() < 2) return Value{};
    const Sample& newest = samples_.back();
    size_t oldest = 0;
    while (oldest + 1 < samples_.size() && samples_[oldest].time < newest.time - kSpan) ++oldest;
    if (samples_[oldest].time == newest.time && oldest > 0) --oldest;
    double dt = newest.time - samples_[oldest].time;
    if (dt <= 0) return Value{};
    return perSecond(samples_[oldest].value, newest.value, dt);
  }

 private:
  struct Sample {
    double time;
    Value value;
  };

  static CGFloat perSecond(CGFloat from, CGFloat to, double dt) { return (to - from) / dt; }
  static CGPoint perSecond(CGPoint from, CGPoint to, double dt) {
    return {(to.x - from.x) / dt, (to.y - from.y) / dt};
  }

  std::deque<Sample> samples_;
};
