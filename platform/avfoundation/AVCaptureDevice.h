#pragma once

// AVCaptureDevice: the device's cameras. This machine has none, so each camera is a stand-in fed
// by a clip in the device root, played in a loop:
//   /var/mobile/Library/ParloSim/Camera/front.mp4   the front camera
//   /var/mobile/Library/ParloSim/Camera/back.mp4    the back camera
// A camera whose clip is missing is not there; a file named "off" in that folder turns every
// camera off, as on a device without cameras (or without permission to use them).

#include <memory>
#include <string>
#include <vector>

#include "avfoundation/AVMediaFormat.h"
#include "runtime/NSObject.h"

enum AVCaptureDevicePosition : long {
  AVCaptureDevicePositionUnspecified = 0,
  AVCaptureDevicePositionBack = 1,
  AVCaptureDevicePositionFront = 2,
};

class AVCaptureDevice : public NSObject {
  OBJC_CLASS(AVCaptureDevice, NSObject);

 public:
  // The folder of the cameras' clips, a device path.
  static constexpr const char* kCameraFolder = "/var/mobile/Library/ParloSim/Camera/";

  // The cameras there are now, back first.
  static std::vector<std::shared_ptr<AVCaptureDevice>> devicesWithMediaType(
      const AVMediaType& mediaType);
  static std::shared_ptr<AVCaptureDevice> defaultDeviceWithMediaType(const AVMediaType& mediaType);

  AVCaptureDevicePosition position() const { return position_; }
  const std::string& uniqueID() const { return uniqueID_; }
  const std::string& localizedName() const { return localizedName_; }
  bool hasMediaType(const AVMediaType& mediaType) const { return mediaType == AVMediaTypeVideo; }
  // False once the camera has gone (its clip removed, or the cameras turned off).
  bool isConnected() const;
  // The device path of the clip that feeds it.
  const std::string& clipPath() const { return clipPath_; }

  bool isEqual(const id& other) const override;

 private:
  static std::shared_ptr<AVCaptureDevice> deviceAt(AVCaptureDevicePosition position);

  AVCaptureDevicePosition position_ = AVCaptureDevicePositionUnspecified;
  std::string uniqueID_;
  std::string localizedName_;
  std::string clipPath_;
};
