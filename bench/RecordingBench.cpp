// Recording the screen: how many frames a second the recorder takes and encodes (H.264 at the
// screen's 3x size, or at 1x), against the 30 a second of real time. Three screens: one that does
// not change, one where a single bubble changes each frame, and a list that scrolls each frame,
// which redraws the whole screen. Beside the speed: the processor time of a frame on every thread
// and on the app's alone (what the encoder cannot overlap), and the file's size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "ChatSamples.h"
#include "ScreenRecorder.h"
#include "foundation/Clock.h"
#include "foundation/RunLoop.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIWindow.h"

namespace {

// Seconds of processor time used by the process on every thread (RUSAGE_SELF: on a shared
// machine, what a frame costs whatever else runs) or by this thread alone (RUSAGE_THREAD: the
// app's share of a frame, which the encoder's threads do not overlap).
double processorSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

enum Change { kNothing, kOneBubble, kScrolling };

struct ChatScreen {
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIView> list;
  std::vector<std::shared_ptr<UILabel>> texts;
};

// Twenty message rows with an avatar on every other one, in a list that can scroll.
ChatScreen makeChatScreen() {
  ChatScreen screen;
  screen.window = UIWindow::alloc()->init();
  screen.window->setBackgroundColor(UIColor::systemBackgroundColor());
  screen.list = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 844));
  screen.list->setClipsToBounds(true);
  screen.window->addSubview(screen.list);
  auto avatar = ChatSamples::avatar();
  const auto messages = ChatSamples::messages(20);
  for (int i = 0; i < 20; ++i) {
    const bool incoming = i % 2 == 0;
    auto bubble = UIView::alloc()->initWithFrame(incoming ? CGRectMake(48, 60 + i * 70, 240, 54)
                                                          : CGRectMake(120, 60 + i * 70, 250, 54));
    bubble->setBackgroundColor(incoming ? UIColor::systemBackgroundColor()
                                        : UIColor::colorWithWhite(0.94, 1));
    bubble->layer()->setCornerRadius(22);
    auto text = UILabel::alloc()->initWithFrame(CGRectInset(bubble->bounds(), 15, 6));
    text->setNumberOfLines(0);
    text->setFont(UIFont::systemFontOfSize(17));
    text->setText(messages[static_cast<size_t>(i)].text);
    bubble->addSubview(text);
    screen.list->addSubview(bubble);
    screen.texts.push_back(text);
    if (incoming) {
      auto picture = UIImageView::alloc()->initWithImage(avatar);
      picture->setFrame(CGRectMake(8, 84 + i * 70, 30, 30));
      picture->layer()->setCornerRadius(15);
      picture->setClipsToBounds(true);
      screen.list->addSubview(picture);
    }
  }
  screen.window->makeKeyAndVisible();
  return screen;
}

void BM_Record(benchmark::State& state) {
  const auto change = static_cast<Change>(state.range(0));
  const double scale = static_cast<double>(state.range(1));
  RunLoop::useManualClock();
  ChatScreen screen = makeChatScreen();
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("parlo-record-bench-" + std::to_string(::getpid()) + ".mp4"))
                               .string();
  constexpr int kFrames = 90;  // three seconds of the app's clock
  long frames = 0;
  double seconds = 0, processor = 0, app = 0;
  uintmax_t bytes = 0;
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    const double processorBegin = processorSeconds(RUSAGE_SELF);
    const double appBegin = processorSeconds(RUSAGE_THREAD);
    std::string error;
    auto recorder = sim::ScreenRecorder::open(path, scale, error);
    if (!recorder) {
      state.SkipWithError(error.c_str());
      break;
    }
    for (int i = 0; i < kFrames; ++i) {
      if (change == kOneBubble) {
        screen.texts[3]->setText("Typing… " + std::to_string(i));
      } else if (change == kScrolling) {
        screen.list->setBounds(CGRectMake(0, (i % 60) * 3.0, 390, 844));
      }
      screen.window->layoutIfNeeded();
      recorder->capture(Clock::now());
      RunLoop::advance(1.0 / sim::ScreenRecorder::kFramesPerSecond);
    }
    if (!recorder->finish(Clock::now(), error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    frames += recorder->frames();
    bytes += std::filesystem::file_size(path);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    processor += processorSeconds(RUSAGE_SELF) - processorBegin;
    app += processorSeconds(RUSAGE_THREAD) - appBegin;
  }
  if (seconds > 0) {
    state.counters["frames_per_s"] = static_cast<double>(frames) / seconds;
    state.counters["x_real_time"] =
        static_cast<double>(frames) / sim::ScreenRecorder::kFramesPerSecond / seconds;
    state.counters["cpu_ms_per_frame"] = processor * 1000 / static_cast<double>(frames);
    state.counters["app_cpu_ms_per_frame"] = app * 1000 / static_cast<double>(frames);
    state.counters["kB_per_video_s"] =
        static_cast<double>(bytes) / 1000 /
        (static_cast<double>(frames) / sim::ScreenRecorder::kFramesPerSecond);
  }
  std::error_code error;
  std::filesystem::remove(path, error);
}
BENCHMARK(BM_Record)
    ->ArgNames({"change", "scale"})
    ->Args({kNothing, 3})
    ->Args({kOneBubble, 3})
    ->Args({kScrolling, 3})
    ->Args({kScrolling, 1})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
