// The options menu of the chat screen: a staged incoming call, the settings screen, the
// recipient's counts and badge, and saving or deleting the chat file.

#include <cmath>
#include <limits>

#include "chat/ChatStore.h"
#include "chat/ParloFakeChatViewController.h"
#include "foundation/Dispatch.h"
#include "settings/FakeCallSettingViewController.h"
#include "settings/SettingKeys.h"
#include "settings/SettingManager.h"
#include "uikit/UIAlertController.h"
#include "uikit/UITextField.h"

namespace {

// Seconds as a dispatch delta. A delay too long for the clock waits for ever; a negative one
// runs at once.
int64_t nanosecondsFromSeconds(double seconds) {
  const double nanoseconds = seconds * static_cast<double>(NSEC_PER_SEC);
  if (std::isnan(nanoseconds)) return 0;
  if (nanoseconds >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (nanoseconds <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(nanoseconds);
}

}  // namespace

void ParloFakeChatViewController::presentOptionsVC() {
  auto sheet = UIAlertController::alertControllerWithTitle("Parlo", "Select options...",
                                                           UIAlertControllerStyleActionSheet);
  std::weak_ptr<ParloFakeChatViewController> weakSelf = selfAs<ParloFakeChatViewController>();
  // Each handler runs once the sheet has gone, on the screen if it is still there.
  const auto action = [&](const char* title, UIAlertActionStyle style,
                          void (*run)(ParloFakeChatViewController&)) {
    sheet->addAction(UIAlertAction::actionWithTitle(title, style, [weakSelf, run](const auto&) {
      if (auto self = weakSelf.lock()) run(*self);
    }));
  };
  action("Start incoming call", UIAlertActionStyleDefault, [](ParloFakeChatViewController& self) {
    self.incomingCallDelay_ =
        static_cast<double>(SettingManager::sharedInstance()->floatForKey("incomingCallDelay", 2));
    // The step holds the screen until it runs; nothing cancels it.
    auto screen = self.selfAs<ParloFakeChatViewController>();
    dispatch_after(
        dispatch_time(DISPATCH_TIME_NOW, nanosecondsFromSeconds(self.incomingCallDelay_)),
        dispatch_get_main_queue(), [screen] {
          screen->beginIncomingCall();
          screen->showCallStatus();
        });
  });
  action("Open settings", UIAlertActionStyleDefault,
         [](ParloFakeChatViewController& self) { self.presentSettingVC(); });
  action("Set followers count", UIAlertActionStyleDefault,
         [](ParloFakeChatViewController& self) { self.presentFollowersAlert(); });
  action("Set posts count", UIAlertActionStyleDefault,
         [](ParloFakeChatViewController& self) { self.presentPostsAlert(); });
  action("Set verified", UIAlertActionStyleDefault, [](ParloFakeChatViewController& self) {
    SettingManager::sharedInstance()->setBool(true,
                                              SettingKeys::isVerified(self.recipientKeyName()));
    self.updateVerificationStatus(true);
  });
  action("Set not verified", UIAlertActionStyleDefault, [](ParloFakeChatViewController& self) {
    SettingManager::sharedInstance()->setBool(false,
                                              SettingKeys::isVerified(self.recipientKeyName()));
    self.updateVerificationStatus(false);
  });
  action("Save chat data", UIAlertActionStyleDefault,
         [](ParloFakeChatViewController& self) { self.saveChatData(); });
  action("Delete chat data", UIAlertActionStyleDestructive,
         [](ParloFakeChatViewController& self) { self.deleteChatData(); });
  // Destructive, not cancel: it is listed with the others rather than apart.
  action("Cancel", UIAlertActionStyleDestructive, [](ParloFakeChatViewController&) {});
  presentViewController(sheet, true, nullptr);
}

void ParloFakeChatViewController::presentSettingVC() {
  presentViewController(FakeCallSettingViewController::alloc()->init(), true, nullptr);
}

void ParloFakeChatViewController::presentFollowersAlert() {
  presentCountAlert("Followers", "Set followers count i.e 3.5K or 1.2M", "Default 35.5K",
                    SettingKeys::followersCount(recipientKeyName()));
}

void ParloFakeChatViewController::presentPostsAlert() {
  presentCountAlert("Posts", "Set posts count i.e 40.8K or 3.8M", "Default 5.3K",
                    SettingKeys::postCount(recipientKeyName()));
}

void ParloFakeChatViewController::presentCountAlert(const std::string& title,
                                                    const std::string& message,
                                                    const std::string& placeholder,
                                                    const std::string& key) {
  auto alert =
      UIAlertController::alertControllerWithTitle(title, message, UIAlertControllerStyleAlert);
  alert->addTextFieldWithConfigurationHandler([placeholder](const auto& field) {
    field->setPlaceholder(placeholder);
    field->setSecureTextEntry(false);
  });
  std::weak_ptr<ParloFakeChatViewController> weakSelf = selfAs<ParloFakeChatViewController>();
  std::weak_ptr<UIAlertController> weakAlert = alert;
  alert->addAction(UIAlertAction::actionWithTitle(
      "SAVE", UIAlertActionStyleDefault, [weakSelf, weakAlert, key](const auto&) {
        auto self = weakSelf.lock();
        auto shown = weakAlert.lock();
        if (!self || !shown) return;
        // As typed, an empty field too: only an absent key shows the default.
        const std::string text = shown->textFields().empty() ? "" : shown->textFields()[0]->text();
        SettingManager::sharedInstance()->setObject(NSString::string(text), key);
        self->updateIntroBannerDetails();
      }));
  alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, nullptr));
  presentViewController(alert, true, nullptr);
}

void ParloFakeChatViewController::deleteChatData() {
  if (!store_) return;
  std::weak_ptr<ParloFakeChatViewController> weakSelf = selfAs<ParloFakeChatViewController>();
  store_->deleteChatData(currentMessages_, [weakSelf] {
    if (auto self = weakSelf.lock()) self->tableView_->reloadData();
  });
}
