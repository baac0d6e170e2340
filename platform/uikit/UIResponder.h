#pragma once

#include <memory>
#include <vector>

#include "runtime/NSObject.h"
#include "uikit/Forward.h"

// The touches of one delivery, in the order they began.
using UITouchSet = std::vector<std::shared_ptr<UITouch>>;

// An object that can take part in event handling. The chain runs view -> its view controller
// (for a controller's root view) -> superview ... -> window -> application.
class UIResponder : public NSObject {
  OBJC_CLASS(UIResponder, NSObject);

 public:
  virtual std::shared_ptr<UIResponder> nextResponder() const { return nullptr; }

  // Touches. Each default passes the touches on to the next responder, so a view that does not
  // handle touches lets its superview (or controller) see them.
  virtual void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
  virtual void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
  virtual void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
  virtual void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);

  // First responder: the object that receives actions sent to no target (and typing). There is
  // one in the process, since there is one keyboard focus on the device.
  virtual bool canBecomeFirstResponder() const { return false; }
  virtual bool canResignFirstResponder() const { return true; }
  // Asks the current first responder to resign first; refuses if it will not, or if this
  // responder cannot become first responder.
  virtual bool becomeFirstResponder();
  virtual bool resignFirstResponder();
  bool isFirstResponder() const;
  static std::shared_ptr<UIResponder> currentFirstResponder();

  // Actions travelling the responder chain. canPerformAction answers whether this responder
  // implements the action; targetForAction walks the chain from here to the first that does.
  virtual bool canPerformAction(SEL action, const id& sender) const;
  std::shared_ptr<UIResponder> targetForAction(SEL action, const id& sender);
};
