#include "chat/OutgoingChatCell.h"

#include "chat/UIColor+Appearance.h"

std::shared_ptr<OutgoingChatCell> OutgoingChatCell::initWithStyle(
    UITableViewCellStyle style, const std::string& reuseIdentifier) {
  initBubble(style, reuseIdentifier, false);
  baseView()->setBackgroundColor(Appearance::outgoingBubble());
  addLikePill();
  return selfAs<OutgoingChatCell>();
}

OBJC_CLASS_IMPL(OutgoingChatCell) {}
