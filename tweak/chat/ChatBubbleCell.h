#pragma once

// A message cell: the cell's built-in textLabel in a rounded bubble drawn below it, and a like
// pill under the bubble's lower left corner. The incoming and outgoing cells colour the bubble
// and choose its side; the controller sets the text and the pill's alpha.

#include <memory>
#include <string>

#include "chat/ChatBubbleLayout.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UITableViewCell.h"

class ChatBubbleCell : public UITableViewCell {
  OBJC_CLASS(ChatBubbleCell, UITableViewCell);

 public:
  std::shared_ptr<UIView> baseView() const { return baseView_; }
  void setBaseView(std::shared_ptr<UIView> view) { baseView_ = std::move(view); }
  std::shared_ptr<UIView> likeView() const { return likeView_; }
  void setLikeView(std::shared_ptr<UIView> view) { likeView_ = std::move(view); }
  std::shared_ptr<UILabel> likeLabel() const { return likeLabel_; }
  void setLikeLabel(std::shared_ptr<UILabel> label) { likeLabel_ = std::move(label); }

  // Sizes the bubble to the measured text.
  void layoutSubviews() override;
  // Clears the text and drops every constraint of the previous record.
  void prepareForReuse() override;
  // The pill's ring is a layer border; paint it again for the new appearance.
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

 protected:
  // The styled text label and the bubble below it (corner radius 22, no colour yet). `incoming`
  // lays the bubble out on the left, beside an avatar.
  void initBubble(UITableViewCellStyle style, const std::string& reuseIdentifier, bool incoming);
  // The pill goes on top of what the cell added after the bubble.
  void addLikePill();
  // What the layout pass ties to the bubble's lower left; none by default.
  virtual std::shared_ptr<UIImageView> bubbleAvatar() const { return nullptr; }

 private:
  std::shared_ptr<UIView> baseView_;
  std::shared_ptr<UIView> likeView_;
  std::shared_ptr<UILabel> likeLabel_;
  ChatBubbleLayout bubbleLayout_;
  bool incoming_ = false;
};
