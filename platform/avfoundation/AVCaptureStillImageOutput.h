#pragma once

// AVCaptureStillImageOutput: a session's still-image output. Only its settings are kept; the
// stand-in cameras take no pictures.

#include <memory>
#include <string>
#include <vector>

#include "foundation/Forward.h"
#include "runtime/NSObject.h"

class AVCaptureStillImageOutput : public NSObject {
  OBJC_CLASS(AVCaptureStillImageOutput, NSObject);

 public:
  const std::shared_ptr<NSDictionary>& outputSettings() const { return outputSettings_; }
  void setOutputSettings(const std::shared_ptr<NSDictionary>& settings) {
    outputSettings_ = settings;
  }
  std::vector<std::string> availableImageDataCodecTypes() const;

 private:
  std::shared_ptr<NSDictionary> outputSettings_;
};
