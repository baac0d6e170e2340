#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "PreferenceBundle.h"
#include "TemporaryDeviceRoot.h"
#include "foundation/DeviceRoot.h"

namespace {

class PreferenceBundlesTests : public ::testing::Test {
 protected:
  void writeBundle(const std::string& folder, const std::string& name, const std::string& keys) {
    auto path = device_.path() / folder.substr(1) / (name + ".bundle");
    std::filesystem::create_directories(path);
    std::ofstream(path / "Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>" << keys
        << "</dict></plist>";
  }

  testsupport::TemporaryDeviceRoot device_{"parlo-settings-test"};
};

std::string entry(const char* key, const char* value) {
  return std::string("<key>") + key + "</key><string>" + value + "</string>";
}

}  // namespace

TEST_F(PreferenceBundlesTests, ListsBundlesFromBothFoldersByNameAndSkipsIncompleteOnes) {
  writeBundle("/var/LIY/Brisvale/Preferences/", "ParloPrefs",
              entry("CFBundleDisplayName", "Parlo") + entry("CFBundleExecutable", "ParloPrefs") +
                  entry("NSPrincipalClass", "PRLHomeViewController"));
  writeBundle("/Library/PreferenceBundles/", "Another",
              entry("CFBundleName", "Another Add-on") + entry("CFBundleExecutable", "Another") +
                  entry("NSPrincipalClass", "AnotherRoot"));
  writeBundle("/Library/PreferenceBundles/", "Unnamed",
              entry("CFBundleExecutable", "Unnamed") + entry("NSPrincipalClass", "UnnamedRoot"));
  writeBundle("/Library/PreferenceBundles/", "NoClass", entry("CFBundleExecutable", "NoClass"));
  writeBundle("/Library/PreferenceBundles/", "Damaged", "<key>CFBundle");

  auto bundles = PreferenceBundles::installed();

  ASSERT_EQ(bundles.size(), 3u);
  EXPECT_EQ(bundles[0].displayName, "Another Add-on");
  EXPECT_EQ(bundles[1].displayName, "Parlo");
  EXPECT_EQ(bundles[1].folder, "/var/LIY/Brisvale/Preferences/ParloPrefs.bundle");
  EXPECT_EQ(bundles[1].executable, "ParloPrefs");
  EXPECT_EQ(bundles[1].principalClass, "PRLHomeViewController");
  EXPECT_EQ(bundles[2].displayName, "Unnamed");
}

TEST_F(PreferenceBundlesTests, ABundleThatCannotBeOpenedGivesNoPageAndSaysWhy) {
  PreferenceBundle missing{"/Library/PreferenceBundles/Gone.bundle", "Gone", "Gone", "GoneRoot"};

  auto loaded = PreferenceBundles::load(missing);

  EXPECT_EQ(loaded.rootController, nullptr);
  EXPECT_NE(loaded.error.find("cannot load /Library/PreferenceBundles/Gone.bundle/Gone"),
            std::string::npos)
      << loaded.error;
}
