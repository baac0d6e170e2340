// A long chat through the add-on's own chat file code: 10,000 ChatDataModel records of everyday
// lengths, encoded to and decoded from the chat archive, and saved and loaded whole through
// ChatStore the way the chat screen does (atomic write included).

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ChatSamples.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatFile.h"
#include "chat/ChatStore.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSPathUtilities.h"

namespace {

constexpr int kRecords = 10000;

// Mostly short texts, some long ones and emoji, a call record now and then.
std::shared_ptr<NSMutableArray> longChat() {
  static const char* const kTexts[] = {
      "ok",
      "hey, are you coming tonight?",
      "lol \U0001F602",
      "I'll be there around eight, traffic permitting \U0001F697",
      "Did you see the photos from the weekend? The one by the lake is my favourite so far",
      "sure",
      "Can we move the call to tomorrow morning? Something came up at work and I need to finish "
      "it before the end of the day. Sorry again, I know we planned this for ages \U0001F64F",
      "\U0001F44D\U0001F3FD",
  };
  auto records = NSMutableArray::arrayWithCapacity(kRecords);
  for (int i = 0; i < kRecords; ++i) {
    if (i % 50 == 49) {
      const std::string time = std::to_string(10 + i % 12) + ":" + std::to_string(10 + i % 50);
      records->addObject(ChatDataModel::alloc()->initWithMessage(
          time, i % 100 == 99 ? "INCOMING-ENDED-CALL" : "OUTGOING-ENDED-CALL", true, false, false));
      continue;
    }
    const bool incoming = (i / 3) % 2 == 1;
    records->addObject(ChatDataModel::alloc()->initWithMessage(kTexts[i % std::size(kTexts)],
                                                               incoming ? "INCOMING" : "OUTGOING",
                                                               false, i % 9 == 0, false));
  }
  return records;
}

void BM_ChatFileEncode(benchmark::State& state) {
  auto records = longChat();
  size_t bytes = 0;
  for (auto _ : state) {
    auto encoded = ChatFile::encode(*records);
    if (!encoded) std::abort();
    bytes = encoded->size();
    benchmark::DoNotOptimize(encoded);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_ChatFileEncode)->Unit(benchmark::kMillisecond);

void BM_ChatFileDecode(benchmark::State& state) {
  const auto bytes = ChatFile::encode(*longChat());
  if (!bytes) std::abort();
  for (auto _ : state) {
    auto records = ChatFile::decode(*bytes);
    if (!records || records->count() != kRecords) std::abort();
    benchmark::DoNotOptimize(records);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ChatFileDecode)->Unit(benchmark::kMillisecond);

void BM_ChatStoreSave(benchmark::State& state) {
  ChatSamples::ScratchDevice device;
  auto records = longChat();
  auto store = ChatStore::storeWithUsername(NSString::string("alice"));
  for (auto _ : state) {
    if (!store->saveChatData(records)) std::abort();
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ChatStoreSave)->Unit(benchmark::kMillisecond);

void BM_ChatStoreLoad(benchmark::State& state) {
  ChatSamples::ScratchDevice device;
  auto store = ChatStore::storeWithUsername(NSString::string("alice"));
  if (!store->saveChatData(longChat())) std::abort();
  for (auto _ : state) {
    auto records = store->loadChatData();
    if (records->count() != kRecords) std::abort();
    benchmark::DoNotOptimize(records);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ChatStoreLoad)->Unit(benchmark::kMillisecond);

}  // namespace
