#include "quartz/CAAnimationTimeline.h"

#include <algorithm>
#include <cassert>
#include <memory>
#include <unordered_map>
#include <utility>

#include "foundation/Clock.h"

namespace {

struct LayerAnimations {
  // Checked on every look-up: another layer may since have been made at the same address.
  std::weak_ptr<const NSObject> layer;
  std::vector<std::pair<std::string, CAAnimation>> animations;  // in the order added
};

std::unordered_map<const CALayer*, LayerAnimations>& table() {
  static std::unordered_map<const CALayer*, LayerAnimations> instance;
  return instance;
}

bool isLive(const LayerAnimations& entry, const CALayer& layer) {
  auto owner = entry.layer.lock();
  return owner && owner.get() == &layer;
}

// The layer's animations with the finished ones dropped, or null when it has none.
LayerAnimations* animationsOf(const CALayer& layer) {
  auto found = table().find(&layer);
  if (found == table().end()) return nullptr;
  if (!isLive(found->second, layer)) {
    table().erase(found);
    return nullptr;
  }
  auto& animations = found->second.animations;
  double now = Clock::now();
  std::erase_if(animations,
                [now](const auto& keyed) { return keyed.second.isFinishedAtTime(now); });
  if (animations.empty()) {
    table().erase(found);
    return nullptr;
  }
  return &found->second;
}

// Takes the animations off their layer first, then tells their owners, who may add others.
void interrupt(std::vector<CAAnimation> removed) {
  for (const CAAnimation& animation : removed) {
    if (animation.interruptionHandler()) animation.interruptionHandler()();
  }
}

void dropFinishedEverywhere() {
  double now = Clock::now();
  for (auto entry = table().begin(); entry != table().end();) {
    auto& animations = entry->second.animations;
    if (!entry->second.layer.expired()) {
      std::erase_if(animations,
                    [now](const auto& keyed) { return keyed.second.isFinishedAtTime(now); });
    }
    if (entry->second.layer.expired() || animations.empty()) {
      entry = table().erase(entry);
    } else {
      ++entry;
    }
  }
}

}  // namespace

void CAAnimationTimeline::addAnimation(const CALayer& layer, CAAnimation animation,
                                       std::string_view key) {
  auto owner = layer.weak_from_this();
  assert(!owner.expired() && "an animated layer must be owned by a shared pointer");
  if (owner.expired()) return;
  dropFinishedEverywhere();
  std::vector<CAAnimation> replaced;
  auto& entry = table()[&layer];
  if (!isLive(entry, layer)) entry = LayerAnimations{owner, {}};
  auto& animations = entry.animations;
  auto same = std::find_if(animations.begin(), animations.end(),
                           [key](const auto& keyed) { return keyed.first == key; });
  if (same != animations.end()) {
    replaced.push_back(std::move(same->second));
    animations.erase(same);
  }
  animations.emplace_back(std::string(key), std::move(animation));
  interrupt(std::move(replaced));
}

std::optional<CAAnimation> CAAnimationTimeline::animationForKey(const CALayer& layer,
                                                                std::string_view key) {
  LayerAnimations* entry = animationsOf(layer);
  if (!entry) return std::nullopt;
  for (const auto& [name, animation] : entry->animations) {
    if (name == key) return animation;
  }
  return std::nullopt;
}

std::vector<std::string> CAAnimationTimeline::animationKeys(const CALayer& layer) {
  std::vector<std::string> keys;
  if (LayerAnimations* entry = animationsOf(layer)) {
    for (const auto& keyed : entry->animations) keys.push_back(keyed.first);
  }
  return keys;
}

void CAAnimationTimeline::removeAnimationForKey(const CALayer& layer, std::string_view key) {
  LayerAnimations* entry = animationsOf(layer);
  if (!entry) return;
  std::vector<CAAnimation> removed;
  auto& animations = entry->animations;
  for (auto keyed = animations.begin(); keyed != animations.end(); ++keyed) {
    if (keyed->first == key) {
      removed.push_back(std::move(keyed->second));
      animations.erase(keyed);
      break;
    }
  }
  if (animations.empty()) table().erase(&layer);
  interrupt(std::move(removed));
}

void CAAnimationTimeline::removeAllAnimations(const CALayer& layer) {
  LayerAnimations* entry = animationsOf(layer);
  if (!entry) return;
  std::vector<CAAnimation> removed;
  for (auto& keyed : entry->animations) removed.push_back(std::move(keyed.second));
  table().erase(&layer);
  interrupt(std::move(removed));
}

std::optional<CAAnimationValue> CAAnimationTimeline::modelValue(const CALayer& layer,
                                                                std::string_view key) {
  if (key == "position") return layer.position();
  if (key == "bounds") return layer.bounds();
  if (key == "anchorPoint") return layer.anchorPoint();
  if (key == "transform") return layer.affineTransform();
  if (key == "zPosition") return layer.zPosition();
  if (key == "opacity") return static_cast<double>(layer.opacity());
  if (key == "backgroundColor") return layer.backgroundColor().value_or(CGColor{0, 0, 0, 0});
  if (key == "cornerRadius") return layer.cornerRadius();
  if (key == "borderWidth") return layer.borderWidth();
  if (key == "borderColor") return layer.borderColor();
  if (key == "shadowColor") return layer.shadowColor();
  if (key == "shadowOpacity") return static_cast<double>(layer.shadowOpacity());
  if (key == "shadowOffset") return layer.shadowOffset();
  if (key == "shadowRadius") return layer.shadowRadius();
  return std::nullopt;
}

std::optional<CAAnimationValue> CAAnimationTimeline::presentationValue(const CALayer& layer,
                                                                       std::string_view key,
                                                                       double time) {
  if (auto animation = animationForKey(layer, key)) return animation->valueAtTime(time);
  return modelValue(layer, key);
}

std::optional<CAAnimationValue> CAAnimationTimeline::presentationValue(const CALayer& layer,
                                                                       std::string_view key) {
  return presentationValue(layer, key, Clock::now());
}

bool CAAnimationTimeline::hasRunningAnimations() {
  dropFinishedEverywhere();
  return !table().empty();
}
