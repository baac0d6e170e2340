#pragma once

// The icon button of every call control: one icon from the asset directory in its own colours,
// centred and free to overhang the button, that dims while touched. Its action has no target,
// so it travels the responder chain to the nearest view or window that implements it.

#include <memory>
#include <string>

#include "uikit/UIControl.h"
#include "uikit/UIImageView.h"

class ActionButton : public UIControl {
  OBJC_CLASS(ActionButton, UIControl);

 public:
  // `iconName` is a file in the asset directory, drawn `size` points square. A missing file
  // leaves the icon empty. The caller sizes and places the button.
  std::shared_ptr<ActionButton> initWithIcon(const std::string& iconName, CGFloat size, SEL action);

  std::shared_ptr<UIImageView> icon() const { return icon_; }
  void setIcon(std::shared_ptr<UIImageView> icon) { icon_ = std::move(icon); }

  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

  // Animates the alpha over 0.3 s: 0.8 when highlighted, 1.0 when not.
  void touchAnimateWithHighlighted(bool highlighted);

 private:
  std::shared_ptr<UIImageView> icon_;
};
