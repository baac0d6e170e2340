#include "PRLHomeViewController.h"

#include <vector>

#include "BrisvaleKit/BVTutorialData.h"
#include "BrisvaleKit/BVTutorialViewController.h"
#include "BrisvaleKit/BVUtilities.h"
#include "BrisvaleKit/UIView+Layout.h"
#include "PRLToggleView.h"
#include "Preferences/PSRootController.h"
#include "foundation/NSString.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIImage.h"

OBJC_CLASS_IMPL(PRLHomeViewController) {}

PS_EXPORT_ROOT_CONTROLLER(PRLHomeViewController)

void PRLHomeViewController::viewDidLoad() {
  BVPaidPrefsHomeViewController::viewDidLoad();

  auto config = BVPrefsConfig::alloc()->init();
  // A missing file gives no image, and the page shows its place empty.
  config->setHeroCover(UIImage::imageWithContentsOfFile(
      "/var/LIY/Brisvale/Preferences/ParloPrefs.bundle/Assets/Images/hero.png"));
  config->setHeroIcon(UIImage::imageWithContentsOfFile(
      "/var/LIY/Brisvale/Preferences/ParloPrefs.bundle/Assets/Images/icon.png"));
  config->setTweakName("Parlo");
  config->setTweakVersion("v1.3");
  config->setIsCategoriesAvailable(false);
  config->setSinglePrefsClassName("");
  config->setIsTutorialVideoAvailable(false);
  config_ = config;
  updateWithPrefsConfig(config_);

  auto toggle = PRLToggleView::alloc()->initWithFrame(CGRectZero);
  toggleContainerView()->addSubview(toggle);
  Layout::fill(toggle);
}

void PRLHomeViewController::presentTutorialVC() {
  BVUtilities::sharedInstance()->haptic(0);

  struct Entry {
    const char* icon;
    const char* text;
  };
  static const Entry entries[] = {
      {"timer", "Please take a few minutes of your time to read through to get started."},
      {"1.square.fill",
       "Enable the tweak, there\u2019s nothing to configure here, to do that you will need to "
       "launch the Instagram app and from messages, select or search any users you want to chat "
       "with, long press on their name on the top left next to the user\u2019s avatar profile. "},
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
       "Once the call begins, you can tap on the user\u2019s profile image from the call screen so "
       "then it will start playing the video you chose from the settings option, then you can "
       "click the video button to start the camera and it will look like both of you are talking "
       "a video call."},
      {"8.square.fill",
       "You can configure more options like set the followers count, post count, verfied, save "
       "or delete the chat data for individual users."},
      {"9.square.fill",
       "Press on the back button to dismiss fake chat, please remember it\u2019s not a real chat "
       "so nothing will be sent to the users and it\u2019s behaving exactly same as Instagram but "
       "with fake data."},
  };
  std::vector<std::shared_ptr<BVTutorialData>> tutorial;
  for (const Entry& entry : entries) {
    tutorial.push_back(BVTutorialData::alloc()->initWithDescription(entry.text, entry.icon));
  }

  // The page may be asked before its view loaded; the name then comes from a fresh load.
  const std::string name = config_ ? config_->tweakName() : std::string();
  auto subtitle =
      NSString::stringWithFormat("A walk through tutorial how to use %@", NSString::string(name));
  auto controller = BVTutorialViewController::alloc()->initWithTweakName(
      name, subtitle->UTF8String(), std::move(tutorial));
  presentViewController(controller, true, nullptr);
}

void PRLHomeViewController::pushPrefsVC() {
  auto alert = UIAlertController::alertControllerWithTitle(
      "Parlo",
      "You can't configure settings here, you will need to open Instagram app then open your "
      "messages. Select any chat and long press on the username at top next to the user's "
      "profile avatar and the pop up will appear so you can configure settings inside Instagram "
      "app.",
      UIAlertControllerStyleAlert);
  alert->addAction(UIAlertAction::actionWithTitle("Okay", UIAlertActionStyleDefault,
                                                  [](const std::shared_ptr<UIAlertAction>&) {}));
  presentViewController(alert, true, nullptr);
}
