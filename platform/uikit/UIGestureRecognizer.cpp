#include "uikit/UIGestureRecognizer.h"

#include <algorithm>

#include "uikit/UIApplication.h"
#include "uikit/UITouch.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

OBJC_CLASS_IMPL(UIGestureRecognizer) {
  c.method("view", &UIGestureRecognizer::view)
      .property("isEnabled", &UIGestureRecognizer::isEnabled, &UIGestureRecognizer::setEnabled)
      .method("locationInView:", &UIGestureRecognizer::locationInView)
      .method("numberOfTouches", &UIGestureRecognizer::numberOfTouches);
}

UIGestureRecognizer::UIGestureRecognizer() = default;
UIGestureRecognizer::~UIGestureRecognizer() = default;

std::shared_ptr<UIGestureRecognizer> UIGestureRecognizer::initWithTarget(const id& target,
                                                                         SEL action) {
  if (target && action) addTarget(target, action);
  return selfAs<UIGestureRecognizer>();
}

void UIGestureRecognizer::addTarget(const id& target, SEL action) {
  if (!target || !action) return;
  for (auto& existing : targets_) {
    if (existing.target.lock() == target && existing.action == action) return;
  }
  targets_.push_back({target, action});
}

void UIGestureRecognizer::removeTarget(const id& target, SEL action) {
  std::erase_if(targets_, [&](const Target& existing) {
    auto live = existing.target.lock();
    if (!live) return true;
    return (!target || live == target) && (!action || existing.action == action);
  });
}

void UIGestureRecognizer::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (!enabled) didDetachFromView();
}

void UIGestureRecognizer::requireGestureRecognizerToFail(
    const std::shared_ptr<UIGestureRecognizer>& other) {
  if (!other || other.get() == this) return;
  failureRequirements_.push_back(other);
}

bool UIGestureRecognizer::canPreventGestureRecognizer(const UIGestureRecognizer&) const {
  return true;
}

bool UIGestureRecognizer::canBePreventedByGestureRecognizer(const UIGestureRecognizer&) const {
  return true;
}

void UIGestureRecognizer::touchesBegan(const UITouchSet&, const std::shared_ptr<UIEvent>&) {}
void UIGestureRecognizer::touchesMoved(const UITouchSet&, const std::shared_ptr<UIEvent>&) {}
void UIGestureRecognizer::touchesEnded(const UITouchSet&, const std::shared_ptr<UIEvent>&) {}
void UIGestureRecognizer::touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) {}

// ---- Locations ----

CGPoint UIGestureRecognizer::centroidInWindow() const {
  if (touches_.empty()) return lastCentroid_;
  CGPoint sum;
  for (auto& touch : touches_) {
    sum.x += touch->location_.x;
    sum.y += touch->location_.y;
  }
  auto count = static_cast<CGFloat>(touches_.size());
  return {sum.x / count, sum.y / count};
}

CGPoint UIGestureRecognizer::convertFromWindow(CGPoint point,
                                               const std::shared_ptr<UIView>& view) const {
  auto window = touches_.empty() ? lastWindow_.lock() : touches_.front()->window();
  return UITouch::convertFromWindow(point, window, view);
}

CGPoint UIGestureRecognizer::convertVectorFromWindow(CGPoint vector,
                                                     const std::shared_ptr<UIView>& view) const {
  CGPoint origin = convertFromWindow(CGPointZero, view);
  CGPoint end = convertFromWindow(vector, view);
  return {end.x - origin.x, end.y - origin.y};
}

CGPoint UIGestureRecognizer::convertVectorToWindow(CGPoint vector,
                                                   const std::shared_ptr<UIView>& view) const {
  // Views are related to their window by affine maps, so one unit step in each axis is enough.
  CGPoint unitX = convertVectorFromWindow({1, 0}, view);
  CGPoint unitY = convertVectorFromWindow({0, 1}, view);
  double det = unitX.x * unitY.y - unitY.x * unitX.y;
  if (det == 0) return CGPointZero;
  return {(vector.x * unitY.y - vector.y * unitY.x) / det,
          (vector.y * unitX.x - vector.x * unitX.y) / det};
}

CGPoint UIGestureRecognizer::locationInView(const std::shared_ptr<UIView>& view) const {
  return convertFromWindow(centroidInWindow(), view);
}

CGPoint UIGestureRecognizer::locationOfTouch(unsigned long index,
                                             const std::shared_ptr<UIView>& view) const {
  if (index >= touches_.size()) {
    throw std::out_of_range("locationOfTouch: index beyond numberOfTouches");
  }
  return touches_[index]->locationInView(view);
}

// ---- Timers and actions ----

RunLoop::Token UIGestureRecognizer::scheduleTimer(double delay, std::function<void()> block) {
  std::weak_ptr<UIGestureRecognizer> weak = selfAs<UIGestureRecognizer>();
  return RunLoop::scheduleAfter(delay, [weak, block = std::move(block)] {
    auto me = weak.lock();
    if (!me) return;
    me->runAsGestureHandling(block);
  });
}

void UIGestureRecognizer::sendActions() {
  auto keep = selfAs<UIGestureRecognizer>();
  auto view = this->view();  // handlers may remove the view, or the recogniser from it
  for (auto& entry : std::vector(targets_)) {
    auto target = entry.target.lock();
    if (!target) continue;
    UIApplication::sharedApplication()->sendAction(entry.action, target, keep, nullptr);
  }
}
