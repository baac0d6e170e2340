#include "BrisvaleKit/BVPrefsConfig.h"

OBJC_CLASS_IMPL(BVPrefsConfig) {}
