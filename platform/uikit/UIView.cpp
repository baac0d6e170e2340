#include "uikit/UIView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <type_traits>

#include "foundation/NSLog.h"
#include "runtime/RuntimeError.h"
#include "uikit/UIGestureRecognizer.h"
#include "uikit/UILayoutEngine+Private.h"
#include "uikit/UIScreen.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

OBJC_CLASS_IMPL(UIView) {
  c.property("frame", &UIView::frame, &UIView::setFrameImp)
      .method("layoutSubviews", &UIView::layoutSubviews)
      .method("superview", &UIView::superview);
}

namespace {

CGPoint operator+(CGPoint a, CGPoint b) {
  return {a.x + b.x, a.y + b.y};
}
CGPoint operator-(CGPoint a, CGPoint b) {
  return {a.x - b.x, a.y - b.y};
}

CGPoint boundsCenter(CGRect bounds) {
  return {bounds.origin.x + bounds.size.width / 2, bounds.origin.y + bounds.size.height / 2};
}

// Layout results land on whole pixels, as on the device: each edge is rounded on its own.
CGRect pixelAligned(CGRect rect) {
  double scale = UIScreen::mainScreen()->scale();
  auto snap = [scale](double v) { return std::round(v * scale) / scale; };
  double minX = snap(rect.origin.x), maxX = snap(rect.origin.x + rect.size.width);
  double minY = snap(rect.origin.y), maxY = snap(rect.origin.y + rect.size.height);
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

}  // namespace

template <class Visit>
bool UIView::forEachInSubtree(Visit&& visit) {
  SubtreeWalk next = SubtreeWalk::intoSubviews;
  if constexpr (std::is_void_v<decltype(visit(*this))>) {
    visit(*this);
  } else {
    next = visit(*this);
  }
  if (next == SubtreeWalk::stop) return true;
  if (next == SubtreeWalk::pastSubviews) return false;
  for (auto& subview : std::vector(subviews_)) {
    if (subview->forEachInSubtree(visit)) return true;
  }
  return false;
}

UIView::UIView() : layer_(CALayer::layer()) {}

UIView::~UIView() = default;

std::shared_ptr<UIView> UIView::initWithFrame(CGRect frame) {
  layer_->setDelegate(self());
  setFrame(frame);
  return selfAs<UIView>();
}

// ---- Geometry ----

CGRect UIView::frame() const {
  CGRect bounds = layer_->bounds();
  CGPoint center = layer_->position();
  CGAffineTransform t = layer_->affineTransform();
  CGRect local = CGRectMake(-bounds.size.width / 2, -bounds.size.height / 2, bounds.size.width,
                            bounds.size.height);
  if (!CGAffineTransformIsIdentity(t)) local = CGRectApplyAffineTransform(local, t);
  return CGRectOffset(local, center.x, center.y);
}

void UIView::setFrame(CGRect frame) {
  auto me = weak_from_this().lock();
  if (!me) {
    setFrameImp(frame);  // not yet owned: nothing can have replaced the method for it
    return;
  }
  objc_msgSend(id(me), "setFrame:", frame);
}

void UIView::setFrameImp(CGRect frame) {
  frame = CGRectStandardize(frame);
  CGRect old = this->frame();
  CGRect bounds = layer_->bounds();
  CGSize oldSize = bounds.size;
  CGAffineTransform t = layer_->affineTransform();
  CGSize size = frame.size;
  if (!CGAffineTransformIsIdentity(t)) {
    // The frame of a transformed view is its bounding box; keep the bounds and move the centre.
    size = bounds.size;
  }
  recordAnimatableChange("position", layer_->position(),
                         CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame)));
  layer_->setPosition({CGRectGetMidX(frame), CGRectGetMidY(frame)});
  layer_->setBounds(CGRectMake(bounds.origin.x, bounds.origin.y, size.width, size.height));
  recordAnimatableChange("bounds", bounds, layer_->bounds());
  if (!(old == this->frame())) frameDidChange();
  if (!(oldSize == size)) {
    // Subviews outside Auto Layout follow their autoresizing masks.
    for (auto& subview : subviews_) {
      UIViewAutoresizing mask = subview->autoresizingMask_;
      if (mask == UIViewAutoresizingNone) continue;
      UILayoutEngine* e = existingEngine();
      if (e && e->contains(*subview)) continue;
      CGRect f = subview->frame();
      UIAutoresizingShare share = UIAutoresizingShareOf(mask, f, oldSize);
      double dw = size.width - oldSize.width, dh = size.height - oldSize.height;
      subview->setFrame(
          CGRectMake(f.origin.x + dw * share.x.margin, f.origin.y + dh * share.y.margin,
                     f.size.width + dw * share.x.size, f.size.height + dh * share.y.size));
    }
    setNeedsLayout();
  }
}

