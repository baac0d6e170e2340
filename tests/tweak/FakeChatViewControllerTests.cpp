#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "TemporaryDeviceRoot.h"
#include "TestFiles.h"
#include "ThreadScreenTest.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatStore.h"
#include "chat/IncomingChatCell.h"
#include "chat/OutgoingChatCell.h"
#include "chat/ParloFakeChatViewController.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/RunLoop.h"
#include "hook/ThreadTitleHook.h"
#include "render/Renderer.h"
#include "settings/SettingManager.h"
#include "uikit/NSValue.h"
#include "uikit/UIAlertAction.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIApplication.h"
#include "uikit/UIImpactFeedbackGenerator.h"
#include "uikit/UIKeyboard.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIWindow.h"

namespace {

namespace fs = std::filesystem;
using testsupport::onScreen;

constexpr CGFloat kWidth = 390, kHeight = 844;
constexpr CGFloat kPixel = 0.34;
constexpr const char* kUser = "maya.lindqvist";
constexpr const char* kHome = "/var/mobile/Containers/Data/Application/FAKECHAT-TEST";

class FakeChat : public testsupport::ThreadScreenTest {
 protected:
  FakeChat() : ThreadScreenTest("parlo-fakechat", kHome) {}

  void SetUp() override {
    ThreadScreenTest::SetUp();
    UIImpactFeedbackGenerator::clearRecordedImpacts();
  }

  // "Launch Fake Chat" from the thread's options alert: full screen, without the platform's bar.
  void open() {
    openChat(kUser);
    ASSERT_TRUE(chat);
    auto navigation = chat->navigationController();
    ASSERT_TRUE(navigation);
    EXPECT_EQ(navigation->modalPresentationStyle(), UIModalPresentationFullScreen);
    EXPECT_TRUE(navigation->isNavigationBarHidden());
  }

  // The back arrow.
  void close() {
    tapCentre(chat->backBtn());
    RunLoop::advance(1);
  }

  static void tap(CGPoint point) {
    auto app = UIApplication::sharedApplication();
    app->touchDown(point);
    RunLoop::advance(0.05);
    app->touchUp(point);
    RunLoop::advance(0.05);
  }

  static CGPoint centre(const std::shared_ptr<UIView>& view) {
    const CGRect frame = onScreen(view);
    return CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame));
  }

  static void tapCentre(const std::shared_ptr<UIView>& view) {
    tap(centre(view));
    RunLoop::advance(0.5);
  }

  static void doubleTap(CGPoint point) {
    tap(point);
    tap(point);
    RunLoop::advance(0.5);
  }

  static void press(CGPoint point, double seconds) {
    auto app = UIApplication::sharedApplication();
    app->touchDown(point);
    RunLoop::advance(seconds);
    app->touchUp(point);
    RunLoop::advance(0.5);
  }

  // Types into the input bar and sends: from the user with "Send", from the other user with the
  // camera icon.
  void send(const std::string& text, bool fromRecipient) {
    auto bar = chat->chatInputView();
    if (!bar->isActive()) {
      const CGRect field = bar->textView()->frame();
      tap(bar->convertPointToView(CGPointMake(200, CGRectGetMidY(field)), nullptr));
      RunLoop::advance(0.5);
    }
    UIKeyboard::shared().type(text);
    tapCentre(fromRecipient ? std::shared_ptr<UIView>(bar->cameraImage())
                            : std::shared_ptr<UIView>(bar->sendBtn()));
    window->layoutIfNeeded();
  }

  // A tap beside the profile block, on the screen's own view, puts the keyboard away.
  void dismissKeyboard() {
    tap(CGPointMake(20, 160));
    RunLoop::advance(1);
    ASSERT_FALSE(UIKeyboard::shared().isVisible());
    window->layoutIfNeeded();
  }

  std::shared_ptr<UITableViewCell> cell(long row) {
    window->layoutIfNeeded();
    return chat->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
  }

  CGFloat rowHeight(long row) {
    return chat->tableView()
        ->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0))
        .size.height;
  }

  std::shared_ptr<ChatDataModel> record(long row) {
    return std::dynamic_pointer_cast<ChatDataModel>(
        chat->currentMessages()->objectAtIndex(static_cast<NSUInteger>(row)));
  }

  fs::path chatFile() {
    return *DeviceRoot::resolve(
        *ChatStore::storeWithUsername(NSString::string(kUser))->chatFilePath());
  }

  std::shared_ptr<UIAlertController> alert() {
    return std::dynamic_pointer_cast<UIAlertController>(chat->presentedViewController());
  }

  void choose(const std::string& title) {
    auto shown = alert();
    ASSERT_TRUE(shown);
    for (const auto& action : shown->actions()) {
      if (action->title() != title) continue;
      shown->dismissViewControllerAnimated(true, nullptr);
      if (action->handler()) action->handler()(action);
    }
    RunLoop::advance(1);
    window->layoutIfNeeded();
  }

  void snapshot(const std::string& name) {
    const char* dir = getenv("PARLO_CHAT_SNAPSHOTS");
    if (!dir) return;
    fs::create_directories(dir);
    window->layoutIfNeeded();
    RunLoop::advance(1);
    EXPECT_TRUE(render::writeScreenPNG((fs::path(dir) / (name + ".png")).string()));
  }
};

