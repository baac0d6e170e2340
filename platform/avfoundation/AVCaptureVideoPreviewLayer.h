#pragma once

// AVCaptureVideoPreviewLayer: shows what its session's camera sees while the session runs; the
// front camera's picture mirrored, as the device shows it.

#include <memory>

#include "avfoundation/AVVideoLayer.h"
#include "avfoundation/Forward.h"

class AVCaptureVideoPreviewLayer : public AVVideoLayer {
  OBJC_CLASS(AVCaptureVideoPreviewLayer, AVVideoLayer);

 public:
  std::shared_ptr<AVCaptureVideoPreviewLayer> initWithSession(
      const std::shared_ptr<AVCaptureSession>& session);
  static std::shared_ptr<AVCaptureVideoPreviewLayer> layerWithSession(
      const std::shared_ptr<AVCaptureSession>& session);

  const std::shared_ptr<AVCaptureSession>& session() const { return session_; }
  void setSession(const std::shared_ptr<AVCaptureSession>& session);

  std::shared_ptr<const VideoFrame> currentVideoFrame() const override;
  bool isVideoMirrored() const override;

 private:
  std::shared_ptr<AVCaptureSession> session_;
};
