#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "ChildProcess.h"
#include "KillPoints.h"
#include "TemporaryDeviceRoot.h"
#include "TestClips.h"
#include "TestFiles.h"
#include "avfoundation/AVPlayer.h"
#include "avfoundation/AVPlayerItem.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatStore.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSURL.h"
#include "foundation/RunLoop.h"
#include "settings/FakeCallSettingViewController.h"
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

// The sweep's verdict for a write path: never torn, and what a kill leaves is removed by the next
// write.
void expectOldOrNewAfterEveryKill(const testsupport::KillSweep& sweep, int leastKillPoints) {
  EXPECT_EQ(sweep.problem, "");
  EXPECT_GE(sweep.killPoints, leastKillPoints);
  EXPECT_EQ(sweep.torn, 0);
  EXPECT_GT(sweep.temporariesLeft, 0);
  EXPECT_EQ(sweep.mostTemporariesAtOnce, 1);
  EXPECT_EQ(sweep.temporariesAfterNextWrite, 0);
}

constexpr const char* kLibrary = "/var/mobile/Media/DCIM/100APPLE/";

// Bytes that no step of a copy can mistake for a hole.
std::string noise(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = char((i + seed) * 2654435761u >> 24 | 1);
  return bytes;
}

// What the settings screen does when the movie picker hands it the movie at `devicePath`.
void pickMovie(const std::string& devicePath) {
  FakeCallSettingViewController::setPickingProfileImage(false);
  auto screen = FakeCallSettingViewController::alloc();
  screen->init();
  auto info = NSMutableDictionary::dictionary();
  info->setObject(NSURL::fileURLWithPath(devicePath), std::string(UIImagePickerControllerMediaURL));
  screen->didFinishPickingMediaWithInfo(UIImagePickerController::alloc()->init(), info);
}

// Runs `write` in a child process whose files may grow to 1 MB only, as on a disk that fills up;
// its status is what `write` returns.
int onAFullDisk(const std::function<int()>& write) {
  return testsupport::waitForChild(testsupport::startChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1 << 20, 1 << 20};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return write();
  }));
}

// A line of /proc/self/status in kB ("VmHWM", "VmRSS").
long statusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

class KillDuringWrite : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(device_.host(std::string(kHome) + "/Documents"));
    fs::create_directories(device_.host(kLibrary));
  }

  fs::path videoFile() const { return device_.host(SettingManager::fakeCallVideoPath()); }

  // A movie in the photo library, as the picker finds it; its device path.
  std::string libraryMovie(const std::string& name, const std::string& bytes) const {
    const std::string path = std::string(kLibrary) + name;
    std::ofstream(device_.host(path), std::ios::binary) << bytes;
    return path;
  }

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
  expectOldOrNewAfterEveryKill(sweep, 6);
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
  expectOldOrNewAfterEveryKill(sweep, 5);
}

TEST_F(KillDuringWrite, AKilledVideoCopyLeavesTheOldVideoOrTheNewOneAndTheNextCopyTidiesUp) {
  // 2.5 MB goes out in three writes, then the length, the flush and the rename.
  const std::string picked = libraryMovie("IMG_0002.MOV", noise(2500000, 1));
  const std::string before = noise(1200000, 2);

  const auto sweep = testsupport::sweepKillPoints(videoFile(), before, [&](long step) {
    return inChildKilledAt(step, [&] {
      pickMovie(picked);
      return testsupport::readFile(videoFile()) == noise(2500000, 1);
    });
  });
  report("video copy", sweep);
  expectOldOrNewAfterEveryKill(sweep, 7);
}

