#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "BrisvaleKit/BVPrefsManager.h"
#include "TemporaryDeviceRoot.h"
#include "foundation/NSArray.h"
#include "foundation/NSBundle.h"
#include "foundation/NSData.h"
#include "foundation/RunLoop.h"
#include "hook/ThreadTitleHook.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"
#include "uikit/UIButtonLabel.h"
#include "uikit/UILongPressGestureRecognizer.h"
#include "uikit/UIWindow.h"

// Stand-ins for the host app's classes, registered under the names the hook looks up. Like the
// host's, the base thread screen here has no `_users`; ThreadScreenWithUsers adds it.
class IGDirectLeftAlignedTitleView : public UIView {
  OBJC_CLASS(IGDirectLeftAlignedTitleView, UIView);
};
class TitleViewSubclass : public IGDirectLeftAlignedTitleView {
  OBJC_CLASS(TitleViewSubclass, IGDirectLeftAlignedTitleView);
};
class IGDirectThreadViewController : public UIViewController {
  OBJC_CLASS(IGDirectThreadViewController, UIViewController);
};
class ThreadScreenWithUsers : public IGDirectThreadViewController {
  OBJC_CLASS(ThreadScreenWithUsers, IGDirectThreadViewController);

 public:
  std::shared_ptr<NSArray> users;
};
class OtherScreen : public UIViewController {
  OBJC_CLASS(OtherScreen, UIViewController);
};

// A user of a thread; it counts how often it is asked for its avatar address.
class StandInUser : public NSObject {
  OBJC_CLASS(StandInUser, NSObject);

 public:
  static std::shared_ptr<StandInUser> make(const std::string& name, const std::string& url) {
    auto user = alloc();
    user->name_ = NSString::string(name);
    user->url_ = NSURL::URLWithString(url);
    return user;
  }
  std::shared_ptr<NSString> username() const { return name_; }
  std::shared_ptr<NSURL> profilePicURL() {
    ++avatarRequests;
    return url_;
  }

  int avatarRequests = 0;

 private:
  std::shared_ptr<NSString> name_;
  std::shared_ptr<NSURL> url_;
};

OBJC_CLASS_IMPL(IGDirectLeftAlignedTitleView) {}
OBJC_CLASS_IMPL(TitleViewSubclass) {}
OBJC_CLASS_IMPL(IGDirectThreadViewController) {}
OBJC_CLASS_IMPL(ThreadScreenWithUsers) {
  c.ivar("_users", &ThreadScreenWithUsers::users);
}
OBJC_CLASS_IMPL(OtherScreen) {}
OBJC_CLASS_IMPL(StandInUser) {
  c.method("username", &StandInUser::username).method("profilePicURL", &StandInUser::profilePicURL);
}

namespace {

// The host app's category method: the controller that owns a view, up the responder chain.
id viewControllerOfView(const id& self, SEL) {
  auto view = std::dynamic_pointer_cast<UIView>(self);
  for (auto responder = view ? view->nextResponder() : nullptr; responder;
       responder = responder->nextResponder()) {
    if (std::dynamic_pointer_cast<UIViewController>(responder)) return responder;
  }
  return nullptr;
}

const char* const kDomain = "com.brisvale.ParloPrefs";

// An address on 127.0.0.1 where nothing listens: bound once to learn a free port, then closed.
std::string closedLoopbackURL() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/avatar.jpg";
}