void UIView::setBounds(CGRect bounds) {
  CGRect old = layer_->bounds();
  layer_->setBounds(CGRectStandardize(bounds));
  recordAnimatableChange("bounds", old, layer_->bounds());
  if (!(old.size == layer_->bounds().size)) {
    frameDidChange();
    setNeedsLayout();
  }
}

void UIView::setCenter(CGPoint center) {
  if (layer_->position() == center) return;
  recordAnimatableChange("position", layer_->position(), center);
  layer_->setPosition(center);
  frameDidChange();
}

void UIView::setTransform(CGAffineTransform transform) {
  recordAnimatableChange("transform", layer_->affineTransform(), transform);
  layer_->setAffineTransform(transform);
  frameDidChange();
}

void UIView::frameDidChange() {
  if (UILayoutEngine* e = existingEngine()) e->frameDidChange(*this);
}

void UIView::setAlpha(CGFloat alpha) {
  recordAnimatableChange("opacity", layer_->opacity(), static_cast<float>(alpha));
  layer_->setOpacity(static_cast<float>(alpha));
}

std::shared_ptr<UIColor> UIView::tintColor() const {
  for (const UIView* v = this; v; v = v->superview_.lock().get()) {
    if (v->tintColor_) return v->tintColor_;
  }
  return UIColor::systemBlueColor();
}

void UIView::setTintColor(std::shared_ptr<UIColor> color) {
  tintColor_ = std::move(color);
  // Below here, a view with its own tint keeps it, and so do its subviews.
  forEachInSubtree([this](UIView& view) {
    if (&view != this && view.tintColor_) return SubtreeWalk::pastSubviews;
    view.tintColorDidChange();
    return SubtreeWalk::intoSubviews;
  });
}

// ---- Hierarchy ----

void UIView::addSubview(const std::shared_ptr<UIView>& view) {
  insertSubview(view, static_cast<long>(subviews_.size()));
}

void UIView::insertSubview(const std::shared_ptr<UIView>& view, long index) {
  if (!view) return;
  if (view.get() == this || isDescendantOfView(view)) {
    throw objc::RuntimeError("Can't add a view as a subview of itself or of its own subtree");
  }
  size_t position =
      static_cast<size_t>(std::clamp<long>(index, 0, static_cast<long>(subviews_.size())));
  if (view->superview_.lock().get() == this) {
    auto found = std::find(subviews_.begin(), subviews_.end(), view);
    size_t current = static_cast<size_t>(found - subviews_.begin());
    auto keep = view;
    subviews_.erase(found);
    if (position > current) --position;
    subviews_.insert(subviews_.begin() + static_cast<long>(std::min(position, subviews_.size())),
                     keep);
    auto& sublayers = layer_->sublayers();
    (void)sublayers;
    layer_->insertSublayer(keep->layer_, static_cast<unsigned>(position));
    return;
  }
  insertSubviewAt(view, position);
}

