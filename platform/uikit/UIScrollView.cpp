#include "uikit/UIScrollView.h"

#include <algorithm>
#include <cmath>

#include "foundation/Clock.h"
#include "uikit/UIPanGestureRecognizer.h"

// The scroll view's own pan: it also stops a running deceleration the moment a finger comes
// down on the content, before the pan has moved far enough to begin.
class UIScrollViewPanGestureRecognizer : public UIPanGestureRecognizer {
  OBJC_CLASS(UIScrollViewPanGestureRecognizer, UIPanGestureRecognizer);

 protected:
  void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override {
    if (auto scrollView = std::dynamic_pointer_cast<UIScrollView>(view())) {
      if (scrollView->isDecelerating()) scrollView->stopDecelerating();
    }
    UIPanGestureRecognizer::touchesBegan(touches, event);
  }
};

OBJC_CLASS_IMPL(UIScrollViewPanGestureRecognizer) {}

OBJC_CLASS_IMPL(UIScrollView) {
  c.property("contentOffset", &UIScrollView::contentOffset,
             static_cast<void (UIScrollView::*)(CGPoint)>(&UIScrollView::setContentOffset))
      .method("setContentOffset:animated:",
              static_cast<void (UIScrollView::*)(CGPoint, bool)>(&UIScrollView::setContentOffset))
      .property("contentSize", &UIScrollView::contentSize, &UIScrollView::setContentSize)
      .property("contentInset", &UIScrollView::contentInset, &UIScrollView::setContentInset)
      .method("adjustedContentInset", &UIScrollView::adjustedContentInset)
      .method("scrollRectToVisible:animated:", &UIScrollView::scrollRectToVisible)
      .method("isDragging", &UIScrollView::isDragging)
      .method("isDecelerating", &UIScrollView::isDecelerating)
      .method("handlePan:", &UIScrollView::handlePan);
}

namespace {

// Frames of the deceleration; the step itself works with whatever time has passed.
constexpr double kStepInterval = 1.0 / 60;
// Below this speed (points per second) a released drag does not decelerate and a deceleration
// inside the content ends.
constexpr double kMinimumSpeed = 10;
// The spring that pulls content back inside after it overshot an edge: critically damped, so it
// settles in about half a second without swinging back past the edge.
constexpr double kSpringFrequency = 12;
// A content that is this close to its edge and this slow has settled.
constexpr double kSettleDistance = 0.5;
constexpr double kScrollAnimationDuration = 0.3;

// How far content dragged past an edge by `overshoot` moves: less and less the further it goes,
// never more than the view's own size.
double rubberBand(double overshoot, double dimension) {
  if (dimension <= 0) return 0;
  double sign = overshoot < 0 ? -1 : 1;
  double x = std::abs(overshoot);
  return sign * (1 - 1 / (x * 0.55 / dimension + 1)) * dimension;
}

}  // namespace

UIScrollView::UIScrollView() = default;

UIScrollView::~UIScrollView() {
  step_.cancel();
  scrollAnimationEnd_.cancel();
}

std::shared_ptr<UIScrollView> UIScrollView::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  setClipsToBounds(true);
  pan_ = UIScrollViewPanGestureRecognizer::alloc()->initWithTarget(self(), "handlePan:");
  pan_->setMaximumNumberOfTouches(1);
  addGestureRecognizer(pan_);
  return selfAs<UIScrollView>();
}

// ---- Offset, size and insets ----

void UIScrollView::setContentOffset(CGPoint offset) {
  stopDecelerating();
  applyOffset(offset);
}

void UIScrollView::setContentOffset(CGPoint offset, bool animated) {
  if (!animated) {
    setContentOffset(offset);
    return;
  }
  stopDecelerating();
  if (offset == contentOffset()) return;
  scrollAnimationEnd_.cancel();
  UIView::animateWithDuration(kScrollAnimationDuration, [&] { applyOffset(offset); });
  std::weak_ptr<UIScrollView> weak = selfAs<UIScrollView>();
  scrollAnimationEnd_ = RunLoop::scheduleAfter(kScrollAnimationDuration, [weak] {
    auto me = weak.lock();
    if (!me) return;
    if (auto delegate = me->delegate()) delegate->scrollViewDidEndScrollingAnimation(me);
  });
}

