// Video on the call screen: a 720p H.264 clip decoded, scaled and drawn into the 390 x 422-point
// half screen at 3x, one frame per iteration (the whole path the call window takes: the player's
// clock block, the conversion of the visible part, the incremental screen renderer); decoding
// alone beside `ffmpeg -benchmark` decoding the same clip on one thread; and the resident memory
// that a playing 1080p clip adds to the idle app.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "avfoundation/AVPlayer.h"
#include "avfoundation/AVPlayerItem.h"
#include "avfoundation/AVPlayerLayer.h"
#include "avfoundation/VideoDecoder.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSURL.h"
#include "foundation/RunLoop.h"
#include "render/ScreenRenderer.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

namespace {

constexpr double kFrame = 1.0 / 30;

// Clips made once per run in a folder that is the device root.
const std::filesystem::path& folder() {
  static const std::filesystem::path path = [] {
    char pattern[] = "/tmp/parlo-video-bench-XXXXXX";
    std::filesystem::path made = ::mkdtemp(pattern);
    DeviceRoot::setPath(made.string());
    return made;
  }();
  return path;
}

std::string clip(const std::string& size) {
  std::filesystem::path path = folder() / ("clip-" + size + ".mp4");
  if (!std::filesystem::exists(path)) {
    std::string command = "ffmpeg -loglevel error -nostdin -y -f lavfi -i testsrc2=size=" + size +
                          ":rate=30:d=10 -c:v libx264 -pix_fmt yuv420p \"" + path.string() +
                          "\" >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return {};
  }
  return path.string();
}

// The call window's bottom half: a player layer filling a 390 x 422 view, aspect fill.
struct HalfScreen {
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<AVPlayer> player;
  std::shared_ptr<AVPlayerLayer> layer;

  explicit HalfScreen(const std::string& size) {
    RunLoop::useManualClock();
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
    auto half = UIView::alloc()->initWithFrame(CGRectMake(0, 422, 390, 422));
    half->setClipsToBounds(true);
    window->addSubview(half);
    std::string name = std::filesystem::path(clip(size)).filename().string();
    player = AVPlayer::playerWithPlayerItem(
        AVPlayerItem::playerItemWithURL(NSURL::fileURLWithPath("/" + name)));
    layer = AVPlayerLayer::playerLayerWithPlayer(player);
    layer->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
    layer->setFrame(CGRectMake(0, 0, 390, 422));
    half->layer()->addSublayer(layer);
    player->play();
  }
  ~HalfScreen() { window->setHidden(true); }

  // One frame later; the clip starts over at its end.
  void step() {
    RunLoop::advance(kFrame);
    if (player->rate() == 0) {
      player->seekToTime(kCMTimeZero);
      player->play();
    }
  }
};

void BM_DecodeScaleDraw720pIntoHalfScreenAt3x(benchmark::State& state) {
  if (clip("1280x720").empty()) return state.SkipWithError("ffmpeg could not make the clip");
  HalfScreen screen("1280x720");
  render::ScreenRenderer renderer;
  renderer.renderFrame();
  for (auto _ : state) {
    screen.step();
    benchmark::DoNotOptimize(renderer.renderFrame());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeScaleDraw720pIntoHalfScreenAt3x)->Unit(benchmark::kMillisecond);

// Seconds of user time per frame that the ffmpeg command takes to decode the clip on one thread.
double ffmpegSecondsPerFrame(const std::string& path, int frames) {
  std::string command = "ffmpeg -nostdin -benchmark -threads 1 -i \"" + path +
                        "\" -f null - 2>&1 | grep -o 'utime=[0-9.]*'";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return 0;
  double seconds = 0;
  if (std::fscanf(pipe, "utime=%lf", &seconds) != 1) seconds = 0;
  ::pclose(pipe);
  return seconds / frames;
}

void BM_Decode720pBesideTheFFmpegCommand(benchmark::State& state) {
  std::string path = clip("1280x720");
  if (path.empty()) return state.SkipWithError("ffmpeg could not make the clip");
  std::string why;
  auto video = VideoDecoder::openFile(path, why);
  int64_t time = 0;
  std::clock_t start = std::clock();
  for (auto _ : state) {
    if (!video->nextFrameTime()) {
      state.PauseTiming();
      video->seekTo(0);
      time = 0;
      state.ResumeTiming();
    }
    time = *video->nextFrameTime();
    video->advanceTo(time);
  }
  double ours = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC /
                static_cast<double>(state.iterations());
  double command = ffmpegSecondsPerFrame(path, 300);
  state.counters["ffmpeg_ms_per_frame"] = command * 1000;
  state.counters["cpu_ratio_to_ffmpeg"] = command > 0 ? ours / command : 0;
}
BENCHMARK(BM_Decode720pBesideTheFFmpegCommand)->Unit(benchmark::kMillisecond);

double residentMegabytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * ::sysconf(_SC_PAGESIZE) / (1 << 20);
}

void BM_ResidentMemoryPlaying1080p(benchmark::State& state) {
  if (clip("1920x1080").empty()) return state.SkipWithError("ffmpeg could not make the clip");
  for (auto _ : state) {
    // The idle app: a screen drawn, nothing playing.
    RunLoop::useManualClock();
    auto window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
    render::ScreenRenderer renderer;
    renderer.renderFrame();
    double idle = residentMegabytes();
    double most = idle;
    {
      HalfScreen screen("1920x1080");
      for (int i = 0; i < 150; ++i) {
        screen.step();
        renderer.renderFrame();
        most = std::max(most, residentMegabytes());
      }
    }
    window->setHidden(true);
    state.counters["idle_MB"] = idle;
    state.counters["playing_MB_above_idle"] = most - idle;
  }
}
BENCHMARK(BM_ResidentMemoryPlaying1080p)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
