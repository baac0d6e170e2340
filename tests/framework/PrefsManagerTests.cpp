#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "BrisvaleKit/BVPrefsManager.h"
#include "TemporaryDeviceRoot.h"
#include "TestFiles.h"
#include "foundation/PropertyList.h"

namespace fs = std::filesystem;

namespace {

const char* const kDomain = "com.brisvale.ParloPrefs";

class PrefsManager : public ::testing::Test {
 protected:
  std::string root() const { return device_.string(); }
  std::string preferences() const { return root() + "/var/mobile/Library/Preferences"; }
  std::string plistFile() const { return preferences() + "/" + kDomain + ".plist"; }

  void writeHost(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  std::string readHost(const std::string& path) const { return testsupport::readFile(path); }

  // Runs `body` in a child process with its own manager and returns its exit status.
  static int inChild(const std::function<int(BVPrefsManager&)>& body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body(*BVPrefsManager::alloc()));
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  testsupport::TemporaryDeviceRoot device_{"parlo-prefs"};
};

TEST_F(PrefsManager, AbsentValuesReadAsTheDefaultAndStoredOnesAsStored) {
  auto prefs = BVPrefsManager::sharedInstance();

  EXPECT_FALSE(prefs->boolForKey("toggleParlo", false, kDomain));
  EXPECT_TRUE(prefs->boolForKey("toggleParlo", true, kDomain));
  prefs->setBool(false, "toggleParlo", kDomain);

  EXPECT_FALSE(prefs->boolForKey("toggleParlo", true, kDomain));
  EXPECT_TRUE(prefs->boolForKey("other", true, kDomain));
  EXPECT_TRUE(prefs->boolForKey("toggleParlo", true, "com.example.other"));
  EXPECT_EQ(prefs, BVPrefsManager::sharedInstance());
}

TEST_F(PrefsManager, TheFileIsAnXMLDictionaryAndOneKeyWrittenKeepsTheOthers) {
  auto prefs = BVPrefsManager::sharedInstance();

  prefs->setBool(true, "toggleParlo", kDomain);
  prefs->setBool(true, "second", kDomain);
  prefs->setBool(false, "toggleParlo", kDomain);

  std::string text = readHost(plistFile());
  EXPECT_EQ(text.rfind("<?xml", 0), 0u);
  std::vector<uint8_t> bytes(text.begin(), text.end());
  auto root = plist::read(bytes);
  ASSERT_TRUE(root);
  EXPECT_EQ(*root.value, plist::Value(plist::Dictionary{{"second", true}, {"toggleParlo", false}}));
  EXPECT_FALSE(fs::exists(plistFile() + ".damaged"));
}

TEST_F(PrefsManager, AWriteInOneProcessIsSeenByTheNextReadInAnother) {
  auto prefs = BVPrefsManager::sharedInstance();
  ASSERT_FALSE(prefs->boolForKey("toggleParlo", false, kDomain));

  int written = inChild([](BVPrefsManager& other) {
    other.setBool(true, "toggleParlo", kDomain);
    return 0;
  });

  EXPECT_EQ(written, 0);
  EXPECT_TRUE(prefs->boolForKey("toggleParlo", false, kDomain));

  prefs->setBool(false, "toggleParlo", kDomain);
  EXPECT_EQ(inChild([](BVPrefsManager& other) {
              return other.boolForKey("toggleParlo", true, kDomain) ? 1 : 2;
            }),
            2);
}

TEST_F(PrefsManager, ConcurrentWritersInTwoProcessesLoseNoKey) {
  constexpr int count = 30;
  auto writer = [](const char* prefix) {
    return [prefix](BVPrefsManager& prefs) {
      for (int i = 0; i < count; ++i) prefs.setBool(true, prefix + std::to_string(i), kDomain);
      return 0;
    };
  };

  pid_t a = fork();
  if (a == 0) _exit(writer("a")(*BVPrefsManager::alloc()));
  EXPECT_EQ(inChild(writer("b")), 0);
  int status = 0;
  waitpid(a, &status, 0);

  auto prefs = BVPrefsManager::sharedInstance();
  int missing = 0;
  for (int i = 0; i < count; ++i) {
    missing += !prefs->boolForKey("a" + std::to_string(i), false, kDomain);
    missing += !prefs->boolForKey("b" + std::to_string(i), false, kDomain);
  }
  EXPECT_EQ(missing, 0);
}

TEST_F(PrefsManager, ADamagedFileReadsAsDefaultsAndIsKeptAsideBeforeTheNextWrite) {
  auto prefs = BVPrefsManager::sharedInstance();
  for (const std::string& damage : {std::string("<plist><dict><key>toggleParlo</key>"),
                                    std::string("<plist><array/></plist>"), std::string()}) {
    fs::remove_all(preferences());
    writeHost(plistFile(), damage);

    EXPECT_TRUE(prefs->boolForKey("toggleParlo", true, kDomain)) << damage;
    EXPECT_EQ(readHost(plistFile()), damage) << "a read must not touch the file";
    prefs->setBool(false, "toggleParlo", kDomain);

    EXPECT_EQ(readHost(plistFile() + ".damaged"), damage);
    EXPECT_FALSE(prefs->boolForKey("toggleParlo", true, kDomain));
  }

  writeHost(plistFile(), "second damage");
  prefs->setBool(true, "toggleParlo", kDomain);
  EXPECT_EQ(readHost(plistFile() + ".damaged-2"), "second damage");
  EXPECT_TRUE(prefs->boolForKey("toggleParlo", false, kDomain));
}

TEST_F(PrefsManager, ADomainThatIsNotAFileNameIsRefused) {
  auto prefs = BVPrefsManager::sharedInstance();

  for (const char* domain : {"../../escape", "a/b", "..", ""}) {
    prefs->setBool(true, "toggleParlo", domain);
    EXPECT_FALSE(prefs->boolForKey("toggleParlo", false, domain)) << domain;
  }

  EXPECT_FALSE(fs::exists(root() + "/var/mobile/Library/escape.plist"));
  EXPECT_FALSE(fs::exists(preferences() + "/a"));
}

TEST_F(PrefsManager, NumbersStoredByOtherWritersReadAsBooleans) {
  writeHost(plistFile(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>"
            "<key>one</key><integer>1</integer><key>zero</key><integer>0</integer>"
            "<key>text</key><string>YES</string></dict></plist>");
  auto prefs = BVPrefsManager::sharedInstance();

  EXPECT_TRUE(prefs->boolForKey("one", false, kDomain));
  EXPECT_FALSE(prefs->boolForKey("zero", true, kDomain));
  EXPECT_TRUE(prefs->boolForKey("text", true, kDomain));
  EXPECT_FALSE(prefs->boolForKey("text", false, kDomain));
}

}  // namespace
