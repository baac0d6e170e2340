#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ScreenRecorder.h"
#include "TemporaryDirectory.h"
#include "foundation/Clock.h"
#include "foundation/RunLoop.h"
#include "quartz/UIColor.h"
#include "uikit/UIWindow.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

using testsupport::TemporaryDirectory;

struct Colour {
  int red, green, blue;
};

// The frames of a recording, decoded by FFmpeg as any player would.
class DecodedVideo {
 public:
  explicit DecodedVideo(const std::string& path) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return;
    avformat_find_stream_info(format, nullptr);
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    AVCodecContext* decoder = stream >= 0 ? avcodec_alloc_context3(codec) : nullptr;
    if (decoder && avcodec_parameters_to_context(decoder, format->streams[stream]->codecpar) >= 0 &&
        avcodec_open2(decoder, codec, nullptr) >= 0) {
      AVPacket* packet = av_packet_alloc();
      while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == stream) take(decoder, packet);
        av_packet_unref(packet);
      }
      take(decoder, nullptr);
      av_packet_free(&packet);
    }
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
  }
  ~DecodedVideo() {
    for (AVFrame*& frame : frames_) av_frame_free(&frame);
  }
  DecodedVideo(const DecodedVideo&) = delete;
  DecodedVideo& operator=(const DecodedVideo&) = delete;

  size_t size() const { return frames_.size(); }
  int width() const { return frames_.empty() ? 0 : frames_[0]->width; }

  // The colour of frame `index` at device pixel (x, y), back in RGB (BT.601, limited range).
  Colour at(size_t index, int x, int y) const {
    const AVFrame* frame = frames_.at(index);
    const double luma = 1.164 * (frame->data[0][y * frame->linesize[0] + x] - 16);
    const int cb = frame->data[1][y / 2 * frame->linesize[1] + x / 2] - 128;
    const int cr = frame->data[2][y / 2 * frame->linesize[2] + x / 2] - 128;
    const auto clamp = [](double v) { return std::clamp(static_cast<int>(v + 0.5), 0, 255); };
    return {clamp(luma + 1.596 * cr), clamp(luma - 0.392 * cb - 0.813 * cr),
            clamp(luma + 2.017 * cb)};
  }

 private:
  void take(AVCodecContext* decoder, const AVPacket* packet) {
    if (avcodec_send_packet(decoder, packet) < 0) return;
    AVFrame* frame = av_frame_alloc();
    while (avcodec_receive_frame(decoder, frame) >= 0) {
      frames_.push_back(av_frame_clone(frame));
      av_frame_unref(frame);
    }
    av_frame_free(&frame);
  }

  std::vector<AVFrame*> frames_;
};

::testing::AssertionResult near(Colour seen, Colour wanted) {
  const int off = std::max({std::abs(seen.red - wanted.red), std::abs(seen.green - wanted.green),
                            std::abs(seen.blue - wanted.blue)});
  if (off <= 12) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "saw (" << seen.red << ", " << seen.green << ", " << seen.blue << "), wanted ("
         << wanted.red << ", " << wanted.green << ", " << wanted.blue << ")";
}

constexpr Colour kWhite{255, 255, 255}, kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 160, 0};

std::shared_ptr<UIView> square(CGRect frame, const std::shared_ptr<UIColor>& colour) {
  auto view = UIView::alloc()->initWithFrame(frame);
  view->setBackgroundColor(colour);
  return view;
}

}  // namespace

