#include "uikit/UIBlurEffect.h"

#include <iterator>

OBJC_CLASS_IMPL(UIBlurEffect) {}

namespace {

// A tint is a grey and its alpha.
struct Tint {
  CGFloat white;
  CGFloat alpha;
};

struct Material {
  CGFloat blurRadius;
  CGFloat saturation;
  Tint light;
  Tint dark;
};

// Chosen by eye to look like the platform's materials over photos and coloured content: every
// style blurs about as strongly and lifts colour the same way; what tells them apart is how
// much of the grey tint covers the backdrop. Thin materials let the content show through,
// thick and chrome ones (bars, banners) nearly hide it. Dark tints sit near the dark system
// background (0.11); light ones near white. The fixed styles use the same tint twice.
constexpr Tint kExtraLightTint{0.97, 0.80}, kLightTint{1.00, 0.30}, kDarkTint{0.11, 0.73};
constexpr Tint kProminentDarkTint{0.06, 0.82};
constexpr Tint kUltraThinLight{0.98, 0.35}, kThinLight{0.98, 0.55}, kMaterialLight{0.97, 0.72},
    kThickLight{0.96, 0.86}, kChromeLight{0.97, 0.78};
constexpr Tint kUltraThinDark{0.11, 0.40}, kThinDark{0.12, 0.55}, kMaterialDark{0.11, 0.70},
    kThickDark{0.08, 0.85}, kChromeDark{0.13, 0.80};

// Indexed by style; a zero radius marks a value with no style.
constexpr Material kMaterials[] = {
    {20, 1.8, kExtraLightTint, kExtraLightTint},     // 0 extra light
    {30, 1.8, kLightTint, kLightTint},               // 1 light
    {20, 1.8, kDarkTint, kDarkTint},                 // 2 dark
    {0, 0, {}, {}},                                  // 3 (television only)
    {30, 1.8, kLightTint, kDarkTint},                // 4 regular
    {30, 1.8, kExtraLightTint, kProminentDarkTint},  // 5 prominent
    {30, 1.8, kUltraThinLight, kUltraThinDark},      // 6 system ultra thin
    {30, 1.8, kThinLight, kThinDark},                // 7 system thin
    {30, 1.8, kMaterialLight, kMaterialDark},        // 8 system material
    {30, 1.8, kThickLight, kThickDark},              // 9 system thick
    {30, 1.8, kChromeLight, kChromeDark},            // 10 system chrome
    {30, 1.8, kUltraThinLight, kUltraThinLight},     // 11-15 always light
    {30, 1.8, kThinLight, kThinLight},
    {30, 1.8, kMaterialLight, kMaterialLight},
    {30, 1.8, kThickLight, kThickLight},
    {30, 1.8, kChromeLight, kChromeLight},
    {30, 1.8, kUltraThinDark, kUltraThinDark},  // 16-20 always dark
    {30, 1.8, kThinDark, kThinDark},
    {30, 1.8, kMaterialDark, kMaterialDark},
    {30, 1.8, kThickDark, kThickDark},
    {30, 1.8, kChromeDark, kChromeDark},
};

std::shared_ptr<UIColor> colorOf(Tint tint) {
  return UIColor::colorWithWhite(tint.white, tint.alpha);
}

}  // namespace

std::shared_ptr<UIBlurEffect> UIBlurEffect::effectWithStyle(UIBlurEffectStyle style) {
  if (style < 0 || style >= static_cast<long>(std::size(kMaterials))) return nullptr;
  const Material& material = kMaterials[style];
  if (material.blurRadius == 0) return nullptr;
  auto effect = alloc();
  effect->style_ = style;
  effect->blurRadius_ = material.blurRadius;
  effect->saturation_ = material.saturation;
  if (material.light.white == material.dark.white && material.light.alpha == material.dark.alpha) {
    effect->tintColor_ = colorOf(material.light);
  } else {
    auto light = colorOf(material.light), dark = colorOf(material.dark);
    effect->tintColor_ = UIColor::colorWithDynamicProvider(
        [light, dark](const std::shared_ptr<UITraitCollection>& traits) {
          return traits && traits->userInterfaceStyle() == UIUserInterfaceStyleDark ? dark : light;
        });
  }
  return effect;
}
