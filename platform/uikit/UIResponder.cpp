#include "uikit/UIResponder.h"

OBJC_CLASS_IMPL(UIResponder) {}
