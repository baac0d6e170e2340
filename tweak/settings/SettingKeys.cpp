#include "settings/SettingKeys.h"

namespace SettingKeys {

const std::vector<SettingKey>& all() {
  static const std::vector<SettingKey> table = {
      {"autoSaveMessage", SettingType::Boolean, false, true},
      {"followEachOther", SettingType::Boolean, false, true},
      {"profileUsername", SettingType::String, false, std::string_view("Your Username")},
      {"profileAvatar", SettingType::Data, false, std::monostate()},
      {"joinCallDelay", SettingType::Integer, false, int64_t{5}},
      {"incomingCallDelay", SettingType::Integer, false, int64_t{2}},
      {"followersCount", SettingType::String, true, std::string_view("35.5K")},
      {"postCount", SettingType::String, true, std::string_view("5.3K")},
      {"isVerified", SettingType::Boolean, true, true},
  };
  return table;
}

const SettingKey* find(std::string_view key) {
  for (const SettingKey& entry : all()) {
    if (!entry.perRecipient) {
      if (key == entry.name) return &entry;
      continue;
    }
    // "<user name>-<name>" with a user name of at least one character.
    if (key.size() > entry.name.size() + 1 && key.ends_with(entry.name) &&
        key[key.size() - entry.name.size() - 1] == '-') {
      return &entry;
    }
  }
  return nullptr;
}

std::string followersCount(std::string_view username) {
  return std::string(username) + "-followersCount";
}

std::string postCount(std::string_view username) {
  return std::string(username) + "-postCount";
}

std::string isVerified(std::string_view username) {
  return std::string(username) + "-isVerified";
}

}  // namespace SettingKeys
