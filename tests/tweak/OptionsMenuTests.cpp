#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "ScreenTouches.h"
#include "TemporaryDeviceRoot.h"
#include "ThreadScreenTest.h"
#include "chat/ChatStore.h"
#include "chat/ParloFakeChatViewController.h"
#include "foundation/Clock.h"
#include "foundation/DeviceRoot.h"
#include "foundation/RunLoop.h"
#include "hook/ThreadTitleHook.h"
#include "settings/FakeCallSettingViewController.h"
#include "settings/SettingManager.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"
#include "uikit/UIKeyboard.h"
#include "uikit/UINavigationController.h"
#include "uikit/UITextField.h"
#include "uikit/UIWindow.h"

namespace {

namespace fs = std::filesystem;

using testsupport::screenCentre;
using testsupport::tapAndSettle;
using testsupport::visibleButtonTitled;

constexpr const char* kUser = "maya.lindqvist";
constexpr const char* kHome = "/var/mobile/Containers/Data/Application/OPTIONS-TEST";

std::string text(const std::shared_ptr<UILabel>& label) {
  return label->text() ? label->text()->utf8() : "";
}

class OptionsMenu : public testsupport::ThreadScreenTest {
 protected:
  OptionsMenu() : ThreadScreenTest("parlo-options", kHome) {}

  void open() { openChat(kUser); }

  void close() {
    tapAndSettle(screenCentre(chat->backBtn()));
    chat.reset();
  }

  std::shared_ptr<UIAlertController> shown() {
    return std::dynamic_pointer_cast<UIAlertController>(chat->presentedViewController());
  }

  // A tap on the user name, then on one of the sheet's buttons.
  void choose(const std::string& title) {
    tapAndSettle(screenCentre(chat->usernameLabel()));
    ASSERT_TRUE(shown());
    auto button = visibleButtonTitled(window, title);
    ASSERT_TRUE(button) << title;
    tapAndSettle(screenCentre(button));
    window->layoutIfNeeded();
  }

  void answer(const std::string& typed, const std::string& button) {
    ASSERT_TRUE(shown());
    UIKeyboard::shared().type(typed);
    auto found = visibleButtonTitled(window, button);
    ASSERT_TRUE(found) << button;
    tapAndSettle(screenCentre(found));
    window->layoutIfNeeded();
  }

  std::string counts() { return text(chat->introBannerView()->followTitleLabel()); }

  std::pair<CGFloat, CGFloat> badges() {
    return {chat->verifiedImage()->alpha(), chat->introBannerView()->verifiedImage()->alpha()};
  }

  fs::path settingsFile() const { return *DeviceRoot::resolve(SettingManager::settingsFilePath()); }

  std::shared_ptr<SettingManager> store = SettingManager::sharedInstance();
};

}  // namespace

TEST_F(OptionsMenu, TheUserNameOpensASheetOfNineActionsInOrderWhoseCancelChangesNothing) {
  open();

  tapAndSettle(screenCentre(chat->usernameLabel()));

  auto sheet = shown();
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->preferredStyle(), UIAlertControllerStyleActionSheet);
  EXPECT_EQ(sheet->title(), "Parlo");
  EXPECT_EQ(sheet->message(), "Select options...");
  std::vector<std::pair<std::string, UIAlertActionStyle>> actions;
  for (const auto& action : sheet->actions())
    actions.emplace_back(action->title(), action->style());
  const std::vector<std::pair<std::string, UIAlertActionStyle>> expected = {
      {"Start incoming call", UIAlertActionStyleDefault},
      {"Open settings", UIAlertActionStyleDefault},
      {"Set followers count", UIAlertActionStyleDefault},
      {"Set posts count", UIAlertActionStyleDefault},
      {"Set verified", UIAlertActionStyleDefault},
      {"Set not verified", UIAlertActionStyleDefault},
      {"Save chat data", UIAlertActionStyleDefault},
      {"Delete chat data", UIAlertActionStyleDestructive},
      {"Cancel", UIAlertActionStyleDestructive},
  };
  EXPECT_EQ(actions, expected);

  tapAndSettle(screenCentre(visibleButtonTitled(window, "Cancel")));
  EXPECT_FALSE(chat->presentedViewController());
  EXPECT_FALSE(fs::exists(settingsFile()));
  EXPECT_EQ(RunLoop::pendingCount(), 0u);
}

TEST_F(OptionsMenu, SavedCountsShowAtOnceAndAtTheNextOpeningWhileCancelKeepsThem) {
  open();
  EXPECT_EQ(counts(), "35.5K followers \u2022 5.3K posts");

  choose("Set followers count");
  EXPECT_EQ(shown()->title(), "Followers");
  EXPECT_EQ(shown()->message(), "Set followers count i.e 3.5K or 1.2M");
  EXPECT_EQ(shown()->textFields().at(0)->placeholder(), "Default 35.5K");
  answer("1.2M", "SAVE");
  EXPECT_EQ(counts(), "1.2M followers \u2022 5.3K posts");

  choose("Set posts count");
  EXPECT_EQ(shown()->title(), "Posts");
  EXPECT_EQ(shown()->message(), "Set posts count i.e 40.8K or 3.8M");
  EXPECT_EQ(shown()->textFields().at(0)->placeholder(), "Default 5.3K");
  answer("40.8K", "SAVE");
  choose("Set posts count");
  answer("9", "Cancel");
  EXPECT_EQ(counts(), "1.2M followers \u2022 40.8K posts");

  close();
  open();
  EXPECT_EQ(counts(), "1.2M followers \u2022 40.8K posts");

  // An empty field is saved too: the figure shows empty, the default only comes with no key.
  choose("Set followers count");
  answer("", "SAVE");
  EXPECT_EQ(counts(), " followers \u2022 40.8K posts");
}

