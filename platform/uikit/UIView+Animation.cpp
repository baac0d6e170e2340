#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "foundation/Clock.h"
#include "foundation/RunLoop.h"
#include "quartz/CAAnimationTimeline.h"
#include "quartz/CATransaction.h"
#include "uikit/UIView.h"

namespace {

// What the changes of one animation block share until its completion has run.
struct AnimationGroup {
  bool finished = true;
  // The animated views live until the completion has run, even when nothing else holds them.
  std::vector<std::shared_ptr<UIView>> views;

  void keep(const std::shared_ptr<UIView>& view) {
    if (view && std::find(views.begin(), views.end(), view) == views.end()) views.push_back(view);
  }
};

struct Spring {
  double dampingRatio;
  double initialVelocity;
};

// The parameters of one animation block, for the changes made inside it.
struct AnimationBlockParameters {
  double beginTime = 0;  // the delay included
  double delay = 0;
  double duration = 0;
  CAMediaTimingFunction curve;
  std::optional<Spring> spring;
  std::shared_ptr<AnimationGroup> group = std::make_shared<AnimationGroup>();

  bool moves() const { return duration > 0 || delay > 0; }
};

// Animation blocks being run, innermost last.
std::vector<AnimationBlockParameters>& openBlocks() {
  static std::vector<AnimationBlockParameters> blocks;
  return blocks;
}

bool& animationsEnabled() {
  static bool enabled = true;
  return enabled;
}

constexpr unsigned long kCurveMask = 3ul << 16;
constexpr unsigned long kTransitionMask = 7ul << 20;

CAMediaTimingFunction curveForOptions(UIViewAnimationOptions options) {
  switch (options & kCurveMask) {
    case UIViewAnimationOptionCurveEaseIn:
      return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    case UIViewAnimationOptionCurveEaseOut:
      return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
    case UIViewAnimationOptionCurveLinear:
      return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionLinear);
    default:
      return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
  }
}

AnimationBlockParameters parametersFor(double duration, double delay,
                                       UIViewAnimationOptions options) {
  // std::max also turns NaN into 0.
  duration = std::max(0.0, duration);
  delay = std::max(0.0, delay);
  AnimationBlockParameters parameters;
  parameters.beginTime = Clock::now() + delay;
  parameters.delay = delay;
  parameters.duration = duration;
  parameters.curve = curveForOptions(options);
  return parameters;
}

// An animation that leaves its layer early marks its block unfinished, unless its own block is
// replacing it (a block that sets a property twice).
std::function<void()> interruptionHandler(const std::shared_ptr<AnimationGroup>& group) {
  return [weakGroup = std::weak_ptr<AnimationGroup>(group)] {
    auto group = weakGroup.lock();
    if (!group) return;
    if (!openBlocks().empty() && openBlocks().back().group == group) return;
    group->finished = false;
  };
}

class AnimationsDisabledScope {
 public:
  AnimationsDisabledScope() : saved_(animationsEnabled()) { animationsEnabled() = false; }
  ~AnimationsDisabledScope() { animationsEnabled() = saved_; }

 private:
  bool saved_;
};

// Runs the block's changes under its parameters (or without animation), then schedules the
// completion at the block's end.
void runAnimationBlock(AnimationBlockParameters parameters, bool animateChanges,
                       const UIView::AnimationBlock& animations,
                       UIView::CompletionBlock completion) {
  std::shared_ptr<AnimationGroup> group = parameters.group;
  double end = parameters.beginTime + parameters.duration;
  if (animations) {
    std::optional<AnimationsDisabledScope> disabled;
    if (!animateChanges) disabled.emplace();
    openBlocks().push_back(std::move(parameters));
    struct Close {
      ~Close() { openBlocks().pop_back(); }
    } close;
    animations();
  }
  RunLoop::scheduleAt(end, [group, completion = std::move(completion)] {
    // The views go when the completion has run.
    auto views = std::move(group->views);
    if (completion) completion(group->finished);
  });
}

}  // namespace

void UIView::animateWithDuration(double duration, const AnimationBlock& animations) {
  animateWithDuration(duration, 0, UIViewAnimationOptionCurveEaseInOut, animations, nullptr);
}

void UIView::animateWithDuration(double duration, const AnimationBlock& animations,
                                 CompletionBlock completion) {
  animateWithDuration(duration, 0, UIViewAnimationOptionCurveEaseInOut, animations,
                      std::move(completion));
}

