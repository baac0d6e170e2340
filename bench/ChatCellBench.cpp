// Row heights of a long chat as the chat table asks for them on every reload: 10,000 realistic
// messages measured at one width through ChatRowHeights, once with the text measurement cache
// empty and once with it filled; and one layout pass of a message cell.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "chat/ChatDataModel.h"
#include "chat/ChatRowHeights.h"
#include "chat/IncomingChatCell.h"
#include "foundation/NSString.h"
#include "uikit/NSStringDrawing.h"

namespace {

constexpr int kMessages = 10000;
constexpr CGFloat kViewWidth = 390;

// Deterministic, so every run measures the same chat.
class Random {
 public:
  uint32_t next(uint32_t bound) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state_ >> 33) % bound;
  }

 private:
  uint64_t state_ = 0xc4a7;
};

// Mostly short texts, some paragraphs, a few long ones; one in eight has emoji; a few likes.
std::vector<std::shared_ptr<ChatDataModel>> chat() {
  static const std::vector<std::string> words = {
      "hey",    "ok",      "see",     "you",   "tonight", "what",    "about", "the",     "rooftop",
      "party",  "bring",   "snacks",  "lol",   "really",  "I",       "can't", "believe", "that",
      "again",  "morning", "coffee",  "good",  "miss",    "haha",    "where", "are",     "we",
      "late",   "sorry!",  "amazing", "photo", "thanks",  "so",      "much",  "café",    "naïve",
      "plans?", "maybe",   "later",   "call",  "me",      "tomorrow"};
  static const std::vector<std::string> emoji = {"😂", "❤️", "👍🏽", "🔥", "🎉", "🙏", "😅"};
  Random random;
  std::vector<std::shared_ptr<ChatDataModel>> records;
  records.reserve(kMessages);
  for (int i = 0; i < kMessages; ++i) {
    const uint32_t roll = random.next(100);
    const size_t length = roll < 60   ? 1 + random.next(40)
                          : roll < 90 ? 40 + random.next(120)
                                      : 160 + random.next(241);
    const bool withEmoji = random.next(8) == 0;
    std::string text;
    while (text.size() < length) {
      if (!text.empty()) text += ' ';
      text += withEmoji && random.next(5) == 0 ? emoji[random.next(emoji.size())]
                                               : words[random.next(words.size())];
    }
    const bool incoming = random.next(2) == 0;
    records.push_back(ChatDataModel::alloc()->initWithMessage(
        text, incoming ? ChatMessageType::Incoming : ChatMessageType::Outgoing, incoming,
        random.next(10) == 0, false));
  }
  return records;
}

CGFloat heights(const std::vector<std::shared_ptr<ChatDataModel>>& records) {
  CGFloat total = 0;
  for (const auto& record : records) total += ChatRowHeights::heightForRecord(*record, kViewWidth);
  return total;
}

void BM_ChatRowHeightsCold(benchmark::State& state) {
  const auto records = chat();
  heights(records);  // fonts and fallback fonts loaded once, as in a running app
  for (auto _ : state) {
    state.PauseTiming();
    NSStringDrawing::clearMeasurementCache();
    state.ResumeTiming();
    benchmark::DoNotOptimize(heights(records));
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_ChatRowHeightsCold)->Unit(benchmark::kMillisecond);

void BM_ChatRowHeightsWarm(benchmark::State& state) {
  const auto records = chat();
  NSStringDrawing::clearMeasurementCache();
  heights(records);
  for (auto _ : state) benchmark::DoNotOptimize(heights(records));
  state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_ChatRowHeightsWarm)->Unit(benchmark::kMillisecond);

// One cell laid out again for a new text, as a reused cell is.
void BM_IncomingCellLayoutPass(benchmark::State& state) {
  const auto records = chat();
  auto cell = IncomingChatCell::alloc()->initWithStyle(UITableViewCellStyleDefault, "IncomingCell");
  cell->setFrame(CGRectMake(0, 0, kViewWidth, 80));
  size_t next = 0;
  for (auto _ : state) {
    cell->textLabel()->setText(records[next++ % records.size()]->message);
    cell->setNeedsLayout();
    cell->layoutIfNeeded();
  }
}
BENCHMARK(BM_IncomingCellLayoutPass)->Unit(benchmark::kMicrosecond);

}  // namespace
