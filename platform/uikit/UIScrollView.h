#pragma once

#include <memory>

#include "foundation/RunLoop.h"
#include "uikit/Forward.h"
#include "uikit/UIView.h"

enum UIScrollViewContentInsetAdjustmentBehavior : long {
  // The safe area is added vertically always, horizontally when the content scrolls that way.
  UIScrollViewContentInsetAdjustmentAutomatic = 0,
  // The safe area is added on the axes along which the content scrolls.
  UIScrollViewContentInsetAdjustmentScrollableAxes = 1,
  UIScrollViewContentInsetAdjustmentNever = 2,
  UIScrollViewContentInsetAdjustmentAlways = 3,
};

enum UIScrollViewKeyboardDismissMode : long {
  UIScrollViewKeyboardDismissModeNone = 0,
  UIScrollViewKeyboardDismissModeOnDrag = 1,
  UIScrollViewKeyboardDismissModeInteractive = 2,
};

// How much of the velocity is left after each millisecond of deceleration.
using UIScrollViewDecelerationRate = CGFloat;
inline constexpr UIScrollViewDecelerationRate UIScrollViewDecelerationRateNormal = 0.998;
inline constexpr UIScrollViewDecelerationRate UIScrollViewDecelerationRateFast = 0.99;

// What a scroll view tells its delegate. Every method is optional: the defaults do nothing.
class UIScrollViewDelegate {
 public:
  virtual ~UIScrollViewDelegate() = default;

  // After every change of the content offset, whatever made it.
  virtual void scrollViewDidScroll(const std::shared_ptr<UIScrollView>&) {}
  virtual void scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>&) {}
  virtual void scrollViewDidEndDragging(const std::shared_ptr<UIScrollView>&, bool willDecelerate) {
    (void)willDecelerate;
  }
  virtual void scrollViewWillBeginDecelerating(const std::shared_ptr<UIScrollView>&) {}
  virtual void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>&) {}
  // When an animated setContentOffset / scrollRectToVisible has finished.
  virtual void scrollViewDidEndScrollingAnimation(const std::shared_ptr<UIScrollView>&) {}
  virtual bool scrollViewShouldScrollToTop(const std::shared_ptr<UIScrollView>&) { return true; }
  virtual void scrollViewDidScrollToTop(const std::shared_ptr<UIScrollView>&) {}
  virtual void scrollViewDidChangeAdjustedContentInset(const std::shared_ptr<UIScrollView>&) {}
};

// A view whose content is larger than itself. The content offset is the bounds origin, so the
// subviews (the content) move when it scrolls. A one-finger pan drags the content; when the
// finger lifts with some speed the content decelerates on the run loop's clock, its velocity
// multiplied by decelerationRate for every millisecond, and stops at the edges: past an edge it
// rubber-bands when it bounces and settles back, else it stops there.
//
// The scrollable range runs from -adjustedContentInset.top (left) to contentSize.height +
// adjustedContentInset.bottom - bounds.height (likewise for the width), and is never negative.
// Setting the offset in code is not limited to that range, as on the platform. Content at rest
// at its top (left) edge stays at that edge when the insets change.
class UIScrollView : public UIView {
  OBJC_CLASS(UIScrollView, UIView);

 public:
  UIScrollView();
  ~UIScrollView() override;

  std::shared_ptr<UIScrollView> init() { return initWithFrame(CGRectZero); }
  std::shared_ptr<UIScrollView> initWithFrame(CGRect frame);

