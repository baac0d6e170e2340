#include "settings/SettingManager.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>

#include "foundation/Clock.h"
#include "foundation/DeviceRoot.h"
#include "foundation/FileLock.h"
#include "foundation/NSData.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSKeyedUnarchiver.h"
#include "foundation/NSLog.h"
#include "foundation/NSNumber.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/NSPropertyListSerialization.h"
#include "foundation/NSString.h"

namespace {

// A colour's keyed archive as the platform writes it: RGB components, or a white level, each
// with an alpha. Devices name the concrete classes, so those names decode as UIColor too.
id decodeColour(NSCoder& coder) {
  const double alpha =
      coder.containsValueForKey("UIAlpha") ? coder.decodeDoubleForKey("UIAlpha") : 1.0;
  if (coder.containsValueForKey("UIRed") || coder.containsValueForKey("UIGreen") ||
      coder.containsValueForKey("UIBlue")) {
    return UIColor::colorWithRed(coder.decodeDoubleForKey("UIRed"),
                                 coder.decodeDoubleForKey("UIGreen"),
                                 coder.decodeDoubleForKey("UIBlue"), alpha);
  }
  if (coder.containsValueForKey("UIWhite")) {
    return UIColor::colorWithWhite(coder.decodeDoubleForKey("UIWhite"), alpha);
  }
  return nullptr;
}

void makeColoursDecodable() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (!NSCoding::initializerForClass(UIColor::classObject())) {
      NSCoding::registerClass(UIColor::classObject(), decodeColour);
    }
  });
}

std::shared_ptr<UIColor> unarchiveColour(const NSData& data) {
  makeColoursDecodable();
  auto unarchiver = NSKeyedUnarchiver::initForReadingFromData(data.span(), nullptr);
  if (!unarchiver) return nullptr;
  for (const char* deviceName : {"UIDeviceRGBColor", "UIDeviceWhiteColor", "UICachedDeviceRGBColor",
                                 "UICachedDeviceWhiteColor"}) {
    unarchiver->setClass(UIColor::classObject(), deviceName);
  }
  return std::dynamic_pointer_cast<UIColor>(
      unarchiver->decodeObjectOfClasses({UIColor::classObject()}, "root"));
}

// A stored value's boolean reading, as boolValue gives it; nothing for a value that has none
// (data, a date), which then reads as if absent rather than as a guess.
std::optional<bool> booleanReading(const id& value) {
  if (auto number = std::dynamic_pointer_cast<NSNumber>(value)) return number->boolValue();
  if (auto string = std::dynamic_pointer_cast<NSString>(value)) return string->boolValue();
  return std::nullopt;
}

std::optional<int64_t> integerReading(const id& value) {
  if (auto number = std::dynamic_pointer_cast<NSNumber>(value)) return number->longLongValue();
  if (auto string = std::dynamic_pointer_cast<NSString>(value)) return string->longLongValue();
  return std::nullopt;
}

std::optional<int32_t> int32Reading(const id& value) {
  if (auto number = std::dynamic_pointer_cast<NSNumber>(value)) return number->intValue();
  if (auto string = std::dynamic_pointer_cast<NSString>(value)) return string->intValue();
  return std::nullopt;
}

// "FakeCallSettings.damaged-20260314-094100.plist" beside the settings file, with "-2", "-3"...
// when a file of that name is already there.
std::string damagedFilePath(const std::string& path) {
  const auto seconds = static_cast<std::time_t>(Clock::wallTime());
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);

  const std::string stem = stringByDeletingPathExtension(path) + ".damaged-" + stamp;
  auto fileManager = NSFileManager::defaultManager();
  std::string candidate = stem + ".plist";
  for (int n = 2; fileManager->fileExistsAtPath(candidate); ++n) {
    candidate = stem + "-" + std::to_string(n) + ".plist";
  }
  return candidate;
}

}  // namespace

std::shared_ptr<SettingManager> SettingManager::sharedInstance() {
  static const std::shared_ptr<SettingManager> shared = SettingManager::alloc();
  return shared;
}

namespace {

std::string documentsDirectory() {
  const std::vector<std::string> folders =
      NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true);
  return folders.empty() ? std::string() : folders.back();
}

}  // namespace

std::string SettingManager::settingsFilePath() {
  return documentsDirectory() + "/FakeCallSettings.plist";
}

std::string SettingManager::fakeCallVideoPath() {
  return documentsDirectory() + "/fakecall-video.mp4";
}

