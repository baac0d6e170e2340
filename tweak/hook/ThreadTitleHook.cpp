#include "hook/ThreadTitleHook.h"

#include <string>

#include "BrisvaleKit/BVPrefsManager.h"
#include "foundation/NSArray.h"
#include "foundation/NSBundle.h"
#include "foundation/NSData.h"
#include "foundation/NSNumber.h"
#include "runtime/Substrate.h"
#include "runtime/objc.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIButtonLabel.h"
#include "uikit/UILongPressGestureRecognizer.h"
#include "uikit/UIViewController.h"

std::shared_ptr<NSString> recipientUsernameString;
std::shared_ptr<NSURL> recipientAvatarURL;

namespace {

bool enableFlag = false;
IMP originalSetFrame;

// Keys of the label's associated objects: only their addresses matter, and writable objects
// are never merged, so each address is unique.
char addedGestureKey;
// The recogniser the flag stands for, held weakly, so the handler can see which state sent it.
char recognizerKey;

// Sends a message that returns an object to something of the host app's. Whatever the host
// does not answer, or answers with another signature, reads as nil rather than bringing the
// host app down.
id sendForObject(const id& receiver, SEL selector) {
  if (!receiver || !receiver->respondsToSelector(selector)) return nullptr;
  try {
    return objc_msgSend<id>(receiver, selector);
  } catch (const objc::RuntimeError&) {
    return nullptr;
  }
}

// The thread screen's users; a screen without `_users`, or with something else there, has none.
std::shared_ptr<NSArray> threadUsers(const id& threadScreen) {
  if (!threadScreen) return nullptr;
  Ivar users = class_getInstanceVariable(object_getClass(threadScreen), "_users");
  if (!users) return nullptr;
  return std::dynamic_pointer_cast<NSArray>(object_getIvar(threadScreen, users));
}

bool igTweakAddedGesture(const id& self, SEL) {
  auto flag = std::dynamic_pointer_cast<NSNumber>(objc_getAssociatedObject(self, &addedGestureKey));
  return flag && flag->boolValue();
}

void setIgTweakAddedGesture(const id& self, SEL, bool added) {
  objc_setAssociatedObject(self, &addedGestureKey, NSNumber::numberWithBool(added),
                           OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

void presentSettingAlertController(const id& self, SEL) {
  // The recogniser sends its action on every change of one press; the press is one request.
  auto recognizer = std::dynamic_pointer_cast<UIGestureRecognizer>(
      objc_getAssociatedObject(self, &recognizerKey));
  if (recognizer && recognizer->state() != UIGestureRecognizerStateBegan) return;

  auto threadScreen =
      std::dynamic_pointer_cast<UIViewController>(sendForObject(self, "viewController"));
  std::shared_ptr<NSArray> users = threadUsers(threadScreen);
  id recipient = users && users->count() > 0 ? users->firstObject() : nullptr;
  recipientUsernameString =
      std::dynamic_pointer_cast<NSString>(sendForObject(recipient, "username"));
  recipientAvatarURL = std::dynamic_pointer_cast<NSURL>(sendForObject(recipient, "profilePicURL"));

  // Loaded on the main thread before the alert shows, but never for longer than the time-out:
  // an unreachable address must not freeze the host app.
  std::shared_ptr<NSData> avatarData =
      NSData::dataWithContentsOfURL(recipientAvatarURL, ThreadTitleHook::kAvatarTimeout);

  auto alert = UIAlertController::alertControllerWithTitle("Parlo", "Choose options...",
                                                           UIAlertControllerStyleAlert);
  alert->addAction(UIAlertAction::actionWithTitle(
      "Launch Fake Chat", UIAlertActionStyleDefault,
      [avatarData, threadScreen](const std::shared_ptr<UIAlertAction>&) {
        ThreadTitleHook::launchFakeChat(threadScreen, avatarData);
      }));
  alert->addAction(
      UIAlertAction::actionWithTitle("Open Settings", UIAlertActionStyleDefault,
                                     [threadScreen](const std::shared_ptr<UIAlertAction>&) {
                                       ThreadTitleHook::openSettings(threadScreen);
                                     }));
  alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, nullptr));
  if (threadScreen) threadScreen->presentViewController(alert, true, nullptr);
}

void hookedSetFrame(const id& self, SEL cmd, CGRect frame) {
  originalSetFrame.call<void>(self, cmd, frame);

  if (NSBundle::mainBundle()->bundleIdentifier() != "com.burbn.instagram") return;
  if (objc_msgSend<bool>(self, "igTweakAddedGesture")) return;

  auto label = std::dynamic_pointer_cast<UIView>(self);
  std::shared_ptr<UIView> titleButton = label ? label->superview() : nullptr;
  std::shared_ptr<UIView> titleView = titleButton ? titleButton->superview() : nullptr;
  Class titleViewClass = objc_getClass("IGDirectLeftAlignedTitleView");
  if (!titleView || !titleViewClass || object_getClass(titleView) != titleViewClass) return;

  id controller = sendForObject(self, "viewController");
  Class threadClass = objc_getClass("IGDirectThreadViewController");
  if (!controller || !threadClass || !controller->isKindOfClass(threadClass)) return;

  objc_msgSend<void>(self, "setIgTweakAddedGesture:", true);
  auto press =
      UILongPressGestureRecognizer::alloc()->initWithTarget(self, "presentSettingAlertController");
  press->setMinimumPressDuration(2.0);
  titleButton->addGestureRecognizer(press);
  objc_setAssociatedObject(self, &recognizerKey, press, OBJC_ASSOCIATION_ASSIGN);
}

}  // namespace

void SettingsChanged() {
  enableFlag =
      BVPrefsManager::sharedInstance()->boolForKey("toggleParlo", false, "com.brisvale.ParloPrefs");
}

namespace ThreadTitleHook {

bool isEnabled() {
  return enableFlag;
}

void load() {
  static bool installed = false;
  SettingsChanged();
  if (!enableFlag || installed) return;
  installed = true;

  Class label = objc_getClass("UIButtonLabel");
  if (!label) return;
  MSHookMessageEx(label, "setFrame:", IMP::fromFunction<void, CGRect>(&hookedSetFrame),
                  &originalSetFrame);
  IMP present(&presentSettingAlertController);
  class_addMethod(label, "presentSettingAlertController", present, present.types());
  IMP getter(&igTweakAddedGesture);
  class_addMethod(label, "igTweakAddedGesture", getter, getter.types());
  IMP setter(&setIgTweakAddedGesture);
  class_addMethod(label, "setIgTweakAddedGesture:", setter, setter.types());
}

}  // namespace ThreadTitleHook