  // The content offset, and where the content is.
  CGPoint contentOffset() const { return bounds().origin; }
  void setContentOffset(CGPoint offset);
  // Animated: the offset takes its new value at once (a bounds animation shows the way there)
  // and the delegate hears scrollViewDidEndScrollingAnimation: when it has run.
  void setContentOffset(CGPoint offset, bool animated);
  CGSize contentSize() const { return contentSize_; }
  void setContentSize(CGSize size);
  UIEdgeInsets contentInset() const { return contentInset_; }
  void setContentInset(UIEdgeInsets insets);
  // contentInset plus the safe area, as contentInsetAdjustmentBehavior says.
  UIEdgeInsets adjustedContentInset() const;
  UIScrollViewContentInsetAdjustmentBehavior contentInsetAdjustmentBehavior() const {
    return contentInsetAdjustmentBehavior_;
  }
  void setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior behavior);
  // Called when adjustedContentInset changes; the default tells the delegate.
  virtual void adjustedContentInsetDidChange();
  // Also notices a change of the safe area (the view moved on screen).
  void layoutSubviews() override;
  // Scrolls the least distance that shows the rectangle (in content coordinates).
  void scrollRectToVisible(CGRect rect, bool animated);

  // Indicators (drawn by the renderer).
  UIEdgeInsets scrollIndicatorInsets() const { return scrollIndicatorInsets_; }
  void setScrollIndicatorInsets(UIEdgeInsets insets) { scrollIndicatorInsets_ = insets; }
  bool showsVerticalScrollIndicator() const { return showsVerticalScrollIndicator_; }
  void setShowsVerticalScrollIndicator(bool shows) { showsVerticalScrollIndicator_ = shows; }
  bool showsHorizontalScrollIndicator() const { return showsHorizontalScrollIndicator_; }
  void setShowsHorizontalScrollIndicator(bool shows) { showsHorizontalScrollIndicator_ = shows; }

  // Behaviour.
  bool isScrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool enabled);
  bool bounces() const { return bounces_; }
  void setBounces(bool bounces) { bounces_ = bounces; }
  // Drags along an axis even when the content fits (with bounces on).
  bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
  void setAlwaysBounceVertical(bool bounce) { alwaysBounceVertical_ = bounce; }
  bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
  void setAlwaysBounceHorizontal(bool bounce) { alwaysBounceHorizontal_ = bounce; }
  bool scrollsToTop() const { return scrollsToTop_; }
  void setScrollsToTop(bool scrolls) { scrollsToTop_ = scrolls; }
  UIScrollViewKeyboardDismissMode keyboardDismissMode() const { return keyboardDismissMode_; }
  void setKeyboardDismissMode(UIScrollViewKeyboardDismissMode mode) { keyboardDismissMode_ = mode; }
  UIScrollViewDecelerationRate decelerationRate() const { return decelerationRate_; }
  void setDecelerationRate(UIScrollViewDecelerationRate rate) { decelerationRate_ = rate; }

  // State of the user's scrolling.
  // A finger is on the content (the pan has begun).
  bool isTracking() const { return dragging_; }
  bool isDragging() const { return dragging_; }
  bool isDecelerating() const { return decelerating_; }

  // The recogniser that drags the content; others may require it to fail or inspect it.
  const std::shared_ptr<UIPanGestureRecognizer>& panGestureRecognizer() const { return pan_; }

  // Weak.
  std::shared_ptr<UIScrollViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<UIScrollViewDelegate>& delegate) { delegate_ = delegate; }

  // The offsets between which the user can scroll (and where bouncing settles).
  CGPoint minimumContentOffset() const;
  CGPoint maximumContentOffset() const;
  // As a tap on the status bar does: scrolls to the top, animated, if scrollsToTop and the
  // delegate allow it. Returns whether it scrolled.
  bool scrollToTop();

 protected:
  // The action of the pan recogniser.
  void handlePan(std::shared_ptr<UIGestureRecognizer> recognizer);

 private:
  friend class UIScrollViewPanGestureRecognizer;

  void applyOffset(CGPoint offset);
  void stopDecelerating();
  void beginDecelerating(CGPoint velocity);
  void decelerationStep();
  void finishDecelerating();
  bool scrollsVertically() const;
  bool scrollsHorizontally() const;
  void notifyDidScroll();
  void checkAdjustedContentInset();

  CGSize contentSize_;
  UIEdgeInsets contentInset_;
  UIEdgeInsets lastAdjustedContentInset_;
  UIEdgeInsets scrollIndicatorInsets_;
  UIScrollViewContentInsetAdjustmentBehavior contentInsetAdjustmentBehavior_ =
      UIScrollViewContentInsetAdjustmentAutomatic;
  bool showsVerticalScrollIndicator_ = true;
  bool showsHorizontalScrollIndicator_ = true;
  bool scrollEnabled_ = true;
  bool bounces_ = true;
  bool alwaysBounceVertical_ = false;
  bool alwaysBounceHorizontal_ = false;
  bool scrollsToTop_ = true;
  UIScrollViewKeyboardDismissMode keyboardDismissMode_ = UIScrollViewKeyboardDismissModeNone;
  UIScrollViewDecelerationRate decelerationRate_ = UIScrollViewDecelerationRateNormal;

  std::shared_ptr<UIPanGestureRecognizer> pan_;
  std::weak_ptr<UIScrollViewDelegate> delegate_;

  // Dragging: the offset when the pan began.
  bool dragging_ = false;
  CGPoint dragStartOffset_;
  // Deceleration, in points per second, stepped on the clock.
  bool decelerating_ = false;
  CGPoint velocity_;
  double lastStepTime_ = 0;
  RunLoop::Token step_;
  RunLoop::Token scrollAnimationEnd_;
};
