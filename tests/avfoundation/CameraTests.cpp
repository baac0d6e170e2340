#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "TemporaryDeviceRoot.h"
#include "TestClips.h"
#include "avfoundation/AVCaptureDevice.h"
#include "avfoundation/AVCaptureDeviceInput.h"
#include "avfoundation/AVCaptureSession.h"
#include "avfoundation/AVCaptureStillImageOutput.h"
#include "avfoundation/AVCaptureVideoPreviewLayer.h"
#include "foundation/RunLoop.h"

namespace {

// The colour of the left and right quarter of a frame: red, green or blue, whichever is highest.
std::string sidesOf(const std::shared_ptr<const VideoFrame>& frame) {
  if (!frame) return "none";
  CGSize size = frame->naturalSize();
  auto image = frame->imageOf(CGRectMake(0, 0, size.width, size.height), 8, 4);
  auto name = [&](int x) {
    const uint8_t* p = image->pixels.get() + 2 * image->stride + x * 4;
    if (p[2] > p[1] && p[2] > p[0]) return std::string("red");
    return std::string(p[1] > p[0] ? "lime" : "blue");
  };
  return name(1) + "|" + name(6);
}

class Camera : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::haveFFmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
    RunLoop::useManualClock();
    std::filesystem::create_directories(root_.host(AVCaptureDevice::kCameraFolder));
  }

  // A two-second clip for a camera: red on the left for a second, then lime.
  void installClip(const std::string& name) {
    ASSERT_TRUE(
        testsupport::makeClip(root_.host(std::string(AVCaptureDevice::kCameraFolder) + name),
                              {"red|blue", "lime|blue"}, testsupport::everyClipFormat().front()));
  }

  std::shared_ptr<AVCaptureDevice> cameraAt(AVCaptureDevicePosition position) {
    for (const auto& device : AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo)) {
      if (device->position() == position) return device;
    }
    return nullptr;
  }

  testsupport::TemporaryDeviceRoot root_;
};

TEST_F(Camera, TheCamerasAreTheClipsInTheDeviceRootUnlessTurnedOff) {
  EXPECT_TRUE(AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo).empty());

  installClip("front.mp4");
  auto devices = AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo);
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0]->position(), AVCaptureDevicePositionFront);
  installClip("back.mp4");
  EXPECT_NE(cameraAt(AVCaptureDevicePositionBack), nullptr);
  EXPECT_NE(cameraAt(AVCaptureDevicePositionFront), nullptr);
  EXPECT_TRUE(AVCaptureDevice::devicesWithMediaType(AVMediaTypeAudio).empty());

  std::ofstream(root_.host(std::string(AVCaptureDevice::kCameraFolder) + "off")).put('\n');
  EXPECT_TRUE(AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo).empty());
}

TEST_F(Camera, AnInputForACameraThatHasGoneGivesAnError) {
  installClip("front.mp4");
  auto front = cameraAt(AVCaptureDevicePositionFront);
  std::filesystem::remove(root_.host(front->clipPath()));

  std::shared_ptr<NSError> error;
  auto input = AVCaptureDeviceInput::alloc()->initWithDevice(front, &error);

  EXPECT_EQ(input, nullptr);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->domain(), "AVFoundationErrorDomain");
}

TEST_F(Camera, APreviewShowsTheMovingFeedMirroredForTheFrontCameraWhileTheSessionRuns) {
  installClip("front.mp4");
  installClip("back.mp4");
  auto session = std::make_shared<AVCaptureSession>();
  ASSERT_TRUE(session->canSetSessionPreset(AVCaptureSessionPreset1280x720));
  session->setSessionPreset(AVCaptureSessionPreset1280x720);
  auto input = AVCaptureDeviceInput::alloc()->initWithDevice(cameraAt(AVCaptureDevicePositionFront),
                                                             nullptr);
  ASSERT_TRUE(session->canAddInput(input));
  session->addInput(input);
  auto output = std::make_shared<AVCaptureStillImageOutput>();
  ASSERT_TRUE(session->canAddOutput(output));
  session->addOutput(output);
  auto preview = AVCaptureVideoPreviewLayer::alloc()->initWithSession(session);
  EXPECT_EQ(preview->currentVideoFrame(), nullptr);

  session->startRunning();
  EXPECT_TRUE(session->isRunning());
  EXPECT_EQ(sidesOf(preview->currentVideoFrame()), "red|blue");
  EXPECT_TRUE(preview->isVideoMirrored());
  RunLoop::advance(1.5);
  EXPECT_EQ(sidesOf(preview->currentVideoFrame()), "lime|blue");
  // The clip loops: a camera never ends.
  RunLoop::advance(1.0);
  EXPECT_EQ(sidesOf(preview->currentVideoFrame()), "red|blue");

  // Switching cameras inside a configuration, as a flip button does.
  auto back =
      AVCaptureDeviceInput::alloc()->initWithDevice(cameraAt(AVCaptureDevicePositionBack), nullptr);
  session->beginConfiguration();
  session->removeInput(input);
  EXPECT_TRUE(preview->isVideoMirrored());
  ASSERT_TRUE(session->canAddInput(back));
  session->addInput(back);
  EXPECT_FALSE(session->canAddInput(input));
  session->commitConfiguration();
  EXPECT_FALSE(preview->isVideoMirrored());
  EXPECT_EQ(sidesOf(preview->currentVideoFrame()), "red|blue");

  session->stopRunning();
  EXPECT_FALSE(session->isRunning());
  EXPECT_EQ(preview->currentVideoFrame(), nullptr);
}

}  // namespace
