#pragma once

// A picture-in-picture container: it sits in one corner of its superview, inset by a padding, in
// one of two sizes. The user drags and throws it to another corner, pinches it to change size
// and, when the double-tap recogniser is attached, double-taps to toggle the size. On release it
// springs to the enabled corner nearest to where the throw would carry it.
//
// Its size and corner are constraints: width and height always, and one of top/bottom and one of
// left/right to the superview once it has one. A drag moves only the centre; the constraints
// follow once the snap has finished.

#include <memory>

#include "foundation/NSCoder.h"
#include "runtime/NSObject.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/UIPanGestureRecognizer.h"
#include "uikit/UIPinchGestureRecognizer.h"
#include "uikit/UITapGestureRecognizer.h"
#include "uikit/UIView.h"

enum ParloFloatingViewPosition : unsigned long {
  ParloFloatingViewPositionTopLeft = 0,
  ParloFloatingViewPositionTopRight = 1,
  ParloFloatingViewPositionBottomLeft = 2,
  ParloFloatingViewPositionBottomRight = 3,
};

enum ParloFloatingViewSizeClass : unsigned long {
  ParloFloatingViewSizeClassSmall = 0,
  ParloFloatingViewSizeClassLarge = 1,
};

class ParloFloatingView : public UIView {
  OBJC_CLASS(ParloFloatingView, UIView);

 public:
  std::shared_ptr<ParloFloatingView> init();
  std::shared_ptr<ParloFloatingView> initWithFrame(CGRect frame);
  // Views keep nothing in an archive here: a decoded one starts as a new one does.
  std::shared_ptr<ParloFloatingView> initWithCoder(NSCoder& coder);
  std::shared_ptr<ParloFloatingView> initWithContentView(const std::shared_ptr<UIView>& content);

  // Makes `content` the content: rounded by 4, pinned to all four edges.
  void addContent(const std::shared_ptr<UIView>& content);

  // Adds the view at its corner, growing from 0.7 while it fades in over 0.2 s (at once when not
  // animated). Nothing happens if it already has a superview.
  void addToSuperView(const std::shared_ptr<UIView>& superview, bool animated);
  // Shrinks and fades out over 0.2 s, then leaves the superview and forgets its corner
  // constraints. Nothing happens without a superview.
  void removeFromSuperviewAnimated(bool animated);

  // Store and tell the delegate; the layout changes at the next refresh.
  void setPosition(ParloFloatingViewPosition position);
  void setSizeClass(ParloFloatingViewSizeClass sizeClass);
  void setPosition(ParloFloatingViewPosition position, bool animated);
  void setSizeClass(ParloFloatingViewSizeClass sizeClass, bool animated);
  // Applies the position and size class to the constraints and lays the superview out, in a
  // 0.2 s animation when `animated`.
  void refreshAnimated(bool animated);

  // Geometry of the corners, in the given view's bounds.
  CGRect rectForPosition(ParloFloatingViewPosition position, ParloFloatingViewSizeClass sizeClass,
                         const std::shared_ptr<UIView>& view) const;
  CGSize sizeForSizeClass(ParloFloatingViewSizeClass sizeClass) const;
  // The enabled corner whose centre is nearest; ties go to the earlier of top-left, top-right,
  // bottom-left, bottom-right, and with no corner enabled the answer is top-left.
  ParloFloatingViewPosition nearestPositionForPoint(CGPoint point) const;
  static CGPoint centerForRect(CGRect rect);
  static CGFloat distanceBetweenPoint(CGPoint a, CGPoint b);
  // Centre of the corner at the current size class in the superview.
  CGPoint centerForPostion(ParloFloatingViewPosition position) const;
  // How far a throw at `velocity` points per second carries the view under its deceleration.
  double throwDistanceForInitialVelocity(double velocity) const;

  void setFarState();
  void setNormalState();

  // Gesture actions.
  void pan(const std::shared_ptr<UIPanGestureRecognizer>& recognizer);
  void pinch(const std::shared_ptr<UIPinchGestureRecognizer>& recognizer);
  void doubleTap(const std::shared_ptr<UITapGestureRecognizer>& recognizer);
  // Dragging and pinching go together.
  bool shouldRecognizeSimultaneouslyWithGestureRecognizer(
      const std::shared_ptr<UIGestureRecognizer>& recognizer,
      const std::shared_ptr<UIGestureRecognizer>& other);

  void didMoveToSuperview() override;

  // ---- Properties ----
  std::shared_ptr<UIView> contentView() const { return contentView_; }
  void setContentView(std::shared_ptr<UIView> view) { contentView_ = std::move(view); }
  // Made on first use.
  std::shared_ptr<UIPanGestureRecognizer> panGestureRecognizer();
  std::shared_ptr<UIPinchGestureRecognizer> pinchGestureRecognizer();
  // Two taps; made on first use and not attached: attach it to enable the double tap.
  std::shared_ptr<UITapGestureRecognizer> doubleTapGestureRecognizer();
  CGPoint panInitialCenter() const { return panInitialCenter_; }
  void setPanInitialCenter(CGPoint center) { panInitialCenter_ = center; }

