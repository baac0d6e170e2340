#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "quartz/CGAffineTransform.h"
#include "quartz/CGGeometry.h"

namespace {

void expectRectNear(CGRect actual, CGRect expected) {
  EXPECT_NEAR(actual.origin.x, expected.origin.x, 1e-9) << actual;
  EXPECT_NEAR(actual.origin.y, expected.origin.y, 1e-9) << actual;
  EXPECT_NEAR(actual.size.width, expected.size.width, 1e-9) << actual;
  EXPECT_NEAR(actual.size.height, expected.size.height, 1e-9) << actual;
}

TEST(CGGeometry, EdgesOfARectangleWithNegativeSizeAreReadFromItsStandardForm) {
  CGRect flipped = CGRectMake(100, 50, -40, -20);

  CGRect standard = CGRectStandardize(flipped);

  EXPECT_EQ(standard.origin, CGPointMake(60, 30));
  EXPECT_EQ(standard.size, CGSizeMake(40, 20));
  EXPECT_EQ(CGRectGetMinX(flipped), 60);
  EXPECT_EQ(CGRectGetMaxX(flipped), 100);
  EXPECT_EQ(CGRectGetMidY(flipped), 40);
  EXPECT_EQ(CGRectGetWidth(flipped), 40);
  EXPECT_EQ(CGRectGetHeight(flipped), 20);
  EXPECT_TRUE(CGRectEqualToRect(flipped, CGRectMake(60, 30, 40, 20)));
}

TEST(CGGeometry, IntersectionIsNullOnlyWhenTheRectanglesDoNotMeet) {
  struct Case {
    const char* name;
    CGRect a, b;
    bool null;
    CGRect expected;
    bool intersects;
  };
  const Case cases[] = {
      {"overlapping", CGRectMake(0, 0, 10, 10), CGRectMake(5, 5, 10, 10), false,
       CGRectMake(5, 5, 5, 5), true},
      {"disjoint", CGRectMake(0, 0, 10, 10), CGRectMake(20, 0, 10, 10), true, CGRectNull, false},
      {"touching", CGRectMake(0, 0, 10, 10), CGRectMake(10, 0, 10, 10), false,
       CGRectMake(10, 0, 0, 10), false},
      {"negative size", CGRectMake(10, 10, -10, -10), CGRectMake(5, 5, 10, 10), false,
       CGRectMake(5, 5, 5, 5), true},
      {"with null", CGRectNull, CGRectMake(0, 0, 10, 10), true, CGRectNull, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);

    CGRect intersection = CGRectIntersection(c.a, c.b);

    EXPECT_EQ(CGRectIsNull(intersection), c.null);
    if (!c.null) {
      EXPECT_EQ(intersection, c.expected);
    }
    EXPECT_EQ(CGRectIntersectsRect(c.a, c.b), c.intersects);
  }
}

TEST(CGGeometry, UnionInsetAndIntegralKeepTheNullRectangleApart) {
  CGRect rect = CGRectMake(10, 10, 20, 20);

  EXPECT_EQ(CGRectUnion(CGRectNull, rect), rect);
  EXPECT_EQ(CGRectUnion(rect, CGRectMake(50, 0, -10, 5)), CGRectMake(10, 0, 40, 30));
  EXPECT_EQ(CGRectInset(rect, 5, 5), CGRectMake(15, 15, 10, 10));
  EXPECT_TRUE(CGRectIsNull(CGRectInset(rect, 11, 0)));
  EXPECT_EQ(CGRectInset(rect, -5, 0), CGRectMake(5, 10, 30, 20));
  EXPECT_EQ(CGRectIntegral(CGRectMake(0.5, 1.2, 10, 10.1)), CGRectMake(0, 1, 11, 11));
  EXPECT_TRUE(CGRectIsNull(CGRectOffset(CGRectNull, 5, 5)));
  EXPECT_TRUE(CGRectIsEmpty(CGRectNull));
  EXPECT_TRUE(CGRectIsEmpty(CGRectMake(5, 5, 0, 10)));
  EXPECT_FALSE(CGRectIsEmpty(CGRectMake(5, 5, -1, 10)));
}

TEST(CGGeometry, ContainmentIncludesTheMinimumEdgesAndExcludesTheMaximumOnes) {
  CGRect rect = CGRectMake(0, 0, 10, 10);

  EXPECT_TRUE(CGRectContainsPoint(rect, CGPointMake(0, 0)));
  EXPECT_FALSE(CGRectContainsPoint(rect, CGPointMake(10, 5)));
  EXPECT_FALSE(CGRectContainsPoint(rect, CGPointMake(5, 10)));
  EXPECT_TRUE(CGRectContainsRect(rect, CGRectMake(0, 0, 10, 10)));
  EXPECT_FALSE(CGRectContainsRect(rect, CGRectMake(5, 5, 10, 1)));
  EXPECT_FALSE(CGRectContainsRect(CGRectNull, rect));
}

TEST(CGGeometry, EdgeInsetsShrinkEachSideByItsOwnAmount) {
  CGRect rect = CGRectMake(0, 0, 100, 50);

  CGRect inset = UIEdgeInsetsInsetRect(rect, UIEdgeInsetsMake(1, 2, 3, 4));

  EXPECT_EQ(inset, CGRectMake(2, 1, 94, 46));
}

TEST(CGGeometry, StructsCrossAMessageSendWithThePlatformsEncodings) {
  EXPECT_EQ(ObjCType<CGPoint>::encoding(), "{CGPoint=dd}");
  EXPECT_EQ(ObjCType<CGSize>::encoding(), "{CGSize=dd}");
  EXPECT_EQ(ObjCType<CGRect>::encoding(), "{CGRect={CGPoint=dd}{CGSize=dd}}");
  EXPECT_EQ(ObjCType<UIEdgeInsets>::encoding(), "{UIEdgeInsets=dddd}");
  EXPECT_EQ(ObjCType<CGAffineTransform>::encoding(), "{CGAffineTransform=dddddd}");
  EXPECT_EQ((objc_signatureEncoding<void, CGRect>()), "v@:{CGRect={CGPoint=dd}{CGSize=dd}}");
}

TEST(CGAffineTransform, ConcatAppliesTheFirstTransformFirst) {
  CGAffineTransform scale = CGAffineTransformMakeScale(2, 2);
  CGAffineTransform move = CGAffineTransformMakeTranslation(10, 0);
  CGPoint point = CGPointMake(1, 1);

  CGPoint scaledThenMoved =
      CGPointApplyAffineTransform(point, CGAffineTransformConcat(scale, move));
  CGPoint movedThenScaled =
      CGPointApplyAffineTransform(point, CGAffineTransformConcat(move, scale));
  // Translate, Scale and Rotate put their own step before the existing transform.
  CGPoint stacked = CGPointApplyAffineTransform(point, CGAffineTransformTranslate(scale, 10, 0));

  EXPECT_EQ(scaledThenMoved, CGPointMake(12, 2));
  EXPECT_EQ(movedThenScaled, CGPointMake(22, 2));
  EXPECT_EQ(stacked, CGPointMake(22, 2));
}

TEST(CGAffineTransform, InvertUndoesTheTransformAndLeavesASingularOneAlone) {
  CGAffineTransform t = CGAffineTransformRotate(
      CGAffineTransformScale(CGAffineTransformMakeTranslation(5, -3), 2, 0.5), 0.7);
  CGAffineTransform singular = CGAffineTransformMakeScale(0, 3);
  CGPoint point = CGPointMake(4, 9);

  CGPoint back = CGPointApplyAffineTransform(CGPointApplyAffineTransform(point, t),
                                             CGAffineTransformInvert(t));

  EXPECT_NEAR(back.x, 4, 1e-9);
  EXPECT_NEAR(back.y, 9, 1e-9);
  EXPECT_EQ(CGAffineTransformInvert(singular), singular);
  EXPECT_TRUE(CGAffineTransformIsIdentity(CGAffineTransformConcat(
      CGAffineTransformMakeTranslation(3, 4), CGAffineTransformMakeTranslation(-3, -4))));
}

TEST(CGAffineTransform, ARectangleMapsToTheBoundingBoxOfItsCorners) {
  CGRect square = CGRectMake(0, 0, 10, 10);

  CGRect turned =
      CGRectApplyAffineTransform(square, CGAffineTransformMakeRotation(std::numbers::pi / 4));
  CGRect flipped = CGRectApplyAffineTransform(square, CGAffineTransformMakeScale(-1, 2));
  CGSize size =
      CGSizeApplyAffineTransform(CGSizeMake(3, 4), CGAffineTransformMakeTranslation(9, 9));

  double half = 10 / std::sqrt(2.0);
  expectRectNear(turned, CGRectMake(-half, 0, 2 * half, 2 * half));
  EXPECT_EQ(flipped, CGRectMake(-10, 0, 10, 20));
  EXPECT_EQ(size, CGSizeMake(3, 4));
}

}  // namespace
