#include "avfoundation/AVPlayerItem.h"

#include <algorithm>
#include <cmath>

#include "avfoundation/VideoPlayback.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSLog.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSURL.h"
#include "quartz/CALayer.h"

OBJC_CLASS_IMPL(AVPlayerItem) {}

namespace {
constexpr CMTimeScale kNanosecondScale = 1000000000;
// The platform's error for media that cannot be decoded.
constexpr NSInteger kAVErrorFailedToParse = -11853;
inline const std::string AVFoundationErrorDomain = "AVFoundationErrorDomain";
}  // namespace

std::shared_ptr<AVPlayerItem> AVPlayerItem::playerItemWithURL(const std::shared_ptr<NSURL>& URL) {
  auto item = alloc();
  std::string why;
  std::string shown = URL ? URL->path() : std::string("(nil)");
  std::unique_ptr<VideoDecoder> decoder;
  if (!URL || !URL->isFileURL()) {
    why = "only files on the device can be played";
  } else if (auto host = DeviceRoot::resolve(URL->path()); !host) {
    why = "the path cannot name a file";
  } else {
    decoder = VideoDecoder::openFile(*host, why);
  }
  if (!decoder) {
    NSLog("AVPlayerItem: cannot play %s: %s", shown.c_str(), why.c_str());
    item->status_ = AVPlayerItemStatusFailed;
    item->error_ = NSError::errorWithDomain(AVFoundationErrorDomain, kAVErrorFailedToParse, why);
    return item;
  }
  item->playback_ = std::make_shared<VideoPlayback>(std::move(decoder), VideoPlayback::AtEnd::Stop,
                                                    "AVPlayerItem " + shown);
  item->status_ = AVPlayerItemStatusReadyToPlay;
  std::weak_ptr<AVPlayerItem> weak = item->selfAs<AVPlayerItem>();
  item->playback_->onFrameChange = [weak] {
    if (auto self = weak.lock()) self->frameChanged();
  };
  item->playback_->onEnd = [weak] {
    if (auto self = weak.lock()) {
      NSNotificationCenter::defaultCenter()->postNotificationName(
          AVPlayerItemDidPlayToEndTimeNotification, self);
    }
  };
  return item;
}

CMTime AVPlayerItem::duration() const {
  if (!playback_) return kCMTimeIndefinite;
  auto duration = playback_->decoder().duration();
  return duration ? CMTimeMake(*duration, kNanosecondScale) : kCMTimeIndefinite;
}

CMTime AVPlayerItem::currentTime() const {
  return CMTimeMake(playback_ ? playback_->currentTime() : 0, kNanosecondScale);
}

void AVPlayerItem::seekToTime(CMTime time) {
  double seconds = CMTimeGetSeconds(time);
  if (!playback_ || !std::isfinite(seconds)) return;
  playback_->seekTo(static_cast<int64_t>(std::llround(std::max(0.0, seconds) * 1e9)));
}

CGSize AVPlayerItem::presentationSize() const {
  return playback_ ? playback_->decoder().naturalSize() : CGSizeZero;
}

void AVPlayerItem::setPlaying(bool playing) {
  if (!playback_) return;
  if (playing) {
    playback_->play();
  } else {
    playback_->pause();
  }
}

bool AVPlayerItem::isPlaying() const {
  return playback_ && playback_->isPlaying();
}

std::shared_ptr<const VideoFrame> AVPlayerItem::currentFrame() const {
  return playback_ ? playback_->currentFrame() : nullptr;
}

void AVPlayerItem::addDisplayLayer(const std::shared_ptr<CALayer>& layer) {
  std::erase_if(layers_, [](const std::weak_ptr<CALayer>& weak) { return weak.expired(); });
  layers_.push_back(layer);
}

void AVPlayerItem::frameChanged() {
  for (const auto& weak : layers_) {
    if (auto layer = weak.lock()) layer->setNeedsDisplay();
  }
}
