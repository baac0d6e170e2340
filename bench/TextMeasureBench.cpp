// Measuring a long chat's messages as a table reload does: every row's text at one width, once
// with an empty measurement cache and once with it filled.

#include <benchmark/benchmark.h>

#include <cfloat>
#include <vector>

#include "ChatSamples.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "uikit/NSAttributedString.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIFont.h"

namespace {

constexpr int kMessages = 10000;
constexpr CGFloat kBubbleTextWidth = 250;

std::vector<std::shared_ptr<NSString>> chatMessages() {
  std::vector<std::shared_ptr<NSString>> messages;
  messages.reserve(kMessages);
  for (auto& message : ChatSamples::messages(kMessages)) {
    messages.push_back(NSString::string(message.text));
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
  state.counters["words"] = static_cast<double>(NSStringDrawing::measuredWordCount());
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
