#pragma once

#include <memory>

#include "runtime/NSObject.h"

class BVUtilities : public NSObject {
  OBJC_CLASS(BVUtilities, NSObject);

 public:
  static std::shared_ptr<BVUtilities> sharedInstance();

  // Plays a haptic tap; 0 is a light one.
  void haptic(long style);
};
