#pragma once

#include <memory>

#include "uikit/UIControl.h"

// An on/off switch: a rounded track with a round thumb, always 51 x 31 points. A tap flips it
// and sends ValueChanged.
class UISwitch : public UIControl {
  OBJC_CLASS(UISwitch, UIControl);

 public:
  std::shared_ptr<UISwitch> init() { return initWithFrame(CGRectZero); }
  // Keeps the origin; the size is always the switch's own.
  std::shared_ptr<UISwitch> initWithFrame(CGRect frame);

  bool isOn() const { return on_; }
  void setOn(bool on) { setOn(on, false); }
  void setOn(bool on, bool animated);

  // Nil means the platform's green track and white thumb.
  std::shared_ptr<UIColor> onTintColor() const { return onTintColor_; }
  void setOnTintColor(std::shared_ptr<UIColor> color);
  std::shared_ptr<UIColor> thumbTintColor() const { return thumbTintColor_; }
  void setThumbTintColor(std::shared_ptr<UIColor> color);

  CGSize intrinsicContentSize() const override { return kSize; }
  CGSize sizeThatFits(CGSize) const override { return kSize; }
  void layoutSubviews() override;

  static constexpr CGSize kSize{51, 31};

  // The parts, for the renderer and the view tree.
  const std::shared_ptr<UIView>& trackView() const { return track_; }
  const std::shared_ptr<UIView>& thumbView() const { return thumb_; }

 protected:
  void touchUpInside(const std::shared_ptr<UIEvent>& event) override;

 private:
  // Registered as setFrame:, so every frame (also from layout) keeps the fixed size.
  void setFrameKeepingSize(CGRect frame);
  void updateAppearance();
  void placeParts();

  bool on_ = false;
  std::shared_ptr<UIColor> onTintColor_;
  std::shared_ptr<UIColor> thumbTintColor_;
  std::shared_ptr<UIView> track_;
  std::shared_ptr<UIView> thumb_;
};
