#include "chat/IncomingCallStartedCell.h"

std::shared_ptr<IncomingCallStartedCell> IncomingCallStartedCell::initWithStyle(
    UITableViewCellStyle style, const std::string& reuseIdentifier) {
  initWithCard(
      style, reuseIdentifier,
      {.incoming = true, .width = 196, .iconFile = "call.png", .title = "Audio call started"});
  return selfAs<IncomingCallStartedCell>();
}

OBJC_CLASS_IMPL(IncomingCallStartedCell) {
  c.property("avatarImage", &IncomingCallStartedCell::avatarImage,
             &IncomingCallStartedCell::setAvatarImage);
}
