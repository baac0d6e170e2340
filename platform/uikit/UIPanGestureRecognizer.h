#pragma once

#include <limits>
#include <memory>

#include "uikit/UIGestureRecognizer.h"
#include "uikit/UIGestureVelocityWindow.h"

// A continuous gesture: the fingers move together further than the hysteresis (10 points) and
// it begins; it changes as they move and ends when fewer than the minimum remain. The
// translation is the movement of the fingers' centroid since they came down (fingers joining
// or lifting do not make it jump); the velocity is measured over the last 0.1 s.
class UIPanGestureRecognizer : public UIGestureRecognizer {
  OBJC_CLASS(UIPanGestureRecognizer, UIGestureRecognizer);

 public:
  static constexpr CGFloat kHysteresis = 10;

  std::shared_ptr<UIPanGestureRecognizer> init() { return initWithTarget(nullptr, SEL()); }
  std::shared_ptr<UIPanGestureRecognizer> initWithTarget(const id& target, SEL action);

  unsigned long minimumNumberOfTouches() const { return minimumNumberOfTouches_; }
  void setMinimumNumberOfTouches(unsigned long touches) { minimumNumberOfTouches_ = touches; }
  unsigned long maximumNumberOfTouches() const { return maximumNumberOfTouches_; }
  void setMaximumNumberOfTouches(unsigned long touches) { maximumNumberOfTouches_ = touches; }

  // In the view's coordinates; a nil view means the window's.
  CGPoint translationInView(const std::shared_ptr<UIView>& view) const;
  void setTranslation(CGPoint translation, const std::shared_ptr<UIView>& view);
  // Points per second.
  CGPoint velocityInView(const std::shared_ptr<UIView>& view) const;

 protected:
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void reset() override;

 private:
  // Adds the centroid's movement from the touches' previous locations to their current ones.
  void accumulate(const UITouchSet& moved);

  unsigned long minimumNumberOfTouches_ = 1;
  unsigned long maximumNumberOfTouches_ = std::numeric_limits<unsigned long>::max();

  // In window coordinates.
  CGPoint translation_;
  UIGestureVelocityWindow<CGPoint> velocity_;
};
