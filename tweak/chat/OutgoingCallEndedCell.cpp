#include "chat/OutgoingCallEndedCell.h"

std::shared_ptr<OutgoingCallEndedCell> OutgoingCallEndedCell::initWithStyle(
    UITableViewCellStyle style, const std::string& reuseIdentifier) {
  initWithCard(style, reuseIdentifier,
               {.incoming = false,
                .width = 189,
                .iconFile = "outgoing-call.png",
                .title = "Audio call ended"});
  return selfAs<OutgoingCallEndedCell>();
}

OBJC_CLASS_IMPL(OutgoingCallEndedCell) {}
