#include <gtest/gtest.h>

#include <memory>

#include "quartz/UIColor.h"
#include "quartz/UITraitCollection.h"

namespace {

std::shared_ptr<UITraitCollection> traits(UIUserInterfaceStyle style) {
  return UITraitCollection::traitCollectionWithUserInterfaceStyle(style);
}

CGColor resolved(const std::shared_ptr<UIColor>& color, UIUserInterfaceStyle style) {
  return color->resolvedColorWithTraitCollection(traits(style))->CGColor();
}

CGColor components(double red, double green, double blue, double alpha) {
  return {red, green, blue, alpha};
}

CGColor rgb(int red, int green, int blue, double alpha = 1) {
  return {red / 255.0, green / 255.0, blue / 255.0, alpha};
}

// Each test leaves the process's current trait collection as it found it.
class UIColorTest : public testing::Test {
 protected:
  void TearDown() override { UITraitCollection::setCurrentTraitCollection(nullptr); }
};

TEST_F(UIColorTest, SystemColorsResolveToTheirLightAndDarkValues) {
  struct Case {
    const char* name;
    std::shared_ptr<UIColor> color;
    CGColor light, dark;
  };
  const Case cases[] = {
      {"systemBackground", UIColor::systemBackgroundColor(), rgb(255, 255, 255), rgb(0, 0, 0)},
      {"secondarySystemBackground", UIColor::secondarySystemBackgroundColor(), rgb(242, 242, 247),
       rgb(28, 28, 30)},
      {"label", UIColor::labelColor(), rgb(0, 0, 0), rgb(255, 255, 255)},
      {"secondaryLabel", UIColor::secondaryLabelColor(), rgb(60, 60, 67, 0.6),
       rgb(235, 235, 245, 0.6)},
      {"separator", UIColor::separatorColor(), rgb(60, 60, 67, 0.29), rgb(84, 84, 88, 0.6)},
      {"systemBlue", UIColor::systemBlueColor(), rgb(0, 122, 255), rgb(10, 132, 255)},
      {"systemTeal", UIColor::systemTealColor(), rgb(48, 176, 199), rgb(64, 200, 224)},
      {"systemGray6", UIColor::systemGray6Color(), rgb(242, 242, 247), rgb(28, 28, 30)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);

    EXPECT_EQ(resolved(c.color, UIUserInterfaceStyleLight), c.light);
    EXPECT_EQ(resolved(c.color, UIUserInterfaceStyleDark), c.dark);
    EXPECT_EQ(resolved(c.color, UIUserInterfaceStyleUnspecified), c.light);
  }
}

TEST_F(UIColorTest, ADynamicProviderIsAskedForEachAppearance) {
  auto color = UIColor::colorWithDynamicProvider([](const std::shared_ptr<UITraitCollection>& t) {
    return t->userInterfaceStyle() == UIUserInterfaceStyleDark ? UIColor::whiteColor()
                                                               : UIColor::redColor();
  });

  auto faded = color->colorWithAlphaComponent(0.5);

  EXPECT_EQ(resolved(color, UIUserInterfaceStyleLight), components(1, 0, 0, 1));
  EXPECT_EQ(resolved(color, UIUserInterfaceStyleDark), components(1, 1, 1, 1));
  EXPECT_TRUE(faded->isDynamic());
  EXPECT_EQ(resolved(faded, UIUserInterfaceStyleDark), components(1, 1, 1, 0.5));
}

TEST_F(UIColorTest, ACGColorIsFixedWhenTakenAndLaterAppearanceChangesDoNotReachIt) {
  UITraitCollection::setCurrentTraitCollection(traits(UIUserInterfaceStyleDark));
  CGColor taken = UIColor::labelColor()->CGColor();

  UITraitCollection::setCurrentTraitCollection(traits(UIUserInterfaceStyleLight));
  CGColor now = UIColor::labelColor()->CGColor();
  CGFloat red = -1;
  UIColor::labelColor()->getRed(&red, nullptr, nullptr, nullptr);

  EXPECT_EQ(taken, components(1, 1, 1, 1));
  EXPECT_EQ(now, components(0, 0, 0, 1));
  EXPECT_EQ(red, 0);
}

TEST_F(UIColorTest, PerformingAsCurrentRestoresThePreviousCollection) {
  UITraitCollection::setCurrentTraitCollection(traits(UIUserInterfaceStyleLight));
  CGColor inside;

  traits(UIUserInterfaceStyleDark)->performAsCurrentTraitCollection([&] {
    inside = UIColor::systemBackgroundColor()->CGColor();
  });

  EXPECT_EQ(inside, components(0, 0, 0, 1));
  EXPECT_EQ(UITraitCollection::currentTraitCollection()->userInterfaceStyle(),
            UIUserInterfaceStyleLight);
}

TEST_F(UIColorTest, FixedColorsAreEqualByComponentsAndDynamicOnesOnlyToThemselves) {
  auto gray = UIColor::colorWithWhite(0.5, 1);
  auto dynamic = UIColor::systemBlueColor();

  EXPECT_TRUE(gray->isEqual(UIColor::grayColor()));
  EXPECT_FALSE(gray->isEqual(UIColor::colorWithWhite(0.5, 0.9)));
  EXPECT_TRUE(dynamic->isEqual(UIColor::systemBlueColor()));
  EXPECT_FALSE(dynamic->isEqual(UIColor::colorWithDynamicProvider(
      [](const std::shared_ptr<UITraitCollection>&) { return UIColor::systemBlueColor(); })));
  EXPECT_EQ(UIColor::clearColor()->CGColor(), components(0, 0, 0, 0));
}

}  // namespace
