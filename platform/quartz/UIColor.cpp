#include "quartz/UIColor.h"

#include <cstdio>
#include <functional>
#include <utility>

OBJC_CLASS_IMPL(UIColor) {}

namespace {

std::shared_ptr<UIColor> rgb(int red, int green, int blue, CGFloat alpha = 1) {
  return UIColor::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, alpha);
}

// A system colour: one value in the light (and unspecified) appearance, one in the dark.
std::shared_ptr<UIColor> appearancePair(const char* name, std::shared_ptr<UIColor> light,
                                        std::shared_ptr<UIColor> dark) {
  return std::make_shared<UIColor>(
      [light = std::move(light),
       dark = std::move(dark)](const std::shared_ptr<UITraitCollection>& traits) {
        return traits && traits->userInterfaceStyle() == UIUserInterfaceStyleDark ? dark : light;
      },
      name);
}

}  // namespace

// Shared instances, made on first use as the platform caches them.
#define PARLO_FIXED_COLOR(name, ...)         \
  std::shared_ptr<UIColor> UIColor::name() { \
    static const auto color = __VA_ARGS__;   \
    return color;                            \
  }
#define PARLO_SYSTEM_COLOR(name, light, dark)                     \
  std::shared_ptr<UIColor> UIColor::name() {                      \
    static const auto color = appearancePair(#name, light, dark); \
    return color;                                                 \
  }

PARLO_FIXED_COLOR(whiteColor, colorWithWhite(1, 1))
PARLO_FIXED_COLOR(blackColor, colorWithWhite(0, 1))
PARLO_FIXED_COLOR(clearColor, colorWithWhite(0, 0))
PARLO_FIXED_COLOR(redColor, colorWithRed(1, 0, 0, 1))
PARLO_FIXED_COLOR(greenColor, colorWithRed(0, 1, 0, 1))
PARLO_FIXED_COLOR(blueColor, colorWithRed(0, 0, 1, 1))
PARLO_FIXED_COLOR(grayColor, colorWithWhite(0.5, 1))
PARLO_FIXED_COLOR(lightGrayColor, colorWithWhite(2.0 / 3.0, 1))
PARLO_FIXED_COLOR(darkGrayColor, colorWithWhite(1.0 / 3.0, 1))

PARLO_SYSTEM_COLOR(systemBackgroundColor, rgb(255, 255, 255), rgb(0, 0, 0))
PARLO_SYSTEM_COLOR(secondarySystemBackgroundColor, rgb(242, 242, 247), rgb(28, 28, 30))
PARLO_SYSTEM_COLOR(tertiarySystemBackgroundColor, rgb(255, 255, 255), rgb(44, 44, 46))
PARLO_SYSTEM_COLOR(systemGroupedBackgroundColor, rgb(242, 242, 247), rgb(0, 0, 0))
PARLO_SYSTEM_COLOR(secondarySystemGroupedBackgroundColor, rgb(255, 255, 255), rgb(28, 28, 30))
PARLO_SYSTEM_COLOR(tertiarySystemGroupedBackgroundColor, rgb(242, 242, 247), rgb(44, 44, 46))
PARLO_SYSTEM_COLOR(labelColor, rgb(0, 0, 0), rgb(255, 255, 255))
PARLO_SYSTEM_COLOR(secondaryLabelColor, rgb(60, 60, 67, 0.6), rgb(235, 235, 245, 0.6))
PARLO_SYSTEM_COLOR(tertiaryLabelColor, rgb(60, 60, 67, 0.3), rgb(235, 235, 245, 0.3))
PARLO_SYSTEM_COLOR(quaternaryLabelColor, rgb(60, 60, 67, 0.18), rgb(235, 235, 245, 0.18))
PARLO_SYSTEM_COLOR(placeholderTextColor, rgb(60, 60, 67, 0.3), rgb(235, 235, 245, 0.3))
PARLO_SYSTEM_COLOR(systemFillColor, rgb(120, 120, 128, 0.2), rgb(120, 120, 128, 0.36))
PARLO_SYSTEM_COLOR(secondarySystemFillColor, rgb(120, 120, 128, 0.16), rgb(120, 120, 128, 0.32))
PARLO_SYSTEM_COLOR(tertiarySystemFillColor, rgb(118, 118, 128, 0.12), rgb(118, 118, 128, 0.24))
PARLO_SYSTEM_COLOR(quaternarySystemFillColor, rgb(116, 116, 128, 0.08), rgb(118, 118, 128, 0.18))
PARLO_SYSTEM_COLOR(separatorColor, rgb(60, 60, 67, 0.29), rgb(84, 84, 88, 0.6))
PARLO_SYSTEM_COLOR(opaqueSeparatorColor, rgb(198, 198, 200), rgb(56, 56, 58))
PARLO_SYSTEM_COLOR(linkColor, rgb(0, 122, 255), rgb(9, 132, 255))
PARLO_SYSTEM_COLOR(systemBlueColor, rgb(0, 122, 255), rgb(10, 132, 255))
PARLO_SYSTEM_COLOR(systemRedColor, rgb(255, 59, 48), rgb(255, 69, 58))
PARLO_SYSTEM_COLOR(systemGreenColor, rgb(52, 199, 89), rgb(48, 209, 88))
PARLO_SYSTEM_COLOR(systemOrangeColor, rgb(255, 149, 0), rgb(255, 159, 10))
PARLO_SYSTEM_COLOR(systemYellowColor, rgb(255, 204, 0), rgb(255, 214, 10))
PARLO_SYSTEM_COLOR(systemPinkColor, rgb(255, 45, 85), rgb(255, 55, 95))
PARLO_SYSTEM_COLOR(systemPurpleColor, rgb(175, 82, 222), rgb(191, 90, 242))
PARLO_SYSTEM_COLOR(systemIndigoColor, rgb(88, 86, 214), rgb(94, 92, 230))
PARLO_SYSTEM_COLOR(systemTealColor, rgb(48, 176, 199), rgb(64, 200, 224))
PARLO_SYSTEM_COLOR(systemGrayColor, rgb(142, 142, 147), rgb(142, 142, 147))
PARLO_SYSTEM_COLOR(systemGray2Color, rgb(174, 174, 178), rgb(99, 99, 102))
PARLO_SYSTEM_COLOR(systemGray3Color, rgb(199, 199, 204), rgb(72, 72, 74))
PARLO_SYSTEM_COLOR(systemGray4Color, rgb(209, 209, 214), rgb(58, 58, 60))
PARLO_SYSTEM_COLOR(systemGray5Color, rgb(229, 229, 234), rgb(44, 44, 46))
PARLO_SYSTEM_COLOR(systemGray6Color, rgb(242, 242, 247), rgb(28, 28, 30))

#undef PARLO_FIXED_COLOR
#undef PARLO_SYSTEM_COLOR

UIColor::UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
    : components_{red, green, blue, alpha} {}

UIColor::UIColor(Provider provider, std::string name)
    : provider_(std::move(provider)), name_(std::move(name)) {}

std::shared_ptr<UIColor> UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue,
                                               CGFloat alpha) {
  return std::make_shared<UIColor>(red, green, blue, alpha);
}

