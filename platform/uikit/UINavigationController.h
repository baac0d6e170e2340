#pragma once

#include <memory>
#include <vector>

#include "quartz/CGGeometry.h"
#include "uikit/UIViewController.h"

// A stack of controllers with a bar on top. Only the top controller's view is in the hierarchy;
// it fills the area under the bar, or the whole view while the bar is hidden.
class UINavigationController : public UIViewController {
  OBJC_CLASS(UINavigationController, UIViewController);

 public:
  std::shared_ptr<UINavigationController> init();
  std::shared_ptr<UINavigationController> initWithRootViewController(
      const std::shared_ptr<UIViewController>& root);

  const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const {
    return childViewControllers();
  }
  void setViewControllers(const std::vector<std::shared_ptr<UIViewController>>& controllers,
                          bool animated);
  std::shared_ptr<UIViewController> topViewController() const;
  // The top controller, or what it (or this controller) presents.
  std::shared_ptr<UIViewController> visibleViewController() const;

  void pushViewController(const std::shared_ptr<UIViewController>& controller, bool animated);
  // The popped controller; nil when only the root is left.
  std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
  std::vector<std::shared_ptr<UIViewController>> popToRootViewControllerAnimated(bool animated);

  bool isNavigationBarHidden() const { return navigationBarHidden_; }
  void setNavigationBarHidden(bool hidden) { setNavigationBarHidden(hidden, false); }
  void setNavigationBarHidden(bool hidden, bool animated);
  // The bar: 44 points tall, under the safe area's top.
  std::shared_ptr<UIView> navigationBar();

  void loadView() override;
  void viewWillAppear(bool animated) override;

  // Places the bar and the top controller's view; the container view calls it on layout.
  void layoutContent();

 private:
  // Moves the top controller's view in place of the previous one's, with appearance callbacks
  // when the stack is on screen.
  void transition(const std::shared_ptr<UIViewController>& from,
                  const std::shared_ptr<UIViewController>& to, bool animated, bool forward);
  CGRect contentFrame();

  std::shared_ptr<UIView> navigationBar_;
  bool navigationBarHidden_ = false;
};