TEST_F(FakeChat, TheBarAndBannerOpenAboveAnEmptyTable) {
  open();
  EXPECT_EQ(chat->currentMessages()->count(), 0u);
  EXPECT_EQ(onScreen(chat->navbarView()), CGRectMake(0, 0, kWidth, 100));

  const CGRect back = onScreen(chat->backBtn());
  EXPECT_EQ(back, CGRectMake(5, 53, 40, 40));
  const CGRect avatar = onScreen(chat->avatarImage());
  EXPECT_EQ(avatar.size, CGSizeMake(32, 32));
  EXPECT_NEAR(avatar.origin.x, CGRectGetMaxX(back) + 12, kPixel);
  const CGRect name = onScreen(chat->usernameLabel());
  EXPECT_NEAR(name.origin.x, CGRectGetMaxX(avatar) + 10, kPixel);
  EXPECT_NEAR(CGRectGetMidY(name), CGRectGetMidY(avatar), kPixel);
  const CGRect badge = onScreen(chat->verifiedImage());
  EXPECT_NEAR(badge.origin.x, CGRectGetMaxX(name) + 2, kPixel);
  EXPECT_EQ(chat->verifiedImage()->alpha(), 1.0);
  EXPECT_NEAR(CGRectGetMaxX(onScreen(chat->videoBtn())), kWidth - 10, kPixel);
  EXPECT_NEAR(CGRectGetMaxX(onScreen(chat->audioBtn())), kWidth - 10 - 40 - 7, kPixel);
  EXPECT_EQ(chat->joinCallView()->alpha(), 0.0);

  // The profile block heads the table, with the stored (here default) counts.
  EXPECT_EQ(chat->bannerView()->frame().size.height, 278);
  auto banner = chat->introBannerView();
  EXPECT_EQ(banner->followTitleLabel()->text()->utf8(), "35.5K followers \u2022 5.3K posts");
  EXPECT_EQ(banner->followSubtitleLabel()->text()->utf8(), "You follow each other on Instagram");
  EXPECT_EQ(onScreen(banner->avatarImage()).origin.y, 120);

  EXPECT_EQ(chat->tableView()->contentInset(), UIEdgeInsetsMake(100, 0, 95, 0));
  EXPECT_NEAR(CGRectGetMaxY(chat->chatInputView()->frame()), kHeight - 40, kPixel);
  snapshot("chat-empty-light");
  UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleDark);
  snapshot("chat-empty-dark");
}