void UIScrollView::applyOffset(CGPoint offset) {
  CGRect b = bounds();
  if (b.origin == offset) return;
  setBounds(CGRectMake(offset.x, offset.y, b.size.width, b.size.height));
  // Scrolling lays the content out again: a table brings in the rows that came into view.
  setNeedsLayout();
  notifyDidScroll();
}

void UIScrollView::notifyDidScroll() {
  auto me = selfAs<UIScrollView>();
  if (auto delegate = this->delegate()) delegate->scrollViewDidScroll(me);
}

void UIScrollView::setContentSize(CGSize size) {
  if (contentSize_ == size) return;
  contentSize_ = size;
  setNeedsLayout();
  checkAdjustedContentInset();
}

void UIScrollView::setContentInset(UIEdgeInsets insets) {
  if (contentInset_ == insets) return;
  contentInset_ = insets;
  setNeedsLayout();
  checkAdjustedContentInset();
}

void UIScrollView::setContentInsetAdjustmentBehavior(
    UIScrollViewContentInsetAdjustmentBehavior behavior) {
  contentInsetAdjustmentBehavior_ = behavior;
  checkAdjustedContentInset();
}

UIEdgeInsets UIScrollView::adjustedContentInset() const {
  UIEdgeInsets insets = contentInset_;
  if (contentInsetAdjustmentBehavior_ == UIScrollViewContentInsetAdjustmentNever) return insets;
  UIEdgeInsets safe = safeAreaInsets();
  bool vertical = true, horizontal = true;
  CGSize size = bounds().size;
  bool scrollsY = contentSize_.height > size.height || alwaysBounceVertical_;
  bool scrollsX = contentSize_.width > size.width || alwaysBounceHorizontal_;
  switch (contentInsetAdjustmentBehavior_) {
    case UIScrollViewContentInsetAdjustmentAutomatic:
      horizontal = scrollsX;
      break;
    case UIScrollViewContentInsetAdjustmentScrollableAxes:
      vertical = scrollsY;
      horizontal = scrollsX;
      break;
    default:
      break;
  }
  if (vertical) {
    insets.top += safe.top;
    insets.bottom += safe.bottom;
  }
  if (horizontal) {
    insets.left += safe.left;
    insets.right += safe.right;
  }
  return insets;
}

void UIScrollView::checkAdjustedContentInset() {
  UIEdgeInsets adjusted = adjustedContentInset();
  if (adjusted == lastAdjustedContentInset_) return;
  UIEdgeInsets previous = lastAdjustedContentInset_;
  lastAdjustedContentInset_ = adjusted;
  // Content resting at its top (or left) edge stays there: a top inset pushes it down rather
  // than sliding under whatever the inset keeps clear.
  if (!dragging_ && !decelerating_) {
    CGPoint offset = contentOffset();
    if (offset.y == -previous.top) offset.y = -adjusted.top;
    if (offset.x == -previous.left) offset.x = -adjusted.left;
    applyOffset(offset);
  }
  adjustedContentInsetDidChange();
}

void UIScrollView::adjustedContentInsetDidChange() {
  auto me = selfAs<UIScrollView>();
  if (auto delegate = this->delegate()) delegate->scrollViewDidChangeAdjustedContentInset(me);
}

void UIScrollView::layoutSubviews() {
  UIView::layoutSubviews();
  checkAdjustedContentInset();
}

CGPoint UIScrollView::minimumContentOffset() const {
  UIEdgeInsets insets = adjustedContentInset();
  return {-insets.left, -insets.top};
}

CGPoint UIScrollView::maximumContentOffset() const {
  UIEdgeInsets insets = adjustedContentInset();
  CGSize size = bounds().size;
  CGPoint minimum = minimumContentOffset();
  return {std::max(minimum.x, contentSize_.width + insets.right - size.width),
          std::max(minimum.y, contentSize_.height + insets.bottom - size.height)};
}

