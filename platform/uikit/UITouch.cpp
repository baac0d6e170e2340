#include "uikit/UITouch.h"

#include "uikit/UIGestureRecognizer.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

OBJC_CLASS_IMPL(UITouch) {
  c.method("timestamp", &UITouch::timestamp)
      .method("tapCount", &UITouch::tapCount)
      .method("view", &UITouch::view)
      .method("window", &UITouch::window)
      .method("locationInView:", &UITouch::locationInView)
      .method("previousLocationInView:", &UITouch::previousLocationInView);
}

std::vector<std::shared_ptr<UIGestureRecognizer>> UITouch::gestureRecognizers() const {
  std::vector<std::shared_ptr<UIGestureRecognizer>> live;
  for (auto& weak : gestureRecognizers_) {
    if (auto recognizer = weak.lock()) live.push_back(recognizer);
  }
  return live;
}

CGPoint UITouch::locationInView(const std::shared_ptr<UIView>& view) const {
  return convertFromWindow(location_, window_, view);
}

CGPoint UITouch::previousLocationInView(const std::shared_ptr<UIView>& view) const {
  return convertFromWindow(previousLocation_, window_, view);
}

CGPoint UITouch::convertFromWindow(CGPoint point, const std::shared_ptr<UIWindow>& window,
                                   const std::shared_ptr<UIView>& view) {
  if (!view) return point;
  auto viewWindow = view->window();
  if (window && viewWindow == window) return view->convertPointFromView(point, window);
  // Another window, or none: through the screen.
  CGPoint onScreen = window ? window->convertPointToWindow(point, nullptr) : point;
  if (viewWindow) {
    return view->convertPointFromView(viewWindow->convertPointFromWindow(onScreen, nullptr),
                                      viewWindow);
  }
  return view->convertPointFromView(onScreen, nullptr);
}
