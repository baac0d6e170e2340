#pragma once

// The root page of the add-on's preference bundle: the framework's home page with the add-on's
// cover, icon, name and version, its power button, a walk-through tutorial, and, for the
// settings row, a note that the settings are edited inside the host app.

#include <memory>

#include "BrisvaleKit/BVPaidPrefsHomeViewController.h"
#include "BrisvaleKit/BVPrefsConfig.h"

class PRLHomeViewController : public BVPaidPrefsHomeViewController {
  OBJC_CLASS(PRLHomeViewController, BVPaidPrefsHomeViewController);

 public:
  // Fills a new configuration, shows it and puts a new power button into the toggle container.
  void viewDidLoad() override;
  // Presents the tutorial's ten entries.
  void presentTutorialVC() override;
  // Shows an alert that sends the user to the host app; nothing is pushed.
  void pushPrefsVC() override;

  std::shared_ptr<BVPrefsConfig> config() const { return config_; }
  void setConfig(std::shared_ptr<BVPrefsConfig> config) { config_ = std::move(config); }

 private:
  std::shared_ptr<BVPrefsConfig> config_;
};
