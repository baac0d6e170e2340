#pragma once

// One decoded picture of a video as the decoder made it, and the pixels made from it for drawing.

#include <cstdint>
#include <memory>

#include "quartz/CGGeometry.h"

// Premultiplied ARGB32 pixels (Cairo's layout), rows of `stride` bytes.
struct VideoImage {
  int width = 0;
  int height = 0;
  int stride = 0;
  std::unique_ptr<uint8_t[]> pixels;
};

class VideoFrame {
 public:
  struct Impl;
  explicit VideoFrame(std::unique_ptr<Impl> impl);
  ~VideoFrame();
  VideoFrame(const VideoFrame&) = delete;
  VideoFrame& operator=(const VideoFrame&) = delete;

  // When the frame is due, in nanoseconds of media time from the video's start.
  int64_t time() const;
  // How long it shows when no frame follows, in nanoseconds.
  int64_t duration() const;
  // The size the frame shows at: its pixels with their aspect ratio applied.
  CGSize naturalSize() const;
  int pixelWidth() const;
  int pixelHeight() const;

  // The part `crop` of the picture (in naturalSize coordinates) scaled to width x height pixels.
  // Asking again for the same part and size gives back the same pixels without converting again.
  // Null when the sizes make no picture.
  std::shared_ptr<const VideoImage> imageOf(CGRect crop, int width, int height) const;

 private:
  std::unique_ptr<Impl> impl_;
};
