#pragma once

// Plays a decoder's frames on the main run loop's clock: a block is due at each frame's time, so
// on the manual clock a test sees the frame due at the time it has advanced to, and on the real
// clock the video keeps real time. What it shows between blocks is always the frame due now.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "avfoundation/VideoDecoder.h"
#include "foundation/RunLoop.h"

class VideoPlayback : public std::enable_shared_from_this<VideoPlayback> {
 public:
  enum class AtEnd { Stop, Loop };
  // `label` starts the log line written when the file turns out damaged while playing.
  VideoPlayback(std::unique_ptr<VideoDecoder> decoder, AtEnd atEnd, std::string label);
  ~VideoPlayback();

  void play();
  void pause();
  bool isPlaying() const { return playing_; }
  bool hasEnded() const { return ended_; }
  // Nanoseconds of media time.
  int64_t currentTime() const;
  void seekTo(int64_t time);
  const std::shared_ptr<const VideoFrame>& currentFrame() const { return decoder_->currentFrame(); }
  const VideoDecoder& decoder() const { return *decoder_; }

  // Called when another frame comes on show, and when a playback that stops at its end gets
  // there. Either may release the playback.
  std::function<void()> onFrameChange;
  std::function<void()> onEnd;

 private:
  void schedule();
  void tick();
  int64_t clockTimeOf(int64_t mediaTime) const { return clockAnchor_ + (mediaTime - mediaAnchor_); }

  std::unique_ptr<VideoDecoder> decoder_;
  AtEnd atEnd_;
  std::string label_;
  bool playing_ = false;
  bool ended_ = false;
  bool failureLogged_ = false;
  // While playing, media time mediaAnchor_ was on show at clock time clockAnchor_; while paused,
  // mediaAnchor_ is the time on show.
  int64_t mediaAnchor_ = 0;
  int64_t clockAnchor_ = 0;
  RunLoop::Token token_;
};
