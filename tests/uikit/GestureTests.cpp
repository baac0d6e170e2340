#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "foundation/Clock.h"
#include "foundation/RunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UIEvent.h"
#include "uikit/UILongPressGestureRecognizer.h"
#include "uikit/UIPanGestureRecognizer.h"
#include "uikit/UIPinchGestureRecognizer.h"
#include "uikit/UITapGestureRecognizer.h"
#include "uikit/UITouch.h"
#include "uikit/UIWindow.h"

namespace {

// The target of every action in these tests: it notes which action ran, in which state, when.
class GestureLog : public NSObject {
  OBJC_CLASS(GestureLog, NSObject);

 public:
  struct Entry {
    std::string action;
    UIGestureRecognizerState state;
    double time;
  };

  void single(std::shared_ptr<UIGestureRecognizer> r) { note("single", r); }
  void doubleTap(std::shared_ptr<UIGestureRecognizer> r) { note("double", r); }
  void press(std::shared_ptr<UIGestureRecognizer> r) { note("press", r); }
  void pan(std::shared_ptr<UIGestureRecognizer> r) { note("pan", r); }
  void pinch(std::shared_ptr<UIGestureRecognizer> r) { note("pinch", r); }
  void tapped() { entries.push_back({"tapped", UIGestureRecognizerStateRecognized, Clock::now()}); }

  std::vector<std::string> actions() const {
    std::vector<std::string> names;
    for (auto& entry : entries) names.push_back(entry.action);
    return names;
  }

  std::vector<Entry> entries;
  // Runs inside the action, for tests that look at the recogniser while it reports.
  std::function<void(const std::shared_ptr<UIGestureRecognizer>&)> inside;

 private:
  void note(const char* action, const std::shared_ptr<UIGestureRecognizer>& r) {
    entries.push_back({action, r->state(), Clock::now()});
    if (inside) inside(r);
  }
};

// A delegate that answers every question the same way.
class GestureDelegate : public NSObject {
  OBJC_CLASS(GestureDelegate, NSObject);

 public:
  bool shouldRecognizeSimultaneouslyWithGestureRecognizer(std::shared_ptr<UIGestureRecognizer>,
                                                          std::shared_ptr<UIGestureRecognizer>) {
    return simultaneous;
  }
  bool shouldReceiveTouch(std::shared_ptr<UIGestureRecognizer>, std::shared_ptr<UITouch>) {
    return receive;
  }
  bool gestureRecognizerShouldBegin(std::shared_ptr<UIGestureRecognizer>) { return begin; }

  bool simultaneous = true;
  bool receive = true;
  bool begin = true;
};

// Notes the touches a view and a recogniser see, in one shared log.
std::vector<std::string> deliveries;

class GestureTestView : public UIView {
  OBJC_CLASS(GestureTestView, UIView);