// The first frame is the whole screen in one piece; later ones carry only the rectangles that
// changed, each converted on its own and put back at its place. A rectangle that starts on an odd
// pixel, or runs past the video's edge (cut to an even width at 1.5x), must land where it was
// drawn, with its colour, and leave the rest of the picture as it was.
TEST(ScreenRecorder, ChangedRectanglesLandInPlaceAndTheRestOfThePictureStays) {
  for (const double scale : {3.0, 1.5}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    RunLoop::useManualClock();
    TemporaryDirectory folder("parlo-recorder");
    const std::string path = (folder / "changes.mp4").string();
    auto window = UIWindow::alloc()->init();
    window->setBackgroundColor(UIColor::whiteColor());
    window->addSubview(
        square(CGRectMake(20, 100, 60, 60), UIColor::colorWithRed(0, 160 / 255.0, 0, 1)));
    window->makeKeyAndVisible();

    std::string error;
    auto recorder = sim::ScreenRecorder::open(path, scale, error);
    ASSERT_TRUE(recorder) << error;
    const double step = 1.0 / sim::ScreenRecorder::kFramesPerSecond;
    recorder->capture(Clock::now());
    RunLoop::advance(step);
    auto red = square(CGRectMake(101.3, 203.7, 31, 21), UIColor::redColor());
    window->addSubview(red);
    window->addSubview(square(CGRectMake(372.5, 600, 40, 40), UIColor::blueColor()));
    window->layoutIfNeeded();
    recorder->capture(Clock::now());
    RunLoop::advance(step);
    red->removeFromSuperview();
    window->layoutIfNeeded();
    recorder->capture(Clock::now());
    RunLoop::advance(step);
    ASSERT_TRUE(recorder->finish(Clock::now(), error)) << error;
    window->setHidden(true);

    DecodedVideo video(path);
    ASSERT_EQ(video.size(), 3u);
    const auto px = [&](double points) { return static_cast<int>(points * scale); };
    const int right = video.width() - 2;  // the blue square's last pixels in the video
    struct Probe {
      const char* what;
      size_t frame;
      double x, y;
      Colour colour;
    };
    const Probe probes[] = {
        {"the first frame's square", 0, 50, 130, kGreen},
        {"where the red square comes", 0, 116, 214, kWhite},
        {"the red square", 1, 116, 214, kRed},
        {"the red square's first column", 1, 102.5, 214, kRed},
        {"left of the red square", 1, 99, 214, kWhite},
        {"below the red square", 1, 116, 227, kWhite},
        {"the green square, unchanged", 1, 50, 130, kGreen},
        {"the red square, gone", 2, 116, 214, kWhite},
        {"the green square, still", 2, 50, 130, kGreen},
    };
    for (const Probe& probe : probes) {
      EXPECT_TRUE(near(video.at(probe.frame, px(probe.x), px(probe.y)), probe.colour))
          << probe.what << " in frame " << probe.frame;
    }
    for (size_t frame : {1u, 2u}) {
      EXPECT_TRUE(near(video.at(frame, right, px(620)), kBlue))
          << "the blue square at the video's right edge in frame " << frame;
      EXPECT_TRUE(near(video.at(frame, px(370), px(620)), kWhite))
          << "left of the blue square in frame " << frame;
    }
  }
}

// A converter is kept for each size of rectangle, in caches that are emptied when full: a run
// whose changes keep taking new sizes, small and screen-sized, must convert each with a converter
// of its own size, before and after the caches empty.
TEST(ScreenRecorder, ChangesOfEverNewSizesAreEachConvertedWhole) {
  RunLoop::useManualClock();
  TemporaryDirectory folder("parlo-recorder");
  const std::string path = (folder / "sizes.mp4").string();
  auto window = UIWindow::alloc()->init();
  window->setBackgroundColor(UIColor::whiteColor());
  auto small = square(CGRectMake(20, 100, 20, 20), UIColor::redColor());
  auto large = square(CGRectMake(0, 300, 390, 300), UIColor::blueColor());
  window->addSubview(small);
  window->addSubview(large);
  window->makeKeyAndVisible();

  std::string error;
  auto recorder = sim::ScreenRecorder::open(path, 3, error);
  ASSERT_TRUE(recorder) << error;
  constexpr int kFrames = 72;
  for (int i = 0; i < kFrames; ++i) {
    small->setFrame(CGRectMake(20, 100, 20 + i, 20 + i));
    small->setBackgroundColor(i % 2 ? UIColor::blueColor() : UIColor::redColor());
    large->setFrame(CGRectMake(0, 300, 390, 300 + (i % 7) * 10));
    large->setBackgroundColor(i % 2 ? UIColor::redColor() : UIColor::blueColor());
    window->layoutIfNeeded();
    recorder->capture(Clock::now());
    RunLoop::advance(1.0 / sim::ScreenRecorder::kFramesPerSecond);
  }
  ASSERT_TRUE(recorder->finish(Clock::now(), error)) << error;
  window->setHidden(true);

  DecodedVideo video(path);
  ASSERT_EQ(video.size(), static_cast<size_t>(kFrames));
  for (int i = 0; i < kFrames; ++i) {
    const int corner = 3 * (20 + i);  // the small square's last pixels, right and bottom
    EXPECT_TRUE(near(video.at(i, 3 * 20 + corner - 4, 3 * 100 + corner - 4), i % 2 ? kBlue : kRed))
        << "the small square in frame " << i;
    EXPECT_TRUE(near(video.at(i, 600, 3 * (300 + 290 + (i % 7) * 10)), i % 2 ? kRed : kBlue))
        << "the large one's bottom in frame " << i;
  }
}
