// Arbitrary bytes as the add-on's settings file, read through the store's own getters (the
// colour archive and the profile photo included). Nothing may crash; a file that does not read
// as a dictionary reads as defaults and is kept aside by the next setter, never overwritten.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/DeviceRoot.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/NSString.h"
#include "settings/SettingManager.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "SettingsFileFuzzer: %s\n", what);
  std::abort();
}

// A device root of its own under the temporary folder, made once per process.
const std::string& settingsPath() {
  static const std::string path = [] {
    std::string root = (std::filesystem::temp_directory_path() /
                        ("parlo-settings-fuzz-" + std::to_string(::getpid())))
                           .string();
    DeviceRoot::setPath(root);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(DeviceRoot::path(), ignored);
    });
    NSSetHomeDirectory("/home");
    const std::string devicePath = SettingManager::settingsFilePath();
    std::filesystem::create_directories(
        *DeviceRoot::resolve(devicePath.substr(0, devicePath.rfind('/'))));
    return devicePath;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = settingsPath();
  if (!DeviceRoot::writeFile(path, {data, size}, false)) fail("cannot write the settings file");

  auto store = SettingManager::sharedInstance();
  const bool damaged = SettingManager::settingsFileIsDamaged();
  auto all = store->settings();
  if (damaged && all->count() != 0) fail("a damaged file read as settings");
  store->boolForKey("autoSaveMessage", true);
  store->objectForKey("profileUsername", NSString::string("Your Username"));
  store->floatForKey("joinCallDelay", 5);
  store->intForKey("incomingCallDelay", 2);
  store->systemColourForKey("profileAvatar", nullptr);
  store->profileAvatar();
  return 0;
}
