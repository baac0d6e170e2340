#include "chat/OutgoingCallStartedCell.h"

std::shared_ptr<OutgoingCallStartedCell> OutgoingCallStartedCell::initWithStyle(
    UITableViewCellStyle style, const std::string& reuseIdentifier) {
  initWithCard(
      style, reuseIdentifier,
      {.incoming = false, .width = 196, .iconFile = "call.png", .title = "Audio call started"});
  return selfAs<OutgoingCallStartedCell>();
}

OBJC_CLASS_IMPL(OutgoingCallStartedCell) {}
