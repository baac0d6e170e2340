#pragma once

// AVCaptureDeviceInput: a camera as a session's input. Making one opens the camera's feed; a
// camera that has gone, or whose feed cannot be read, gives an error instead.

#include <memory>

#include "avfoundation/Forward.h"
#include "foundation/NSError.h"
#include "runtime/NSObject.h"

class AVCaptureDeviceInput : public NSObject {
  OBJC_CLASS(AVCaptureDeviceInput, NSObject);

 public:
  // Null, with the error where asked, when the camera cannot be used.
  std::shared_ptr<AVCaptureDeviceInput> initWithDevice(
      const std::shared_ptr<AVCaptureDevice>& device, std::shared_ptr<NSError>* error);
  static std::shared_ptr<AVCaptureDeviceInput> deviceInputWithDevice(
      const std::shared_ptr<AVCaptureDevice>& device, std::shared_ptr<NSError>* error);

  const std::shared_ptr<AVCaptureDevice>& device() const { return device_; }

  // The feed, which the session runs.
  const std::shared_ptr<VideoPlayback>& feed() const { return feed_; }

 private:
  std::shared_ptr<AVCaptureDevice> device_;
  std::shared_ptr<VideoPlayback> feed_;
};
