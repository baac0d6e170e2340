#pragma once

#include <memory>

#include "quartz/CGGeometry.h"
#include "runtime/NSObject.h"

enum UIImageSymbolWeight : long {
  UIImageSymbolWeightUnspecified = 0,
  UIImageSymbolWeightUltraLight,
  UIImageSymbolWeightThin,
  UIImageSymbolWeightLight,
  UIImageSymbolWeightRegular,
  UIImageSymbolWeightMedium,
  UIImageSymbolWeightSemibold,
  UIImageSymbolWeightBold,
  UIImageSymbolWeightHeavy,
  UIImageSymbolWeightBlack,
};

// How a system symbol is drawn: its point size and stroke weight. Unset values are 0 and
// Unspecified; the symbol then takes the body text's size, 17 points, and the regular weight.
class UIImageSymbolConfiguration : public NSObject {
  OBJC_CLASS(UIImageSymbolConfiguration, NSObject);

 public:
  static std::shared_ptr<UIImageSymbolConfiguration> configurationWithPointSize(CGFloat pointSize);
  static std::shared_ptr<UIImageSymbolConfiguration> configurationWithPointSize(
      CGFloat pointSize, UIImageSymbolWeight weight);
  static std::shared_ptr<UIImageSymbolConfiguration> configurationWithWeight(
      UIImageSymbolWeight weight);

  // 0 when the configuration leaves the size to the symbol.
  CGFloat pointSize() const { return pointSize_; }
  UIImageSymbolWeight weight() const { return weight_; }

  bool isEqual(const id& other) const override;
  size_t hash() const override;

 private:
  CGFloat pointSize_ = 0;
  UIImageSymbolWeight weight_ = UIImageSymbolWeightUnspecified;
};
