#pragma once

#include <functional>
#include <memory>

#include "runtime/NSObject.h"

enum UIUserInterfaceStyle : long {
  UIUserInterfaceStyleUnspecified = 0,
  UIUserInterfaceStyleLight = 1,
  UIUserInterfaceStyleDark = 2,
};

// The environment that dynamic colours resolve against. "Current" is what the platform sets
// while a view draws or lays out; outside of that it is the screen's collection.
class UITraitCollection : public NSObject {
  OBJC_CLASS(UITraitCollection, NSObject);

 public:
  explicit UITraitCollection(UIUserInterfaceStyle style = UIUserInterfaceStyleUnspecified);

  static std::shared_ptr<UITraitCollection> traitCollectionWithUserInterfaceStyle(
      UIUserInterfaceStyle style);

  static std::shared_ptr<UITraitCollection> currentTraitCollection();
  // Null restores the unspecified collection.
  static void setCurrentTraitCollection(std::shared_ptr<UITraitCollection> traitCollection);

  UIUserInterfaceStyle userInterfaceStyle() const { return userInterfaceStyle_; }

  // Runs body with this collection as the current one and restores the previous one after,
  // also when body throws.
  void performAsCurrentTraitCollection(const std::function<void()>& body);
  // Whether a dynamic colour may resolve differently under the other collection.
  bool hasDifferentColorAppearanceComparedToTraitCollection(
      const std::shared_ptr<UITraitCollection>& other) const;

  bool isEqual(const id& other) const override;
  size_t hash() const override { return static_cast<size_t>(userInterfaceStyle_); }

 private:
  UIUserInterfaceStyle userInterfaceStyle_;
};
