#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BrisvaleKit/BVPaidPrefsHomeViewController.h"
#include "BrisvaleKit/BVTutorialViewController.h"
#include "TestImages.h"
#include "foundation/NSData.h"
#include "foundation/RunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIWindow.h"

namespace {

constexpr CGFloat kPixel = 0.34;

// A page that counts what its rows ask for.
class CountingHomePage : public BVPaidPrefsHomeViewController {
  OBJC_CLASS(CountingHomePage, BVPaidPrefsHomeViewController);

 public:
  void presentTutorialVC() override { ++tutorialRequests; }
  void pushPrefsVC() override { ++settingsRequests; }

  int tutorialRequests = 0;
  int settingsRequests = 0;
};

}  // namespace

OBJC_CLASS_IMPL(CountingHomePage) {}

namespace {

std::shared_ptr<UIImage> solidImage(int width, int height) {
  auto png = testsupport::solidPNG(width, height, 0.2, 0.5, 0.9);
  return UIImage::imageWithData(NSData::dataWithBytes(png), 3);
}

CGRect onScreen(const std::shared_ptr<UIView>& view) {
  return view->convertRectToView(view->bounds(), nullptr);
}

void tap(CGPoint point) {
  auto app = UIApplication::sharedApplication();
  app->touchDown(point);
  RunLoop::advance(0.05);
  app->touchUp(point);
  RunLoop::advance(0.5);
}

void tapCentre(const std::shared_ptr<UIView>& view) {
  const CGRect frame = onScreen(view);
  tap(CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame)));
}

class PrefsHomePage : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
  }

  void TearDown() override {
    UIApplication::sharedApplication()->cancelAllTouches();
    RunLoop::advance(2);
    UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleUnspecified);
    window->setHidden(true);
  }

  std::shared_ptr<CountingHomePage> open(std::shared_ptr<BVPrefsConfig> config) {
    auto page = CountingHomePage::alloc();
    page->init();
    page->updateWithPrefsConfig(config);
    window->setRootViewController(
        UINavigationController::alloc()->initWithRootViewController(page));
    window->layoutIfNeeded();
    return page;
  }

  static std::shared_ptr<BVPrefsConfig> config(bool withImages) {
    auto config = BVPrefsConfig::alloc()->init();
    if (withImages) {
      config->setHeroCover(solidImage(1170, 540));
      config->setHeroIcon(solidImage(180, 180));
    }
    config->setTweakName("Sample");
    config->setTweakVersion("v2.0");
    return config;
  }

  std::shared_ptr<UIWindow> window;
};

TEST_F(PrefsHomePage, StacksTheCoverIconTitlesToggleBoxAndRowsDownThePage) {
  for (bool withImages : {true, false}) {
    auto page = open(config(withImages));
    const CGRect root = onScreen(page->view());
    const CGFloat width = root.size.width;
    auto inPage = [&](const std::shared_ptr<UIView>& view) {
      CGRect frame = onScreen(view);
      return CGRectOffset(frame, -root.origin.x, -root.origin.y);
    };

    EXPECT_EQ(inPage(page->heroView()), CGRectMake(0, 0, width, 180)) << withImages;
    const CGRect icon = inPage(page->iconView());
    EXPECT_EQ(icon.size, CGSizeMake(80, 80));
    EXPECT_NEAR(CGRectGetMidX(icon), width / 2, kPixel);
    EXPECT_NEAR(CGRectGetMidY(icon), 180, kPixel);
    EXPECT_EQ(page->iconView()->layer()->cornerRadius(), 18);

    const CGRect name = inPage(page->nameLabel());
    EXPECT_NEAR(name.origin.y, CGRectGetMaxY(icon) + 12, kPixel);
    EXPECT_NEAR(CGRectGetMidX(name), width / 2, kPixel);
    const CGRect version = inPage(page->versionLabel());
    EXPECT_NEAR(version.origin.y, CGRectGetMaxY(name) + 2, kPixel);
    const CGRect box = inPage(page->toggleContainerView());
    EXPECT_NEAR(box.origin.y, CGRectGetMaxY(version) + 28, kPixel);
    EXPECT_EQ(box.size, CGSizeMake(200, 125));
    EXPECT_NEAR(CGRectGetMidX(box), width / 2, kPixel);

    const CGRect tutorial = inPage(page->tutorialRow());
    const CGRect settings = inPage(page->settingsRow());
    EXPECT_NEAR(tutorial.origin.y, CGRectGetMaxY(box) + 36, kPixel);
    EXPECT_NEAR(tutorial.origin.x, 16, kPixel);
    EXPECT_NEAR(CGRectGetMaxX(tutorial), width - 16, kPixel);
    EXPECT_NEAR(tutorial.size.height, 44, kPixel);
    EXPECT_NEAR(settings.origin.y, CGRectGetMaxY(tutorial) + 0.5, kPixel);
    // Everything fits the page without scrolling.
    EXPECT_LE(CGRectGetMaxY(settings), root.size.height);
    EXPECT_TRUE(page->toggleContainerView()->subviews().empty());
    EXPECT_EQ(page->nameLabel()->text()->UTF8String(), std::string("Sample"));
    EXPECT_EQ(page->versionLabel()->text()->UTF8String(), std::string("v2.0"));
  }
}

