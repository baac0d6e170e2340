#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "quartz/CAAnimation.h"
#include "quartz/CAMediaTimingFunction.h"

namespace {

TEST(CAMediaTimingFunction, CurvesGiveTheFractionOfTheChangeThatTheirBezierReachesAtEachTime) {
  auto named = CAMediaTimingFunction::functionWithName;
  // Expected values solve the cubic Bézier by bisection to full precision.
  struct Case {
    const char* curve;
    CAMediaTimingFunction function;
    double time, progress;
  };
  const Case cases[] = {
      {"linear", named(kCAMediaTimingFunctionLinear), 0.25, 0.25},
      {"easeIn", named(kCAMediaTimingFunctionEaseIn), 0.25, 0.093465},
      {"easeIn", named(kCAMediaTimingFunctionEaseIn), 0.5, 0.315357},
      {"easeOut", named(kCAMediaTimingFunctionEaseOut), 0.5, 0.684643},
      {"easeOut", named(kCAMediaTimingFunctionEaseOut), 0.9, 0.982973},
      {"easeInEaseOut", named(kCAMediaTimingFunctionEaseInEaseOut), 0.1, 0.019722},
      {"easeInEaseOut", named(kCAMediaTimingFunctionEaseInEaseOut), 0.5, 0.5},
      {"default", named(kCAMediaTimingFunctionDefault), 0.5, 0.802403},
      {"default", named(kCAMediaTimingFunctionDefault), 0.75, 0.960459},
      {"flat start in x", CAMediaTimingFunction::functionWithControlPoints(0, 1, 0, 1), 0.001,
       0.271},
      {"overshooting in y", CAMediaTimingFunction::functionWithControlPoints(0.5, -0.5, 0.5, 1.5),
       0.1, -0.070756},
      {"before the start", named(kCAMediaTimingFunctionEaseIn), -0.5, 0},
      {"after the end", named(kCAMediaTimingFunctionEaseOut), 1.5, 1},
  };

  for (const Case& c : cases) {
    double progress = c.function.progress(c.time);

    EXPECT_NEAR(progress, c.progress, 1e-6) << c.curve << " at " << c.time;
  }
}

TEST(CAAnimation, SpringStartsAtItsInitialVelocityAndRestsAtItsTargetWhenItsDurationEnds) {
  struct Case {
    double duration, damping, velocity;
  };
  const Case cases[] = {{0.3, 1, 0}, {0.3, 1, 0.1}, {1, 0.5, 0}, {0.5, 0.2, 4}, {2, 0.8, -1}};

  for (const Case& c : cases) {
    auto spring =
        CAAnimation::spring("position.x", 0.0, 1.0, 10, c.duration, c.damping, c.velocity);

    double step = 1e-8;
    double startingVelocity = spring.progressAtTime(10 + step) / step;
    double beforeTheEnd = spring.progressAtTime(10 + c.duration * 0.99);
    EXPECT_NEAR(startingVelocity, c.velocity, 1e-3) << c.damping << " " << c.velocity;
    EXPECT_NEAR(beforeTheEnd, 1, 2e-3) << c.damping << " " << c.velocity;
    EXPECT_EQ(spring.progressAtTime(10 + c.duration), 1);
    EXPECT_TRUE(spring.isFinishedAtTime(10 + c.duration));
  }
}

TEST(CAAnimationValueInterpolate, ValuesMixByKindAndTransformsTurnWithoutShrinking) {
  auto turn = [](double degrees) {
    return CGAffineTransformMakeRotation(degrees * std::numbers::pi / 180);
  };
  CGAffineTransform skewed =
      CGAffineTransformScale(CGAffineTransformMake(1, 0, 0.4, 1, 7, -3), -2, 3);
  struct Case {
    const char* kind;
    CAAnimationValue from, to;
    double fraction;
    CAAnimationValue expected;
  };
  const Case cases[] = {
      {"number", 0.0, 0.8, 0.5, 0.4},
      {"point", CGPointMake(0, 10), CGPointMake(100, 20), 0.5, CGPointMake(50, 15)},
      {"rect", CGRectMake(0, 0, 10, 10), CGRectMake(10, 20, 30, 50), 0.5,
       CGRectMake(5, 10, 20, 30)},
      {"colour", CGColor{1, 0, 0, 1}, CGColor{0, 0, 1, 0}, 0.5, CGColor{0.5, 0, 0.5, 0.5}},
      {"colour past the end", CGColor{0.2, 0, 0, 1}, CGColor{1, 0, 0, 1}, 1.3, CGColor{1, 0, 0, 1}},
      {"scale", CGAffineTransformIdentity, CGAffineTransformMakeScale(1.5, 1.5), 0.5,
       CGAffineTransformMakeScale(1.25, 1.25)},
      {"translation", CGAffineTransformMakeTranslation(10, 0),
       CGAffineTransformMakeTranslation(30, -40), 0.5, CGAffineTransformMakeTranslation(20, -20)},
      {"rotation", CGAffineTransformIdentity, turn(90), 0.5, turn(45)},
      {"rotation the short way", turn(170), turn(-170), 0.5, turn(180)},
      {"sheared reflection at the start", skewed, turn(30), 0, skewed},
      {"sheared reflection at the end", turn(30), skewed, 1, skewed},
  };

  for (const Case& c : cases) {
    CAAnimationValue mixed = CAAnimationValueInterpolate(c.from, c.to, c.fraction);

    if (auto* t = std::get_if<CGAffineTransform>(&mixed)) {
      auto u = std::get<CGAffineTransform>(c.expected);
      double error = std::abs(t->a - u.a) + std::abs(t->b - u.b) + std::abs(t->c - u.c) +
                     std::abs(t->d - u.d) + std::abs(t->tx - u.tx) + std::abs(t->ty - u.ty);
      EXPECT_LT(error, 1e-9) << c.kind;
    } else {
      EXPECT_EQ(mixed, c.expected) << c.kind;
    }
  }
}

}  // namespace