void UIView::insertSubviewAt(const std::shared_ptr<UIView>& view, size_t index) {
  auto keep = view;  // the old superview may hold the last reference
  UIUserInterfaceStyle previousStyle = keep->traitCollection()->userInterfaceStyle();
  auto previousWindow = keep->window();
  keep->willMoveToSuperview(selfAs<UIView>());
  if (keep->superview()) keep->detachFromSuperview();

  index = std::min(index, subviews_.size());
  subviews_.insert(subviews_.begin() + static_cast<long>(index), keep);
  keep->superview_ = selfAs<UIView>();
  // Layers follow the views; a layer that is not a view's (a player layer) keeps its place.
  size_t layerIndex = 0;
  if (index > 0) {
    // Searched from the end: views are mostly added on top, and a search from the front made
    // adding n subviews cost n squared.
    auto& sublayers = layer_->sublayers();
    auto before = std::find(sublayers.rbegin(), sublayers.rend(), subviews_[index - 1]->layer_);
    layerIndex = before == sublayers.rend() ? sublayers.size()
                                            : static_cast<size_t>(sublayers.rend() - before);
  }
  layer_->insertSublayer(keep->layer_, static_cast<unsigned>(layerIndex));

  // The subtree joins this hierarchy's layout engine. A hierarchy without one yet makes it now
  // if the subtree brings constraints (a cell built with its own), or they would never be solved.
  keep->engine_.reset();
  if (UILayoutEngine* e = rootView()->engine_.get()) {
    keep->forEachInSubtree([e](UIView& v) {
      for (auto& constraint : v.constraints_) e->addConstraint(*constraint);
    });
  } else if (keep->forEachInSubtree([](UIView& v) {
               return v.constraints_.empty() ? SubtreeWalk::intoSubviews : SubtreeWalk::stop;
             })) {
    engine();
  }

  setNeedsLayout();
  keep->setNeedsLayout();
  didAddSubview(keep);
  keep->didMoveToSuperview();
  if (keep->window() != previousWindow)
    keep->forEachInSubtree([](UIView& v) { v.didMoveToWindow(); });
  if (keep->traitCollection()->userInterfaceStyle() != previousStyle) {
    keep->propagateTraitChange(previousStyle);
  }
}

void UIView::insertSubviewBelowSubview(const std::shared_ptr<UIView>& view,
                                       const std::shared_ptr<UIView>& sibling) {
  auto found = std::find(subviews_.begin(), subviews_.end(), sibling);
  long index = found == subviews_.end() ? 0 : static_cast<long>(found - subviews_.begin());
  insertSubview(view, index);
}

void UIView::insertSubviewAboveSubview(const std::shared_ptr<UIView>& view,
                                       const std::shared_ptr<UIView>& sibling) {
  auto found = std::find(subviews_.begin(), subviews_.end(), sibling);
  long index = found == subviews_.end() ? static_cast<long>(subviews_.size())
                                        : static_cast<long>(found - subviews_.begin()) + 1;
  insertSubview(view, index);
}

void UIView::bringSubviewToFront(const std::shared_ptr<UIView>& view) {
  if (view && view->superview_.lock().get() == this) {
    insertSubview(view, static_cast<long>(subviews_.size()));
  }
}

void UIView::sendSubviewToBack(const std::shared_ptr<UIView>& view) {
  if (view && view->superview_.lock().get() == this) insertSubview(view, 0);
}

void UIView::removeFromSuperview() {
  auto superview = superview_.lock();
  if (!superview) return;
  auto keep = selfAs<UIView>();
  UIUserInterfaceStyle previousStyle = traitCollection()->userInterfaceStyle();
  bool hadWindow = window() != nullptr;
  superview->willRemoveSubview(keep);
  willMoveToSuperview(nullptr);
  detachFromSuperview();
  didMoveToSuperview();
  if (hadWindow) forEachInSubtree([](UIView& v) { v.didMoveToWindow(); });
  if (traitCollection()->userInterfaceStyle() != previousStyle) propagateTraitChange(previousStyle);
}

