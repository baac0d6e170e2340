#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "TemporaryDeviceRoot.h"
#include "TestClips.h"
#include "avfoundation/AVPlayer.h"
#include "avfoundation/AVPlayerItem.h"
#include "avfoundation/AVPlayerLayer.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSURL.h"
#include "foundation/RunLoop.h"

namespace {

using testsupport::ClipFormat;
using testsupport::everyClipFormat;

struct Colour {
  int red, green, blue;
};
constexpr Colour kRed{255, 0, 0}, kLime{0, 255, 0}, kBlue{0, 0, 255};

// The colour at the middle of a frame, converted as the renderer converts it.
::testing::AssertionResult showsColour(const std::shared_ptr<const VideoFrame>& frame,
                                       Colour expected) {
  if (!frame) return ::testing::AssertionFailure() << "no frame";
  CGSize size = frame->naturalSize();
  auto image = frame->imageOf(CGRectMake(0, 0, size.width, size.height), 16, 12);
  if (!image) return ::testing::AssertionFailure() << "no image";
  const uint8_t* p = image->pixels.get() + 6 * image->stride + 8 * 4;
  Colour got{p[2], p[1], p[0]};
  // Colours go through YUV and a lossy codec.
  constexpr int kTolerance = 40;
  if (std::abs(got.red - expected.red) <= kTolerance &&
      std::abs(got.green - expected.green) <= kTolerance &&
      std::abs(got.blue - expected.blue) <= kTolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "frame at " << frame->time() / 1e9 << " s is (" << got.red << ", " << got.green << ", "
         << got.blue << "), expected (" << expected.red << ", " << expected.green << ", "
         << expected.blue << ")";
}

class Player : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::haveFFmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
    RunLoop::useManualClock();
  }

  // A clip of red, lime and blue seconds in the device root's Documents folder.
  std::string makeColourClip(const ClipFormat& format, const std::string& name = "clip") {
    std::string devicePath = "/Documents/" + name + format.extension;
    std::filesystem::create_directories(root_.host("/Documents"));
    EXPECT_TRUE(testsupport::makeClip(root_.host(devicePath), {"red", "lime", "blue"}, format));
    return devicePath;
  }

  std::shared_ptr<AVPlayer> playerFor(const std::string& devicePath) {
    return AVPlayer::playerWithPlayerItem(
        AVPlayerItem::playerItemWithURL(NSURL::fileURLWithPath(devicePath)));
  }

