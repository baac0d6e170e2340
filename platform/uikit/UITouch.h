#pragma once

#include <memory>
#include <vector>

#include "quartz/CGGeometry.h"
#include "runtime/NSObject.h"
#include "uikit/Forward.h"

enum UITouchPhase : long {
  UITouchPhaseBegan = 0,
  UITouchPhaseMoved = 1,
  UITouchPhaseStationary = 2,
  UITouchPhaseEnded = 3,
  UITouchPhaseCancelled = 4,
};

// One finger on the screen, from the moment it comes down until it lifts or is cancelled. The
// touch stays with the view and window it began on for its whole life, even when it moves
// outside them, and keeps them alive meanwhile.
class UITouch : public NSObject {
  OBJC_CLASS(UITouch, NSObject);

 public:
  // A touch that comes down within this time of the previous one lifting, and near it, is the
  // next tap of a sequence (tapCount, multi-tap recognisers).
  static constexpr double kMultiTapInterval = 0.35;
  static constexpr CGFloat kMultiTapDistance = 45;

  UITouchPhase phase() const { return phase_; }
  // Clock::now() when the touch last changed.
  double timestamp() const { return timestamp_; }
  // 1 for a single tap; 2 when it began shortly after a touch lifted nearby; and so on.
  unsigned long tapCount() const { return tapCount_; }

  std::shared_ptr<UIView> view() const { return view_; }
  std::shared_ptr<UIWindow> window() const { return window_; }
  // The recognisers that receive this touch, deepest view first.
  std::vector<std::shared_ptr<UIGestureRecognizer>> gestureRecognizers() const;

  // Where the touch is (or was at the previous change) in the view's coordinates; a nil view
  // means the touch's window.
  CGPoint locationInView(const std::shared_ptr<UIView>& view) const;
  CGPoint previousLocationInView(const std::shared_ptr<UIView>& view) const;

 private:
  friend class UIApplication;
  friend class UIWindow;
  friend class UIGestureRecognizer;

  // A point in the coordinates of `window` (the screen's when nil), in the view's (nil: the
  // window's).
  static CGPoint convertFromWindow(CGPoint point, const std::shared_ptr<UIWindow>& window,
                                   const std::shared_ptr<UIView>& view);

  UITouchPhase phase_ = UITouchPhaseBegan;
  double timestamp_ = 0;
  unsigned long tapCount_ = 1;
  // In the coordinates of the touch's window (the screen's when it began on no window).
  CGPoint location_;
  CGPoint previousLocation_;
  std::shared_ptr<UIView> view_;
  std::shared_ptr<UIWindow> window_;
  std::vector<std::weak_ptr<UIGestureRecognizer>> gestureRecognizers_;

  // What the view has been told: touches a recogniser took over are cancelled for the view and
  // reach it no more.
  bool beganForView_ = false;
  bool finishedForView_ = false;
};