void UIView::detachFromSuperview() {
  auto superview = superview_.lock();
  if (!superview) return;
  auto keep = selfAs<UIView>();
  auto inSubtree = [this](const id& item) {
    if (!item) return false;
    if (auto* view = dynamic_cast<UIView*>(item.get())) {
      return view == this || view->isDescendantOfView(selfAs<UIView>());
    }
    if (auto* guide = dynamic_cast<UILayoutGuide*>(item.get())) {
      auto owner = guide->owningView();
      return owner && (owner.get() == this || owner->isDescendantOfView(selfAs<UIView>()));
    }
    return false;
  };
  // Constraints that tie the subtree to the rest of the hierarchy go with the move.
  for (auto ancestor = superview; ancestor; ancestor = ancestor->superview()) {
    std::vector<std::shared_ptr<NSLayoutConstraint>> leaving;
    for (auto& constraint : ancestor->constraints_) {
      if (inSubtree(constraint->firstItem()) || inSubtree(constraint->secondItem())) {
        leaving.push_back(constraint);
      }
    }
    ancestor->removeConstraints(leaving);
  }
  if (UILayoutEngine* e = superview->existingEngine()) {
    forEachInSubtree([e](UIView& v) {
      for (auto& constraint : v.constraints_) e->removeConstraint(*constraint);
      e->removeItem(v);
    });
  }
  auto& siblings = superview->subviews_;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), keep), siblings.end());
  layer_->removeFromSuperlayer();
  superview_.reset();
  superview->setNeedsLayout();
}

bool UIView::isDescendantOfView(const std::shared_ptr<UIView>& view) const {
  if (!view) return false;
  for (const UIView* v = this; v; v = v->superview_.lock().get()) {
    if (v == view.get()) return true;
  }
  return false;
}

std::shared_ptr<UIView> UIView::viewWithTag(long tag) {
  std::shared_ptr<UIView> found;
  forEachInSubtree([&](UIView& v) {
    if (v.tag_ != tag) return SubtreeWalk::intoSubviews;
    found = v.selfAs<UIView>();
    return SubtreeWalk::stop;
  });
  return found;
}

std::shared_ptr<UIWindow> UIView::window() const {
  auto superview = superview_.lock();
  return superview ? superview->window() : nullptr;
}

std::shared_ptr<UIResponder> UIView::nextResponder() const {
  if (auto controller = viewDelegate_.lock()) return controller;
  return superview_.lock();
}

std::shared_ptr<UIView> UIView::rootView() {
  auto view = selfAs<UIView>();
  while (auto superview = view->superview()) view = superview;
  return view;
}

// ---- Coordinates ----

namespace {

CGPoint toSuperview(const UIView& view, CGPoint point) {
  CGRect bounds = view.bounds();
  CGPoint offset = point - boundsCenter(bounds);
  CGAffineTransform t = view.transform();
  if (!CGAffineTransformIsIdentity(t)) offset = CGPointApplyAffineTransform(offset, t);
  return view.center() + offset;
}

CGPoint fromSuperview(const UIView& view, CGPoint point) {
  CGPoint offset = point - view.center();
  CGAffineTransform t = view.transform();
  if (!CGAffineTransformIsIdentity(t)) {
    offset = CGPointApplyAffineTransform(offset, CGAffineTransformInvert(t));
  }
  return boundsCenter(view.bounds()) + offset;
}

std::vector<const UIView*> chainToRoot(const UIView* view) {
  std::vector<const UIView*> chain;
  for (; view; view = view->superview().get()) chain.push_back(view);
  return chain;
}

// Into the root's coordinates, then down to the target. Views of different hierarchies are
// related through their roots, as if each root were a window at the origin.
CGPoint convert(CGPoint point, const UIView* from, const UIView* to) {
  if (from == to || !to) {
    if (!to) {
      for (const UIView* v = from; v && v->superview(); v = v->superview().get()) {
        point = toSuperview(*v, point);
      }
    }
    return point;
  }
  for (const UIView* v = from; v && v->superview(); v = v->superview().get()) {
    point = toSuperview(*v, point);
  }
  auto chain = chainToRoot(to);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if ((*it)->superview()) point = fromSuperview(**it, point);
  }
  return point;
}

const UIView* windowOrRoot(const UIView* view) {
  auto window = view->window();
  if (window) return window.get();
  while (view->superview()) view = view->superview().get();
  return view;
}

}  // namespace

CGPoint UIView::convertPointToView(CGPoint point, const std::shared_ptr<UIView>& view) const {
  return convert(point, this, view ? view.get() : windowOrRoot(this));
}

CGPoint UIView::convertPointFromView(CGPoint point, const std::shared_ptr<UIView>& view) const {
  return convert(point, view ? view.get() : windowOrRoot(this), this);
}