TEST_F(OptionsMenu, TheCountsLineIsReadFromTheStoreNotFromWhatWasLoaded) {
  open();

  store->setObject(NSString::string("7"), std::string(kUser) + "-followersCount");
  chat->updateIntroBannerDetails();

  EXPECT_EQ(counts(), "7 followers \u2022 5.3K posts");
  EXPECT_EQ(chat->followersCountString()->utf8(), "7");
}

TEST_F(OptionsMenu, TheBadgeActionsShowOrHideBothBadgesAtOnceAndAtTheNextOpening) {
  open();
  EXPECT_EQ(badges(), std::make_pair(CGFloat(1), CGFloat(1)));

  choose("Set not verified");
  EXPECT_EQ(badges(), std::make_pair(CGFloat(0), CGFloat(0)));
  // The screen's flag keeps what it loaded; only the badges and the store change.
  EXPECT_TRUE(chat->isVerified());
  EXPECT_FALSE(store->boolForKey(std::string(kUser) + "-isVerified", true));

  close();
  open();
  EXPECT_EQ(badges(), std::make_pair(CGFloat(0), CGFloat(0)));
  EXPECT_FALSE(chat->isVerified());

  choose("Set verified");
  EXPECT_EQ(badges(), std::make_pair(CGFloat(1), CGFloat(1)));
  EXPECT_TRUE(store->boolForKey(std::string(kUser) + "-isVerified", false));
}

TEST_F(OptionsMenu, StartIncomingCallSchedulesOneStepAfterTheStoredDelayOrTwoSeconds) {
  struct Case {
    const char* name;
    bool store;
    int64_t stored;
    double delay;
  };
  const std::vector<Case> cases = {
      {"nothing stored", false, 0, 2},
      {"a stored zero", true, 0, 2},
      {"a stored delay", true, 7, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.store) store->setFloat(c.stored, "incomingCallDelay");
    open();
    choose("Start incoming call");
    ASSERT_EQ(RunLoop::pendingCount(), 1u);
    const double due = *RunLoop::nextDueTime();
    EXPECT_EQ(chat->incomingCallDelay(), c.delay);
    // The step was scheduled when the sheet had gone, under a second ago.
    EXPECT_GT(due, Clock::now() + c.delay - 1);
    EXPECT_LE(due, Clock::now() + c.delay);

    RunLoop::advance(due - Clock::now() - 0.01);
    EXPECT_EQ(RunLoop::pendingCount(), 1u);
    RunLoop::advance(0.02);
    EXPECT_TRUE(chat->isRinging());
    // The banner lies over the back arrow until it is answered.
    chat->didCancelIncomingCallBanner();
    close();
  }
}

TEST_F(OptionsMenu, ChosenTwiceTwoIncomingCallsWaitAndHoldTheClosedScreenUntilTheyRun) {
  store->setFloat(7, "incomingCallDelay");
  open();

  choose("Start incoming call");
  choose("Start incoming call");
  std::weak_ptr<ParloFakeChatViewController> screen = chat;
  close();

  EXPECT_EQ(RunLoop::pendingCount(), 2u);
  RunLoop::advance(2);
  EXPECT_FALSE(screen.expired());
  RunLoop::advance(5);
  EXPECT_EQ(RunLoop::pendingCount(), 0u);
  EXPECT_TRUE(screen.expired());
}

TEST_F(OptionsMenu, SaveWritesTheChatAndDeleteRemovesTheFileThenEmptiesTheTable) {
  open();
  chat->sendTextMessageFromSender(NSString::string("See you at eight"));
  const fs::path file =
      *DeviceRoot::resolve(*ChatStore::storeWithUsername(NSString::string(kUser))->chatFilePath());

  choose("Save chat data");
  EXPECT_TRUE(fs::exists(file));

  choose("Delete chat data");
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(chat->currentMessages()->count(), 0u);
  EXPECT_EQ(chat->tableView()->numberOfRowsInSection(0), 0);
}

TEST_F(OptionsMenu, ADeleteDoesNotHoldTheScreenThroughItsHalfSecond) {
  open();
  chat->sendTextMessageFromSender(NSString::string("gone"));
  tapAndSettle(screenCentre(chat->usernameLabel()));
  auto button = visibleButtonTitled(window, "Delete chat data");
  ASSERT_TRUE(button);
  auto app = UIApplication::sharedApplication();
  app->touchDown(screenCentre(button));
  app->touchUp(screenCentre(button));
  // The sheet's dismissal runs the handler; the chat closes before the half second is up.
  RunLoop::advance(0.3);
  std::weak_ptr<ParloFakeChatViewController> screen = chat;
  chat->dismissViewControllerAnimated(false, nullptr);
  chat.reset();
  RunLoop::advance(0.1);

  EXPECT_TRUE(screen.expired());
  RunLoop::advance(1);
}

TEST_F(OptionsMenu, OpenSettingsShowsTheSettingsSheetOverTheChat) {
  open();

  choose("Open settings");

  auto settings =
      std::dynamic_pointer_cast<FakeCallSettingViewController>(chat->presentedViewController());
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->modalPresentationStyle(), UIModalPresentationAutomatic);
  EXPECT_FALSE(settings->navigationController());
}
