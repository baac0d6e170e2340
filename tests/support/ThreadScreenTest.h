#pragma once

// What the tests of the chat screen and the screens it opens share: a thread screen in a key
// window on the manual clock, inside a device root whose host app has a Documents folder, and the
// fake chat opened from it as "Launch Fake Chat" in the title's alert opens it.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "TemporaryDeviceRoot.h"
#include "chat/ParloFakeChatViewController.h"
#include "foundation/RunLoop.h"
#include "hook/ThreadTitleHook.h"
#include "uikit/UIApplication.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIResponder.h"
#include "uikit/UIWindow.h"

namespace testsupport {

// A view's frame in screen points.
inline CGRect onScreen(const std::shared_ptr<UIView>& view) {
  return view->convertRectToView(view->bounds(), nullptr);
}

// Frames that agree to within a third of a point, what one device pixel at 3x leaves.
inline void expectFrameNear(CGRect actual, CGRect expected, const std::string& what = "",
                            CGFloat tolerance = 0.34) {
  EXPECT_NEAR(actual.origin.x, expected.origin.x, tolerance) << what;
  EXPECT_NEAR(actual.origin.y, expected.origin.y, tolerance) << what;
  EXPECT_NEAR(actual.size.width, expected.size.width, tolerance) << what;
  EXPECT_NEAR(actual.size.height, expected.size.height, tolerance) << what;
}

class ThreadScreenTest : public ::testing::Test {
 protected:
  ThreadScreenTest(std::string_view prefix, std::string_view home)
      : device_(prefix, home), home_(home) {}

  void SetUp() override {
    RunLoop::useManualClock();
    std::filesystem::create_directories(device_.host(home_ + "/Documents"));
    // The icons and symbols as the asset build renders them, when this build has them.
    device_.installEveryBuiltAsset(ScaleVariant::No);
    device_.installBuiltSymbols();

    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
    thread = UIViewController::alloc()->init();
    window->setRootViewController(thread);
    window->layoutIfNeeded();
  }

  // Lets what the test left running (presentations, fades, scheduled steps) finish before the
  // window goes, so nothing outlives the device root.
  void TearDown() override {
    if (auto responder = UIResponder::currentFirstResponder()) responder->resignFirstResponder();
    UIApplication::sharedApplication()->cancelAllTouches();
    RunLoop::advance(10);
    UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleUnspecified);
    chat.reset();
    window->setHidden(true);
    window.reset();
    thread.reset();
    ::recipientUsernameString.reset();
  }

  // "Launch Fake Chat" for `username` over the thread screen.
  void openChat(const std::string& username) {
    ::recipientUsernameString = NSString::string(username);
    ThreadTitleHook::launchFakeChat(thread, nullptr);
    RunLoop::advance(1);
    auto navigation =
        std::dynamic_pointer_cast<UINavigationController>(thread->presentedViewController());
    ASSERT_TRUE(navigation);
    chat = std::dynamic_pointer_cast<ParloFakeChatViewController>(navigation->topViewController());
    ASSERT_TRUE(chat);
    window->layoutIfNeeded();
  }

  // First, so that it outlives the screens.
  TemporaryDeviceRoot device_;
  std::string home_;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIViewController> thread;
  std::shared_ptr<ParloFakeChatViewController> chat;
};

}  // namespace testsupport
