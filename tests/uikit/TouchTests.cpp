#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "foundation/RunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UIEvent.h"
#include "uikit/UIScreen.h"
#include "uikit/UITouch.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

// Notes the touches it gets, with where they were in its own coordinates.
class TouchLoggingView : public UIView {
  OBJC_CLASS(TouchLoggingView, UIView);

 public:
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override {
    note("began", touches);
  }
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override {
    note("moved", touches);
  }
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override {
    note("ended", touches);
  }
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override {
    note("cancelled", touches);
  }
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override {
    styleChanges.push_back(previous->userInterfaceStyle());
  }

  std::vector<std::string> phases;
  std::vector<CGPoint> locations;
  std::vector<unsigned long> tapCounts;
  std::vector<UIUserInterfaceStyle> styleChanges;

 private:
  void note(const char* phase, const UITouchSet& touches) {
    phases.push_back(phase);
    locations.push_back(touches.front()->locationInView(selfAs<UIView>()));
    tapCounts.push_back(touches.front()->tapCount());
  }
};

// Takes touches only where one of its subviews is, like a floating call window.
class PassThroughWindow : public UIWindow {
  OBJC_CLASS(PassThroughWindow, UIWindow);

 public:
  bool pointInside(CGPoint point, const std::shared_ptr<UIEvent>& event) override {
    auto me = selfAs<UIView>();
    for (auto& subview : subviews()) {
      if (subview->hitTest(subview->convertPointFromView(point, me), event)) return true;
    }
    return false;
  }
};

// A responder that implements actions, to be found along the chain.
class ActionResponder : public UIView {
  OBJC_CLASS(ActionResponder, UIView);

 public:
  bool canBecomeFirstResponder() const override { return true; }
  bool canResignFirstResponder() const override { return resignable; }
  void copy() { calls.push_back("copy"); }
  void paste(id sender, id event) {
    calls.push_back(sender ? "paste from sender" : "paste");
    lastEvent = event;
  }

  bool resignable = true;
  std::vector<std::string> calls;
  id lastEvent;
};

}  // namespace

OBJC_CLASS_IMPL(TouchLoggingView) {}
OBJC_CLASS_IMPL(PassThroughWindow) {}
OBJC_CLASS_IMPL(ActionResponder) {
  c.method("copy:", &ActionResponder::copy).method("paste:withEvent:", &ActionResponder::paste);
}

namespace {

class Touches : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    window->makeKeyAndVisible();
  }

  std::shared_ptr<TouchLoggingView> logging(CGRect frame, const std::shared_ptr<UIView>& parent) {
    auto view = TouchLoggingView::alloc();
    view->initWithFrame(frame);
    parent->addSubview(view);
    return view;
  }

  void tap(CGPoint point) {
    app->touchDown(point);
    RunLoop::advance(0.05);
    app->touchUp(point);
  }

  std::shared_ptr<UIApplication> app = UIApplication::sharedApplication();
  std::shared_ptr<UIWindow> window = UIWindow::alloc()->init();
};

TEST_F(Touches, AViewThatIsHiddenTransparentOrNotInteractiveTakesNoTouchNorDoItsSubviews) {
  struct Case {
    const char* name;
    std::function<void(UIView&)> disable;
  };
  for (const Case& c :
       {Case{"hidden", [](UIView& v) { v.setHidden(true); }},
        Case{"alpha 0", [](UIView& v) { v.setAlpha(0); }},
        Case{"alpha 0.009", [](UIView& v) { v.setAlpha(0.009); }},
        Case{"no interaction", [](UIView& v) { v.setUserInteractionEnabled(false); }}}) {
    auto under = logging(CGRectMake(0, 0, 390, 844), window);
    auto cover = logging(CGRectMake(100, 100, 200, 200), window);
    auto child = logging(CGRectMake(0, 0, 100, 100), cover);
    c.disable(*cover);

    tap({150, 150});

    EXPECT_EQ(under->phases, (std::vector<std::string>{"began", "ended"})) << c.name;
    EXPECT_TRUE(cover->phases.empty()) << c.name;
    EXPECT_TRUE(child->phases.empty()) << c.name;
    under->removeFromSuperview();
    cover->removeFromSuperview();
  }
}

