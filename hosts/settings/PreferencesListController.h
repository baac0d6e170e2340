#pragma once

#include <memory>
#include <vector>

#include "PreferenceBundle.h"
#include "uikit/UIButton.h"
#include "uikit/UIViewController.h"

// The Settings app's first page: a grouped list of the installed preference bundles.
class PreferencesListController : public UIViewController {
  OBJC_CLASS(PreferencesListController, UIViewController);

 public:
  std::shared_ptr<PreferencesListController> initWithBundles(std::vector<PreferenceBundle> bundles);

  void loadView() override;
  void viewWillAppear(bool animated) override;
  // Loads the bundle and pushes its root page; false (with a log line) when it cannot.
  bool openBundleAtIndex(size_t index);

 private:
  void entryTapped(id sender);
  void backPressed();

  std::vector<PreferenceBundle> bundles_;
  // In the navigation bar, which draws nothing of its own: the way back from a bundle's page.
  std::shared_ptr<UIButton> backButton_;
};
