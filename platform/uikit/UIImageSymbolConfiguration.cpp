#include "uikit/UIImageSymbolConfiguration.h"

#include <cmath>
#include <functional>

OBJC_CLASS_IMPL(UIImageSymbolConfiguration) {}

std::shared_ptr<UIImageSymbolConfiguration> UIImageSymbolConfiguration::configurationWithPointSize(
    CGFloat pointSize) {
  return configurationWithPointSize(pointSize, UIImageSymbolWeightUnspecified);
}

std::shared_ptr<UIImageSymbolConfiguration> UIImageSymbolConfiguration::configurationWithPointSize(
    CGFloat pointSize, UIImageSymbolWeight weight) {
  auto configuration = alloc();
  // A size that cannot be drawn leaves the choice to the symbol rather than making an empty or
  // endless image later.
  configuration->pointSize_ = std::isfinite(pointSize) && pointSize > 0 ? pointSize : 0;
  configuration->weight_ =
      weight >= UIImageSymbolWeightUnspecified && weight <= UIImageSymbolWeightBlack
          ? weight
          : UIImageSymbolWeightUnspecified;
  return configuration;
}

std::shared_ptr<UIImageSymbolConfiguration> UIImageSymbolConfiguration::configurationWithWeight(
    UIImageSymbolWeight weight) {
  return configurationWithPointSize(0, weight);
}

bool UIImageSymbolConfiguration::isEqual(const id& other) const {
  auto* configuration = dynamic_cast<const UIImageSymbolConfiguration*>(other.get());
  return configuration && configuration->pointSize_ == pointSize_ &&
         configuration->weight_ == weight_;
}

size_t UIImageSymbolConfiguration::hash() const {
  return std::hash<CGFloat>{}(pointSize_) ^ static_cast<size_t>(weight_);
}
