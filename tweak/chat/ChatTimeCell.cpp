#include "chat/ChatTimeCell.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "chat/UIColor+Appearance.h"
#include "uikit/UIFont.h"

std::shared_ptr<ChatTimeCell> ChatTimeCell::initWithStyle(UITableViewCellStyle style,
                                                          const std::string& reuseIdentifier) {
  UITableViewCell::initWithStyle(style, reuseIdentifier);
  auto self = selfAs<ChatTimeCell>();
  timeLabel_ = UILabel::alloc()->init();
  timeLabel_->setTextAlignment(NSTextAlignmentCenter);
  timeLabel_->setText("17:16");
  timeLabel_->setTextColor(Appearance::callIconBackground());
  timeLabel_->setFont(UIFont::systemFontOfSize(11, UIFontWeightRegular));
  const auto& content = contentView();
  content->addSubview(timeLabel_);
  Layout::xy(timeLabel_, content->centerXAnchor(), content->centerYAnchor());
  return self;
}

void ChatTimeCell::prepareForReuse() {
  UITableViewCell::prepareForReuse();
  timeLabel_->setText(nullptr);
}

OBJC_CLASS_IMPL(ChatTimeCell) {
  c.property("timeLabel", &ChatTimeCell::timeLabel, &ChatTimeCell::setTimeLabel);
}
