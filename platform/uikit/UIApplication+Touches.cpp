// Touch input: turns fingers going down, moving and lifting into touch events.

#include <algorithm>
#include <cmath>

#include "foundation/Clock.h"
#include "uikit/UIApplication.h"
#include "uikit/UIEvent.h"
#include "uikit/UITouch.h"
#include "uikit/UIWindow.h"

std::shared_ptr<UITouch> UIApplication::touchForFinger(int finger) const {
  for (auto& [f, touch] : touches_) {
    if (f == finger) return touch;
  }
  return nullptr;
}

void UIApplication::touchDown(CGPoint point, int finger) {
  if (auto stale = touchForFinger(finger)) {
    touchUp(stale->window_ ? stale->window_->convertPointToWindow(stale->location_, nullptr)
                           : stale->location_,
            finger);
  }
  if (!event_) event_ = UIEvent::alloc();
  auto touch = UITouch::alloc();
  touch->phase_ = UITouchPhaseBegan;
  touch->timestamp_ = Clock::now();
  double sinceLastTap = touch->timestamp_ - lastTapTime_;
  bool nextTap = lastTapCount_ > 0 && sinceLastTap >= 0 &&
                 sinceLastTap <= UITouch::kMultiTapInterval &&
                 std::hypot(point.x - lastTapPoint_.x, point.y - lastTapPoint_.y) <=
                     UITouch::kMultiTapDistance;
  touch->tapCount_ = nextTap ? lastTapCount_ + 1 : 1;

  // The highest window that finds a view under the point takes the touch; one that finds none
  // (a window that lets touches through) leaves it to the windows below.
  touch->location_ = point;
  auto ordered = windows();
  for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) {
    CGPoint inWindow = (*it)->convertPointFromWindow(point, nullptr);
    if (auto hit = (*it)->hitTest(inWindow, event_)) {
      touch->window_ = *it;
      touch->view_ = hit;
      touch->location_ = inWindow;
      break;
    }
  }
  touch->previousLocation_ = touch->location_;
  touches_.emplace_back(finger, touch);
  dispatch({touch});
}

void UIApplication::touchMove(CGPoint point, int finger) {
  auto touch = touchForFinger(finger);
  if (!touch) return;
  CGPoint location =
      touch->window_ ? touch->window_->convertPointFromWindow(point, nullptr) : point;
  if (location == touch->location_) return;
  touch->previousLocation_ = touch->location_;
  touch->location_ = location;
  touch->phase_ = UITouchPhaseMoved;
  touch->timestamp_ = Clock::now();
  dispatch({touch});
}

void UIApplication::touchUp(CGPoint point, int finger) {
  auto touch = touchForFinger(finger);
  if (!touch) return;
  touch->previousLocation_ = touch->location_;
  touch->location_ =
      touch->window_ ? touch->window_->convertPointFromWindow(point, nullptr) : point;
  touch->phase_ = UITouchPhaseEnded;
  touch->timestamp_ = Clock::now();
  lastTapTime_ = touch->timestamp_;
  lastTapPoint_ = point;
  lastTapCount_ = touch->tapCount_;
  dispatch({touch});
}

void UIApplication::touchCancel(int finger) {
  auto touch = touchForFinger(finger);
  if (!touch) return;
  touch->previousLocation_ = touch->location_;
  touch->phase_ = UITouchPhaseCancelled;
  touch->timestamp_ = Clock::now();
  lastTapCount_ = 0;
  dispatch({touch});
}

void UIApplication::cancelAllTouches() {
  UITouchSet all;
  for (auto& [finger, touch] : touches_) {
    touch->previousLocation_ = touch->location_;
    touch->phase_ = UITouchPhaseCancelled;
    touch->timestamp_ = Clock::now();
    all.push_back(touch);
  }
  lastTapCount_ = 0;
  if (!all.empty()) dispatch(all);
}

void UIApplication::dispatch(const UITouchSet& changed) {
  if (!event_) event_ = UIEvent::alloc();
  auto event = event_;
  event->touches_.clear();
  for (auto& [finger, touch] : touches_) {
    if (std::find(changed.begin(), changed.end(), touch) == changed.end()) {
      touch->phase_ = UITouchPhaseStationary;
    }
    event->touches_.push_back(touch);
  }
  event->timestamp_ = Clock::now();
  sendEvent(event);
  std::erase_if(touches_, [](const auto& entry) {
    return entry.second->phase_ == UITouchPhaseEnded ||
           entry.second->phase_ == UITouchPhaseCancelled;
  });
  std::erase_if(event->touches_, [](const std::shared_ptr<UITouch>& touch) {
    return touch->phase_ == UITouchPhaseEnded || touch->phase_ == UITouchPhaseCancelled;
  });
}
