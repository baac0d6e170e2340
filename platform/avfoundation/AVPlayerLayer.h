#pragma once

// AVPlayerLayer: shows its player's current frame.

#include <memory>

#include "avfoundation/AVVideoLayer.h"
#include "avfoundation/Forward.h"

class AVPlayerLayer : public AVVideoLayer {
  OBJC_CLASS(AVPlayerLayer, AVVideoLayer);

 public:
  static std::shared_ptr<AVPlayerLayer> playerLayerWithPlayer(
      const std::shared_ptr<AVPlayer>& player);

  const std::shared_ptr<AVPlayer>& player() const { return player_; }
  void setPlayer(const std::shared_ptr<AVPlayer>& player);
  // Whether a frame is there to show.
  bool isReadyForDisplay() const { return currentVideoFrame() != nullptr; }

  std::shared_ptr<const VideoFrame> currentVideoFrame() const override;

 private:
  std::shared_ptr<AVPlayer> player_;
};
