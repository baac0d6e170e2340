#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "call/ParloFloatingView.h"
#include "call/ParloFloatingViewDelegate.h"
#include "foundation/RunLoop.h"
#include "quartz/CAAnimationTimeline.h"
#include "uikit/UIApplication.h"
#include "uikit/UIWindow.h"

namespace {

// Notes each delegate method it hears. It answers all four, or only those it is told to.
class FloatingLog : public NSObject {
  OBJC_CLASS(FloatingLog, NSObject);

 public:
  void began(std::shared_ptr<ParloFloatingView>) { events.push_back("began"); }
  void ended(std::shared_ptr<ParloFloatingView>) { events.push_back("ended"); }
  void position(std::shared_ptr<ParloFloatingView>, unsigned long p) {
    events.push_back("position " + std::to_string(p));
  }
  void sizeClass(std::shared_ptr<ParloFloatingView>, unsigned long s) {
    events.push_back("size " + std::to_string(s));
  }

  std::vector<std::string> events;
};

// Hears only the position.
class PositionLog : public NSObject {
  OBJC_CLASS(PositionLog, NSObject);

 public:
  void position(std::shared_ptr<ParloFloatingView>, unsigned long p) { positions.push_back(p); }

  std::vector<unsigned long> positions;
};

}  // namespace

OBJC_CLASS_IMPL(FloatingLog) {
  c.method(ParloFloatingViewDelegate::kBeganDragging, &FloatingLog::began)
      .method(ParloFloatingViewDelegate::kEndedDragging, &FloatingLog::ended)
      .method(ParloFloatingViewDelegate::kChangedPosition, &FloatingLog::position)
      .method(ParloFloatingViewDelegate::kChangedSizeClass, &FloatingLog::sizeClass);
}

OBJC_CLASS_IMPL(PositionLog) {
  c.method(ParloFloatingViewDelegate::kChangedPosition, &PositionLog::position);
}

