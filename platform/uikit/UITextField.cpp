#include "uikit/UITextField.h"

#include <cmath>

OBJC_CLASS_IMPL(UITextField) {}

std::shared_ptr<UITextField> UITextField::initWithFrame(CGRect frame) {
  UIControl::initWithFrame(frame);
  setContentVerticalAlignment(UIControlContentVerticalAlignmentCenter);
  return selfAs<UITextField>();
}

void UITextField::setText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  invalidateIntrinsicContentSize();
}

void UITextField::setPlaceholder(const std::string& placeholder) {
  placeholder_ = placeholder;
}

std::shared_ptr<UIFont> UITextField::font() const {
  return font_ ? font_ : UIFont::systemFontOfSize(17);
}

void UITextField::setFont(std::shared_ptr<UIFont> font) {
  font_ = std::move(font);
  invalidateIntrinsicContentSize();
}

std::shared_ptr<UIColor> UITextField::textColor() const {
  return textColor_ ? textColor_ : UIColor::labelColor();
}

CGSize UITextField::intrinsicContentSize() const {
  CGFloat line = std::ceil(font()->lineHeight());
  CGFloat padding = borderStyle_ == UITextBorderStyleRoundedRect ? 14 : 0;
  return CGSizeMake(UIViewNoIntrinsicMetric, line + padding);
}