// A disk that fills up mid-write (a file size limit here): the write reports failure, the old
// file stays whole, and no temporary is left behind.
TEST_F(KillDuringWrite, AFullDiskLeavesTheOldChatOrVideoWholeAndNoTemporary) {
  auto store = ChatStore::storeWithUsername(NSString::string("maya"));
  ASSERT_TRUE(store->saveChatData(bigChat("old")));
  const fs::path chat = device_.host(*store->chatFilePath());
  const std::string chatBefore = testsupport::readFile(chat);
  std::ofstream(videoFile(), std::ios::binary) << noise(300000, 3);
  const std::string videoBefore = testsupport::readFile(videoFile());
  const std::string picked = libraryMovie("IMG_0003.MOV", noise(2500000, 4));

  const int chatStatus = onAFullDisk([&] { return store->saveChatData(bigChat("new")) ? 0 : 3; });
  const int videoStatus = onAFullDisk([&] {
    testing::internal::CaptureStderr();
    pickMovie(picked);
    const std::string log = testing::internal::GetCapturedStderr();
    // The screen has nothing to return; its one line says what became of the copy.
    return log.find("the call video could not be copied from " + picked +
                    " (File too large); the earlier one stays") != std::string::npos
               ? 3
               : 0;
  });

  EXPECT_EQ(chatStatus, 3);
  EXPECT_TRUE(testsupport::readFile(chat) == chatBefore);
  EXPECT_EQ(testsupport::temporariesBeside(chat).first, 0);
  EXPECT_EQ(videoStatus, 3);
  EXPECT_TRUE(testsupport::readFile(videoFile()) == videoBefore);
  EXPECT_EQ(testsupport::temporariesBeside(videoFile()).first, 0);
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

// A 2 GB movie (made sparse) picked in the settings screen, then played as the call plays it: a
// real two-second clip at its start, or nothing at all. The copy streams, so memory stays far
// below the file's size; the holes stay holes; the clip plays to its end and the empty one is
// refused with one line. Each runs in a process of its own so that its peak memory is its own.
TEST_F(KillDuringWrite, ATwoGigabyteSparseVideoIsCopiedWholeInBoundedMemoryAndPlaysOrIsRefused) {
  if (!testsupport::haveFFmpeg()) GTEST_SKIP() << "no ffmpeg to make the clip";
  constexpr off_t kSize = off_t{2} << 30;
  const fs::path clip = device_.host(std::string(kLibrary) + "clip.mp4");
  ASSERT_TRUE(testsupport::makeClip(clip, {"lime", "yellow"},
                                    {".mp4", "-c:v libx264 -pix_fmt yuv420p"}, "64x48", 10,
                                    "-movflags +faststart"));
  const std::string clipBytes = testsupport::readFile(clip);
  struct Case {
    const char* name;
    std::string start;
    bool plays;
  };
  const Case cases[] = {{"IMG_0004.MP4", clipBytes, true}, {"IMG_0005.MP4", "", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string picked = libraryMovie(c.name, c.start);
    ASSERT_EQ(::truncate(device_.host(picked).c_str(), kSize), 0);
    const fs::path peakFile = device_.host("/peak");
    std::cout << std::flush;  // Else the child would print what is still buffered here too.

    const int status = testsupport::waitForChild(testsupport::startChild([&] {
      // The peak so far is the parent's; count from here.
      const long startKB = statusKilobytes("VmRSS");
      std::ofstream("/proc/self/clear_refs") << "5";
      RunLoop::useManualClock();
      pickMovie(picked);

      testing::internal::CaptureStderr();
      auto player = AVPlayer::playerWithPlayerItem(AVPlayerItem::playerItemWithURL(
          NSURL::fileURLWithPath(SettingManager::fakeCallVideoPath())));
      int ends = 0;
      auto token = NSNotificationCenter::defaultCenter()->addObserverForName(
          AVPlayerItemDidPlayToEndTimeNotification, player->currentItem(), nullptr,
          [&](const std::shared_ptr<NSNotification>&) { ++ends; });
      player->play();
      RunLoop::advance(3);
      const std::string log = testing::internal::GetCapturedStderr();
      NSNotificationCenter::defaultCenter()->removeObserver(token);

      std::ofstream(peakFile) << statusKilobytes("VmHWM") - startKB;
      const bool failed = player->currentItem()->status() == AVPlayerItemStatusFailed;
      if (c.plays) return !failed && ends == 1 && log.empty() ? 0 : 10;
      return failed && ends == 0 &&
                     log.find("AVPlayerItem: cannot play " + SettingManager::fakeCallVideoPath() +
                              ": ") != std::string::npos
                 ? 0
                 : 11;
    }));
    const long peakKB = std::stol(testsupport::readFile(peakFile));
    std::cout << c.name << ": 2 GB sparse video copied and " << (c.plays ? "played" : "refused")
              << ", peak memory growth " << peakKB / 1024 << " MB" << std::endl;

    EXPECT_EQ(status, 0);
    // A whole copy would be 2 GB; the sanitizers alone may keep some tens of MB in quarantine.
    EXPECT_LT(peakKB, 128 * 1024);
    struct stat copied {};
    ASSERT_EQ(::stat(videoFile().c_str(), &copied), 0);
    EXPECT_EQ(copied.st_size, kSize);
    // Still sparse: no more on disk than the clip at its start.
    EXPECT_LT(copied.st_blocks * 512, off_t{8} << 20);
    std::ifstream video(videoFile(), std::ios::binary);
    std::string start(c.start.size() + 4096, '\1');
    video.read(start.data(), static_cast<std::streamsize>(start.size()));
    EXPECT_TRUE(start == c.start + std::string(4096, '\0'));
    EXPECT_EQ(testsupport::temporariesBeside(videoFile()).first, 0);
  }
}
