#pragma once

// The icon button of the chat navigation bar: one tinted icon from the asset directory, centred,
// that dims while touched and sends its action when the touch lifts inside. The action has no
// target, so it travels the responder chain to the screen's controller.

#include <memory>
#include <string>

#include "uikit/UIControl.h"
#include "uikit/UIImageView.h"

class NavButton : public UIControl {
  OBJC_CLASS(NavButton, UIControl);

 public:
  // `iconName` is a file in the asset directory, drawn `size` points square in the label colour.
  // A missing file leaves the icon empty; the button still takes touches. The caller sizes and
  // places the button.
  std::shared_ptr<NavButton> initWithIcon(const std::string& iconName, CGFloat size, SEL action);

  std::shared_ptr<UIImageView> icon() const { return icon_; }
  void setIcon(std::shared_ptr<UIImageView> icon) { icon_ = std::move(icon); }

  // Dims on touch down; lifting or cancelling restores, whether or not the action fires.
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

  // Animates the button's alpha over 0.3 s: 0.8 when highlighted, 1.0 when not.
  void touchAnimateWithHighlighted(bool highlighted);

 private:
  std::shared_ptr<UIImageView> icon_;
};
