// Which recogniser gets a touch, and which of the recognisers sharing touches may recognise.

#include <algorithm>
#include <deque>
#include <map>
#include <stdexcept>
#include <string>

#include "uikit/UIGestureRecognizer.h"
#include "uikit/UITouch.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

struct UIGestureRecognizer::Arbiter {
  // Recognisers with touches since their last reset, or waiting to recognise; they are kept
  // alive until they reset, so a handler that removes a view does not pull them from under us.
  std::vector<std::shared_ptr<UIGestureRecognizer>> engaged;

  // State changes take effect at once; what they cause outside (views told their touches are
  // cancelled, actions) runs once the recognisers are done with the current touches.
  struct Work {
    bool cancelTouchesInView;
    std::shared_ptr<UIGestureRecognizer> recognizer;
  };
  std::deque<Work> work;
  int depth = 0;
  bool flushing = false;
  std::weak_ptr<UIEvent> event;
};

namespace {

const char* stateName(UIGestureRecognizerState state) {
  switch (state) {
    case UIGestureRecognizerStatePossible:
      return "Possible";
    case UIGestureRecognizerStateBegan:
      return "Began";
    case UIGestureRecognizerStateChanged:
      return "Changed";
    case UIGestureRecognizerStateEnded:
      return "Ended";
    case UIGestureRecognizerStateCancelled:
      return "Cancelled";
    case UIGestureRecognizerStateFailed:
      return "Failed";
  }
  return "?";
}

bool isActive(UIGestureRecognizerState state) {
  return state == UIGestureRecognizerStateBegan || state == UIGestureRecognizerStateChanged;
}

bool askDelegate(const id& delegate, SEL selector, const id& a, const id& b) {
  if (!delegate || !delegate->respondsToSelector(selector)) return false;
  return objc_msgSend<bool>(delegate, selector, a, b);
}

}  // namespace

UIGestureRecognizer::Arbiter& UIGestureRecognizer::arbiter() {
  static auto* arbiter = new Arbiter();  // outlives every recogniser, also at exit
  return *arbiter;
}

// ---- Delivery ----

void UIGestureRecognizer::runAsGestureHandling(const std::function<void()>& block) {
  struct Depth {
    Depth() { ++arbiter().depth; }
    ~Depth() { --arbiter().depth; }
  };
  {
    Depth depth;
    block();
  }
  settle();
}

void UIGestureRecognizer::attachRecognizers(const std::shared_ptr<UITouch>& touch) {
  for (auto view = touch->view(); view; view = view->superview()) {
    for (auto& recognizer : std::vector(view->gestureRecognizers())) {
      auto& r = *recognizer;
      if (!r.enabled_ || r.pendingState_ != UIGestureRecognizerStatePossible) continue;
      if (r.state_ != UIGestureRecognizerStatePossible && !isActive(r.state_)) continue;
      static const SEL shouldReceive = "gestureRecognizer:shouldReceiveTouch:";
      auto delegate = r.delegate();
      if (delegate && delegate->respondsToSelector(shouldReceive) &&
          !objc_msgSend<bool>(delegate, shouldReceive, recognizer, touch)) {
        continue;
      }
      touch->gestureRecognizers_.push_back(recognizer);
      r.touches_.push_back(touch);
      r.touchesSinceReset_.push_back(touch);
      r.engage();
    }
  }
}

