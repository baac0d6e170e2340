#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "BrisvaleKit/BVPrefsManager.h"
#include "BrisvaleKit/UIColor+BVTheme.h"
#include "BrisvaleKit/UIView+Layout.h"
#include "BuiltAssets.h"
#include "PRLToggleView.h"
#include "TemporaryDeviceRoot.h"
#include "foundation/Clock.h"
#include "foundation/RunLoop.h"
#include "quartz/CAAnimationTimeline.h"
#include "uikit/UIApplication.h"
#include "uikit/UIImpactFeedbackGenerator.h"
#include "uikit/UIWindow.h"

namespace {

const char* const kKey = "toggleParlo";
const char* const kDomain = "com.brisvale.ParloPrefs";

bool stored() {
  return BVPrefsManager::sharedInstance()->boolForKey(kKey, false, kDomain);
}

class ToggleView : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    UIImpactFeedbackGenerator::clearRecordedImpacts();
    prefstest::installBuiltImage("symbols", "power",
                                 device_.host("/System/Library/CoreServices/Symbols"));
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
  }

  void TearDown() override {
    UIApplication::sharedApplication()->cancelAllTouches();
    RunLoop::advance(2);
    UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleUnspecified);
    window->setHidden(true);
  }

  // The toggle pinned into a container the size the home page gives it.
  std::shared_ptr<PRLToggleView> show() {
    auto container = UIView::alloc()->initWithFrame(CGRectMake(95, 300, 200, 125));
    window->addSubview(container);
    auto toggle = PRLToggleView::alloc()->initWithFrame(CGRectZero);
    container->addSubview(toggle);
    Layout::fill(toggle);
    window->layoutIfNeeded();
    return toggle;
  }

  // A finger down and up at a screen point; the tap is recognised as it lifts.
  static void tap(CGPoint point) {
    auto app = UIApplication::sharedApplication();
    app->touchDown(point);
    RunLoop::advance(0.05);
    app->touchUp(point);
  }

  static CGPoint circleCentre() { return CGPointMake(195, 345); }

  static double shownOpacity(const std::shared_ptr<UIView>& view, double time) {
    return std::get<double>(
        *CAAnimationTimeline::presentationValue(*view->layer(), "opacity", time));
  }
  static CGAffineTransform shownTransform(const std::shared_ptr<UIView>& view, double time) {
    return std::get<CGAffineTransform>(
        *CAAnimationTimeline::presentationValue(*view->layer(), "transform", time));
  }

  testsupport::TemporaryDeviceRoot device_{"parlo-toggle"};
  std::shared_ptr<UIWindow> window;
};

TEST_F(ToggleView, OpensShowingTheStoredSwitchWithOffWhenNothingIsStored) {
  struct Case {
    const char* name;
    int stored;  // -1: nothing stored
    bool on;
  };
  const Case cases[] = {
      {"nothing stored", -1, false}, {"stored NO", 0, false}, {"stored YES", 1, true}};

  for (const Case& c : cases) {
    if (c.stored >= 0) BVPrefsManager::sharedInstance()->setBool(c.stored == 1, kKey, kDomain);

    auto toggle = show();

    EXPECT_EQ(toggle->isEnabled(), c.on) << c.name;
    EXPECT_EQ(toggle->enabledView()->alpha(), c.on ? 1 : 0) << c.name;
    EXPECT_EQ(toggle->disabledView()->alpha(), c.on ? 0 : 1) << c.name;
    EXPECT_EQ(toggle->statusLabel()->text()->UTF8String(),
              std::string(c.on ? "Enabled" : "Disabled"))
        << c.name;
    EXPECT_TRUE(CAAnimationTimeline::animationKeys(*toggle->enabledView()->layer()).empty());
    toggle->superview()->removeFromSuperview();
  }
}

