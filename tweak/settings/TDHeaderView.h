#pragma once

// The title bar of a sheet: a grabber at the top, a centred title and one or two square icon
// buttons with rounded corners. The buttons have no target, so their actions travel the
// responder chain from the button up to the first responder that implements them (for the
// settings screen, its view controller). The owner sizes and places the header.

#include <memory>
#include <string>

#include "uikit/UIButton.h"
#include "uikit/UILabel.h"

class TDHeaderView : public UIView {
  OBJC_CLASS(TDHeaderView, UIView);

 public:
  // `leftIcon` and `rightIcon` name system symbols, tinted with `accent`.
  std::shared_ptr<TDHeaderView> initWithTitle(const std::string& title,
                                              const std::shared_ptr<UIColor>& accent,
                                              const std::string& leftIcon, SEL leftAction);
  std::shared_ptr<TDHeaderView> initWithTitle(const std::string& title,
                                              const std::shared_ptr<UIColor>& accent,
                                              const std::string& leftIcon, SEL leftAction,
                                              const std::string& rightIcon, SEL rightAction);

  std::shared_ptr<UIView> grabberView() const { return grabberView_; }
  void setGrabberView(std::shared_ptr<UIView> view) { grabberView_ = std::move(view); }
  std::shared_ptr<UIView> headerView() const { return headerView_; }
  void setHeaderView(std::shared_ptr<UIView> view) { headerView_ = std::move(view); }
  std::shared_ptr<UILabel> titleLabel() const { return titleLabel_; }
  void setTitleLabel(std::shared_ptr<UILabel> label) { titleLabel_ = std::move(label); }
  std::shared_ptr<UIButton> leftButton() const { return leftButton_; }
  void setLeftButton(std::shared_ptr<UIButton> button) { leftButton_ = std::move(button); }
  // Nil unless the header was made with a right icon.
  std::shared_ptr<UIButton> rightButton() const { return rightButton_; }
  void setRightButton(std::shared_ptr<UIButton> button) { rightButton_ = std::move(button); }

 private:
  void buildWithTitle(const std::string& title, const std::shared_ptr<UIColor>& accent,
                      const std::string& leftIcon, SEL leftAction, const std::string* rightIcon,
                      SEL rightAction);
  std::shared_ptr<UIButton> makeButton(const std::shared_ptr<UIColor>& accent,
                                       const std::string& icon, SEL action);

  std::shared_ptr<UIView> grabberView_;
  std::shared_ptr<UIView> headerView_;
  std::shared_ptr<UILabel> titleLabel_;
  std::shared_ptr<UIButton> leftButton_;
  std::shared_ptr<UIButton> rightButton_;
};
