// Row heights of a long chat as the chat table asks for them on every reload: 10,000 realistic
// messages measured at one width through ChatRowHeights, once with the text measurement cache
// empty and once with it filled; and one layout pass of a message cell.

#include <benchmark/benchmark.h>

#include <vector>

#include "ChatSamples.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatRowHeights.h"
#include "chat/IncomingChatCell.h"
#include "foundation/NSString.h"
#include "uikit/NSStringDrawing.h"

namespace {

constexpr int kMessages = 10000;
constexpr CGFloat kViewWidth = 390;

std::vector<std::shared_ptr<ChatDataModel>> chat() {
  return ChatSamples::records(kMessages);
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
  state.counters["words"] = static_cast<double>(NSStringDrawing::measuredWordCount());
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
