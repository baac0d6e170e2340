#pragma once

#include <memory>

#include "quartz/CGGeometry.h"
#include "quartz/UIColor.h"
#include "uikit/UIVisualEffect.h"

enum UIBlurEffectStyle : long {
  UIBlurEffectStyleExtraLight = 0,
  UIBlurEffectStyleLight = 1,
  UIBlurEffectStyleDark = 2,
  // 3 is the television's extra-dark style, which this device does not have.
  UIBlurEffectStyleRegular = 4,
  UIBlurEffectStyleProminent = 5,
  // The materials follow the appearance (light or dark) of the view they are in...
  UIBlurEffectStyleSystemUltraThinMaterial = 6,
  UIBlurEffectStyleSystemThinMaterial = 7,
  UIBlurEffectStyleSystemMaterial = 8,
  UIBlurEffectStyleSystemThickMaterial = 9,
  UIBlurEffectStyleSystemChromeMaterial = 10,
  // ...or keep one.
  UIBlurEffectStyleSystemUltraThinMaterialLight = 11,
  UIBlurEffectStyleSystemThinMaterialLight = 12,
  UIBlurEffectStyleSystemMaterialLight = 13,
  UIBlurEffectStyleSystemThickMaterialLight = 14,
  UIBlurEffectStyleSystemChromeMaterialLight = 15,
  UIBlurEffectStyleSystemUltraThinMaterialDark = 16,
  UIBlurEffectStyleSystemThinMaterialDark = 17,
  UIBlurEffectStyleSystemMaterialDark = 18,
  UIBlurEffectStyleSystemThickMaterialDark = 19,
  UIBlurEffectStyleSystemChromeMaterialDark = 20,
};

// A frosted-glass effect. The renderer blurs what lies behind the view, raises its saturation,
// then lays the tint over it.
class UIBlurEffect : public UIVisualEffect {
  OBJC_CLASS(UIBlurEffect, UIVisualEffect);

 public:
  // nil for a style this device does not have.
  static std::shared_ptr<UIBlurEffect> effectWithStyle(UIBlurEffectStyle style);

  UIBlurEffectStyle style() const { return style_; }
  // The standard deviation of the Gaussian blur, in points.
  CGFloat blurRadius() const { return blurRadius_; }
  // The factor applied to the blurred backdrop's saturation (1 leaves it).
  CGFloat saturation() const { return saturation_; }
  // Laid over the blurred backdrop with its own alpha. Dynamic for the styles that follow the
  // appearance: resolve it against the effect view's trait collection.
  std::shared_ptr<UIColor> tintColor() const { return tintColor_; }

 private:
  UIBlurEffectStyle style_ = UIBlurEffectStyleLight;
  CGFloat blurRadius_ = 0;
  CGFloat saturation_ = 1;
  std::shared_ptr<UIColor> tintColor_;
};