void UIView::animateWithDuration(double duration, double delay, UIViewAnimationOptions options,
                                 const AnimationBlock& animations, CompletionBlock completion) {
  runAnimationBlock(parametersFor(duration, delay, options), true, animations,
                    std::move(completion));
}

void UIView::animateWithDuration(double duration, double delay, double dampingRatio,
                                 double initialSpringVelocity, UIViewAnimationOptions options,
                                 const AnimationBlock& animations, CompletionBlock completion) {
  // A spring has its own pace; the curve in the options does not apply.
  AnimationBlockParameters parameters = parametersFor(duration, delay, options);
  parameters.spring = Spring{dampingRatio, initialSpringVelocity};
  runAnimationBlock(std::move(parameters), true, animations, std::move(completion));
}

void UIView::transitionWithView(const std::shared_ptr<UIView>& view, double duration,
                                UIViewAnimationOptions options, const AnimationBlock& animations,
                                CompletionBlock completion) {
  AnimationBlockParameters parameters = parametersFor(duration, 0, options);
  bool crossDissolve = (options & kTransitionMask) == UIViewAnimationOptionTransitionCrossDissolve;
  if (view && crossDissolve && parameters.moves() && animationsEnabled() &&
      !CATransaction::disableActions()) {
    CAAnimation fade = CAAnimation::transition(kCATransitionFade, parameters.beginTime,
                                               parameters.duration, parameters.curve);
    fade.setInterruptionHandler(interruptionHandler(parameters.group));
    CAAnimationTimeline::addAnimation(*view->layer(), std::move(fade), kCATransition);
  }
  parameters.group->keep(view);
  // The cross-fade covers the block's changes, which happen at once unless the content is to
  // animate itself.
  bool animateChanges = options & UIViewAnimationOptionAllowAnimatedContent;
  runAnimationBlock(std::move(parameters), animateChanges, animations, std::move(completion));
}

void UIView::performWithoutAnimation(const AnimationBlock& actions) {
  AnimationsDisabledScope disabled;
  if (actions) actions();
}

bool UIView::areAnimationsEnabled() {
  return animationsEnabled();
}

void UIView::setAnimationsEnabled(bool enabled) {
  animationsEnabled() = enabled;
}

void UIView::recordAnimatableChange(std::string_view key, const CAAnimationValue& from,
                                    const CAAnimationValue& to) {
  if (from == to) return;
  const CALayer& layer = *layer_;
  const AnimationBlockParameters* block = openBlocks().empty() ? nullptr : &openBlocks().back();
  if (!block || !block->moves() || !animationsEnabled() || CATransaction::disableActions()) {
    // A change without animation also ends one that was running: the new value shows at once.
    CAAnimationTimeline::removeAnimationForKey(layer, key);
    return;
  }

  // Always from the value on screen, so a change in flight turns without a jump (the platform's
  // BeginFromCurrentState, which is what its additive animations look like too). The running
  // animation is replaced, not added to.
  double now = Clock::now();
  CAAnimationValue start = from;
  if (auto running = CAAnimationTimeline::animationForKey(layer, key)) {
    start = running->valueAtTime(now);
  }
  std::string keyPath(key);
  CAAnimation animation =
      block->spring
          ? CAAnimation::spring(keyPath, start, to, block->beginTime, block->duration,
                                block->spring->dampingRatio, block->spring->initialVelocity)
          : CAAnimation::basic(keyPath, start, to, block->beginTime, block->duration, block->curve);
  animation.setInterruptionHandler(interruptionHandler(block->group));
  block->group->keep(std::static_pointer_cast<UIView>(weak_from_this().lock()));
  CAAnimationTimeline::addAnimation(layer, std::move(animation), key);
}

void UIView::recordAnimatableChange(std::string_view key, const std::shared_ptr<UIColor>& from,
                                    const std::shared_ptr<UIColor>& to) {
  if (from == to) return;
  // Resolved now: the layer keeps fixed colours, and a view without a colour shows clear.
  auto resolve = [this](const std::shared_ptr<UIColor>& color) {
    if (!color) return CGColor{0, 0, 0, 0};
    return color->resolvedColorWithTraitCollection(traitCollection())->CGColor();
  };
  recordAnimatableChange(key, resolve(from), resolve(to));
}
