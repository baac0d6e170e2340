#pragma once

// Reads the video track of a media file with FFmpeg, one frame at a time: the frame on show and
// the one after it are all that is kept. Every container and codec that FFmpeg reads will do.
//
// Files are not trusted: opening reads a bounded amount of the file, a demuxer may not open any
// other file or URL, and every call gives up once it has used its time or packet budget, so a
// damaged or hostile file ends playback instead of hanging or exhausting memory.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "avfoundation/VideoFrame.h"
#include "quartz/CGGeometry.h"

class VideoDecoder {
 public:
  struct Impl;
  ~VideoDecoder();
  VideoDecoder(const VideoDecoder&) = delete;
  VideoDecoder& operator=(const VideoDecoder&) = delete;

  // A decoder whose first frame is ready, or null with the reason in `why` (one sentence).
  static std::unique_ptr<VideoDecoder> openFile(const std::string& hostPath, std::string& why);
  // The same for bytes in memory, which must outlive the decoder.
  static std::unique_ptr<VideoDecoder> openBytes(std::span<const uint8_t> bytes, std::string& why);

  CGSize naturalSize() const;
  // The container's duration in nanoseconds, when it states one.
  std::optional<int64_t> duration() const;

  // The frame on show: the last one due at or before the time passed to advanceTo.
  const std::shared_ptr<const VideoFrame>& currentFrame() const;
  // When the next frame is due; none once the file has no more frames.
  std::optional<int64_t> nextFrameTime() const;
  // When the current frame stops showing if no other follows: its time plus its duration.
  int64_t endOfCurrentFrame() const;
  // Decodes forward until the frame due at `time` is current. Returns whether it changed.
  bool advanceTo(int64_t time);
  // Goes back (or forward) to the frame due at `time`. False when the file cannot seek; the
  // decoder then keeps its place.
  bool seekTo(int64_t time);
  // Why decoding stopped before the end of the file, once it has (empty otherwise).
  const std::string& failure() const { return failure_; }

 private:
  explicit VideoDecoder(std::unique_ptr<Impl> impl);
  static std::unique_ptr<VideoDecoder> open(std::unique_ptr<Impl> impl, std::string& why);
  // Reads and decodes until one more frame comes out; none at the end or on failure.
  std::shared_ptr<const VideoFrame> decodeFrame();
  // At the end of the frames: notes a file that ends before its video track says it does.
  void noteEarlyEnd();

  std::unique_ptr<Impl> impl_;
  std::shared_ptr<const VideoFrame> current_;
  std::shared_ptr<const VideoFrame> next_;
  std::string failure_;
};
