#include "call/ParloFloatingView.h"

#include <cmath>
#include <limits>

#include "call/ParloFloatingViewDelegate.h"
#include "uikit/UIScrollView.h"

std::shared_ptr<ParloFloatingView> ParloFloatingView::init() {
  return initWithFrame(CGRectZero);
}

std::shared_ptr<ParloFloatingView> ParloFloatingView::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  setup();
  return selfAs<ParloFloatingView>();
}

std::shared_ptr<ParloFloatingView> ParloFloatingView::initWithCoder(NSCoder&) {
  return initWithFrame(CGRectZero);
}

std::shared_ptr<ParloFloatingView> ParloFloatingView::initWithContentView(
    const std::shared_ptr<UIView>& content) {
  init();
  addContent(content);
  return selfAs<ParloFloatingView>();
}

void ParloFloatingView::setup() {
  if (!gestureRecognizers().empty()) return;
  setClipsToBounds(true);

  padding_ = UIEdgeInsetsMake(10, 10, 10, 10);
  smallSize_ = CGSizeMake(200, 124);
  largeSize_ = CGSizeMake(300, 187);
  position_ = ParloFloatingViewPositionTopLeft;
  sizeClass_ = ParloFloatingViewSizeClassSmall;
  panInitialCenter_ = CGPointZero;
  decelerationRate_ = UIScrollView::alloc()->init()->decelerationRate();
  topLeftPositionEnabled_ = topRightPositionEnabled_ = true;
  bottomLeftPositionEnabled_ = bottomRightPositionEnabled_ = true;
  resizeEnabled_ = draggingEnabled_ = true;
  visible_ = superview() != nullptr;

  addGestureRecognizer(panGestureRecognizer());
  addGestureRecognizer(pinchGestureRecognizer());

  // Before the size constraints, so that no frame of the autoresizing mask competes with them.
  setTranslatesAutoresizingMaskIntoConstraints(false);
  widthConstraint_ = NSLayoutConstraint::constraintWithItem(
      self(), NSLayoutAttributeWidth, NSLayoutRelationEqual, nullptr,
      NSLayoutAttributeNotAnAttribute, 1.0, smallSize_.width);
  heightConstraint_ = NSLayoutConstraint::constraintWithItem(
      self(), NSLayoutAttributeHeight, NSLayoutRelationEqual, nullptr,
      NSLayoutAttributeNotAnAttribute, 1.0, smallSize_.height);
  NSLayoutConstraint::activateConstraints({widthConstraint_, heightConstraint_});
}

// ---- Recognisers ----

std::shared_ptr<UIPanGestureRecognizer> ParloFloatingView::panGestureRecognizer() {
  if (!panGestureRecognizer_) {
    panGestureRecognizer_ = UIPanGestureRecognizer::alloc()->initWithTarget(self(), "pan:");
    panGestureRecognizer_->setDelegate(self());
  }
  return panGestureRecognizer_;
}

std::shared_ptr<UIPinchGestureRecognizer> ParloFloatingView::pinchGestureRecognizer() {
  if (!pinchGestureRecognizer_) {
    pinchGestureRecognizer_ = UIPinchGestureRecognizer::alloc()->initWithTarget(self(), "pinch:");
    pinchGestureRecognizer_->setDelegate(self());
  }
  return pinchGestureRecognizer_;
}

std::shared_ptr<UITapGestureRecognizer> ParloFloatingView::doubleTapGestureRecognizer() {
  if (!doubleTapGestureRecognizer_) {
    doubleTapGestureRecognizer_ =
        UITapGestureRecognizer::alloc()->initWithTarget(self(), "doubleTap:");
    doubleTapGestureRecognizer_->setNumberOfTapsRequired(2);
    doubleTapGestureRecognizer_->setDelegate(self());
  }
  return doubleTapGestureRecognizer_;
}

bool ParloFloatingView::shouldRecognizeSimultaneouslyWithGestureRecognizer(
    const std::shared_ptr<UIGestureRecognizer>&, const std::shared_ptr<UIGestureRecognizer>&) {
  return true;
}

// ---- Content and presence ----

void ParloFloatingView::addContent(const std::shared_ptr<UIView>& content) {
  if (!content) return;
  contentView_ = content;
  content->layer()->setCornerRadius(4);
  content->layer()->setMasksToBounds(true);
  content->setTranslatesAutoresizingMaskIntoConstraints(false);
  addSubview(content);
  NSLayoutConstraint::activateConstraints(
      NSLayoutConstraint::constraintsWithVisualFormat("H:|[content]|", content));
  NSLayoutConstraint::activateConstraints(
      NSLayoutConstraint::constraintsWithVisualFormat("V:|[content]|", content));
}