TEST_F(ToggleView, BuildsTwoStackedCirclesWithTheStatusLineAtTheBottom) {
  auto toggle = show();

  // The "off" circle lies over the "on" one, in the same place.
  const auto& subviews = toggle->subviews();
  ASSERT_EQ(subviews.size(), 3u);
  EXPECT_EQ(subviews[0], toggle->enabledView());
  EXPECT_EQ(subviews[1], toggle->disabledView());
  for (const auto& circle : {toggle->enabledView(), toggle->disabledView()}) {
    EXPECT_EQ(circle->frame(), CGRectMake(55, 0, 90, 90));
    EXPECT_EQ(circle->layer()->cornerRadius(), 45);
    EXPECT_EQ(circle->layer()->borderWidth(), 3);
    EXPECT_EQ(circle->layer()->shadowRadius(), 8);
    EXPECT_FALSE(circle->layer()->masksToBounds());
  }
  for (const auto& icon : {toggle->enabledIcon(), toggle->disabledIcon()}) {
    // Centred, to the nearest pixel.
    EXPECT_NEAR(icon->frame().origin.x, 27.5, 0.34);
    EXPECT_NEAR(icon->frame().origin.y, 27.5, 0.34);
    EXPECT_EQ(icon->frame().size, CGSizeMake(35, 35));
    ASSERT_TRUE(icon->image());
    EXPECT_EQ(icon->image()->sourceName(), "power");
  }
  const CGRect status = toggle->statusLabel()->frame();
  EXPECT_DOUBLE_EQ(CGRectGetMaxY(status), 125);
  EXPECT_DOUBLE_EQ(CGRectGetMidX(status), 100);
}

TEST_F(ToggleView, TappingTheOffCircleStoresYesAndFadesInTheOnCircleWithoutAShrink) {
  auto toggle = show();

  tap(circleCentre());
  const double now = Clock::now();

  EXPECT_TRUE(stored());
  EXPECT_TRUE(toggle->isEnabled());
  EXPECT_EQ(toggle->statusLabel()->text()->UTF8String(), std::string("Enabled"));
  // A 0.4 s ease-out fade: past half-way at half the time, and done at its end.
  auto fade = CAAnimationTimeline::animationForKey(*toggle->enabledView()->layer(), "opacity");
  ASSERT_TRUE(fade);
  EXPECT_DOUBLE_EQ(fade->duration(), 0.4);
  EXPECT_DOUBLE_EQ(shownOpacity(toggle->enabledView(), now), 0);
  EXPECT_GT(shownOpacity(toggle->enabledView(), now + 0.2), 0.6);
  EXPECT_LT(shownOpacity(toggle->disabledView(), now + 0.2), 0.4);
  // Neither circle is ever drawn smaller than full size.
  for (double t : {0.0, 0.1, 0.3, 0.6}) {
    EXPECT_EQ(shownTransform(toggle->enabledView(), now + t), CGAffineTransformIdentity) << t;
    EXPECT_EQ(shownTransform(toggle->disabledView(), now + t), CGAffineTransformIdentity) << t;
  }

  RunLoop::advance(0.4);
  EXPECT_EQ(shownOpacity(toggle->enabledView(), Clock::now()), 1);
  EXPECT_EQ(shownOpacity(toggle->disabledView(), Clock::now()), 0);
}

