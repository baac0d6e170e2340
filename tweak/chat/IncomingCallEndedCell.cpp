#include "chat/IncomingCallEndedCell.h"

std::shared_ptr<IncomingCallEndedCell> IncomingCallEndedCell::initWithStyle(
    UITableViewCellStyle style, const std::string& reuseIdentifier) {
  initWithCard(style, reuseIdentifier,
               {.incoming = true,
                .width = 189,
                .iconFile = "incoming-call.png",
                .title = "Audio call ended"});
  return selfAs<IncomingCallEndedCell>();
}

OBJC_CLASS_IMPL(IncomingCallEndedCell) {
  c.property("avatarImage", &IncomingCallEndedCell::avatarImage,
             &IncomingCallEndedCell::setAvatarImage);
}
