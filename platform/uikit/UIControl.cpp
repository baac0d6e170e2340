#include "uikit/UIControl.h"

#include <algorithm>

#include "uikit/UIApplication.h"
#include "uikit/UIEvent.h"
#include "uikit/UITouch.h"

OBJC_CLASS_IMPL(UIControl) {
  c.property("isEnabled", &UIControl::isEnabled, &UIControl::setEnabled)
      .property("isSelected", &UIControl::isSelected, &UIControl::setSelected)
      .property("isHighlighted", &UIControl::isHighlighted, &UIControl::setHighlighted);
}

std::shared_ptr<UIControl> UIControl::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  return selfAs<UIControl>();
}

void UIControl::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (!enabled) {
    tracking_ = false;
    setHighlighted(false);
  }
}

void UIControl::setSelected(bool selected) {
  selected_ = selected;
}

void UIControl::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
}

UIControlState UIControl::state() const {
  unsigned long state = UIControlStateNormal;
  if (highlighted_) state |= UIControlStateHighlighted;
  if (!enabled_) state |= UIControlStateDisabled;
  if (selected_) state |= UIControlStateSelected;
  return static_cast<UIControlState>(state);
}

void UIControl::setContentHorizontalAlignment(UIControlContentHorizontalAlignment alignment) {
  horizontalAlignment_ = alignment;
  setNeedsLayout();
}

void UIControl::setContentVerticalAlignment(UIControlContentVerticalAlignment alignment) {
  verticalAlignment_ = alignment;
  setNeedsLayout();
}

// Target-action.

void UIControl::addTarget(const id& target, SEL action, UIControlEvents events) {
  if (!action || events == 0) return;
  for (auto& registration : registrations_) {
    if (registration.action == action && registration.nilTarget == !target &&
        registration.target.lock() == target) {
      registration.events = registration.events | events;
      return;
    }
  }
  registrations_.push_back({target, !target, action, events});
}

void UIControl::removeTarget(const id& target, SEL action, UIControlEvents events) {
  for (auto& registration : registrations_) {
    bool targetMatches = !target || registration.target.lock() == target;
    bool actionMatches = !action || registration.action == action;
    if (targetMatches && actionMatches) {
      registration.events = static_cast<UIControlEvents>(registration.events & ~events);
    }
  }
  std::erase_if(registrations_, [](const Registration& r) { return r.events == 0; });
}

std::vector<id> UIControl::allTargets() const {
  std::vector<id> targets;
  for (const auto& registration : registrations_) {
    id target = registration.target.lock();
    if (!target && !registration.nilTarget) continue;  // released since
    if (std::find(targets.begin(), targets.end(), target) == targets.end()) {
      targets.push_back(target);
    }
  }
  return targets;
}

UIControlEvents UIControl::allControlEvents() const {
  unsigned long events = 0;
  for (const auto& registration : registrations_) events |= registration.events;
  return static_cast<UIControlEvents>(events);
}

std::vector<std::string> UIControl::actionsForTarget(const id& target,
                                                     UIControlEvents event) const {
  std::vector<std::string> actions;
  for (const auto& registration : registrations_) {
    if (registration.nilTarget != !target || registration.target.lock() != target) continue;
    if (registration.events & event) actions.push_back(registration.action.name());
  }
  return actions;
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
  sendActionsForControlEvents(events, nullptr);
}

void UIControl::sendActionsForControlEvents(UIControlEvents events,
                                            const std::shared_ptr<UIEvent>& event) {
  auto keep = selfAs<UIControl>();
  // An action may add or remove registrations; the ones due now are fixed first.
  std::vector<std::pair<id, SEL>> due;
  for (const auto& registration : registrations_) {
    if (!(registration.events & events)) continue;
    id target = registration.target.lock();
    if (!target && !registration.nilTarget) continue;
    due.emplace_back(target, registration.action);
  }
  for (auto& [target, action] : due) sendAction(action, target, event);
}

void UIControl::sendAction(SEL action, const id& target, const std::shared_ptr<UIEvent>& event) {
  // A nil-targeted action that no responder implements goes nowhere, as on the platform.
  UIApplication::sharedApplication()->sendAction(action, target, self(), event);
}

bool UIControl::isPointInsideTrackingArea(CGPoint point) const {
  return CGRectContainsPoint(CGRectInset(bounds(), -kTouchInsideMargin, -kTouchInsideMargin),
                             point);
}

// Touch tracking.

// A disabled control lets its touches go on to the next responder, so that a disabled button in
// a cell still lets the cell be tapped.
void UIControl::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (!enabled_ || touches.empty()) {
    UIView::touchesBegan(touches, event);
    return;
  }
  auto keep = selfAs<UIControl>();
  const auto& touch = touches.front();
  tracking_ = true;
  touchInside_ = true;
  setHighlighted(true);
  UIControlEvents events = UIControlEventTouchDown;
  if (touch->tapCount() > 1) events = events | UIControlEventTouchDownRepeat;
  sendActionsForControlEvents(events, event);
}

void UIControl::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (!tracking_ || touches.empty()) {
    UIView::touchesMoved(touches, event);
    return;
  }
  auto keep = selfAs<UIControl>();
  bool inside = isPointInsideTrackingArea(touches.front()->locationInView(keep));
  bool wasInside = touchInside_;
  touchInside_ = inside;
  setHighlighted(inside);
  unsigned long events = inside ? UIControlEventTouchDragInside : UIControlEventTouchDragOutside;
  if (inside != wasInside) {
    events |= inside ? UIControlEventTouchDragEnter : UIControlEventTouchDragExit;
  }
  sendActionsForControlEvents(static_cast<UIControlEvents>(events), event);
}

void UIControl::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (!tracking_ || touches.empty()) {
    UIView::touchesEnded(touches, event);
    return;
  }
  auto keep = selfAs<UIControl>();
  bool inside = isPointInsideTrackingArea(touches.front()->locationInView(keep));
  tracking_ = false;
  touchInside_ = inside;
  setHighlighted(false);
  if (inside) {
    touchUpInside(event);
  } else {
    sendActionsForControlEvents(UIControlEventTouchUpOutside, event);
  }
  touchInside_ = false;
}

void UIControl::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (!tracking_) {
    UIView::touchesCancelled(touches, event);
    return;
  }
  auto keep = selfAs<UIControl>();
  tracking_ = false;
  touchInside_ = false;
  setHighlighted(false);
  sendActionsForControlEvents(UIControlEventTouchCancel, event);
}

void UIControl::touchUpInside(const std::shared_ptr<UIEvent>& event) {
  sendActionsForControlEvents(UIControlEventTouchUpInside, event);
}
