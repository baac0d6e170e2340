#include "chat/UIColor+Appearance.h"

namespace Appearance {
namespace {

// A grey with equal red, green and blue: `dark` under a dark trait collection, `light` otherwise.
std::shared_ptr<UIColor> dynamicGrey(CGFloat light, CGFloat dark) {
  return UIColor::colorWithDynamicProvider(
      [light, dark](const std::shared_ptr<UITraitCollection>& traits) {
        const CGFloat grey =
            traits && traits->userInterfaceStyle() == UIUserInterfaceStyleDark ? dark : light;
        return UIColor::colorWithRed(grey, grey, grey, 1.0);
      });
}

}  // namespace

std::shared_ptr<UIColor> line() {
  return dynamicGrey(0.90, 0.15);
}

std::shared_ptr<UIColor> entryBorder() {
  return dynamicGrey(0.86, 0.15);
}

std::shared_ptr<UIColor> placeholder() {
  return dynamicGrey(0.45, 0.66);
}

std::shared_ptr<UIColor> incomingBubbleBorder() {
  return dynamicGrey(0.86, 0.15);
}

std::shared_ptr<UIColor> outgoingBubble() {
  return dynamicGrey(0.94, 0.15);
}

std::shared_ptr<UIColor> callIconBackground() {
  return dynamicGrey(0.45, 0.66);
}

std::shared_ptr<UIColor> activeCall() {
  return UIColor::colorWithRed(0.0, 0.78, 0.0, 1.0);
}

std::shared_ptr<UIColor> avatarBorder() {
  return dynamicGrey(0.86, 0.15);
}

}  // namespace Appearance
