#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ScreenTouches.h"
#include "TemporaryDeviceRoot.h"
#include "TemporaryDirectory.h"
#include "TestClips.h"
#include "TestImages.h"
#include "ThreadScreenTest.h"
#include "avfoundation/AVPlayerItem.h"
#include "call/FakeCallWindow.h"
#include "foundation/Clock.h"
#include "foundation/NSData.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSTimeZone.h"
#include "foundation/RunLoop.h"
#include "render/Renderer.h"
#include "settings/SettingManager.h"
#include "uikit/UIApplication.h"
#include "uikit/UITapGestureRecognizer.h"

namespace {

// The app beneath the call: a screen-filling view that counts the taps it gets.
class TappedView : public UIView {
  OBJC_CLASS(TappedView, UIView);

 public:
  void tapped() { ++taps; }
  int taps = 0;
};

class CallLog : public CallWindowDelegate {
 public:
  void finishedWithFakeCall() override { ++finishes; }
  void didMinimiseCallWindow() override { ++minimises; }
  void didMaximiseCallWindow() override { ++maximises; }
  int finishes = 0, minimises = 0, maximises = 0;
};

}  // namespace

OBJC_CLASS_IMPL(TappedView) {
  c.method("tapped", &TappedView::tapped);
}

namespace {

namespace fs = std::filesystem;
using testsupport::onScreen;
using testsupport::screenCentre;

constexpr CGFloat kWidth = 390, kHeight = 844;
constexpr const char* kHome = "/var/mobile/Containers/Data/Application/CALLWINDOW-TEST";

void tap(CGPoint point) {
  testsupport::tapAt(point, 0.05);
}

void tapCentre(const std::shared_ptr<UIView>& view) {
  tap(screenCentre(view));
  RunLoop::advance(0.5);
}

std::string iconOf(const std::shared_ptr<ActionButton>& button) {
  auto image = button->icon()->image();
  return image ? image->sourceName() : "";
}

std::string text(const std::shared_ptr<UILabel>& label) {
  return label->text() ? label->text()->utf8() : "";
}

// The cameras' clips and the other side's video, made once: red in front, blue at the back, and
// two seconds of the other side.
class CallClips {
 public:
  static const CallClips& shared() {
    static const CallClips clips;
    return clips;
  }
  fs::path front() const { return folder_.path() / "front.mp4"; }
  fs::path back() const { return folder_.path() / "back.mp4"; }
  fs::path video() const { return folder_.path() / "video.mp4"; }
  bool made() const { return made_; }

 private:
  CallClips() : folder_("parlo-callclips") {
    const testsupport::ClipFormat mp4{".mp4", "-c:v libx264 -pix_fmt yuv420p"};
    made_ = testsupport::haveFFmpeg() && testsupport::makeClip(front(), {"red"}, mp4) &&
            testsupport::makeClip(back(), {"blue"}, mp4) &&
            testsupport::makeClip(video(), {"lime", "yellow"}, mp4);
  }
  testsupport::TemporaryDirectory folder_;
  bool made_ = false;
};

class CallWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    device_.installEveryBuiltAsset(testsupport::ScaleVariant::No);
    fs::create_directories(documents());
    const auto& clips = CallClips::shared();
    if (clips.made()) {
      const fs::path cameras = device_.host(AVCaptureDevice::kCameraFolder);
      fs::create_directories(cameras);
      fs::copy_file(clips.front(), cameras / "front.mp4");
      fs::copy_file(clips.back(), cameras / "back.mp4");
      fs::copy_file(clips.video(), documents() / "fakecall-video.mp4");
    }
    // The user's picture as the settings screen stores it, and the other side's.
    SettingManager::sharedInstance()->setObject(
        NSData::dataWithBytes(testsupport::solidPNG(120, 120, 0.2, 0.45, 0.9)), "profileAvatar");
    avatar = UIImage::imageWithData(
        NSData::dataWithBytes(testsupport::solidPNG(120, 120, 0.95, 0.55, 0.25)));
    app = TappedView::alloc();
    app->initWithFrame(CGRectMake(0, 0, kWidth, kHeight));
    app->addGestureRecognizer(UITapGestureRecognizer::alloc()->initWithTarget(app, "tapped"));
    host = UIWindow::alloc()->init();
    host->addSubview(app);
    host->makeKeyAndVisible();
  }

  void TearDown() override {
    UIApplication::sharedApplication()->cancelAllTouches();
    call.reset();
    // A call left running would lie over the next test's screen.
    if (auto left = FakeCallWindow::current()) left->hideWithAnimation(false);
    RunLoop::advance(10);
    host->setHidden(true);
    UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleUnspecified);
  }

  fs::path documents() const { return device_.host(std::string(kHome) + "/Documents"); }

  void start(bool incoming = false) {
    call = FakeCallWindow::alloc()->initWithUsername(NSString::string("maya.lindqvist"), avatar,
                                                     incoming);
    call->setDelegate(log);
    call->showWithAnimation(true);
    call->layoutIfNeeded();
  }

  // Calling, then joined after the default delay.
  void startJoined() {
    start();
    RunLoop::advance(5.1);
    call->layoutIfNeeded();
  }

  static bool needClips() { return CallClips::shared().made(); }

  void snapshot(const std::string& name) {
    const char* dir = getenv("PARLO_CALL_SNAPSHOTS");
    if (!dir) return;
    fs::create_directories(dir);
    for (auto style : {UIUserInterfaceStyleLight, UIUserInterfaceStyleDark}) {
      UIApplication::sharedApplication()->setUserInterfaceStyle(style);
      RunLoop::advance(0.02);
      const std::string file =
          name + (style == UIUserInterfaceStyleDark ? "-dark.png" : "-light.png");
      EXPECT_TRUE(render::writeScreenPNG((fs::path(dir) / file).string()));
    }
    UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleUnspecified);
  }

  // First, so that it outlives the views.
  testsupport::TemporaryDeviceRoot device_{"parlo-callwindow", kHome};
  std::shared_ptr<UIImage> avatar;
  std::shared_ptr<TappedView> app;
  std::shared_ptr<UIWindow> host;
  std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
  std::shared_ptr<FakeCallWindow> call;
};

