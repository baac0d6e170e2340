#include "avfoundation/VideoPlayback.h"

#include <algorithm>

#include "foundation/Clock.h"
#include "foundation/NSLog.h"

VideoPlayback::VideoPlayback(std::unique_ptr<VideoDecoder> decoder, AtEnd atEnd, std::string label)
    : decoder_(std::move(decoder)), atEnd_(atEnd), label_(std::move(label)) {}

VideoPlayback::~VideoPlayback() {
  token_.cancel();
}

int64_t VideoPlayback::currentTime() const {
  if (!playing_) return mediaAnchor_;
  return mediaAnchor_ + std::max<int64_t>(0, Clock::nowNanoseconds() - clockAnchor_);
}

void VideoPlayback::play() {
  if (playing_ || ended_) return;
  playing_ = true;
  clockAnchor_ = Clock::nowNanoseconds();
  schedule();
}

void VideoPlayback::pause() {
  if (!playing_) return;
  mediaAnchor_ = currentTime();
  playing_ = false;
  token_.cancel();
}

void VideoPlayback::seekTo(int64_t time) {
  time = std::max<int64_t>(0, time);
  auto before = decoder_->currentFrame();
  if (!decoder_->seekTo(time)) return;
  ended_ = false;
  mediaAnchor_ = time;
  clockAnchor_ = Clock::nowNanoseconds();
  if (playing_) schedule();
  if (decoder_->currentFrame() != before && onFrameChange) onFrameChange();
}

void VideoPlayback::schedule() {
  token_.cancel();
  if (!playing_) return;
  std::optional<int64_t> next = decoder_->nextFrameTime();
  int64_t due = clockTimeOf(next ? *next : decoder_->endOfCurrentFrame());
  std::weak_ptr<VideoPlayback> weak = weak_from_this();
  token_ = RunLoop::scheduleAtNanoseconds(due, [weak] {
    if (auto self = weak.lock()) self->tick();
  });
}

void VideoPlayback::tick() {
  // The callbacks may let go of this playback.
  auto keep = shared_from_this();
  int64_t now = currentTime();
  bool changed = decoder_->advanceTo(now);
  if (decoder_->nextFrameTime() || now < decoder_->endOfCurrentFrame()) {
    schedule();
    if (changed && onFrameChange) onFrameChange();
    return;
  }
  if (!decoder_->failure().empty() && !failureLogged_) {
    failureLogged_ = true;
    NSLog("%s: the video stops early: %s", label_.c_str(), decoder_->failure().c_str());
  }
  int64_t end = decoder_->endOfCurrentFrame();
  if (atEnd_ == AtEnd::Loop) {
    // The next round starts when this one ended, not when the block happened to run.
    int64_t endedAt = clockTimeOf(end);
    if (decoder_->seekTo(0)) {
      mediaAnchor_ = 0;
      clockAnchor_ = endedAt;
      decoder_->advanceTo(currentTime());
      schedule();
      if (onFrameChange) onFrameChange();
      return;
    }
  }
  playing_ = false;
  ended_ = true;
  mediaAnchor_ = end;
  if (changed && onFrameChange) onFrameChange();
  if (onEnd) onEnd();
}
