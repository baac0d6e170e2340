#pragma once

#include "uikit/UILabel.h"

// The label that shows a button's title. A class of its own, as on the platform, so that code
// can tell a button's title from other labels by its class.
class UIButtonLabel : public UILabel {
  OBJC_CLASS(UIButtonLabel, UILabel);
};