namespace {

// The bounding box of a rectangle's corners after each is converted.
template <class Convert>
CGRect convertCorners(CGRect rect, Convert convert) {
  CGPoint corners[4] = {{CGRectGetMinX(rect), CGRectGetMinY(rect)},
                        {CGRectGetMaxX(rect), CGRectGetMinY(rect)},
                        {CGRectGetMinX(rect), CGRectGetMaxY(rect)},
                        {CGRectGetMaxX(rect), CGRectGetMaxY(rect)}};
  CGRect result = CGRectNull;
  for (CGPoint corner : corners) {
    CGPoint p = convert(corner);
    result = CGRectUnion(result, CGRectMake(p.x, p.y, 0, 0));
  }
  return result;
}

}  // namespace

CGRect UIView::convertRectToView(CGRect rect, const std::shared_ptr<UIView>& view) const {
  return convertCorners(rect, [&](CGPoint p) { return convertPointToView(p, view); });
}

CGRect UIView::convertRectFromView(CGRect rect, const std::shared_ptr<UIView>& view) const {
  return convertCorners(rect, [&](CGPoint p) { return convertPointFromView(p, view); });
}

// ---- Layout ----

UILayoutEngine* UIView::existingEngine() const {
  const UIView* root = this;
  while (auto superview = root->superview_.lock()) root = superview.get();
  return root->engine_.get();
}

UILayoutEngine* UIView::engine() {
  auto root = rootView();
  if (!root->engine_) {
    root->engine_ = std::make_unique<UILayoutEngine>();
    UILayoutEngine* e = root->engine_.get();
    root->forEachInSubtree([e](UIView& v) {
      for (auto& constraint : v.constraints_) e->addConstraint(*constraint);
    });
  }
  return root->engine_.get();
}

void UIView::setNeedsLayout() {
  needsLayout_ = true;
}

void UIView::layoutIfNeeded() {
  auto root = rootView();
  auto anyNeedsLayout = [](UIView& top) {
    return top.forEachInSubtree(
        [](UIView& v) { return v.needsLayout_ ? SubtreeWalk::stop : SubtreeWalk::intoSubviews; });
  };
  // A pass can invalidate what it laid out (a label that wraps at its new width); a few passes
  // settle it, and a bound keeps a view that never settles from hanging the process.
  for (int pass = 0; pass < 8; ++pass) {
    UILayoutEngine* e = root->engine_.get();
    bool engineChanged = false;
    if (e) {
      engineChanged = e->refreshLayoutGuides();
      engineChanged = e->takeChanged() || engineChanged;
    }
    if (!engineChanged && !anyNeedsLayout(*root)) return;
    root->layoutSubtree(engineChanged ? 1 : 0);
  }
}

void UIView::layoutSubtree(int everything) {
  auto keep = selfAs<UIView>();
  forEachInSubtree([everything](UIView& v) {
    if (!v.needsLayout_ && !everything) return;
    v.needsLayout_ = false;
    objc_msgSend(id(v.selfAs<UIView>()), "layoutSubviews");
  });
}

void UIView::layoutSubviews() {
  UILayoutEngine* e = existingEngine();
  if (!e || !e->contains(*this)) return;
  CGRect mine = e->engineFrame(*this);
  for (auto& subview : std::vector(subviews_)) {
    if (!e->contains(*subview)) continue;
    if (subview->translatesAutoresizingMask_ &&
        subview->autoresizingMask_ == UIViewAutoresizingNone) {
      continue;
    }
    CGRect solved = e->engineFrame(*subview);
    solved.origin = solved.origin - mine.origin;
    solved = pixelAligned(solved);
    if (CGAffineTransformIsIdentity(subview->transform())) {
      if (!(solved == subview->frame())) subview->setFrame(solved);
    } else {
      subview->setCenter({CGRectGetMidX(solved), CGRectGetMidY(solved)});
      CGRect bounds = subview->bounds();
      subview->setBounds(
          CGRectMake(bounds.origin.x, bounds.origin.y, solved.size.width, solved.size.height));
    }
  }
}

