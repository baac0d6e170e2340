// The fake chat screen over a chat of 10,000 realistic messages: the memory it holds while open,
// opening it (load the file, measure every row, lay out and draw the first frame with the app's
// renderer) in a process that has measured none of its rows and in one that has, and a send
// (reload and lay out).

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ChatSamples.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatStore.h"
#include "chat/ParloFakeChatViewController.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/RunLoop.h"
#include "render/ScreenRenderer.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIImage.h"
#include "uikit/UIWindow.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMessages = 10000;
constexpr const char* kUser = "bench.user";
constexpr const char* kHome = "/var/mobile/Containers/Data/Application/FAKECHAT-BENCH";

// The chat file is written by a child process, so that the memory of archiving 10,000 records
// does not count in this process's peak: the app only ever reads the file when the screen opens.
void writeChatFile() {
  const pid_t child = fork();
  if (child < 0) abort();
  if (child == 0) {
    auto records = NSMutableArray::array();
    for (auto& record : ChatSamples::records(kMessages)) records->addObject(record);
    _exit(ChatStore::storeWithUsername(NSString::string(kUser))->saveChatData(records) ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    abort();
  }
}

struct Device {
  Device() {
    RunLoop::useManualClock();
    std::string pattern = (fs::temp_directory_path() / "parlo-chatbench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) abort();
    root = pattern;
    DeviceRoot::setPath(root);
    NSSetHomeDirectory(kHome);
    fs::create_directories(fs::path(root) / (std::string(kHome).substr(1) + "/Documents"));
    writeChatFile();
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
    avatar = ChatSamples::avatar();
  }
  ~Device() { fs::remove_all(root); }

  std::shared_ptr<ParloFakeChatViewController> open() {
    auto screen =
        ParloFakeChatViewController::alloc()->initWithUsername(NSString::string(kUser), avatar);
    window->setRootViewController(screen);
    window->layoutIfNeeded();
    renderer.renderFrame();
    return screen;
  }

  // The app never shows two chats at once: the last one closes, and its scroll animation ends
  // and lets it go, before the next opens.
  void close() {
    window->setRootViewController(nullptr);
    RunLoop::advance(1);
  }

  std::string root;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIImage> avatar;
  // Draws frames as the app does, into the one frame it keeps.
  render::ScreenRenderer renderer;
};

Device& device() {
  static Device shared;
  return shared;
}

// A value in kB from /proc/self/status ("VmRSS", "VmHWM"), in MB.
double statusMB(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key + ":", 0) == 0) return std::stod(line.substr(key.size() + 1)) / 1024;
  }
  return 0;
}

double peakMB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024;
}

void reportMemory(benchmark::State& state, double beforeMB) {
  state.counters["rss_before_MB"] = beforeMB;
  state.counters["rss_open_MB"] = statusMB("VmRSS");
  state.counters["peak_MB"] = peakMB();
  // What the text measurement keeps for the chat: whole texts, and the widths of their words.
  state.counters["texts"] = static_cast<double>(NSStringDrawing::measurementCacheCount());
  state.counters["words"] = static_cast<double>(NSStringDrawing::measuredWordCount());
}

// Resident memory with the chat open, as the app has it: the first open in this process, which
// runs before every other benchmark here so that the peak is that of one open.
void BM_ChatMemoryFirstOpen(benchmark::State& state) {
  auto& d = device();
  const double before = statusMB("VmRSS");
  std::shared_ptr<ParloFakeChatViewController> screen;
  for (auto _ : state) screen = d.open();
  reportMemory(state, before);
}
BENCHMARK(BM_ChatMemoryFirstOpen)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_OpenChatCold(benchmark::State& state) {
  auto& d = device();
  for (auto _ : state) {
    state.PauseTiming();
    d.close();
    NSStringDrawing::clearMeasurementCache();
    state.ResumeTiming();
    benchmark::DoNotOptimize(d.open());
  }
}
BENCHMARK(BM_OpenChatCold)->Unit(benchmark::kMillisecond);

void BM_OpenChat(benchmark::State& state) {
  auto& d = device();
  for (auto _ : state) {
    state.PauseTiming();
    d.close();
    state.ResumeTiming();
    benchmark::DoNotOptimize(d.open());
  }
}
BENCHMARK(BM_OpenChat)->Unit(benchmark::kMillisecond);

void BM_SendAndLayout(benchmark::State& state) {
  auto& d = device();
  d.close();
  auto screen = d.open();
  const auto text = NSString::string("On my way, see you in ten minutes!");
  for (auto _ : state) {
    screen->sendTextMessageFromSender(text);
    d.window->layoutIfNeeded();
    state.PauseTiming();
    screen->currentMessages()->removeLastObject();
    RunLoop::advance(1);  // the scroll to the new row ends, as it has before the next send
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SendAndLayout)->Unit(benchmark::kMicrosecond);

// A like fades the whole table into its new look over 0.2 s: the renderer keeps the frame's
// pixels under the table to fade from. Two likes, with the frames drawn as the app draws them.
void BM_ChatMemoryAfterLikes(benchmark::State& state) {
  auto& d = device();
  d.close();
  auto screen = d.open();
  const double before = statusMB("VmRSS");
  for (auto _ : state) {
    for (int like = 0; like < 2; ++like) {
      auto table = screen->tableView();
      UIView::transitionWithView(
          table, 0.2, UIViewAnimationOptionTransitionCrossDissolve,
          [table] { table->reloadData(); }, nullptr);
      for (int frame = 0; frame < 15; ++frame) {
        RunLoop::advance(1.0 / 60);
        d.renderer.renderFrame();
      }
      RunLoop::advance(1);
      d.renderer.renderFrame();
    }
  }
  reportMemory(state, before);
}
BENCHMARK(BM_ChatMemoryAfterLikes)->Iterations(1)->Unit(benchmark::kMillisecond);

// After all the opens above, one chat open again: what closed screens leave behind shows here.
void BM_ChatMemoryAfterReopens(benchmark::State& state) {
  auto& d = device();
  d.close();
  const double before = statusMB("VmRSS");
  std::shared_ptr<ParloFakeChatViewController> screen;
  for (auto _ : state) screen = d.open();
  reportMemory(state, before);
}
BENCHMARK(BM_ChatMemoryAfterReopens)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
