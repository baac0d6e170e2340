#pragma once

#include <memory>
#include <string>

#include "runtime/NSObject.h"
#include "uikit/UIImage.h"

// What a preference bundle's home page shows (BVPaidPrefsHomeViewController): a plain value
// object, made with alloc/init and filled through its setters. A nil image leaves its place on
// the page drawn without a picture.
//
// The two flags and the class name describe how the add-on's settings and tutorial are made; the
// page looks the same whatever they say, and the subclass's pushPrefsVC / presentTutorialVC read
// them to decide what to show.
class BVPrefsConfig : public NSObject {
  OBJC_CLASS(BVPrefsConfig, NSObject);

 public:
  std::shared_ptr<BVPrefsConfig> init() { return selfAs<BVPrefsConfig>(); }

  // The wide picture across the top of the page.
  std::shared_ptr<UIImage> heroCover() const { return heroCover_; }
  void setHeroCover(std::shared_ptr<UIImage> image) { heroCover_ = std::move(image); }
  // The add-on's icon, over the lower edge of the cover.
  std::shared_ptr<UIImage> heroIcon() const { return heroIcon_; }
  void setHeroIcon(std::shared_ptr<UIImage> image) { heroIcon_ = std::move(image); }
  const std::string& tweakName() const { return tweakName_; }
  void setTweakName(std::string name) { tweakName_ = std::move(name); }
  const std::string& tweakVersion() const { return tweakVersion_; }
  void setTweakVersion(std::string version) { tweakVersion_ = std::move(version); }
  // Whether the settings are a list of categories rather than one page.
  bool isCategoriesAvailable() const { return isCategoriesAvailable_; }
  void setIsCategoriesAvailable(bool available) { isCategoriesAvailable_ = available; }
  // Whether the tutorial comes with a video.
  bool isTutorialVideoAvailable() const { return isTutorialVideoAvailable_; }
  void setIsTutorialVideoAvailable(bool available) { isTutorialVideoAvailable_ = available; }
  // The class of a single settings page, when the add-on has one; empty when it has none.
  const std::string& singlePrefsClassName() const { return singlePrefsClassName_; }
  void setSinglePrefsClassName(std::string name) { singlePrefsClassName_ = std::move(name); }

 private:
  std::shared_ptr<UIImage> heroCover_;
  std::shared_ptr<UIImage> heroIcon_;
  std::string tweakName_;
  std::string tweakVersion_;
  bool isCategoriesAvailable_ = false;
  bool isTutorialVideoAvailable_ = false;
  std::string singlePrefsClassName_;
};
