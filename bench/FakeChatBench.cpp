// The fake chat screen over a chat of 10,000 realistic messages: opening it (load the file,
// measure every row, lay out and render the first frame), and a send (reload and lay out).

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "chat/ChatDataModel.h"
#include "chat/ChatStore.h"
#include "chat/ParloFakeChatViewController.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/RunLoop.h"
#include "render/Renderer.h"
#include "uikit/UIWindow.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMessages = 10000;
constexpr const char* kUser = "bench.user";
constexpr const char* kHome = "/var/mobile/Containers/Data/Application/FAKECHAT-BENCH";

// Mostly short texts, some paragraphs, a few long ones, as people write them; deterministic.
std::shared_ptr<NSMutableArray> chat() {
  static const char* const words[] = {"hey",   "ok",    "see",      "you",    "tonight", "what",
                                      "about", "the",   "rooftop",  "party",  "bring",   "snacks",
                                      "lol",   "café",  "tomorrow", "thanks", "so",      "much",
                                      "😂",     "later", "call",     "me",     "maybe",   "plans?"};
  uint64_t state = 0xc4a7;
  auto next = [&](uint32_t bound) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state >> 33) % bound;
  };
  auto records = NSMutableArray::array();
  for (int i = 0; i < kMessages; ++i) {
    const uint32_t roll = next(100);
    const size_t length = roll < 60 ? 1 + next(40) : roll < 90 ? 40 + next(120) : 160 + next(241);
    std::string text;
    while (text.size() < length) {
      if (!text.empty()) text += ' ';
      text += words[next(std::size(words))];
    }
    const bool incoming = next(2) == 0;
    records->addObject(ChatDataModel::alloc()->initWithMessage(
        text, incoming ? ChatMessageType::Incoming : ChatMessageType::Outgoing, incoming,
        next(20) == 0, false));
  }
  return records;
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
    ChatStore::storeWithUsername(NSString::string(kUser))->saveChatData(chat());
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
  }
  ~Device() { fs::remove_all(root); }

  std::shared_ptr<ParloFakeChatViewController> open() {
    auto screen =
        ParloFakeChatViewController::alloc()->initWithUsername(NSString::string(kUser), nullptr);
    window->setRootViewController(screen);
    window->layoutIfNeeded();
    cairo_surface_destroy(render::renderView(window, 3));
    return screen;
  }

  std::string root;
  std::shared_ptr<UIWindow> window;
};

Device& device() {
  static Device shared;
  return shared;
}

void BM_OpenChat(benchmark::State& state) {
  auto& d = device();
  for (auto _ : state) benchmark::DoNotOptimize(d.open());
}
BENCHMARK(BM_OpenChat)->Unit(benchmark::kMillisecond);

void BM_SendAndLayout(benchmark::State& state) {
  auto& d = device();
  auto screen = d.open();
  const auto text = NSString::string("On my way, see you in ten minutes!");
  for (auto _ : state) {
    screen->sendTextMessageFromSender(text);
    d.window->layoutIfNeeded();
    state.PauseTiming();
    screen->currentMessages()->removeLastObject();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SendAndLayout)->Unit(benchmark::kMicrosecond);

}  // namespace
