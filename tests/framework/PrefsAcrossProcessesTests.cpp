#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "BrisvaleKit/BVPrefsManager.h"
#include "ChildProcess.h"
#include "KillPoints.h"
#include "Sanitizers.h"
#include "TemporaryDeviceRoot.h"
#include "TestFiles.h"
#include "foundation/DeviceRoot.h"
#include "foundation/PropertyList.h"

namespace fs = std::filesystem;

namespace {

const char* const kDomain = "com.brisvale.ParloPrefs";
const char* const kPath = "/var/mobile/Library/Preferences/com.brisvale.ParloPrefs.plist";
constexpr int kWriters = 4;
constexpr int kWritesEach = testsupport::kSanitized ? 100 : 500;

std::string key(int writer, int i) {
  return "w" + std::to_string(writer) + "-" + std::to_string(i);
}

}  // namespace

// Four processes each set 500 keys of their own while a fifth keeps reading the file.
TEST(PrefsAcrossProcesses, NoWriteIsLostAndAReaderOnlyEverSeesAWholeFile) {
  testsupport::TemporaryDeviceRoot device("parlo-prefs-processes");
  const fs::path stop = device.folder() / "stop";

  const pid_t reader = testsupport::startChild([&] {
    long reads = 0, torn = 0;
    while (!fs::exists(stop)) {
      if (auto bytes = DeviceRoot::readFile(kPath)) {
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
      auto prefs = BVPrefsManager::alloc();
      for (int i = 0; i < kWritesEach; ++i) prefs->setBool(true, key(w, i), kDomain);
      return 0;
    }));
  }
  for (pid_t writer : writers) EXPECT_EQ(testsupport::waitForChild(writer), 0);
  std::ofstream(stop).put(1);
  EXPECT_EQ(testsupport::waitForChild(reader), 0) << "the reader met a torn file";

  auto prefs = BVPrefsManager::sharedInstance();
  int lost = 0;
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kWritesEach; ++i)
      lost += prefs->boolForKey(key(w, i), false, kDomain) ? 0 : 1;
  }
  EXPECT_EQ(lost, 0);
}

TEST(PrefsAcrossProcesses, AKilledWriteLeavesTheOldFileOrTheNewOneAndTheNextWriteTidiesUp) {
  testsupport::TemporaryDeviceRoot device("parlo-prefs-kill");
  auto prefs = BVPrefsManager::sharedInstance();
  prefs->setBool(false, "toggleParlo", kDomain);
  const fs::path file = device.host(kPath);
  const std::string before = testsupport::readFile(file);

  const auto sweep = testsupport::sweepKillPoints(file, before, [&](long step) {
    return testsupport::waitForChild(testsupport::startChild([&] {
      DeviceRoot::testing::killAtWriteStep(step);
      prefs->setBool(true, "toggleParlo", kDomain);
      return 0;
    }));
  });
  std::cout << "preference store: " << sweep.killPoints << " kill points, " << sweep.torn
            << " torn, " << sweep.temporariesLeft << " temporaries left over all kills, "
            << sweep.temporariesAfterNextWrite << " after the last write\n";

  EXPECT_EQ(sweep.problem, "");
  EXPECT_GE(sweep.killPoints, 4);
  EXPECT_EQ(sweep.torn, 0);
  EXPECT_GT(sweep.temporariesLeft, 0);
  EXPECT_EQ(sweep.temporariesAfterNextWrite, 0);
}
