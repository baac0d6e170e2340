#include "uikit/UIPinchGestureRecognizer.h"

#include <cmath>

#include "uikit/UITouch.h"
#include "uikit/UIView.h"

OBJC_CLASS_IMPL(UIPinchGestureRecognizer) {
  c.property("scale", &UIPinchGestureRecognizer::scale, &UIPinchGestureRecognizer::setScale)
      .method("velocity", &UIPinchGestureRecognizer::velocity);
}

std::shared_ptr<UIPinchGestureRecognizer> UIPinchGestureRecognizer::initWithTarget(const id& target,
                                                                                   SEL action) {
  UIGestureRecognizer::initWithTarget(target, action);
  return selfAs<UIPinchGestureRecognizer>();
}

void UIPinchGestureRecognizer::setScale(CGFloat scale) {
  scale_ = scale;
  if (numberOfTouches() >= 2 && scale > 0) initialDistance_ = fingerDistance() / scale;
  velocity_.rebase(scale);
}

CGFloat UIPinchGestureRecognizer::velocity() const {
  return velocity_.velocity();
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
    velocity_.add(touches.front()->timestamp(), scale_);
  }
}

void UIPinchGestureRecognizer::touchesMoved(const UITouchSet& touches,
                                            const std::shared_ptr<UIEvent>&) {
  if (numberOfTouches() < 2 || initialDistance_ <= 0) return;
  CGFloat distance = fingerDistance();
  if (state() == UIGestureRecognizerStatePossible) {
    if (std::abs(distance - initialDistance_) <= kHysteresis) return;
    scale_ = distance / initialDistance_;
    velocity_.add(touches.front()->timestamp(), scale_);
    setState(UIGestureRecognizerStateBegan);
    return;
  }
  scale_ = distance / initialDistance_;
  velocity_.add(touches.front()->timestamp(), scale_);
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
    velocity_.add(touches.front()->timestamp(), scale_);
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
  velocity_.clear();
}
