#pragma once

#include <vector>

#include "runtime/NSObject.h"

enum UIImpactFeedbackStyle : long {
  UIImpactFeedbackStyleLight = 0,
  UIImpactFeedbackStyleMedium = 1,
  UIImpactFeedbackStyleHeavy = 2,
  UIImpactFeedbackStyleSoft = 3,
  UIImpactFeedbackStyleRigid = 4,
};

// Haptic taps. There is no motor here: each impact is written to a process-wide log that tests
// and the simulator read (the simulator shows a tap where the device would buzz).
class UIImpactFeedbackGenerator : public NSObject {
  OBJC_CLASS(UIImpactFeedbackGenerator, NSObject);

 public:
  struct Impact {
    UIImpactFeedbackStyle style;
    double intensity;
    double time;  // the clock's monotonic seconds
  };

  std::shared_ptr<UIImpactFeedbackGenerator> init() {
    return initWithStyle(UIImpactFeedbackStyleMedium);
  }
  std::shared_ptr<UIImpactFeedbackGenerator> initWithStyle(UIImpactFeedbackStyle style);

  UIImpactFeedbackStyle style() const { return style_; }
  // Wakes the engine so the next impact is on time; nothing to do here.
  void prepare() {}
  void impactOccurred() { impactOccurredWithIntensity(1.0); }
  // Intensity is clamped to 0...1.
  void impactOccurredWithIntensity(double intensity);

  static const std::vector<Impact>& recordedImpacts();
  static void clearRecordedImpacts();

 private:
  UIImpactFeedbackStyle style_ = UIImpactFeedbackStyleMedium;
};
