#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/RunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UIPanGestureRecognizer.h"
#include "uikit/UIScrollView.h"
#include "uikit/UIWindow.h"

namespace {

// Notes what the scroll view tells it, in order, and every offset it scrolled to.
class ScrollLog : public UIScrollViewDelegate {
 public:
  void scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView) override {
    offsets.push_back(scrollView->contentOffset());
  }
  void scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>&) override {
    events.push_back("willBeginDragging");
  }
  void scrollViewDidEndDragging(const std::shared_ptr<UIScrollView>&,
                                bool willDecelerate) override {
    events.push_back(willDecelerate ? "didEndDragging decelerate" : "didEndDragging");
  }
  void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>&) override {
    events.push_back("didEndDecelerating");
  }
  void scrollViewDidEndScrollingAnimation(const std::shared_ptr<UIScrollView>&) override {
    events.push_back("didEndScrollingAnimation");
  }

  std::vector<std::string> events;
  std::vector<CGPoint> offsets;
};

class ScrollViews : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
    scrollView = UIScrollView::alloc()->initWithFrame(CGRectMake(0, 100, 390, 600));
    scrollView->setContentSize(CGSizeMake(390, 3000));
    scrollView->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentNever);
    scrollView->setDelegate(log);
    window->addSubview(scrollView);
  }
  void TearDown() override {
    app->cancelAllTouches();
    RunLoop::advance(10);
  }

  // A finger moving straight from one point to another in steps of 1/60 s, then lifting
  // (`hold` seconds later).
  void drag(CGPoint from, CGPoint to, int steps, double hold = 0) {
    app->touchDown(from);
    for (int i = 1; i <= steps; ++i) {
      RunLoop::advance(1.0 / 60);
      double f = static_cast<double>(i) / steps;
      app->touchMove({from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
    }
    if (hold > 0) RunLoop::advance(hold);
    app->touchUp(to);
  }

  std::shared_ptr<UIApplication> app = UIApplication::sharedApplication();
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIScrollView> scrollView;
  std::shared_ptr<ScrollLog> log = std::make_shared<ScrollLog>();
};

TEST_F(ScrollViews, AFlickScrollsThenDeceleratesOnTheClockAndStopsInsideTheContent) {
  drag({200, 600}, {200, 300}, 10);
  double atRelease = scrollView->contentOffset().y;

  RunLoop::advance(0.2);
  double shortlyAfter = scrollView->contentOffset().y;
  RunLoop::advance(10);

  EXPECT_GT(atRelease, 250);  // followed the finger, less the distance it took to begin
  EXPECT_LE(atRelease, 300);
  EXPECT_GT(shortlyAfter, atRelease);
  EXPECT_GT(scrollView->contentOffset().y, shortlyAfter);
  EXPECT_LE(scrollView->contentOffset().y, scrollView->maximumContentOffset().y);
  EXPECT_FALSE(scrollView->isDecelerating());
  EXPECT_EQ(log->events, (std::vector<std::string>{"willBeginDragging", "didEndDragging decelerate",
                                                   "didEndDecelerating"}));
  size_t steps = log->offsets.size();
  RunLoop::advance(1);
  EXPECT_EQ(log->offsets.size(), steps);  // nothing keeps ticking once it stopped
}

TEST_F(ScrollViews, ANewScrollViewDeceleratesAtTheNormalRateAndTheFastRateStopsSooner) {
  EXPECT_DOUBLE_EQ(UIScrollView::alloc()->init()->decelerationRate(),
                   UIScrollViewDecelerationRateNormal);
  // The share of the speed left after each millisecond, as the platform's constants are.
  EXPECT_DOUBLE_EQ(UIScrollViewDecelerationRateNormal, 0.998);
  EXPECT_DOUBLE_EQ(UIScrollViewDecelerationRateFast, 0.99);

  double travelled[2] = {};
  const UIScrollViewDecelerationRate rates[] = {UIScrollViewDecelerationRateNormal,
                                                UIScrollViewDecelerationRateFast};
  for (int i = 0; i < 2; ++i) {
    scrollView->setContentOffset({0, 0});
    scrollView->setDecelerationRate(rates[i]);

    drag({200, 600}, {200, 450}, 10);
    double atRelease = scrollView->contentOffset().y;
    RunLoop::advance(10);

    travelled[i] = scrollView->contentOffset().y - atRelease;
  }

  EXPECT_GT(travelled[1], 0);
  EXPECT_LT(travelled[1] * 3, travelled[0]);
}

TEST_F(ScrollViews, AFingerThatStopsBeforeLiftingThrowsNothing) {
  drag({200, 600}, {200, 400}, 10, /*hold=*/0.3);
  double atRelease = scrollView->contentOffset().y;

  RunLoop::advance(2);

  EXPECT_EQ(scrollView->contentOffset().y, atRelease);
  EXPECT_EQ(log->events.back(), "didEndDragging");
}

TEST_F(ScrollViews, AFlickTowardsTheEndStopsAtTheEdgeWhetherOrNotItBounces) {
  for (bool bounces : {true, false}) {
    scrollView->setBounces(bounces);
    scrollView->setContentOffset({0, 2300});  // 100 points above the end

    drag({200, 650}, {200, 150}, 6);
    double furthest = 0;
    for (int i = 0; i < 300; ++i) {
      RunLoop::advance(1.0 / 60);
      furthest = std::max(furthest, scrollView->contentOffset().y);
    }

    EXPECT_DOUBLE_EQ(scrollView->contentOffset().y, 2400) << bounces;
    if (bounces) {
      EXPECT_GT(furthest, 2400);
    } else {
      EXPECT_EQ(furthest, 2400);
    }
    EXPECT_FALSE(scrollView->isDecelerating());
  }
}

TEST_F(ScrollViews, DraggingPastTheTopRubberBandsAndSettlesBack) {
  drag({200, 200}, {200, 500}, 10, /*hold=*/0.3);
  double pulled = scrollView->contentOffset().y;

  RunLoop::advance(3);

  EXPECT_LT(pulled, 0);
  EXPECT_GT(pulled, -290);  // moved less than the finger did
  EXPECT_DOUBLE_EQ(scrollView->contentOffset().y, 0);
}

TEST_F(ScrollViews, AFingerOnDeceleratingContentStopsItWhereItIs) {
  drag({200, 600}, {200, 300}, 5);
  RunLoop::advance(0.1);

  app->touchDown({200, 400});
  double caught = scrollView->contentOffset().y;
  RunLoop::advance(1);

  EXPECT_EQ(scrollView->contentOffset().y, caught);
  EXPECT_FALSE(scrollView->isDecelerating());
}

TEST_F(ScrollViews, SubviewsMoveWithTheOffsetForDrawingHitTestingAndConversion) {
  auto row = UIView::alloc()->initWithFrame(CGRectMake(0, 1000, 390, 50));
  scrollView->addSubview(row);

  scrollView->setContentOffset({0, 980});

  EXPECT_EQ(row->convertPointToView({10, 10}, nullptr), CGPointMake(10, 130));
  EXPECT_EQ(window->hitTest({10, 130}, nullptr), row);
  EXPECT_EQ(window->hitTest({10, 190}, nullptr), scrollView);
}

TEST_F(ScrollViews, AdjustedContentInsetAddsTheSafeAreaAsTheBehaviourSays) {
  struct Case {
    UIScrollViewContentInsetAdjustmentBehavior behavior;
    CGSize contentSize;
    UIEdgeInsets expected;
  };
  // The view covers the whole screen: 47 unsafe points above, 34 below.
  scrollView->setFrame(CGRectMake(0, 0, 390, 844));
  scrollView->setContentInset(UIEdgeInsetsMake(10, 0, 20, 0));
  CGSize fits{390, 500}, tall{390, 3000};
  for (const Case& c : {
           Case{UIScrollViewContentInsetAdjustmentNever, tall, {10, 0, 20, 0}},
           Case{UIScrollViewContentInsetAdjustmentAlways, fits, {57, 0, 54, 0}},
           Case{UIScrollViewContentInsetAdjustmentAutomatic, fits, {57, 0, 54, 0}},
           Case{UIScrollViewContentInsetAdjustmentScrollableAxes, fits, {10, 0, 20, 0}},
           Case{UIScrollViewContentInsetAdjustmentScrollableAxes, tall, {57, 0, 54, 0}},
       }) {
    scrollView->setContentSize(c.contentSize);
    scrollView->setContentInsetAdjustmentBehavior(c.behavior);

    EXPECT_EQ(scrollView->adjustedContentInset(), c.expected) << c.behavior;
  }
  EXPECT_EQ(scrollView->maximumContentOffset().y, 3000 + 54 - 844);
  EXPECT_EQ(scrollView->minimumContentOffset().y, -57);
}

TEST_F(ScrollViews, ContentAtItsTopStaysThereWhenTheInsetChangesAndElsewhereStaysPut) {
  scrollView->setContentInset(UIEdgeInsetsMake(100, 0, 95, 0));
  EXPECT_EQ(scrollView->contentOffset().y, -100);

  scrollView->setContentOffset({0, 500});
  scrollView->setContentInset(UIEdgeInsetsMake(100, 0, 400, 0));
  EXPECT_EQ(scrollView->contentOffset().y, 500);
}

TEST_F(ScrollViews, AnAnimatedOffsetIsSetAtOnceAndReportsItsEndOnTheClock) {
  scrollView->setContentOffset({0, 500}, true);

  EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, 500));
  EXPECT_TRUE(log->events.empty());
  RunLoop::advance(0.5);
  EXPECT_EQ(log->events, std::vector<std::string>{"didEndScrollingAnimation"});
}

