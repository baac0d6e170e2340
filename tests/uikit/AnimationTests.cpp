#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "foundation/Clock.h"
#include "foundation/RunLoop.h"
#include "quartz/CAAnimationTimeline.h"
#include "quartz/CATransaction.h"
#include "uikit/UIView.h"

namespace {

class ViewAnimation : public ::testing::Test {
 protected:
  void SetUp() override { RunLoop::useManualClock(); }
  void TearDown() override { RunLoop::useManualClock(); }
};

std::shared_ptr<UIView> makeView(CGRect frame = CGRectMake(0, 0, 50, 50)) {
  return UIView::alloc()->initWithFrame(frame);
}

CAAnimationValue shown(const std::shared_ptr<UIView>& view, std::string_view key) {
  return *CAAnimationTimeline::presentationValue(*view->layer(), key);
}

double shownX(const std::shared_ptr<UIView>& view) {
  return std::get<CGPoint>(shown(view, "position")).x;
}

TEST_F(ViewAnimation, ChangesTakeEffectAtOnceAndShowMovingFromTheOldValueToTheNew) {
  struct Case {
    const char* key;
    std::function<void(UIView&)> change;
    std::function<CAAnimationValue(UIView&)> model;
    CAAnimationValue before, after;
  };
  const Case cases[] = {
      {"position", [](UIView& v) { v.setCenter(CGPointMake(100, 5)); },
       [](UIView& v) { return v.center(); }, CGPointMake(25, 25), CGPointMake(100, 5)},
      {"bounds", [](UIView& v) { v.setFrame(CGRectMake(0, 0, 100, 20)); },
       [](UIView& v) { return v.bounds(); }, CGRectMake(0, 0, 50, 50), CGRectMake(0, 0, 100, 20)},
      {"transform", [](UIView& v) { v.setTransform(CGAffineTransformMakeScale(2, 2)); },
       [](UIView& v) { return v.transform(); }, CGAffineTransformIdentity,
       CGAffineTransformMakeScale(2, 2)},
      {"opacity", [](UIView& v) { v.setAlpha(0.5); }, [](UIView& v) { return v.alpha(); }, 1.0,
       0.5},
      {"backgroundColor", [](UIView& v) { v.setBackgroundColor(UIColor::redColor()); },
       [](UIView& v) { return v.backgroundColor()->CGColor(); }, CGColor{0, 0, 0, 0},
       CGColor{1, 0, 0, 1}},
  };

  for (const Case& c : cases) {
    auto view = makeView();

    UIView::animateWithDuration(1, [&] { c.change(*view); });

    EXPECT_EQ(c.model(*view), c.after) << c.key;
    EXPECT_EQ(shown(view, c.key), c.before) << c.key;
    RunLoop::advance(1);
    EXPECT_TRUE(CAAnimationTimeline::animationKeys(*view->layer()).empty()) << c.key;
  }
  EXPECT_FALSE(CAAnimationTimeline::hasRunningAnimations());
}

TEST_F(ViewAnimation, AQuarterOfTheWayThroughTheValueFollowsTheCurveOfTheOptions) {
  using Run = std::function<void(const UIView::AnimationBlock&)>;
  auto withOptions = [](UIViewAnimationOptions options) -> Run {
    return [options](const auto& block) { UIView::animateWithDuration(1, 0, options, block, {}); };
  };
  struct Case {
    const char* curve;
    Run run;
    double shown;
  };
  const Case cases[] = {
      {"linear", withOptions(UIViewAnimationOptionCurveLinear), 0.25},
      {"ease in", withOptions(UIViewAnimationOptionCurveEaseIn), 0.093465},
      {"ease out", withOptions(UIViewAnimationOptionCurveEaseOut), 0.378138},
      {"ease in ease out", withOptions(UIViewAnimationOptionCurveEaseInOut), 0.129162},
      {"no options", [](const auto& block) { UIView::animateWithDuration(1, block); }, 0.129162},
  };

  for (const Case& c : cases) {
    auto view = makeView();
    view->setAlpha(0);

    c.run([&] { view->setAlpha(1); });
    RunLoop::advance(0.25);

    EXPECT_NEAR(std::get<double>(shown(view, "opacity")), c.shown, 1e-6) << c.curve;
    RunLoop::advance(1);
  }
}

TEST_F(ViewAnimation, ASpringRestsAtItsTargetByItsDurationAndOvershootsOnlyBelowCriticalDamping) {
  for (double damping : {0.5, 1.0}) {
    auto view = makeView(CGRectMake(-25, -25, 50, 50));

    UIView::animateWithDuration(0.5, 0, damping, 0, UIViewAnimationOptionCurveEaseOut,
                                [&] { view->setCenter(CGPointMake(100, 0)); }, {});
    double furthest = 0;
    for (int step = 0; step < 50; ++step) {
      RunLoop::advance(0.01);
      furthest = std::max(furthest, shownX(view));
    }

    EXPECT_EQ(damping<1, furthest> 101) << damping;
    EXPECT_LE(furthest, damping < 1 ? 120 : 100) << damping;
    EXPECT_EQ(shownX(view), 100) << damping;
    EXPECT_TRUE(CAAnimationTimeline::animationKeys(*view->layer()).empty()) << damping;
  }
}

TEST_F(ViewAnimation, ASpringsCompletionRunsOnTheClockOnceItsDelayAndDurationHavePassed) {
  auto view = makeView();
  std::vector<bool> completions;

  UIView::animateWithDuration(
      0.3, 0.1, 1.0, 0.1, UIViewAnimationOptionCurveEaseOut,
      [&] { view->setCenter(CGPointMake(200, 300)); },
      [&](bool finished) { completions.push_back(finished); });

  EXPECT_EQ(view->center(), CGPointMake(200, 300));
  EXPECT_TRUE(completions.empty()) << "never during the call";
  RunLoop::advance(0.4 - 1e-6);
  EXPECT_TRUE(completions.empty());
  RunLoop::advance(1e-6);
  EXPECT_EQ(completions, std::vector<bool>{true});
  EXPECT_TRUE(CAAnimationTimeline::animationKeys(*view->layer()).empty());
}

TEST_F(ViewAnimation, CompletionsRunWhenTheirDelayAndDurationHavePassedInThatOrder) {
  auto view = makeView();
  std::vector<std::string> ran;
  auto record = [&](std::string name) {
    return [&ran, name](bool finished) {
      long milliseconds = std::lround(Clock::now() * 1000);
      ran.push_back(name + (finished ? " " : " interrupted ") + std::to_string(milliseconds));
    };
  };

  UIView::animateWithDuration(
      0.3, 0.2, UIViewAnimationOptionCurveLinear,
      [&] {
        // Setting twice in one block is not an interruption.
        view->setAlpha(0.5);
        view->setAlpha(0);
      },
      record("fade"));
  UIView::animateWithDuration(
      0.1, [&] { view->setCenter(CGPointMake(0, 0)); }, record("move"));
  UIView::animateWithDuration(
      0.2, 0.3, UIViewAnimationOptionCurveEaseIn, [] {}, record("nothing"));
  RunLoop::advance(0.1 - 1e-6);
  bool earlyRun = !ran.empty();
  RunLoop::advance(1);

  EXPECT_FALSE(earlyRun);
  EXPECT_EQ(ran, (std::vector<std::string>{"move 100", "fade 500", "nothing 500"}));
}

TEST_F(ViewAnimation, AZeroDurationCompletionRunsOnTheNextTurnOfTheRunLoop) {
  auto view = makeView();
  int calls = 0;

  UIView::animateWithDuration(
      0, [&] { view->setAlpha(0.2); }, [&](bool finished) { calls += finished ? 1 : 100; });
  int callsDuringTheCall = calls;
  RunLoop::runUntilIdle();

  EXPECT_EQ(callsDuringTheCall, 0);
  EXPECT_EQ(calls, 1);
  EXPECT_FLOAT_EQ(view->alpha(), 0.2);
  EXPECT_TRUE(CAAnimationTimeline::animationKeys(*view->layer()).empty());
}

TEST_F(ViewAnimation, ChangesMadeWithActionsOrAnimationsDisabledAreNotAnimated) {
  using Wrap = std::function<void(const std::function<void()>&)>;
  struct Case {
    const char* how;
    Wrap wrap;
  };
  const Case cases[] = {
      {"transaction without actions",
       [](const auto& body) {
         CATransaction::begin();
         CATransaction::setDisableActions(true);
         body();
         CATransaction::commit();
       }},
      {"performWithoutAnimation", [](const auto& body) { UIView::performWithoutAnimation(body); }},
      {"animations disabled",
       [](const auto& body) {
         UIView::setAnimationsEnabled(false);
         body();
         UIView::setAnimationsEnabled(true);
       }},
  };

  for (const Case& c : cases) {
    auto view = makeView();

    c.wrap([&] { UIView::animateWithDuration(1, [&] { view->setAlpha(0.5); }); });

    EXPECT_FLOAT_EQ(view->alpha(), 0.5) << c.how;
    EXPECT_TRUE(CAAnimationTimeline::animationKeys(*view->layer()).empty()) << c.how;
    EXPECT_TRUE(UIView::areAnimationsEnabled()) << c.how;
  }
}

TEST_F(ViewAnimation, AViewRemovedMidAnimationLivesToGetItsCompletion) {
  auto parent = makeView();
  std::weak_ptr<UIView> child;
  std::vector<bool> finished;
  {
    auto view = makeView();
    parent->addSubview(view);
    child = view;
    UIView::animateWithDuration(
        1, [&] { view->setAlpha(0); },
        [&](bool done) { finished.push_back(done && !child.expired()); });
  }

  RunLoop::advance(0.5);
  child.lock()->removeFromSuperview();
  RunLoop::advance(0.5);

  EXPECT_EQ(finished, std::vector<bool>{true});
  EXPECT_TRUE(child.expired());
}

TEST_F(ViewAnimation, AChangeMidFlightMovesOnFromWhereTheValueIsShownAndInterruptsTheFirst) {
  auto view = makeView(CGRectMake(-25, -25, 50, 50));
  std::vector<std::string> finished;
  auto linearly = [&](double x, std::string name) {
    UIView::animateWithDuration(
        1, 0, UIViewAnimationOptionCurveLinear, [&] { view->setCenter(CGPointMake(x, 0)); },
        [&, name](bool done) { finished.push_back(name + (done ? "" : "!")); });
  };
  linearly(100, "there");
  RunLoop::advance(0.5);

  linearly(0, "back");
  CAAnimationValue start =
      CAAnimationTimeline::animationForKey(*view->layer(), "position")->fromValue();
  RunLoop::advance(0.5);
  double halfwayBack = shownX(view);
  RunLoop::advance(0.5);

  EXPECT_EQ(start, CAAnimationValue(CGPointMake(50, 0)));
  EXPECT_DOUBLE_EQ(halfwayBack, 25);
  EXPECT_EQ(finished, (std::vector<std::string>{"there!", "back"}));
}

TEST_F(ViewAnimation, AChangeWithoutAnimationMidFlightShowsAtOnce) {
  auto view = makeView(CGRectMake(-25, -25, 50, 50));
  bool finished = true;
  UIView::animateWithDuration(
      1, [&] { view->setCenter(CGPointMake(100, 0)); }, [&](bool done) { finished = done; });
  RunLoop::advance(0.5);

  view->setCenter(CGPointMake(-40, 0));

  EXPECT_EQ(shownX(view), -40);
  RunLoop::advance(0.5);
  EXPECT_FALSE(finished);
}

TEST_F(ViewAnimation, InnerBlocksAnimateTheirChangesWithTheirOwnParameters) {
  auto view = makeView();
  auto duration = [&](const char* key) {
    return CAAnimationTimeline::animationForKey(*view->layer(), key)->duration();
  };

  UIView::animateWithDuration(1, [&] {
    view->setAlpha(0);
    UIView::animateWithDuration(0.2, [&] { view->setCenter(CGPointMake(0, 0)); });
    view->setTransform(CGAffineTransformMakeScale(2, 2));
  });

  EXPECT_EQ(duration("opacity"), 1);
  EXPECT_EQ(duration("position"), 0.2);
  EXPECT_EQ(duration("transform"), 1);
}

TEST_F(ViewAnimation, LayoutInsideABlockAnimatesTheSolvedFrames) {
  auto root = makeView(CGRectMake(0, 0, 300, 300));
  auto box = makeView();
  root->addSubview(box);
  box->setTranslatesAutoresizingMaskIntoConstraints(false);
  auto left = box->leftAnchor().constraintEqualToAnchor(root->leftAnchor(), 0);
  NSLayoutConstraint::activateConstraints(
      {left, box->topAnchor().constraintEqualToAnchor(root->topAnchor(), 0),
       box->widthAnchor().constraintEqualToConstant(100),
       box->heightAnchor().constraintEqualToConstant(100)});
  root->layoutIfNeeded();

  left->setConstant(200);
  UIView::animateWithDuration(0.2, 0, UIViewAnimationOptionCurveLinear,
                              [&] { root->layoutIfNeeded(); }, {});
  RunLoop::advance(0.1);

  EXPECT_EQ(box->frame(), CGRectMake(200, 0, 100, 100));
  EXPECT_DOUBLE_EQ(shownX(box), 150);
}

TEST_F(ViewAnimation, ACrossDissolveRecordsAFadeOfTheViewAndAppliesItsChangesAtOnce) {
  auto view = makeView();
  auto content = makeView();
  view->addSubview(content);
  bool completed = false;

  UIView::transitionWithView(
      view, 0.2, UIViewAnimationOptionTransitionCrossDissolve, [&] { content->setAlpha(0); },
      [&](bool) { completed = true; });
  auto fade = CAAnimationTimeline::animationForKey(*view->layer(), kCATransition);
  RunLoop::advance(0.2);

  ASSERT_TRUE(fade);
  EXPECT_EQ(fade->type(), kCATransitionFade);
  EXPECT_EQ(fade->duration(), 0.2);
  EXPECT_TRUE(CAAnimationTimeline::animationKeys(*content->layer()).empty());
  EXPECT_TRUE(completed);
}

}  // namespace
