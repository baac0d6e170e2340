#pragma once

// AVPlayerItem: one movie file to play, with its own time. The file is opened when the item is
// made; one that cannot be played (missing, damaged, no video track) leaves the item failed, says
// why in one log line, and plays nothing.

#include <memory>
#include <vector>

#include "avfoundation/CMTime.h"
#include "avfoundation/Forward.h"
#include "foundation/Forward.h"
#include "foundation/NSError.h"
#include "foundation/NSNotification.h"
#include "quartz/CGGeometry.h"
#include "quartz/Forward.h"
#include "runtime/NSObject.h"

// Posted once by the item when it has played to its end.
inline const NSNotificationName AVPlayerItemDidPlayToEndTimeNotification =
    "AVPlayerItemDidPlayToEndTimeNotification";

enum AVPlayerItemStatus : long {
  AVPlayerItemStatusUnknown = 0,
  AVPlayerItemStatusReadyToPlay = 1,
  AVPlayerItemStatusFailed = 2,
};

class AVPlayerItem : public NSObject {
  OBJC_CLASS(AVPlayerItem, NSObject);

 public:
  static std::shared_ptr<AVPlayerItem> playerItemWithURL(const std::shared_ptr<NSURL>& URL);

  AVPlayerItemStatus status() const { return status_; }
  const std::shared_ptr<NSError>& error() const { return error_; }
  // kCMTimeIndefinite when the file does not say.
  CMTime duration() const;
  CMTime currentTime() const;
  void seekToTime(CMTime time);
  CGSize presentationSize() const;

  // For the player and its layers.
  void setPlaying(bool playing);
  bool isPlaying() const;
  std::shared_ptr<const VideoFrame> currentFrame() const;
  // Layers showing this item; each is told to display when the frame changes.
  void addDisplayLayer(const std::shared_ptr<CALayer>& layer);

 private:
  void frameChanged();

  AVPlayerItemStatus status_ = AVPlayerItemStatusUnknown;
  std::shared_ptr<NSError> error_;
  std::shared_ptr<VideoPlayback> playback_;
  std::vector<std::weak_ptr<CALayer>> layers_;
};
