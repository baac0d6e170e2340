#pragma once

#include "runtime/NSObject.h"

// What a visual effect view does to the content behind it. Effects are immutable.
class UIVisualEffect : public NSObject {
  OBJC_CLASS(UIVisualEffect, NSObject);
};
