#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "TemporaryDeviceRoot.h"
#include "TestClips.h"
#include "avfoundation/AVCaptureDevice.h"
#include "avfoundation/AVCaptureDeviceInput.h"
#include "avfoundation/AVCaptureSession.h"
#include "avfoundation/AVCaptureVideoPreviewLayer.h"
#include "avfoundation/AVPlayer.h"
#include "avfoundation/AVPlayerItem.h"
#include "avfoundation/AVPlayerLayer.h"
#include "foundation/NSURL.h"
#include "foundation/RunLoop.h"
#include "render/ImageComparison.h"
#include "render/Renderer.h"
#include "render/ScreenRenderer.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

namespace {

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

constexpr render::RenderOptions kOneX{1, {390, 844}};

// The name of the strongest channel at a point, or "white" / "black".
std::string colourAt(cairo_surface_t* surface, int x, int y) {
  cairo_surface_flush(surface);
  const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                                      y * cairo_image_surface_get_stride(surface));
  uint32_t p = row[x];
  int r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
  if (r > 200 && g > 200 && b > 200) return "white";
  if (r < 60 && g < 60 && b < 60) return "black";
  if (r > g && r > b) return g > 100 ? "pink" : "red";
  if (b > r && b > g) return "blue";
  return g > r ? "lime" : "mixed";
}

class VideoLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::haveFFmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
    RunLoop::useManualClock();
    UIScreen::mainScreen()->setUserInterfaceStyle(UIUserInterfaceStyleLight);
    window_ = UIWindow::alloc()->init();
    window_->setBackgroundColor(UIColor::whiteColor());
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    if (window_) window_->setHidden(true);
  }

  // A 4:3 clip, red on the left and blue on the right, for two seconds (lime on the left in the
  // second).
  std::string makeSplitClip(const std::string& devicePath) {
    auto host = root_.host(devicePath);
    std::filesystem::create_directories(host.parent_path());
    EXPECT_TRUE(testsupport::makeClip(host, {"red|blue", "lime|blue"},
                                      testsupport::everyClipFormat().front()));
    return devicePath;
  }

  // A player layer showing the clip, in a view at (0, 0) of 200 x 100 points.
  std::shared_ptr<AVPlayerLayer> showPlayerLayer() {
    auto player = AVPlayer::playerWithPlayerItem(
        AVPlayerItem::playerItemWithURL(NSURL::fileURLWithPath(makeSplitClip("/Documents/a.mp4"))));
    auto layer = AVPlayerLayer::playerLayerWithPlayer(player);
    layer->setFrame(CGRectMake(0, 0, 200, 100));
    window_->layer()->addSublayer(layer);
    return layer;
  }

  testsupport::TemporaryDeviceRoot root_;
  std::shared_ptr<UIWindow> window_;
};

TEST_F(VideoLayer, GravityPlacesTheVideoAndMasksToBoundsCutsWhatOverflows) {
  auto layer = showPlayerLayer();
  struct Case {
    AVLayerVideoGravity gravity;
    bool masks;
    // Probes along the middle row and below the layer.
    std::string at10, at40, at160, at190, below;
  };
  const Case cases[] = {
      {AVLayerVideoGravityResize, false, "red", "red", "blue", "blue", "white"},
      // 133 x 100 in the middle: white bars on both sides.
      {AVLayerVideoGravityResizeAspect, false, "white", "red", "blue", "white", "white"},
      // 200 x 150: the top and bottom 25 points overflow.
      {AVLayerVideoGravityResizeAspectFill, false, "red", "red", "blue", "blue", "red"},
      {AVLayerVideoGravityResizeAspectFill, true, "red", "red", "blue", "blue", "white"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gravity + (c.masks ? " masked" : ""));
    layer->setVideoGravity(c.gravity);
    layer->setMasksToBounds(c.masks);

    Surface picture(render::renderScreen(kOneX), cairo_surface_destroy);

    EXPECT_EQ(colourAt(picture.get(), 10, 50), c.at10);
    EXPECT_EQ(colourAt(picture.get(), 40, 50), c.at40);
    EXPECT_EQ(colourAt(picture.get(), 160, 50), c.at160);
    EXPECT_EQ(colourAt(picture.get(), 190, 50), c.at190);
    EXPECT_EQ(colourAt(picture.get(), 10, 115), c.below);
  }
}

TEST_F(VideoLayer, CornerRadiusClipsTheVideoAndAlphaBlendsIt) {
  auto layer = showPlayerLayer();
  layer->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
  layer->setCornerRadius(30);
  layer->setMasksToBounds(true);
  layer->setOpacity(0.5);

  Surface picture(render::renderScreen(kOneX), cairo_surface_destroy);

  EXPECT_EQ(colourAt(picture.get(), 3, 3), "white");
  EXPECT_EQ(colourAt(picture.get(), 196, 96), "white");
  EXPECT_EQ(colourAt(picture.get(), 30, 50), "pink");
  EXPECT_EQ(colourAt(picture.get(), 10, 110), "white");
}