// ---- The window and its layout ----

TEST_F(CallWindow, LiesJustBelowAlertsOverTheScreenWithTheHalvesAndControlsInPlace) {
  startJoined();

  EXPECT_EQ(call->windowLevel(), UIWindowLevelAlert - 1);
  EXPECT_TRUE(call->isKeyWindow());
  EXPECT_EQ(FakeCallWindow::current(), call);
  ASSERT_TRUE(call->profileAvatar());
  EXPECT_EQ(call->callerContainerView()->avatarImage()->image(), call->profileAvatar());
  testsupport::expectFrameNear(onScreen(call->baseView()), CGRectMake(0, 0, kWidth, kHeight),
                               "base");
  testsupport::expectFrameNear(onScreen(call->callerContainerView()),
                               CGRectMake(0, 0, kWidth, kHeight / 2), "top");
  testsupport::expectFrameNear(onScreen(call->recipientContainerView()),
                               CGRectMake(0, kHeight / 2, kWidth, kHeight / 2), "bottom");
  testsupport::expectFrameNear(onScreen(call->cameraView()), CGRectMake(0, 0, kWidth, kHeight / 2),
                               "camera");
  testsupport::expectFrameNear(onScreen(call->videoView()),
                               CGRectMake(0, kHeight / 2, kWidth, kHeight / 2), "video");
  // Each control 40 points square on the bar's bottom edge, 90 from the top.
  const struct {
    std::shared_ptr<ActionButton> button;
    CGFloat x;
    const char* name;
  } controls[] = {
      {call->minimiseBtn(), 30, "minimise"},
      {call->facetimeBtn(), 100, "camera"},
      {call->microphoneBtn(), kWidth / 2 - 20, "microphone"},
      {call->volumeBtn(), kWidth / 2 + 20 + 30, "speaker"},
      {call->rotateBtn(), kWidth / 2 + 20 + 30, "flip"},
      {call->dismissBtn(), kWidth - 30 - 40, "hang-up"},
  };
  for (const auto& control : controls) {
    testsupport::expectFrameNear(onScreen(control.button), CGRectMake(control.x, 50, 40, 40),
                                 control.name);
  }
  testsupport::expectFrameNear(onScreen(call->filterImage()),
                               CGRectMake(20, kHeight / 2 - 77.5, 42.9, 155), "filter");
  testsupport::expectFrameNear(onScreen(call->mediaImage()),
                               CGRectMake(kWidth - 25 - 110.29, kHeight - 120 + 5, 110.29, 62),
                               "media");
}

