// Modal presentation: a controller shown over another one's window, full screen, as a sheet, or
// over the current content (alerts).

#include <algorithm>
#include <cmath>

#include "foundation/NSLog.h"
#include "foundation/RunLoop.h"
#include "runtime/RuntimeError.h"
#include "uikit/UIPanGestureRecognizer.h"
#include "uikit/UIScrollView.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

constexpr double kTransitionDuration = 0.4;
constexpr double kFadeDuration = 0.25;
constexpr CGFloat kSheetDimming = 0.4;

// The full-window view that holds one presentation's views.
class UITransitionView : public UIView {
  OBJC_CLASS(UITransitionView, UIView);
};

// Darkens what a sheet covers.
class UIDimmingView : public UIView {
  OBJC_CLASS(UIDimmingView, UIView);
};

// The sheet's card, which holds the presented view. The user drags it down to dismiss: further
// than a third of its height, or with a downward flick. A downward drag on content that scrolls
// moves the sheet while that content is at its top, and scrolls the content otherwise.
class UIDropShadowView : public UIView {
  OBJC_CLASS(UIDropShadowView, UIView);

 public:
  static constexpr double kFlickVelocity = 1000;  // points per second

  void attach(const std::shared_ptr<UIViewController>& presented,
              const std::shared_ptr<UIView>& dimming, CGRect shownFrame) {
    presented_ = presented;
    dimming_ = dimming;
    shownFrame_ = shownFrame;
    auto pan = UIPanGestureRecognizer::alloc()->initWithTarget(self(), "handlePan:");
    pan->setDelegate(self());
    addGestureRecognizer(pan);
  }

  // Only a downward, mostly vertical drag moves the sheet; others stay with the content.
  bool gestureRecognizerShouldBegin(
      const std::shared_ptr<UIGestureRecognizer>& recognizer) override {
    if (recognizer->view().get() != this) return UIView::gestureRecognizerShouldBegin(recognizer);
    auto pan = std::dynamic_pointer_cast<UIPanGestureRecognizer>(recognizer);
    auto presented = presented_.lock();
    if (!pan || !presented || presented->isModalInPresentation()) return false;
    CGPoint moved = pan->translationInView(nullptr);
    if (!(moved.y > 0 && moved.y >= std::abs(moved.x))) return false;
    // Content scrolled down takes the drag back up to its top first.
    auto touched = hitTest(pan->locationInView(selfAs<UIView>()), nullptr);
    for (auto view = touched; view && view.get() != this; view = view->superview()) {
      auto scroll = std::dynamic_pointer_cast<UIScrollView>(view);
      if (scroll && scroll->contentOffset().y > scroll->minimumContentOffset().y + 0.5) {
        return false;
      }
    }
    return true;
  }

 private:
  // The content's scrolling waits until the sheet's drag has failed, so that the sheet, not the
  // content, follows a downward drag that starts at the content's top.
  bool shouldBeRequiredToFail(std::shared_ptr<UIGestureRecognizer>,
                              std::shared_ptr<UIGestureRecognizer> other) {
    auto view = other ? other->view() : nullptr;
    auto scroll = std::dynamic_pointer_cast<UIScrollView>(view);
    return scroll && other == scroll->panGestureRecognizer() &&
           view->isDescendantOfView(selfAs<UIView>());
  }

