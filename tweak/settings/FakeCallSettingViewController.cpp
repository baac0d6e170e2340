#include "settings/FakeCallSettingViewController.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "BrisvaleKit/UIView+Layout.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSLog.h"
#include "foundation/NSURL.h"
#include "settings/FakeCallCell.h"
#include "settings/FollowSwitchCell.h"
#include "settings/SettingManager.h"
#include "settings/SwitchCell.h"
#include "uikit/UIAlertController.h"
#include "uikit/UITextField.h"

namespace {

bool pickingProfileImageFlag = false;

struct Row {
  const char* symbol;
  const char* title;
  const char* subtitle;
};

constexpr Row kRows[7] = {
    {"person.crop.circle", "Profile", "Choose profile image"},
    {"video.fill", "Video", "Choose fake video"},
    {"person.fill", "Username", "Set your username"},
    {"timer", "Delay", "User joined call delay"},
    {"timer", "Delay", "Start incoming call delay"},
    {"bubble.left.fill", "Chat", "Auto save chat data"},
    {"person.2.fill", "Follow", "Each other on instagram"},
};

// The first text field's text of an alert; empty when it has none.
std::shared_ptr<NSString> firstFieldText(const std::weak_ptr<UIAlertController>& weakAlert) {
  auto alert = weakAlert.lock();
  if (!alert || alert->textFields().empty()) return NSString::string("");
  return NSString::string(alert->textFields().front()->text());
}

}  // namespace

bool FakeCallSettingViewController::pickingProfileImage() {
  return pickingProfileImageFlag;
}

void FakeCallSettingViewController::setPickingProfileImage(bool picking) {
  pickingProfileImageFlag = picking;
}

void FakeCallSettingViewController::viewDidLoad() {
  UIViewController::viewDidLoad();
  view()->setBackgroundColor(UIColor::systemBackgroundColor());
  layoutHeaderView();
  layoutTableView();
}

void FakeCallSettingViewController::layoutHeaderView() {
  const auto root = view();
  headerView_ = TDHeaderView::alloc()->initWithTitle("Settings", UIColor::systemBlueColor(),
                                                     "xmark", "dismissVC");
  root->addSubview(headerView_);
  Layout::size(headerView_, root->frame().size.width, 55);
  Layout::x(headerView_, root->centerXAnchor());
  Layout::top(headerView_, root->safeAreaLayoutGuide()->topAnchor(), 0);
}

void FakeCallSettingViewController::layoutTableView() {
  const auto root = view();
  tableView_ = UITableView::alloc()->initWithFrame(root->bounds(), UITableViewStyleInsetGrouped);
  tableView_->setAutoresizingMask(static_cast<UIViewAutoresizing>(
      UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight));
  tableView_->setEditing(false);
  tableView_->setBackgroundColor(UIColor::clearColor());
  tableView_->setSeparatorStyle(UITableViewCellSeparatorStyleNone);
  tableView_->setShowsVerticalScrollIndicator(false);
  auto self = selfAs<FakeCallSettingViewController>();
  tableView_->setDataSource(self);
  tableView_->setDelegate(self);
  root->addSubview(tableView_);
  Layout::top(tableView_, headerView_->bottomAnchor(), 20);
  Layout::leading(tableView_, root->leadingAnchor(), 0);
  Layout::trailing(tableView_, root->trailingAnchor(), 0);
  Layout::bottom(tableView_, root->bottomAnchor(), 0);
}

