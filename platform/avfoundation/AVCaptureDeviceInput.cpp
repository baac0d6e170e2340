#include "avfoundation/AVCaptureDeviceInput.h"

#include "avfoundation/AVCaptureDevice.h"
#include "avfoundation/VideoPlayback.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSLog.h"

OBJC_CLASS_IMPL(AVCaptureDeviceInput) {}

namespace {
inline const std::string AVFoundationErrorDomain = "AVFoundationErrorDomain";
// The platform's codes for a device that is not there and one that cannot be opened.
constexpr NSInteger kAVErrorDeviceNotConnected = -11814;
constexpr NSInteger kAVErrorDeviceIsNotAvailable = -11852;
}  // namespace

std::shared_ptr<AVCaptureDeviceInput> AVCaptureDeviceInput::initWithDevice(
    const std::shared_ptr<AVCaptureDevice>& device, std::shared_ptr<NSError>* error) {
  if (!device || !device->isConnected()) {
    NSErrorSet(error, AVFoundationErrorDomain, kAVErrorDeviceNotConnected,
               "Cannot Open Camera: the camera is not connected");
    return nullptr;
  }
  std::string why;
  std::unique_ptr<VideoDecoder> decoder;
  if (auto host = DeviceRoot::resolve(device->clipPath())) {
    decoder = VideoDecoder::openFile(*host, why);
  } else {
    why = "the path cannot name a file";
  }
  if (!decoder) {
    NSLog("AVCaptureDeviceInput: the %s cannot be used: %s: %s", device->localizedName().c_str(),
          device->clipPath().c_str(), why.c_str());
    NSErrorSet(error, AVFoundationErrorDomain, kAVErrorDeviceIsNotAvailable,
               "Cannot Use " + device->localizedName());
    return nullptr;
  }
  device_ = device;
  feed_ = std::make_shared<VideoPlayback>(std::move(decoder), VideoPlayback::AtEnd::Loop,
                                          "AVCaptureDeviceInput " + device->clipPath());
  return selfAs<AVCaptureDeviceInput>();
}

std::shared_ptr<AVCaptureDeviceInput> AVCaptureDeviceInput::deviceInputWithDevice(
    const std::shared_ptr<AVCaptureDevice>& device, std::shared_ptr<NSError>* error) {
  return alloc()->initWithDevice(device, error);
}