TEST_F(FakeChat, TheFollowLineAndBadgeComeFromTheSettings) {
  auto settings = SettingManager::sharedInstance();
  settings->setBool(false, "followEachOther");
  settings->setBool(false, std::string(kUser) + "-isVerified");
  settings->setObject(NSString::string("1.2M"), std::string(kUser) + "-followersCount");
  open();
  auto banner = chat->introBannerView();
  EXPECT_EQ(banner->followSubtitleLabel()->text()->utf8(),
            "You don't follow each other on Instagram");
  EXPECT_EQ(banner->followTitleLabel()->text()->utf8(), "1.2M followers \u2022 5.3K posts");
  EXPECT_EQ(chat->verifiedImage()->alpha(), 0.0);
  EXPECT_EQ(banner->verifiedImage()->alpha(), 0.0);
  EXPECT_NEAR(CGRectGetMidX(onScreen(banner->usernameLabel())), kWidth / 2, kPixel);
}

TEST_F(FakeChat, SendingFromBothSidesKeepsTheAvatarBesideTheLatestIncomingText) {
  open();
  send("Are you coming tonight?", true);
  send("Bring snacks", true);
  send("And the charger", true);
  send("Sure, on my way", false);
  ASSERT_EQ(chat->currentMessages()->count(), 4u);
  for (long row = 0; row < 3; ++row) {
    SCOPED_TRACE(row);
    EXPECT_TRUE(record(row)->isType(ChatMessageType::Incoming));
    EXPECT_EQ(record(row)->showAvatar, row == 2);
    auto incoming = std::dynamic_pointer_cast<IncomingChatCell>(cell(row));
    ASSERT_TRUE(incoming);
    EXPECT_EQ(incoming->avatarImage()->alpha(), row == 2 ? 1.0 : 0.0);
  }
  EXPECT_TRUE(record(3)->isType(ChatMessageType::Outgoing));
  EXPECT_EQ(record(3)->message->utf8(), "Sure, on my way");
  EXPECT_TRUE(std::dynamic_pointer_cast<OutgoingChatCell>(cell(3)));
  // Sending writes nothing.
  EXPECT_FALSE(fs::exists(chatFile()));
}

TEST_F(FakeChat, ADoubleTapLikesWithOneHapticAndASecondUnlikes) {
  open();
  send("Look at this", false);
  dismissKeyboard();
  const CGFloat plain = rowHeight(0);
  auto bubble = std::dynamic_pointer_cast<OutgoingChatCell>(cell(0));
  ASSERT_TRUE(bubble);

  doubleTap(centre(bubble->baseView()));
  EXPECT_TRUE(record(0)->showLike);
  EXPECT_EQ(rowHeight(0), plain + 14);
  ASSERT_EQ(UIImpactFeedbackGenerator::recordedImpacts().size(), 1u);
  EXPECT_EQ(chat->haptic()->style(), UIImpactFeedbackStyleLight);
  auto liked = std::dynamic_pointer_cast<OutgoingChatCell>(cell(0));
  EXPECT_EQ(liked->likeView()->alpha(), 1.0);
  snapshot("chat-liked-light");

  doubleTap(centre(liked->baseView()));
  EXPECT_FALSE(record(0)->showLike);
  EXPECT_EQ(rowHeight(0), plain);
  EXPECT_EQ(UIImpactFeedbackGenerator::recordedImpacts().size(), 1u);
}

TEST_F(FakeChat, GesturesOnARowTheListNoLongerHasDoNothing) {
  open();
  send("gone soon", false);
  dismissKeyboard();
  auto bubble = std::dynamic_pointer_cast<OutgoingChatCell>(cell(0));
  ASSERT_TRUE(bubble);
  const CGPoint point = centre(bubble->baseView());
  // Emptied behind the table's back, as a delayed delete of the chat data does before reloading.
  chat->currentMessages()->removeAllObjects();
  doubleTap(point);
  press(point, 0.35);
  EXPECT_TRUE(UIImpactFeedbackGenerator::recordedImpacts().empty());
  EXPECT_FALSE(alert());
  EXPECT_EQ(chat->currentMessages()->count(), 0u);
}

