#include <gtest/gtest.h>

#include "CommaDecimalLocale.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/UIView.h"

TEST(VisualFormat, FractionalMarginsReadTheSameUnderADecimalCommaLocale) {
  auto parent = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 200, 100));
  auto child = UIView::alloc()->init();
  parent->addSubview(child);
  testsupport::CommaDecimalLocale german;
  if (!german.available()) GTEST_SKIP() << "localedef or the de_DE locale sources are missing";

  auto constraints =
      NSLayoutConstraint::constraintsWithVisualFormat("H:|-12.5-[child]-7.25-|", child);

  ASSERT_EQ(constraints.size(), 2u);
  EXPECT_EQ(constraints[0]->constant(), 12.5);
  EXPECT_EQ(constraints[1]->constant(), 7.25);
}
