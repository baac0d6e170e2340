#pragma once

// Touches on the simulated screen, through the same event path as a finger, for tests that drive
// whole screens on the manual clock.

#include <memory>
#include <string>

#include "foundation/RunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"

namespace testsupport {

inline CGPoint screenCentre(const std::shared_ptr<UIView>& view) {
  const CGRect frame = view->convertRectToView(view->bounds(), nullptr);
  return CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame));
}

// A finger down for 0.05 s and up, then `settle` seconds for what the tap scheduled.
inline void tapAt(CGPoint point, double settle) {
  auto app = UIApplication::sharedApplication();
  app->touchDown(point);
  RunLoop::advance(0.05);
  app->touchUp(point);
  RunLoop::advance(settle);
}

// A short tap, then a second for what it set off (a presentation, a dismissal) to finish.
inline void tapAndSettle(CGPoint point) {
  tapAt(point, 1);
}

// The first visible button under `view` whose current title is `title`.
inline std::shared_ptr<UIButton> visibleButtonTitled(const std::shared_ptr<UIView>& view,
                                                     const std::string& title) {
  if (view->isHidden() || view->alpha() <= 0) return nullptr;
  if (auto button = std::dynamic_pointer_cast<UIButton>(view)) {
    if (button->currentTitle() == title) return button;
  }
  for (const auto& subview : view->subviews()) {
    if (auto found = visibleButtonTitled(subview, title)) return found;
  }
  return nullptr;
}

}  // namespace testsupport
