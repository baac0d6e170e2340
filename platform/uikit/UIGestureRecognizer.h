#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "foundation/RunLoop.h"
#include "quartz/CGGeometry.h"
#include "runtime/NSObject.h"
#include "uikit/Forward.h"
#include "uikit/UIResponder.h"

enum UIGestureRecognizerState : long {
  UIGestureRecognizerStatePossible = 0,
  UIGestureRecognizerStateBegan = 1,
  UIGestureRecognizerStateChanged = 2,
  UIGestureRecognizerStateEnded = 3,
  UIGestureRecognizerStateCancelled = 4,
  UIGestureRecognizerStateFailed = 5,
  UIGestureRecognizerStateRecognized = UIGestureRecognizerStateEnded,
};

// Turns touches on a view (or its subviews) into one gesture. Recognisers see a touch before the
// view it began on; when one recognises, the others that share its touches fail unless a
// delegate lets them recognise together, and those that require it to fail fail too.
//
// State machine (anything else is a programming error and throws):
//   discrete    Possible -> Recognized | Failed
//   continuous  Possible -> Began -> Changed* -> Ended | Cancelled;  Possible -> Failed
// A recogniser goes back to Possible (reset) once it has finished and its touches have lifted.
//
// Targets are weak. An action takes no argument ("v@:") or the recogniser ("v@:@"); it is sent
// on every change to Began, Changed, Ended and Cancelled.
//
// The delegate is weak and answers any of these optional selectors (it is asked only if it
// responds):
//   gestureRecognizerShouldBegin:                                       B@:@
//   gestureRecognizer:shouldReceiveTouch:                               B@:@@
//   gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer: B@:@@
//   gestureRecognizer:shouldRequireFailureOfGestureRecognizer:          B@:@@
//   gestureRecognizer:shouldBeRequiredToFailByGestureRecognizer:        B@:@@
// A C++ delegate registers them in its class, e.g.
//   c.method("gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:",
//            &MyView::shouldRecognizeSimultaneouslyWithGestureRecognizer);
class UIGestureRecognizer : public NSObject {
  OBJC_CLASS(UIGestureRecognizer, NSObject);

 public:
  UIGestureRecognizer();
  ~UIGestureRecognizer() override;

  std::shared_ptr<UIGestureRecognizer> init() { return initWithTarget(nullptr, SEL()); }
  std::shared_ptr<UIGestureRecognizer> initWithTarget(const id& target, SEL action);

  void addTarget(const id& target, SEL action);
  // A nil target removes the action from every target; an empty action every action of it.
  void removeTarget(const id& target, SEL action);

  // While a recogniser waits for another to fail before it recognises, it reads Possible.
  UIGestureRecognizerState state() const { return state_; }
  bool isEnabled() const { return enabled_; }
  // Disabling a recogniser that is recognising cancels it.
  void setEnabled(bool enabled);
  std::shared_ptr<UIView> view() const { return view_.lock(); }

  // The centroid of the recogniser's touches; after they lifted, where they were last.
  CGPoint locationInView(const std::shared_ptr<UIView>& view) const;
  CGPoint locationOfTouch(unsigned long index, const std::shared_ptr<UIView>& view) const;
  unsigned long numberOfTouches() const { return touches_.size(); }

  bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
  void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }
  // Stored for callers that read them; touches always reach the view without delay.
  bool delaysTouchesBegan() const { return delaysTouchesBegan_; }
  void setDelaysTouchesBegan(bool delays) { delaysTouchesBegan_ = delays; }
  bool delaysTouchesEnded() const { return delaysTouchesEnded_; }
  void setDelaysTouchesEnded(bool delays) { delaysTouchesEnded_ = delays; }

  id delegate() const { return delegate_.lock(); }
  void setDelegate(const id& delegate) { delegate_ = delegate; }

  // This recogniser recognises only once `other` has failed, and fails if `other` recognises.
  void requireGestureRecognizerToFail(const std::shared_ptr<UIGestureRecognizer>& other);

  // Whether this recogniser, recognising, makes `other` fail; and whether it lets `other` make
  // it fail. Both default to YES.
  virtual bool canPreventGestureRecognizer(const UIGestureRecognizer& other) const;
  virtual bool canBePreventedByGestureRecognizer(const UIGestureRecognizer& other) const;
  virtual bool shouldRequireFailureOfGestureRecognizer(const UIGestureRecognizer&) const {
    return false;
  }
  virtual bool shouldBeRequiredToFailByGestureRecognizer(const UIGestureRecognizer&) const {
    return false;
  }

 protected:
  // The subclass interface.
  void setState(UIGestureRecognizerState state);
  virtual void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
  virtual void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
  virtual void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
  virtual void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
  // Back to the start; called when the gesture is over and its touches have lifted.
  virtual void reset() {}
  // Stops receiving the touch; it still reaches the view.
  void ignoreTouch(const std::shared_ptr<UITouch>& touch, const std::shared_ptr<UIEvent>& event);

  // The touches being tracked, including those that end in the event being delivered.
  const UITouchSet& touches() const { return touches_; }
  // Runs `block` on the main run loop after `delay`, as part of gesture handling: the state it
  // sets takes effect and actions are sent right after. Cancel the token in reset().
  RunLoop::Token scheduleTimer(double delay, std::function<void()> block);
  // A point in the coordinates of the touches' window, in the view's (nil: the window's).
  CGPoint convertFromWindow(CGPoint point, const std::shared_ptr<UIView>& view) const;
  // A vector in window coordinates (a translation, a velocity) in the view's.
  CGPoint convertVectorFromWindow(CGPoint vector, const std::shared_ptr<UIView>& view) const;
  CGPoint convertVectorToWindow(CGPoint vector, const std::shared_ptr<UIView>& view) const;
  // The centroid of the tracked touches in window coordinates (the last one once they lifted).
  CGPoint centroidInWindow() const;

 private:
  friend class UIView;
  friend class UIWindow;
  friend class UIApplication;
  struct Arbiter;

  struct Target {
    std::weak_ptr<NSObject> target;
    SEL action;
  };

  // Arbitration between recognisers (UIGestureRecognizer+Arbitration.cpp).
  static Arbiter& arbiter();
  // Called by the window for the touches of one event that changed and began on it.
  static void deliverTouches(const UITouchSet& changed, const std::shared_ptr<UIEvent>& event);
  // Called by the window once the views have their touches: lets go of lifted touches and resets
  // the recognisers that are done.
  static void finishDelivery();
  // Recognisers on the touch's view and its ancestors that take it, deepest first.
  static void attachRecognizers(const std::shared_ptr<UITouch>& touch);
  // Runs subclass code (touch handling, a timer); state changes take effect once it returns.
  static void runAsGestureHandling(const std::function<void()>& block);
  static void settle();
  static void flush();
  static void sweep();
  void engage();
  void recognize(UIGestureRecognizerState state);
  void apply(UIGestureRecognizerState state);
  void failNow();
  void cancelTouchesInView();
  void sendActions();
  void didDetachFromView();
  enum class Requirement { Failed, Waiting, Recognized };
  Requirement requirementStatus() const;
  bool requiresFailureOf(const UIGestureRecognizer& other) const;
  bool recognizesSimultaneouslyWith(UIGestureRecognizer& other);
  bool sharesTouchesWith(const UIGestureRecognizer& other) const;
  bool askDelegateShouldBegin();
  bool isTerminal() const;

  UIGestureRecognizerState state_ = UIGestureRecognizerStatePossible;
  // Recognised, waiting for a recogniser it requires to fail (Possible when not waiting).
  UIGestureRecognizerState pendingState_ = UIGestureRecognizerStatePossible;
  bool enabled_ = true;
  bool engaged_ = false;
  std::weak_ptr<UIView> view_;
  std::vector<Target> targets_;
  std::weak_ptr<NSObject> delegate_;
  std::vector<std::weak_ptr<UIGestureRecognizer>> failureRequirements_;

  UITouchSet touches_;
  // Every touch since the last reset: recognisers that shared one compete.
  UITouchSet touchesSinceReset_;
  CGPoint lastCentroid_;
  std::weak_ptr<UIWindow> lastWindow_;

  bool cancelsTouchesInView_ = true;
  bool delaysTouchesBegan_ = false;
  bool delaysTouchesEnded_ = true;
};
