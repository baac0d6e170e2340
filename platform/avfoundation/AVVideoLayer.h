#pragma once

// What the player layer and the capture preview layer share: a layer that shows the frames of a
// video with a gravity. The renderer draws the current frame; a layer whose frame changes asks
// for display, so only its own rectangle is drawn again.

#include <memory>

#include "avfoundation/AVMediaFormat.h"
#include "avfoundation/VideoFrame.h"
#include "quartz/CALayer.h"

class AVVideoLayer : public CALayer {
  OBJC_CLASS(AVVideoLayer, CALayer);

 public:
  const AVLayerVideoGravity& videoGravity() const { return videoGravity_; }
  void setVideoGravity(const AVLayerVideoGravity& gravity);

  // The frame to show now; null when there is none (no video, or a camera that is not running).
  virtual std::shared_ptr<const VideoFrame> currentVideoFrame() const { return nullptr; }
  // The picture is shown flipped left to right, as a front camera's preview is.
  virtual bool isVideoMirrored() const { return false; }
  // Where the video shows in the layer's bounds under its gravity; an aspect fill reaches
  // beyond them (a layer that masks to its bounds cuts it there). Empty without a frame.
  CGRect videoRect() const;
  // The same for a video of the given size in the given bounds.
  static CGRect videoRectFor(CGSize natural, CGRect bounds, const AVLayerVideoGravity& gravity);

 private:
  AVLayerVideoGravity videoGravity_ = AVLayerVideoGravityResizeAspect;
};
