#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quartz/CAAnimation.h"
#include "quartz/CALayer.h"

// The animations that layers are running, by layer and key, for the renderer to draw at their
// presentation values. On the platform a layer holds its own animations; here the timeline holds
// them beside the layer and refers to the layer weakly, so a layer that goes away takes its
// animations with it. An animation is dropped once the clock has passed its end.
//
// Only the main thread uses it, like everything that draws.
class CAAnimationTimeline {
 public:
  CAAnimationTimeline() = delete;

  // addAnimation:forKey:. An unfinished animation under the key is interrupted and replaced.
  // The layer must be owned by a shared pointer, as every layer is.
  static void addAnimation(const CALayer& layer, CAAnimation animation, std::string_view key);
  // The unfinished animation under a key.
  static std::optional<CAAnimation> animationForKey(const CALayer& layer, std::string_view key);
  // The keys of the unfinished animations, in the order they were added.
  static std::vector<std::string> animationKeys(const CALayer& layer);
  // Interrupts the animation (or all of them); the model values stay as they are.
  static void removeAnimationForKey(const CALayer& layer, std::string_view key);
  static void removeAllAnimations(const CALayer& layer);

  // The model value of an animatable property ("position", "bounds", "transform", "opacity",
  // "backgroundColor", "cornerRadius", "borderColor", ...); nothing for a key that is not one.
  // A layer without a background colour reads as clear.
  static std::optional<CAAnimationValue> modelValue(const CALayer& layer, std::string_view key);
  // What the renderer draws: the value of the key's animation at a time (no earlier than now),
  // else the model value. A transition's value is the share of the new content, 0 to 1.
  static std::optional<CAAnimationValue> presentationValue(const CALayer& layer,
                                                           std::string_view key, double time);
  // At the clock's current time.
  static std::optional<CAAnimationValue> presentationValue(const CALayer& layer,
                                                           std::string_view key);

  // Whether any layer has an unfinished animation: while one does, the screen keeps changing.
  static bool hasRunningAnimations();
};
