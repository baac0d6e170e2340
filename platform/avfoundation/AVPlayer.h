#pragma once

// AVPlayer: plays one item at rate 1 or holds it still. Sound is not played; the volume is kept.

#include <memory>

#include "avfoundation/CMTime.h"
#include "avfoundation/Forward.h"
#include "runtime/NSObject.h"

class AVPlayer : public NSObject {
  OBJC_CLASS(AVPlayer, NSObject);

 public:
  static std::shared_ptr<AVPlayer> playerWithPlayerItem(const std::shared_ptr<AVPlayerItem>& item);

  const std::shared_ptr<AVPlayerItem>& currentItem() const { return item_; }
  void play();
  void pause();
  // 1 while playing, 0 while paused or at the end.
  float rate() const;
  float volume() const { return volume_; }
  void setVolume(float volume);
  bool isMuted() const { return muted_; }
  void setMuted(bool muted) { muted_ = muted; }
  void seekToTime(CMTime time);
  CMTime currentTime() const;

 private:
  std::shared_ptr<AVPlayerItem> item_;
  float volume_ = 1;
  bool muted_ = false;
};
