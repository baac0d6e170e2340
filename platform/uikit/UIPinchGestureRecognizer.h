#pragma once

#include <memory>

#include "uikit/UIGestureRecognizer.h"
#include "uikit/UIGestureVelocityWindow.h"

// A continuous gesture of two fingers: it begins once the distance between them has changed by
// more than the hysteresis (10 points), changes as they move and ends when one lifts. The scale
// is the distance over the distance when the second finger came down; the velocity is in scale
// per second over the last 0.1 s.
class UIPinchGestureRecognizer : public UIGestureRecognizer {
  OBJC_CLASS(UIPinchGestureRecognizer, UIGestureRecognizer);

 public:
  static constexpr CGFloat kHysteresis = 10;

  std::shared_ptr<UIPinchGestureRecognizer> init() { return initWithTarget(nullptr, SEL()); }
  std::shared_ptr<UIPinchGestureRecognizer> initWithTarget(const id& target, SEL action);

  CGFloat scale() const { return scale_; }
  // Makes the current finger distance read as this scale.
  void setScale(CGFloat scale);
  CGFloat velocity() const;

 protected:
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void reset() override;

 private:
  CGFloat fingerDistance() const;

  CGFloat scale_ = 1;
  CGFloat initialDistance_ = 0;
  UIGestureVelocityWindow<CGFloat> velocity_;
};