TEST_F(FakeChat, TimeWithFormatGivesHoursAndMinutes) {
  const std::string time = ParloFakeChatViewController::timeWithFormat("HH:mm")->utf8();
  ASSERT_EQ(time.size(), 5u);
  EXPECT_EQ(time[2], ':');
}

TEST_F(FakeChat, ALongPressAsksBeforeDeletingAndANewerListIsLeftAlone) {
  open();
  send("first", false);
  send("second", false);
  dismissKeyboard();

  // Shorter than the press the gesture needs: nothing.
  press(centre(std::dynamic_pointer_cast<OutgoingChatCell>(cell(0))->baseView()), 0.2);
  EXPECT_FALSE(alert());

  press(centre(std::dynamic_pointer_cast<OutgoingChatCell>(cell(0))->baseView()), 0.35);
  ASSERT_TRUE(alert());
  EXPECT_EQ(alert()->title(), "Delete Action");
  EXPECT_EQ(alert()->message(), "Are you sure you want to delete this message?");
  choose("Cancel");
  EXPECT_EQ(chat->currentMessages()->count(), 2u);

  press(centre(std::dynamic_pointer_cast<OutgoingChatCell>(cell(0))->baseView()), 0.35);
  choose("Delete");
  ASSERT_EQ(chat->currentMessages()->count(), 1u);
  EXPECT_EQ(record(0)->message->utf8(), "second");

  // The list changes while the alert is up: "Delete" no longer finds its record and removes
  // nothing, not the record that took its row.
  press(centre(std::dynamic_pointer_cast<OutgoingChatCell>(cell(0))->baseView()), 0.35);
  ASSERT_TRUE(alert());
  chat->currentMessages()->removeAllObjects();
  chat->sendTextMessageFromSender(NSString::string("third"));
  choose("Delete");
  ASSERT_EQ(chat->currentMessages()->count(), 1u);
  EXPECT_EQ(record(0)->message->utf8(), "third");
}

TEST_F(FakeChat, TheKeyboardLiftsTheInputBarAndTheInsetReturnsTo95) {
  open();
  send("one", false);
  auto bar = chat->chatInputView();
  const CGRect keyboard = UIKeyboard::shared().frameInScreen();
  EXPECT_NEAR(CGRectGetMaxY(bar->frame()), keyboard.origin.y, kPixel);
  EXPECT_EQ(chat->keyboardHeight(), keyboard.size.height);
  EXPECT_EQ(chat->tableView()->contentInset().bottom,
            keyboard.size.height + bar->frame().size.height + 10);
  // The last message stays in view above the bar.
  EXPECT_LE(CGRectGetMaxY(onScreen(cell(0))), keyboard.origin.y);
  snapshot("chat-keyboard-light");

  dismissKeyboard();
  EXPECT_EQ(chat->tableView()->contentInset().bottom, 95);
  EXPECT_NEAR(CGRectGetMaxY(bar->frame()), kHeight - 35, kPixel);
}

TEST_F(FakeChat, ClosingSavesAndReopeningShowsTheLastRow) {
  open();
  for (int i = 0; i < 12; ++i) send("message " + std::to_string(i), i % 2 == 0);
  dismissKeyboard();
  std::weak_ptr<ParloFakeChatViewController> closed = chat;
  close();
  EXPECT_FALSE(thread->presentedViewController());
  chat.reset();
  RunLoop::advance(1);
  // Nothing the screen handed itself to keeps it.
  EXPECT_TRUE(closed.expired());
  ASSERT_TRUE(fs::exists(chatFile()));

  open();
  ASSERT_EQ(chat->currentMessages()->count(), 12u);
  EXPECT_EQ(record(11)->message->utf8(), "message 11");
  auto table = chat->tableView();
  const CGRect last = table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(11, 0));
  const CGFloat visibleBottom =
      table->contentOffset().y + table->bounds().size.height - table->contentInset().bottom;
  EXPECT_NEAR(CGRectGetMaxY(last), visibleBottom, 1);
}

