#include "chat/IncomingChatCell.h"

#include "chat/UIColor+Appearance.h"
#include "chat/UIView+RemoveAllConstraints.h"

std::shared_ptr<IncomingChatCell> IncomingChatCell::initWithStyle(
    UITableViewCellStyle style, const std::string& reuseIdentifier) {
  initBubble(style, reuseIdentifier, true);
  auto self = selfAs<IncomingChatCell>();
  baseView()->setBackgroundColor(UIColor::systemBackgroundColor());
  baseView()->layer()->setBorderWidth(1.2);
  ChatBubble::setBorderColor(*baseView(), Appearance::incomingBubbleBorder());

  avatarImage_ = ChatBubble::makeAvatar(*contentView());
  addLikePill();
  return self;
}

void IncomingChatCell::prepareForReuse() {
  ChatBubbleCell::prepareForReuse();
  avatarImage_->setImage(nullptr);
  removeAllConstraints(avatarImage_);
}

void IncomingChatCell::traitCollectionDidChange(
    const std::shared_ptr<UITraitCollection>& previous) {
  ChatBubbleCell::traitCollectionDidChange(previous);
  ChatBubble::setBorderColor(*baseView(), Appearance::incomingBubbleBorder());
  ChatBubble::setBorderColor(*avatarImage_, Appearance::avatarBorder());
}

OBJC_CLASS_IMPL(IncomingChatCell) {
  c.property("avatarImage", &IncomingChatCell::avatarImage, &IncomingChatCell::setAvatarImage);
}