TEST_F(ToggleView, TappingTheOnCircleStoresNoShrinksItAtOnceAndSpringsItBackWhileItFades) {
  BVPrefsManager::sharedInstance()->setBool(true, kKey, kDomain);
  auto toggle = show();

  tap(circleCentre());
  const double now = Clock::now();

  EXPECT_FALSE(stored());
  EXPECT_EQ(toggle->statusLabel()->text()->UTF8String(), std::string("Disabled"));
  EXPECT_EQ(shownTransform(toggle->enabledView(), now), CGAffineTransformMakeScale(0.9, 0.9));
  const double mid = shownTransform(toggle->enabledView(), now + 0.3).a;
  EXPECT_GT(mid, 0.9);
  EXPECT_LT(mid, 1.0);
  auto grow = CAAnimationTimeline::animationForKey(*toggle->enabledView()->layer(), "transform");
  ASSERT_TRUE(grow);
  EXPECT_DOUBLE_EQ(grow->duration(), 0.6);
  EXPECT_EQ(toggle->enabledView()->transform(), CGAffineTransformIdentity);
  EXPECT_GT(shownOpacity(toggle->enabledView(), now + 0.2), 0);
  EXPECT_LT(shownOpacity(toggle->enabledView(), now + 0.2), 0.4);

  RunLoop::advance(0.6);
  EXPECT_EQ(shownTransform(toggle->enabledView(), Clock::now()), CGAffineTransformIdentity);
  EXPECT_EQ(shownOpacity(toggle->enabledView(), Clock::now()), 0);
  EXPECT_EQ(shownOpacity(toggle->disabledView(), Clock::now()), 1);
}

TEST_F(ToggleView, EachTapOnACircleGivesOneLightHapticAndOtherTapsDoNothing) {
  auto toggle = show();
  const CGRect status =
      toggle->statusLabel()->convertRectToView(toggle->statusLabel()->bounds(), nullptr);

  tap(CGPointMake(CGRectGetMidX(status), CGRectGetMidY(status)));
  tap(CGPointMake(100, 305));  // inside the toggle, beside the circles
  RunLoop::advance(1);

  EXPECT_TRUE(UIImpactFeedbackGenerator::recordedImpacts().empty());
  EXPECT_FALSE(std::filesystem::exists(
      device_.host("/var/mobile/Library/Preferences/com.brisvale.ParloPrefs.plist")));

  for (int taps = 1; taps <= 3; ++taps) {
    tap(circleCentre());
    RunLoop::advance(1);

    ASSERT_EQ(UIImpactFeedbackGenerator::recordedImpacts().size(), size_t(taps));
    EXPECT_EQ(UIImpactFeedbackGenerator::recordedImpacts().back().style,
              UIImpactFeedbackStyleLight);
    EXPECT_EQ(stored(), taps % 2 == 1);
    EXPECT_EQ(toggle->haptic()->style(), UIImpactFeedbackStyleLight);
  }
}

TEST_F(ToggleView, AnAppearanceChangePaintsBothCirclesShadowsAndBordersAgain) {
  auto app = UIApplication::sharedApplication();
  app->setUserInterfaceStyle(UIUserInterfaceStyleLight);
  auto toggle = show();
  auto light = UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleLight);
  auto dark = UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleDark);
  struct Layer {
    const char* name;
    std::shared_ptr<UIView> circle;
    std::shared_ptr<UIColor> shadow, border;
  };
  const Layer layers[] = {
      {"on", toggle->enabledView(), BVTheme::enabledShadowColour(), BVTheme::enabledBorderColour()},
      {"off", toggle->disabledView(), BVTheme::disabledShadowColour(),
       BVTheme::disabledBorderColour()},
  };
  for (const Layer& l : layers) {
    EXPECT_EQ(l.circle->layer()->shadowColor(),
              l.shadow->resolvedColorWithTraitCollection(light)->CGColor());
    EXPECT_EQ(l.circle->layer()->borderColor(),
              l.border->resolvedColorWithTraitCollection(light)->CGColor());
  }

  app->setUserInterfaceStyle(UIUserInterfaceStyleDark);

  for (const Layer& l : layers) {
    EXPECT_EQ(l.circle->layer()->shadowColor(),
              l.shadow->resolvedColorWithTraitCollection(dark)->CGColor())
        << l.name;
    EXPECT_EQ(l.circle->layer()->borderColor(),
              l.border->resolvedColorWithTraitCollection(dark)->CGColor())
        << l.name;
  }
  EXPECT_EQ(toggle->enabledView()->backgroundColor(), BVTheme::enabledColour());
  EXPECT_EQ(toggle->disabledView()->backgroundColor(), BVTheme::disabledColour());
}

}  // namespace