std::shared_ptr<UITableViewCell> FakeCallSettingViewController::cellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& table, const IndexPath& indexPath) {
  const long row = std::clamp<long>(indexPath->row(), 0, 6);
  const char* identifier = row == 5 ? "SwitchCell" : row == 6 ? "FollowSwitchCell" : "Cell";
  auto cell = std::dynamic_pointer_cast<SettingCardCell>(
      table->dequeueReusableCellWithIdentifier(identifier));
  if (!cell) {
    if (row == 5) {
      cell = SwitchCell::alloc()->initWithStyle(UITableViewCellStyleDefault, identifier);
    } else if (row == 6) {
      cell = FollowSwitchCell::alloc()->initWithStyle(UITableViewCellStyleDefault, identifier);
    } else {
      cell = FakeCallCell::alloc()->initWithStyle(UITableViewCellStyleDefault, identifier);
    }
  }

  // Every table cell the process shows from now on has a clear selection, not only these.
  auto clear = UIView::alloc()->init();
  clear->setBackgroundColor(UIColor::clearColor());
  UITableViewCell::appearance()->setSelectedBackgroundView(clear);

  cell->setBackgroundColor(UIColor::clearColor());
  cell->iconView()->setBackgroundColor(UIColor::systemBlueColor()->colorWithAlphaComponent(0.4));
  cell->iconImage()->setTintColor(UIColor::systemBlueColor());
  cell->iconImage()->setImage(UIImage::systemImageNamed(kRows[row].symbol));
  cell->titleLabel()->setText(kRows[row].title);
  cell->subtitleLabel()->setText(kRows[row].subtitle);
  return cell;
}

void FakeCallSettingViewController::didSelectRowAtIndexPath(
    const std::shared_ptr<UITableView>& table, const IndexPath& indexPath) {
  table->deselectRowAtIndexPath(indexPath, true);
  switch (indexPath->row()) {
    case 0:
      setPickingProfileImage(true);
      presentImagePickerVC();
      break;
    case 1:
      setPickingProfileImage(false);
      presentImagePickerVC();
      break;
    case 2:
      presentUsernameAlert();
      break;
    case 3:
      presentDelayAlert();
      break;
    case 4:
      presentIncomingDelayAlert();
      break;
    default:
      // The switch rows: only the switch itself writes.
      break;
  }
}

// ---- Pickers ----

void FakeCallSettingViewController::presentImagePickerVC() {
  auto picker = UIImagePickerController::alloc()->init();
  picker->setDelegate(selfAs<FakeCallSettingViewController>());
  if (pickingProfileImage()) {
    picker->setAllowsEditing(false);
    picker->setSourceType(UIImagePickerControllerSourceTypePhotoLibrary);
  } else {
    picker->setMediaTypes({std::string(kUTTypeMovie), std::string(kUTTypeAVIMovie),
                           std::string(kUTTypeVideo), std::string(kUTTypeMPEG4)});
    picker->setVideoQuality(UIImagePickerControllerQualityTypeHigh);
  }
  presentViewController(picker, true, nullptr);
}

void FakeCallSettingViewController::didFinishPickingMediaWithInfo(
    const std::shared_ptr<UIImagePickerController>& picker,
    const std::shared_ptr<NSDictionary>& info) {
  if (pickingProfileImage()) {
    // The photo as picked, however large: the call shows the original.
    auto image = std::dynamic_pointer_cast<UIImage>(
        info->objectForKey(std::string(UIImagePickerControllerOriginalImage)));
    if (auto jpeg = UIImageJPEGRepresentation(image, 1.0)) {
      SettingManager::sharedInstance()->setObject(jpeg, "profileAvatar");
    }
  } else {
    storePickedMovie(info);
  }
  picker->dismissViewControllerAnimated(true, nullptr);
}

void FakeCallSettingViewController::storePickedMovie(const std::shared_ptr<NSDictionary>& info) {
  auto url = std::dynamic_pointer_cast<NSURL>(
      info->objectForKey(std::string(UIImagePickerControllerMediaURL)));
  // A picked movie is always a file; nothing is fetched from anywhere else.
  if (!url || !url->isFileURL()) return;
  // Copied a piece at a time, since a movie can be far larger than memory, and whole or not at
  // all: a copy that fails half way keeps the earlier video for the call.
  if (!DeviceRoot::copyFileAtomically(url->path(), SettingManager::fakeCallVideoPath())) {
    NSLog("Parlo: the call video could not be copied from %s (%s); the earlier one stays",
          url->path().c_str(), std::strerror(errno));
  }
}

