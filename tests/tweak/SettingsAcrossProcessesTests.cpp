#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Sanitizers.h"
#include "TemporaryDeviceRoot.h"
#include "foundation/DeviceRoot.h"
#include "foundation/PropertyList.h"
#include "settings/SettingManager.h"

namespace fs = std::filesystem;

namespace {

const char* const kHome = "/var/mobile/Containers/Data/Application/SETTINGS-PROCESSES";
constexpr int kWriters = 4;
constexpr int kWritesEach = testsupport::kSanitized ? 100 : 500;

std::string key(int writer, int i) {
  return "w" + std::to_string(writer) + "-" + std::to_string(i);
}

}  // namespace

// Four processes each set 500 keys of their own while a fifth keeps reading the file.
TEST(SettingsAcrossProcesses, NoWriteIsLostAndAReaderOnlyEverSeesAWholeFile) {
  testsupport::TemporaryDeviceRoot device("parlo-settings-processes", kHome);
  fs::create_directories(device.host(std::string(kHome) + "/Documents"));
  const std::string path = SettingManager::settingsFilePath();
  const fs::path stop = device.folder() / "stop";

  const pid_t reader = testsupport::startChild([&] {
    long reads = 0, torn = 0;
    while (!fs::exists(stop)) {
      if (auto bytes = DeviceRoot::readFile(path)) {
        ++reads;
        auto parsed = plist::read(*bytes);
        if (!parsed || !parsed.value->get<plist::Dictionary>()) ++torn;
      }
    }
    return torn == 0 && reads > 0 ? 0 : 1;
  });
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.push_back(testsupport::startChild([w] {
      for (int i = 0; i < kWritesEach; ++i) {
        if (!SettingManager::sharedInstance()->setInt(i + 1, key(w, i))) return 1;
      }
      return 0;
    }));
  }
  for (pid_t writer : writers) EXPECT_EQ(testsupport::waitForChild(writer), 0);
  std::ofstream(stop).put(1);
  EXPECT_EQ(testsupport::waitForChild(reader), 0) << "the reader met a torn file";

  auto settings = SettingManager::sharedInstance()->settings();
  EXPECT_EQ(settings->count(), size_t{kWriters * kWritesEach});
  int lost = 0;
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kWritesEach; ++i) {
      if (SettingManager::sharedInstance()->intForKey(key(w, i)) != i + 1) ++lost;
    }
  }
  EXPECT_EQ(lost, 0);
}
