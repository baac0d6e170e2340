#pragma once

// A message from the other user: a bubble in the background colour with a thin grey border,
// hugging the left side, with the other user's round avatar at its lower left and a like pill
// under its lower left corner. The text is the cell's built-in textLabel; the controller sets it,
// the avatar's image and alpha, and the pill's alpha.

#include <memory>
#include <string>

#include "chat/ChatBubbleLayout.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UITableViewCell.h"

class IncomingChatCell : public UITableViewCell {
  OBJC_CLASS(IncomingChatCell, UITableViewCell);

 public:
  // The controller's reuse identifier is "IncomingCell".
  std::shared_ptr<IncomingChatCell> initWithStyle(UITableViewCellStyle style,
                                                  const std::string& reuseIdentifier);

  std::shared_ptr<UIView> baseView() const { return baseView_; }
  void setBaseView(std::shared_ptr<UIView> view) { baseView_ = std::move(view); }
  std::shared_ptr<UIImageView> avatarImage() const { return avatarImage_; }
  void setAvatarImage(std::shared_ptr<UIImageView> view) { avatarImage_ = std::move(view); }
  std::shared_ptr<UIView> likeView() const { return likeView_; }
  void setLikeView(std::shared_ptr<UIView> view) { likeView_ = std::move(view); }
  std::shared_ptr<UILabel> likeLabel() const { return likeLabel_; }
  void setLikeLabel(std::shared_ptr<UILabel> label) { likeLabel_ = std::move(label); }

  // Sizes the bubble to the measured text: text from x = 63, bubble from 48 to 78 + its width.
  void layoutSubviews() override;
  // Clears the text and avatar and drops every constraint of the previous record.
  void prepareForReuse() override;
  // Layer borders hold fixed colours; paint them again for the new appearance.
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

 private:
  std::shared_ptr<UIView> baseView_;
  std::shared_ptr<UIImageView> avatarImage_;
  std::shared_ptr<UIView> likeView_;
  std::shared_ptr<UILabel> likeLabel_;
  ChatBubbleLayout bubbleLayout_;
};