SettingManager::Contents SettingManager::read() {
  Contents contents{NSMutableDictionary::dictionary(), false};
  const std::string path = settingsFilePath();
  if (!NSFileManager::defaultManager()->fileExistsAtPath(path)) return contents;

  contents.damaged = true;
  std::optional<std::vector<uint8_t>> bytes = DeviceRoot::readFile(path);
  if (!bytes) return contents;
  id root = NSPropertyListSerialization::propertyListWithData(*bytes, NSPropertyListImmutable,
                                                              nullptr, nullptr);
  if (auto dictionary = std::dynamic_pointer_cast<NSDictionary>(root)) {
    contents.dictionary->addEntriesFromDictionary(*dictionary);
    contents.damaged = false;
  }
  return contents;
}

bool SettingManager::write(const std::string& key, const id& value) {
  const std::string path = settingsFilePath();
  // Other processes (the tools, a second app) rewrite the same file; without the lock a change
  // made between our read and our write would be lost.
  FileLock lock(path, FileLock::Where::ContainingFolder);
  if (!lock.isHeld()) {
    NSLog("SettingManager: cannot lock %s; \"%s\" not stored", path.c_str(), key.c_str());
    return false;
  }
  Contents contents = read();
  if (value) {
    contents.dictionary->setObject(value, key);
  } else {
    contents.dictionary->removeObjectForKey(key);
  }

  // Made before anything moves: a dictionary that cannot be written (a value no property list
  // holds, a date XML cannot name) leaves the file as it is.
  std::shared_ptr<NSError> error;
  auto data = NSPropertyListSerialization::dataWithPropertyList(
      contents.dictionary, NSPropertyListXMLFormat_v1_0, 0, &error);
  if (!data) {
    NSLog("SettingManager: \"%s\" not stored: %s", key.c_str(),
          error ? error->localizedDescription().c_str() : "the settings cannot be written");
    return false;
  }
  if (contents.damaged) {
    // What cannot be read today may still be recovered by hand; never write over it.
    if (!NSFileManager::defaultManager()->moveItemAtPath(path, damagedFilePath(path), nullptr)) {
      return false;
    }
  }
  if (!data->writeToFile(path, true)) {
    NSLog("SettingManager: \"%s\" not stored: %s cannot be written (%s)", key.c_str(), path.c_str(),
          std::strerror(errno));
    return false;
  }
  return true;
}

std::shared_ptr<NSMutableDictionary> SettingManager::settings() const {
  return read().dictionary;
}

bool SettingManager::settingsFileIsDamaged() {
  return read().damaged;
}

bool SettingManager::setBool(bool value, const std::string& key) {
  return write(key, NSNumber::numberWithBool(value));
}

bool SettingManager::setObject(const id& object, const std::string& key) {
  const bool written = write(key, object);
  NSLog("Write image data...");
  return written;
}

bool SettingManager::setFloat(int64_t value, const std::string& key) {
  return write(key, NSNumber::numberWithLongLong(value));
}

bool SettingManager::setInt(int32_t value, const std::string& key) {
  return write(key, NSNumber::numberWithInt(value));
}

bool SettingManager::boolForKey(const std::string& key, bool defaultValue) const {
  return booleanReading(settings()->objectForKey(key)).value_or(defaultValue);
}

id SettingManager::objectForKey(const std::string& key, const id& defaultValue) const {
  id value = settings()->objectForKey(key);
  return value ? value : defaultValue;
}

int64_t SettingManager::floatForKey(const std::string& key, int64_t defaultValue) const {
  const int64_t value = integerReading(settings()->objectForKey(key)).value_or(0);
  return value != 0 ? value : defaultValue;
}

int32_t SettingManager::intForKey(const std::string& key, int32_t defaultValue) const {
  const int32_t value = int32Reading(settings()->objectForKey(key)).value_or(0);
  return value != 0 ? value : defaultValue;
}

std::shared_ptr<UIColor> SettingManager::systemColourForKey(
    const std::string& key, const std::shared_ptr<UIColor>& defaultColour) const {
  auto data = std::dynamic_pointer_cast<NSData>(settings()->objectForKey(key));
  std::shared_ptr<UIColor> colour = data ? unarchiveColour(*data) : nullptr;
  return colour ? colour : defaultColour;
}

std::shared_ptr<UIImage> SettingManager::profileAvatar() const {
  auto data = std::dynamic_pointer_cast<NSData>(settings()->objectForKey("profileAvatar"));
  return data ? UIImage::imageWithData(data) : nullptr;
}

OBJC_CLASS_IMPL(SettingManager) {}
