#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TemporaryDirectory.h"
#include "ToolRun.h"
#include "foundation/PropertyList.h"

namespace fs = std::filesystem;

namespace {

const std::string kHome = "/var/mobile/Containers/Data/Application/TOOL-TEST";

// One opaque pixel.
const std::vector<uint8_t> kPNG = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
    0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78,
    0xDA, 0x63, 0x64, 0x60, 0xF8, 0x5F, 0x0F, 0x00, 0x02, 0x87, 0x01, 0x80, 0xEB, 0x47,
    0xBA, 0x92, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

using testsupport::readFile;
using testsupport::ToolRun;

// A device root with the app's Documents folder; the tool runs against it as a user would.
class SettingsCommand : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(documents_); }

  ToolRun settings(const std::vector<std::string>& arguments) {
    std::vector<std::string> commandLine = {PARLO_FILES_PATH, "settings", "--device-root",
                                            root_.string(),   "--home",   kHome};
    commandLine.insert(commandLine.end(), arguments.begin(), arguments.end());
    return testsupport::runTool(commandLine, dir_.path());
  }

  fs::path settingsFile() const { return documents_ / "FakeCallSettings.plist"; }

  plist::Value fileContents() const {
    const std::string text = readFile(settingsFile());
    plist::Format format = plist::Format::Binary;
    auto parsed = plist::read(std::vector<uint8_t>(text.begin(), text.end()), &format);
    EXPECT_TRUE(parsed) << parsed.error;
    EXPECT_EQ(format, plist::Format::XML);
    return parsed ? *parsed.value : plist::Value();
  }

  std::string getValue(const std::string& key) {
    ToolRun run = settings({"get", key});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
  }

  testsupport::TemporaryDirectory dir_{"parlo-settings-tool"};
  const fs::path root_ = dir_ / "device";
  const fs::path documents_ = root_ / kHome.substr(1) / "Documents";
};

}  // namespace

TEST_F(SettingsCommand, OnAFreshDeviceEveryKeyShowsTheDefaultItsReaderUses) {
  ToolRun run = settings({"list"});

  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* line : {
           "autoSaveMessage          boolean  YES  (default)\n",
           "followEachOther          boolean  YES  (default)\n",
           "profileUsername          string   Your Username  (default)\n",
           "profileAvatar            data     (none)  (default)\n",
           "joinCallDelay            integer  5  (default)\n",
           "incomingCallDelay        integer  2  (default)\n",
       }) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "in:\n" << run.out;
  }
  EXPECT_EQ(getValue("alice-followersCount"), "35.5K\n");
  EXPECT_EQ(getValue("alice-isVerified"), "YES\n");
  EXPECT_FALSE(fs::exists(settingsFile()));
}

TEST_F(SettingsCommand, SetStoresEachTypeAsTheAddOnWritesItAndKeepsTheOtherKeys) {
  ASSERT_EQ(settings({"set", "followEachOther", "NO"}).exitCode, 0);
  ASSERT_EQ(settings({"set", "joinCallDelay", "12"}).exitCode, 0);
  ASSERT_EQ(settings({"set", "profileUsername", "sam the man"}).exitCode, 0);
  ASSERT_EQ(settings({"set", "bob-isVerified", "false"}).exitCode, 0);
  ASSERT_EQ(settings({"set", "bob-postCount", "99"}).exitCode, 0);

  const plist::Value root = fileContents();

  EXPECT_EQ(root, plist::Value(plist::Dictionary{
                      {"bob-isVerified", false},
                      {"bob-postCount", std::string("99")},
                      {"followEachOther", false},
                      {"joinCallDelay", plist::Integer{12}},
                      {"profileUsername", std::string("sam the man")},
                  }));
  EXPECT_EQ(getValue("followEachOther"), "NO\n");
  EXPECT_EQ(getValue("joinCallDelay"), "12\n");
  EXPECT_EQ(getValue("profileUsername"), "sam the man\n");
  EXPECT_EQ(getValue("bob-postCount"), "99\n");
  EXPECT_EQ(getValue("alice-postCount"), "5.3K\n") << "another recipient keeps the default";
  const ToolRun list = settings({"list"});
  EXPECT_NE(list.out.find("bob-postCount            string   99\n"), std::string::npos) << list.out;
}