bool UIScrollView::scrollsVertically() const {
  return maximumContentOffset().y > minimumContentOffset().y || alwaysBounceVertical_;
}

bool UIScrollView::scrollsHorizontally() const {
  return maximumContentOffset().x > minimumContentOffset().x || alwaysBounceHorizontal_;
}

void UIScrollView::scrollRectToVisible(CGRect rect, bool animated) {
  UIEdgeInsets insets = adjustedContentInset();
  CGRect visible = UIEdgeInsetsInsetRect(bounds(), insets);
  CGPoint offset = contentOffset();
  auto axis = [](double rectMin, double rectMax, double visibleMin, double visibleMax) {
    if (rectMin < visibleMin) return rectMin - visibleMin;
    if (rectMax > visibleMax) return std::min(rectMax - visibleMax, rectMin - visibleMin);
    return 0.0;
  };
  offset.x += axis(CGRectGetMinX(rect), CGRectGetMaxX(rect), CGRectGetMinX(visible),
                   CGRectGetMaxX(visible));
  offset.y += axis(CGRectGetMinY(rect), CGRectGetMaxY(rect), CGRectGetMinY(visible),
                   CGRectGetMaxY(visible));
  CGPoint minimum = minimumContentOffset(), maximum = maximumContentOffset();
  offset.x = std::clamp(offset.x, minimum.x, maximum.x);
  offset.y = std::clamp(offset.y, minimum.y, maximum.y);
  setContentOffset(offset, animated);
}

bool UIScrollView::scrollToTop() {
  if (!scrollsToTop_) return false;
  auto me = selfAs<UIScrollView>();
  auto delegate = this->delegate();
  if (delegate && !delegate->scrollViewShouldScrollToTop(me)) return false;
  setContentOffset({contentOffset().x, minimumContentOffset().y}, true);
  if (delegate) delegate->scrollViewDidScrollToTop(me);
  return true;
}

void UIScrollView::setScrollEnabled(bool enabled) {
  scrollEnabled_ = enabled;
  pan_->setEnabled(enabled);
}

// ---- Dragging ----

void UIScrollView::handlePan(std::shared_ptr<UIGestureRecognizer> recognizer) {
  auto pan = std::dynamic_pointer_cast<UIPanGestureRecognizer>(recognizer);
  if (!pan) return;
  auto me = selfAs<UIScrollView>();
  switch (pan->state()) {
    case UIGestureRecognizerStateBegan: {
      stopDecelerating();
      dragging_ = true;
      dragStartOffset_ = contentOffset();
      // The content follows the finger from here, without the distance it took to begin.
      pan->setTranslation(CGPointZero, me);
      if (keyboardDismissMode_ != UIScrollViewKeyboardDismissModeNone) {
        if (auto responder = UIResponder::currentFirstResponder())
          responder->resignFirstResponder();
      }
      if (auto delegate = this->delegate()) delegate->scrollViewWillBeginDragging(me);
      break;
    }
    case UIGestureRecognizerStateChanged: {
      CGPoint translation = pan->translationInView(me);
      CGPoint minimum = minimumContentOffset(), maximum = maximumContentOffset();
      CGSize size = bounds().size;
      auto follow = [this](double start, double moved, double low, double high, double dimension) {
        double proposed = start - moved;
        if (proposed < low) return bounces_ ? low + rubberBand(proposed - low, dimension) : low;
        if (proposed > high) return bounces_ ? high + rubberBand(proposed - high, dimension) : high;
        return proposed;
      };
      CGPoint offset = contentOffset();
      if (scrollsHorizontally()) {
        offset.x = follow(dragStartOffset_.x, translation.x, minimum.x, maximum.x, size.width);
      }
      if (scrollsVertically()) {
        offset.y = follow(dragStartOffset_.y, translation.y, minimum.y, maximum.y, size.height);
      }
      applyOffset(offset);
      break;
    }
    case UIGestureRecognizerStateEnded:
    case UIGestureRecognizerStateCancelled: {
      dragging_ = false;
      CGPoint velocity;
      if (pan->state() == UIGestureRecognizerStateEnded) {
        CGPoint fingers = pan->velocityInView(me);
        if (scrollsHorizontally()) velocity.x = -fingers.x;
        if (scrollsVertically()) velocity.y = -fingers.y;
      }
      CGPoint offset = contentOffset();
      CGPoint minimum = minimumContentOffset(), maximum = maximumContentOffset();
      bool outside = offset.x < minimum.x || offset.x > maximum.x || offset.y < minimum.y ||
                     offset.y > maximum.y;
      bool willDecelerate = outside || std::hypot(velocity.x, velocity.y) > kMinimumSpeed;
      if (auto delegate = this->delegate()) delegate->scrollViewDidEndDragging(me, willDecelerate);
      if (willDecelerate) {
        if (auto delegate = this->delegate()) delegate->scrollViewWillBeginDecelerating(me);
        beginDecelerating(velocity);
      }
      break;
    }
    default:
      break;
  }
}

