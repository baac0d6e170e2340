#pragma once

// The home page of a preference bundle in the Settings app, drawn from a BVPrefsConfig. A bundle
// subclasses it, fills a configuration in viewDidLoad, puts its enable control into
// toggleContainerView and answers the page's two rows by overriding presentTutorialVC and
// pushPrefsVC.
//
// Layout, top to bottom, on the grouped background (points, page width W):
//
//   hero cover     full width, 180 high, aspect fill and clipped; a plain fill without a cover
//   icon           80 x 80, centred, its middle on the cover's lower edge; corners 18, a 4-point
//                  ring in the page's background colour that cuts it out of the cover; a plain
//                  rounded square on the secondary grouped background without an icon image
//   name           12 below the icon, centred; bold 28, label colour
//   version        2 below the name, centred; 15, secondary label colour
//   toggle box     28 below the version, centred, 200 x 125; empty, for the subclass's control
//   rows           36 below the toggle box, 16 in from both sides: one rounded card (corners 10)
//                  on the secondary grouped background with two 44-point rows, "Tutorial" and
//                  "Settings", each with a disclosure mark and a separator between them
//
// The page takes the whole area its container gives it; the content fits a phone's screen
// under a navigation bar without scrolling.

#include <memory>

#include "BrisvaleKit/BVPrefsConfig.h"
#include "uikit/UIControl.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIViewController.h"

class BVPaidPrefsHomeViewController : public UIViewController {
  OBJC_CLASS(BVPaidPrefsHomeViewController, UIViewController);

 public:
  // Builds the page's views, empty until updateWithPrefsConfig:.
  void viewDidLoad() override;
  // Shows the configuration's cover, icon, name and version; the view is loaded first if need
  // be. A nil configuration changes nothing.
  void updateWithPrefsConfig(const std::shared_ptr<BVPrefsConfig>& config);
  // An empty view in the page, for the subclass's enable control.
  std::shared_ptr<UIView> toggleContainerView();

  // The "Tutorial" row's action; the default does nothing.
  virtual void presentTutorialVC() {}
  // The "Settings" row's action; the default does nothing.
  virtual void pushPrefsVC() {}

  // The icon's ring is a layer colour, which does not follow the appearance by itself.
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

  // The page's parts, once the view is loaded.
  std::shared_ptr<UIImageView> heroView() const { return heroView_; }
  std::shared_ptr<UIImageView> iconView() const { return iconView_; }
  std::shared_ptr<UILabel> nameLabel() const { return nameLabel_; }
  std::shared_ptr<UILabel> versionLabel() const { return versionLabel_; }
  std::shared_ptr<UIControl> tutorialRow() const { return tutorialRow_; }
  std::shared_ptr<UIControl> settingsRow() const { return settingsRow_; }

 private:
  void layoutHero();
  void layoutTitles();
  void layoutRows();
  std::shared_ptr<UIControl> addRow(const std::shared_ptr<UIView>& card, const char* title,
                                    SEL action);
  void applyIconRingColor();

  std::shared_ptr<UIImageView> heroView_;
  std::shared_ptr<UIImageView> iconView_;
  std::shared_ptr<UILabel> nameLabel_;
  std::shared_ptr<UILabel> versionLabel_;
  std::shared_ptr<UIView> toggleContainerView_;
  std::shared_ptr<UIControl> tutorialRow_;
  std::shared_ptr<UIControl> settingsRow_;
};
