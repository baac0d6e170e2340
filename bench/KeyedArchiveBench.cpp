// A long chat as a keyed archive: 10,000 records (two strings, three flags) in a mutable array,
// archived and unarchived by our coders, beside libplist reading and writing the same bytes as
// plain property-list nodes (no objects made), which bounds what the binary format costs.

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ArchiveRecords.h"
#include "foundation/NSArray.h"
#include "foundation/NSCoder.h"
#include "foundation/NSData.h"
#include "foundation/NSKeyedArchiver.h"
#include "foundation/NSKeyedUnarchiver.h"
#include "foundation/NSString.h"
#include "foundation/PropertyList.h"

namespace {

constexpr int kRecords = 10000;

// Texts of everyday length, some with emoji (stored as UTF-16 in the binary form); the type
// strings are shared, as the chat's constant strings are.
std::shared_ptr<NSMutableArray> chat() {
  static const char* const kTexts[] = {
      "hey, are you coming tonight?",
      "I'll be there around eight, traffic permitting \U0001F697",
      "Did you see the photos from the weekend? The one by the lake is my favourite so far",
      "ok",
      "Haha that's amazing \U0001F602\U0001F602 send me the video when you get a chance",
      "Can we move the call to tomorrow morning? Something came up at work and I need to finish "
      "it before the end of the day.",
  };
  const std::shared_ptr<NSString> types[] = {NSString::string("OUTGOING"),
                                             NSString::string("INCOMING")};
  auto records = NSMutableArray::arrayWithCapacity(kRecords);
  for (int i = 0; i < kRecords; ++i) {
    records->addObject(testsupport::TestChatMessage::make(
        NSString::string(std::string(kTexts[i % std::size(kTexts)]) + " #" + std::to_string(i)),
        types[i % 2], i % 2 == 1, i % 7 == 0, false));
  }
  return records;
}

const std::vector<uint8_t>& archiveBytes() {
  static const std::vector<uint8_t> bytes = [] {
    auto data = NSKeyedArchiver::archivedDataWithRootObject(chat(), true, nullptr);
    if (!data) std::abort();
    return data->vector();
  }();
  return bytes;
}

void BM_KeyedArchiverEncode(benchmark::State& state) {
  auto records = chat();
  for (auto _ : state) {
    auto data = NSKeyedArchiver::archivedDataWithRootObject(records, true, nullptr);
    benchmark::DoNotOptimize(data);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["bytes"] = double(archiveBytes().size());
}
BENCHMARK(BM_KeyedArchiverEncode)->Unit(benchmark::kMillisecond);

void BM_KeyedUnarchiverDecode(benchmark::State& state) {
  const auto& bytes = archiveBytes();
  const std::vector<Class> classes = {NSMutableArray::classObject(),
                                      testsupport::TestChatMessage::classObject()};
  for (auto _ : state) {
    id records = NSKeyedUnarchiver::unarchivedObjectOfClasses(classes, bytes, nullptr);
    if (!records) std::abort();
    benchmark::DoNotOptimize(records);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_KeyedUnarchiverDecode)->Unit(benchmark::kMillisecond);

// The share of decoding that is reading the property list.
void BM_PropertyListReadBinary(benchmark::State& state) {
  const auto& bytes = archiveBytes();
  for (auto _ : state) {
    auto value = plist::readBinary(bytes);
    if (!value) std::abort();
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_PropertyListReadBinary)->Unit(benchmark::kMillisecond);

void BM_LibplistFromBin(benchmark::State& state) {
  const auto& bytes = archiveBytes();
  for (auto _ : state) {
    plist_t root = nullptr;
    plist_from_bin(reinterpret_cast<const char*>(bytes.data()), uint32_t(bytes.size()), &root);
    if (!root) std::abort();
    plist_free(root);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_LibplistFromBin)->Unit(benchmark::kMillisecond);

void BM_LibplistToBin(benchmark::State& state) {
  const auto& bytes = archiveBytes();
  plist_t root = nullptr;
  plist_from_bin(reinterpret_cast<const char*>(bytes.data()), uint32_t(bytes.size()), &root);
  if (!root) std::abort();
  for (auto _ : state) {
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &out, &length);
    benchmark::DoNotOptimize(out);
    plist_to_bin_free(out);
  }
  plist_free(root);
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_LibplistToBin)->Unit(benchmark::kMillisecond);

}  // namespace