void ParloFloatingView::addToSuperView(const std::shared_ptr<UIView>& superview, bool animated) {
  if (!superview || this->superview()) return;
  auto self = selfAs<ParloFloatingView>();
  visible_ = true;
  superview->addSubview(self);
  // At its own corner before it shows: the corner constraints just made anchor it top-left.
  refreshAnimated(false);
  setFarState();
  UIView::animateWithDuration(animated ? 0.2 : 0, [self] { self->setNormalState(); });
}

void ParloFloatingView::removeFromSuperviewAnimated(bool animated) {
  if (!superview()) return;
  visible_ = false;
  auto self = selfAs<ParloFloatingView>();
  UIView::animateWithDuration(
      animated ? 0.2 : 0, [self] { self->setFarState(); },
      [self](bool) {
        self->removeFromSuperview();
        self->cleanConstraints();
        self->setNormalState();
      });
}

void ParloFloatingView::setFarState() {
  setAlpha(0);
  setTransform(CGAffineTransformMakeScale(0.7, 0.7));
}

void ParloFloatingView::setNormalState() {
  setAlpha(1);
  setTransform(CGAffineTransformMakeScale(1.0, 1.0));
}

// ---- Constraints ----

void ParloFloatingView::didMoveToSuperview() {
  UIView::didMoveToSuperview();
  if (superview()) buildCornerConstraints();
}

void ParloFloatingView::buildCornerConstraints() {
  auto parent = superview();
  if (!parent) return;
  // A view that moves to another superview leaves its old corner constraints behind.
  cleanConstraints();
  topConstraint_ =
      NSLayoutConstraint::constraintWithItem(self(), NSLayoutAttributeTop, NSLayoutRelationEqual,
                                             parent, NSLayoutAttributeTop, 1.0, padding_.top);
  leftConstraint_ =
      NSLayoutConstraint::constraintWithItem(self(), NSLayoutAttributeLeft, NSLayoutRelationEqual,
                                             parent, NSLayoutAttributeLeft, 1.0, padding_.left);
  bottomConstraint_ =
      NSLayoutConstraint::constraintWithItem(parent, NSLayoutAttributeBottom, NSLayoutRelationEqual,
                                             self(), NSLayoutAttributeBottom, 1.0, padding_.bottom);
  rightConstraint_ =
      NSLayoutConstraint::constraintWithItem(parent, NSLayoutAttributeRight, NSLayoutRelationEqual,
                                             self(), NSLayoutAttributeRight, 1.0, padding_.right);
  NSLayoutConstraint::activateConstraints({topConstraint_, leftConstraint_});
}

void ParloFloatingView::cleanConstraints() {
  for (auto* constraint :
       {&topConstraint_, &leftConstraint_, &bottomConstraint_, &rightConstraint_}) {
    if (*constraint) (*constraint)->setActive(false);
    constraint->reset();
  }
}

void ParloFloatingView::setPadding(UIEdgeInsets padding) {
  padding_ = padding;
  if (topConstraint_ || leftConstraint_ || bottomConstraint_ || rightConstraint_) {
    buildCornerConstraints();
  }
}

void ParloFloatingView::refreshAnimated(bool animated) {
  auto self = selfAs<ParloFloatingView>();
  UIView::animateWithDuration(animated ? 0.2 : 0, [self] {
    auto activate = [](const std::shared_ptr<NSLayoutConstraint>& on,
                       const std::shared_ptr<NSLayoutConstraint>& off) {
      // Off first, so that the two never hold at once.
      if (off) off->setActive(false);
      if (on) on->setActive(true);
    };
    switch (self->position_) {
      case ParloFloatingViewPositionTopLeft:
        activate(self->leftConstraint_, self->rightConstraint_);
        activate(self->topConstraint_, self->bottomConstraint_);
        break;
      case ParloFloatingViewPositionTopRight:
        activate(self->rightConstraint_, self->leftConstraint_);
        activate(self->topConstraint_, self->bottomConstraint_);
        break;
      case ParloFloatingViewPositionBottomLeft:
        activate(self->leftConstraint_, self->rightConstraint_);
        activate(self->bottomConstraint_, self->topConstraint_);
        break;
      case ParloFloatingViewPositionBottomRight:
        activate(self->rightConstraint_, self->leftConstraint_);
        activate(self->bottomConstraint_, self->topConstraint_);
        break;
    }
    switch (self->sizeClass_) {
      case ParloFloatingViewSizeClassLarge:
        self->widthConstraint_->setConstant(self->largeSize_.width);
        self->heightConstraint_->setConstant(self->largeSize_.height);
        break;
      case ParloFloatingViewSizeClassSmall:
        self->widthConstraint_->setConstant(self->smallSize_.width);
        self->heightConstraint_->setConstant(self->smallSize_.height);
        break;
    }
    if (auto parent = self->superview()) parent->layoutIfNeeded();
  });
}

