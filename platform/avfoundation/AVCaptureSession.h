#pragma once

// AVCaptureSession: runs its camera input and feeds the preview layers shown for it. Changes
// between beginConfiguration and commitConfiguration take effect together at the commit.

#include <memory>
#include <string>
#include <vector>

#include "avfoundation/Forward.h"
#include "quartz/Forward.h"
#include "runtime/NSObject.h"

using AVCaptureSessionPreset = std::string;
inline const AVCaptureSessionPreset AVCaptureSessionPresetPhoto = "AVCaptureSessionPresetPhoto";
inline const AVCaptureSessionPreset AVCaptureSessionPresetHigh = "AVCaptureSessionPresetHigh";
inline const AVCaptureSessionPreset AVCaptureSessionPresetMedium = "AVCaptureSessionPresetMedium";
inline const AVCaptureSessionPreset AVCaptureSessionPresetLow = "AVCaptureSessionPresetLow";
inline const AVCaptureSessionPreset AVCaptureSessionPreset352x288 = "AVCaptureSessionPreset352x288";
inline const AVCaptureSessionPreset AVCaptureSessionPreset640x480 = "AVCaptureSessionPreset640x480";
inline const AVCaptureSessionPreset AVCaptureSessionPreset1280x720 =
    "AVCaptureSessionPreset1280x720";
inline const AVCaptureSessionPreset AVCaptureSessionPreset1920x1080 =
    "AVCaptureSessionPreset1920x1080";
inline const AVCaptureSessionPreset AVCaptureSessionPreset3840x2160 =
    "AVCaptureSessionPreset3840x2160";
inline const AVCaptureSessionPreset AVCaptureSessionPresetInputPriority =
    "AVCaptureSessionPresetInputPriority";

class AVCaptureSession : public NSObject {
  OBJC_CLASS(AVCaptureSession, NSObject);

 public:
  AVCaptureSession() = default;
  ~AVCaptureSession() override;

  // The stand-in cameras show their clips as they are; every preset is accepted.
  bool canSetSessionPreset(const AVCaptureSessionPreset& preset) const;
  const AVCaptureSessionPreset& sessionPreset() const { return preset_; }
  void setSessionPreset(const AVCaptureSessionPreset& preset);

  // One camera at a time, as on a device that cannot run two.
  bool canAddInput(const std::shared_ptr<AVCaptureDeviceInput>& input) const;
  void addInput(const std::shared_ptr<AVCaptureDeviceInput>& input);
  void removeInput(const std::shared_ptr<AVCaptureDeviceInput>& input);
  const std::vector<std::shared_ptr<AVCaptureDeviceInput>>& inputs() const { return inputs_; }

  bool canAddOutput(const std::shared_ptr<AVCaptureStillImageOutput>& output) const;
  void addOutput(const std::shared_ptr<AVCaptureStillImageOutput>& output);
  void removeOutput(const std::shared_ptr<AVCaptureStillImageOutput>& output);
  const std::vector<std::shared_ptr<AVCaptureStillImageOutput>>& outputs() const {
    return outputs_;
  }

  void beginConfiguration();
  void commitConfiguration();

  void startRunning();
  void stopRunning();
  bool isRunning() const { return running_; }

  // For the preview layers: the camera's frame now (none while stopped or without a camera),
  // and whether that camera faces the user.
  std::shared_ptr<const VideoFrame> currentFrame() const;
  bool isShowingFrontCamera() const;
  void addPreviewLayer(const std::shared_ptr<CALayer>& layer);

 private:
  // Starts the feed of the camera in use and stops the one that is no longer.
  void applyConfiguration();
  void frameChanged();

  AVCaptureSessionPreset preset_ = AVCaptureSessionPresetHigh;
  std::vector<std::shared_ptr<AVCaptureDeviceInput>> inputs_;
  std::vector<std::shared_ptr<AVCaptureStillImageOutput>> outputs_;
  std::vector<std::weak_ptr<CALayer>> previews_;
  std::shared_ptr<AVCaptureDeviceInput> active_;
  int configurationDepth_ = 0;
  bool running_ = false;
};