TEST_F(SettingsCommand, AStoredZeroDelayShowsAsTheDefaultTheAddOnWillUse) {
  ASSERT_EQ(settings({"set", "incomingCallDelay", "0"}).exitCode, 0);

  EXPECT_EQ(getValue("incomingCallDelay"), "2\n");
  EXPECT_EQ(*fileContents().find("incomingCallDelay"), plist::Value(plist::Integer{0}));
}

TEST_F(SettingsCommand, ABadKeyOrValueIsAClearErrorAndWritesNothing) {
  ASSERT_EQ(settings({"set", "profileUsername", "kept"}).exitCode, 0);
  const std::string before = readFile(settingsFile());
  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Case cases[] = {
      {{"set", "autoSave", "YES"}, "unknown key \"autoSave\""},
      {{"get", "-isVerified"}, "unknown key \"-isVerified\""},
      {{"set", "autoSaveMessage", "maybe"}, "is not a boolean"},
      {{"set", "joinCallDelay", "2.5"}, "is not a whole number"},
      {{"set", "joinCallDelay", "99999999999999999999"}, "is not a whole number"},
      {{"set", "joinCallDelay", ""}, "is not a whole number"},
      {{"set", "profileAvatar", (dir_ / "no-such.png").string()}, "No such file"},
      {{"set", "profileAvatar", settingsFile().string()}, "not a PNG or JPEG image"},
      {{"set", "profileUsername"}, "usage:"},
      {{"frobnicate"}, "unknown settings command"},
      {{"--colour", "list"}, "unknown option"},
  };

  for (const Case& c : cases) {
    const ToolRun run = settings(c.arguments);
    EXPECT_EQ(run.exitCode, 1) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
  EXPECT_EQ(readFile(settingsFile()), before);
}

TEST_F(SettingsCommand, TheProfilePhotoIsStoredAsJPEGData) {
  const fs::path png = dir_ / "photo.png";
  std::ofstream(png, std::ios::binary)
      .write(reinterpret_cast<const char*>(kPNG.data()), std::streamsize(kPNG.size()));

  ASSERT_EQ(settings({"set", "profileAvatar", png.string()}).exitCode, 0);

  const plist::Value root = fileContents();
  const plist::Data* jpeg = root.find("profileAvatar")->get<plist::Data>();
  ASSERT_TRUE(jpeg);
  ASSERT_GE(jpeg->size(), 3u);
  EXPECT_EQ((*jpeg)[0], 0xFF);
  EXPECT_EQ((*jpeg)[1], 0xD8);
  EXPECT_NE(getValue("profileAvatar").find("JPEG image 1 x 1"), std::string::npos);

  // A JPEG goes in byte for byte.
  const fs::path photo = dir_ / "photo.jpg";
  std::vector<uint8_t> modified = *jpeg;
  std::ofstream(photo, std::ios::binary)
      .write(reinterpret_cast<const char*>(modified.data()), std::streamsize(modified.size()));
  ASSERT_EQ(settings({"set", "profileAvatar", photo.string()}).exitCode, 0);
  EXPECT_EQ(*fileContents().find("profileAvatar")->get<plist::Data>(), modified);
}

TEST_F(SettingsCommand, ADamagedFileIsReportedAndKeptAsideBySet) {
  std::ofstream(settingsFile()) << "not a property list";

  const ToolRun list = settings({"list"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_NE(list.err.find("cannot be read"), std::string::npos) << list.err;
  EXPECT_NE(list.out.find("(default)"), std::string::npos);

  ASSERT_EQ(settings({"set", "autoSaveMessage", "NO"}).exitCode, 0);

  std::vector<std::string> damaged;
  for (const auto& entry : fs::directory_iterator(documents_)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("FakeCallSettings.damaged-")) damaged.push_back(name);
  }
  ASSERT_EQ(damaged.size(), 1u);
  EXPECT_EQ(readFile(documents_ / damaged[0]), "not a property list");
  EXPECT_EQ(fileContents(), plist::Value(plist::Dictionary{{"autoSaveMessage", false}}));
}

TEST_F(SettingsCommand, SetMakesTheDocumentsFolderOfAnAppThatHasNeverRun) {
  fs::remove_all(documents_);

  ASSERT_EQ(settings({"set", "profileUsername", "new"}).exitCode, 0);

  EXPECT_EQ(getValue("profileUsername"), "new\n");
}
