#include "avfoundation/AVCaptureVideoPreviewLayer.h"

#include "avfoundation/AVCaptureSession.h"

OBJC_CLASS_IMPL(AVCaptureVideoPreviewLayer) {}

std::shared_ptr<AVCaptureVideoPreviewLayer> AVCaptureVideoPreviewLayer::initWithSession(
    const std::shared_ptr<AVCaptureSession>& session) {
  setSession(session);
  return selfAs<AVCaptureVideoPreviewLayer>();
}

std::shared_ptr<AVCaptureVideoPreviewLayer> AVCaptureVideoPreviewLayer::layerWithSession(
    const std::shared_ptr<AVCaptureSession>& session) {
  return alloc()->initWithSession(session);
}

void AVCaptureVideoPreviewLayer::setSession(const std::shared_ptr<AVCaptureSession>& session) {
  session_ = session;
  if (session_) session_->addPreviewLayer(selfAs<CALayer>());
  setNeedsDisplay();
}

std::shared_ptr<const VideoFrame> AVCaptureVideoPreviewLayer::currentVideoFrame() const {
  return session_ && session_->isRunning() ? session_->currentFrame() : nullptr;
}

bool AVCaptureVideoPreviewLayer::isVideoMirrored() const {
  return session_ && session_->isShowingFrontCamera();
}
