#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "TemporaryDeviceRoot.h"
#include "TestFiles.h"
#include "TestImages.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/PropertyList.h"
#include "foundation/RunLoop.h"
#include "settings/SettingKeys.h"
#include "settings/SettingManager.h"

namespace fs = std::filesystem;

namespace {

const char* const kHome = "/var/mobile/Containers/Data/Application/SETTINGS-TEST";

using testsupport::readFile;

// A small opaque picture, as the photo picker would hand over: JPEG at quality 1.0.
std::shared_ptr<NSData> jpegPhoto(int width, int height) {
  auto png = testsupport::solidPNG(width, height, 0.2, 0.5, 0.8);
  return UIImageJPEGRepresentation(UIImage::imageWithData(NSData::dataWithBytes(png)), 1.0);
}

// A fresh device root whose app container has an empty Documents folder.
class SettingManagerTest : public testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    documents_ = device_.host(std::string(kHome) + "/Documents");
    fs::create_directories(documents_);
  }

  fs::path settingsFile() const { return documents_ / "FakeCallSettings.plist"; }

  void writeSettingsFile(const std::string& contents) const {
    std::ofstream(settingsFile(), std::ios::binary) << contents;
  }

  // The file as a plain property list, read without the store.
  plist::Value fileContents(plist::Format* format = nullptr) const {
    const std::string text = readFile(settingsFile());
    auto parsed = plist::read(std::vector<uint8_t>(text.begin(), text.end()), format);
    EXPECT_TRUE(parsed) << parsed.error;
    return parsed ? *parsed.value : plist::Value();
  }

  std::vector<std::string> documentsListing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(documents_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  testsupport::TemporaryDeviceRoot device_{"parlo-settings", kHome};
  std::shared_ptr<SettingManager> store = SettingManager::sharedInstance();
  fs::path documents_;
};

std::string text(const id& object) {
  auto string = std::dynamic_pointer_cast<NSString>(object);
  return string ? string->utf8() : "<not a string>";
}

}  // namespace

TEST_F(SettingManagerTest, TheFileLivesInTheAppsDocumentsFolder) {
  EXPECT_EQ(SettingManager::settingsFilePath(),
            std::string(kHome) + "/Documents/FakeCallSettings.plist");
  EXPECT_EQ(SettingManager::sharedInstance(), store);
}

TEST_F(SettingManagerTest, WithoutAFileEveryGetterGivesItsDefaultAndNothingIsCreated) {
  EXPECT_TRUE(store->boolForKey("autoSaveMessage", true));
  EXPECT_EQ(text(store->objectForKey("profileUsername", NSString::string("Your Username"))),
            "Your Username");
  EXPECT_EQ(store->floatForKey("incomingCallDelay", 2), 2);
  EXPECT_EQ(store->intForKey("joinCallDelay", 5), 5);
  EXPECT_FALSE(store->boolForKey("followEachOther"));
  EXPECT_FALSE(store->objectForKey("profileUsername"));
  EXPECT_EQ(store->floatForKey("joinCallDelay"), 0);
  EXPECT_EQ(store->intForKey("joinCallDelay"), 0);
  EXPECT_FALSE(store->profileAvatar());
  EXPECT_FALSE(store->objectForKey("profileAvatar"));

  EXPECT_FALSE(fs::exists(settingsFile()));
  EXPECT_FALSE(SettingManager::settingsFileIsDamaged());
}

TEST_F(SettingManagerTest, APresentBooleanWinsOverTheDefaultEvenWhenItIsNo) {
  store->setBool(false, "followEachOther");
  store->setBool(true, "autoSaveMessage");

  EXPECT_FALSE(store->boolForKey("followEachOther", true));
  EXPECT_TRUE(store->boolForKey("autoSaveMessage", false));
}

TEST_F(SettingManagerTest, AStoredZeroDelayReadsAsTheDefault) {
  store->setFloat(0, "incomingCallDelay");
  store->setInt(0, "joinCallDelay");

  EXPECT_EQ(store->floatForKey("incomingCallDelay", 2), 2);
  EXPECT_EQ(store->intForKey("joinCallDelay", 5), 5);

  store->setFloat(9, "incomingCallDelay");
  store->setInt(-3, "joinCallDelay");

  EXPECT_EQ(store->floatForKey("incomingCallDelay", 2), 9);
  EXPECT_EQ(store->intForKey("joinCallDelay", 5), -3);
}

