#include "avfoundation/AVPlayerLayer.h"

#include "avfoundation/AVPlayer.h"
#include "avfoundation/AVPlayerItem.h"

OBJC_CLASS_IMPL(AVPlayerLayer) {}

std::shared_ptr<AVPlayerLayer> AVPlayerLayer::playerLayerWithPlayer(
    const std::shared_ptr<AVPlayer>& player) {
  auto layer = alloc();
  layer->setPlayer(player);
  return layer;
}

void AVPlayerLayer::setPlayer(const std::shared_ptr<AVPlayer>& player) {
  player_ = player;
  if (player_ && player_->currentItem()) {
    player_->currentItem()->addDisplayLayer(selfAs<CALayer>());
  }
  setNeedsDisplay();
}

std::shared_ptr<const VideoFrame> AVPlayerLayer::currentVideoFrame() const {
  if (!player_ || !player_->currentItem()) return nullptr;
  return player_->currentItem()->currentFrame();
}
