// What the options alert's two screen entries open.

#include "chat/ParloFakeChatViewController.h"
#include "foundation/NSData.h"
#include "foundation/NSLog.h"
#include "hook/ThreadTitleHook.h"
#include "settings/FakeCallSettingViewController.h"
#include "uikit/UIImage.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIViewController.h"

namespace ThreadTitleHook {

void launchFakeChat(const std::shared_ptr<UIViewController>& threadScreen,
                    const std::shared_ptr<NSData>& avatarData) {
  // No data, or data that is not an image, opens the chat without an avatar.
  std::shared_ptr<UIImage> avatar = avatarData ? UIImage::imageWithData(avatarData) : nullptr;
  // Tools and host scripts follow the launch by this line.
  NSLog("Parlo: Launch Fake Chat for %s (%s avatar) over %s",
        recipientUsernameString ? recipientUsernameString->UTF8String() : "nobody",
        avatar ? "with" : "without", threadScreen ? threadScreen->description().c_str() : "nil");
  auto chat =
      ParloFakeChatViewController::alloc()->initWithUsername(recipientUsernameString, avatar);
  auto navigation = UINavigationController::alloc()->initWithRootViewController(chat);
  navigation->setModalPresentationStyle(UIModalPresentationFullScreen);
  if (threadScreen) threadScreen->presentViewController(navigation, true, nullptr);
}

void openSettings(const std::shared_ptr<UIViewController>& threadScreen) {
  // Directly, in the default style: a card sheet the user can also swipe away.
  if (threadScreen) {
    threadScreen->presentViewController(FakeCallSettingViewController::alloc()->init(), true,
                                        nullptr);
  }
}

}  // namespace ThreadTitleHook