TEST_F(Touches, TheFrontmostSubviewUnderThePointTakesTheTouchButNotWhereItSticksOutOfItsParent) {
  auto parent = logging(CGRectMake(0, 0, 200, 200), window);
  auto back = logging(CGRectMake(0, 0, 150, 150), parent);
  auto front = logging(CGRectMake(50, 50, 300, 300), parent);

  tap({100, 100});
  tap({250, 250});

  EXPECT_TRUE(back->phases.empty());
  EXPECT_EQ(front->phases, (std::vector<std::string>{"began", "ended"}));
  EXPECT_TRUE(parent->phases.empty());
}

TEST_F(Touches, ATouchThatMovesOutOfItsViewStaysWithIt) {
  auto left = logging(CGRectMake(0, 0, 195, 844), window);
  auto right = logging(CGRectMake(195, 0, 195, 844), window);

  app->touchDown({100, 400});
  app->touchMove({300, 400});
  app->touchUp({300, 420});

  EXPECT_EQ(left->phases, (std::vector<std::string>{"began", "moved", "ended"}));
  EXPECT_EQ(left->locations.back(), CGPointMake(300, 420));
  EXPECT_TRUE(right->phases.empty());
}

TEST_F(Touches, AViewThatDoesNotHandleTouchesPassesThemToItsSuperview) {
  auto parent = logging(CGRectMake(0, 100, 390, 400), window);
  auto plain = UIView::alloc()->initWithFrame(CGRectMake(10, 10, 100, 100));
  parent->addSubview(plain);

  tap({50, 150});

  EXPECT_EQ(parent->phases, (std::vector<std::string>{"began", "ended"}));
  EXPECT_EQ(parent->locations.front(), CGPointMake(50, 50));
}

TEST_F(Touches, QuickTapsInOnePlaceCountUp) {
  auto view = logging(CGRectMake(0, 0, 390, 844), window);

  tap({100, 100});
  RunLoop::advance(0.1);
  tap({105, 100});
  RunLoop::advance(0.1);
  tap({300, 600});
  RunLoop::advance(1);
  tap({300, 600});

  EXPECT_EQ(view->tapCounts, (std::vector<unsigned long>{1, 1, 2, 2, 1, 1, 1, 1}));
}

TEST_F(Touches, AWindowThatFindsNoViewLetsTheTouchThroughToTheWindowBelow) {
  auto below = logging(CGRectMake(0, 0, 390, 844), window);
  auto call = PassThroughWindow::alloc();
  call->init();
  call->setWindowLevel(UIWindowLevelAlert - 1);
  auto tile = logging(CGRectMake(270, 100, 110, 200), call);
  call->makeKeyAndVisible();

  tap({100, 500});
  tap({300, 150});

  EXPECT_EQ(below->phases, (std::vector<std::string>{"began", "ended"}));
  EXPECT_EQ(tile->phases, (std::vector<std::string>{"began", "ended"}));
  EXPECT_EQ(tile->locations.front(), CGPointMake(30, 50));
}

TEST_F(Touches, WindowsStackByLevelThenByTheOrderTheyWereShownAndHiddenOnesTakeNoTouches) {
  auto alert = UIWindow::alloc()->init();
  alert->setWindowLevel(UIWindowLevelAlert);
  auto second = UIWindow::alloc()->init();
  auto hidden = UIWindow::alloc()->init();
  hidden->setWindowLevel(UIWindowLevelStatusBar);
  auto view = logging(CGRectMake(0, 0, 390, 844), second);

  alert->setHidden(false);
  second->setHidden(false);
  window->setHidden(false);
  second->makeKeyAndVisible();
  tap({10, 10});
  alert->setHidden(true);
  tap({10, 10});

  auto windows = app->windows();
  auto at = [&](const std::shared_ptr<UIWindow>& w) {
    return std::find(windows.begin(), windows.end(), w) - windows.begin();
  };
  EXPECT_LT(at(window), at(second));
  EXPECT_LT(at(second), at(hidden));
  EXPECT_LT(at(hidden), at(alert));
  EXPECT_EQ(view->phases, (std::vector<std::string>{"began", "ended"}));
}

TEST_F(Touches, HidingOrReleasingTheKeyWindowPassesKeyStatusToTheTopVisibleWindow) {
  auto call = UIWindow::alloc()->init();
  call->setWindowLevel(UIWindowLevelAlert - 1);
  call->makeKeyAndVisible();
  bool callWasKey = call->isKeyWindow() && !window->isKeyWindow();

  call->setHidden(true);
  bool backAfterHiding = window->isKeyWindow();
  call->makeKeyAndVisible();
  call = nullptr;

  EXPECT_TRUE(callWasKey);
  EXPECT_TRUE(backAfterHiding);
  EXPECT_EQ(app->keyWindow(), window);
}