TEST_F(FakeChat, WithAutosaveOffTheVideoButtonClosesAndTheFileStays) {
  open();
  send("kept", false);
  dismissKeyboard();
  close();
  const std::string saved = testsupport::readFile(chatFile());
  ASSERT_FALSE(saved.empty());

  SettingManager::sharedInstance()->setBool(false, "autoSaveMessage");
  open();
  send("not kept", true);
  dismissKeyboard();
  tapCentre(chat->videoBtn());
  RunLoop::advance(1);
  EXPECT_FALSE(thread->presentedViewController());
  EXPECT_EQ(testsupport::readFile(chatFile()), saved);
}

TEST_F(FakeChat, AClosedScreenHearsNoKeyboard) {
  open();
  std::weak_ptr<ParloFakeChatViewController> closed = chat;
  close();
  chat.reset();
  RunLoop::advance(1);
  ASSERT_TRUE(closed.expired());
  // A keyboard coming up elsewhere reaches no released screen.
  auto info = NSMutableDictionary::dictionary();
  info->setObject(NSValue::valueWithCGRect(CGRectMake(0, 508, kWidth, 336)),
                  NSString::string(UIKeyboardFrameEndUserInfoKey));
  NSNotificationCenter::defaultCenter()->postNotificationName(UIKeyboardWillShowNotification,
                                                              nullptr, info);
}

TEST_F(FakeChat, ABubbleChatLoadedFromTheFileInBothAppearances) {
  auto store = ChatStore::storeWithUsername(NSString::string(kUser));
  auto records = NSMutableArray::array();
  auto add = [&](std::string_view text, std::string_view type, bool avatar, bool like) {
    records->addObject(ChatDataModel::alloc()->initWithMessage(text, type, avatar, like, false));
  };
  add("Today 17:16", ChatMessageType::TimeHeader, false, false);
  add("Hey! Did you see the photos from Saturday?", ChatMessageType::Incoming, false, false);
  add("They came out great", ChatMessageType::Incoming, true, true);
  add("Yes!! The one by the lake is my favourite", ChatMessageType::Outgoing, false, false);
  add("Audio call", ChatMessageType::OutgoingStartCall, false, false);
  add("3:12", ChatMessageType::OutgoingEndedCall, false, false);
  add("Missed call", ChatMessageType::IncomingEndedCall, false, false);
  ASSERT_TRUE(store->saveChatData(records));
  open();
  EXPECT_EQ(chat->currentMessages()->count(), 7u);
  EXPECT_EQ(rowHeight(0), 40);
  EXPECT_EQ(rowHeight(4), 73);
  snapshot("chat-bubbles-light");
  UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleDark);
  snapshot("chat-bubbles-dark");
}

}  // namespace

TEST_F(FakeChat, ACellReusedAcrossReloadsKeepsOneLikeAndOnePressRecogniser) {
  open();
  send("First", false);
  send("Second", true);
  for (int i = 0; i < 4; ++i) {
    chat->tableView()->reloadData();
    window->layoutIfNeeded();
  }
  dismissKeyboard();
  auto bubble = std::dynamic_pointer_cast<OutgoingChatCell>(cell(0));
  ASSERT_TRUE(bubble);

  EXPECT_EQ(bubble->gestureRecognizers().size(), 2u);
  EXPECT_EQ(cell(1)->gestureRecognizers().size(), 2u);
  doubleTap(centre(bubble->baseView()));
  EXPECT_TRUE(record(0)->showLike) << "every copy of the recogniser toggles the like once";
  EXPECT_EQ(UIImpactFeedbackGenerator::recordedImpacts().size(), 1u);
}
