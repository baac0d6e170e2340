#include "BrisvaleKit/UIColor+BVTheme.h"

// "Enabled" is a green, "disabled" a neutral grey; in dark appearance each is a little deeper,
// with a brighter border so the circle still stands out from a black background.

namespace BVTheme {
namespace {

std::shared_ptr<UIColor> dynamic(std::shared_ptr<UIColor> light, std::shared_ptr<UIColor> dark) {
  return UIColor::colorWithDynamicProvider([light = std::move(light), dark = std::move(dark)](
                                               const std::shared_ptr<UITraitCollection>& traits) {
    return traits && traits->userInterfaceStyle() == UIUserInterfaceStyleDark ? dark : light;
  });
}

std::shared_ptr<UIColor> rgb(int red, int green, int blue, CGFloat alpha = 1) {
  return UIColor::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, alpha);
}

}  // namespace

std::shared_ptr<UIColor> enabledColour() {
  static const auto colour = dynamic(rgb(52, 199, 89), rgb(40, 170, 75));
  return colour;
}

std::shared_ptr<UIColor> disabledColour() {
  static const auto colour = dynamic(rgb(199, 199, 204), rgb(72, 72, 74));
  return colour;
}

std::shared_ptr<UIColor> enabledBorderColour() {
  static const auto colour = dynamic(rgb(120, 225, 145), rgb(90, 215, 120));
  return colour;
}

std::shared_ptr<UIColor> disabledBorderColour() {
  static const auto colour = dynamic(rgb(229, 229, 234), rgb(110, 110, 115));
  return colour;
}

std::shared_ptr<UIColor> enabledShadowColour() {
  static const auto colour = dynamic(rgb(52, 199, 89, 0.6), rgb(48, 209, 88, 0.8));
  return colour;
}

std::shared_ptr<UIColor> disabledShadowColour() {
  static const auto colour = dynamic(rgb(0, 0, 0, 0.25), rgb(0, 0, 0, 0.6));
  return colour;
}

}  // namespace BVTheme
