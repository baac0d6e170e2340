#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BrisvaleKit/BVTutorialViewController.h"
#include "BuiltAssets.h"
#include "PRLHomeViewController.h"
#include "PRLToggleView.h"
#include "TemporaryDeviceRoot.h"
#include "foundation/RunLoop.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"
#include "uikit/UIImpactFeedbackGenerator.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIWindow.h"

namespace {

const char* const kImages = "/var/LIY/Brisvale/Preferences/ParloPrefs.bundle/Assets/Images";

class HomePage : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    UIImpactFeedbackGenerator::clearRecordedImpacts();
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
  }

  void TearDown() override {
    UIApplication::sharedApplication()->cancelAllTouches();
    RunLoop::advance(2);
    window->setHidden(true);
  }

  // The page as the Settings app shows it: pushed in a navigation controller.
  void open() {
    page = PRLHomeViewController::alloc();
    page->init();
    navigation = UINavigationController::alloc()->initWithRootViewController(page);
    window->setRootViewController(navigation);
    window->layoutIfNeeded();
  }

  static void tapCentre(const std::shared_ptr<UIView>& view) {
    const CGRect frame = view->convertRectToView(view->bounds(), nullptr);
    const CGPoint point = CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame));
    auto app = UIApplication::sharedApplication();
    app->touchDown(point);
    RunLoop::advance(0.05);
    app->touchUp(point);
    RunLoop::advance(1);
  }

  static std::shared_ptr<UIButton> buttonTitled(const std::shared_ptr<UIView>& view,
                                                const std::string& title) {
    if (auto button = std::dynamic_pointer_cast<UIButton>(view)) {
      if (button->currentTitle() == title) return button;
    }
    for (const auto& subview : view->subviews()) {
      if (auto found = buttonTitled(subview, title)) return found;
    }
    return nullptr;
  }

  testsupport::TemporaryDeviceRoot device_{"parlo-home"};
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<PRLHomeViewController> page;
  std::shared_ptr<UINavigationController> navigation;
};

TEST_F(HomePage, LoadsItsConfigurationWithTheBundleImagesOrWithoutThemWhenMissing) {
  for (bool installed : {true, false}) {
    std::filesystem::remove_all(device_.host(kImages));
    if (installed) {
      ASSERT_TRUE(prefstest::installBuiltImage("prefs", "hero", device_.host(kImages)));
      ASSERT_TRUE(prefstest::installBuiltImage("prefs", "icon", device_.host(kImages)));
    }

    open();

    auto config = page->config();
    ASSERT_TRUE(config) << installed;
    EXPECT_EQ(config->heroCover() != nullptr, installed);
    EXPECT_EQ(config->heroIcon() != nullptr, installed);
    EXPECT_EQ(page->heroView()->image(), config->heroCover());
    EXPECT_EQ(page->iconView()->image(), config->heroIcon());
    EXPECT_EQ(config->tweakName(), "Parlo");
    EXPECT_EQ(config->tweakVersion(), "v1.3");
    EXPECT_FALSE(config->isCategoriesAvailable());
    EXPECT_FALSE(config->isTutorialVideoAvailable());
    EXPECT_EQ(config->singlePrefsClassName(), "");
    EXPECT_EQ(page->nameLabel()->text()->UTF8String(), std::string("Parlo"));
    EXPECT_EQ(page->versionLabel()->text()->UTF8String(), std::string("v1.3"));
  }
}

TEST_F(HomePage, ThePowerButtonFillsTheToggleContainerAndShowsDisabledOnAFreshDevice) {
  open();

  auto container = page->toggleContainerView();
  ASSERT_EQ(container->subviews().size(), 1u);
  auto toggle = std::dynamic_pointer_cast<PRLToggleView>(container->subviews()[0]);
  ASSERT_TRUE(toggle);
  EXPECT_EQ(toggle->frame(), container->bounds());
  EXPECT_EQ(toggle->statusLabel()->text()->UTF8String(), std::string("Disabled"));
}

