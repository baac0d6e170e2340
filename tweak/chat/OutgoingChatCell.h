#pragma once

// A message from the user: a light grey bubble without a border, hugging the right side (the
// text ends at W - 35, the bubble at W - 20), with a like pill under its lower left corner. The
// controller sets the text and the pill's alpha.

#include <memory>
#include <string>

#include "chat/ChatBubbleCell.h"

class OutgoingChatCell : public ChatBubbleCell {
  OBJC_CLASS(OutgoingChatCell, ChatBubbleCell);

 public:
  // The controller's reuse identifier is "OutgoingCell".
  std::shared_ptr<OutgoingChatCell> initWithStyle(UITableViewCellStyle style,
                                                  const std::string& reuseIdentifier);
};
