#pragma once

#include <memory>
#include <string>

#include "uikit/UIButton.h"
#include "uikit/UILabel.h"
#include "uikit/UIView.h"

// The title of a Direct thread: the other person's name as a button, left-aligned beside the
// avatar, with the user name under it. Injected code recognises it by its class name.
class IGDirectLeftAlignedTitleView : public UIView {
  OBJC_CLASS(IGDirectLeftAlignedTitleView, UIView);

 public:
  std::shared_ptr<IGDirectLeftAlignedTitleView> initWithTitle(const std::string& title,
                                                              const std::string& subtitle);

  const std::shared_ptr<UIButton>& titleButton() const { return titleButton_; }
  const std::shared_ptr<UILabel>& subtitleLabel() const { return subtitleLabel_; }

  void layoutSubviews() override;

 private:
  std::shared_ptr<UIButton> titleButton_;
  std::shared_ptr<UILabel> subtitleLabel_;
};