TEST_F(HomePage, TheTutorialRowPresentsTheTenEntriesInOrderWordForWord) {
  // Entries 1, 7 and 9 hold typographic apostrophes, and entry 1 ends with a space.
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"timer", "Please take a few minutes of your time to read through to get started."},
      {"1.square.fill",
       "Enable the tweak, there’s nothing to configure here, to do that you will need to launch "
       "the Instagram app and from messages, select or search any users you want to chat with, "
       "long press on their name on the top left next to the user’s avatar profile. "},
      {"2.square.fill",
       "The menu will appear so you can select the settings to configure your username, avatar "
       "image and choose the duration delay for the user to join the call or start an incoming "
       "call. Enable or disable whether you want it to auto save the fake chat and if it should "
       "show that you and the user follow each other on Instagram."},
      {"3.square.fill",
       "If you choose to launch the fake chat from the menu then you can type the message, press "
       "the send button for the message to come from you, if you press the photo button the "
       "message will be coming from the opposite user."},
      {"4.square.fill",
       "Double tap on the message bubble to like it, double tap again to unlike it. Long press on "
       "the bubble message to delete the message."},
      {"5.square.fill",
       "Press on the call button to start the call and the user will join the call after the "
       "duration delay you set from the settings."},
      {"6.square.fill",
       "Tap on the username label to show more options where you can start an incoming call, you "
       "can join the call by pressing on the checkmark button to accept the call or to decline."},
      {"7.square.fill",
       "Once the call begins, you can tap on the user’s profile image from the call screen so "
       "then it will start playing the video you chose from the settings option, then you can "
       "click the video button to start the camera and it will look like both of you are talking "
       "a video call."},
      {"8.square.fill",
       "You can configure more options like set the followers count, post count, verfied, save "
       "or delete the chat data for individual users."},
      {"9.square.fill",
       "Press on the back button to dismiss fake chat, please remember it’s not a real chat so "
       "nothing will be sent to the users and it’s behaving exactly same as Instagram but with "
       "fake data."},
  };
  open();

  tapCentre(page->tutorialRow());

  auto tutorial =
      std::dynamic_pointer_cast<BVTutorialViewController>(page->presentedViewController());
  ASSERT_TRUE(tutorial);
  ASSERT_EQ(UIImpactFeedbackGenerator::recordedImpacts().size(), 1u);
  EXPECT_EQ(UIImpactFeedbackGenerator::recordedImpacts()[0].style, UIImpactFeedbackStyleLight);
  EXPECT_EQ(tutorial->titleLabel()->text()->UTF8String(), std::string("Parlo"));
  EXPECT_EQ(tutorial->subtitleLabel()->text()->UTF8String(),
            std::string("A walk through tutorial how to use Parlo"));
  const auto& entries = tutorial->tutorialArray();
  ASSERT_EQ(entries.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(entries[i]->icon(), expected[i].first) << i;
    EXPECT_EQ(entries[i]->text(), expected[i].second) << i;
    EXPECT_EQ(tutorial->entryLabels()[i]->text()->UTF8String(), expected[i].second) << i;
  }
  // The page stays where it was, under the tutorial.
  EXPECT_EQ(navigation->topViewController(), page);
}

TEST_F(HomePage, TheSettingsRowOnlyShowsTheOkayAlertAndNeverLeavesThePage) {
  open();

  for (int request = 0; request < 2; ++request) {
    tapCentre(page->settingsRow());

    auto alert = std::dynamic_pointer_cast<UIAlertController>(page->presentedViewController());
    ASSERT_TRUE(alert) << request;
    EXPECT_EQ(alert->preferredStyle(), UIAlertControllerStyleAlert);
    EXPECT_EQ(alert->title(), "Parlo");
    EXPECT_EQ(alert->message(),
              "You can't configure settings here, you will need to open Instagram app then open "
              "your messages. Select any chat and long press on the username at top next to the "
              "user's profile avatar and the pop up will appear so you can configure settings "
              "inside Instagram app.");
    ASSERT_EQ(alert->actions().size(), 1u);
    EXPECT_EQ(alert->actions()[0]->title(), "Okay");
    EXPECT_EQ(alert->actions()[0]->style(), UIAlertActionStyleDefault);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);

    auto okay = buttonTitled(alert->view(), "Okay");
    ASSERT_TRUE(okay);
    tapCentre(okay);

    EXPECT_EQ(page->presentedViewController(), nullptr) << request;
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_EQ(navigation->topViewController(), page);
    EXPECT_TRUE(page->view()->window());
  }
}

}  // namespace