void UIGestureRecognizer::deliverTouches(const UITouchSet& changed,
                                         const std::shared_ptr<UIEvent>& event) {
  arbiter().event = event;
  for (auto& touch : changed) {
    if (touch->phase() == UITouchPhaseBegan) attachRecognizers(touch);
  }
  std::vector<std::shared_ptr<UIGestureRecognizer>> recognizers;
  for (auto& touch : changed) {
    for (auto& weak : touch->gestureRecognizers_) {
      auto recognizer = weak.lock();
      if (recognizer &&
          std::find(recognizers.begin(), recognizers.end(), recognizer) == recognizers.end()) {
        recognizers.push_back(recognizer);
      }
    }
  }
  runAsGestureHandling([&] {
    for (auto& recognizer : recognizers) {
      auto& r = *recognizer;
      for (UITouchPhase phase :
           {UITouchPhaseBegan, UITouchPhaseMoved, UITouchPhaseEnded, UITouchPhaseCancelled}) {
        // A recogniser that has finished ignores the rest of its touches until it resets.
        if (!r.enabled_ || r.isTerminal()) break;
        UITouchSet mine;
        for (auto& touch : changed) {
          if (touch->phase() == phase &&
              std::find(r.touches_.begin(), r.touches_.end(), touch) != r.touches_.end()) {
            mine.push_back(touch);
          }
        }
        if (mine.empty()) continue;
        switch (phase) {
          case UITouchPhaseBegan:
            r.touchesBegan(mine, event);
            break;
          case UITouchPhaseMoved:
            r.touchesMoved(mine, event);
            break;
          case UITouchPhaseEnded:
            r.touchesEnded(mine, event);
            break;
          default:
            r.touchesCancelled(mine, event);
            break;
        }
      }
    }
  });
}

void UIGestureRecognizer::finishDelivery() {
  settle();
}

void UIGestureRecognizer::settle() {
  auto& a = arbiter();
  if (a.depth > 0 || a.flushing) return;
  flush();
  sweep();
}

void UIGestureRecognizer::flush() {
  auto& a = arbiter();
  struct Flushing {
    Flushing() { arbiter().flushing = true; }
    ~Flushing() { arbiter().flushing = false; }
  } flushing;
  while (!a.work.empty()) {
    auto item = std::move(a.work.front());
    a.work.pop_front();
    if (item.cancelTouchesInView) {
      item.recognizer->cancelTouchesInView();
    } else {
      item.recognizer->sendActions();
    }
  }
}

void UIGestureRecognizer::sweep() {
  auto& a = arbiter();
  for (auto& recognizer : std::vector(a.engaged)) {
    auto& r = *recognizer;
    if (!r.touches_.empty()) {
      r.lastCentroid_ = r.centroidInWindow();
      r.lastWindow_ = r.touches_.front()->window();
    }
    std::erase_if(r.touches_, [](const std::shared_ptr<UITouch>& touch) {
      return touch->phase() == UITouchPhaseEnded || touch->phase() == UITouchPhaseCancelled;
    });
    if (!r.isTerminal() || !r.touches_.empty()) continue;
    r.state_ = UIGestureRecognizerStatePossible;
    r.touchesSinceReset_.clear();
    r.engaged_ = false;
    std::erase(a.engaged, recognizer);
    r.reset();
  }
}

void UIGestureRecognizer::engage() {
  if (engaged_) return;
  engaged_ = true;
  arbiter().engaged.push_back(selfAs<UIGestureRecognizer>());
}

bool UIGestureRecognizer::isTerminal() const {
  return state_ == UIGestureRecognizerStateEnded || state_ == UIGestureRecognizerStateCancelled ||
         state_ == UIGestureRecognizerStateFailed;
}

void UIGestureRecognizer::ignoreTouch(const std::shared_ptr<UITouch>& touch,
                                      const std::shared_ptr<UIEvent>&) {
  std::erase(touches_, touch);
  std::erase(touchesSinceReset_, touch);
  std::erase_if(touch->gestureRecognizers_, [this](const std::weak_ptr<UIGestureRecognizer>& r) {
    return r.lock().get() == this;
  });
}

void UIGestureRecognizer::didDetachFromView() {
  if (!engaged_) return;
  auto keep = selfAs<UIGestureRecognizer>();
  if (isActive(state_)) {
    apply(UIGestureRecognizerStateCancelled);
  } else if (state_ == UIGestureRecognizerStatePossible) {
    failNow();
  }
  settle();
}

// ---- State ----

