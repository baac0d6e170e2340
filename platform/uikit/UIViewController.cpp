#include "uikit/UIViewController.h"

#include "uikit/UIScreen.h"
#include "uikit/UIView.h"

OBJC_CLASS_IMPL(UIViewController) {}

UIViewController::UIViewController() = default;
UIViewController::~UIViewController() = default;

std::shared_ptr<UIViewController> UIViewController::init() {
  return selfAs<UIViewController>();
}

std::shared_ptr<UIView> UIViewController::view() {
  if (!view_) {
    loadView();
    if (!view_) setView(UIView::alloc()->initWithFrame(UIScreen::mainScreen()->bounds()));
    viewDidLoad();
  }
  return view_;
}

void UIViewController::setView(const std::shared_ptr<UIView>& view) {
  if (view_) view_->setViewDelegate(nullptr);
  view_ = view;
  if (view_) view_->setViewDelegate(selfAs<UIResponder>());
}

void UIViewController::loadView() {
  setView(UIView::alloc()->initWithFrame(UIScreen::mainScreen()->bounds()));
}

void UIViewController::viewWillAppear(bool) {}
void UIViewController::viewDidAppear(bool) {}
void UIViewController::viewWillDisappear(bool) {}
void UIViewController::viewDidDisappear(bool) {}

void UIViewController::traitCollectionDidChange(const std::shared_ptr<UITraitCollection>&) {}

std::shared_ptr<UITraitCollection> UIViewController::traitCollection() const {
  return view_ ? view_->traitCollection() : UIScreen::mainScreen()->traitCollection();
}

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>&, bool,
                                             Completion) {}

void UIViewController::dismissViewControllerAnimated(bool, Completion) {}

std::shared_ptr<UIViewController> UIViewController::presentedViewController() const {
  return presented_;
}

std::shared_ptr<UIViewController> UIViewController::presentingViewController() const {
  return presenting_.lock();
}

void UIViewController::addChildViewController(const std::shared_ptr<UIViewController>&) {}
void UIViewController::removeFromParentViewController() {}

std::shared_ptr<UINavigationController> UIViewController::navigationController() const {
  return nullptr;
}

std::shared_ptr<UIResponder> UIViewController::nextResponder() const {
  return view_ ? view_->superview() : nullptr;
}

void UIViewController::beginAppearanceTransition(bool, bool) {}
void UIViewController::endAppearanceTransition() {}
