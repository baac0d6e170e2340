#include "avfoundation/AVCaptureStillImageOutput.h"

#include "avfoundation/AVMediaFormat.h"
#include "foundation/NSDictionary.h"

OBJC_CLASS_IMPL(AVCaptureStillImageOutput) {}

std::vector<std::string> AVCaptureStillImageOutput::availableImageDataCodecTypes() const {
  return {AVVideoCodecJPEG};
}