// ---- Position and size ----

void ParloFloatingView::setPosition(ParloFloatingViewPosition position) {
  position_ = position;
  tellDelegate(ParloFloatingViewDelegate::kChangedPosition, position);
}

void ParloFloatingView::setSizeClass(ParloFloatingViewSizeClass sizeClass) {
  sizeClass_ = sizeClass;
  tellDelegate(ParloFloatingViewDelegate::kChangedSizeClass, sizeClass);
}

void ParloFloatingView::setPosition(ParloFloatingViewPosition position, bool animated) {
  setPosition(position);
  refreshAnimated(animated);
}

void ParloFloatingView::setSizeClass(ParloFloatingViewSizeClass sizeClass, bool animated) {
  setSizeClass(sizeClass);
  refreshAnimated(animated);
}

CGSize ParloFloatingView::sizeForSizeClass(ParloFloatingViewSizeClass sizeClass) const {
  return sizeClass == ParloFloatingViewSizeClassSmall ? smallSize_ : largeSize_;
}

CGRect ParloFloatingView::rectForPosition(ParloFloatingViewPosition position,
                                          ParloFloatingViewSizeClass sizeClass,
                                          const std::shared_ptr<UIView>& view) const {
  const CGSize size = sizeForSizeClass(sizeClass);
  const CGSize area = view ? view->frame().size : CGSizeZero;
  const CGFloat right = area.width - size.width - padding_.right;
  const CGFloat bottom = area.height - size.height - padding_.bottom;
  switch (position) {
    case ParloFloatingViewPositionTopRight:
      return CGRectMake(right, padding_.top, size.width, size.height);
    case ParloFloatingViewPositionBottomLeft:
      return CGRectMake(padding_.left, bottom, size.width, size.height);
    case ParloFloatingViewPositionBottomRight:
      return CGRectMake(right, bottom, size.width, size.height);
    default:
      return CGRectMake(padding_.left, padding_.top, size.width, size.height);
  }
}

CGPoint ParloFloatingView::centerForRect(CGRect rect) {
  return CGPointMake(rect.origin.x + rect.size.width * 0.5, rect.origin.y + rect.size.height * 0.5);
}

CGFloat ParloFloatingView::distanceBetweenPoint(CGPoint a, CGPoint b) {
  const CGFloat dx = b.x - a.x;
  const CGFloat dy = b.y - a.y;
  return std::sqrt(dx * dx + dy * dy);
}

CGPoint ParloFloatingView::centerForPostion(ParloFloatingViewPosition position) const {
  return centerForRect(rectForPosition(position, sizeClass_, superview()));
}

ParloFloatingViewPosition ParloFloatingView::nearestPositionForPoint(CGPoint point) const {
  struct Corner {
    ParloFloatingViewPosition position;
    bool enabled;
  };
  // In this order, compared strictly: on a tie the earlier corner stays.
  const Corner corners[] = {
      {ParloFloatingViewPositionTopLeft, topLeftPositionEnabled_},
      {ParloFloatingViewPositionTopRight, topRightPositionEnabled_},
      {ParloFloatingViewPositionBottomLeft, bottomLeftPositionEnabled_},
      {ParloFloatingViewPositionBottomRight, bottomRightPositionEnabled_},
  };
  double best = std::numeric_limits<double>::max();
  ParloFloatingViewPosition nearest = ParloFloatingViewPositionTopLeft;
  for (const Corner& corner : corners) {
    const double distance = distanceBetweenPoint(point, centerForPostion(corner.position));
    if (corner.enabled && distance < best) {
      best = distance;
      nearest = corner.position;
    }
  }
  return nearest;
}

double ParloFloatingView::throwDistanceForInitialVelocity(double velocity) const {
  const double rate = decelerationRate_;
  return (velocity / 3000.0) * rate / (1.0 - rate);
}

// ---- Gestures ----

