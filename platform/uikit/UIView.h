#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "quartz/CAAnimation.h"
#include "quartz/CALayer.h"
#include "quartz/CGAffineTransform.h"
#include "quartz/CGGeometry.h"
#include "quartz/UIColor.h"
#include "quartz/UITraitCollection.h"
#include "uikit/NSLayoutAnchor.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/UILayoutGuide.h"
#include "uikit/UIResponder.h"

class UILayoutEngine;
class UIWindow;
class UIViewController;
class UIGestureRecognizer;

enum UIViewContentMode : long {
  UIViewContentModeScaleToFill = 0,
  UIViewContentModeScaleAspectFit,
  UIViewContentModeScaleAspectFill,
  UIViewContentModeRedraw,
  UIViewContentModeCenter,
  UIViewContentModeTop,
  UIViewContentModeBottom,
  UIViewContentModeLeft,
  UIViewContentModeRight,
  UIViewContentModeTopLeft,
  UIViewContentModeTopRight,
  UIViewContentModeBottomLeft,
  UIViewContentModeBottomRight,
};

enum UIViewAutoresizing : unsigned long {
  UIViewAutoresizingNone = 0,
  UIViewAutoresizingFlexibleLeftMargin = 1 << 0,
  UIViewAutoresizingFlexibleWidth = 1 << 1,
  UIViewAutoresizingFlexibleRightMargin = 1 << 2,
  UIViewAutoresizingFlexibleTopMargin = 1 << 3,
  UIViewAutoresizingFlexibleHeight = 1 << 4,
  UIViewAutoresizingFlexibleBottomMargin = 1 << 5,
};

enum UILayoutConstraintAxis : long {
  UILayoutConstraintAxisHorizontal = 0,
  UILayoutConstraintAxisVertical = 1,
};

inline constexpr CGFloat UIViewNoIntrinsicMetric = -1;

// ---- Animation (UIView+Animation.cpp) ----
enum UIViewAnimationOptions : unsigned long {
  UIViewAnimationOptionAllowUserInteraction = 1 << 1,
  UIViewAnimationOptionBeginFromCurrentState = 1 << 2,
  UIViewAnimationOptionAllowAnimatedContent = 1 << 7,
  UIViewAnimationOptionCurveEaseInOut = 0 << 16,
  UIViewAnimationOptionCurveEaseIn = 1 << 16,
  UIViewAnimationOptionCurveEaseOut = 2 << 16,
  UIViewAnimationOptionCurveLinear = 3 << 16,
  UIViewAnimationOptionTransitionNone = 0 << 20,
  UIViewAnimationOptionTransitionCrossDissolve = 5 << 20,
};

inline constexpr UIViewAnimationOptions operator|(UIViewAnimationOptions a,
                                                  UIViewAnimationOptions b) {
  return static_cast<UIViewAnimationOptions>(static_cast<unsigned long>(a) |
                                             static_cast<unsigned long>(b));
}
// ---- End of animation ----

// A rectangle on screen and the root of everything drawn. A view owns its subviews and its
// layer; its superview is weak. Geometry lives in the layer (center = position), as on the
// platform, and the frame is derived from center, bounds and transform.
class UIView : public UIResponder {
  OBJC_CLASS(UIView, UIResponder);

 public:
  UIView();
  ~UIView() override;

  std::shared_ptr<UIView> init() { return initWithFrame(CGRectZero); }
  std::shared_ptr<UIView> initWithFrame(CGRect frame);

  // Geometry. setFrame: goes through the runtime, so that it can be replaced; the layout pass
  // assigns frames through it too.
  CGRect frame() const;
  void setFrame(CGRect frame);
  CGRect bounds() const { return layer_->bounds(); }
  void setBounds(CGRect bounds);
  CGPoint center() const { return layer_->position(); }
  void setCenter(CGPoint center);
  CGAffineTransform transform() const { return layer_->affineTransform(); }
  void setTransform(CGAffineTransform transform);

