#include "uikit/UIButtonLabel.h"

OBJC_CLASS_IMPL(UIButtonLabel) {}
