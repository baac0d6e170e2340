#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <string>

#include "ChildProcess.h"
#include "KillPoints.h"
#include "TemporaryDeviceRoot.h"
#include "TestFiles.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatStore.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "settings/SettingManager.h"

namespace fs = std::filesystem;

namespace {

const char* const kHome = "/var/mobile/Containers/Data/Application/KILL-TEST";

// Runs `write` in a child process that kills itself at the given step (0: never).
int inChildKilledAt(long step, const std::function<bool()>& write) {
  return testsupport::waitForChild(testsupport::startChild([&] {
    DeviceRoot::testing::killAtWriteStep(step);
    return write() ? 0 : 1;
  }));
}

void report(const char* path, const testsupport::KillSweep& sweep) {
  std::cout << path << ": " << sweep.killPoints << " kill points, " << sweep.torn << " torn, "
            << sweep.temporariesLeft << " temporaries (" << sweep.temporaryBytesLeft
            << " bytes) left over all kills, at most " << sweep.mostTemporariesAtOnce
            << " at once, " << sweep.temporariesAfterNextWrite << " after the last write\n";
}

class KillDuringWrite : public testing::Test {
 protected:
  void SetUp() override { fs::create_directories(device_.host(std::string(kHome) + "/Documents")); }

  testsupport::TemporaryDeviceRoot device_{"parlo-kill", kHome};
};

// A chat of about 2.5 MB, so that its archive goes out in several writes.
std::shared_ptr<NSMutableArray> bigChat(const std::string& word) {
  auto messages = NSMutableArray::array();
  for (int i = 0; i < 2500; ++i) {
    messages->addObject(ChatDataModel::alloc()->initWithMessage(
        word + std::to_string(i) + std::string(1000, 'x'), "OUTGOING", false, false, false));
  }
  return messages;
}

}  // namespace

TEST_F(KillDuringWrite, AKilledChatSaveLeavesTheOldChatOrTheNewOneAndTheNextSaveTidiesUp) {
  auto store = ChatStore::storeWithUsername(NSString::string("maya"));
  ASSERT_TRUE(store->saveChatData(bigChat("old")));
  const fs::path file = device_.host(*store->chatFilePath());
  const std::string before = testsupport::readFile(file);
  const auto newChat = bigChat("new");

  const auto sweep = testsupport::sweepKillPoints(file, before, [&](long step) {
    return inChildKilledAt(step, [&] { return store->saveChatData(newChat); });
  });
  report("chat save", sweep);

  EXPECT_EQ(sweep.problem, "");
  EXPECT_GE(sweep.killPoints, 6);
  EXPECT_EQ(sweep.torn, 0);
  EXPECT_GT(sweep.temporariesLeft, 0);
  EXPECT_EQ(sweep.mostTemporariesAtOnce, 1);
  EXPECT_EQ(sweep.temporariesAfterNextWrite, 0);
}

TEST_F(KillDuringWrite, AKilledSettingsWriteLeavesTheOldFileOrTheNewOneAndTheNextWriteTidiesUp) {
  auto settings = SettingManager::sharedInstance();
  ASSERT_TRUE(settings->setObject(NSString::string("before"), "profileUsername"));
  // A photo of 1.5 MB makes the file go out in two writes.
  ASSERT_TRUE(settings->setObject(NSData::dataWithBytes(std::vector<uint8_t>(1500000, 7)),
                                  "profileAvatar"));
  const fs::path file = device_.host(SettingManager::settingsFilePath());
  const std::string before = testsupport::readFile(file);

  const auto sweep = testsupport::sweepKillPoints(file, before, [&](long step) {
    return inChildKilledAt(
        step, [&] { return settings->setObject(NSString::string("after"), "profileUsername"); });
  });
  report("settings setter", sweep);

  EXPECT_EQ(sweep.problem, "");
  EXPECT_GE(sweep.killPoints, 5);
  EXPECT_EQ(sweep.torn, 0);
  EXPECT_GT(sweep.temporariesLeft, 0);
  EXPECT_EQ(sweep.mostTemporariesAtOnce, 1);
  EXPECT_EQ(sweep.temporariesAfterNextWrite, 0);
}
