#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
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

// A disk that fills up mid-write (a file size limit here): the save reports failure, the old chat
// stays whole, and no temporary is left behind.
TEST_F(KillDuringWrite, AFullDiskLeavesTheOldChatWholeAndNoTemporary) {
  auto store = ChatStore::storeWithUsername(NSString::string("maya"));
  ASSERT_TRUE(store->saveChatData(bigChat("old")));
  const fs::path file = device_.host(*store->chatFilePath());
  const std::string before = testsupport::readFile(file);

  const int status = testsupport::waitForChild(testsupport::startChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1 << 20, 1 << 20};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return store->saveChatData(bigChat("new")) ? 0 : 3;
  }));

  EXPECT_EQ(status, 3);
  EXPECT_TRUE(testsupport::readFile(file) == before);
  EXPECT_EQ(testsupport::temporariesBeside(file).first, 0);
}

TEST_F(KillDuringWrite, ATwentyMegabytePhotoIsStoredAndReadBackWhole) {
  std::vector<uint8_t> photo(20 << 20);
  for (size_t i = 0; i < photo.size(); ++i) photo[i] = uint8_t(i * 2654435761u >> 24);
  auto settings = SettingManager::sharedInstance();

  ASSERT_TRUE(settings->setObject(NSData::dataWithBytes(photo), "profileAvatar"));
  auto stored = std::dynamic_pointer_cast<NSData>(settings->objectForKey("profileAvatar"));

  ASSERT_NE(stored, nullptr);
  EXPECT_TRUE(stored->vector() == photo);
}
