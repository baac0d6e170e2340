#pragma once

#include <memory>

#include "uikit/UIView.h"
#include "uikit/UIVisualEffect.h"

// A view that applies an effect to what lies behind it. Content goes into contentView, which
// always covers the view and is drawn over the effect.
class UIVisualEffectView : public UIView {
  OBJC_CLASS(UIVisualEffectView, UIView);

 public:
  // The way to make one: it builds the content view.
  std::shared_ptr<UIVisualEffectView> initWithEffect(std::shared_ptr<UIVisualEffect> effect);

  std::shared_ptr<UIVisualEffect> effect() const { return effect_; }
  // nil removes the effect; the content stays.
  void setEffect(std::shared_ptr<UIVisualEffect> effect);
  const std::shared_ptr<UIView>& contentView() const { return contentView_; }

  // A blur effect blurs what has been drawn beneath the view so far (within the view's own
  // rectangle, whose edges extend outwards), lifts its saturation and lays the tint over it.
  void drawRect(CGRect rect) override;

 private:
  std::shared_ptr<UIVisualEffect> effect_;
  std::shared_ptr<UIView> contentView_;
};