namespace {

constexpr CGFloat kScreenWidth = 390;
constexpr CGFloat kScreenHeight = 844;

// Corner centres of the default 200 × 124 view with padding 10 on the 390 × 844 screen.
constexpr CGPoint kTopLeft{110, 72};
constexpr CGPoint kTopRight{280, 72};
constexpr CGPoint kBottomLeft{110, 772};
constexpr CGPoint kBottomRight{280, 772};

class FloatingView : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
    floating = ParloFloatingView::alloc()->init();
    window->addSubview(floating);
    floating->refreshAnimated(false);
  }

  void TearDown() override {
    app->cancelAllTouches();
    RunLoop::advance(5);
  }

  // A finger from one point to another in `steps` moves of 1/60 s; `hold` seconds still before
  // it lifts (enough to leave no speed), or it lifts at once, still moving.
  void drag(CGPoint from, CGPoint to, int steps, double hold) {
    app->touchDown(from);
    for (int i = 1; i <= steps; ++i) {
      RunLoop::advance(1.0 / 60);
      const double f = double(i) / steps;
      app->touchMove({from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
    }
    if (hold > 0) RunLoop::advance(hold);
    app->touchUp(to);
  }

  // Two fingers `spread` apart about `centre`, spread to 1.5 times that and brought to `ratio`
  // times it, then lifted. They move in turn by a few points at a time, so that their centre
  // never strays far enough for the pan to begin.
  void pinch(CGPoint centre, CGFloat spread, CGFloat ratio) {
    CGFloat now = spread;
    app->touchDown({centre.x - now / 2, centre.y}, 0);
    app->touchDown({centre.x + now / 2, centre.y}, 1);
    for (CGFloat goal : {spread * 1.5, spread * ratio}) {
      while (now != goal) {
        now = goal > now ? std::min(goal, now + 8) : std::max(goal, now - 8);
        RunLoop::advance(1.0 / 60);
        app->touchMove({centre.x - now / 2, centre.y}, 0);
        app->touchMove({centre.x + now / 2, centre.y}, 1);
      }
    }
    app->touchUp({centre.x + now / 2, centre.y}, 1);
    app->touchUp({centre.x - now / 2, centre.y}, 0);
  }

  // Which of top/bottom and left/right anchor the view.
  std::string anchoring() const {
    std::string anchors;
    if (floating->topConstraint()->isActive()) anchors += "top ";
    if (floating->bottomConstraint()->isActive()) anchors += "bottom ";
    if (floating->leftConstraint()->isActive()) anchors += "left";
    if (floating->rightConstraint()->isActive()) anchors += "right";
    return anchors;
  }

  std::shared_ptr<UIApplication> app = UIApplication::sharedApplication();
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<ParloFloatingView> floating;
};

TEST_F(FloatingView, EachCornerAndSizeClassGivesItsFrameAndOneConstraintPerAxis) {
  floating->setPadding(UIEdgeInsetsMake(20, 30, 40, 50));
  struct Case {
    ParloFloatingViewPosition position;
    ParloFloatingViewSizeClass sizeClass;
    CGRect frame;
    const char* anchors;
  };
  const Case cases[] = {
      {ParloFloatingViewPositionTopLeft,
       ParloFloatingViewSizeClassSmall,
       {{30, 20}, {200, 124}},
       "top left"},
      {ParloFloatingViewPositionTopRight,
       ParloFloatingViewSizeClassSmall,
       {{kScreenWidth - 200 - 50, 20}, {200, 124}},
       "top right"},
      {ParloFloatingViewPositionBottomLeft,
       ParloFloatingViewSizeClassLarge,
       {{30, kScreenHeight - 187 - 40}, {300, 187}},
       "bottom left"},
      {ParloFloatingViewPositionBottomRight,
       ParloFloatingViewSizeClassLarge,
       {{kScreenWidth - 300 - 50, kScreenHeight - 187 - 40}, {300, 187}},
       "bottom right"},
  };

  for (const Case& c : cases) {
    floating->setSizeClass(c.sizeClass);
    floating->setPosition(c.position, false);

    EXPECT_EQ(floating->frame(), c.frame) << c.anchors;
    EXPECT_EQ(floating->rectForPosition(c.position, c.sizeClass, window), c.frame) << c.anchors;
    EXPECT_EQ(anchoring(), c.anchors);
  }
}

TEST_F(FloatingView, ItsContentFillsItAtEitherSizeWithRoundedCorners) {
  auto content = UIView::alloc()->init();
  auto withContent = ParloFloatingView::alloc()->initWithContentView(content);
  window->addSubview(withContent);
  withContent->setPosition(ParloFloatingViewPositionBottomRight, false);

  EXPECT_EQ(withContent->contentView(), content);
  EXPECT_EQ(content->frame(), CGRectMake(0, 0, 200, 124));
  EXPECT_EQ(content->layer()->cornerRadius(), 4);
  EXPECT_TRUE(content->layer()->masksToBounds());
  EXPECT_TRUE(withContent->clipsToBounds());

  withContent->setSizeClass(ParloFloatingViewSizeClassLarge, false);
  EXPECT_EQ(content->frame(), CGRectMake(0, 0, 300, 187));
  EXPECT_EQ(withContent->frame(), CGRectMake(kScreenWidth - 310, kScreenHeight - 197, 300, 187));
}

TEST_F(FloatingView, AReleaseAtEqualDistancesSnapsToTheEarlierCorner) {
  struct Case {
    CGPoint release;
    ParloFloatingViewPosition expected;
  };
  const Case cases[] = {
      {{195, 72}, ParloFloatingViewPositionTopLeft},      // between top-left and top-right
      {{280, 422}, ParloFloatingViewPositionTopRight},    // between top-right and bottom-right
      {{195, 772}, ParloFloatingViewPositionBottomLeft},  // between bottom-left and bottom-right
      {{195, 422}, ParloFloatingViewPositionTopLeft},     // the middle, equal to all four
  };

  for (const Case& c : cases) {
    floating->setPosition(ParloFloatingViewPositionBottomRight, false);
    ASSERT_EQ(floating->center(), kBottomRight);

    // The finger carries the centre from the bottom-right corner to the release point, then
    // rests so that nothing is thrown.
    drag({250, 750}, {250 + c.release.x - kBottomRight.x, 750 + c.release.y - kBottomRight.y}, 20,
         0.3);
    RunLoop::advance(0.3);

    EXPECT_EQ(floating->nearestPositionForPoint(c.release), c.expected);
    EXPECT_EQ(floating->position(), c.expected) << c.release.x << ", " << c.release.y;
    EXPECT_EQ(floating->frame(),
              floating->rectForPosition(c.expected, ParloFloatingViewSizeClassSmall, window));
  }
}

TEST_F(FloatingView, AFlickCarriesTheViewPastTheNearestCornerToTheFarOne) {
  // A throw at 3000 points per second goes 499 points at the normal rate (0.998).
  EXPECT_NEAR(floating->throwDistanceForInitialVelocity(3000), 499, 1e-9);
  EXPECT_NEAR(floating->throwDistanceForInitialVelocity(-1500), -249.5, 1e-9);

  // From the top-left, a short quick stroke down and to the right: released nearer the top-left,
  // it lands bottom-right.
  drag({100, 60}, {160, 240}, 3, 0);
  const CGPoint released{kTopLeft.x + 60, kTopLeft.y + 180};
  EXPECT_EQ(floating->nearestPositionForPoint(released), ParloFloatingViewPositionTopLeft);

  // The spring runs 0.3 s; the constraints follow once it has.
  EXPECT_EQ(floating->position(), ParloFloatingViewPositionBottomRight);
  EXPECT_EQ(floating->center(), kBottomRight);
  EXPECT_EQ(anchoring(), "top left");
  RunLoop::advance(0.3);

  EXPECT_EQ(anchoring(), "bottom right");
  window->layoutIfNeeded();
  EXPECT_EQ(floating->center(), kBottomRight);
}

TEST_F(FloatingView, DisabledCornersAreNeverChosenAndWithNoneEnabledTheViewGoesTopLeft) {
  struct Case {
    bool topLeft, topRight, bottomLeft, bottomRight;
    ParloFloatingViewPosition expected;
  };
  // Each case drops the view just above the bottom-right corner.
  const Case cases[] = {
      {true, true, true, true, ParloFloatingViewPositionBottomRight},
      {true, true, true, false, ParloFloatingViewPositionBottomLeft},
      {true, true, false, false, ParloFloatingViewPositionTopRight},
      {true, false, false, false, ParloFloatingViewPositionTopLeft},
      {false, true, false, false, ParloFloatingViewPositionTopRight},
      {false, false, false, false, ParloFloatingViewPositionTopLeft},
  };

  for (const Case& c : cases) {
    floating->setTopLeftPositionEnabled(c.topLeft);
    floating->setTopRightPositionEnabled(c.topRight);
    floating->setBottomLeftPositionEnabled(c.bottomLeft);
    floating->setBottomRightPositionEnabled(c.bottomRight);
    floating->setPosition(ParloFloatingViewPositionTopLeft, false);

    drag({110, 72}, {270, 700}, 30, 0.3);
    RunLoop::advance(0.3);

    EXPECT_EQ(floating->position(), c.expected)
        << c.topLeft << c.topRight << c.bottomLeft << c.bottomRight;
  }
}

TEST_F(FloatingView, ACancelledDragPutsTheViewBackWhereItStarted) {
  floating->setPosition(ParloFloatingViewPositionTopRight, false);

  app->touchDown({280, 72});
  for (int i = 1; i <= 10; ++i) {
    RunLoop::advance(1.0 / 60);
    app->touchMove({280 - 15.0 * i, 72 + 30.0 * i});
  }
  EXPECT_EQ(floating->center(), CGPointMake(130, 372)) << "the view follows the finger";
  app->touchCancel();
  RunLoop::advance(1);

  EXPECT_EQ(floating->center(), kTopRight);
  EXPECT_EQ(floating->position(), ParloFloatingViewPositionTopRight);
  EXPECT_EQ(anchoring(), "top right");
}

TEST_F(FloatingView, APinchChoosesTheSizeByItsFinalScaleWithExactlyOneBeingLarge) {
  struct Case {
    CGFloat ratio;
    ParloFloatingViewSizeClass expected;
    CGSize size;
  };
  const Case cases[] = {
      {1.0, ParloFloatingViewSizeClassLarge, {300, 187}},
      {0.8, ParloFloatingViewSizeClassSmall, {200, 124}},
      {1.6, ParloFloatingViewSizeClassLarge, {300, 187}},
  };

  for (const Case& c : cases) {
    floating->setSizeClass(ParloFloatingViewSizeClassSmall, false);

    pinch(kTopLeft, 100, c.ratio);
    RunLoop::advance(0.2);
    RunLoop::advance(0.3);

    EXPECT_EQ(floating->sizeClass(), c.expected) << c.ratio;
    EXPECT_TRUE(CGAffineTransformIsIdentity(floating->transform())) << c.ratio;
    EXPECT_EQ(floating->frame(), CGRectMake(10, 10, c.size.width, c.size.height)) << c.ratio;
  }
}

TEST_F(FloatingView, APinchOrDragIsIgnoredWhenTurnedOffAndACancelledPinchLeavesNoScale) {
  floating->setResizeEnabled(false);
  floating->setDraggingEnabled(false);

  pinch(kTopLeft, 100, 1.6);
  drag({110, 72}, {270, 700}, 10, 0);
  RunLoop::advance(1);

  EXPECT_EQ(floating->sizeClass(), ParloFloatingViewSizeClassSmall);
  EXPECT_EQ(floating->frame(), CGRectMake(10, 10, 200, 124));

  floating->setResizeEnabled(true);
  app->touchDown({60, 72}, 0);
  app->touchDown({160, 72}, 1);
  app->touchMove({20, 72}, 0);
  app->touchMove({200, 72}, 1);
  EXPECT_FALSE(CGAffineTransformIsIdentity(floating->transform())) << "the pinch scales the view";
  app->cancelAllTouches();
  RunLoop::advance(0.2);

  EXPECT_TRUE(CGAffineTransformIsIdentity(floating->transform()));
  EXPECT_EQ(floating->sizeClass(), ParloFloatingViewSizeClassSmall);
}

TEST_F(FloatingView, ADoubleTapTogglesTheSizeOnceItsRecogniserIsAttached) {
  EXPECT_EQ(floating->doubleTapGestureRecognizer()->view(), nullptr);
  floating->addGestureRecognizer(floating->doubleTapGestureRecognizer());
  auto doubleTap = [&] {
    for (int tap = 0; tap < 2; ++tap) {
      app->touchDown({60, 60});
      app->touchUp({60, 60});
      RunLoop::advance(0.1);
    }
    RunLoop::advance(0.5);
  };

  doubleTap();
  EXPECT_EQ(floating->sizeClass(), ParloFloatingViewSizeClassLarge);
  EXPECT_EQ(floating->frame().size, CGSizeMake(300, 187));

  doubleTap();
  EXPECT_EQ(floating->sizeClass(), ParloFloatingViewSizeClassSmall);
  EXPECT_EQ(floating->frame().size, CGSizeMake(200, 124));
}

TEST_F(FloatingView, PaddingSetBeforeTheViewHasASuperviewIsUsedWhenItsCornerIsBuilt) {
  auto detached = ParloFloatingView::alloc()->init();
  detached->setPadding(UIEdgeInsetsMake(110, 10, 100, 10));

  EXPECT_EQ(detached->topConstraint(), nullptr) << "no corner constraints without a superview";
  EXPECT_EQ(detached->padding(), UIEdgeInsetsMake(110, 10, 100, 10));

  window->addSubview(detached);
  window->layoutIfNeeded();
  EXPECT_EQ(detached->frame(), CGRectMake(10, 110, 200, 124));
  detached->setPosition(ParloFloatingViewPositionBottomRight, false);
  EXPECT_EQ(detached->frame(), CGRectMake(kScreenWidth - 210, kScreenHeight - 224, 200, 124));

  // A new padding on a placed view anchors it top-left until the next refresh.
  detached->setPadding(UIEdgeInsetsMake(20, 20, 20, 20));
  window->layoutIfNeeded();
  EXPECT_EQ(detached->frame().origin, CGPointMake(20, 20));
  detached->refreshAnimated(false);
  EXPECT_EQ(detached->frame().origin, CGPointMake(kScreenWidth - 220, kScreenHeight - 144));
}

TEST_F(FloatingView, AsTheCallsBaseViewItFillsTheScreenThenBecomesATileTopRight) {
  auto base = ParloFloatingView::alloc()->init();
  base->setResizeEnabled(false);
  base->setSmallSize(window->frame().size);
  base->setPadding(UIEdgeInsetsZero);
  base->setDraggingEnabled(false);
  window->addSubview(base);
  base->setPosition(ParloFloatingViewPositionTopRight, false);
  EXPECT_EQ(base->frame(), window->bounds());

  base->setSmallSize(CGSizeMake(110, 200));
  base->setPadding(UIEdgeInsetsMake(110, 10, 100, 10));
  base->setDraggingEnabled(true);
  base->refreshAnimated(false);

  EXPECT_EQ(base->frame(), CGRectMake(kScreenWidth - 120, 110, 110, 200));
}

TEST_F(FloatingView, TheDelegateHearsEachStepItAnswersAndNothingElse) {
  auto log = FloatingLog::alloc();
  floating->setDelegate(log);

  drag({110, 72}, {260, 700}, 30, 0.3);
  RunLoop::advance(0.3);
  pinch(kBottomRight, 100, 1.2);
  RunLoop::advance(0.5);

  EXPECT_EQ(log->events, (std::vector<std::string>{"began", "position 3", "ended", "size 1"}));

  auto positions = PositionLog::alloc();
  floating->setDelegate(positions);
  drag({280, 772}, {110, 100}, 30, 0.3);
  floating->setSizeClass(ParloFloatingViewSizeClassSmall, false);
  RunLoop::advance(0.3);
  EXPECT_EQ(positions->positions, std::vector<unsigned long>{ParloFloatingViewPositionTopLeft});

  // The delegate is weak.
  positions.reset();
  drag({110, 72}, {280, 772}, 30, 0.3);
  RunLoop::advance(0.3);
  EXPECT_EQ(floating->delegate(), nullptr);
}

TEST_F(FloatingView, AddingGrowsAndFadesTheViewInAtItsCornerAndRemovingUndoesIt) {
  auto tile = ParloFloatingView::alloc()->init();
  tile->setPosition(ParloFloatingViewPositionBottomLeft);
  EXPECT_FALSE(tile->isVisible());

  tile->addToSuperView(window, true);

  EXPECT_TRUE(tile->isVisible());
  EXPECT_EQ(tile->superview(), window);
  EXPECT_EQ(tile->center(), kBottomLeft);
  EXPECT_EQ(std::get<double>(*CAAnimationTimeline::presentationValue(*tile->layer(), "opacity")),
            0.0);
  EXPECT_EQ(std::get<CGAffineTransform>(
                *CAAnimationTimeline::presentationValue(*tile->layer(), "transform")),
            CGAffineTransformMakeScale(0.7, 0.7));
  RunLoop::advance(0.2);
  EXPECT_TRUE(CGAffineTransformIsIdentity(tile->transform()));

  // Already in a superview: nothing changes.
  auto other = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 100, 100));
  window->addSubview(other);
  tile->addToSuperView(other, true);
  EXPECT_EQ(tile->superview(), window);

  tile->removeFromSuperviewAnimated(true);
  EXPECT_FALSE(tile->isVisible());
  EXPECT_EQ(tile->superview(), window) << "it leaves once it has faded";
  RunLoop::advance(0.2);

  EXPECT_EQ(tile->superview(), nullptr);
  EXPECT_EQ(tile->topConstraint(), nullptr);
  EXPECT_EQ(tile->alpha(), 1.0);
  EXPECT_TRUE(CGAffineTransformIsIdentity(tile->transform()));
}

}  // namespace
