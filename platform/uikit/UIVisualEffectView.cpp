#include "uikit/UIVisualEffectView.h"

#include "quartz/CGContext+Private.h"
#include "uikit/UIBlurEffect.h"
#include "uikit/UIGraphics.h"

OBJC_CLASS_IMPL(UIVisualEffectView) {}

std::shared_ptr<UIVisualEffectView> UIVisualEffectView::initWithEffect(
    std::shared_ptr<UIVisualEffect> effect) {
  initWithFrame(CGRectZero);
  effect_ = std::move(effect);
  contentView_ = UIView::alloc()->initWithFrame(bounds());
  contentView_->setAutoresizingMask(static_cast<UIViewAutoresizing>(
      UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight));
  addSubview(contentView_);
  return selfAs<UIVisualEffectView>();
}

void UIVisualEffectView::setEffect(std::shared_ptr<UIVisualEffect> effect) {
  effect_ = std::move(effect);
  setNeedsDisplay();
}

void UIVisualEffectView::drawRect(CGRect) {
  auto blur = std::dynamic_pointer_cast<UIBlurEffect>(effect_);
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (!blur || !context) return;
  CGRect bounds = this->bounds();
  if (bounds.size.width <= 0 || bounds.size.height <= 0) return;
  if (!CGContextDrawBlurredBackdrop(context, bounds, blur->blurRadius(), blur->saturation())) {
    return;
  }

  if (auto tint = blur->tintColor()) {
    CGColor color =
        tint->resolvedColorWithTraitCollection(UITraitCollection::currentTraitCollection())
            ->CGColor();
    CGContextSetFillColorWithColor(context, color);
    CGContextFillRect(context, bounds);
  }
}
