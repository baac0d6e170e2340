#include "avfoundation/AVCaptureDevice.h"

#include <filesystem>

#include "foundation/DeviceRoot.h"

OBJC_CLASS_IMPL(AVCaptureDevice) {}

namespace {

bool deviceFileExists(const std::string& devicePath) {
  auto host = DeviceRoot::resolve(devicePath);
  std::error_code error;
  return host && std::filesystem::exists(*host, error);
}

bool camerasOff() {
  return deviceFileExists(std::string(AVCaptureDevice::kCameraFolder) + "off");
}

}  // namespace

std::shared_ptr<AVCaptureDevice> AVCaptureDevice::deviceAt(AVCaptureDevicePosition position) {
  auto device = alloc();
  device->position_ = position;
  bool front = position == AVCaptureDevicePositionFront;
  device->uniqueID_ = front ? "ParloSim.Camera.Front" : "ParloSim.Camera.Back";
  device->localizedName_ = front ? "Front Camera" : "Back Camera";
  device->clipPath_ = std::string(kCameraFolder) + (front ? "front.mp4" : "back.mp4");
  return device;
}

std::vector<std::shared_ptr<AVCaptureDevice>> AVCaptureDevice::devicesWithMediaType(
    const AVMediaType& mediaType) {
  std::vector<std::shared_ptr<AVCaptureDevice>> devices;
  if (mediaType != AVMediaTypeVideo || camerasOff()) return devices;
  for (auto position : {AVCaptureDevicePositionBack, AVCaptureDevicePositionFront}) {
    auto device = deviceAt(position);
    if (deviceFileExists(device->clipPath_)) devices.push_back(device);
  }
  return devices;
}

std::shared_ptr<AVCaptureDevice> AVCaptureDevice::defaultDeviceWithMediaType(
    const AVMediaType& mediaType) {
  auto devices = devicesWithMediaType(mediaType);
  return devices.empty() ? nullptr : devices.front();
}

bool AVCaptureDevice::isConnected() const {
  return !camerasOff() && deviceFileExists(clipPath_);
}

bool AVCaptureDevice::isEqual(const id& other) const {
  auto* device = dynamic_cast<const AVCaptureDevice*>(other.get());
  return device && device->uniqueID_ == uniqueID_;
}
