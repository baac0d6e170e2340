#include "uikit/UIWindow.h"

#include <algorithm>

#include "uikit/UIApplication.h"
#include "uikit/UIScreen.h"
#include "uikit/UIViewController.h"

OBJC_CLASS_IMPL(UIWindow) {
  c.method("makeKeyAndVisible", &UIWindow::makeKeyAndVisible)
      .method("makeKeyWindow", &UIWindow::makeKeyWindow)
      .method("isKeyWindow", &UIWindow::isKeyWindow)
      .method("becomeKeyWindow", &UIWindow::becomeKeyWindow)
      .method("resignKeyWindow", &UIWindow::resignKeyWindow)
      .property("windowLevel", &UIWindow::windowLevel, &UIWindow::setWindowLevel)
      .property("rootViewController", &UIWindow::rootViewController,
                &UIWindow::setRootViewController);
}

namespace {

// The phone's unsafe edges: the sensor housing above and the home indicator below.
constexpr UIEdgeInsets kScreenUnsafeEdges{47, 0, 34, 0};

CGPoint boundsCenter(CGRect bounds) {
  return {bounds.origin.x + bounds.size.width / 2, bounds.origin.y + bounds.size.height / 2};
}

}  // namespace

UIWindow::UIWindow() {
  UIView::setHidden(true);
}

UIWindow::~UIWindow() {
  // What is presented in the window goes with it. A presenter holds what it presents, so a
  // presented screen that holds its presenter (an alert action's handler capturing it) would
  // otherwise keep both alive for good.
  if (rootViewController_) rootViewController_->removePresentedAtOnce();
  UIApplication::sharedApplication()->windowWillDeallocate(this);
}

std::shared_ptr<UIWindow> UIWindow::init() {
  return initWithFrame(UIScreen::mainScreen()->bounds());
}

std::shared_ptr<UIWindow> UIWindow::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  auto me = selfAs<UIWindow>();
  UIApplication::sharedApplication()->windowDidInit(me);
  return me;
}

// ---- Key window and visibility ----

void UIWindow::makeKeyAndVisible() {
  if (isHidden()) {
    setHidden(false);
  } else {
    UIApplication::sharedApplication()->windowWillShow(*this);
  }
  makeKeyWindow();
}

void UIWindow::makeKeyWindow() {
  auto app = UIApplication::sharedApplication();
  auto previous = app->keyWindow();
  if (previous.get() == this) return;
  auto me = selfAs<UIWindow>();
  app->setKeyWindow(me);
  if (previous) previous->resignKeyWindow();
  becomeKeyWindow();
}

bool UIWindow::isKeyWindow() const {
  return UIApplication::sharedApplication()->keyWindowAddress_ == this;
}

void UIWindow::resignKeyWindow() {
  // Sent by makeKeyWindow once another window is key, this does nothing; sent to the key window
  // (one that goes away), it passes key status on. Safe to send from a destructor.
  if (isKeyWindow()) UIApplication::sharedApplication()->passKeyStatusOn(this);
}

void UIWindow::setHidden(bool hidden) {
  if (isHidden() == hidden) return;
  auto me = selfAs<UIWindow>();
  auto app = UIApplication::sharedApplication();
  auto root = rootViewController_;
  if (root) root->beginAppearanceTransition(!hidden, false);
  if (!hidden) app->windowWillShow(*this);
  UIView::setHidden(hidden);
  if (hidden) app->windowDidHide(*this);
  if (root) root->endAppearanceTransition();
}

// ---- Root view controller ----

void UIWindow::setRootViewController(const std::shared_ptr<UIViewController>& controller) {
  if (rootViewController_ == controller) return;
  auto me = selfAs<UIWindow>();
  bool visible = !isHidden();
  if (auto previous = rootViewController_) {
    if (visible) previous->beginAppearanceTransition(false, false);
    auto view = previous->viewIfLoaded();
    if (view && view->superview() == me) view->removeFromSuperview();
    rootViewController_ = nullptr;
    if (visible) previous->endAppearanceTransition();
  }
  rootViewController_ = controller;
  if (!controller) return;
  auto view = controller->view();
  view->setViewDelegate(controller);
  if (visible) controller->beginAppearanceTransition(true, false);
  view->setFrame(bounds());
  view->setAutoresizingMask(static_cast<UIViewAutoresizing>(UIViewAutoresizingFlexibleWidth |
                                                            UIViewAutoresizingFlexibleHeight));
  insertSubview(view, 0);
  if (visible) controller->endAppearanceTransition();
}

// ---- Place in the view tree ----

std::shared_ptr<UIWindow> UIWindow::window() const {
  // weak_from_this, not shared_from_this: subviews ask while the window is being destroyed.
  return std::static_pointer_cast<UIWindow>(
      std::const_pointer_cast<NSObject>(weak_from_this().lock()));
}

UIEdgeInsets UIWindow::safeAreaInsets() const {
  CGRect screen = UIScreen::mainScreen()->bounds();
  CGRect mine = frame();
  return UIEdgeInsetsMake(
      std::max(0.0, CGRectGetMinY(screen) + kScreenUnsafeEdges.top - CGRectGetMinY(mine)),
      std::max(0.0, CGRectGetMinX(screen) + kScreenUnsafeEdges.left - CGRectGetMinX(mine)),
      std::max(0.0, CGRectGetMaxY(mine) - (CGRectGetMaxY(screen) - kScreenUnsafeEdges.bottom)),
      std::max(0.0, CGRectGetMaxX(mine) - (CGRectGetMaxX(screen) - kScreenUnsafeEdges.right)));
}

std::shared_ptr<UIResponder> UIWindow::nextResponder() const {
  return UIApplication::sharedApplication();
}

CGPoint UIWindow::convertPointToWindow(CGPoint point,
                                       const std::shared_ptr<UIWindow>& window) const {
  CGPoint offset{point.x - boundsCenter(bounds()).x, point.y - boundsCenter(bounds()).y};
  CGAffineTransform t = transform();
  if (!CGAffineTransformIsIdentity(t)) offset = CGPointApplyAffineTransform(offset, t);
  CGPoint onScreen{center().x + offset.x, center().y + offset.y};
  return window ? window->convertPointFromWindow(onScreen, nullptr) : onScreen;
}

CGPoint UIWindow::convertPointFromWindow(CGPoint point,
                                         const std::shared_ptr<UIWindow>& window) const {
  CGPoint onScreen = window ? window->convertPointToWindow(point, nullptr) : point;
  CGPoint offset{onScreen.x - center().x, onScreen.y - center().y};
  CGAffineTransform t = transform();
  if (!CGAffineTransformIsIdentity(t)) {
    offset = CGPointApplyAffineTransform(offset, CGAffineTransformInvert(t));
  }
  return {boundsCenter(bounds()).x + offset.x, boundsCenter(bounds()).y + offset.y};
}