CGSize UIView::sizeThatFits(CGSize) const {
  return bounds().size;
}

void UIView::sizeToFit() {
  CGRect f = frame();
  CGSize size = sizeThatFits(f.size);
  setFrame(CGRectMake(f.origin.x, f.origin.y, size.width, size.height));
}

CGSize UIView::intrinsicContentSize() const {
  return {UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
}

void UIView::invalidateIntrinsicContentSize() {
  if (UILayoutEngine* e = existingEngine()) e->intrinsicContentSizeDidChange(*this);
  setNeedsLayout();
  if (auto superview = superview_.lock()) superview->setNeedsLayout();
}

CGSize UIView::systemLayoutSizeFittingSize(CGSize targetSize) {
  UILayoutEngine* e = engine();
  auto width = widthAnchor().constraintEqualToConstant(targetSize.width);
  auto height = heightAnchor().constraintEqualToConstant(targetSize.height);
  width->setPriority(UILayoutPriorityFittingSizeLevel);
  height->setPriority(UILayoutPriorityFittingSizeLevel);
  width->holder_ = selfAs<UIView>();
  height->holder_ = selfAs<UIView>();
  e->addConstraint(*width);
  e->addConstraint(*height);
  CGSize size = e->engineFrame(*this).size;
  e->removeConstraint(*width);
  e->removeConstraint(*height);
  return size;
}

void UIView::setAutoresizingMask(UIViewAutoresizing mask) {
  autoresizingMask_ = mask;
  frameDidChange();
}

void UIView::setTranslatesAutoresizingMaskIntoConstraints(bool translates) {
  if (translatesAutoresizingMask_ == translates) return;
  translatesAutoresizingMask_ = translates;
  if (UILayoutEngine* e = existingEngine()) e->translatesAutoresizingMaskDidChange(*this);
  setNeedsLayout();
  if (auto superview = superview_.lock()) superview->setNeedsLayout();
}

void UIView::addConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint) {
  if (!constraint) return;
  if (auto holder = constraint->holder()) {
    if (holder.get() == this) return;
    holder->removeConstraint(constraint);
  }
  UILayoutEngine* e = engine();
  constraints_.push_back(constraint);
  constraint->holder_ = selfAs<UIView>();
  e->addConstraint(*constraint);
  setNeedsLayout();
}

void UIView::addConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& list) {
  for (auto& constraint : list) addConstraint(constraint);
}

void UIView::removeConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint) {
  auto found = std::find(constraints_.begin(), constraints_.end(), constraint);
  if (found == constraints_.end()) return;
  auto keep = constraint;
  constraints_.erase(found);
  keep->holder_.reset();
  if (UILayoutEngine* e = existingEngine()) e->removeConstraint(*keep);
  setNeedsLayout();
}

void UIView::removeConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& list) {
  for (auto& constraint : list) removeConstraint(constraint);
}

UILayoutPriority UIView::contentHuggingPriorityForAxis(UILayoutConstraintAxis axis) const {
  return hugging_[axis == UILayoutConstraintAxisVertical];
}

void UIView::setContentHuggingPriority(UILayoutPriority priority, UILayoutConstraintAxis axis) {
  hugging_[axis == UILayoutConstraintAxisVertical] = priority;
  invalidateIntrinsicContentSize();
}

UILayoutPriority UIView::contentCompressionResistancePriorityForAxis(
    UILayoutConstraintAxis axis) const {
  return compression_[axis == UILayoutConstraintAxisVertical];
}

void UIView::setContentCompressionResistancePriority(UILayoutPriority priority,
                                                     UILayoutConstraintAxis axis) {
  compression_[axis == UILayoutConstraintAxisVertical] = priority;
  invalidateIntrinsicContentSize();
}

std::shared_ptr<UILayoutGuide> UIView::safeAreaLayoutGuide() {
  if (!safeAreaLayoutGuide_) {
    safeAreaLayoutGuide_ = UILayoutGuide::alloc();
    safeAreaLayoutGuide_->owningView_ = selfAs<UIView>();
  }
  return safeAreaLayoutGuide_;
}

