#pragma once

// The add-on's settings screen inside the host app, presented as a card sheet from the thread
// title's options alert and from the chat's options menu. Seven rows: the profile photo and the
// call video (pickers over the photo library), the user name and the two call delays (text
// alerts), and the two switches. Every change is stored the moment it is made; the screen has no
// save of its own and closes with the header's button or a downward swipe.

#include <cstdint>
#include <memory>

#include "foundation/Forward.h"
#include "settings/TDHeaderView.h"
#include "uikit/UIImagePickerController.h"
#include "uikit/UITableView.h"
#include "uikit/UIViewController.h"

class FakeCallSettingViewController : public UIViewController,
                                      public UITableViewDataSource,
                                      public UITableViewDelegate,
                                      public UIImagePickerControllerDelegate {
  OBJC_CLASS(FakeCallSettingViewController, UIViewController);

 public:
  void viewDidLoad() override;
  void layoutHeaderView();
  void layoutTableView();

  // ---- UITableViewDataSource / UITableViewDelegate ----
  long numberOfRowsInSection(const std::shared_ptr<UITableView>&, long) override { return 7; }
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                                         const IndexPath& indexPath) override;
  CGFloat heightForRowAtIndexPath(const std::shared_ptr<UITableView>&, const IndexPath&) override {
    return 75.0;
  }
  void didSelectRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                               const IndexPath& indexPath) override;

  // ---- Pickers ----
  // The photo picker while `pickingProfileImage` is set, else the movie picker.
  void presentImagePickerVC();
  void didFinishPickingMediaWithInfo(const std::shared_ptr<UIImagePickerController>& picker,
                                     const std::shared_ptr<NSDictionary>& info) override;
  void imagePickerControllerDidCancel(
      const std::shared_ptr<UIImagePickerController>& picker) override;

  // ---- Alerts ----
  void presentUsernameAlert();
  void presentDelayAlert();
  void presentIncomingDelayAlert();

  void dismissVC();

  // What the photo picker chooses next: the profile photo (YES) or the call video (NO). One for
  // the whole process; a row tap sets it before the picker is made.
  static bool pickingProfileImage();
  static void setPickingProfileImage(bool picking);

  // A typed delay in whole seconds: the text's leading number read as a float, truncated toward
  // zero. Beyond the range of 64 bits it saturates (1e309 gives INT64_MAX, -1e309 INT64_MIN), as
  // the device's conversion does; text without a leading number ("nan", "-inf", "abc") gives 0.
  static int64_t wholeSecondsFromText(const std::shared_ptr<NSString>& text);

  std::shared_ptr<TDHeaderView> headerView() const { return headerView_; }
  void setHeaderView(std::shared_ptr<TDHeaderView> view) { headerView_ = std::move(view); }
  std::shared_ptr<UITableView> tableView() const { return tableView_; }
  void setTableView(std::shared_ptr<UITableView> view) { tableView_ = std::move(view); }

 private:
  // One of the two delay alerts; "OK" stores the typed delay under `key`.
  void presentDelayAlertWithMessage(const std::string& message, const std::string& placeholder,
                                    const std::string& key);
  // Copies the picked movie to "fakecall-video.mp4"; a movie that cannot be read leaves the
  // earlier video as it was.
  void storePickedMovie(const std::shared_ptr<NSDictionary>& info);

  std::shared_ptr<TDHeaderView> headerView_;
  std::shared_ptr<UITableView> tableView_;
};