TEST_F(Touches, AFullScreenWindowKeepsClearOfTheSensorHousingAndTheHomeIndicator) {
  auto banner = UIWindow::alloc()->initWithFrame(CGRectMake(0, 20, 390, 100));

  EXPECT_EQ(window->safeAreaInsets(), UIEdgeInsetsMake(47, 0, 34, 0));
  EXPECT_EQ(banner->safeAreaInsets(), UIEdgeInsetsMake(27, 0, 0, 0));
}

TEST_F(Touches, TheRootViewControllersViewFillsTheWindowAndJoinsTheResponderChain) {
  auto controller = UIViewController::alloc()->init();
  window->setRootViewController(controller);

  window->setFrame(CGRectMake(0, 0, 320, 480));
  window->layoutIfNeeded();

  auto view = controller->view();
  EXPECT_EQ(view->superview(), window);
  EXPECT_EQ(view->frame(), CGRectMake(0, 0, 320, 480));
  EXPECT_EQ(view->nextResponder(), controller);
  EXPECT_EQ(controller->nextResponder(), window);
  EXPECT_EQ(window->nextResponder(), app);
}

TEST_F(Touches, AnActionWithNoTargetGoesToTheFirstResponderInTheChainThatImplementsIt) {
  auto handler = ActionResponder::alloc();
  handler->initWithFrame(CGRectMake(0, 0, 100, 100));
  window->addSubview(handler);
  auto sender = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 10, 10));
  handler->addSubview(sender);
  auto other = ActionResponder::alloc();
  other->initWithFrame(CGRectZero);
  auto event = UIEvent::alloc();

  bool fromSender = app->sendAction("copy:", nullptr, sender, nullptr);
  bool unknown = app->sendAction("cut:", nullptr, sender, nullptr);
  other->becomeFirstResponder();
  bool fromFirstResponder = app->sendAction("paste:withEvent:", nullptr, sender, event);
  other->resignFirstResponder();

  EXPECT_TRUE(fromSender);
  EXPECT_FALSE(unknown);
  EXPECT_TRUE(fromFirstResponder);
  EXPECT_EQ(handler->calls, std::vector<std::string>{"copy"});
  EXPECT_EQ(other->calls, std::vector<std::string>{"paste from sender"});
  EXPECT_EQ(other->lastEvent, event);
}

TEST_F(Touches, OnlyOneResponderIsFirstAndOneThatWillNotResignKeepsIt) {
  auto first = ActionResponder::alloc();
  auto second = ActionResponder::alloc();
  first->resignable = false;

  bool firstBecame = first->becomeFirstResponder();
  bool secondBecame = second->becomeFirstResponder();
  first->resignable = true;
  bool secondBecameLater = second->becomeFirstResponder();
  second->resignFirstResponder();

  EXPECT_TRUE(firstBecame);
  EXPECT_FALSE(secondBecame);
  EXPECT_TRUE(secondBecameLater);
  EXPECT_FALSE(first->isFirstResponder());
  EXPECT_EQ(UIResponder::currentFirstResponder(), nullptr);
  EXPECT_FALSE(UIView::alloc()->becomeFirstResponder());
}

TEST_F(Touches, SwitchingTheAppearanceReachesTheViewsOfEveryWindowExceptThoseThatOverrideIt) {
  auto inMain = logging(CGRectMake(0, 0, 10, 10), window);
  auto other = UIWindow::alloc()->init();
  auto inOther = logging(CGRectMake(0, 0, 10, 10), other);
  auto pinned = logging(CGRectMake(0, 0, 10, 10), other);
  pinned->setOverrideUserInterfaceStyle(UIUserInterfaceStyleLight);

  app->setUserInterfaceStyle(UIUserInterfaceStyleDark);
  app->setUserInterfaceStyle(UIUserInterfaceStyleDark);
  app->setUserInterfaceStyle(UIUserInterfaceStyleLight);

  auto expected =
      std::vector<UIUserInterfaceStyle>{UIUserInterfaceStyleLight, UIUserInterfaceStyleDark};
  EXPECT_EQ(inMain->styleChanges, expected);
  EXPECT_EQ(inOther->styleChanges, expected);
  EXPECT_TRUE(pinned->styleChanges.empty());
}

}  // namespace