  void handlePan(std::shared_ptr<UIPanGestureRecognizer> pan) {
    auto presented = presented_.lock();
    if (!presented || presented->isBeingDismissed()) return;
    CGFloat dragged = std::max<CGFloat>(0, pan->translationInView(nullptr).y);
    CGFloat height = shownFrame_.size.height;
    auto dimming = dimming_.lock();
    switch (pan->state()) {
      case UIGestureRecognizerStateBegan:
      case UIGestureRecognizerStateChanged:
        setFrame(CGRectOffset(shownFrame_, 0, dragged));
        if (dimming)
          dimming->setAlpha(kSheetDimming * (1 - dragged / std::max<CGFloat>(1, height)));
        break;
      case UIGestureRecognizerStateEnded:
        if (dragged > height / 3 || pan->velocityInView(nullptr).y > kFlickVelocity) {
          presented->dismissViewControllerAnimated(true, nullptr);
          break;
        }
        [[fallthrough]];
      default: {
        auto keep = selfAs<UIDropShadowView>();
        CGRect shown = shownFrame_;
        UIView::animateWithDuration(kSettleDuration, [keep, dimming, shown] {
          keep->setFrame(shown);
          if (dimming) dimming->setAlpha(kSheetDimming);
        });
        break;
      }
    }
  }

  static constexpr double kSettleDuration = 0.3;

  std::weak_ptr<UIViewController> presented_;
  std::weak_ptr<UIView> dimming_;
  CGRect shownFrame_;
};

enum class Kind { FullScreen, Sheet, OverContext };

Kind kindOf(UIModalPresentationStyle style) {
  switch (style) {
    case UIModalPresentationFullScreen:
    case UIModalPresentationCurrentContext:
      return Kind::FullScreen;
    case UIModalPresentationOverFullScreen:
    case UIModalPresentationOverCurrentContext:
    case UIModalPresentationCustom:
    case UIModalPresentationNone:
      return Kind::OverContext;
    default:
      // Automatic, page and form sheets and popovers all become a sheet on a phone.
      return Kind::Sheet;
  }
}

std::string describe(const std::shared_ptr<UIViewController>& controller) {
  return controller ? controller->description() : "(null)";
}

// Runs `changes` animated, or at once; `done` runs on the main run loop afterwards either way,
// never during this call.
void transition(bool animated, double duration, const std::function<void()>& changes,
                std::function<void()> done) {
  if (animated) {
    UIView::animateWithDuration(duration, 0, UIViewAnimationOptionCurveEaseInOut, changes,
                                [done = std::move(done)](bool) { done(); });
  } else {
    changes();
    RunLoop::scheduleAfter(0, std::move(done));
  }
}

}  // namespace

OBJC_CLASS_IMPL(UITransitionView) {}
OBJC_CLASS_IMPL(UIDimmingView) {}
OBJC_CLASS_IMPL(UIDropShadowView) {
  c.method("handlePan:", &UIDropShadowView::handlePan)
      .method("gestureRecognizer:shouldBeRequiredToFailByGestureRecognizer:",
              &UIDropShadowView::shouldBeRequiredToFail);
}

// What one presentation added to the window.
class UIPresentation {
 public:
  Kind kind;
  std::shared_ptr<UIView> container;
  std::shared_ptr<UIView> dimming;  // sheets
  std::shared_ptr<UIView> card;     // sheets
  // The view that a full-screen presentation takes out of the window once it covers it.
  std::shared_ptr<UIView> covered;

  // The frame of the moving part when shown and when off screen.
  std::shared_ptr<UIView> moving() const { return card ? card : container->subviews().back(); }
  CGRect shownFrame;
  CGRect hiddenFrame() const {
    return CGRectOffset(shownFrame, 0, container->bounds().size.height - shownFrame.origin.y);
  }
};

std::shared_ptr<UIViewController> UIViewController::presentationContext() const {
  auto context = std::const_pointer_cast<UIViewController>(
      std::static_pointer_cast<const UIViewController>(shared_from_this()));
  while (auto parent = context->parentViewController()) context = parent;
  return context;
}

std::shared_ptr<UIViewController> UIViewController::presentedViewController() const {
  return presentationContext()->presented_;
}

