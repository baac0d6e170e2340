#pragma once

// The add-on's power button on its home page: two circles of the same size in the same place,
// the "on" one and the "off" one above it, of which exactly one shows, and the state's name
// under them. A tap on the visible circle stores the opposite value in the preference store
// and shows what the store then holds; the add-on reads it the next time the host app starts.
//
// Layout: both circles 90 x 90 at the top, centred (corners 45, a 3-point border, a soft
// shadow of radius 8), each with a white 35-point power symbol in its middle; the status line
// centred at the bottom, bold 14, tertiary label colour.

#include <memory>

#include "uikit/UIImageView.h"
#include "uikit/UIImpactFeedbackGenerator.h"
#include "uikit/UILabel.h"
#include "uikit/UIView.h"

class PRLToggleView : public UIView {
  OBJC_CLASS(PRLToggleView, UIView);

 public:
  // Reads the switch, builds the circles and the status line and shows the state at once.
  std::shared_ptr<PRLToggleView> initWithFrame(CGRect frame);

  // The "off" circle's tap: turns the add-on on.
  void disableAction();
  // The "on" circle's tap: turns the add-on off; the circle shrinks a little and springs back.
  void enableAction();
  // Reads the switch again and fades to the circle for it.
  void updatingValue();
  // One light tap, from a new generator.
  void invokeHapticFeedback();
  // Shadow and border colours are fixed layer colours; paint all six again.
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  // A hook for a pressed look; the button has none.
  void animateTouchEvent(bool pressed);

  // ---- Properties ----
  std::shared_ptr<UIView> disabledView() const { return disabledView_; }
  void setDisabledView(std::shared_ptr<UIView> view) { disabledView_ = std::move(view); }
  std::shared_ptr<UIImageView> disabledIcon() const { return disabledIcon_; }
  void setDisabledIcon(std::shared_ptr<UIImageView> view) { disabledIcon_ = std::move(view); }
  std::shared_ptr<UIView> enabledView() const { return enabledView_; }
  void setEnabledView(std::shared_ptr<UIView> view) { enabledView_ = std::move(view); }
  std::shared_ptr<UIImageView> enabledIcon() const { return enabledIcon_; }
  void setEnabledIcon(std::shared_ptr<UIImageView> view) { enabledIcon_ = std::move(view); }
  bool isEnabled() const { return isEnabled_; }
  void setIsEnabled(bool enabled) { isEnabled_ = enabled; }
  std::shared_ptr<UILabel> statusLabel() const { return statusLabel_; }
  void setStatusLabel(std::shared_ptr<UILabel> label) { statusLabel_ = std::move(label); }
  std::shared_ptr<UIImpactFeedbackGenerator> haptic() const { return haptic_; }
  void setHaptic(std::shared_ptr<UIImpactFeedbackGenerator> haptic) { haptic_ = std::move(haptic); }

 private:
  // One circle with its power symbol, pinned to the top middle of the toggle.
  std::shared_ptr<UIView> addCircle(std::shared_ptr<UIImageView>& icon);
  void applyColors();

  std::shared_ptr<UIView> disabledView_;
  std::shared_ptr<UIImageView> disabledIcon_;
  std::shared_ptr<UIView> enabledView_;
  std::shared_ptr<UIImageView> enabledIcon_;
  bool isEnabled_ = false;
  std::shared_ptr<UILabel> statusLabel_;
  std::shared_ptr<UIImpactFeedbackGenerator> haptic_;
};
