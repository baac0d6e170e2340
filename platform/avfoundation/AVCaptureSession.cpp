#include "avfoundation/AVCaptureSession.h"

#include <algorithm>

#include "avfoundation/AVCaptureDevice.h"
#include "avfoundation/AVCaptureDeviceInput.h"
#include "avfoundation/AVCaptureStillImageOutput.h"
#include "avfoundation/VideoPlayback.h"
#include "quartz/CALayer.h"

OBJC_CLASS_IMPL(AVCaptureSession) {}

AVCaptureSession::~AVCaptureSession() {
  if (active_ && active_->feed()) {
    active_->feed()->pause();
    active_->feed()->onFrameChange = nullptr;
  }
}

bool AVCaptureSession::canSetSessionPreset(const AVCaptureSessionPreset& preset) const {
  static const std::vector<AVCaptureSessionPreset> known{
      AVCaptureSessionPresetPhoto,     AVCaptureSessionPresetHigh,
      AVCaptureSessionPresetMedium,    AVCaptureSessionPresetLow,
      AVCaptureSessionPreset352x288,   AVCaptureSessionPreset640x480,
      AVCaptureSessionPreset1280x720,  AVCaptureSessionPreset1920x1080,
      AVCaptureSessionPreset3840x2160, AVCaptureSessionPresetInputPriority};
  return std::find(known.begin(), known.end(), preset) != known.end();
}

void AVCaptureSession::setSessionPreset(const AVCaptureSessionPreset& preset) {
  if (canSetSessionPreset(preset)) preset_ = preset;
}

bool AVCaptureSession::canAddInput(const std::shared_ptr<AVCaptureDeviceInput>& input) const {
  return input && input->device() && inputs_.empty();
}

void AVCaptureSession::addInput(const std::shared_ptr<AVCaptureDeviceInput>& input) {
  if (!canAddInput(input)) return;
  inputs_.push_back(input);
  applyConfiguration();
}

void AVCaptureSession::removeInput(const std::shared_ptr<AVCaptureDeviceInput>& input) {
  std::erase(inputs_, input);
  applyConfiguration();
}

bool AVCaptureSession::canAddOutput(
    const std::shared_ptr<AVCaptureStillImageOutput>& output) const {
  return output && std::find(outputs_.begin(), outputs_.end(), output) == outputs_.end();
}

void AVCaptureSession::addOutput(const std::shared_ptr<AVCaptureStillImageOutput>& output) {
  if (canAddOutput(output)) outputs_.push_back(output);
}

void AVCaptureSession::removeOutput(const std::shared_ptr<AVCaptureStillImageOutput>& output) {
  std::erase(outputs_, output);
}

void AVCaptureSession::beginConfiguration() {
  ++configurationDepth_;
}

void AVCaptureSession::commitConfiguration() {
  if (configurationDepth_ == 0) return;
  if (--configurationDepth_ == 0) applyConfiguration();
}

void AVCaptureSession::startRunning() {
  if (running_) return;
  running_ = true;
  applyConfiguration();
  frameChanged();
}

void AVCaptureSession::stopRunning() {
  if (!running_) return;
  running_ = false;
  applyConfiguration();
  frameChanged();
}

void AVCaptureSession::applyConfiguration() {
  if (configurationDepth_ > 0) return;
  std::shared_ptr<AVCaptureDeviceInput> wanted =
      running_ && !inputs_.empty() ? inputs_.front() : nullptr;
  if (wanted == active_) return;
  if (active_ && active_->feed()) {
    active_->feed()->pause();
    active_->feed()->onFrameChange = nullptr;
  }
  active_ = wanted;
  if (active_ && active_->feed()) {
    std::weak_ptr<AVCaptureSession> weak = selfAs<AVCaptureSession>();
    active_->feed()->onFrameChange = [weak] {
      if (auto self = weak.lock()) self->frameChanged();
    };
    active_->feed()->play();
  }
  frameChanged();
}

std::shared_ptr<const VideoFrame> AVCaptureSession::currentFrame() const {
  if (!active_ || !active_->feed()) return nullptr;
  return active_->feed()->currentFrame();
}

bool AVCaptureSession::isShowingFrontCamera() const {
  return active_ && active_->device()->position() == AVCaptureDevicePositionFront;
}

void AVCaptureSession::addPreviewLayer(const std::shared_ptr<CALayer>& layer) {
  std::erase_if(previews_, [](const std::weak_ptr<CALayer>& weak) { return weak.expired(); });
  previews_.push_back(layer);
}

void AVCaptureSession::frameChanged() {
  for (const auto& weak : previews_) {
    if (auto layer = weak.lock()) layer->setNeedsDisplay();
  }
}