TEST_F(SettingManagerTest, IntegersKeepAllTheirBitsAndTheNarrowReadingKeepsTheLowOnes) {
  const int64_t big = (int64_t{1} << 40) + 7;

  store->setFloat(big, "joinCallDelay");

  EXPECT_EQ(store->floatForKey("joinCallDelay", 5), big);
  EXPECT_EQ(store->intForKey("joinCallDelay", 5), 7);
}

TEST_F(SettingManagerTest, WritingOneKeyKeepsEveryOtherKeyInTheFile) {
  writeSettingsFile(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<plist version=\"1.0\"><dict>"
      "<key>someoneElsesKey</key><string>kept</string>"
      "<key>joinCallDelay</key><integer>7</integer>"
      "</dict></plist>\n");
  const auto photo = jpegPhoto(4, 3);
  store->setObject(photo, "profileAvatar");
  store->setObject(NSString::string("sam"), "profileUsername");

  store->setBool(false, "autoSaveMessage");

  EXPECT_EQ(store->floatForKey("joinCallDelay", 5), 7);
  EXPECT_EQ(text(store->objectForKey("someoneElsesKey")), "kept");
  EXPECT_EQ(text(store->objectForKey("profileUsername", nullptr)), "sam");
  auto stored = std::dynamic_pointer_cast<NSData>(store->objectForKey("profileAvatar"));
  ASSERT_TRUE(stored);
  EXPECT_TRUE(stored->isEqualToData(*photo));
  EXPECT_FALSE(store->boolForKey("autoSaveMessage", true));
}

TEST_F(SettingManagerTest, EachRecipientKeepsTheirOwnCountsAndBadge) {
  store->setObject(NSString::string("1.2M"), SettingKeys::followersCount("alice"));
  store->setObject(NSString::string("12"), SettingKeys::postCount("alice"));
  store->setBool(false, SettingKeys::isVerified("alice"));
  store->setObject(NSString::string("80"), SettingKeys::followersCount("bob"));

  EXPECT_EQ(text(store->objectForKey("alice-followersCount", nullptr)), "1.2M");
  EXPECT_EQ(text(store->objectForKey("bob-followersCount", nullptr)), "80");
  EXPECT_EQ(text(store->objectForKey("bob-postCount", NSString::string("5.3K"))), "5.3K");
  EXPECT_FALSE(store->boolForKey("alice-isVerified", true));
  EXPECT_TRUE(store->boolForKey("bob-isVerified", true));
}

