#pragma once

// A message from the user: a light grey bubble without a border, hugging the right side, with a
// like pill under its lower left corner. The text is the cell's built-in textLabel; the
// controller sets it and the pill's alpha.

#include <memory>
#include <string>

#include "chat/ChatBubbleLayout.h"
#include "uikit/UILabel.h"
#include "uikit/UITableViewCell.h"

class OutgoingChatCell : public UITableViewCell {
  OBJC_CLASS(OutgoingChatCell, UITableViewCell);

 public:
  // The controller's reuse identifier is "OutgoingCell".
  std::shared_ptr<OutgoingChatCell> initWithStyle(UITableViewCellStyle style,
                                                  const std::string& reuseIdentifier);

  std::shared_ptr<UIView> baseView() const { return baseView_; }
  void setBaseView(std::shared_ptr<UIView> view) { baseView_ = std::move(view); }
  std::shared_ptr<UIView> likeView() const { return likeView_; }
  void setLikeView(std::shared_ptr<UIView> view) { likeView_ = std::move(view); }
  std::shared_ptr<UILabel> likeLabel() const { return likeLabel_; }
  void setLikeLabel(std::shared_ptr<UILabel> label) { likeLabel_ = std::move(label); }

  // Sizes the bubble to the measured text: the text ends at W - 35, the bubble at W - 20.
  void layoutSubviews() override;
  // Clears the text and drops every constraint of the previous record.
  void prepareForReuse() override;
  // The pill's ring is a layer border; paint it again for the new appearance.
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

 private:
  std::shared_ptr<UIView> baseView_;
  std::shared_ptr<UIView> likeView_;
  std::shared_ptr<UILabel> likeLabel_;
  ChatBubbleLayout bubbleLayout_;
};