class ThreadTitle : public testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    BVPrefsManager::sharedInstance()->setBool(true, "toggleParlo", kDomain);
    NSBundle::setMainBundleIdentifier("com.burbn.instagram");
    IMP viewController(&viewControllerOfView);
    class_addMethod(UIView::classObject(), "viewController", viewController,
                    viewController.types());
    ThreadTitleHook::load();
  }

  void TearDown() override {
    UIApplication::sharedApplication()->cancelAllTouches();
    closeWindow();
  }

  // Dismisses what the shown screen presents and lets the transitions finish, so that nothing
  // of one screen is left mid-animation when the next one is shown.
  void closeWindow() {
    if (!window_) return;
    if (auto root = window_->rootViewController(); root && root->presentedViewController()) {
      root->dismissViewControllerAnimated(false, nullptr);
    }
    RunLoop::advance(1);
    window_->setHidden(true);
    window_.reset();
  }

  // Shows `screen` in a window of its own (in place of the previous one, with whatever that one
  // presents), with a title view holding the title button, and lays it out, which gives the
  // button's label its frame.
  std::shared_ptr<UIButton> showThread(const std::shared_ptr<UIViewController>& screen,
                                       const std::shared_ptr<UIView>& titleView) {
    closeWindow();
    window_ = UIWindow::alloc()->init();
    window_->makeKeyAndVisible();
    titleView->initWithFrame({{100, 60}, {190, 44}});
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setTitle("alice", UIControlStateNormal);
    button->setFrame({{0, 0}, {190, 44}});
    titleView->addSubview(button);
    screen->view()->addSubview(titleView);
    window_->setRootViewController(screen);
    window_->layoutIfNeeded();
    return button;
  }

  std::shared_ptr<ThreadScreenWithUsers> threadWith(std::vector<id> users) {
    auto screen = ThreadScreenWithUsers::alloc();
    screen->init();
    screen->users = NSArray::arrayWithObjects(std::move(users));
    return screen;
  }

  static std::shared_ptr<UIView> titleView() { return IGDirectLeftAlignedTitleView::alloc(); }

  void press(double seconds, bool moveWhileDown = false) {
    auto app = UIApplication::sharedApplication();
    app->touchDown({195, 82});
    RunLoop::advance(seconds);
    if (moveWhileDown) {
      app->touchMove({199, 82});
      app->touchMove({195, 84});
    }
    app->touchUp({195, 84});
    RunLoop::advance(1);
  }

  static std::vector<std::shared_ptr<UILongPressGestureRecognizer>> longPresses(
      const std::shared_ptr<UIView>& view) {
    std::vector<std::shared_ptr<UILongPressGestureRecognizer>> found;
    for (auto& recognizer : view->gestureRecognizers()) {
      if (auto press = std::dynamic_pointer_cast<UILongPressGestureRecognizer>(recognizer)) {
        found.push_back(press);
      }
    }
    return found;
  }

  static std::shared_ptr<UIAlertController> alertOver(
      const std::shared_ptr<UIViewController>& screen) {
    return std::dynamic_pointer_cast<UIAlertController>(screen->presentedViewController());
  }

  // First, so that it outlives the screens.
  testsupport::TemporaryDeviceRoot device_{"parlo-hook"};
  std::shared_ptr<UIWindow> window_;
};

TEST_F(ThreadTitle, APressHeldPastTwoSecondsOpensTheOptionsAlertAndAShorterOneNothing) {
  for (double hold : {1.9, 2.1}) {
    auto alice = StandInUser::make("alice", "file:///var/mobile/avatars/alice.jpg");
    auto screen = threadWith({alice});
    auto button = showThread(screen, titleView());

    press(hold);

    auto alert = alertOver(screen);
    if (hold < 2) {
      EXPECT_EQ(alert, nullptr);
      continue;
    }
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Parlo");
    EXPECT_EQ(alert->message(), "Choose options...");
    EXPECT_EQ(alert->preferredStyle(), UIAlertControllerStyleAlert);
    std::vector<std::pair<std::string, UIAlertActionStyle>> actions;
    for (auto& action : alert->actions()) actions.emplace_back(action->title(), action->style());
    EXPECT_EQ(actions, (std::vector<std::pair<std::string, UIAlertActionStyle>>{
                           {"Launch Fake Chat", UIAlertActionStyleDefault},
                           {"Open Settings", UIAlertActionStyleDefault},
                           {"Cancel", UIAlertActionStyleCancel}}));
    ASSERT_TRUE(recipientUsernameString);
    EXPECT_EQ(recipientUsernameString->UTF8String(), std::string("alice"));
    ASSERT_TRUE(recipientAvatarURL);
    EXPECT_EQ(recipientAvatarURL->absoluteString(), "file:///var/mobile/avatars/alice.jpg");
  }
}

TEST_F(ThreadTitle, OnePressAsksForTheAvatarOnceThoughTheRecogniserReportsEachChange) {
  auto alice = StandInUser::make("alice", "file:///var/mobile/avatars/alice.jpg");
  auto screen = threadWith({alice});
  showThread(screen, titleView());

  press(2.1, /*moveWhileDown=*/true);

  EXPECT_EQ(alice->avatarRequests, 1);
  EXPECT_NE(alertOver(screen), nullptr);
}

TEST_F(ThreadTitle, TheTitleLabelGetsOneTwoSecondRecogniserHoweverOftenItsFrameChanges) {
  auto screen = threadWith({StandInUser::make("alice", "file:///none")});
  auto button = showThread(screen, titleView());
  auto label = button->titleLabel();

  for (int i = 0; i < 5; ++i) label->setFrame({{0, 0}, {100.0 + i, 20}});
  button->setNeedsLayout();
  window_->layoutIfNeeded();

  auto presses = longPresses(button);
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_DOUBLE_EQ(presses[0]->minimumPressDuration(), 2.0);
  EXPECT_TRUE(objc_msgSend<bool>(label, "igTweakAddedGesture"));
  EXPECT_TRUE(ThreadTitleHook::isEnabled());
}

