#include "uikit/UITapGestureRecognizer.h"

#include <algorithm>
#include <cmath>

#include "uikit/UITouch.h"
#include "uikit/UIView.h"

OBJC_CLASS_IMPL(UITapGestureRecognizer) {
  c.property("numberOfTapsRequired", &UITapGestureRecognizer::numberOfTapsRequired,
             &UITapGestureRecognizer::setNumberOfTapsRequired)
      .property("numberOfTouchesRequired", &UITapGestureRecognizer::numberOfTouchesRequired,
                &UITapGestureRecognizer::setNumberOfTouchesRequired);
}

std::shared_ptr<UITapGestureRecognizer> UITapGestureRecognizer::initWithTarget(const id& target,
                                                                               SEL action) {
  UIGestureRecognizer::initWithTarget(target, action);
  return selfAs<UITapGestureRecognizer>();
}

bool UITapGestureRecognizer::canBePreventedByGestureRecognizer(
    const UIGestureRecognizer& other) const {
  if (auto* tap = dynamic_cast<const UITapGestureRecognizer*>(&other)) {
    if (tap->numberOfTapsRequired_ < numberOfTapsRequired_) return false;
  }
  return UIGestureRecognizer::canBePreventedByGestureRecognizer(other);
}

void UITapGestureRecognizer::touchesBegan(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>&) {
  if (state() != UIGestureRecognizerStatePossible) return;
  intervalTimer_.cancel();
  if (numberOfTouches() > numberOfTouchesRequired_) {
    fail();
    return;
  }
  if (touchesInTap_ == 0) tapTimer_ = scheduleTimer(kMaximumTapDuration, [this] { fail(); });
  for (auto& touch : touches) starts_.emplace_back(touch, touch->locationInView(nullptr));
  touchesInTap_ = std::max(touchesInTap_, numberOfTouches());
}

void UITapGestureRecognizer::touchesMoved(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>&) {
  if (movedTooFar(touches)) fail();
}

void UITapGestureRecognizer::touchesEnded(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>&) {
  if (state() != UIGestureRecognizerStatePossible) return;
  if (movedTooFar(touches)) {
    fail();
    return;
  }
  // The tap is over when its last finger lifts.
  if (touches.size() < numberOfTouches()) return;
  tapTimer_.cancel();
  if (touchesInTap_ != numberOfTouchesRequired_) {
    fail();
    return;
  }
  ++taps_;
  touchesInTap_ = 0;
  starts_.clear();
  if (taps_ >= numberOfTapsRequired_) {
    setState(UIGestureRecognizerStateRecognized);
  } else {
    intervalTimer_ = scheduleTimer(UITouch::kMultiTapInterval, [this] { fail(); });
  }
}

void UITapGestureRecognizer::touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) {
  fail();
}

void UITapGestureRecognizer::reset() {
  taps_ = 0;
  touchesInTap_ = 0;
  starts_.clear();
  tapTimer_.cancel();
  intervalTimer_.cancel();
}

void UITapGestureRecognizer::fail() {
  tapTimer_.cancel();
  intervalTimer_.cancel();
  if (state() == UIGestureRecognizerStatePossible) setState(UIGestureRecognizerStateFailed);
}

bool UITapGestureRecognizer::movedTooFar(const UITouchSet& touches) {
  for (auto& touch : touches) {
    auto start = std::find_if(starts_.begin(), starts_.end(),
                              [&](const auto& entry) { return entry.first == touch; });
    if (start == starts_.end()) continue;
    CGPoint now = touch->locationInView(nullptr);
    if (std::hypot(now.x - start->second.x, now.y - start->second.y) > kAllowableMovement) {
      return true;
    }
  }
  return false;
}
