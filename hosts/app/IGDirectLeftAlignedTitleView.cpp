#include "IGDirectLeftAlignedTitleView.h"

#include <algorithm>

#include "uikit/UIFont.h"

OBJC_CLASS_IMPL(IGDirectLeftAlignedTitleView) {}

std::shared_ptr<IGDirectLeftAlignedTitleView> IGDirectLeftAlignedTitleView::initWithTitle(
    const std::string& title, const std::string& subtitle) {
  initWithFrame(CGRectZero);
  titleButton_ = UIButton::buttonWithType(UIButtonTypeCustom);
  titleButton_->setTitle(title, UIControlStateNormal);
  titleButton_->setTitleColor(UIColor::labelColor(), UIControlStateNormal);
  titleButton_->titleLabel()->setFont(UIFont::systemFontOfSize(16, UIFontWeightSemibold));
  addSubview(titleButton_);

  subtitleLabel_ = UILabel::alloc()->init();
  subtitleLabel_->setText(subtitle);
  subtitleLabel_->setFont(UIFont::systemFontOfSize(12));
  subtitleLabel_->setTextColor(UIColor::secondaryLabelColor());
  addSubview(subtitleLabel_);
  return selfAs<IGDirectLeftAlignedTitleView>();
}

void IGDirectLeftAlignedTitleView::layoutSubviews() {
  UIView::layoutSubviews();
  CGFloat width = bounds().size.width;
  CGSize title = titleButton_->sizeThatFits({width, 22});
  titleButton_->setFrame({{0, 3}, {std::min(title.width, width), 22}});
  subtitleLabel_->setFrame({{0, 25}, {width, 16}});
}