TEST_F(ThreadTitle, OnlyTheExactTitleViewClassOnAThreadScreenInTheHostAppGetsARecogniser) {
  struct Case {
    const char* name;
    std::shared_ptr<UIViewController> screen;
    std::shared_ptr<UIView> titleView;
    const char* bundle;
  };
  auto thread = [this] { return threadWith({StandInUser::make("alice", "file:///none")}); };
  auto other = OtherScreen::alloc();
  other->init();
  std::vector<Case> cases = {
      {"title view subclass", thread(), TitleViewSubclass::alloc(), "com.burbn.instagram"},
      {"not a thread screen", other, titleView(), "com.burbn.instagram"},
      {"another app", thread(), titleView(), "com.example.other"},
  };

  for (const Case& c : cases) {
    NSBundle::setMainBundleIdentifier(c.bundle);
    auto button = showThread(c.screen, c.titleView);

    press(2.1);

    EXPECT_TRUE(longPresses(button).empty()) << c.name;
    EXPECT_FALSE(objc_msgSend<bool>(button->titleLabel(), "igTweakAddedGesture")) << c.name;
    EXPECT_EQ(c.screen->presentedViewController(), nullptr) << c.name;
  }
}

TEST_F(ThreadTitle, TheRecipientIsTheFirstUserOrNoneWithoutUsers) {
  auto first = StandInUser::make("first", "file:///var/mobile/first.jpg");
  auto second = StandInUser::make("second", "file:///var/mobile/second.jpg");
  auto several = threadWith({first, second});
  showThread(several, titleView());
  press(2.1);
  ASSERT_TRUE(recipientUsernameString);
  EXPECT_EQ(recipientUsernameString->UTF8String(), std::string("first"));
  EXPECT_EQ(second->avatarRequests, 0);

  // The host's own thread screen class lacks `_users` here; it reads as an empty list.
  auto bare = IGDirectThreadViewController::alloc();
  bare->init();
  showThread(bare, titleView());
  press(2.1);
  EXPECT_EQ(recipientUsernameString, nullptr);
  EXPECT_EQ(recipientAvatarURL, nullptr);
  EXPECT_NE(alertOver(bare), nullptr);

  auto empty = threadWith({});
  showThread(empty, titleView());
  press(2.1);
  EXPECT_EQ(recipientUsernameString, nullptr);
  EXPECT_NE(alertOver(empty), nullptr);
}

TEST_F(ThreadTitle, AnAvatarThatCannotBeLoadedStillOpensTheAlert) {
  for (const std::string& url :
       {std::string("file:///var/mobile/no-such-avatar.jpg"), closedLoopbackURL()}) {
    auto screen = threadWith({StandInUser::make("alice", url)});
    showThread(screen, titleView());

    press(2.1);

    EXPECT_NE(alertOver(screen), nullptr) << url;
    ASSERT_TRUE(recipientAvatarURL) << url;
    EXPECT_EQ(recipientAvatarURL->absoluteString(), url);
  }
}

TEST(AvatarLoading, AServerThatNeverAnswersGivesNilOnceTheTimeOutPasses) {
  // Listening without ever accepting: the connection opens, and no reply ever comes.
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(fd, 4), 0);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  auto url = NSURL::URLWithString("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                                  "/avatar.jpg");

  EXPECT_EQ(NSData::dataWithContentsOfURL(url, 0.3), nullptr);
  close(fd);
}

// Run only in a child process started by the next test, with the device root in the environment:
// loading the add-on there shows what a fresh host app would get.
TEST(TweakLoading, DISABLED_InAFreshProcess) {
  NSBundle::setMainBundleIdentifier("com.burbn.instagram");
  bool expectHooked = std::string(getenv("PARLO_EXPECT_HOOKED")) == "1";

  ThreadTitleHook::load();

  Class label = UIButtonLabel::classObject();
  EXPECT_EQ(ThreadTitleHook::isEnabled(), expectHooked);
  for (const char* added :
       {"presentSettingAlertController", "igTweakAddedGesture", "setIgTweakAddedGesture:"}) {
    EXPECT_EQ(class_respondsToSelector(label, added), expectHooked) << added;
  }
  bool ownSetFrame = class_getInstanceMethod(label, "setFrame:") !=
                     class_getInstanceMethod(UIView::classObject(), "setFrame:");
  EXPECT_EQ(ownSetFrame, expectHooked);
}

TEST(TweakLoading, WithTheSwitchOffOrUnsetNothingIsHooked) {
  struct Case {
    const char* name;
    int stored;  // -1: nothing stored
    bool hooked;
  };
  for (const Case& c : {Case{"unset", -1, false}, Case{"off", 0, false}, Case{"on", 1, true}}) {
    testsupport::TemporaryDeviceRoot device("parlo-hook");
    if (c.stored >= 0) BVPrefsManager::sharedInstance()->setBool(c.stored, "toggleParlo", kDomain);

    pid_t child = fork();
    if (child == 0) {
      setenv("PARLO_DEVICE_ROOT", device.string().c_str(), 1);
      setenv("PARLO_EXPECT_HOOKED", c.hooked ? "1" : "0", 1);
      execl("/proc/self/exe", "HookTests", "--gtest_also_run_disabled_tests",
            "--gtest_filter=TweakLoading.DISABLED_InAFreshProcess", static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.name;
  }
}

}  // namespace