UIEdgeInsets UIView::safeAreaInsets() const {
  auto window = this->window();
  if (!window) return UIEdgeInsetsZero;
  const UIView* windowView = window.get();
  if (windowView == this) return UIEdgeInsetsZero;
  UIEdgeInsets outer = windowView->safeAreaInsets();
  CGRect mine = convertRectToView(bounds(), nullptr);
  CGRect screen = windowView->bounds();
  return UIEdgeInsetsMake(
      std::max(0.0, outer.top - CGRectGetMinY(mine)),
      std::max(0.0, outer.left - CGRectGetMinX(mine)),
      std::max(0.0, CGRectGetMaxY(mine) - (CGRectGetMaxY(screen) - outer.bottom)),
      std::max(0.0, CGRectGetMaxX(mine) - (CGRectGetMaxX(screen) - outer.right)));
}

// ---- Appearance ----

std::shared_ptr<UITraitCollection> UIView::traitCollection() const {
  for (const UIView* v = this; v; v = v->superview_.lock().get()) {
    if (v->overrideStyle_ != UIUserInterfaceStyleUnspecified) {
      return UITraitCollection::traitCollectionWithUserInterfaceStyle(v->overrideStyle_);
    }
  }
  return UIScreen::mainScreen()->traitCollection();
}

void UIView::setOverrideUserInterfaceStyle(UIUserInterfaceStyle style) {
  UIUserInterfaceStyle previous = traitCollection()->userInterfaceStyle();
  overrideStyle_ = style;
  if (traitCollection()->userInterfaceStyle() != previous) propagateTraitChange(previous);
}

void UIView::traitCollectionDidChange(const std::shared_ptr<UITraitCollection>&) {}

void UIView::propagateTraitChange(UIUserInterfaceStyle previousStyle) {
  auto keep = selfAs<UIView>();
  auto previous = UITraitCollection::traitCollectionWithUserInterfaceStyle(previousStyle);
  forEachInSubtree([&](UIView& v) {
    // A subview with its own override did not change.
    if (&v != this && v.overrideStyle_ != UIUserInterfaceStyleUnspecified) {
      return SubtreeWalk::pastSubviews;
    }
    v.traitCollectionDidChange(previous);
    // The controller whose root view this is hears of it too, as on the platform.
    if (auto controller = std::dynamic_pointer_cast<UIViewController>(v.viewDelegate())) {
      controller->traitCollectionDidChange(previous);
    }
    return SubtreeWalk::intoSubviews;
  });
}

std::string UIView::description() const {
  char text[160];
  CGRect f = frame();
  std::snprintf(text, sizeof text, "<%s: %p; frame = (%g %g; %g %g)>", class_getName(isa()),
                static_cast<const void*>(this), f.origin.x, f.origin.y, f.size.width,
                f.size.height);
  return text;
}

// ---- Touches: hit testing and gesture recognisers ----

std::shared_ptr<UIView> UIView::hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event) {
  if (!userInteractionEnabled_ || isHidden() || alpha() < 0.01) return nullptr;
  if (!pointInside(point, event)) return nullptr;
  auto me = selfAs<UIView>();
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
    auto subview = *it;
    if (auto hit = subview->hitTest(subview->convertPointFromView(point, me), event)) return hit;
  }
  return me;
}

bool UIView::pointInside(CGPoint point, const std::shared_ptr<UIEvent>&) {
  return CGRectContainsPoint(bounds(), point);
}

void UIView::addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
  if (!recognizer) return;
  auto keep = recognizer;
  if (auto previous = recognizer->view()) {
    if (previous.get() == this) return;
    previous->removeGestureRecognizer(recognizer);
  }
  gestureRecognizers_.push_back(keep);
  keep->view_ = selfAs<UIView>();
}

void UIView::removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
  auto found = std::find(gestureRecognizers_.begin(), gestureRecognizers_.end(), recognizer);
  if (found == gestureRecognizers_.end()) return;
  auto keep = recognizer;
  gestureRecognizers_.erase(found);
  keep->didDetachFromView();
  keep->view_.reset();
}

// ---- End of touches ----
