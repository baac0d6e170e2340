#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "foundation/RunLoop.h"
#include "uikit/UIAlertAction.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

std::shared_ptr<UIViewController> screen(UIModalPresentationStyle style) {
  auto controller = UIViewController::alloc();
  controller->init();
  controller->setModalPresentationStyle(style);
  return controller;
}

// What a test can still reach once it has let go of a window and its screens.
struct Left {
  std::weak_ptr<UIWindow> window;
  std::weak_ptr<UIViewController> presenter;
  std::weak_ptr<UIViewController> presented;
  std::weak_ptr<UIView> presentedView;
  // Whether the presentation was still under way when the window was let go.
  bool wasArriving = false;

  bool allGone() const {
    return window.expired() && presenter.expired() && presented.expired() &&
           presentedView.expired();
  }
};

// An alert whose action's handler holds its presenter, as a screen's own alerts do.
std::shared_ptr<UIViewController> alertHolding(const std::shared_ptr<UIViewController>& presenter) {
  auto alert =
      UIAlertController::alertControllerWithTitle("Title", "Message", UIAlertControllerStyleAlert);
  alert->addAction(UIAlertAction::actionWithTitle(
      "Open", UIAlertActionStyleDefault,
      [presenter](const std::shared_ptr<UIAlertAction>&) { presenter->view(); }));
  return alert;
}

// Shows a screen in a window, presents another over it, animated, and lets go of everything
// after `presentingFor` seconds (with a dismissal waiting for the presentation, when asked).
Left releaseWhilePresenting(
    const std::function<std::shared_ptr<UIViewController>(std::shared_ptr<UIViewController>)>& make,
    double presentingFor, bool dismissWhileArriving) {
  auto window = UIWindow::alloc()->init();
  window->makeKeyAndVisible();
  auto presenter = screen(UIModalPresentationFullScreen);
  window->setRootViewController(presenter);
  auto presented = make(presenter);
  presenter->presentViewController(presented, true, nullptr);
  RunLoop::advance(presentingFor);
  if (dismissWhileArriving) presented->dismissViewControllerAnimated(true, nullptr);

  Left left{window, presenter, presented, presented->view(), presented->isBeingPresented()};
  window->setHidden(true);
  return left;
}

Left releaseMidPresentation(UIModalPresentationStyle style, bool dismissWhileArriving) {
  auto make = [style](const std::shared_ptr<UIViewController>&) { return screen(style); };
  Left left = releaseWhilePresenting(make, 0.1, dismissWhileArriving);
  EXPECT_TRUE(left.wasArriving);
  return left;
}

TEST(PresentationLifetime, AWindowReleasedWhileAPresentationArrivesLeavesNothingAlive) {
  struct Case {
    const char* name;
    UIModalPresentationStyle style;
    bool dismissWhileArriving;
  };
  const Case cases[] = {
      {"full screen", UIModalPresentationFullScreen, false},
      {"sheet", UIModalPresentationPageSheet, false},
      {"over the context", UIModalPresentationOverFullScreen, false},
      {"full screen, dismissal waiting", UIModalPresentationFullScreen, true},
      {"sheet, dismissal waiting", UIModalPresentationPageSheet, true},
      {"over the context, dismissal waiting", UIModalPresentationOverFullScreen, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);

    // The transition runs to its end with nobody to show it to.
    RunLoop::useManualClock();
    Left finished = releaseMidPresentation(c.style, c.dismissWhileArriving);
    RunLoop::advance(2);
    EXPECT_TRUE(finished.allGone());

    // The run loop drops the transition's completion before it runs, as a fresh loop does.
    RunLoop::useManualClock();
    Left dropped = releaseMidPresentation(c.style, c.dismissWhileArriving);
    RunLoop::useManualClock();
    EXPECT_TRUE(dropped.allGone());
  }
}

TEST(PresentationLifetime, AWindowReleasedTakesDownWhatItPresentsThoughThatHoldsItsPresenter) {
  for (double presentingFor : {0.1, 1.0}) {
    SCOPED_TRACE(presentingFor);
    RunLoop::useManualClock();

    Left left = releaseWhilePresenting(alertHolding, presentingFor, false);
    RunLoop::advance(2);

    EXPECT_TRUE(left.allGone());
  }
}

}  // namespace