void UIGestureRecognizer::setState(UIGestureRecognizerState next) {
  auto keep = selfAs<UIGestureRecognizer>();
  if (pendingState_ != UIGestureRecognizerStatePossible) {
    // Recognised and waiting for a required recogniser to fail: later touches can still make it
    // fail or end, but it has not begun yet.
    if (next == UIGestureRecognizerStateFailed || next == UIGestureRecognizerStateCancelled) {
      failNow();
    } else if (next == UIGestureRecognizerStateEnded) {
      pendingState_ = next;
    }
    settle();
    return;
  }
  bool legal = false;
  switch (state_) {
    case UIGestureRecognizerStatePossible:
      legal = next == UIGestureRecognizerStateBegan || next == UIGestureRecognizerStateEnded ||
              next == UIGestureRecognizerStateFailed;
      break;
    case UIGestureRecognizerStateBegan:
    case UIGestureRecognizerStateChanged:
      legal = next == UIGestureRecognizerStateChanged || next == UIGestureRecognizerStateEnded ||
              next == UIGestureRecognizerStateCancelled;
      break;
    default:
      break;
  }
  if (!legal) {
    throw std::logic_error(std::string(class_getName(isa())) + ": illegal state change from " +
                           stateName(state_) + " to " + stateName(next));
  }
  if (state_ == UIGestureRecognizerStatePossible && next != UIGestureRecognizerStateFailed) {
    recognize(next);
  } else {
    apply(next);
  }
  settle();
}

void UIGestureRecognizer::recognize(UIGestureRecognizerState next) {
  switch (requirementStatus()) {
    case Requirement::Recognized:
      apply(UIGestureRecognizerStateFailed);
      return;
    case Requirement::Waiting:
      pendingState_ = next;
      return;
    case Requirement::Failed:
      break;
  }
  if (!askDelegateShouldBegin()) {
    apply(UIGestureRecognizerStateFailed);
    return;
  }
  for (auto& other : std::vector(arbiter().engaged)) {
    if (other.get() == this || !isActive(other->state_) || !sharesTouchesWith(*other)) continue;
    if (recognizesSimultaneouslyWith(*other)) continue;
    if (other->canPreventGestureRecognizer(*this) && canBePreventedByGestureRecognizer(*other)) {
      apply(UIGestureRecognizerStateFailed);
      return;
    }
  }
  apply(next);
}

void UIGestureRecognizer::apply(UIGestureRecognizerState next) {
  auto keep = selfAs<UIGestureRecognizer>();
  auto& a = arbiter();
  UIGestureRecognizerState previous = state_;
  state_ = next;
  bool recognized =
      previous == UIGestureRecognizerStatePossible &&
      (next == UIGestureRecognizerStateBegan || next == UIGestureRecognizerStateEnded);
  if (recognized && cancelsTouchesInView_) a.work.push_back({true, keep});
  if (next != UIGestureRecognizerStateFailed) a.work.push_back({false, keep});
  if (recognized) {
    for (auto& other : std::vector(a.engaged)) {
      if (other.get() == this || other->state_ != UIGestureRecognizerStatePossible) continue;
      if (other->requiresFailureOf(*this)) {
        other->failNow();
        continue;
      }
      if (!sharesTouchesWith(*other) || recognizesSimultaneouslyWith(*other)) continue;
      if (canPreventGestureRecognizer(*other) && other->canBePreventedByGestureRecognizer(*this)) {
        other->failNow();
      }
    }
  }
  if (next == UIGestureRecognizerStateFailed) {
    // Those that waited for this one may now recognise.
    for (auto& waiter : std::vector(a.engaged)) {
      if (waiter->pendingState_ == UIGestureRecognizerStatePossible ||
          !waiter->requiresFailureOf(*this) ||
          waiter->requirementStatus() == Requirement::Waiting) {
        continue;
      }
      UIGestureRecognizerState pending = waiter->pendingState_;
      waiter->pendingState_ = UIGestureRecognizerStatePossible;
      waiter->recognize(pending);
    }
  }
}

void UIGestureRecognizer::failNow() {
  if (state_ != UIGestureRecognizerStatePossible) return;
  pendingState_ = UIGestureRecognizerStatePossible;
  apply(UIGestureRecognizerStateFailed);
}

