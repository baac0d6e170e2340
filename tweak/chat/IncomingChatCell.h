#pragma once

// A message from the other user: a bubble in the background colour with a thin grey border,
// hugging the left side (text from x = 63, bubble from 48 to 78 + its width), with the other user's
// round avatar at its lower left and a like pill under its lower left corner. The controller sets
// the text, the avatar's image and alpha, and the pill's alpha.

#include <memory>
#include <string>

#include "chat/ChatBubbleCell.h"

class IncomingChatCell : public ChatBubbleCell {
  OBJC_CLASS(IncomingChatCell, ChatBubbleCell);

 public:
  // The controller's reuse identifier is "IncomingCell".
  std::shared_ptr<IncomingChatCell> initWithStyle(UITableViewCellStyle style,
                                                  const std::string& reuseIdentifier);

  std::shared_ptr<UIImageView> avatarImage() const { return avatarImage_; }
  void setAvatarImage(std::shared_ptr<UIImageView> view) { avatarImage_ = std::move(view); }

  // Also clears the avatar and drops its constraints.
  void prepareForReuse() override;
  // Layer borders hold fixed colours; paint them again for the new appearance.
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

 protected:
  std::shared_ptr<UIImageView> bubbleAvatar() const override { return avatarImage_; }

 private:
  std::shared_ptr<UIImageView> avatarImage_;
};
