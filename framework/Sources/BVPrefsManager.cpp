#include "BrisvaleKit/BVPrefsManager.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>

#include "foundation/DeviceRoot.h"
#include "foundation/FileLock.h"
#include "foundation/NSLog.h"
#include "foundation/PropertyList.h"

// One XML property list per domain. Writers take an exclusive lock on a file beside it and
// replace the whole dictionary atomically, so readers need no lock: they always see a whole file,
// old or new. Nothing is cached, so a write by another process is seen by the next read.

namespace {

std::string preferencesPath(const std::string& domain) {
  return "/var/mobile/Library/Preferences/" + domain + ".plist";
}

// A domain becomes a file name: one that could name another folder is refused.
bool isUsableDomain(const std::string& domain) {
  return !domain.empty() && domain != "." && domain != ".." &&
         domain.find('/') == std::string::npos && domain.find('\0') == std::string::npos;
}

struct StoredDomain {
  plist::Dictionary values;
  // The file is there but is not a dictionary we can read.
  bool damaged = false;
};

StoredDomain load(const std::string& devicePath) {
  StoredDomain stored;
  std::optional<std::vector<uint8_t>> bytes = DeviceRoot::readFile(devicePath);
  if (!bytes) {
    std::optional<std::string> host = DeviceRoot::resolve(devicePath);
    std::error_code error;
    stored.damaged = host && std::filesystem::exists(*host, error);
    return stored;
  }
  plist::Result<plist::Value> root = plist::read(*bytes);
  if (!root || !root.value->get<plist::Dictionary>()) {
    stored.damaged = true;
    return stored;
  }
  stored.values = std::move(*root.value->get<plist::Dictionary>());
  return stored;
}

// Moves a damaged file to "<file>.damaged" (or the first free "<file>.damaged-N"), so that
// replacing it loses nothing someone might still want to recover.
bool keepAside(const std::string& hostPath) {
  std::error_code error;
  std::string target = hostPath + ".damaged";
  for (int n = 2; std::filesystem::exists(target, error) && n < 1000; ++n) {
    target = hostPath + ".damaged-" + std::to_string(n);
  }
  return ::rename(hostPath.c_str(), target.c_str()) == 0;
}

}  // namespace

OBJC_CLASS_IMPL(BVPrefsManager) {}

std::shared_ptr<BVPrefsManager> BVPrefsManager::sharedInstance() {
  static const std::shared_ptr<BVPrefsManager> shared = alloc();
  return shared;
}

bool BVPrefsManager::boolForKey(const std::string& key, bool defaultValue,
                                const std::string& ID) const {
  if (!isUsableDomain(ID)) return defaultValue;
  StoredDomain stored = load(preferencesPath(ID));
  for (const auto& [name, value] : stored.values) {
    if (name != key) continue;
    if (const bool* flag = value.get<bool>()) return *flag;
    if (const plist::Integer* number = value.get<plist::Integer>()) return number->value != 0;
    if (const double* real = value.get<double>()) return *real != 0;
    return defaultValue;
  }
  return defaultValue;
}

void BVPrefsManager::setBool(bool value, const std::string& key, const std::string& ID) {
  if (!isUsableDomain(ID)) {
    NSLog("BVPrefsManager: refusing the domain \"%s\", which is not a file name", ID.c_str());
    return;
  }
  const std::string devicePath = preferencesPath(ID);
  std::optional<std::string> host = DeviceRoot::resolve(devicePath);
  if (!host) return;
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(*host).parent_path(), error);

  FileLock lock(devicePath, FileLock::Where::LockFileBeside);
  if (!lock.isHeld()) {
    NSLog("BVPrefsManager: cannot lock %s; \"%s\" not stored", devicePath.c_str(), key.c_str());
    return;
  }
  StoredDomain stored = load(devicePath);
  if (stored.damaged && !keepAside(*host)) {
    NSLog("BVPrefsManager: %s cannot be read or moved aside; \"%s\" not stored", devicePath.c_str(),
          key.c_str());
    return;
  }
  if (stored.damaged) {
    NSLog("BVPrefsManager: %s could not be read; kept it aside as damaged", devicePath.c_str());
  }

  bool replaced = false;
  for (auto& [name, entry] : stored.values) {
    if (name == key) {
      entry = value;
      replaced = true;
    }
  }
  if (!replaced) stored.values.emplace_back(key, value);
  if (!DeviceRoot::writeFile(devicePath, plist::writeXML(plist::Value(std::move(stored.values))),
                             true)) {
    NSLog("BVPrefsManager: writing %s failed", devicePath.c_str());
  }
}
