#include "uikit/UIPanGestureRecognizer.h"

#include <cmath>

#include "uikit/UITouch.h"
#include "uikit/UIView.h"

OBJC_CLASS_IMPL(UIPanGestureRecognizer) {
  c.method("translationInView:", &UIPanGestureRecognizer::translationInView)
      .method("setTranslation:inView:", &UIPanGestureRecognizer::setTranslation)
      .method("velocityInView:", &UIPanGestureRecognizer::velocityInView);
}

std::shared_ptr<UIPanGestureRecognizer> UIPanGestureRecognizer::initWithTarget(const id& target,
                                                                               SEL action) {
  UIGestureRecognizer::initWithTarget(target, action);
  return selfAs<UIPanGestureRecognizer>();
}

CGPoint UIPanGestureRecognizer::translationInView(const std::shared_ptr<UIView>& view) const {
  return convertVectorFromWindow(translation_, view);
}

void UIPanGestureRecognizer::setTranslation(CGPoint translation,
                                            const std::shared_ptr<UIView>& view) {
  translation_ = convertVectorToWindow(translation, view);
  // Velocity continues from the new origin.
  velocity_.rebase(translation_);
}

CGPoint UIPanGestureRecognizer::velocityInView(const std::shared_ptr<UIView>& view) const {
  return convertVectorFromWindow(velocity_.velocity(), view);
}

void UIPanGestureRecognizer::touchesBegan(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>& event) {
  if (numberOfTouches() > maximumNumberOfTouches_) {
    if (state() == UIGestureRecognizerStatePossible) {
      setState(UIGestureRecognizerStateFailed);
    } else {
      for (auto& touch : touches) ignoreTouch(touch, event);
    }
    return;
  }
  if (velocity_.empty()) velocity_.add(touches.front()->timestamp(), translation_);
}

void UIPanGestureRecognizer::touchesMoved(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>&) {
  accumulate(touches);
  velocity_.add(touches.front()->timestamp(), translation_);
  if (state() != UIGestureRecognizerStatePossible) {
    setState(UIGestureRecognizerStateChanged);
    return;
  }
  unsigned long count = numberOfTouches();
  if (count >= minimumNumberOfTouches_ && count <= maximumNumberOfTouches_ &&
      std::hypot(translation_.x, translation_.y) > kHysteresis) {
    setState(UIGestureRecognizerStateBegan);
  }
}

void UIPanGestureRecognizer::touchesEnded(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>&) {
  accumulate(touches);
  velocity_.add(touches.front()->timestamp(), translation_);
  unsigned long remaining = numberOfTouches() - touches.size();
  if (state() == UIGestureRecognizerStatePossible) {
    if (remaining == 0) setState(UIGestureRecognizerStateFailed);
  } else if (remaining < minimumNumberOfTouches_) {
    setState(UIGestureRecognizerStateEnded);
  }
}

void UIPanGestureRecognizer::touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) {
  setState(state() == UIGestureRecognizerStatePossible ? UIGestureRecognizerStateFailed
                                                       : UIGestureRecognizerStateCancelled);
}

void UIPanGestureRecognizer::reset() {
  translation_ = CGPointZero;
  velocity_.clear();
}

void UIPanGestureRecognizer::accumulate(const UITouchSet& moved) {
  if (numberOfTouches() == 0) return;
  CGPoint sum;
  for (auto& touch : moved) {
    CGPoint now = touch->locationInView(nullptr);
    CGPoint before = touch->previousLocationInView(nullptr);
    sum.x += now.x - before.x;
    sum.y += now.y - before.y;
  }
  auto count = static_cast<CGFloat>(numberOfTouches());
  translation_.x += sum.x / count;
  translation_.y += sum.y / count;
}