 public:
  bool gestureRecognizerShouldBegin(const std::shared_ptr<UIGestureRecognizer>&) override {
    return !refusesRecognizers;
  }
  void touchesBegan(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {
    deliveries.push_back("view began");
  }
  void touchesMoved(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {
    deliveries.push_back("view moved");
  }
  void touchesEnded(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {
    deliveries.push_back("view ended");
  }
  void touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {
    deliveries.push_back("view cancelled");
  }

  bool refusesRecognizers = false;
};

class ObservingRecognizer : public UIGestureRecognizer {
  OBJC_CLASS(ObservingRecognizer, UIGestureRecognizer);

 public:
  bool changeWithoutBeginning = false;

 protected:
  void touchesBegan(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {
    deliveries.push_back("recognizer began");
    if (changeWithoutBeginning) setState(UIGestureRecognizerStateChanged);
  }
  void touchesEnded(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {
    deliveries.push_back("recognizer ended");
    setState(UIGestureRecognizerStateFailed);
  }
  void touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {
    if (state() == UIGestureRecognizerStatePossible) setState(UIGestureRecognizerStateFailed);
  }
};

}  // namespace

OBJC_CLASS_IMPL(GestureLog) {
  c.method("single:", &GestureLog::single)
      .method("double:", &GestureLog::doubleTap)
      .method("press:", &GestureLog::press)
      .method("pan:", &GestureLog::pan)
      .method("pinch:", &GestureLog::pinch)
      .method("tapped", &GestureLog::tapped);
}

OBJC_CLASS_IMPL(GestureDelegate) {
  c.method("gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:",
           &GestureDelegate::shouldRecognizeSimultaneouslyWithGestureRecognizer)
      .method("gestureRecognizer:shouldReceiveTouch:", &GestureDelegate::shouldReceiveTouch)
      .method("gestureRecognizerShouldBegin:", &GestureDelegate::gestureRecognizerShouldBegin);
}

OBJC_CLASS_IMPL(GestureTestView) {}
OBJC_CLASS_IMPL(ObservingRecognizer) {}

namespace {

class Gestures : public ::testing::Test {
 protected:
  void SetUp() override { freshScene(); }
  void TearDown() override { finishGestures(); }

  // A new window with two nested views, on a clock that starts at 0; cases of a table each get
  // one.
  void freshScene() {
    RunLoop::useManualClock();
    deliveries.clear();
    log->entries.clear();
    window = UIWindow::alloc()->init();
    outer = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 844));
    inner = UIView::alloc()->initWithFrame(CGRectMake(50, 100, 300, 600));
    window->makeKeyAndVisible();
    window->addSubview(outer);
    outer->addSubview(inner);
  }

  void finishGestures() {
    app->cancelAllTouches();
    RunLoop::advance(5);  // lets every waiting recogniser give up
  }

  void tap(CGPoint point, double hold = 0.05) {
    app->touchDown(point);
    RunLoop::advance(hold);
    app->touchUp(point);
  }

  template <class R>
  std::shared_ptr<R> add(const std::shared_ptr<UIView>& view, SEL action) {
    auto recognizer = R::alloc()->initWithTarget(log, action);
    view->addGestureRecognizer(recognizer);
    return recognizer;
  }

  std::shared_ptr<UIApplication> app = UIApplication::sharedApplication();
  std::shared_ptr<GestureLog> log = GestureLog::alloc();
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIView> outer;
  std::shared_ptr<UIView> inner;
};

TEST_F(Gestures, ADoubleTapInsideASingleTapFiresEachOnceUnlessTheSingleWaitsForTheDouble) {
  struct Case {
    bool singleRequiresDoubleToFail;
    std::vector<std::string> expected;
  };
  for (const Case& c : {Case{false, {"single", "double"}}, Case{true, {"double"}}}) {
    freshScene();
    auto single = add<UITapGestureRecognizer>(outer, "single:");
    auto twice = add<UITapGestureRecognizer>(inner, "double:");
    twice->setNumberOfTapsRequired(2);
    if (c.singleRequiresDoubleToFail) single->requireGestureRecognizerToFail(twice);

    tap({200, 400});
    RunLoop::advance(0.1);
    tap({202, 401});
    RunLoop::advance(1);

    EXPECT_EQ(log->actions(), c.expected) << c.singleRequiresDoubleToFail;
    finishGestures();
  }
}

TEST_F(Gestures, ASingleTapThatWaitsForADoubleFiresOnceTheMultiTapIntervalHasPassed) {
  auto single = add<UITapGestureRecognizer>(outer, "single:");
  auto twice = add<UITapGestureRecognizer>(inner, "double:");
  twice->setNumberOfTapsRequired(2);
  single->requireGestureRecognizerToFail(twice);

  tap({200, 400});
  RunLoop::advance(0.3);
  size_t beforeTheInterval = log->entries.size();
  RunLoop::advance(0.1);

  EXPECT_EQ(beforeTheInterval, 0u);
  ASSERT_EQ(log->actions(), std::vector<std::string>{"single"});
  EXPECT_DOUBLE_EQ(log->entries[0].time, 0.05 + UITouch::kMultiTapInterval);
}

TEST_F(Gestures, ATapFailsWhenItsFingerWandersOrStaysDown) {
  struct Case {
    CGFloat movement;
    double hold;
    bool fires;
  };
  for (const Case& c :
       {Case{5, 0.1, true}, Case{15, 0.1, false}, Case{0, 0.5, true}, Case{0, 1.0, false}}) {
    log->entries.clear();
    add<UITapGestureRecognizer>(inner, "single:");

    app->touchDown({200, 400});
    RunLoop::advance(c.hold);
    app->touchMove({200 + c.movement, 400});
    app->touchUp({200 + c.movement, 400});
    RunLoop::advance(1);

    EXPECT_EQ(log->entries.size(), c.fires ? 1u : 0u) << c.movement << " " << c.hold;
    inner->removeGestureRecognizer(inner->gestureRecognizers().front());
  }
}

TEST_F(Gestures, ATwoSecondLongPressBeginsOnlyAfterTwoSecondsAndEndsOnLift) {
  struct Case {
    double hold;
    std::vector<UIGestureRecognizerState> states;
  };
  for (const Case& c :
       {Case{1.9, {}}, Case{2.1, {UIGestureRecognizerStateBegan, UIGestureRecognizerStateEnded}}}) {
    freshScene();
    add<UILongPressGestureRecognizer>(inner, "press:")->setMinimumPressDuration(2.0);

    app->touchDown({200, 400});
    RunLoop::advance(c.hold);
    app->touchUp({200, 400});

    std::vector<UIGestureRecognizerState> states;
    for (auto& entry : log->entries) states.push_back(entry.state);
    EXPECT_EQ(states, c.states) << c.hold;
    if (!c.states.empty()) {
      EXPECT_DOUBLE_EQ(log->entries[0].time, 2.0);
    }
    finishGestures();
  }
}

TEST_F(Gestures, ALongPressFailsWhenTheFingerMovesBeforeItBeginsAndChangesWithMovesAfter) {
  add<UILongPressGestureRecognizer>(inner, "press:");

  app->touchDown({200, 400});
  RunLoop::advance(0.2);
  app->touchMove({215, 400});
  RunLoop::advance(1);
  app->touchUp({215, 400});
  app->touchDown({200, 400});
  RunLoop::advance(0.6);
  app->touchMove({260, 400});
  app->touchUp({260, 400});

  std::vector<UIGestureRecognizerState> states;
  for (auto& entry : log->entries) states.push_back(entry.state);
  EXPECT_EQ(states, (std::vector<UIGestureRecognizerState>{UIGestureRecognizerStateBegan,
                                                           UIGestureRecognizerStateChanged,
                                                           UIGestureRecognizerStateEnded}));
}

TEST_F(Gestures, APanReportsItsTranslationAndTheVelocityOfTheRelease) {
  struct Case {
    double pauseBeforeRelease;
    CGFloat releaseVelocity;
  };
  for (const Case& c : {Case{0, 1000}, Case{0.3, 0}}) {
    freshScene();
    auto pan = add<UIPanGestureRecognizer>(inner, "pan:");
    auto scaled = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 10, 10));
    window->addSubview(scaled);
    scaled->setTransform(CGAffineTransformMakeScale(2, 2));
    std::vector<CGPoint> translations;
    CGPoint velocity, scaledTranslation;
    log->inside = [&](const std::shared_ptr<UIGestureRecognizer>&) {
      translations.push_back(pan->translationInView(outer));
      velocity = pan->velocityInView(outer);
      scaledTranslation = pan->translationInView(scaled);
    };

    app->touchDown({100, 300});
    for (int step = 1; step <= 5; ++step) {
      RunLoop::advance(0.02);
      app->touchMove({100.0 + 20 * step, 300});
    }
    RunLoop::advance(c.pauseBeforeRelease);
    app->touchUp({200, 300});

    ASSERT_EQ(log->entries.size(), 6u) << c.pauseBeforeRelease;
    EXPECT_EQ(log->entries.front().state, UIGestureRecognizerStateBegan);
    EXPECT_EQ(log->entries.back().state, UIGestureRecognizerStateEnded);
    EXPECT_EQ(translations.front(), CGPointMake(20, 0));
    EXPECT_EQ(translations.back(), CGPointMake(100, 0));
    EXPECT_EQ(scaledTranslation, CGPointMake(50, 0));
    EXPECT_NEAR(velocity.x, c.releaseVelocity, 1e-6);
    EXPECT_NEAR(velocity.y, 0, 1e-6);
    log->inside = nullptr;
    finishGestures();
  }
}

TEST_F(Gestures, APanCountsFromATranslationSetDuringIt) {
  auto pan = add<UIPanGestureRecognizer>(inner, "pan:");
  log->inside = [&](const std::shared_ptr<UIGestureRecognizer>&) {
    if (pan->state() == UIGestureRecognizerStateBegan) pan->setTranslation(CGPointZero, nullptr);
  };

  app->touchDown({100, 300});
  app->touchMove({130, 300});
  app->touchMove({140, 310});
  CGPoint translation = pan->translationInView(nullptr);
  app->touchUp({140, 310});

  EXPECT_EQ(translation, CGPointMake(10, 10));
}

TEST_F(Gestures, APinchThatReturnsToItsStartingSpreadEndsAtScaleOne) {
  auto pinch = add<UIPinchGestureRecognizer>(inner, "pinch:");
  std::vector<CGFloat> scales;
  log->inside = [&](const std::shared_ptr<UIGestureRecognizer>&) {
    scales.push_back(pinch->scale());
  };

  app->touchDown({150, 400}, 0);
  app->touchDown({250, 400}, 1);
  RunLoop::advance(0.05);
  app->touchMove({350, 400}, 1);
  RunLoop::advance(0.05);
  app->touchMove({250, 400}, 1);
  app->touchUp({250, 400}, 1);
  app->touchUp({150, 400}, 0);

  EXPECT_EQ(scales, (std::vector<CGFloat>{2.0, 1.0, 1.0}));
  EXPECT_EQ(log->entries.back().state, UIGestureRecognizerStateEnded);
}

TEST_F(Gestures, APinchReportsTheScaleVelocityOfTheRelease) {
  struct Case {
    double pauseBeforeRelease;
    CGFloat releaseVelocity;
  };
  for (const Case& c : {Case{0, 10}, Case{0.3, 0}}) {
    freshScene();
    auto pinch = add<UIPinchGestureRecognizer>(inner, "pinch:");
    CGFloat velocity = -1;
    log->inside = [&](const std::shared_ptr<UIGestureRecognizer>&) {
      velocity = pinch->velocity();
    };

    // The spread grows by a fifth of the start every 0.02 s: 10 in scale per second.
    app->touchDown({150, 400}, 0);
    app->touchDown({250, 400}, 1);
    for (int step = 1; step <= 5; ++step) {
      RunLoop::advance(0.02);
      app->touchMove({250.0 + 20 * step, 400}, 1);
    }
    RunLoop::advance(c.pauseBeforeRelease);
    app->touchUp({350, 400}, 1);
    app->touchUp({150, 400}, 0);

    EXPECT_EQ(log->entries.back().state, UIGestureRecognizerStateEnded);
    EXPECT_NEAR(velocity, c.releaseVelocity, 1e-6) << c.pauseBeforeRelease;
    log->inside = nullptr;
    finishGestures();
  }
}

TEST_F(Gestures, RecognisersSharingTouchesRecogniseTogetherOnlyWhenTheDelegateAllowsIt) {
  for (bool simultaneous : {false, true}) {
    freshScene();
    auto delegate = GestureDelegate::alloc();
    delegate->simultaneous = simultaneous;
    add<UIPanGestureRecognizer>(inner, "pan:")->setDelegate(delegate);
    add<UIPinchGestureRecognizer>(inner, "pinch:");

    app->touchDown({150, 400}, 0);
    app->touchDown({250, 400}, 1);
    app->touchMove({290, 400}, 1);
    app->touchUp({290, 400}, 1);
    app->touchUp({150, 400}, 0);

    auto expected = simultaneous ? std::vector<std::string>{"pan", "pinch", "pinch", "pan"}
                                 : std::vector<std::string>{"pan", "pan"};
    EXPECT_EQ(log->actions(), expected) << simultaneous;
    finishGestures();
  }
}

TEST_F(Gestures, TheDelegateCanKeepTouchesFromARecogniserOrStopItFromBeginning) {
  for (bool receive : {false, true}) {
    log->entries.clear();
    auto delegate = GestureDelegate::alloc();
    delegate->receive = receive;
    delegate->begin = !receive;
    add<UITapGestureRecognizer>(inner, "single:")->setDelegate(delegate);

    tap({200, 400});

    EXPECT_TRUE(log->entries.empty()) << receive;
    inner->removeGestureRecognizer(inner->gestureRecognizers().front());
  }
}

TEST_F(Gestures, AViewUnderTheTouchCanRefuseTheRecognisersOfItsAncestors) {
  auto control = GestureTestView::alloc()->initWithFrame(CGRectMake(0, 0, 100, 100));
  inner->addSubview(control);
  std::static_pointer_cast<GestureTestView>(control)->refusesRecognizers = true;
  add<UITapGestureRecognizer>(outer, "single:");

  tap({100, 150});
  tap({300, 500});

  ASSERT_EQ(log->entries.size(), 1u);
  EXPECT_DOUBLE_EQ(log->entries[0].time, 0.1);
}

TEST_F(Gestures, RecognisersSeeTouchesBeforeTheViewWhichLosesThemWhenOneRecognises) {
  struct Case {
    bool cancelsTouchesInView;
    std::vector<std::string> expected;
  };
  for (const Case& c : {Case{true, {"recognizer began", "view began", "view cancelled"}},
                        Case{false, {"recognizer began", "view began", "view ended"}}}) {
    freshScene();
    auto view = GestureTestView::alloc()->initWithFrame(CGRectMake(0, 0, 100, 100));
    inner->addSubview(view);
    view->addGestureRecognizer(ObservingRecognizer::alloc()->init());
    add<UILongPressGestureRecognizer>(inner, "press:")
        ->setCancelsTouchesInView(c.cancelsTouchesInView);

    app->touchDown({100, 150});
    RunLoop::advance(1);
    app->touchUp({100, 150});

    EXPECT_EQ(deliveries, c.expected) << c.cancelsTouchesInView;
    finishGestures();
  }
}

TEST_F(Gestures, AnIllegalStateChangeIsAProgrammingError) {
  auto recognizer = ObservingRecognizer::alloc();
  recognizer->init();
  recognizer->changeWithoutBeginning = true;
  inner->addGestureRecognizer(recognizer);

  EXPECT_THROW(app->touchDown({200, 400}), std::logic_error);
}

TEST_F(Gestures, AnActionThatRemovesItsViewFinishesTheGestureSafely) {
  auto doomed = GestureTestView::alloc()->initWithFrame(CGRectMake(0, 0, 100, 100));
  inner->addSubview(doomed);
  auto tapRecognizer = UITapGestureRecognizer::alloc()->initWithTarget(log, "single:");
  doomed->addGestureRecognizer(tapRecognizer);
  std::weak_ptr<UIView> weakView = doomed;
  std::weak_ptr<UIGestureRecognizer> weakRecognizer = tapRecognizer;
  log->inside = [&](const std::shared_ptr<UIGestureRecognizer>& r) {
    auto view = r->view();
    view->removeGestureRecognizer(r);
    view->removeFromSuperview();
  };
  doomed = nullptr;
  tapRecognizer = nullptr;

  tap({100, 150});
  log->inside = nullptr;
  tap({100, 150});

  EXPECT_EQ(log->actions(), std::vector<std::string>{"single"});
  EXPECT_TRUE(weakView.expired());
  EXPECT_TRUE(weakRecognizer.expired());
}

TEST_F(Gestures, DisablingARecogniserThatHasBegunCancelsIt) {
  auto press = add<UILongPressGestureRecognizer>(inner, "press:");

  app->touchDown({200, 400});
  RunLoop::advance(0.6);
  press->setEnabled(false);
  app->touchUp({200, 400});

  ASSERT_EQ(log->entries.size(), 2u);
  EXPECT_EQ(log->entries[1].state, UIGestureRecognizerStateCancelled);
}

TEST_F(Gestures, AnActionMayTakeNoArgument) {
  auto tapRecognizer = UITapGestureRecognizer::alloc()->initWithTarget(log, "tapped");
  inner->addGestureRecognizer(tapRecognizer);

  tap({200, 400});

  EXPECT_EQ(log->actions(), std::vector<std::string>{"tapped"});
}

}  // namespace