  std::shared_ptr<NSLayoutConstraint> widthConstraint() const { return widthConstraint_; }
  std::shared_ptr<NSLayoutConstraint> heightConstraint() const { return heightConstraint_; }
  std::shared_ptr<NSLayoutConstraint> leftConstraint() const { return leftConstraint_; }
  std::shared_ptr<NSLayoutConstraint> rightConstraint() const { return rightConstraint_; }
  std::shared_ptr<NSLayoutConstraint> topConstraint() const { return topConstraint_; }
  std::shared_ptr<NSLayoutConstraint> bottomConstraint() const { return bottomConstraint_; }

  double decelerationRate() const { return decelerationRate_; }
  void setDecelerationRate(double rate) { decelerationRate_ = rate; }
  bool isVisible() const { return visible_; }
  void setVisible(bool visible) { visible_ = visible; }
  UIEdgeInsets padding() const { return padding_; }
  // Rebuilds the corner constraints, if they exist, from the new padding; they anchor top-left
  // until the next refresh.
  void setPadding(UIEdgeInsets padding);
  CGSize smallSize() const { return smallSize_; }
  void setSmallSize(CGSize size) { smallSize_ = size; }
  CGSize largeSize() const { return largeSize_; }
  void setLargeSize(CGSize size) { largeSize_ = size; }
  ParloFloatingViewPosition position() const { return position_; }
  ParloFloatingViewSizeClass sizeClass() const { return sizeClass_; }

  bool topLeftPositionEnabled() const { return topLeftPositionEnabled_; }
  void setTopLeftPositionEnabled(bool enabled) { topLeftPositionEnabled_ = enabled; }
  bool topRightPositionEnabled() const { return topRightPositionEnabled_; }
  void setTopRightPositionEnabled(bool enabled) { topRightPositionEnabled_ = enabled; }
  bool bottomLeftPositionEnabled() const { return bottomLeftPositionEnabled_; }
  void setBottomLeftPositionEnabled(bool enabled) { bottomLeftPositionEnabled_ = enabled; }
  bool bottomRightPositionEnabled() const { return bottomRightPositionEnabled_; }
  void setBottomRightPositionEnabled(bool enabled) { bottomRightPositionEnabled_ = enabled; }
  bool resizeEnabled() const { return resizeEnabled_; }
  void setResizeEnabled(bool enabled) { resizeEnabled_ = enabled; }
  bool draggingEnabled() const { return draggingEnabled_; }
  void setDraggingEnabled(bool enabled) { draggingEnabled_ = enabled; }

  // Weak; answers any of the selectors of ParloFloatingViewDelegate.h.
  id delegate() const { return delegate_.lock(); }
  void setDelegate(const id& delegate) { delegate_ = delegate; }

 private:
  void setup();
  void buildCornerConstraints();
  void cleanConstraints();
  // Sends an optional delegate method, if the delegate answers it.
  void tellDelegate(const char* selector);
  void tellDelegate(const char* selector, unsigned long value);

  std::shared_ptr<UIView> contentView_;
  std::shared_ptr<UIPanGestureRecognizer> panGestureRecognizer_;
  std::shared_ptr<UIPinchGestureRecognizer> pinchGestureRecognizer_;
  std::shared_ptr<UITapGestureRecognizer> doubleTapGestureRecognizer_;
  CGPoint panInitialCenter_ = CGPointZero;

  std::shared_ptr<NSLayoutConstraint> widthConstraint_;
  std::shared_ptr<NSLayoutConstraint> heightConstraint_;
  std::shared_ptr<NSLayoutConstraint> leftConstraint_;
  std::shared_ptr<NSLayoutConstraint> rightConstraint_;
  std::shared_ptr<NSLayoutConstraint> topConstraint_;
  std::shared_ptr<NSLayoutConstraint> bottomConstraint_;

  double decelerationRate_ = 0;
  bool visible_ = false;
  UIEdgeInsets padding_ = UIEdgeInsetsZero;
  CGSize smallSize_ = CGSizeZero;
  CGSize largeSize_ = CGSizeZero;
  ParloFloatingViewPosition position_ = ParloFloatingViewPositionTopLeft;
  ParloFloatingViewSizeClass sizeClass_ = ParloFloatingViewSizeClassSmall;
  bool topLeftPositionEnabled_ = true;
  bool topRightPositionEnabled_ = true;
  bool bottomLeftPositionEnabled_ = true;
  bool bottomRightPositionEnabled_ = true;
  bool resizeEnabled_ = true;
  bool draggingEnabled_ = true;
  std::weak_ptr<NSObject> delegate_;
};
