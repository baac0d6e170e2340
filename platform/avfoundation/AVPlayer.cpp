#include "avfoundation/AVPlayer.h"

#include <algorithm>
#include <cmath>

#include "avfoundation/AVPlayerItem.h"

OBJC_CLASS_IMPL(AVPlayer) {}

std::shared_ptr<AVPlayer> AVPlayer::playerWithPlayerItem(
    const std::shared_ptr<AVPlayerItem>& item) {
  auto player = alloc();
  player->item_ = item;
  return player;
}

void AVPlayer::play() {
  if (item_) item_->setPlaying(true);
}

void AVPlayer::pause() {
  if (item_) item_->setPlaying(false);
}

float AVPlayer::rate() const {
  return item_ && item_->isPlaying() ? 1.0f : 0.0f;
}

void AVPlayer::setVolume(float volume) {
  volume_ = std::isfinite(volume) ? std::clamp(volume, 0.0f, 1.0f) : volume_;
}

void AVPlayer::seekToTime(CMTime time) {
  if (item_) item_->seekToTime(time);
}

CMTime AVPlayer::currentTime() const {
  return item_ ? item_->currentTime() : kCMTimeZero;
}
