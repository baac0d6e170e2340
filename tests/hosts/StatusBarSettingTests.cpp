#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "StatusBarSetting.h"
#include "TemporaryDeviceRoot.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"

namespace {

namespace Setting = sim::StatusBarSetting;
using testsupport::TemporaryDeviceRoot;

int run(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), {"parlo-sim", "status-bar"});
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  return Setting::runCommand(static_cast<int>(argv.size()), argv.data(), 2);
}

}  // namespace

TEST(StatusBarSetting, WritesTheValuesGivenWithDefaultsForTheRestAndReadsThemBack) {
  TemporaryDeviceRoot root("parlo-status-bar");

  ASSERT_EQ(run({"--time", "10:27", "--battery", "76", "--carrier", "Nordtel"}), 0);
  auto bar = Setting::read();

  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->time, "10:27");
  EXPECT_EQ(bar->battery, 76);
  EXPECT_EQ(bar->carrier, "Nordtel");
  EXPECT_EQ(bar->signal, 4);
  EXPECT_TRUE(bar->wifi);
  ASSERT_EQ(run({}), 0);
  EXPECT_EQ(Setting::read()->time, "9:41") << "a new bar does not keep the old values";
  EXPECT_EQ(Setting::read()->battery, 100);
}

TEST(StatusBarSetting, RefusesValuesOutOfRangeAndWritesNothing) {
  const std::vector<std::vector<std::string>> refused = {
      {"--battery", "101"}, {"--battery", "-1"}, {"--battery", "7x"}, {"--signal", "5"},
      {"--time", ""},       {"--wifi", "maybe"}, {"--colour", "red"}, {"--time"}};
  TemporaryDeviceRoot root("parlo-status-bar");

  for (const auto& arguments : refused) {
    EXPECT_EQ(run(arguments), 2) << arguments[0];
    EXPECT_FALSE(std::filesystem::exists(root.host(Setting::kPath))) << arguments[0];
  }
}

TEST(StatusBarSetting, IfUnsetKeepsABarThereIsAndOffTakesItAway) {
  TemporaryDeviceRoot root("parlo-status-bar");
  ASSERT_EQ(run({"--battery", "18"}), 0);

  ASSERT_EQ(run({"--if-unset"}), 0);
  EXPECT_EQ(Setting::read()->battery, 18);
  ASSERT_EQ(run({"--off"}), 0);
  EXPECT_FALSE(Setting::read());
  EXPECT_EQ(run({"--off"}), 0) << "no bar to take away is no failure";
  ASSERT_EQ(run({"--if-unset"}), 0);
  EXPECT_EQ(Setting::read()->battery, 100);
}

TEST(StatusBarSetting, AStoredFileOutOfRangeIsBroughtIntoIt) {
  TemporaryDeviceRoot root("parlo-status-bar");
  auto values = NSMutableDictionary::dictionary();
  values->setObject(NSNumber::numberWithInt(400), NSString::string("battery"));
  values->setObject(NSNumber::numberWithInt(-3), NSString::string("signal"));
  std::filesystem::create_directories(root.host(Setting::kPath).parent_path());
  ASSERT_TRUE(values->writeToFile(Setting::kPath, true));

  auto bar = Setting::read();

  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->battery, 100);
  EXPECT_EQ(bar->signal, 0);
  EXPECT_EQ(bar->time, "9:41");
}
