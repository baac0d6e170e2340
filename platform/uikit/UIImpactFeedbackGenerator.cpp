#include "uikit/UIImpactFeedbackGenerator.h"

#include <algorithm>

#include "foundation/Clock.h"

OBJC_CLASS_IMPL(UIImpactFeedbackGenerator) {
  c.method("prepare", &UIImpactFeedbackGenerator::prepare)
      .method("impactOccurred", &UIImpactFeedbackGenerator::impactOccurred);
}

namespace {

std::vector<UIImpactFeedbackGenerator::Impact>& impactLog() {
  static std::vector<UIImpactFeedbackGenerator::Impact> log;
  return log;
}

}  // namespace

std::shared_ptr<UIImpactFeedbackGenerator> UIImpactFeedbackGenerator::initWithStyle(
    UIImpactFeedbackStyle style) {
  style_ = style;
  return selfAs<UIImpactFeedbackGenerator>();
}

void UIImpactFeedbackGenerator::impactOccurredWithIntensity(double intensity) {
  impactLog().push_back({style_, std::clamp(intensity, 0.0, 1.0), Clock::now()});
}

const std::vector<UIImpactFeedbackGenerator::Impact>& UIImpactFeedbackGenerator::recordedImpacts() {
  return impactLog();
}

void UIImpactFeedbackGenerator::clearRecordedImpacts() {
  impactLog().clear();
}
