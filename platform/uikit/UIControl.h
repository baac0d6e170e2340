#pragma once

#include <memory>
#include <string>
#include <vector>

#include "uikit/UIResponder.h"
#include "uikit/UIView.h"

enum UIControlEvents : unsigned long {
  UIControlEventTouchDown = 1 << 0,
  UIControlEventTouchDownRepeat = 1 << 1,
  UIControlEventTouchDragInside = 1 << 2,
  UIControlEventTouchDragOutside = 1 << 3,
  UIControlEventTouchDragEnter = 1 << 4,
  UIControlEventTouchDragExit = 1 << 5,
  UIControlEventTouchUpInside = 1 << 6,
  UIControlEventTouchUpOutside = 1 << 7,
  UIControlEventTouchCancel = 1 << 8,
  UIControlEventValueChanged = 1 << 12,
  UIControlEventPrimaryActionTriggered = 1 << 13,
  UIControlEventMenuActionTriggered = 1 << 14,
  UIControlEventEditingDidBegin = 1 << 16,
  UIControlEventEditingChanged = 1 << 17,
  UIControlEventEditingDidEnd = 1 << 18,
  UIControlEventEditingDidEndOnExit = 1 << 19,
  UIControlEventAllTouchEvents = 0x00000FFF,
  UIControlEventAllEditingEvents = 0x000F0000,
  UIControlEventApplicationReserved = 0x0F000000,
  UIControlEventSystemReserved = 0xF0000000,
  UIControlEventAllEvents = 0xFFFFFFFF,
};

inline constexpr UIControlEvents operator|(UIControlEvents a, UIControlEvents b) {
  return static_cast<UIControlEvents>(static_cast<unsigned long>(a) |
                                      static_cast<unsigned long>(b));
}

enum UIControlState : unsigned long {
  UIControlStateNormal = 0,
  UIControlStateHighlighted = 1 << 0,
  UIControlStateDisabled = 1 << 1,
  UIControlStateSelected = 1 << 2,
  UIControlStateFocused = 1 << 3,
};

inline constexpr UIControlState operator|(UIControlState a, UIControlState b) {
  return static_cast<UIControlState>(static_cast<unsigned long>(a) | static_cast<unsigned long>(b));
}

enum UIControlContentHorizontalAlignment : long {
  UIControlContentHorizontalAlignmentCenter = 0,
  UIControlContentHorizontalAlignmentLeft = 1,
  UIControlContentHorizontalAlignmentRight = 2,
  UIControlContentHorizontalAlignmentFill = 3,
  UIControlContentHorizontalAlignmentLeading = 4,
  UIControlContentHorizontalAlignmentTrailing = 5,
};

enum UIControlContentVerticalAlignment : long {
  UIControlContentVerticalAlignmentCenter = 0,
  UIControlContentVerticalAlignmentTop = 1,
  UIControlContentVerticalAlignmentBottom = 2,
  UIControlContentVerticalAlignmentFill = 3,
};

// A view that turns touches into actions sent to targets. A target is held weakly; a nil target
// sends the action along the responder chain to the first responder that implements it. An
// action method takes no argument, the sender, or the sender and the event; the control reads
// which from the method's type encoding.
class UIControl : public UIView {
  OBJC_CLASS(UIControl, UIView);

 public:
  std::shared_ptr<UIControl> init() { return initWithFrame(CGRectZero); }
  std::shared_ptr<UIControl> initWithFrame(CGRect frame);

  bool isEnabled() const { return enabled_; }
  virtual void setEnabled(bool enabled);
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted);
  // Highlighted, disabled and selected combined.
  UIControlState state() const;
  bool isTracking() const { return tracking_; }
  bool isTouchInside() const { return touchInside_; }

  UIControlContentHorizontalAlignment contentHorizontalAlignment() const {
    return horizontalAlignment_;
  }
  void setContentHorizontalAlignment(UIControlContentHorizontalAlignment alignment);
  UIControlContentVerticalAlignment contentVerticalAlignment() const { return verticalAlignment_; }
  void setContentVerticalAlignment(UIControlContentVerticalAlignment alignment);

  // Adding a target and action that are already registered adds the events to them.
  void addTarget(const id& target, SEL action, UIControlEvents events);
  // A nil target matches every target, an empty action every action.
  void removeTarget(const id& target, SEL action, UIControlEvents events);
  // The live targets; a registration with a nil target appears as nullptr.
  std::vector<id> allTargets() const;
  UIControlEvents allControlEvents() const;
  // The selector names registered for the target and event; empty when there are none.
  std::vector<std::string> actionsForTarget(const id& target, UIControlEvents event) const;

  // Sends every action registered for any of the events, in the order they were added.
  void sendActionsForControlEvents(UIControlEvents events);
  void sendActionsForControlEvents(UIControlEvents events, const std::shared_ptr<UIEvent>& event);
  // Sends one action: to the target, or along the responder chain when the target is nil.
  virtual void sendAction(SEL action, const id& target, const std::shared_ptr<UIEvent>& event);

  // The distance outside the bounds within which a lifted touch still counts as inside.
  static constexpr CGFloat kTouchInsideMargin = 70;
  bool isPointInsideTrackingArea(CGPoint point) const;

  // Tracking: a touch that begins on the control highlights it and sends TouchDown; moving
  // highlights it while inside the tracking area; lifting sends TouchUpInside or TouchUpOutside.
  // Subclasses that override these call the inherited implementation first.
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

 protected:
  // A tracked touch lifted inside: sends TouchUpInside. Subclasses add what a tap means to them.
  virtual void touchUpInside(const std::shared_ptr<UIEvent>& event);

 private:
  struct Registration {
    std::weak_ptr<NSObject> target;
    bool nilTarget;
    SEL action;
    UIControlEvents events;
  };

  std::vector<Registration> registrations_;
  bool enabled_ = true;
  bool selected_ = false;
  bool highlighted_ = false;
  bool tracking_ = false;
  bool touchInside_ = false;
  UIControlContentHorizontalAlignment horizontalAlignment_ =
      UIControlContentHorizontalAlignmentCenter;
  UIControlContentVerticalAlignment verticalAlignment_ = UIControlContentVerticalAlignmentCenter;
};
