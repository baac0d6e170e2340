#include "BrisvaleKit/BVUtilities.h"

#include "uikit/UIImpactFeedbackGenerator.h"

OBJC_CLASS_IMPL(BVUtilities) {}

std::shared_ptr<BVUtilities> BVUtilities::sharedInstance() {
  static const std::shared_ptr<BVUtilities> shared = alloc();
  return shared;
}

void BVUtilities::haptic(long style) {
  // The argument is an impact style; anything out of range plays the lightest tap.
  auto impact = style >= UIImpactFeedbackStyleLight && style <= UIImpactFeedbackStyleRigid
                    ? static_cast<UIImpactFeedbackStyle>(style)
                    : UIImpactFeedbackStyleLight;
  UIImpactFeedbackGenerator::alloc()->initWithStyle(impact)->impactOccurred();
}