std::shared_ptr<UIViewController> UIViewController::presentingViewController() const {
  return presentationContext()->presenting_.lock();
}

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>& controller,
                                             bool animated, Completion completion) {
  if (!controller) {
    throw objc::RuntimeError("Application tried to present a nil modal view controller on target " +
                             description() + ".");
  }
  auto context = presentationContext();
  if (controller->presenting_.lock() || controller->parentViewController() ||
      controller == context) {
    throw objc::RuntimeError("Application tried to present modally a view controller " +
                             controller->description() +
                             " that is already presented or is a child of another controller.");
  }
  if (context->presented_) {
    NSLog("Attempt to present %s on %s (from %s) which is already presenting %s.",
          controller->description().c_str(), context->description().c_str(), description().c_str(),
          describe(context->presented_).c_str());
    return;
  }
  std::shared_ptr<UIWindow> window = context->isViewLoaded() ? context->view_->window() : nullptr;
  if (!window) {
    NSLog("Attempt to present %s on %s (from %s) whose view is not in the window hierarchy.",
          controller->description().c_str(), context->description().c_str(), description().c_str());
    return;
  }

  auto presentation = std::make_shared<UIPresentation>();
  presentation->kind = kindOf(controller->modalPresentationStyle());
  context->presented_ = controller;
  controller->presenting_ = context;
  controller->presentation_ = presentation;
  controller->beingPresented_ = true;

  auto view = controller->view();
  CGRect bounds = window->bounds();
  presentation->container = UITransitionView::alloc()->initWithFrame(bounds);
  presentation->container->setAutoresizingMask(static_cast<UIViewAutoresizing>(
      UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight));
  if (presentation->kind == Kind::FullScreen) {
    // What the presenter shows in the window: its own presentation's views, or its view.
    presentation->covered =
        context->presentation_ ? context->presentation_->container : context->view_;
  }

  if (presentation->kind == Kind::FullScreen) context->beginAppearanceTransition(false, animated);
  controller->beginAppearanceTransition(true, animated);

  window->addSubview(presentation->container);
  if (presentation->kind == Kind::Sheet) {
    presentation->dimming = UIDimmingView::alloc()->initWithFrame(bounds);
    presentation->dimming->setBackgroundColor(UIColor::blackColor());
    presentation->dimming->setAlpha(0);
    presentation->container->addSubview(presentation->dimming);
    CGFloat top = window->safeAreaInsets().top + 10;
    presentation->shownFrame =
        CGRectMake(0, top, bounds.size.width, std::max<CGFloat>(0, bounds.size.height - top));
    auto card = UIDropShadowView::alloc();
    card->initWithFrame(presentation->shownFrame);
    card->attach(controller, presentation->dimming, presentation->shownFrame);
    presentation->card = card;
    presentation->card->layer()->setCornerRadius(10);
    presentation->card->layer()->setCornerCurve(kCACornerCurveContinuous);
    presentation->card->setClipsToBounds(true);
    presentation->container->addSubview(presentation->card);
    view->setFrame(CGRectMake(0, 0, presentation->shownFrame.size.width,
                              presentation->shownFrame.size.height));
    presentation->card->addSubview(view);
  } else {
    presentation->shownFrame = bounds;
    view->setFrame(bounds);
    presentation->container->addSubview(view);
  }
  view->setAutoresizingMask(static_cast<UIViewAutoresizing>(UIViewAutoresizingFlexibleWidth |
                                                            UIViewAutoresizingFlexibleHeight));

  if (animated) {
    if (presentation->kind == Kind::OverContext) {
      view->setAlpha(0);
    } else {
      presentation->moving()->setFrame(presentation->hiddenFrame());
    }
  }
  double duration = presentation->kind == Kind::OverContext ? kFadeDuration : kTransitionDuration;
  auto changes = [presentation, view] {
    if (presentation->kind == Kind::OverContext) {
      view->setAlpha(1);
    } else {
      presentation->moving()->setFrame(presentation->shownFrame);
    }
    if (presentation->dimming) presentation->dimming->setAlpha(kSheetDimming);
  };
  transition(animated, duration, changes, [context, controller, presentation, completion] {
    // Dismissed at once from below while still arriving: it is gone already.
    if (controller->presentation_ != presentation) {
      if (completion) completion();
      return;
    }
    if (presentation->covered) presentation->covered->removeFromSuperview();
    controller->beingPresented_ = false;
    controller->endAppearanceTransition();
    if (presentation->kind == Kind::FullScreen) context->endAppearanceTransition();
    if (completion) completion();
    if (auto pending = std::move(controller->pendingDismissal_)) {
      controller->pendingDismissal_ = nullptr;
      pending();
    }
  });
}

