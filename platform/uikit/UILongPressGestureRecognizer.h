#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "uikit/UIGestureRecognizer.h"

// A continuous gesture: the fingers stay down for the minimum press duration without moving
// further than the allowable movement; it begins then (on the clock, with no movement needed),
// changes as they move and ends when they lift. With taps required, that many quick taps come
// first, each within the multi-tap interval of the last.
class UILongPressGestureRecognizer : public UIGestureRecognizer {
  OBJC_CLASS(UILongPressGestureRecognizer, UIGestureRecognizer);

 public:
  std::shared_ptr<UILongPressGestureRecognizer> init() { return initWithTarget(nullptr, SEL()); }
  std::shared_ptr<UILongPressGestureRecognizer> initWithTarget(const id& target, SEL action);

  double minimumPressDuration() const { return minimumPressDuration_; }
  void setMinimumPressDuration(double duration) { minimumPressDuration_ = duration; }
  CGFloat allowableMovement() const { return allowableMovement_; }
  void setAllowableMovement(CGFloat movement) { allowableMovement_ = movement; }
  unsigned long numberOfTouchesRequired() const { return numberOfTouchesRequired_; }
  void setNumberOfTouchesRequired(unsigned long touches) { numberOfTouchesRequired_ = touches; }
  unsigned long numberOfTapsRequired() const { return numberOfTapsRequired_; }
  void setNumberOfTapsRequired(unsigned long taps) { numberOfTapsRequired_ = taps; }

 protected:
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void reset() override;

 private:
  void fail();
  void pressDurationElapsed();

  double minimumPressDuration_ = 0.5;
  CGFloat allowableMovement_ = 10;
  unsigned long numberOfTouchesRequired_ = 1;
  unsigned long numberOfTapsRequired_ = 0;

  unsigned long taps_ = 0;
  std::vector<std::pair<std::shared_ptr<UITouch>, CGPoint>> starts_;
  RunLoop::Token pressTimer_;
  RunLoop::Token intervalTimer_;
};