TEST_F(PrefsHomePage, EachRowAsksTheSubclassForItsPageAndTheSpaceBesideThemAsksNothing) {
  auto page = open(config(true));

  tapCentre(page->tutorialRow());
  tapCentre(page->settingsRow());
  tapCentre(page->settingsRow());
  const CGRect below = onScreen(page->settingsRow());
  tap(CGPointMake(CGRectGetMidX(below), CGRectGetMaxY(below) + 20));

  EXPECT_EQ(page->tutorialRequests, 1);
  EXPECT_EQ(page->settingsRequests, 2);
}

TEST_F(PrefsHomePage, TheIconRingTakesThePageBackgroundOfTheNewAppearance) {
  auto app = UIApplication::sharedApplication();
  app->setUserInterfaceStyle(UIUserInterfaceStyleLight);
  auto page = open(config(true));
  auto ring = [](UIUserInterfaceStyle style) {
    return UIColor::systemGroupedBackgroundColor()
        ->resolvedColorWithTraitCollection(
            UITraitCollection::traitCollectionWithUserInterfaceStyle(style))
        ->CGColor();
  };
  EXPECT_EQ(page->iconView()->layer()->borderColor(), ring(UIUserInterfaceStyleLight));

  app->setUserInterfaceStyle(UIUserInterfaceStyleDark);

  EXPECT_EQ(page->iconView()->layer()->borderColor(), ring(UIUserInterfaceStyleDark));
}

class Tutorial : public PrefsHomePage {
 protected:
  std::shared_ptr<BVTutorialViewController> present(
      std::vector<std::shared_ptr<BVTutorialData>> entries) {
    home = open(config(true));
    auto tutorial = BVTutorialViewController::alloc()->initWithTweakName(
        "Sample", "A walk through tutorial how to use Sample", std::move(entries));
    home->presentViewController(tutorial, false, nullptr);
    RunLoop::advance(1);
    window->layoutIfNeeded();
    return tutorial;
  }

  static std::vector<std::shared_ptr<BVTutorialData>> entries(int count) {
    std::vector<std::shared_ptr<BVTutorialData>> list;
    for (int i = 0; i < count; ++i) {
      // Long and short texts alternate, so rows of one and of several lines follow each other.
      std::string text = "Step " + std::to_string(i) + ".";
      if (i % 2 == 1) {
        for (int word = 0; word < 30; ++word) text += " more";
      }
      list.push_back(BVTutorialData::alloc()->initWithDescription(text, "timer"));
    }
    return list;
  }

  std::shared_ptr<CountingHomePage> home;
};

TEST_F(Tutorial, ListsTheEntriesInOrderEachSymbolBesideItsTextAndScrollsToTheLast) {
  auto tutorial = present(entries(10));
  const auto& labels = tutorial->entryLabels();
  const auto& icons = tutorial->entryIcons();
  ASSERT_EQ(labels.size(), 10u);
  ASSERT_EQ(icons.size(), 10u);
  const CGFloat width = tutorial->scrollView()->bounds().size.width;

  EXPECT_EQ(tutorial->titleLabel()->text()->UTF8String(), std::string("Sample"));
  EXPECT_NEAR(tutorial->subtitleLabel()->frame().origin.y,
              CGRectGetMaxY(tutorial->titleLabel()->frame()) + 6, kPixel);
  CGFloat above = CGRectGetMaxY(tutorial->subtitleLabel()->frame()) + 32 - 24;
  for (size_t i = 0; i < labels.size(); ++i) {
    const CGRect text = labels[i]->frame();
    const CGRect icon = icons[i]->frame();
    EXPECT_EQ(std::string(labels[i]->text()->UTF8String()).rfind("Step " + std::to_string(i), 0),
              0u)
        << i;
    EXPECT_NEAR(text.origin.y, above + 24, kPixel) << i;
    EXPECT_NEAR(text.origin.x, 70, kPixel);
    EXPECT_NEAR(CGRectGetMaxX(text), width - 24, kPixel);
    EXPECT_EQ(icon.size, CGSizeMake(30, 30));
    EXPECT_NEAR(icon.origin.x, 24, kPixel);
    // Level with the first line, not with the middle of a long text.
    EXPECT_LT(icon.origin.y, text.origin.y + 20) << i;
    if (i % 2 == 1) {
      EXPECT_GT(text.size.height, 3 * 16) << "a long text wraps";
    }
    above = std::max(CGRectGetMaxY(text), CGRectGetMaxY(icon));
  }
  auto scroll = tutorial->scrollView();
  EXPECT_NEAR(scroll->contentSize().height, above + 40, kPixel);
  EXPECT_GT(scroll->contentSize().height, scroll->bounds().size.height);
  EXPECT_GE(scroll->maximumContentOffset().y + scroll->bounds().size.height,
            CGRectGetMaxY(labels.back()->frame()));
}

TEST_F(Tutorial, LeavesOutMissingEntriesAndClosesWithDone) {
  auto list = entries(3);
  list.insert(list.begin() + 1, nullptr);

  auto tutorial = present(list);
  ASSERT_EQ(tutorial->tutorialArray().size(), 3u);
  EXPECT_EQ(tutorial->entryLabels()[1]->text()->UTF8String(), std::string(list[2]->text()));

  tapCentre(tutorial->doneButton());
  RunLoop::advance(1);

  EXPECT_EQ(home->presentedViewController(), nullptr);
}

}  // namespace
