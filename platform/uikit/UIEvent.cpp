#include "uikit/UIEvent.h"

#include <algorithm>

#include "uikit/UIGestureRecognizer.h"
#include "uikit/UITouch.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

OBJC_CLASS_IMPL(UIEvent) {
  c.method("timestamp", &UIEvent::timestamp);
}

UITouchSet UIEvent::touchesForView(const std::shared_ptr<UIView>& view) const {
  UITouchSet found;
  for (auto& touch : touches_) {
    if (touch->view() == view) found.push_back(touch);
  }
  return found;
}

UITouchSet UIEvent::touchesForWindow(const std::shared_ptr<UIWindow>& window) const {
  UITouchSet found;
  for (auto& touch : touches_) {
    if (touch->window() == window) found.push_back(touch);
  }
  return found;
}

UITouchSet UIEvent::touchesForGestureRecognizer(
    const std::shared_ptr<UIGestureRecognizer>& recognizer) const {
  UITouchSet found;
  for (auto& touch : touches_) {
    auto recognizers = touch->gestureRecognizers();
    if (std::find(recognizers.begin(), recognizers.end(), recognizer) != recognizers.end()) {
      found.push_back(touch);
    }
  }
  return found;
}
