#include "BrisvaleKit/BVTutorialData.h"

OBJC_CLASS_IMPL(BVTutorialData) {}