// ---- Deceleration ----

void UIScrollView::beginDecelerating(CGPoint velocity) {
  decelerating_ = true;
  velocity_ = velocity;
  lastStepTime_ = Clock::now();
  std::weak_ptr<UIScrollView> weak = selfAs<UIScrollView>();
  step_.cancel();
  step_ = RunLoop::scheduleAfter(kStepInterval, [weak] {
    if (auto me = weak.lock()) me->decelerationStep();
  });
}

void UIScrollView::decelerationStep() {
  double now = Clock::now();
  double dt = std::max(0.0, now - lastStepTime_);
  lastStepTime_ = now;
  CGPoint minimum = minimumContentOffset(), maximum = maximumContentOffset();
  CGPoint offset = contentOffset();
  bool settled = true;

  // One axis: friction inside the content, a spring outside it (or a stop when not bouncing).
  auto axis = [&](double& position, double& velocity, double low, double high) {
    double edge = position < low ? low : position > high ? high : position;
    if (position == edge) {
      double decay = std::pow(decelerationRate_, dt * 1000);
      double logRate = std::log(decelerationRate_) * 1000;
      // The exact distance covered while the velocity decays over dt.
      position += logRate != 0 ? velocity * (decay - 1) / logRate : velocity * dt;
      velocity *= decay;
      if (position < low || position > high) {
        if (!bounces_) {
          position = std::clamp(position, low, high);
          velocity = 0;
        }
      }
      if (std::abs(velocity) >= kMinimumSpeed || position < low || position > high) {
        settled = false;
      }
      return;
    }
    if (!bounces_) {
      position = edge;
      velocity = 0;
      return;
    }
    double displacement = position - edge;
    double acceleration =
        -kSpringFrequency * kSpringFrequency * displacement - 2 * kSpringFrequency * velocity;
    velocity += acceleration * dt;
    position += velocity * dt;
    if (std::abs(position - edge) < kSettleDistance && std::abs(velocity) < kMinimumSpeed) {
      position = edge;
      velocity = 0;
      return;
    }
    settled = false;
  };
  axis(offset.x, velocity_.x, minimum.x, maximum.x);
  axis(offset.y, velocity_.y, minimum.y, maximum.y);

  auto keep = selfAs<UIScrollView>();
  applyOffset(offset);
  if (settled) {
    finishDecelerating();
    return;
  }
  std::weak_ptr<UIScrollView> weak = keep;
  step_ = RunLoop::scheduleAfter(kStepInterval, [weak] {
    if (auto me = weak.lock()) me->decelerationStep();
  });
}

void UIScrollView::stopDecelerating() {
  if (!decelerating_) return;
  step_.cancel();
  finishDecelerating();
}

void UIScrollView::finishDecelerating() {
  decelerating_ = false;
  velocity_ = CGPointZero;
  auto me = selfAs<UIScrollView>();
  if (auto delegate = this->delegate()) delegate->scrollViewDidEndDecelerating(me);
}