std::shared_ptr<UIColor> UIColor::colorWithWhite(CGFloat white, CGFloat alpha) {
  return std::make_shared<UIColor>(white, white, white, alpha);
}

std::shared_ptr<UIColor> UIColor::colorWithCGColor(const ::CGColor& color) {
  return std::make_shared<UIColor>(color.red, color.green, color.blue, color.alpha);
}

std::shared_ptr<UIColor> UIColor::colorWithDynamicProvider(Provider provider) {
  return std::make_shared<UIColor>(std::move(provider), std::string());
}

std::shared_ptr<UIColor> UIColor::colorWithAlphaComponent(CGFloat alpha) const {
  if (!provider_) {
    return colorWithRed(components_.red, components_.green, components_.blue, alpha);
  }
  return colorWithDynamicProvider(
      [provider = provider_, alpha](const std::shared_ptr<UITraitCollection>& traits) {
        auto resolved = provider(traits);
        return resolved ? resolved->colorWithAlphaComponent(alpha) : resolved;
      });
}

std::shared_ptr<UIColor> UIColor::resolvedColorWithTraitCollection(
    const std::shared_ptr<UITraitCollection>& traitCollection) const {
  if (!provider_) {
    return std::static_pointer_cast<UIColor>(std::const_pointer_cast<NSObject>(shared_from_this()));
  }
  auto resolved = provider_(traitCollection);
  // A provider may hand back another dynamic colour; a provider that gives nothing is clear.
  if (!resolved) return clearColor();
  return resolved->resolvedColorWithTraitCollection(traitCollection);
}

bool UIColor::getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const {
  ::CGColor color = CGColor();
  if (red) *red = color.red;
  if (green) *green = color.green;
  if (blue) *blue = color.blue;
  if (alpha) *alpha = color.alpha;
  return true;
}

::CGColor UIColor::CGColor() const {
  if (!provider_) return components_;
  return resolvedColorWithTraitCollection(UITraitCollection::currentTraitCollection())->components_;
}

bool UIColor::isEqual(const id& other) const {
  if (other.get() == this) return true;
  auto color = std::dynamic_pointer_cast<UIColor>(other);
  return color && !provider_ && !color->provider_ && color->components_ == components_;
}

size_t UIColor::hash() const {
  if (provider_) return NSObject::hash();
  std::hash<CGFloat> h;
  return h(components_.red) ^ (h(components_.green) << 1) ^ (h(components_.blue) << 2) ^
         (h(components_.alpha) << 3);
}

std::string UIColor::description() const {
  char text[96];
  if (provider_) {
    if (!name_.empty()) return "<UIDynamicSystemColor: name = " + name_ + ">";
    std::snprintf(text, sizeof text, "<UIDynamicProviderColor: %p>",
                  static_cast<const void*>(this));
    return text;
  }
  std::snprintf(text, sizeof text, "UIExtendedSRGBColorSpace %g %g %g %g", components_.red,
                components_.green, components_.blue, components_.alpha);
  return text;
}