TEST_F(CallWindow, AnOutgoingCallShowsCallingUntilTheStoredJoinDelayOrFiveSeconds) {
  struct Case {
    const char* name;
    bool store;
    int64_t stored;
    double delay;
  };
  const Case cases[] = {
      {"nothing stored", false, 0, 5},
      {"a stored zero", true, 0, 5},
      {"a stored delay", true, 3, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.store) SettingManager::sharedInstance()->setFloat(c.stored, "joinCallDelay");
    start();
    EXPECT_EQ(text(call->beginCallView()->callLabel()), "Calling...");
    EXPECT_EQ(call->beginCallView()->alpha(), 1.0);
    EXPECT_EQ(call->topBar()->alpha(), 1.0);

    RunLoop::advance(c.delay - 0.01);
    EXPECT_FALSE(call->hasJoined());
    EXPECT_EQ(call->recipientContainerView()->alpha(), 0);

    RunLoop::advance(0.02);
    EXPECT_TRUE(call->hasJoined());
    EXPECT_EQ(call->beginCallView()->alpha(), 0);
    EXPECT_EQ(call->callerContainerView()->alpha(), 1.0);
    EXPECT_EQ(call->recipientContainerView()->alpha(), 1.0);
    EXPECT_EQ(call->bottomBar()->alpha(), 1.0);
    call->setHidden(true);
  }
}

TEST_F(CallWindow, AnIncomingCallStartsJoinedWithoutACallingPage) {
  start(true);

  EXPECT_TRUE(call->isIncomingCall());
  EXPECT_FALSE(call->beginCallView());
  EXPECT_TRUE(call->hasJoined());
  EXPECT_EQ(call->recipientContainerView()->alpha(), 1.0);
}

TEST_F(CallWindow, HangingUpWhileCallingShowsTheEndPageAndTheLateJoinChangesNothing) {
  start();
  RunLoop::advance(2);
  snapshot("call-calling");

  tapCentre(call->dismissBtn());
  RunLoop::advance(5);

  EXPECT_FALSE(call->hasJoined());
  EXPECT_EQ(call->endCallView()->alpha(), 1.0);
  EXPECT_EQ(call->beginCallView()->alpha(), 0);
  EXPECT_EQ(call->callerContainerView()->alpha(), 0);
  EXPECT_EQ(call->recipientContainerView()->alpha(), 0);
  EXPECT_EQ(call->bottomBar()->alpha(), 0);
  EXPECT_EQ(text(call->endCallView()->durationLabel()), "00:02");
}

// ---- The controls ----

TEST_F(CallWindow, EachTapOnAControlActsOnceAndTheCameraSwapsTheSpeakerForTheFlip) {
  if (!needClips()) GTEST_SKIP() << "no ffmpeg to make the camera clips";
  startJoined();

  tapCentre(call->microphoneBtn());
  EXPECT_EQ(iconOf(call->microphoneBtn()), "microphone-disabled.png");
  tapCentre(call->volumeBtn());
  EXPECT_EQ(iconOf(call->volumeBtn()), "volume-disabled.png");
  tapCentre(call->microphoneBtn());
  tapCentre(call->volumeBtn());
  EXPECT_EQ(iconOf(call->microphoneBtn()), "microphone.png");
  EXPECT_EQ(iconOf(call->volumeBtn()), "volume.png");

  tapCentre(call->facetimeBtn());
  EXPECT_TRUE(call->isCameraOn());
  EXPECT_TRUE(call->captureSession()->isRunning());
  EXPECT_EQ(iconOf(call->facetimeBtn()), "facetime-on.png");
  EXPECT_EQ(call->cameraView()->alpha(), 1.0);
  EXPECT_EQ(call->filterImage()->alpha(), 1.0);
  EXPECT_EQ(call->volumeBtn()->alpha(), 0);
  EXPECT_FALSE(call->volumeBtn()->isEnabled());
  EXPECT_EQ(call->rotateBtn()->alpha(), 1.0);
  EXPECT_TRUE(call->rotateBtn()->isEnabled());
  EXPECT_TRUE(call->captureVideoPreviewLayer()->currentVideoFrame());
  snapshot("call-camera-on");

  // The flip lies where the speaker was: the tap there turns the camera, and mutes nothing.
  EXPECT_EQ(call->captureDeviceInput()->device()->position(), AVCaptureDevicePositionFront);
  tapCentre(call->rotateBtn());
  EXPECT_EQ(call->captureDeviceInput()->device()->position(), AVCaptureDevicePositionBack);
  EXPECT_EQ(iconOf(call->volumeBtn()), "volume.png");
  tapCentre(call->rotateBtn());
  EXPECT_EQ(call->captureDeviceInput()->device()->position(), AVCaptureDevicePositionFront);
  EXPECT_EQ(call->captureSession()->inputs().size(), 1u);

  tapCentre(call->facetimeBtn());
  EXPECT_FALSE(call->isCameraOn());
  EXPECT_FALSE(call->captureSession()->isRunning());
  EXPECT_EQ(iconOf(call->facetimeBtn()), "facetime-off.png");
  EXPECT_EQ(call->cameraView()->alpha(), 0);
  EXPECT_EQ(call->filterImage()->alpha(), 0);
  EXPECT_EQ(call->volumeBtn()->alpha(), 1.0);
  EXPECT_TRUE(call->volumeBtn()->isEnabled());
  EXPECT_EQ(call->rotateBtn()->alpha(), 0);
  EXPECT_FALSE(call->rotateBtn()->isEnabled());
}

