#include "uikit/UINavigationController.h"

#include <algorithm>

#include "uikit/UIScreen.h"
#include "uikit/UIView.h"

namespace {

// The navigation controller's own view: it asks the controller to place the bar and the top
// view whenever its size changes.
class UILayoutContainerView : public UIView {
  OBJC_CLASS(UILayoutContainerView, UIView);

 public:
  void layoutSubviews() override {
    UIView::layoutSubviews();
    placeContent();
  }
  // The safe area, and with it the bar's place, comes with the window.
  void didMoveToWindow() override { placeContent(); }

 private:
  void placeContent() {
    if (auto controller = std::dynamic_pointer_cast<UINavigationController>(viewDelegate())) {
      controller->layoutContent();
    }
  }
};

class UINavigationBar : public UIView {
  OBJC_CLASS(UINavigationBar, UIView);
};

constexpr double kPushDuration = 0.35;

}  // namespace

OBJC_CLASS_IMPL(UILayoutContainerView) {}
OBJC_CLASS_IMPL(UINavigationBar) {}

OBJC_CLASS_IMPL(UINavigationController) {
  c.method("topViewController", &UINavigationController::topViewController)
      .method("popViewControllerAnimated:", &UINavigationController::popViewControllerAnimated)
      .method("pushViewController:animated:", &UINavigationController::pushViewController);
}

std::shared_ptr<UINavigationController> UINavigationController::init() {
  UIViewController::init();
  return selfAs<UINavigationController>();
}

std::shared_ptr<UINavigationController> UINavigationController::initWithRootViewController(
    const std::shared_ptr<UIViewController>& root) {
  init();
  if (root) setViewControllers({root}, false);
  return selfAs<UINavigationController>();
}

void UINavigationController::loadView() {
  auto container = UILayoutContainerView::alloc()->initWithFrame(UIScreen::mainScreen()->bounds());
  setView(container);
  container->addSubview(navigationBar());
  navigationBar_->setHidden(navigationBarHidden_);
  if (auto top = topViewController())
    container->insertSubviewBelowSubview(top->view(), navigationBar_);
  layoutContent();
}

std::shared_ptr<UIView> UINavigationController::navigationBar() {
  if (!navigationBar_) {
    navigationBar_ = UINavigationBar::alloc()->initWithFrame(CGRectZero);
    navigationBar_->setBackgroundColor(UIColor::systemBackgroundColor());
  }
  return navigationBar_;
}

void UINavigationController::viewWillAppear(bool animated) {
  UIViewController::viewWillAppear(animated);
  layoutContent();
}

std::shared_ptr<UIViewController> UINavigationController::topViewController() const {
  const auto& stack = childViewControllers();
  return stack.empty() ? nullptr : stack.back();
}

std::shared_ptr<UIViewController> UINavigationController::visibleViewController() const {
  if (auto presented = presentedViewController()) return presented;
  return topViewController();
}

CGRect UINavigationController::contentFrame() {
  CGRect bounds = view()->bounds();
  if (navigationBarHidden_) return bounds;
  CGFloat top = view()->safeAreaInsets().top + 44;
  return CGRectMake(0, top, bounds.size.width, std::max<CGFloat>(0, bounds.size.height - top));
}

void UINavigationController::layoutContent() {
  if (!isViewLoaded()) return;
  CGRect bounds = view()->bounds();
  navigationBar()->setFrame(CGRectMake(0, view()->safeAreaInsets().top, bounds.size.width, 44));
  auto top = topViewController();
  if (top && top->isViewLoaded() && top->view()->superview() == view()) {
    CGRect content = contentFrame();
    if (!(top->view()->frame() == content)) top->view()->setFrame(content);
  }
}

void UINavigationController::setNavigationBarHidden(bool hidden, bool) {
  if (navigationBarHidden_ == hidden) return;
  navigationBarHidden_ = hidden;
  if (navigationBar_) navigationBar_->setHidden(hidden);
  layoutContent();
}