  // Appearance.
  CGFloat alpha() const { return layer_->opacity(); }
  void setAlpha(CGFloat alpha);
  bool isHidden() const { return layer_->isHidden(); }
  virtual void setHidden(bool hidden) { layer_->setHidden(hidden); }
  std::shared_ptr<UIColor> backgroundColor() const { return backgroundColor_; }
  virtual void setBackgroundColor(std::shared_ptr<UIColor> color) {
    recordAnimatableChange("backgroundColor", backgroundColor_, color);
    backgroundColor_ = std::move(color);
  }
  bool clipsToBounds() const { return layer_->masksToBounds(); }
  void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
  // Inherited from the superview when not set.
  std::shared_ptr<UIColor> tintColor() const;
  void setTintColor(std::shared_ptr<UIColor> color);
  virtual void tintColorDidChange() {}
  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
  UIViewContentMode contentMode() const { return contentMode_; }
  void setContentMode(UIViewContentMode mode) { contentMode_ = mode; }
  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }
  const std::shared_ptr<CALayer>& layer() const { return layer_; }

  // Hierarchy.
  std::shared_ptr<UIView> superview() const { return superview_.lock(); }
  const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
  void addSubview(const std::shared_ptr<UIView>& view);
  void insertSubview(const std::shared_ptr<UIView>& view, long index);
  void insertSubviewBelowSubview(const std::shared_ptr<UIView>& view,
                                 const std::shared_ptr<UIView>& sibling);
  void insertSubviewAboveSubview(const std::shared_ptr<UIView>& view,
                                 const std::shared_ptr<UIView>& sibling);
  void bringSubviewToFront(const std::shared_ptr<UIView>& view);
  void sendSubviewToBack(const std::shared_ptr<UIView>& view);
  // Also deactivates every constraint between the view's subtree and views outside it.
  void removeFromSuperview();
  bool isDescendantOfView(const std::shared_ptr<UIView>& view) const;
  std::shared_ptr<UIView> viewWithTag(long tag);
  virtual std::shared_ptr<UIWindow> window() const;
  virtual void didAddSubview(const std::shared_ptr<UIView>&) {}
  virtual void willRemoveSubview(const std::shared_ptr<UIView>&) {}
  virtual void willMoveToSuperview(const std::shared_ptr<UIView>&) {}
  virtual void didMoveToSuperview() {}
  virtual void didMoveToWindow() {}

  // The controller whose root view this is (set by the controller), for the responder chain.
  std::shared_ptr<UIResponder> viewDelegate() const { return viewDelegate_.lock(); }
  void setViewDelegate(const std::shared_ptr<UIResponder>& controller) {
    viewDelegate_ = controller;
  }
  std::shared_ptr<UIResponder> nextResponder() const override;

  // Coordinates. A nil view means the window.
  CGPoint convertPointToView(CGPoint point, const std::shared_ptr<UIView>& view) const;
  CGPoint convertPointFromView(CGPoint point, const std::shared_ptr<UIView>& view) const;
  CGRect convertRectToView(CGRect rect, const std::shared_ptr<UIView>& view) const;
  CGRect convertRectFromView(CGRect rect, const std::shared_ptr<UIView>& view) const;

  // Layout.
  void setNeedsLayout();
  bool needsLayout() const { return needsLayout_; }
  void layoutIfNeeded();
  // Places the subviews; the default applies what the constraints solved.
  virtual void layoutSubviews();
  virtual CGSize sizeThatFits(CGSize size) const;
  void sizeToFit();
  virtual CGSize intrinsicContentSize() const;
  void invalidateIntrinsicContentSize();
  // The smallest (or given) size that satisfies the view's constraints, as layout would give it.
  CGSize systemLayoutSizeFittingSize(CGSize targetSize);

  UIViewAutoresizing autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(UIViewAutoresizing mask);
  bool translatesAutoresizingMaskIntoConstraints() const { return translatesAutoresizingMask_; }
  void setTranslatesAutoresizingMaskIntoConstraints(bool translates);

  // The constraints this view holds (not every constraint that mentions it).
  const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints() const {
    return constraints_;
  }
  void addConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint);
  void addConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& list);
  void removeConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint);
  void removeConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& list);

  UILayoutPriority contentHuggingPriorityForAxis(UILayoutConstraintAxis axis) const;
  void setContentHuggingPriority(UILayoutPriority priority, UILayoutConstraintAxis axis);
  UILayoutPriority contentCompressionResistancePriorityForAxis(UILayoutConstraintAxis axis) const;
  void setContentCompressionResistancePriority(UILayoutPriority priority,
                                               UILayoutConstraintAxis axis);

  NSLayoutXAxisAnchor leadingAnchor() { return {weak_from_this(), NSLayoutAttributeLeading}; }
  NSLayoutXAxisAnchor trailingAnchor() { return {weak_from_this(), NSLayoutAttributeTrailing}; }
  NSLayoutXAxisAnchor leftAnchor() { return {weak_from_this(), NSLayoutAttributeLeft}; }
  NSLayoutXAxisAnchor rightAnchor() { return {weak_from_this(), NSLayoutAttributeRight}; }
  NSLayoutXAxisAnchor centerXAnchor() { return {weak_from_this(), NSLayoutAttributeCenterX}; }
  NSLayoutYAxisAnchor topAnchor() { return {weak_from_this(), NSLayoutAttributeTop}; }
  NSLayoutYAxisAnchor bottomAnchor() { return {weak_from_this(), NSLayoutAttributeBottom}; }
  NSLayoutYAxisAnchor centerYAnchor() { return {weak_from_this(), NSLayoutAttributeCenterY}; }
  NSLayoutDimension widthAnchor() { return {weak_from_this(), NSLayoutAttributeWidth}; }
  NSLayoutDimension heightAnchor() { return {weak_from_this(), NSLayoutAttributeHeight}; }
  std::shared_ptr<UILayoutGuide> safeAreaLayoutGuide();
  // The window's insets (the screen's unsafe edges) as they fall on this view.
  virtual UIEdgeInsets safeAreaInsets() const;

  // Drawing. The renderer composes layers (background, corners, border, shadow, clipping, alpha,
  // transform) and then asks each view to draw its own content into the current graphics context
  // (UIGraphicsGetCurrentContext), in the view's bounds coordinates. The default draws nothing.
  virtual void drawRect(CGRect rect) { (void)rect; }
  // Marks the view's content as changed so the next frame redraws it.
  void setNeedsDisplay();
  void setNeedsDisplayInRect(CGRect rect);

  // Appearance (light / dark). A view follows its nearest override, else its window's, else the
  // process's current style.
  std::shared_ptr<UITraitCollection> traitCollection() const;
  UIUserInterfaceStyle overrideUserInterfaceStyle() const { return overrideStyle_; }
  void setOverrideUserInterfaceStyle(UIUserInterfaceStyle style);
  virtual void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous);
  // Sends traitCollectionDidChange: down the tree from here, each view with the collection it
  // had before.
  void propagateTraitChange(UIUserInterfaceStyle previousStyle);

  // ---- Touches: hit testing and gesture recognisers (UIView.cpp) ----
  // The deepest visible, interactive view under the point (in this view's coordinates), testing
  // subviews front to back. A view that is hidden, nearly transparent (alpha below 0.01) or has
  // user interaction off takes no touch, and neither do its subviews; nor does a subview where it
  // sticks out of a view, since the point must be inside every ancestor's bounds.
  virtual std::shared_ptr<UIView> hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event);
  virtual bool pointInside(CGPoint point, const std::shared_ptr<UIEvent>& event);

  const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const {
    return gestureRecognizers_;
  }
  // A recogniser belongs to one view; adding it here takes it from its previous view.
  void addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
  void removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
  // Asked before a recogniser on this view or an ancestor recognises touches on this view (or a
  // subview); answering NO makes it fail.
  virtual bool gestureRecognizerShouldBegin(const std::shared_ptr<UIGestureRecognizer>&) {
    return true;
  }

 private:
  std::vector<std::shared_ptr<UIGestureRecognizer>> gestureRecognizers_;

 public:
  // ---- End of touches ----

  std::string description() const override;

  // ---- Animation (UIView+Animation.cpp) ----
  // Inside an animation block, changes of frame, bounds, center, transform, alpha and background
  // colour take effect at once, and the view's layer gets an animation from the value on screen
  // to the new one (see CAAnimationTimeline). A block's completion runs on the main run loop at
  // begin + delay + duration, never during the call, and learns whether every animation of the
  // block ran to its end. An inner block's parameters apply to the changes made inside it.
  using AnimationBlock = std::function<void()>;
  using CompletionBlock = std::function<void(bool finished)>;
  static void animateWithDuration(double duration, const AnimationBlock& animations);
  static void animateWithDuration(double duration, const AnimationBlock& animations,
                                  CompletionBlock completion);
  static void animateWithDuration(double duration, double delay, UIViewAnimationOptions options,
                                  const AnimationBlock& animations, CompletionBlock completion);
  // animateWithDuration:delay:usingSpringWithDamping:initialSpringVelocity:options:...
  static void animateWithDuration(double duration, double delay, double dampingRatio,
                                  double initialSpringVelocity, UIViewAnimationOptions options,
                                  const AnimationBlock& animations, CompletionBlock completion);
  static void transitionWithView(const std::shared_ptr<UIView>& view, double duration,
                                 UIViewAnimationOptions options, const AnimationBlock& animations,
                                 CompletionBlock completion);
  static void performWithoutAnimation(const AnimationBlock& actions);
  static bool areAnimationsEnabled();
  static void setAnimationsEnabled(bool enabled);

 private:
  // The animatable setters report each change of a model value here.
  void recordAnimatableChange(std::string_view key, const CAAnimationValue& from,
                              const CAAnimationValue& to);
  void recordAnimatableChange(std::string_view key, const std::shared_ptr<UIColor>& from,
                              const std::shared_ptr<UIColor>& to);
  // ---- End of animation ----

 protected:
  // The hookable implementation behind setFrame.
  void setFrameImp(CGRect frame);

 private:
  friend class UILayoutEngine;
  friend class UILayoutGuide;
  friend class NSLayoutConstraint;

  void insertSubviewAt(const std::shared_ptr<UIView>& view, size_t index);
  void detachFromSuperview();
  std::shared_ptr<UIView> rootView();
  UILayoutEngine* engine();
  UILayoutEngine* existingEngine() const;
  void frameDidChange();
  void layoutSubtree(int depth);

  // How a walk of a subtree goes on after visiting a view.
  enum class SubtreeWalk { intoSubviews, pastSubviews, stop };
  // Visits this view, then each subview's subtree in order (pre-order). The visitor returns void
  // or a SubtreeWalk. A view's subviews are read after its visit, from a copy, so a visit may
  // add or remove views. True when a visit stopped the walk.
  template <class Visit>
  bool forEachInSubtree(Visit&& visit);

  std::shared_ptr<CALayer> layer_;
  std::weak_ptr<UIView> superview_;
  std::vector<std::shared_ptr<UIView>> subviews_;
  std::weak_ptr<UIResponder> viewDelegate_;

  std::shared_ptr<UIColor> backgroundColor_;
  std::shared_ptr<UIColor> tintColor_;
  bool userInteractionEnabled_ = true;
  UIViewContentMode contentMode_ = UIViewContentModeScaleToFill;
  long tag_ = 0;
  UIUserInterfaceStyle overrideStyle_ = UIUserInterfaceStyleUnspecified;

  bool needsLayout_ = true;
  bool translatesAutoresizingMask_ = true;
  UIViewAutoresizing autoresizingMask_ = UIViewAutoresizingNone;
  std::vector<std::shared_ptr<NSLayoutConstraint>> constraints_;
  UILayoutPriority hugging_[2] = {UILayoutPriorityDefaultLow, UILayoutPriorityDefaultLow};
  UILayoutPriority compression_[2] = {UILayoutPriorityDefaultHigh, UILayoutPriorityDefaultHigh};
  std::shared_ptr<UILayoutGuide> safeAreaLayoutGuide_;
  // The root of a hierarchy owns the layout engine for all of it, made on first use.
  std::unique_ptr<UILayoutEngine> engine_;
};
