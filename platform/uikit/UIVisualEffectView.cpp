#include "uikit/UIVisualEffectView.h"

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
