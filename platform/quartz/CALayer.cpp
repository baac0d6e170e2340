#include "quartz/CALayer.h"

#include <algorithm>
#include <cassert>

OBJC_CLASS_IMPL(CALayer) {}

namespace {
CALayer::DisplayObserver& displayObserver() {
  static CALayer::DisplayObserver observer;
  return observer;
}
}  // namespace

std::shared_ptr<CALayer> CALayer::layer() {
  return std::make_shared<CALayer>();
}

CGRect CALayer::frame() const {
  CGSize size = bounds_.size;
  CGRect local = CGRectMake(-anchorPoint_.x * size.width, -anchorPoint_.y * size.height, size.width,
                            size.height);
  CGRect placed = CGAffineTransformIsIdentity(affineTransform_)
                      ? local
                      : CGRectApplyAffineTransform(local, affineTransform_);
  return CGRectOffset(placed, position_.x, position_.y);
}

void CALayer::setFrame(CGRect frame) {
  // Under a transform other than the identity the platform leaves the result undefined; this
  // keeps the untransformed placement, which is what a later identity transform shows.
  frame = CGRectStandardize(frame);
  bounds_.size = frame.size;
  position_ = CGPointMake(frame.origin.x + anchorPoint_.x * frame.size.width,
                          frame.origin.y + anchorPoint_.y * frame.size.height);
}

void CALayer::addSublayer(const std::shared_ptr<CALayer>& layer) {
  insertAt(layer, sublayers_.size());
}

void CALayer::insertSublayer(const std::shared_ptr<CALayer>& layer, unsigned index) {
  insertAt(layer, index);
}

void CALayer::insertSublayerBelow(const std::shared_ptr<CALayer>& layer,
                                  const std::shared_ptr<CALayer>& sibling) {
  if (!layer || layer == sibling) return;
  // Detach first so that the sibling's index is read after any shift that this causes.
  std::shared_ptr<CALayer> keep = layer;
  if (keep->superlayer().get() == this) keep->removeFromSuperlayer();
  auto found = std::find(sublayers_.begin(), sublayers_.end(), sibling);
  insertAt(keep, found == sublayers_.end() ? 0 : found - sublayers_.begin());
}

void CALayer::insertSublayerAbove(const std::shared_ptr<CALayer>& layer,
                                  const std::shared_ptr<CALayer>& sibling) {
  if (!layer || layer == sibling) return;
  std::shared_ptr<CALayer> keep = layer;
  if (keep->superlayer().get() == this) keep->removeFromSuperlayer();
  auto found = std::find(sublayers_.begin(), sublayers_.end(), sibling);
  insertAt(keep, found == sublayers_.end() ? sublayers_.size() : found - sublayers_.begin() + 1);
}

void CALayer::removeFromSuperlayer() {
  // The superlayer may hold the last strong reference to this layer.
  auto keep = shared_from_this();
  auto parent = superlayer_.lock();
  superlayer_.reset();
  if (!parent) return;
  auto& siblings = parent->sublayers_;
  auto found = std::find_if(siblings.begin(), siblings.end(),
                            [this](const std::shared_ptr<CALayer>& s) { return s.get() == this; });
  if (found != siblings.end()) siblings.erase(found);
}

void CALayer::insertAt(const std::shared_ptr<CALayer>& layer, size_t index) {
  if (!layer || layer.get() == this) return;
  // A layer cannot contain its own ancestor.
  for (auto ancestor = superlayer(); ancestor; ancestor = ancestor->superlayer()) {
    assert(ancestor != layer && "a layer cannot become a sublayer of its own descendant");
    if (ancestor == layer) return;
  }
  std::shared_ptr<CALayer> keep = layer;
  keep->removeFromSuperlayer();
  sublayers_.insert(
      sublayers_.begin() + static_cast<std::ptrdiff_t>(std::min(index, sublayers_.size())), keep);
  keep->superlayer_ = std::static_pointer_cast<CALayer>(shared_from_this());
}

void CALayer::setContents(CGImageRef contents) {
  contents_ = CGImageHold(contents);
  setNeedsDisplay();
}

void CALayer::setNeedsDisplay() {
  if (displayObserver()) displayObserver()(*this);
}

void CALayer::setDisplayObserver(DisplayObserver observer) {
  displayObserver() = std::move(observer);
}