void UIViewController::dismissViewControllerAnimated(bool animated, Completion completion) {
  auto context = presentationContext();
  auto presenter = context->presented_ ? context : context->presenting_.lock();
  if (!presenter) {
    // Nothing to dismiss; the caller still hears back, as on the platform.
    if (completion) RunLoop::scheduleAfter(0, std::move(completion));
    return;
  }
  presenter->performDismissal(animated, std::move(completion));
}

void UIViewController::performDismissal(bool animated, Completion completion) {
  auto presenter = selfAs<UIViewController>();
  auto presented = presented_;
  if (presented->beingDismissed_) return;
  if (presented->beingPresented_) {
    // The presented controller keeps this block and the presenter keeps the presented one: a
    // strong presenter here would keep both alive if the presentation never ends (its window
    // released while it arrives).
    presented->pendingDismissal_ = [weakPresenter = std::weak_ptr(presenter), animated,
                                    completion] {
      auto presenter = weakPresenter.lock();
      if (presenter && presenter->presented_) presenter->performDismissal(animated, completion);
    };
    return;
  }

  // Controllers presented over the one leaving go first, at once.
  presented->removePresentedAtOnce();

  auto presentation = presented->presentation_;
  presented->beingDismissed_ = true;
  presented->beginAppearanceTransition(false, animated);
  if (presentation->covered) {
    auto window = presentation->container->window();
    if (window && !presentation->covered->superview()) {
      window->insertSubviewBelowSubview(presentation->covered, presentation->container);
      presentation->covered->setFrame(window->bounds());
    }
    beginAppearanceTransition(true, animated);
  }

  double duration = presentation->kind == Kind::OverContext ? kFadeDuration : kTransitionDuration;
  auto view = presented->view_;
  auto changes = [presentation, view] {
    if (presentation->kind == Kind::OverContext) {
      view->setAlpha(0);
    } else {
      presentation->moving()->setFrame(presentation->hiddenFrame());
    }
    if (presentation->dimming) presentation->dimming->setAlpha(0);
  };
  transition(animated, duration, changes, [presenter, presented, presentation, completion] {
    presentation->container->removeFromSuperview();
    if (presentation->kind == Kind::OverContext) presented->view_->setAlpha(1);
    if (presenter->presented_ == presented) presenter->presented_.reset();
    presented->presenting_.reset();
    presented->presentation_.reset();
    presented->beingDismissed_ = false;
    if (presentation->covered) presenter->endAppearanceTransition();
    presented->endAppearanceTransition();
    if (completion) completion();
  });
}

void UIViewController::removePresentedAtOnce() {
  std::vector<std::shared_ptr<UIViewController>> above;
  for (auto upper = presented_; upper; upper = upper->presented_) above.push_back(upper);
  for (auto upper = above.rbegin(); upper != above.rend(); ++upper)
    (*upper)->removePresentationAtOnce();
}

void UIViewController::removePresentationAtOnce() {
  auto keep = selfAs<UIViewController>();
  auto presentation = presentation_;
  auto presenter = presenting_.lock();
  beginAppearanceTransition(false, false);
  if (presentation->covered && !presentation->covered->superview()) {
    if (auto window = presentation->container->window()) {
      window->insertSubviewBelowSubview(presentation->covered, presentation->container);
    }
  }
  presentation->container->removeFromSuperview();
  if (presenter && presenter->presented_ == keep) presenter->presented_.reset();
  presenting_.reset();
  presentation_.reset();
  beingPresented_ = false;
  pendingDismissal_ = nullptr;
  endAppearanceTransition();
}