void UINavigationController::setViewControllers(
    const std::vector<std::shared_ptr<UIViewController>>& controllers, bool animated) {
  auto keep = selfAs<UINavigationController>();
  auto previousTop = topViewController();
  for (auto& child : std::vector(childViewControllers())) {
    if (std::find(controllers.begin(), controllers.end(), child) == controllers.end()) {
      child->willMoveToParentViewController(nullptr);
      child->removeFromParentViewController();
    }
  }
  std::vector<std::shared_ptr<UIViewController>> added;
  for (auto& controller : controllers) {
    if (controller->parentViewController() != keep) {
      addChildViewController(controller);
      added.push_back(controller);
    }
  }
  children_ = controllers;
  auto top = topViewController();
  if (previousTop != top) transition(previousTop, top, animated, true);
  for (auto& controller : added) controller->didMoveToParentViewController(keep);
}

void UINavigationController::pushViewController(const std::shared_ptr<UIViewController>& controller,
                                                bool animated) {
  if (!controller) return;
  auto stack = childViewControllers();
  if (std::find(stack.begin(), stack.end(), controller) != stack.end()) return;
  auto keep = selfAs<UINavigationController>();
  auto from = topViewController();
  addChildViewController(controller);
  transition(from, controller, animated, true);
  controller->didMoveToParentViewController(keep);
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool animated) {
  if (childViewControllers().size() < 2) return nullptr;
  auto keep = selfAs<UINavigationController>();
  auto popped = topViewController();
  popped->willMoveToParentViewController(nullptr);
  popped->removeFromParentViewController();
  transition(popped, topViewController(), animated, false);
  return popped;
}

std::vector<std::shared_ptr<UIViewController>>
UINavigationController::popToRootViewControllerAnimated(bool animated) {
  std::vector<std::shared_ptr<UIViewController>> popped;
  if (childViewControllers().size() < 2) return popped;
  auto keep = selfAs<UINavigationController>();
  auto from = topViewController();
  popped.assign(childViewControllers().begin() + 1, childViewControllers().end());
  for (auto& controller : popped) {
    controller->willMoveToParentViewController(nullptr);
    controller->removeFromParentViewController();
  }
  transition(from, topViewController(), animated, false);
  return popped;
}

void UINavigationController::transition(const std::shared_ptr<UIViewController>& from,
                                        const std::shared_ptr<UIViewController>& to, bool animated,
                                        bool forward) {
  if (!isViewLoaded()) return;  // the top view goes in when the view loads
  auto container = view();
  bool onScreen = container->window() != nullptr;
  animated = animated && onScreen && from && to;
  if (to) to->view();  // loaded before it hears that it will appear
  if (from && onScreen) from->beginAppearanceTransition(false, animated);
  if (to) {
    if (onScreen) to->beginAppearanceTransition(true, animated);
    container->insertSubviewBelowSubview(to->view(), navigationBar());
    to->view()->setFrame(contentFrame());
  }

  auto finish = [from, to, container, onScreen] {
    if (from && from->isViewLoaded() && from->view()->superview() == container) {
      from->view()->removeFromSuperview();
    }
    if (from && onScreen) from->endAppearanceTransition();
    if (to && onScreen) to->endAppearanceTransition();
  };
  if (!animated) {
    finish();
    return;
  }
  // A push slides the new view in from the right over the old one, which moves a little to the
  // left; a pop slides the old view out to the right, uncovering the new one.
  CGFloat width = container->bounds().size.width;
  CGRect content = contentFrame();
  if (forward) {
    to->view()->setFrame(CGRectOffset(content, width, 0));
  } else {
    container->insertSubviewAboveSubview(from->view(), to->view());
    to->view()->setFrame(CGRectOffset(content, -width / 3, 0));
  }
  UIView::animateWithDuration(
      kPushDuration, 0, UIViewAnimationOptionCurveEaseInOut,
      [&] {
        to->view()->setFrame(content);
        from->view()->setFrame(CGRectOffset(content, forward ? -width / 3 : width, 0));
      },
      [finish, from, content](bool) {
        from->view()->setFrame(content);
        finish();
      });
}
