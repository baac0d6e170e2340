#pragma once

#include <memory>
#include <vector>

#include "runtime/NSObject.h"
#include "uikit/Forward.h"
#include "uikit/UIResponder.h"

enum UIEventType : long {
  UIEventTypeTouches = 0,
};

// A touch event: every finger on the screen at one instant. The application reuses one event
// object for the touches of a sequence, as the platform does; what changed is in each touch's
// phase (the others are stationary).
class UIEvent : public NSObject {
  OBJC_CLASS(UIEvent, NSObject);

 public:
  UIEventType type() const { return UIEventTypeTouches; }
  double timestamp() const { return timestamp_; }

  const UITouchSet& allTouches() const { return touches_; }
  UITouchSet touchesForView(const std::shared_ptr<UIView>& view) const;
  UITouchSet touchesForWindow(const std::shared_ptr<UIWindow>& window) const;
  UITouchSet touchesForGestureRecognizer(
      const std::shared_ptr<UIGestureRecognizer>& recognizer) const;

 private:
  friend class UIApplication;

  double timestamp_ = 0;
  UITouchSet touches_;
};