void ParloFloatingView::pan(const std::shared_ptr<UIPanGestureRecognizer>& recognizer) {
  if (!draggingEnabled_ || !recognizer || !recognizer->view()) return;
  auto self = selfAs<ParloFloatingView>();
  auto parent = superview();
  const CGPoint translation = recognizer->translationInView(parent);

  switch (recognizer->state()) {
    case UIGestureRecognizerStateBegan:
      panInitialCenter_ = center();
      tellDelegate(ParloFloatingViewDelegate::kBeganDragging);
      return;
    case UIGestureRecognizerStateCancelled:
      setCenter(panInitialCenter_);
      return;
    default:
      break;
  }

  const CGPoint moved =
      CGPointMake(panInitialCenter_.x + translation.x, panInitialCenter_.y + translation.y);
  setCenter(moved);
  if (recognizer->state() != UIGestureRecognizerStateEnded) return;

  const CGPoint velocity = recognizer->velocityInView(parent);
  const CGPoint target = CGPointMake(moved.x + throwDistanceForInitialVelocity(velocity.x),
                                     moved.y + throwDistanceForInitialVelocity(velocity.y));
  UIView::animateWithDuration(
      0.3, 0, 1.0, 0.1, UIViewAnimationOptionCurveEaseOut,
      [self, target] {
        const ParloFloatingViewPosition nearest = self->nearestPositionForPoint(target);
        self->setCenter(self->centerForPostion(nearest));
        self->setPosition(nearest);
      },
      // The constraints catch up with where the view now is.
      [self](bool) { self->refreshAnimated(false); });
  tellDelegate(ParloFloatingViewDelegate::kEndedDragging);
}

void ParloFloatingView::pinch(const std::shared_ptr<UIPinchGestureRecognizer>& recognizer) {
  if (!resizeEnabled_ || !recognizer) return;
  auto self = selfAs<ParloFloatingView>();
  if (recognizer->state() == UIGestureRecognizerStateCancelled) {
    // A pinch the system took away leaves no scale behind.
    UIView::animateWithDuration(0.2, [self] { self->setTransform(CGAffineTransformIdentity); });
    return;
  }

  const CGFloat scale = recognizer->scale();
  setTransform(CGAffineTransformMakeScale(scale, scale));
  if (recognizer->state() != UIGestureRecognizerStateEnded) return;

  setSizeClass(scale >= 1.0 ? ParloFloatingViewSizeClassLarge : ParloFloatingViewSizeClassSmall);
  UIView::animateWithDuration(
      0.2,
      [self] {
        self->refreshAnimated(false);
        self->setTransform(CGAffineTransformMakeScale(1.0, 1.0));
      },
      [](bool) {});
}

void ParloFloatingView::doubleTap(const std::shared_ptr<UITapGestureRecognizer>& recognizer) {
  if (!recognizer || !recognizer->view()) return;
  setSizeClass(sizeClass_ == ParloFloatingViewSizeClassSmall ? ParloFloatingViewSizeClassLarge
                                                             : ParloFloatingViewSizeClassSmall);
  refreshAnimated(true);
}

// ---- Delegate ----

void ParloFloatingView::tellDelegate(const char* selector) {
  id delegate = delegate_.lock();
  if (delegate && delegate->respondsToSelector(selector)) {
    objc_msgSend<void>(delegate, selector, self());
  }
}

void ParloFloatingView::tellDelegate(const char* selector, unsigned long value) {
  id delegate = delegate_.lock();
  if (delegate && delegate->respondsToSelector(selector)) {
    objc_msgSend<void>(delegate, selector, self(), value);
  }
}

OBJC_CLASS_IMPL(ParloFloatingView) {
  c.method("pan:", &ParloFloatingView::pan)
      .method("pinch:", &ParloFloatingView::pinch)
      .method("doubleTap:", &ParloFloatingView::doubleTap)
      .method("gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:",
              &ParloFloatingView::shouldRecognizeSimultaneouslyWithGestureRecognizer)
      .method("refreshAnimated:", &ParloFloatingView::refreshAnimated)
      .method("setFarState", &ParloFloatingView::setFarState)
      .method("setNormalState", &ParloFloatingView::setNormalState)
      .method("removeFromSuperviewAnimated:", &ParloFloatingView::removeFromSuperviewAnimated)
      .method("addToSuperView:animated:", &ParloFloatingView::addToSuperView)
      .method("isVisible", &ParloFloatingView::isVisible)
      .property("delegate", &ParloFloatingView::delegate, &ParloFloatingView::setDelegate);
}