TEST_F(SettingManagerTest, TheFileIsAnXMLDictionaryWithEachValueInItsOwnType) {
  const auto photo = jpegPhoto(4, 3);
  store->setBool(true, "autoSaveMessage");
  store->setFloat(5, "joinCallDelay");
  store->setInt(3, "incomingCallDelay");
  store->setObject(NSString::string("Your Username"), "profileUsername");
  store->setObject(photo, "profileAvatar");

  plist::Format format = plist::Format::Binary;
  const plist::Value root = fileContents(&format);

  EXPECT_EQ(format, plist::Format::XML);
  EXPECT_TRUE(readFile(settingsFile()).starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
  ASSERT_TRUE(root.get<plist::Dictionary>());
  ASSERT_TRUE(root.find("autoSaveMessage"));
  EXPECT_EQ(*root.find("autoSaveMessage"), plist::Value(true));
  EXPECT_EQ(*root.find("joinCallDelay"), plist::Value(plist::Integer{5}));
  EXPECT_EQ(*root.find("incomingCallDelay"), plist::Value(plist::Integer{3}));
  EXPECT_EQ(*root.find("profileUsername"), plist::Value(std::string("Your Username")));
  const plist::Data* jpeg = root.find("profileAvatar")->get<plist::Data>();
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(*jpeg, photo->vector());
  ASSERT_GE(jpeg->size(), 3u);
  EXPECT_EQ((*jpeg)[0], 0xFF);
  EXPECT_EQ((*jpeg)[1], 0xD8);
}

TEST_F(SettingManagerTest, SetObjectLogsAfterEveryWriteAndNilRemovesTheKey) {
  store->setObject(NSString::string("x"), "profileUsername");

  testing::internal::CaptureStderr();
  store->setObject(nullptr, "profileUsername");
  const std::string log = testing::internal::GetCapturedStderr();

  EXPECT_NE(log.find("Write image data..."), std::string::npos);
  EXPECT_FALSE(fileContents().find("profileUsername"));

  testing::internal::CaptureStderr();
  store->setBool(true, "autoSaveMessage");
  EXPECT_EQ(testing::internal::GetCapturedStderr().find("Write image data"), std::string::npos)
      << "only setObject logs";
}

TEST_F(SettingManagerTest, TheProfileAvatarIsTheImageOfTheStoredJPEG) {
  store->setObject(jpegPhoto(8, 6), "profileAvatar");

  auto avatar = store->profileAvatar();

  ASSERT_TRUE(avatar);
  EXPECT_EQ(avatar->pixelWidth(), 8);
  EXPECT_EQ(avatar->pixelHeight(), 6);

  store->setObject(NSData::dataWithBytes(std::vector<uint8_t>{1, 2, 3}), "profileAvatar");
  EXPECT_FALSE(store->profileAvatar());
}

TEST_F(SettingManagerTest, AnArchivedColourDecodesAndAnythingElseGivesTheDefault) {
  // A device's archive of an RGB colour.
  const plist::Value archive = plist::Dictionary{
      {"$archiver", std::string("NSKeyedArchiver")},
      {"$version", plist::Integer{100000}},
      {"$top", plist::Dictionary{{"root", plist::UID{1}}}},
      {"$objects",
       plist::Array{std::string("$null"),
                    plist::Dictionary{{"$class", plist::UID{2}},
                                      {"UIColorComponentCount", plist::Integer{4}},
                                      {"UIRed", 1.0},
                                      {"UIGreen", 0.5},
                                      {"UIBlue", 0.25},
                                      {"UIAlpha", 1.0}},
                    plist::Dictionary{{"$classname", std::string("UIDeviceRGBColor")},
                                      {"$classes", plist::Array{std::string("UIDeviceRGBColor"),
                                                                std::string("UIColor"),
                                                                std::string("NSObject")}}}}}};
  store->setObject(NSData::dataWithBytes(plist::writeBinary(archive)), "bubbleColour");
  store->setObject(NSString::string("not data"), "textColour");
  store->setObject(NSData::dataWithBytes(std::vector<uint8_t>{0, 1}), "junkColour");
  const auto fallback = UIColor::blueColor();

  auto colour = store->systemColourForKey("bubbleColour", fallback);

  ASSERT_TRUE(colour);
  EXPECT_EQ(colour->CGColor(), (CGColor{1.0, 0.5, 0.25, 1.0}));
  EXPECT_EQ(store->systemColourForKey("textColour", fallback), fallback);
  EXPECT_EQ(store->systemColourForKey("junkColour", fallback), fallback);
  EXPECT_EQ(store->systemColourForKey("absentColour", fallback), fallback);
}

TEST_F(SettingManagerTest, ValuesWrittenByHandReadThroughTheirNaturalReading) {
  writeSettingsFile(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<plist version=\"1.0\"><dict>"
      "<key>autoSaveMessage</key><string>NO</string>"
      "<key>followEachOther</key><integer>1</integer>"
      "<key>joinCallDelay</key><string>12</string>"
      "<key>incomingCallDelay</key><real>3.9</real>"
      "<key>profileUsername</key><data>AAE=</data>"
      "<key>alice-isVerified</key><data>AAE=</data>"
      "</dict></plist>\n");

  EXPECT_FALSE(store->boolForKey("autoSaveMessage", true));
  EXPECT_TRUE(store->boolForKey("followEachOther", false));
  EXPECT_EQ(store->floatForKey("joinCallDelay", 5), 12);
  EXPECT_EQ(store->floatForKey("incomingCallDelay", 2), 3);
  // Data has no boolean reading: it reads as absent instead of as a guess.
  EXPECT_TRUE(store->boolForKey("alice-isVerified", true));
  EXPECT_TRUE(std::dynamic_pointer_cast<NSData>(store->objectForKey("profileUsername", nullptr)));
}

TEST_F(SettingManagerTest, ADamagedFileReadsAsDefaultsAndIsMovedAsideByTheNextWrite) {
  const std::string damaged = "<?xml version=\"1.0\"?><plist><dict><key>autoSaveMess";
  writeSettingsFile(damaged);

  EXPECT_TRUE(store->boolForKey("autoSaveMessage", true));
  EXPECT_TRUE(SettingManager::settingsFileIsDamaged());
  EXPECT_EQ(readFile(settingsFile()), damaged) << "reading never changes the file";

  EXPECT_TRUE(store->setBool(false, "followEachOther"));

  // The manual clock's wall time is 2026-03-14 09:41:00 UTC.
  EXPECT_EQ(documentsListing(),
            (std::vector<std::string>{"FakeCallSettings.damaged-20260314-094100.plist",
                                      "FakeCallSettings.plist"}));
  EXPECT_EQ(readFile(documents_ / "FakeCallSettings.damaged-20260314-094100.plist"), damaged);
  EXPECT_EQ(fileContents(), plist::Value(plist::Dictionary{{"followEachOther", false}}));
  EXPECT_FALSE(SettingManager::settingsFileIsDamaged());
}

TEST_F(SettingManagerTest, AFileThatIsNotADictionaryIsKeptAsideTooUnderItsOwnName) {
  writeSettingsFile("garbage one");
  store->setBool(true, "autoSaveMessage");
  writeSettingsFile(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<plist version=\"1.0\"><array><string>a list</string></array></plist>\n");

  store->setBool(true, "autoSaveMessage");

  EXPECT_EQ(documentsListing(),
            (std::vector<std::string>{"FakeCallSettings.damaged-20260314-094100-2.plist",
                                      "FakeCallSettings.damaged-20260314-094100.plist",
                                      "FakeCallSettings.plist"}));
  EXPECT_EQ(readFile(documents_ / "FakeCallSettings.damaged-20260314-094100.plist"), "garbage one");
  EXPECT_NE(
      readFile(documents_ / "FakeCallSettings.damaged-20260314-094100-2.plist").find("a list"),
      std::string::npos);
}

TEST_F(SettingManagerTest, AFailedWriteKeepsTheOldFileWholeAndSaysSo) {
  store->setObject(NSString::string("before"), "profileUsername");
  const std::string before = readFile(settingsFile());

  DeviceRoot::testing::failNextAtomicWriteBeforeRename();
  EXPECT_FALSE(store->setObject(NSString::string("after"), "profileUsername"));

  EXPECT_EQ(readFile(settingsFile()), before);
  EXPECT_EQ(text(store->objectForKey("profileUsername", nullptr)), "before");
  EXPECT_EQ(documentsListing(), std::vector<std::string>{"FakeCallSettings.plist"});
}

// What the settings cannot be written with: a value no property list holds, or a date (put in
// the file by another writer, in binary form) that XML would turn into another date. The setter
// says so in one line and the file stays as it was, byte for byte.
TEST_F(SettingManagerTest, WhatCannotBeWrittenIsRefusedWithALineAndTheFileKept) {
  const struct {
    const char* name;
    std::optional<plist::Date> dateInFile;
    id value;
    const char* why;
  } cases[] = {
      {"a colour", std::nullopt, UIColor::redColor(), "cannot hold an object of class UIColor"},
      {"NaN date", plist::Date{std::nan("")}, NSString::string("after"),
       "cannot be written as XML"},
      {"year 10000", plist::Date{2.6e11}, NSString::string("after"), "cannot be written as XML"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    plist::Dictionary settings{{"profileUsername", std::string("before")}};
    if (c.dateInFile) settings.emplace_back("lastCall", *c.dateInFile);
    const std::vector<uint8_t> bytes = plist::writeBinary(plist::Value(settings));
    writeSettingsFile(std::string(bytes.begin(), bytes.end()));

    testing::internal::CaptureStderr();
    const bool stored = store->setObject(c.value, "profileUsername");
    const std::string log = testing::internal::GetCapturedStderr();

    EXPECT_FALSE(stored);
    EXPECT_EQ(readFile(settingsFile()), std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(text(store->objectForKey("profileUsername", nullptr)), "before");
    EXPECT_NE(log.find("SettingManager: \"profileUsername\" not stored: "), std::string::npos)
        << log;
    EXPECT_NE(log.find(c.why), std::string::npos) << log;
  }
}

TEST(SettingKeys, FindsEveryKeyOfTheTableAndEachRecipientsKeys) {
  struct Case {
    const char* key;
    const char* expected;  // the entry's name, or nullptr for an unknown key
  };
  const Case cases[] = {
      {"autoSaveMessage", "autoSaveMessage"},
      {"incomingCallDelay", "incomingCallDelay"},
      {"alice-followersCount", "followersCount"},
      {"a.b_c-postCount", "postCount"},
      {"x-isVerified", "isVerified"},
      {"-isVerified", nullptr},
      {"isVerified", nullptr},
      {"alicefollowersCount", nullptr},
      {"alice-autoSaveMessage", nullptr},
      {"autosavemessage", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    const SettingKey* found = SettingKeys::find(c.key);
    if (!c.expected) {
      EXPECT_FALSE(found) << c.key;
    } else {
      ASSERT_TRUE(found) << c.key;
      EXPECT_EQ(found->name, c.expected);
    }
  }
  EXPECT_EQ(SettingKeys::followersCount("alice"), "alice-followersCount");
  EXPECT_EQ(SettingKeys::all().size(), 9u);
}