TEST_F(CallWindow, WithoutCamerasTheCameraButtonStillSwitchesTheControlsAndTheFlipDoesNothing) {
  if (!needClips()) GTEST_SKIP() << "no ffmpeg to make the camera clips";
  fs::remove_all(device_.host(AVCaptureDevice::kCameraFolder));
  startJoined();
  EXPECT_FALSE(call->captureDeviceInput());
  EXPECT_FALSE(call->captureVideoPreviewLayer());

  tapCentre(call->facetimeBtn());
  tapCentre(call->rotateBtn());

  EXPECT_TRUE(call->isCameraOn());
  EXPECT_EQ(call->filterImage()->alpha(), 1.0);
  EXPECT_EQ(call->rotateBtn()->alpha(), 1.0);
  EXPECT_FALSE(call->captureDeviceInput());
}

// ---- The other side's video ----

TEST_F(CallWindow, ATapOnTheOtherSidesPicturePlaysTheirVideoWhichRewindsAndHidesAtItsEnd) {
  if (!needClips()) GTEST_SKIP() << "no ffmpeg to make the video";
  startJoined();
  EXPECT_EQ(call->videoView()->alpha(), 0);

  tapCentre(call->recipientContainerView()->avatarImage());
  EXPECT_EQ(call->videoView()->alpha(), 1.0);
  EXPECT_EQ(call->recipientPlayer()->rate(), 1.0f);
  EXPECT_TRUE(call->recipientPlayerLayer()->currentVideoFrame());
  snapshot("call-video-playing");

  RunLoop::advance(2);
  EXPECT_EQ(call->videoView()->alpha(), 0);
  EXPECT_NEAR(CMTimeGetSeconds(call->recipientPlayer()->currentTime()), 0, 0.01);

  tapCentre(call->recipientContainerView()->avatarImage());
  EXPECT_EQ(call->videoView()->alpha(), 1.0);
  EXPECT_EQ(call->recipientPlayer()->rate(), 1.0f);
}

TEST_F(CallWindow, AnotherPlayersEndDoesNotHideTheCallsVideo) {
  if (!needClips()) GTEST_SKIP() << "no ffmpeg to make the video";
  startJoined();
  tapCentre(call->recipientContainerView()->avatarImage());

  NSNotificationCenter::defaultCenter()->postNotificationName(
      AVPlayerItemDidPlayToEndTimeNotification, NSString::string("another item"));

  EXPECT_EQ(call->videoView()->alpha(), 1.0);
}

// ---- Hanging up ----

TEST_F(CallWindow, TheEndPageShowsTheDurationInMinutesOrHours) {
  const struct {
    int seconds;
    const char* shown;
  } cases[] = {{0, "00:00"},    {5, "00:05"},       {59, "00:59"},      {60, "01:00"},
               {3599, "59:59"}, {3600, "01:00:00"}, {3725, "01:02:05"}, {86399, "23:59:59"}};
  for (const auto& c : cases) {
    EXPECT_EQ(FakeCallWindow::timeFormatted(c.seconds)->utf8(), c.shown) << c.seconds;
  }

  startJoined();
  RunLoop::advance(3725 - 5.1);
  tapCentre(call->dismissBtn());
  EXPECT_EQ(text(call->endCallView()->durationLabel()), "01:02:05");
}

