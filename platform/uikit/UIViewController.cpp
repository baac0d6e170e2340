#include "uikit/UIViewController.h"

#include <algorithm>

#include "uikit/UINavigationController.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"

OBJC_CLASS_IMPL(UIViewController) {
  c.method("view", &UIViewController::view)
      .method("loadView", &UIViewController::loadView)
      .method("viewDidLoad", &UIViewController::viewDidLoad)
      .method("viewWillAppear:", &UIViewController::viewWillAppear)
      .method("viewDidAppear:", &UIViewController::viewDidAppear)
      .method("viewWillDisappear:", &UIViewController::viewWillDisappear)
      .method("viewDidDisappear:", &UIViewController::viewDidDisappear)
      .method("traitCollectionDidChange:", &UIViewController::traitCollectionDidChange)
      .method("presentedViewController", &UIViewController::presentedViewController)
      .method("presentingViewController", &UIViewController::presentingViewController)
      .method("parentViewController", &UIViewController::parentViewController)
      .method("navigationController", &UIViewController::navigationController);
}

UIViewController::UIViewController() = default;

UIViewController::~UIViewController() {
  if (view_) view_->setViewDelegate(nullptr);
}

std::shared_ptr<UIViewController> UIViewController::init() {
  return selfAs<UIViewController>();
}

std::shared_ptr<UIView> UIViewController::view() {
  if (!view_) {
    auto keep = selfAs<UIViewController>();
    loadView();
    // A loadView that forgot to set a view still leaves the controller usable.
    if (!view_) UIViewController::loadView();
    viewDidLoad();
  }
  return view_;
}

void UIViewController::setView(const std::shared_ptr<UIView>& view) {
  if (view_ == view) return;
  if (view_) view_->setViewDelegate(nullptr);
  view_ = view;
  if (view_) view_->setViewDelegate(selfAs<UIResponder>());
}

void UIViewController::loadView() {
  auto view = UIView::alloc()->initWithFrame(UIScreen::mainScreen()->bounds());
  view->setAutoresizingMask(static_cast<UIViewAutoresizing>(UIViewAutoresizingFlexibleWidth |
                                                            UIViewAutoresizingFlexibleHeight));
  setView(view);
}

void UIViewController::viewWillAppear(bool) {}
void UIViewController::viewDidAppear(bool) {}
void UIViewController::viewWillDisappear(bool) {}
void UIViewController::viewDidDisappear(bool) {}

void UIViewController::traitCollectionDidChange(const std::shared_ptr<UITraitCollection>&) {}

std::shared_ptr<UITraitCollection> UIViewController::traitCollection() const {
  return view_ ? view_->traitCollection() : UIScreen::mainScreen()->traitCollection();
}

// Containment.

void UIViewController::addChildViewController(const std::shared_ptr<UIViewController>& child) {
  if (!child || child.get() == this) return;
  auto me = selfAs<UIViewController>();
  if (child->parentViewController() == me) return;
  if (child->parentViewController()) child->removeFromParentViewController();
  child->willMoveToParentViewController(me);
  children_.push_back(child);
  child->parent_ = me;
}

void UIViewController::removeFromParentViewController() {
  auto parent = parent_.lock();
  if (!parent) return;
  auto keep = selfAs<UIViewController>();
  auto& siblings = parent->children_;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), keep), siblings.end());
  parent_.reset();
  didMoveToParentViewController(nullptr);
}

std::shared_ptr<UINavigationController> UIViewController::navigationController() const {
  for (auto controller = parent_.lock(); controller; controller = controller->parent_.lock()) {
    if (auto navigation = std::dynamic_pointer_cast<UINavigationController>(controller)) {
      return navigation;
    }
  }
  return nullptr;
}

std::shared_ptr<UIResponder> UIViewController::nextResponder() const {
  if (auto presenter = presenting_.lock()) return presenter;
  return view_ ? view_->superview() : nullptr;
}

// Appearance.

void UIViewController::beginAppearanceTransition(bool isAppearing, bool animated) {
  Appearance target = isAppearing ? Appearance::Appearing : Appearance::Disappearing;
  if (appearance_ == target) return;
  // Appearing again while on screen, or disappearing while off it, is not a transition.
  if (isAppearing && appearance_ == Appearance::Appeared) return;
  if (!isAppearing && appearance_ == Appearance::Disappeared) return;
  auto keep = selfAs<UIViewController>();
  appearance_ = target;
  appearanceAnimated_ = animated;
  if (isAppearing) {
    viewWillAppear(animated);
  } else {
    viewWillDisappear(animated);
  }
  for (auto& child : std::vector(children_)) {
    if (child->isViewLoaded() && view_ && child->view_->isDescendantOfView(view_)) {
      child->beginAppearanceTransition(isAppearing, animated);
    }
  }
}

void UIViewController::endAppearanceTransition() {
  if (appearance_ != Appearance::Appearing && appearance_ != Appearance::Disappearing) return;
  auto keep = selfAs<UIViewController>();
  bool appearing = appearance_ == Appearance::Appearing;
  appearance_ = appearing ? Appearance::Appeared : Appearance::Disappeared;
  if (appearing) {
    viewDidAppear(appearanceAnimated_);
  } else {
    viewDidDisappear(appearanceAnimated_);
  }
  for (auto& child : std::vector(children_)) child->endAppearanceTransition();
}
