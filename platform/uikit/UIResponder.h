#pragma once

#include <memory>

#include "runtime/NSObject.h"

// An object that can take part in event handling. The chain runs view -> its view controller
// (for a controller's root view) -> superview ... -> window -> application.
class UIResponder : public NSObject {
  OBJC_CLASS(UIResponder, NSObject);

 public:
  virtual std::shared_ptr<UIResponder> nextResponder() const { return nullptr; }
  virtual bool canBecomeFirstResponder() const { return false; }
};
