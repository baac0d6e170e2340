#include "chat/IncomingChatCell.h"

#include "chat/UIColor+Appearance.h"
#include "chat/UIView+RemoveAllConstraints.h"

std::shared_ptr<IncomingChatCell> IncomingChatCell::initWithStyle(
    UITableViewCellStyle style, const std::string& reuseIdentifier) {
  UITableViewCell::initWithStyle(style, reuseIdentifier);
  auto self = selfAs<IncomingChatCell>();
  setBackgroundColor(UIColor::clearColor());
  const auto label = textLabel();
  ChatBubble::styleTextLabel(*label);

  baseView_ = UIView::alloc()->init();
  baseView_->setBackgroundColor(UIColor::systemBackgroundColor());
  baseView_->layer()->setCornerRadius(22);
  baseView_->layer()->setBorderWidth(1.2);
  ChatBubble::setBorderColor(*baseView_, Appearance::incomingBubbleBorder());
  contentView()->insertSubviewBelowSubview(baseView_, label);

  avatarImage_ = ChatBubble::makeAvatar(*contentView());

  ChatBubble::makeLikePill(*contentView(), likeView_, likeLabel_);
  return self;
}

void IncomingChatCell::layoutSubviews() {
  UITableViewCell::layoutSubviews();
  bubbleLayout_.layout(*this, {textLabel(), baseView_, likeView_, likeLabel_, avatarImage_}, true);
}

void IncomingChatCell::prepareForReuse() {
  UITableViewCell::prepareForReuse();
  textLabel()->setText(nullptr);
  avatarImage_->setImage(nullptr);
  removeAllConstraints(baseView_);
  removeAllConstraints(likeView_);
  removeAllConstraints(likeLabel_);
  removeAllConstraints(avatarImage_);
}

void IncomingChatCell::traitCollectionDidChange(
    const std::shared_ptr<UITraitCollection>& previous) {
  UITableViewCell::traitCollectionDidChange(previous);
  ChatBubble::setBorderColor(*baseView_, Appearance::incomingBubbleBorder());
  ChatBubble::setBorderColor(*likeView_, UIColor::systemBackgroundColor());
  ChatBubble::setBorderColor(*avatarImage_, Appearance::avatarBorder());
}

OBJC_CLASS_IMPL(IncomingChatCell) {
  c.property("baseView", &IncomingChatCell::baseView, &IncomingChatCell::setBaseView)
      .property("avatarImage", &IncomingChatCell::avatarImage, &IncomingChatCell::setAvatarImage)
      .property("likeView", &IncomingChatCell::likeView, &IncomingChatCell::setLikeView)
      .property("likeLabel", &IncomingChatCell::likeLabel, &IncomingChatCell::setLikeLabel);
}
