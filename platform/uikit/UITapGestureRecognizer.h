#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "uikit/UIGestureRecognizer.h"

// A discrete gesture: the required number of fingers come down and lift, the required number of
// times. Each tap must stay within 10 points of where its fingers came down and last at most
// 0.75 s; the next tap must come down within the multi-tap interval (0.35 s) of the last lift.
//
// A tap recogniser cannot be stopped by one that needs fewer taps: a double tap still sees its
// second tap after a single tap on the same touches fired. To fire a single tap only when no
// double tap follows, make it require the double tap to fail.
class UITapGestureRecognizer : public UIGestureRecognizer {
  OBJC_CLASS(UITapGestureRecognizer, UIGestureRecognizer);

 public:
  static constexpr CGFloat kAllowableMovement = 10;
  // A touch held longer is a press, not a tap.
  static constexpr double kMaximumTapDuration = 0.75;

  std::shared_ptr<UITapGestureRecognizer> init() { return initWithTarget(nullptr, SEL()); }
  std::shared_ptr<UITapGestureRecognizer> initWithTarget(const id& target, SEL action);

  unsigned long numberOfTapsRequired() const { return numberOfTapsRequired_; }
  void setNumberOfTapsRequired(unsigned long taps) { numberOfTapsRequired_ = taps; }
  unsigned long numberOfTouchesRequired() const { return numberOfTouchesRequired_; }
  void setNumberOfTouchesRequired(unsigned long touches) { numberOfTouchesRequired_ = touches; }

  bool canBePreventedByGestureRecognizer(const UIGestureRecognizer& other) const override;

 protected:
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void reset() override;

 private:
  void fail();
  bool movedTooFar(const UITouchSet& touches);

  unsigned long numberOfTapsRequired_ = 1;
  unsigned long numberOfTouchesRequired_ = 1;

  unsigned long taps_ = 0;
  // The most fingers down at once during the current tap.
  unsigned long touchesInTap_ = 0;
  std::vector<std::pair<std::shared_ptr<UITouch>, CGPoint>> starts_;
  RunLoop::Token tapTimer_;
  RunLoop::Token intervalTimer_;
};
