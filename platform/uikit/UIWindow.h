#pragma once

#include <memory>

#include "uikit/Forward.h"
#include "uikit/UIView.h"

using UIWindowLevel = CGFloat;
inline constexpr UIWindowLevel UIWindowLevelNormal = 0;
inline constexpr UIWindowLevel UIWindowLevelStatusBar = 1000;
inline constexpr UIWindowLevel UIWindowLevelAlert = 2000;

// A layer of the screen. Windows are stacked by level, and within a level by the order they were
// shown; touches go to the highest visible window whose hit test finds a view. A window starts
// hidden. The application keeps windows weakly: whoever shows one keeps it.
class UIWindow : public UIView {
  OBJC_CLASS(UIWindow, UIView);

 public:
  UIWindow();
  ~UIWindow() override;

  // The screen's bounds.
  std::shared_ptr<UIWindow> init();
  std::shared_ptr<UIWindow> initWithFrame(CGRect frame);

  UIWindowLevel windowLevel() const { return windowLevel_; }
  void setWindowLevel(UIWindowLevel level) { windowLevel_ = level; }

  // Shows the window above the others of its level and makes it key.
  void makeKeyAndVisible();
  void makeKeyWindow();
  bool isKeyWindow() const;
  // Sent to the window that gains and to the one that loses key status. Sending resignKeyWindow
  // to the key window gives key status to the topmost other visible window.
  virtual void becomeKeyWindow() {}
  virtual void resignKeyWindow();

  // Showing a window puts it in front of the others of its level; hiding the key window passes
  // key status on. The root view controller appears and disappears with the window.
  void setHidden(bool hidden) override;

  // The controller's view fills the window and follows its size.
  std::shared_ptr<UIViewController> rootViewController() const { return rootViewController_; }
  void setRootViewController(const std::shared_ptr<UIViewController>& controller);

  std::shared_ptr<UIWindow> window() const override;
  // The screen's unsafe edges (the sensor housing above, the home indicator below) where they
  // fall on the window.
  UIEdgeInsets safeAreaInsets() const override;
  // The application.
  std::shared_ptr<UIResponder> nextResponder() const override;

  // Points between windows; a nil window means the screen.
  CGPoint convertPointToWindow(CGPoint point, const std::shared_ptr<UIWindow>& window) const;
  CGPoint convertPointFromWindow(CGPoint point, const std::shared_ptr<UIWindow>& window) const;

  // Delivers the event's touches that belong to this window: to the gesture recognisers first,
  // then to the views the touches began on (UIWindow+Touches.cpp).
  virtual void sendEvent(const std::shared_ptr<UIEvent>& event);

 private:
  friend class UIApplication;

  UIWindowLevel windowLevel_ = UIWindowLevelNormal;
  std::shared_ptr<UIViewController> rootViewController_;
};
