#include "avfoundation/AVVideoLayer.h"

#include <algorithm>

OBJC_CLASS_IMPL(AVVideoLayer) {}

void AVVideoLayer::setVideoGravity(const AVLayerVideoGravity& gravity) {
  if (gravity != AVLayerVideoGravityResize && gravity != AVLayerVideoGravityResizeAspect &&
      gravity != AVLayerVideoGravityResizeAspectFill) {
    return;
  }
  videoGravity_ = gravity;
  setNeedsDisplay();
}

CGRect AVVideoLayer::videoRect() const {
  auto frame = currentVideoFrame();
  if (!frame) return CGRectZero;
  return videoRectFor(frame->naturalSize(), bounds(), videoGravity_);
}

CGRect AVVideoLayer::videoRectFor(CGSize natural, CGRect bounds,
                                  const AVLayerVideoGravity& gravity) {
  if (!(natural.width > 0 && natural.height > 0) || gravity == AVLayerVideoGravityResize) {
    return bounds;
  }
  double sx = bounds.size.width / natural.width, sy = bounds.size.height / natural.height;
  double scale =
      gravity == AVLayerVideoGravityResizeAspectFill ? std::max(sx, sy) : std::min(sx, sy);
  CGSize size = CGSizeMake(natural.width * scale, natural.height * scale);
  return CGRectMake(bounds.origin.x + (bounds.size.width - size.width) / 2,
                    bounds.origin.y + (bounds.size.height - size.height) / 2, size.width,
                    size.height);
}
