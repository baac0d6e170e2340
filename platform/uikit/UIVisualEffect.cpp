#include "uikit/UIVisualEffect.h"

OBJC_CLASS_IMPL(UIVisualEffect) {}
