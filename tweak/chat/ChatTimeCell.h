#pragma once

// The centred grey time header between groups of messages. The controller sets the text.

#include <memory>
#include <string>

#include "uikit/UILabel.h"
#include "uikit/UITableViewCell.h"

class ChatTimeCell : public UITableViewCell {
  OBJC_CLASS(ChatTimeCell, UITableViewCell);

 public:
  // The controller's reuse identifier is "ChatTimeCell".
  std::shared_ptr<ChatTimeCell> initWithStyle(UITableViewCellStyle style,
                                              const std::string& reuseIdentifier);

  std::shared_ptr<UILabel> timeLabel() const { return timeLabel_; }
  void setTimeLabel(std::shared_ptr<UILabel> label) { timeLabel_ = std::move(label); }

  void prepareForReuse() override;

 private:
  std::shared_ptr<UILabel> timeLabel_;
};
