#pragma once

// The add-on's settings inside the host app: one XML property-list dictionary,
// "FakeCallSettings.plist" in the app's Documents directory, read and written whole on every
// call. The store keeps nothing in memory, so a value written by anyone (the settings screen, the
// chat screen, parlo-files) is seen by the next getter.
//
// Getters never fail: a missing file, or one that cannot be read, reads as an empty dictionary.
// A file that exists but cannot be read is not thrown away by the next setter: it is first moved
// aside as "FakeCallSettings.damaged-<time>.plist" beside the new one. Every write replaces the
// file atomically, so a failed write leaves the old file whole.
//
// The keys, their types and the defaults their readers pass are listed in SettingKeys.h.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "foundation/NSDictionary.h"
#include "quartz/UIColor.h"
#include "runtime/NSObject.h"
#include "uikit/UIImage.h"

class SettingManager : public NSObject {
  OBJC_CLASS(SettingManager, NSObject);

 public:
  // The one store of the process, made on first use.
  static std::shared_ptr<SettingManager> sharedInstance();

  // The device path of the settings file: "<Documents>/FakeCallSettings.plist".
  static std::string settingsFilePath();
  // The device path of the call video beside it: "<Documents>/fakecall-video.mp4".
  static std::string fakeCallVideoPath();

  // Setters. Each reads the whole file, sets one key and writes the whole file back. They return
  // whether the file was written; the add-on's screens ignore it, tools report it.
  bool setBool(bool value, const std::string& key);
  // Stores a string or data as given; nil removes the key. Logs "Write image data..." after
  // every call, whatever the object.
  bool setObject(const id& object, const std::string& key);
  // Named after the selector the screens call; the value is a whole 64-bit integer.
  bool setFloat(int64_t value, const std::string& key);
  bool setInt(int32_t value, const std::string& key);

  // Getters with a default. Presence decides for booleans and objects: a stored NO reads NO.
  // For the integers a stored 0 reads as the default, the same as an absent key.
  bool boolForKey(const std::string& key, bool defaultValue) const;
  id objectForKey(const std::string& key, const id& defaultValue) const;
  int64_t floatForKey(const std::string& key, int64_t defaultValue) const;
  int32_t intForKey(const std::string& key, int32_t defaultValue) const;

  // Getters without a default: NO, nil, 0 when absent.
  bool boolForKey(const std::string& key) const { return boolForKey(key, false); }
  id objectForKey(const std::string& key) const { return objectForKey(key, nullptr); }
  int64_t floatForKey(const std::string& key) const { return floatForKey(key, 0); }
  int32_t intForKey(const std::string& key) const { return intForKey(key, 0); }

  // The colour archived (as a keyed archive) in the data under `key`; the default when the key
  // is absent or its data does not decode to a colour.
  std::shared_ptr<UIColor> systemColourForKey(const std::string& key,
                                              const std::shared_ptr<UIColor>& defaultColour) const;
  // The image made from the data under "profileAvatar"; nil when absent or not an image.
  std::shared_ptr<UIImage> profileAvatar() const;

  // The whole dictionary as the getters see it (empty when the file is missing or damaged).
  std::shared_ptr<NSMutableDictionary> settings() const;
  // Whether something is at the settings path that does not read as a dictionary; the next
  // setter will move it aside.
  static bool settingsFileIsDamaged();

  // Use sharedInstance; public only so that make_shared can reach it.
  SettingManager() = default;

 private:
  struct Contents {
    std::shared_ptr<NSMutableDictionary> dictionary;
    // Something is at the path but it is not a readable dictionary.
    bool damaged = false;
  };
  static Contents read();
  // Sets (or, for nil, removes) one key and writes the file back.
  static bool write(const std::string& key, const id& value);
};
