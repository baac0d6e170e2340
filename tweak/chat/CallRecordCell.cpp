#include "chat/CallRecordCell.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "chat/ChatBubbleLayout.h"
#include "chat/UIColor+Appearance.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"

void CallRecordCell::initWithCard(UITableViewCellStyle style, const std::string& reuseIdentifier,
                                  const Card& card) {
  UITableViewCell::initWithStyle(style, reuseIdentifier);
  setBackgroundColor(UIColor::clearColor());
  const auto& content = contentView();

  baseView_ = UIView::alloc()->init();
  baseView_->layer()->setCornerRadius(22);
  if (card.incoming) {
    baseView_->setBackgroundColor(UIColor::systemBackgroundColor());
    ChatBubble::setBorderColor(*baseView_, Appearance::incomingBubbleBorder());
    baseView_->layer()->setBorderWidth(1.2);
  } else {
    baseView_->setBackgroundColor(Appearance::outgoingBubble());
  }
  // The built-in label stays empty; the card goes below it as the message cells' bubbles do.
  content->insertSubviewBelowSubview(baseView_, textLabel());
  Layout::size(baseView_, card.width, 64);
  if (card.incoming) {
    Layout::leading(baseView_, content->leadingAnchor(), 50);
  } else {
    Layout::trailing(baseView_, content->trailingAnchor(), -20);
  }
  Layout::top(baseView_, content->topAnchor(), 0);

  if (card.incoming) {
    avatarImage_ = ChatBubble::makeAvatar(*content);
    Layout::size(avatarImage_, 30, 30);
    Layout::trailing(avatarImage_, baseView_->leadingAnchor(), -10);
    Layout::bottom(avatarImage_, baseView_->bottomAnchor(), 0);
  }

  iconView_ = UIView::alloc()->init();
  iconView_->layer()->setCornerRadius(18);
  iconView_->setBackgroundColor(Appearance::callIconBackground());
  baseView_->addSubview(iconView_);
  Layout::size(iconView_, 36, 36);
  Layout::y(iconView_, baseView_->centerYAnchor());
  Layout::leading(iconView_, baseView_->leadingAnchor(), 14);

  iconImage_ = UIImageView::alloc();
  iconImage_->init();
  iconImage_->setContentMode(UIViewContentModeScaleAspectFill);
  iconImage_->setTintColor(UIColor::whiteColor());
  const std::string path = "/var/LIY/Application Support/Parlo.bundle/Assets/" + card.iconFile;
  if (auto image = UIImage::imageWithContentsOfFile(path)) {
    iconImage_->setImage(image->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate));
  }
  iconView_->addSubview(iconImage_);
  Layout::size(iconImage_, 20, 20);
  Layout::xy(iconImage_, iconView_->centerXAnchor(), iconView_->centerYAnchor());

  // Two lines top and bottom aligned with the plate, sized by their text.
  titleLabel_ = UILabel::alloc()->init();
  titleLabel_->setTextAlignment(NSTextAlignmentLeft);
  titleLabel_->setText(card.title);
  titleLabel_->setTextColor(UIColor::labelColor());
  titleLabel_->setFont(UIFont::systemFontOfSize(14, UIFontWeightSemibold));
  baseView_->addSubview(titleLabel_);
  Layout::top(titleLabel_, iconView_->topAnchor(), 0);
  Layout::leading(titleLabel_, iconView_->trailingAnchor(), 10);

  timeLabel_ = UILabel::alloc()->init();
  timeLabel_->setTextAlignment(NSTextAlignmentLeft);
  timeLabel_->setTextColor(Appearance::callIconBackground());
  timeLabel_->setFont(UIFont::systemFontOfSize(14, UIFontWeightRegular));
  baseView_->addSubview(timeLabel_);
  Layout::bottom(timeLabel_, iconView_->bottomAnchor(), 0);
  Layout::leading(timeLabel_, iconView_->trailingAnchor(), 10);
}

void CallRecordCell::prepareForReuse() {
  UITableViewCell::prepareForReuse();
  timeLabel_->setText(nullptr);
}

void CallRecordCell::traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) {
  UITableViewCell::traitCollectionDidChange(previous);
  if (!avatarImage_) return;
  ChatBubble::setBorderColor(*baseView_, Appearance::incomingBubbleBorder());
  ChatBubble::setBorderColor(*avatarImage_, Appearance::avatarBorder());
}

OBJC_CLASS_IMPL(CallRecordCell) {
  c.property("baseView", &CallRecordCell::baseView, &CallRecordCell::setBaseView)
      .property("iconView", &CallRecordCell::iconView, &CallRecordCell::setIconView)
      .property("iconImage", &CallRecordCell::iconImage, &CallRecordCell::setIconImage)
      .property("titleLabel", &CallRecordCell::titleLabel, &CallRecordCell::setTitleLabel)
      .property("timeLabel", &CallRecordCell::timeLabel, &CallRecordCell::setTimeLabel);
}
