#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "uikit/UIButtonLabel.h"
#include "uikit/UIControl.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"

enum UIButtonType : long {
  UIButtonTypeCustom = 0,
  UIButtonTypeSystem = 1,
  UIButtonTypeDetailDisclosure = 2,
  UIButtonTypeInfoLight = 3,
  UIButtonTypeInfoDark = 4,
  UIButtonTypeContactAdd = 5,
  UIButtonTypeClose = 7,
};

// A control that shows a title and an image, each chosen by state: what is set for the current
// state, else what is set for the normal state. The image sits before the title and the pair is
// placed in the bounds by the content alignment, within the edge insets.
//
// The title label and the image view are placed in layoutSubviews, through setFrame:.
class UIButton : public UIControl {
  OBJC_CLASS(UIButton, UIControl);

 public:
  static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);
  // A custom button.
  std::shared_ptr<UIButton> init() { return initWithFrame(CGRectZero); }
  std::shared_ptr<UIButton> initWithFrame(CGRect frame);

  UIButtonType buttonType() const { return buttonType_; }

  // Per-state content. A nil value removes what was set for the state.
  void setTitle(std::optional<std::string> title, UIControlState state);
  std::optional<std::string> titleForState(UIControlState state) const;
  void setTitleColor(std::shared_ptr<UIColor> color, UIControlState state);
  std::shared_ptr<UIColor> titleColorForState(UIControlState state) const;
  void setImage(std::shared_ptr<UIImage> image, UIControlState state);
  std::shared_ptr<UIImage> imageForState(UIControlState state) const;
  void setBackgroundImage(std::shared_ptr<UIImage> image, UIControlState state);
  std::shared_ptr<UIImage> backgroundImageForState(UIControlState state) const;

  // For the current state.
  std::optional<std::string> currentTitle() const { return titleForState(state()); }
  std::shared_ptr<UIColor> currentTitleColor() const { return titleColorForState(state()); }
  std::shared_ptr<UIImage> currentImage() const { return imageForState(state()); }
  std::shared_ptr<UIImage> currentBackgroundImage() const {
    return backgroundImageForState(state());
  }

  // Made on first use; in the view tree while there is a title (or an image).
  std::shared_ptr<UILabel> titleLabel();
  std::shared_ptr<UIImageView> imageView();

  UIEdgeInsets contentEdgeInsets() const { return contentEdgeInsets_; }
  void setContentEdgeInsets(UIEdgeInsets insets);
  UIEdgeInsets titleEdgeInsets() const { return titleEdgeInsets_; }
  void setTitleEdgeInsets(UIEdgeInsets insets);
  UIEdgeInsets imageEdgeInsets() const { return imageEdgeInsets_; }
  void setImageEdgeInsets(UIEdgeInsets insets);
  bool adjustsImageWhenHighlighted() const { return adjustsImageWhenHighlighted_; }
  void setAdjustsImageWhenHighlighted(bool adjusts) { adjustsImageWhenHighlighted_ = adjusts; }

  // Where the parts go for a content rectangle (the bounds less the content insets).
  CGRect contentRectForBounds(CGRect bounds) const;
  CGRect imageRectForContentRect(CGRect contentRect) const;
  CGRect titleRectForContentRect(CGRect contentRect) const;

  // The image and the title side by side, plus the content insets.
  CGSize intrinsicContentSize() const override;
  CGSize sizeThatFits(CGSize size) const override;
  void layoutSubviews() override;

  void setEnabled(bool enabled) override;
  void setSelected(bool selected) override;
  void setHighlighted(bool highlighted) override;
  void tintColorDidChange() override;
  // A system button's tint may come from its new superview.
  void didMoveToSuperview() override;

 protected:
  // Also sends PrimaryActionTriggered, as a button's primary action is its tap.
  void touchUpInside(const std::shared_ptr<UIEvent>& event) override;

 private:
  template <class T>
  static T valueForState(const std::map<unsigned long, T>& values, UIControlState state);
  // Shows the current state's content in the label and the image views.
  void updateContent();
  CGSize titleSize(CGFloat maxWidth) const;
  CGSize imageSize() const;

  UIButtonType buttonType_ = UIButtonTypeCustom;
  std::map<unsigned long, std::string> titles_;
  std::map<unsigned long, std::shared_ptr<UIColor>> titleColors_;
  std::map<unsigned long, std::shared_ptr<UIImage>> images_;
  std::map<unsigned long, std::shared_ptr<UIImage>> backgroundImages_;

  std::shared_ptr<UIButtonLabel> titleLabel_;
  std::shared_ptr<UIImageView> imageView_;
  std::shared_ptr<UIImageView> backgroundImageView_;

  UIEdgeInsets contentEdgeInsets_ = UIEdgeInsetsZero;
  UIEdgeInsets titleEdgeInsets_ = UIEdgeInsetsZero;
  UIEdgeInsets imageEdgeInsets_ = UIEdgeInsetsZero;
  bool adjustsImageWhenHighlighted_ = true;
};
