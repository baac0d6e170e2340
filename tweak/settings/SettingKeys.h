#pragma once

// Every key the add-on keeps in its settings file, with the type it is stored as and the default
// its readers pass to SettingManager (the store itself applies no defaults). Three keys belong to
// one recipient: "<user name>-followersCount" and the like, so each recipient has their own.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

enum class SettingType {
  Boolean,  // NSNumber boolean, read with boolForKey:defaultValue:
  Integer,  // 64-bit NSNumber, read with floatForKey:defaultValue: (a stored 0 reads as default)
  String,   // NSString, read with objectForKey:defaultValue:
  Data,     // NSData (the profile photo as JPEG), read with objectForKey:
};

struct SettingKey {
  // The whole key, or for a recipient's key the part after "<user name>-".
  std::string_view name;
  SettingType type;
  bool perRecipient;
  // What the readers pass when the key is absent; monostate for "no value".
  std::variant<std::monostate, bool, int64_t, std::string_view> defaultValue;
};

namespace SettingKeys {

// The table, fixed keys first.
const std::vector<SettingKey>& all();

// The entry for a concrete key ("autoSaveMessage", "alice-postCount"); nullptr when the add-on
// stores no such key.
const SettingKey* find(std::string_view key);

// A recipient's keys: "<user name>-followersCount", "-postCount", "-isVerified".
std::string followersCount(std::string_view username);
std::string postCount(std::string_view username);
std::string isVerified(std::string_view username);

}  // namespace SettingKeys
