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

// A device root of its own, made once per process, in memory where the host has a memory file
// system: on a disk, each input's rewrite of the file waited for the disk (a file cut to nothing
// and written again is flushed when it is closed), which made this target six times slower.
const std::string& settingsPath() {
  static const std::string path = [] {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", error)
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path();
    std::string root = (folder / ("parlo-settings-fuzz-" + std::to_string(::getpid()))).string();
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
  auto all = store->settings();
  if (SettingManager::settingsFileIsDamaged()) {
    // Every getter looks its key up in this dictionary, read the same way: for a file that is
    // not a dictionary they would only parse the same bytes again to the same empty one.
    if (all->count() != 0) fail("a damaged file read as settings");
    return 0;
  }
  store->boolForKey("autoSaveMessage", true);
  store->objectForKey("profileUsername", NSString::string("Your Username"));
  store->floatForKey("joinCallDelay", 5);
  store->intForKey("incomingCallDelay", 2);
  store->systemColourForKey("profileAvatar", nullptr);
  store->profileAvatar();
  return 0;
}