UIGestureRecognizer::Requirement UIGestureRecognizer::requirementStatus() const {
  bool waiting = false;
  for (auto& other : arbiter().engaged) {
    if (other.get() == this || !requiresFailureOf(*other)) continue;
    switch (other->state_) {
      case UIGestureRecognizerStateBegan:
      case UIGestureRecognizerStateChanged:
      case UIGestureRecognizerStateEnded:
        return Requirement::Recognized;
      case UIGestureRecognizerStatePossible:
        waiting = true;
        break;
      default:
        break;
    }
  }
  // A required recogniser that tracks no touches is out of play, as good as failed.
  return waiting ? Requirement::Waiting : Requirement::Failed;
}

bool UIGestureRecognizer::requiresFailureOf(const UIGestureRecognizer& other) const {
  for (auto& weak : failureRequirements_) {
    if (weak.lock().get() == &other) return true;
  }
  if (shouldRequireFailureOfGestureRecognizer(other) ||
      other.shouldBeRequiredToFailByGestureRecognizer(*this)) {
    return true;
  }
  auto me = std::const_pointer_cast<UIGestureRecognizer>(
      std::static_pointer_cast<const UIGestureRecognizer>(shared_from_this()));
  auto them = std::const_pointer_cast<UIGestureRecognizer>(
      std::static_pointer_cast<const UIGestureRecognizer>(other.shared_from_this()));
  return askDelegate(delegate(), "gestureRecognizer:shouldRequireFailureOfGestureRecognizer:", me,
                     them) ||
         askDelegate(other.delegate(),
                     "gestureRecognizer:shouldBeRequiredToFailByGestureRecognizer:", them, me);
}

bool UIGestureRecognizer::recognizesSimultaneouslyWith(UIGestureRecognizer& other) {
  static const SEL selector =
      "gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:";
  auto me = selfAs<UIGestureRecognizer>();
  auto them = other.selfAs<UIGestureRecognizer>();
  return askDelegate(delegate(), selector, me, them) ||
         askDelegate(other.delegate(), selector, them, me);
}

bool UIGestureRecognizer::sharesTouchesWith(const UIGestureRecognizer& other) const {
  for (auto& touch : touchesSinceReset_) {
    if (std::find(other.touchesSinceReset_.begin(), other.touchesSinceReset_.end(), touch) !=
        other.touchesSinceReset_.end()) {
      return true;
    }
  }
  return false;
}

bool UIGestureRecognizer::askDelegateShouldBegin() {
  auto me = selfAs<UIGestureRecognizer>();
  // The views under the touches, up to the recogniser's own, may refuse (a control refusing a
  // tap meant for its container).
  auto own = view();
  std::vector<std::shared_ptr<UIView>> asked;
  for (auto& touch : touchesSinceReset_) {
    for (auto view = touch->view(); view; view = view->superview()) {
      if (std::find(asked.begin(), asked.end(), view) == asked.end()) {
        asked.push_back(view);
        if (!view->gestureRecognizerShouldBegin(me)) return false;
      }
      if (view == own) break;
    }
  }
  auto delegate = this->delegate();
  if (delegate && delegate->respondsToSelector("gestureRecognizerShouldBegin:")) {
    return objc_msgSend<bool>(delegate, "gestureRecognizerShouldBegin:", me);
  }
  return true;
}

void UIGestureRecognizer::cancelTouchesInView() {
  std::map<UIView*, UITouchSet> byView;
  std::vector<std::shared_ptr<UIView>> order;
  for (auto& touch : touchesSinceReset_) {
    if (touch->finishedForView_) continue;
    touch->finishedForView_ = true;
    auto view = touch->view();
    if (!touch->beganForView_ || !view) continue;
    if (!byView.count(view.get())) order.push_back(view);
    byView[view.get()].push_back(touch);
  }
  auto event = arbiter().event.lock();
  for (auto& view : order) view->touchesCancelled(byView[view.get()], event);
}
