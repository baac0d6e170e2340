#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "TemporaryDeviceRoot.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSPathUtilities.h"

// Every test that touches files stands on these: a root left behind would send the next test's
// writes into a folder that is gone, or into another test's files.
TEST(TemporaryDeviceRoot, NestedRootsGiveBackTheRootAndHomeBeforeThemAndTakeTheirFoldersAlong) {
  const std::string outerRoot = DeviceRoot::path();
  const std::string outerHome = NSHomeDirectory();
  std::filesystem::path first, second;

  {
    testsupport::TemporaryDeviceRoot device("parlo-root-test", "/var/mobile/Containers/A");
    first = device.folder();
    {
      testsupport::TemporaryDeviceRoot inner("parlo-root-test", {}, "root");
      second = inner.folder();
      EXPECT_EQ(DeviceRoot::path(), (second / "root").string());
      EXPECT_EQ(NSHomeDirectory(), "/var/mobile/Containers/A");
      EXPECT_EQ(inner.host("/var/x"), second / "root/var/x");
    }
    EXPECT_EQ(DeviceRoot::path(), first.string());
    EXPECT_FALSE(std::filesystem::exists(second));
  }

  EXPECT_EQ(DeviceRoot::path(), outerRoot);
  EXPECT_EQ(NSHomeDirectory(), outerHome);
  EXPECT_FALSE(std::filesystem::exists(first));
}
