#include "uikit/UIPinchGestureRecognizer.h"

#include <cmath>

#include "uikit/UITouch.h"
#include "uikit/UIView.h"

OBJC_CLASS_IMPL(UIPinchGestureRecognizer) {
  c.method("scale", &UIPinchGestureRecognizer::scale)
      .method("setScale:", &UIPinchGestureRecognizer::setScale)
      .method("velocity", &UIPinchGestureRecognizer::velocity);
}

namespace {

constexpr double kVelocityWindow = 0.1;

}  // namespace

std::shared_ptr<UIPinchGestureRecognizer> UIPinchGestureRecognizer::initWithTarget(const id& target,
                                                                                   SEL action) {
  UIGestureRecognizer::initWithTarget(target, action);
  return selfAs<UIPinchGestureRecognizer>();
}

void UIPinchGestureRecognizer::setScale(CGFloat scale) {
  scale_ = scale;
  if (numberOfTouches() >= 2 && scale > 0) initialDistance_ = fingerDistance() / scale;
  for (auto& sample : samples_) sample.scale = scale;
}

CGFloat UIPinchGestureRecognizer::velocity() const {
  if (samples_.size() < 2) return 0;
  const Sample& newest = samples_.back();
  size_t oldest = 0;
  while (oldest + 1 < samples_.size() && samples_[oldest].time < newest.time - kVelocityWindow) {
    ++oldest;
  }
  if (samples_[oldest].time == newest.time && oldest > 0) --oldest;
  double dt = newest.time - samples_[oldest].time;
  return dt > 0 ? (newest.scale - samples_[oldest].scale) / dt : 0;
}

CGFloat UIPinchGestureRecognizer::fingerDistance() const {
  CGPoint a = touches()[0]->locationInView(nullptr);
  CGPoint b = touches()[1]->locationInView(nullptr);
  return std::hypot(a.x - b.x, a.y - b.y);
}

void UIPinchGestureRecognizer::touchesBegan(const UITouchSet& touches,
                                            const std::shared_ptr<UIEvent>& event) {
  // A third finger takes no part.
  while (numberOfTouches() > 2) ignoreTouch(this->touches().back(), event);
  if (numberOfTouches() == 2 && state() == UIGestureRecognizerStatePossible &&
      initialDistance_ == 0) {
    initialDistance_ = fingerDistance();
    addSample(touches.front()->timestamp());
  }
}

void UIPinchGestureRecognizer::touchesMoved(const UITouchSet& touches,
                                            const std::shared_ptr<UIEvent>&) {
  if (numberOfTouches() < 2 || initialDistance_ <= 0) return;
  CGFloat distance = fingerDistance();
  if (state() == UIGestureRecognizerStatePossible) {
    if (std::abs(distance - initialDistance_) <= kHysteresis) return;
    scale_ = distance / initialDistance_;
    addSample(touches.front()->timestamp());
    setState(UIGestureRecognizerStateBegan);
    return;
  }
  scale_ = distance / initialDistance_;
  addSample(touches.front()->timestamp());
  setState(UIGestureRecognizerStateChanged);
}

void UIPinchGestureRecognizer::touchesEnded(const UITouchSet& touches,
                                            const std::shared_ptr<UIEvent>&) {
  if (state() == UIGestureRecognizerStatePossible) {
    setState(UIGestureRecognizerStateFailed);
    return;
  }
  // The lifting finger's last position counts.
  if (numberOfTouches() >= 2 && initialDistance_ > 0) {
    scale_ = fingerDistance() / initialDistance_;
    addSample(touches.front()->timestamp());
  }
  setState(UIGestureRecognizerStateEnded);
}

void UIPinchGestureRecognizer::touchesCancelled(const UITouchSet&,
                                                const std::shared_ptr<UIEvent>&) {
  setState(state() == UIGestureRecognizerStatePossible ? UIGestureRecognizerStateFailed
                                                       : UIGestureRecognizerStateCancelled);
}

void UIPinchGestureRecognizer::reset() {
  scale_ = 1;
  initialDistance_ = 0;
  samples_.clear();
}

void UIPinchGestureRecognizer::addSample(double time) {
  samples_.push_back({time, scale_});
  while (samples_.size() > 2 && samples_[1].time < time - kVelocityWindow) samples_.pop_front();
}