void FakeCallSettingViewController::imagePickerControllerDidCancel(
    const std::shared_ptr<UIImagePickerController>& picker) {
  picker->dismissViewControllerAnimated(true, nullptr);
}

// ---- Alerts ----

void FakeCallSettingViewController::presentUsernameAlert() {
  auto alert = UIAlertController::alertControllerWithTitle("User Name", "Add your username here.",
                                                           UIAlertControllerStyleAlert);
  alert->addTextFieldWithConfigurationHandler([](const std::shared_ptr<UITextField>& field) {
    field->setPlaceholder("Your username...");
    field->setSecureTextEntry(false);
  });
  std::weak_ptr<UIAlertController> weakAlert = alert;
  alert->addAction(
      UIAlertAction::actionWithTitle("OK", UIAlertActionStyleDefault, [weakAlert](const auto&) {
        // An empty field is stored too, as the empty string.
        SettingManager::sharedInstance()->setObject(firstFieldText(weakAlert), "profileUsername");
      }));
  alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, nullptr));
  presentViewController(alert, true, nullptr);
}

void FakeCallSettingViewController::presentDelayAlert() {
  presentDelayAlertWithMessage("Enter how much delay do you want the user to join the call.",
                               "Default 5.0", "joinCallDelay");
}

void FakeCallSettingViewController::presentIncomingDelayAlert() {
  presentDelayAlertWithMessage("Enter how much delay do you want the incoming call to start.",
                               "Default 2.0", "incomingCallDelay");
}

void FakeCallSettingViewController::presentDelayAlertWithMessage(const std::string& message,
                                                                 const std::string& placeholder,
                                                                 const std::string& key) {
  auto alert =
      UIAlertController::alertControllerWithTitle("Delay", message, UIAlertControllerStyleAlert);
  alert->addTextFieldWithConfigurationHandler([placeholder](const auto& field) {
    field->setPlaceholder(placeholder);
    field->setSecureTextEntry(false);
  });
  std::weak_ptr<UIAlertController> weakAlert = alert;
  alert->addAction(UIAlertAction::actionWithTitle(
      "OK", UIAlertActionStyleDefault, [weakAlert, key](const auto&) {
        SettingManager::sharedInstance()->setFloat(wholeSecondsFromText(firstFieldText(weakAlert)),
                                                   key);
      }));
  alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, nullptr));
  presentViewController(alert, true, nullptr);
}

int64_t FakeCallSettingViewController::wholeSecondsFromText(const std::shared_ptr<NSString>& text) {
  const float seconds = text ? text->floatValue() : 0;
  if (std::isnan(seconds)) return 0;
  // 2^63 is exact in a float; anything at or past it does not fit.
  constexpr float kLimit = 9223372036854775808.0f;
  if (seconds >= kLimit) return std::numeric_limits<int64_t>::max();
  if (seconds < -kLimit) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(seconds);
}

void FakeCallSettingViewController::dismissVC() {
  dismissViewControllerAnimated(true, nullptr);
}

OBJC_CLASS_IMPL(FakeCallSettingViewController) {
  c.method("dismissVC", &FakeCallSettingViewController::dismissVC)
      .method("presentImagePickerVC", &FakeCallSettingViewController::presentImagePickerVC)
      .method("presentUsernameAlert", &FakeCallSettingViewController::presentUsernameAlert)
      .method("presentDelayAlert", &FakeCallSettingViewController::presentDelayAlert)
      .method("presentIncomingDelayAlert",
              &FakeCallSettingViewController::presentIncomingDelayAlert)
      .method("headerView", &FakeCallSettingViewController::headerView)
      .method("tableView", &FakeCallSettingViewController::tableView);
}