TEST_F(CallWindow, ACallAcrossMidnightCountsOnIntoTheNewDay) {
  const char* zone = getenv("TZ");
  const std::string previous = zone ? zone : "";
  setenv("TZ", "UTC", 1);
  NSTimeZone::resetSystemTimeZone();
  // The manual clock starts at 09:41:00 UTC; on to 23:59:58.
  RunLoop::advance(14 * 3600 + 18 * 60 + 58);

  startJoined();
  EXPECT_EQ(call->startTime()->utf8(), "23:59:58");
  call->dismissPressed();

  EXPECT_EQ(call->endTime()->utf8(), "00:00:03");
  EXPECT_EQ(text(call->endCallView()->durationLabel()), "00:05");
  if (zone) {
    setenv("TZ", previous.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  NSTimeZone::resetSystemTimeZone();
}

TEST_F(CallWindow, ClosingTheEndPageStopsEverythingTellsTheOwnerOnceAndFreesTheWindowAfterItsFade) {
  if (!needClips()) GTEST_SKIP() << "no ffmpeg to make the clips";
  startJoined();
  tapCentre(call->facetimeBtn());
  tapCentre(call->recipientContainerView()->avatarImage());
  RunLoop::advance(3);
  tapCentre(call->dismissBtn());
  EXPECT_FALSE(call->captureSession()->isRunning());
  EXPECT_EQ(call->recipientPlayer()->rate(), 0.0f);
  RunLoop::advance(1.5);
  snapshot("call-end-page");

  auto session = call->captureSession();
  auto player = call->recipientPlayer();
  std::weak_ptr<FakeCallWindow> weak = call;
  tap(screenCentre(call->endCallView()->dismissBtn()));
  EXPECT_EQ(log->finishes, 1);
  call.reset();
  // Still fading, held by the process-wide reference.
  EXPECT_FALSE(weak.expired());
  RunLoop::advance(0.5);

  EXPECT_TRUE(weak.expired());
  EXPECT_FALSE(FakeCallWindow::current());
  EXPECT_FALSE(session->isRunning());
  EXPECT_EQ(player->rate(), 0.0f);
  // Nothing of the call hears the video's end any more.
  NSNotificationCenter::defaultCenter()->postNotificationName(
      AVPlayerItemDidPlayToEndTimeNotification, player->currentItem());
  // The app beneath takes touches again.
  tap(CGPointMake(200, 400));
  EXPECT_EQ(app->taps, 1);
}

TEST_F(CallWindow, AWindowMadeWhileTheLastOneFadesKeepsTheProcessReference) {
  start(true);
  call->finishedWithFakeCall();
  std::weak_ptr<FakeCallWindow> fading = call;
  call.reset();

  start(true);
  RunLoop::advance(1);

  EXPECT_TRUE(fading.expired());
  EXPECT_EQ(FakeCallWindow::current(), call);
}

// ---- Minimised ----

TEST_F(CallWindow, MinimisedTheCallIsATileThatLetsOtherTouchesThroughAndATapOnItMaximises) {
  startJoined();
  EXPECT_TRUE(call->pointInside(CGPointMake(5, 800), nullptr));

  tapCentre(call->minimiseBtn());
  call->layoutIfNeeded();

  EXPECT_EQ(log->minimises, 1);
  const CGRect tile = CGRectMake(kWidth - 10 - 110, 110, 110, 200);
  testsupport::expectFrameNear(onScreen(call->baseView()), tile, "tile");
  EXPECT_EQ(call->baseView()->layer()->cornerRadius(), 10);
  EXPECT_EQ(call->baseView()->layer()->borderWidth(), 0.4);
  testsupport::expectFrameNear(onScreen(call->callerContainerView()),
                               CGRectMake(tile.origin.x, 110, 110, 100), "top half");
  testsupport::expectFrameNear(onScreen(call->recipientContainerView()),
                               CGRectMake(tile.origin.x, 210, 110, 100), "bottom half");
  EXPECT_EQ(call->topBar()->alpha(), 0);
  EXPECT_EQ(call->bottomBar()->alpha(), 0);
  EXPECT_FALSE(call->pointInside(CGPointMake(100, 400), nullptr));
  EXPECT_TRUE(call->pointInside(CGPointMake(320, 200), nullptr));

  tap(CGPointMake(100, 400));
  tap(CGPointMake(200, 700));
  EXPECT_EQ(app->taps, 2);

  tapCentre(call->baseView());
  call->layoutIfNeeded();
  EXPECT_EQ(log->maximises, 1);
  EXPECT_EQ(app->taps, 2);
  testsupport::expectFrameNear(onScreen(call->baseView()), CGRectMake(0, 0, kWidth, kHeight),
                               "maximised");
  testsupport::expectFrameNear(onScreen(call->recipientContainerView()),
                               CGRectMake(0, kHeight / 2, kWidth, kHeight / 2),
                               "bottom half again");
  EXPECT_EQ(call->baseView()->layer()->borderWidth(), 0);
  EXPECT_EQ(call->topBar()->alpha(), 1.0);
  // A tap on the maximised call no longer maximises.
  tap(CGPointMake(200, 300));
  EXPECT_EQ(log->maximises, 1);
}

}  // namespace