  // A file of the tests' own data, copied into the Documents folder; its device path.
  std::string copyTestData(const std::string& name) {
    std::ifstream in(std::string(PARLO_AVFOUNDATION_TEST_DATA "/") + name, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_FALSE(bytes.empty()) << name;
    std::filesystem::create_directories(root_.host("/Documents"));
    std::ofstream(root_.host("/Documents/" + name), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return "/Documents/" + name;
  }

  testsupport::TemporaryDeviceRoot root_;
};

TEST_F(Player, ShowsTheFrameDueAtTheClockTimeInEveryContainer) {
  for (const ClipFormat& format : testsupport::everyClipFormat()) {
    SCOPED_TRACE(format.extension);
    auto player = playerFor(makeColourClip(format));
    auto layer = AVPlayerLayer::playerLayerWithPlayer(player);
    ASSERT_EQ(player->currentItem()->status(), AVPlayerItemStatusReadyToPlay);

    player->play();
    EXPECT_TRUE(showsColour(layer->currentVideoFrame(), kRed));
    RunLoop::advance(1.0);
    EXPECT_TRUE(showsColour(layer->currentVideoFrame(), kLime));
    RunLoop::advance(1.5);
    EXPECT_TRUE(showsColour(layer->currentVideoFrame(), kBlue));

    EXPECT_NEAR(CMTimeGetSeconds(player->currentTime()), 2.5, 1e-9);
    EXPECT_NEAR(CMTimeGetSeconds(player->currentItem()->duration()), 3.0, 0.15);
    EXPECT_EQ(player->currentItem()->presentationSize(), CGSizeMake(64, 48));
    player->pause();
  }
}

TEST_F(Player, PostsTheEndOnceAndPlaysAgainAfterASeekToZero) {
  auto player = playerFor(makeColourClip(everyClipFormat().front()));
  int ends = 0;
  auto token = NSNotificationCenter::defaultCenter()->addObserverForName(
      AVPlayerItemDidPlayToEndTimeNotification, player->currentItem(), dispatch_get_main_queue(),
      [&](const std::shared_ptr<NSNotification>&) { ++ends; });

  player->play();
  RunLoop::advance(2.95);
  EXPECT_EQ(ends, 0);
  RunLoop::advance(0.1);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(player->rate(), 0);
  RunLoop::advance(5);
  player->play();
  RunLoop::advance(5);
  EXPECT_EQ(ends, 1);

  player->seekToTime(kCMTimeZero);
  EXPECT_TRUE(showsColour(player->currentItem()->currentFrame(), kRed));
  EXPECT_EQ(CMTimeGetSeconds(player->currentTime()), 0);
  player->play();
  RunLoop::advance(1.2);
  EXPECT_TRUE(showsColour(player->currentItem()->currentFrame(), kLime));
  RunLoop::advance(2);
  EXPECT_EQ(ends, 2);
  NSNotificationCenter::defaultCenter()->removeObserver(token);
}

TEST_F(Player, PauseHoldsTheFrameAndSeekingBackAndForthShowsTheFrameThere) {
  auto player = playerFor(makeColourClip(everyClipFormat().front()));
  auto item = player->currentItem();

  player->play();
  RunLoop::advance(0.5);
  player->pause();
  RunLoop::advance(2);
  EXPECT_TRUE(showsColour(item->currentFrame(), kRed));
  EXPECT_NEAR(CMTimeGetSeconds(item->currentTime()), 0.5, 1e-9);

  player->seekToTime(CMTimeMakeWithSeconds(2.2, 600));
  EXPECT_TRUE(showsColour(item->currentFrame(), kBlue));
  player->seekToTime(CMTimeMake(1, 1));
  EXPECT_TRUE(showsColour(item->currentFrame(), kLime));
}

TEST_F(Player, AsksItsLayersToDisplayOnlyWhenTheFrameChanges) {
  auto player = playerFor(makeColourClip(everyClipFormat().front()));
  auto layer = AVPlayerLayer::playerLayerWithPlayer(player);
  int displays = 0;
  CALayer::setDisplayObserver([&](const CALayer& shown) {
    if (&shown == layer.get()) ++displays;
  });

  player->play();
  RunLoop::advance(1.0);
  int playing = displays;
  player->pause();
  RunLoop::advance(1.0);
  CALayer::setDisplayObserver(nullptr);

  // Ten frames a second: one display for each frame after the first.
  EXPECT_EQ(playing, 10);
  EXPECT_EQ(displays, playing);
}

// Files that cannot play: the item fails with one log line saying why, and nothing plays.
TEST_F(Player, DamagedFilesFailCleanlyWithOneLogLine) {
  std::filesystem::create_directories(root_.host("/Documents"));
  std::string good = makeColourClip(everyClipFormat().front(), "good");
  std::ifstream in(root_.host(good), std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  auto write = [&](const std::string& name, const std::vector<char>& content) {
    std::ofstream(root_.host("/Documents/" + name), std::ios::binary)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
    return "/Documents/" + name;
  };
  auto text = [](const std::string& content) {
    return std::vector<char>(content.begin(), content.end());
  };
  std::vector<char> garbage(100000);
  uint32_t state = 12345;
  for (char& c : garbage) c = static_cast<char>((state = state * 1103515245 + 12345) >> 24);
  std::vector<char> corrupt = bytes;
  for (size_t i = 32; i < corrupt.size(); i += 7) corrupt[i] = static_cast<char>(~corrupt[i]);
  std::string silent =
      "ffmpeg -loglevel error -nostdin -y -f lavfi -i sine=duration=1 -c:a aac \"" +
      root_.host("/Documents/silent.m4a").string() + "\" >/dev/null 2>&1";
  ASSERT_EQ(std::system(silent.c_str()), 0);
  std::string fifo = "/Documents/fifo.mp4";
  ASSERT_EQ(::mkfifo(root_.host(fifo).c_str(), 0600), 0);

  struct Case {
    std::string path;
    std::string why;
  };
  const std::vector<Case> cases{
      {"/Documents/missing.mp4", "No such file"},
      {write("empty.mp4", {}), "empty"},
      {write("garbage.mp4", garbage), ""},
      // The index sits at the end of the file, so the first half has none.
      {write("truncated.mp4", std::vector<char>(bytes.begin(), bytes.begin() + bytes.size() / 2)),
       ""},
      {write("corrupt.mp4", corrupt), ""},
      {"/Documents/silent.m4a", "no video track"},
      // Containers that name other files must not reach them, even a movie that would play.
      {write("list.m3u8", text("#EXTM3U\n#EXT-X-TARGETDURATION:3\n#EXTINF:3,\n" +
                               root_.host(good).string() + "\n#EXT-X-ENDLIST\n")),
       ""},
      {write("script.ffconcat",
             text("ffconcat version 1.0\nfile " + root_.host(good).string() + "\n")),
       ""},
      {fifo, "not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ::testing::internal::CaptureStderr();
    auto player = playerFor(c.path);
    player->play();
    RunLoop::advance(4);
    std::string log = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(player->currentItem()->status(), AVPlayerItemStatusFailed);
    EXPECT_NE(player->currentItem()->error(), nullptr);
    EXPECT_EQ(player->currentItem()->currentFrame(), nullptr);
    EXPECT_EQ(player->rate(), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("AVPlayerItem: cannot play " + c.path + ": "), std::string::npos) << log;
    EXPECT_NE(log.find(c.why), std::string::npos) << log;
  }
}

// A few kilobytes of H.264 (found by fuzzing) whose stream turns from 32 x 32 pictures to ones of
// 16380 x 8758: probing it cleared some 200 MB for each large picture before any size was checked.
// Only the pictures within the decoder's limit are shown.
TEST_F(Player, AStreamAnnouncingHugePicturesShowsOnlyThoseWithinTheLimit) {
  auto player = playerFor(copyTestData("huge-picture.h264"));
  player->play();
  for (int step = 0; step < 20; ++step) {
    RunLoop::advance(0.25);
    if (auto frame = player->currentItem()->currentFrame()) {
      EXPECT_LE(frame->naturalSize().width * frame->naturalSize().height, 8192.0 * 4320);
    }
  }
  EXPECT_NE(player->currentItem()->status(), AVPlayerItemStatusUnknown);
}

// A stream that turns midway to pictures 112000 pixels wide but only 124 high passes the area
// limit; such pictures are refused before they are made, and the others still play.
TEST_F(Player, AStreamTurningToPicturesWiderThanAnyScreenShowsOnlyTheOthers) {
  auto player = playerFor(copyTestData("wide-picture.h264"));
  player->play();
  int shown = 0;
  // Small steps: the wide pictures are a few among many.
  for (int step = 0; step < 800; ++step) {
    RunLoop::advance(0.01);
    if (auto frame = player->currentItem()->currentFrame()) {
      ++shown;
      EXPECT_LE(frame->pixelWidth(), 8192);
      EXPECT_LE(frame->pixelHeight(), 8192);
    }
  }
  EXPECT_GT(shown, 0);
}

// A file whose index is at its start but whose end is missing plays the frames it has, then says
// that it stopped early and ends as a whole file does.
TEST_F(Player, AFileCutShortPlaysWhatItHasThenEndsWithOneLogLine) {
  std::filesystem::create_directories(root_.host("/Documents"));
  ASSERT_TRUE(testsupport::makeClip(root_.host("/Documents/whole.mp4"), {"red", "lime", "blue"},
                                    everyClipFormat().front(), "320x240", 10,
                                    "-movflags +faststart -x264-params keyint=1"));
  std::ifstream in(root_.host("/Documents/whole.mp4"), std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  std::ofstream(root_.host("/Documents/cut.mp4"), std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size() * 3 / 4));
  auto player = playerFor("/Documents/cut.mp4");
  int ends = 0;
  auto token = NSNotificationCenter::defaultCenter()->addObserverForName(
      AVPlayerItemDidPlayToEndTimeNotification, player->currentItem(), dispatch_get_main_queue(),
      [&](const std::shared_ptr<NSNotification>&) { ++ends; });

  ::testing::internal::CaptureStderr();
  player->play();
  RunLoop::advance(1.2);
  EXPECT_TRUE(showsColour(player->currentItem()->currentFrame(), kLime));
  RunLoop::advance(4);
  std::string log = ::testing::internal::GetCapturedStderr();

  EXPECT_EQ(ends, 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  EXPECT_NE(log.find("the video stops early"), std::string::npos) << log;
  NSNotificationCenter::defaultCenter()->removeObserver(token);
}

TEST(CMTime, ComparesAcrossTimescalesAndConvertsToSeconds) {
  EXPECT_EQ(CMTimeCompare(CMTimeMake(1, 2), CMTimeMake(300, 600)), 0);
  EXPECT_EQ(CMTimeCompare(CMTimeMake(1, 3), CMTimeMake(1, 2)), -1);
  EXPECT_EQ(CMTimeCompare(kCMTimeZero, kCMTimeInvalid), 1);
  EXPECT_EQ(CMTimeGetSeconds(CMTimeMakeWithSeconds(2.5, 600)), 2.5);
  EXPECT_TRUE(std::isnan(CMTimeGetSeconds(kCMTimeIndefinite)));
  EXPECT_FALSE(CMTIME_IS_VALID(CMTimeMake(1, 0)));
}

}  // namespace

// Frames drawn at their own size go through swscale's unscaled converters, which work in groups
// of pixels; widths that are no multiple of the group must still fill their last columns.
TEST_F(Player, FramesAtTheirOwnSizeFillEveryColumn) {
  for (const char* size : {"1170x64", "90x48", "64x48"}) {
    SCOPED_TRACE(size);
    const std::string devicePath = std::string("/Documents/wide-") + size + ".mp4";
    std::filesystem::create_directories(root_.host("/Documents"));
    ASSERT_TRUE(
        testsupport::makeClip(root_.host(devicePath), {"lime"}, everyClipFormat().front(), size));
    auto player = playerFor(devicePath);
    auto frame = player->currentItem()->currentFrame();
    ASSERT_TRUE(frame);
    const int width = frame->pixelWidth(), height = frame->pixelHeight();
    auto image = frame->imageOf(
        CGRectMake(0, 0, frame->naturalSize().width, frame->naturalSize().height), width, height);
    ASSERT_TRUE(image);
    int dark = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = width - 16; x < width; ++x) {
        dark += image->pixels[static_cast<size_t>(y * image->stride + x * 4 + 1)] < 200;
      }
    }
    EXPECT_EQ(dark, 0) << "of the last 16 columns' pixels are not lime";
  }
}