TEST_F(VideoLayer, ANewFrameRedrawsOnlyTheVideoLayersRectangle) {
  auto layer = showPlayerLayer();
  layer->setFrame(CGRectMake(50, 300, 200, 100));
  layer->setVideoGravity(AVLayerVideoGravityResize);
  render::ScreenRenderer renderer(kOneX);
  renderer.renderFrame();

  layer->player()->play();
  RunLoop::advance(1.05);
  auto redrawn = renderer.renderFrame();

  ASSERT_EQ(redrawn.size(), 1u);
  EXPECT_TRUE(CGRectContainsRect(redrawn[0], CGRectMake(50, 300, 200, 100)));
  EXPECT_TRUE(CGRectContainsRect(CGRectInset(CGRectMake(50, 300, 200, 100), -2, -2), redrawn[0]));
  EXPECT_EQ(colourAt(renderer.surface(), 60, 350), "lime");
  Surface full(render::renderScreen(kOneX), cairo_surface_destroy);
  EXPECT_EQ(render::compareImages(renderer.surface(), full.get(), 0).differingPixels, 0);
}

TEST_F(VideoLayer, AVideoThatGoesClearsAllItCoveredBeyondItsLayer) {
  auto layer = showPlayerLayer();
  layer->setFrame(CGRectMake(50, 300, 200, 100));
  layer->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
  render::ScreenRenderer renderer(kOneX);
  renderer.renderFrame();
  ASSERT_EQ(colourAt(renderer.surface(), 60, 285), "red");

  layer->setPlayer(nullptr);
  renderer.renderFrame();

  EXPECT_EQ(colourAt(renderer.surface(), 60, 285), "white");
  EXPECT_EQ(colourAt(renderer.surface(), 60, 350), "white");
}

TEST_F(VideoLayer, TheFrontCamerasPreviewIsMirroredAndTheBackCamerasIsNot) {
  std::string folder = AVCaptureDevice::kCameraFolder;
  makeSplitClip(folder + "front.mp4");
  makeSplitClip(folder + "back.mp4");
  for (auto position : {AVCaptureDevicePositionFront, AVCaptureDevicePositionBack}) {
    SCOPED_TRACE(position);
    std::shared_ptr<AVCaptureDevice> camera;
    for (const auto& device : AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo)) {
      if (device->position() == position) camera = device;
    }
    auto session = std::make_shared<AVCaptureSession>();
    session->addInput(AVCaptureDeviceInput::alloc()->initWithDevice(camera, nullptr));
    auto preview = AVCaptureVideoPreviewLayer::alloc()->initWithSession(session);
    preview->setFrame(CGRectMake(0, 0, 200, 150));
    window_->layer()->addSublayer(preview);
    session->startRunning();

    Surface picture(render::renderScreen(kOneX), cairo_surface_destroy);
    preview->removeFromSuperlayer();
    session->stopRunning();

    bool front = position == AVCaptureDevicePositionFront;
    EXPECT_EQ(colourAt(picture.get(), 20, 75), front ? "blue" : "red");
    EXPECT_EQ(colourAt(picture.get(), 180, 75), front ? "red" : "blue");
  }
}

// Pictures to look at: the front camera's preview in the top half of the screen, in both
// appearances, as the call screen shows it.
TEST_F(VideoLayer, SnapshotsOfTheCameraPreviewInLightAndDark) {
  auto clip = root_.host(std::string(AVCaptureDevice::kCameraFolder) + "front.mp4");
  std::filesystem::create_directories(clip.parent_path());
  std::string command =
      "ffmpeg -loglevel error -nostdin -y -f lavfi -i testsrc2=size=360x640:rate=30:d=2 "
      "-c:v libx264 -pix_fmt yuv420p \"" +
      clip.string() + "\" >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  window_->setBackgroundColor(UIColor::systemBackgroundColor());
  auto half = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 422));
  half->setBackgroundColor(UIColor::secondarySystemBackgroundColor());
  window_->addSubview(half);
  auto session = std::make_shared<AVCaptureSession>();
  session->addInput(AVCaptureDeviceInput::alloc()->initWithDevice(
      AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo), nullptr));
  auto preview = AVCaptureVideoPreviewLayer::alloc()->initWithSession(session);
  preview->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
  preview->setFrame(CGRectMake(20, 40, 160, 240));
  preview->setCornerRadius(16);
  preview->setMasksToBounds(true);
  half->layer()->addSublayer(preview);
  session->startRunning();
  RunLoop::advance(0.5);

  std::filesystem::create_directories(PARLO_RENDER_OUTPUT);
  for (auto style : {UIUserInterfaceStyleLight, UIUserInterfaceStyleDark}) {
    UIScreen::mainScreen()->setUserInterfaceStyle(style);
    std::string name = style == UIUserInterfaceStyleDark ? "dark" : "light";
    ASSERT_TRUE(render::writeScreenPNG(std::string(PARLO_RENDER_OUTPUT) + "/camera-preview-" +
                                       name + ".png"));
  }
  UIScreen::mainScreen()->setUserInterfaceStyle(UIUserInterfaceStyleLight);
}

}  // namespace
