// Measuring a long chat's messages as a table reload does: every row's text at one width, once
// with an empty measurement cache and once with it filled.

#include <benchmark/benchmark.h>

#include <cfloat>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "uikit/NSAttributedString.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIFont.h"

namespace {

constexpr int kMessages = 10000;
constexpr CGFloat kBubbleTextWidth = 250;

// Deterministic, so every run measures the same chat.
class Random {
 public:
  uint32_t next(uint32_t bound) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state_ >> 33) % bound;
  }

 private:
  uint64_t state_ = 0x5eed;
};

// Mostly short messages, some paragraphs, a few long ones; one in eight has emoji.
std::vector<std::shared_ptr<NSString>> chatMessages() {
  static const std::vector<std::string> words = {
      "hey",     "ok",      "see",        "you",     "tonight",  "what",  "about",
      "the",     "rooftop", "party",      "bring",   "snacks",   "lol",   "really",
      "I",       "can't",   "believe",    "that",    "happened", "again", "tomorrow",
      "morning", "coffee",  "sounds",     "good",    "miss",     "you",   "haha",
      "where",   "are",     "we",         "meeting", "running",  "late",  "sorry!",
      "amazing", "photo",   "thanks",     "so",      "much",     "café",  "naïve",
      "weekend", "plans?",  "definitely", "maybe",   "later",    "call",  "me"};
  static const std::vector<std::string> emoji = {"😂", "❤️", "👍🏽", "🔥",
                                                 "🎉", "🙏",      "😅",        "👨‍👩‍👧"};
  Random random;
  std::vector<std::shared_ptr<NSString>> messages;
  messages.reserve(kMessages);
  for (int i = 0; i < kMessages; ++i) {
    uint32_t roll = random.next(100);
    size_t length = roll < 60   ? 1 + random.next(40)
                    : roll < 90 ? 40 + random.next(120)
                                : 160 + random.next(241);
    bool withEmoji = random.next(8) == 0;
    std::string text;
    while (text.size() < length) {
      if (!text.empty()) text += ' ';
      text += withEmoji && random.next(5) == 0 ? emoji[random.next(emoji.size())]
                                               : words[random.next(words.size())];
    }
    messages.push_back(NSString::string(text));
  }
  return messages;
}

void measureAll(const std::vector<std::shared_ptr<NSString>>& messages,
                const std::shared_ptr<NSDictionary>& attributes) {
  for (const auto& message : messages) {
    CGRect rect =
        NSStringDrawing::boundingRectWithSize(*message, CGSizeMake(kBubbleTextWidth, FLT_MAX),
                                              NSStringDrawingUsesLineFragmentOrigin, attributes);
    benchmark::DoNotOptimize(rect);
  }
}

std::shared_ptr<NSDictionary> bubbleAttributes() {
  auto attributes = NSMutableDictionary::dictionary();
  attributes->setObject(UIFont::systemFontOfSize(16), NSFontAttributeName);
  return attributes;
}

void BM_MeasureChatCold(benchmark::State& state) {
  auto messages = chatMessages();
  auto attributes = bubbleAttributes();
  measureAll(messages, attributes);  // fonts and fallback fonts loaded once, as in a running app
  for (auto _ : state) {
    state.PauseTiming();
    NSStringDrawing::clearMeasurementCache();
    state.ResumeTiming();
    measureAll(messages, attributes);
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_MeasureChatCold)->Unit(benchmark::kMillisecond);

void BM_MeasureChatWarm(benchmark::State& state) {
  auto messages = chatMessages();
  auto attributes = bubbleAttributes();
  NSStringDrawing::clearMeasurementCache();
  measureAll(messages, attributes);
  for (auto _ : state) measureAll(messages, attributes);
  state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_MeasureChatWarm)->Unit(benchmark::kMillisecond);

}  // namespace
