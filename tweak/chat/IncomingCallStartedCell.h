#pragma once

// An incoming call that began ringing: the card on the left, beside the other user's avatar. While
// the call runs the controller makes it read "Tap to join" on a green plate.

#include <memory>
#include <string>

#include "chat/CallRecordCell.h"

class IncomingCallStartedCell : public CallRecordCell {
  OBJC_CLASS(IncomingCallStartedCell, CallRecordCell);

 public:
  // The controller's reuse identifier is "IncomingCallStartedCell".
  std::shared_ptr<IncomingCallStartedCell> initWithStyle(UITableViewCellStyle style,
                                                         const std::string& reuseIdentifier);

  std::shared_ptr<UIImageView> avatarImage() const { return avatarImage_; }
  void setAvatarImage(std::shared_ptr<UIImageView> view) { avatarImage_ = std::move(view); }
};