TEST_F(ScrollViews, ScrollRectToVisibleMovesTheLeastDistanceInsideTheRange) {
  scrollView->setContentInset(UIEdgeInsetsMake(0, 0, 100, 0));

  scrollView->scrollRectToVisible(CGRectMake(0, 900, 10, 50), false);
  EXPECT_EQ(scrollView->contentOffset().y, 950 - 500);
  scrollView->scrollRectToVisible(CGRectMake(0, 700, 10, 50), false);
  EXPECT_EQ(scrollView->contentOffset().y, 450);  // already visible
  scrollView->scrollRectToVisible(CGRectMake(0, 2990, 10, 50), false);
  EXPECT_EQ(scrollView->contentOffset().y, scrollView->maximumContentOffset().y);
}

TEST_F(ScrollViews, AReleasedDelegateIsNotCalledAndADisabledViewDoesNotScroll) {
  log.reset();
  EXPECT_EQ(scrollView->delegate(), nullptr);
  drag({200, 600}, {200, 300}, 10);
  RunLoop::advance(5);
  EXPECT_GT(scrollView->contentOffset().y, 0);

  scrollView->setContentOffset(CGPointZero);
  scrollView->setScrollEnabled(false);
  drag({200, 600}, {200, 300}, 10);
  RunLoop::advance(5);
  EXPECT_EQ(scrollView->contentOffset().y, 0);
}

}  // namespace
