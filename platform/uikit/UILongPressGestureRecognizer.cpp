#include "uikit/UILongPressGestureRecognizer.h"

#include <algorithm>
#include <cmath>

#include "uikit/UITouch.h"
#include "uikit/UIView.h"

OBJC_CLASS_IMPL(UILongPressGestureRecognizer) {
  c.property("minimumPressDuration", &UILongPressGestureRecognizer::minimumPressDuration,
             &UILongPressGestureRecognizer::setMinimumPressDuration)
      .property("allowableMovement", &UILongPressGestureRecognizer::allowableMovement,
                &UILongPressGestureRecognizer::setAllowableMovement);
}

std::shared_ptr<UILongPressGestureRecognizer> UILongPressGestureRecognizer::initWithTarget(
    const id& target, SEL action) {
  UIGestureRecognizer::initWithTarget(target, action);
  return selfAs<UILongPressGestureRecognizer>();
}

void UILongPressGestureRecognizer::touchesBegan(const UITouchSet& touches,
                                                const std::shared_ptr<UIEvent>& event) {
  if (state() != UIGestureRecognizerStatePossible) {
    // Fingers that join a press in progress take no part in it.
    for (auto& touch : touches) ignoreTouch(touch, event);
    return;
  }
  intervalTimer_.cancel();
  if (numberOfTouches() > numberOfTouchesRequired_) {
    fail();
    return;
  }
  for (auto& touch : touches) starts_.emplace_back(touch, touch->locationInView(nullptr));
  if (numberOfTouches() == numberOfTouchesRequired_) {
    // During the leading taps the same timer says the fingers stayed down too long for a tap.
    pressTimer_ = scheduleTimer(minimumPressDuration_, [this] { pressDurationElapsed(); });
  }
}

void UILongPressGestureRecognizer::pressDurationElapsed() {
  if (state() != UIGestureRecognizerStatePossible) return;
  if (taps_ < numberOfTapsRequired_) {
    fail();
  } else {
    setState(UIGestureRecognizerStateBegan);
  }
}

void UILongPressGestureRecognizer::touchesMoved(const UITouchSet& touches,
                                                const std::shared_ptr<UIEvent>&) {
  if (state() != UIGestureRecognizerStatePossible) {
    setState(UIGestureRecognizerStateChanged);
    return;
  }
  for (auto& touch : touches) {
    auto start = std::find_if(starts_.begin(), starts_.end(),
                              [&](const auto& entry) { return entry.first == touch; });
    if (start == starts_.end()) continue;
    CGPoint now = touch->locationInView(nullptr);
    if (std::hypot(now.x - start->second.x, now.y - start->second.y) > allowableMovement_) {
      fail();
      return;
    }
  }
}

void UILongPressGestureRecognizer::touchesEnded(const UITouchSet& touches,
                                                const std::shared_ptr<UIEvent>&) {
  if (state() != UIGestureRecognizerStatePossible) {
    setState(UIGestureRecognizerStateEnded);
    return;
  }
  // Lifted before the press began: fine for a leading tap, the end of it otherwise.
  bool allLifted = touches.size() == numberOfTouches();
  if (taps_ < numberOfTapsRequired_ && allLifted && pressTimer_.isPending()) {
    pressTimer_.cancel();
    ++taps_;
    starts_.clear();
    intervalTimer_ = scheduleTimer(UITouch::kMultiTapInterval, [this] { fail(); });
    return;
  }
  fail();
}

void UILongPressGestureRecognizer::touchesCancelled(const UITouchSet&,
                                                    const std::shared_ptr<UIEvent>&) {
  if (state() != UIGestureRecognizerStatePossible) {
    setState(UIGestureRecognizerStateCancelled);
  } else {
    fail();
  }
}

void UILongPressGestureRecognizer::reset() {
  taps_ = 0;
  starts_.clear();
  pressTimer_.cancel();
  intervalTimer_.cancel();
}

void UILongPressGestureRecognizer::fail() {
  pressTimer_.cancel();
  intervalTimer_.cancel();
  if (state() == UIGestureRecognizerStatePossible) setState(UIGestureRecognizerStateFailed);
}
