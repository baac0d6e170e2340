#pragma once

// An incoming call that ended or was declined: the card on the left, beside the other user's
// avatar.

#include <memory>
#include <string>

#include "chat/CallRecordCell.h"

class IncomingCallEndedCell : public CallRecordCell {
  OBJC_CLASS(IncomingCallEndedCell, CallRecordCell);

 public:
  // The controller's reuse identifier is "IncomingCallEndedCell".
  std::shared_ptr<IncomingCallEndedCell> initWithStyle(UITableViewCellStyle style,
                                                       const std::string& reuseIdentifier);

  std::shared_ptr<UIImageView> avatarImage() const { return avatarImage_; }
  void setAvatarImage(std::shared_ptr<UIImageView> view) { avatarImage_ = std::move(view); }
};
