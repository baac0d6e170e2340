// parlo-files settings: reads and changes the add-on's settings file in a device's host app,
// through the add-on's own store, so a value set here is read by the add-on exactly as if its
// settings screen had written it.

#include <cctype>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Command.h"
#include "HostApp.h"
#include "HostFiles.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSNumber.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/NSString.h"
#include "settings/SettingKeys.h"
#include "settings/SettingManager.h"
#include "uikit/UIImage.h"

const char* const kSettingsUsage =
    "  parlo-files settings [--device-root DIR] [--home PATH] list\n"
    "  parlo-files settings [--device-root DIR] [--home PATH] get KEY\n"
    "  parlo-files settings [--device-root DIR] [--home PATH] set KEY VALUE\n"
    "      booleans take YES or NO, delays whole seconds, profileAvatar an image FILE;\n"
    "      PATH is the app's home on the device (default: the host app's container)";

namespace {

int usage() {
  return fail(
      "usage: parlo-files settings [--device-root DIR] [--home PATH] list | get KEY | "
      "set KEY VALUE");
}

const char* typeName(SettingType type) {
  switch (type) {
    case SettingType::Boolean:
      return "boolean";
    case SettingType::Integer:
      return "integer";
    case SettingType::String:
      return "string";
    case SettingType::Data:
      return "data";
  }
  return "?";
}

std::string describeData(const NSData& data) {
  auto image = UIImage::imageWithData(NSData::dataWithData(data));
  const std::string size = std::to_string(data.length()) + " bytes";
  if (!image) return "data, " + size;
  const bool jpeg = data.length() >= 3 && data.bytes()[0] == 0xFF && data.bytes()[1] == 0xD8;
  return std::string(jpeg ? "JPEG" : "PNG") + " image " + std::to_string(image->pixelWidth()) +
         " x " + std::to_string(image->pixelHeight()) + ", " + size;
}

std::string describe(const id& value) {
  if (!value) return "(none)";
  if (auto string = std::dynamic_pointer_cast<NSString>(value)) return string->utf8();
  if (auto data = std::dynamic_pointer_cast<NSData>(value)) return describeData(*data);
  if (auto number = std::dynamic_pointer_cast<NSNumber>(value)) {
    if (number->kind() == NSNumber::Kind::Boolean) return number->boolValue() ? "YES" : "NO";
  }
  return value->description();
}

// The value as the add-on's readers see it: through the same getter, with the same default.
std::string effectiveValue(const SettingManager& store, const std::string& key,
                           const SettingKey& entry) {
  switch (entry.type) {
    case SettingType::Boolean:
      return store.boolForKey(key, std::get<bool>(entry.defaultValue)) ? "YES" : "NO";
    case SettingType::Integer:
      return std::to_string(store.floatForKey(key, std::get<int64_t>(entry.defaultValue)));
    case SettingType::String:
      return describe(store.objectForKey(
          key, NSString::string(std::get<std::string_view>(entry.defaultValue))));
    case SettingType::Data:
      return describe(store.objectForKey(key));
  }
  return {};
}

std::optional<bool> parseBoolean(std::string_view text) {
  std::string lower;
  for (char c : text) lower += char(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "yes" || lower == "true" || lower == "1") return true;
  if (lower == "no" || lower == "false" || lower == "0") return false;
  return std::nullopt;
}

std::optional<int64_t> parseInteger(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// The photo as the settings screen stores it: JPEG data. A JPEG is kept byte for byte; a PNG is
// re-encoded at quality 1.0, as the photo picker's image would be.
std::shared_ptr<NSData> avatarData(const std::string& file, std::string& error) {
  std::vector<uint8_t> bytes;
  if (HostFileResult read = readHostFile(file, bytes); !read.ok) {
    error = file + ": " + read.error;
    return nullptr;
  }
  auto data = NSData::dataWithBytes(std::move(bytes));
  auto image = UIImage::imageWithData(data);
  if (!image) {
    error = file + ": not a PNG or JPEG image";
    return nullptr;
  }
  const bool jpeg = data->length() >= 3 && data->bytes()[0] == 0xFF && data->bytes()[1] == 0xD8;
  return jpeg ? data : UIImageJPEGRepresentation(image, 1.0);
}

int list() {
  auto store = SettingManager::sharedInstance();
  if (SettingManager::settingsFileIsDamaged()) {
    std::fprintf(stderr,
                 "parlo-files: %s cannot be read; these are the defaults (the next set keeps "
                 "the damaged file aside)\n",
                 SettingManager::settingsFilePath().c_str());
  }
  auto stored = store->settings();

  // Fixed keys in table order, then every recipient's keys and any other key the file holds, in
  // file order.
  std::vector<std::string> keys;
  for (const SettingKey& entry : SettingKeys::all()) {
    if (!entry.perRecipient) keys.emplace_back(entry.name);
  }
  for (const auto& [key, value] : stored->entries()) {
    const std::string name = std::dynamic_pointer_cast<NSString>(key)->utf8();
    const SettingKey* entry = SettingKeys::find(name);
    if (!entry || entry->perRecipient) keys.push_back(name);
  }

  for (const std::string& key : keys) {
    const SettingKey* entry = SettingKeys::find(key);
    const bool present = stored->objectForKey(key) != nullptr;
    const std::string value =
        entry ? effectiveValue(*store, key, *entry) : describe(stored->objectForKey(key));
    const char* note = !entry ? "  (not used by the add-on)" : present ? "" : "  (default)";
    std::printf("%-24s %-8s %s%s\n", key.c_str(), entry ? typeName(entry->type) : "-",
                value.c_str(), note);
  }
  return std::fflush(stdout) == 0 ? 0 : fail("cannot write to standard output");
}

int get(const std::string& key) {
  const SettingKey* entry = SettingKeys::find(key);
  if (!entry) return fail("unknown key \"" + key + "\"; parlo-files settings list shows them");
  const std::string value = effectiveValue(*SettingManager::sharedInstance(), key, *entry);
  std::printf("%s\n", value.c_str());
  return std::fflush(stdout) == 0 ? 0 : fail("cannot write to standard output");
}

int set(const std::string& key, const std::string& text) {
  const SettingKey* entry = SettingKeys::find(key);
  if (!entry) return fail("unknown key \"" + key + "\"; parlo-files settings list shows them");

  // Everything is checked before anything is written.
  id value;
  std::string error;
  switch (entry->type) {
    case SettingType::Boolean:
      if (auto parsed = parseBoolean(text)) value = NSNumber::numberWithBool(*parsed);
      error = "\"" + text + "\" is not a boolean: use YES or NO";
      break;
    case SettingType::Integer:
      if (auto parsed = parseInteger(text)) value = NSNumber::numberWithLongLong(*parsed);
      error = "\"" + text + "\" is not a whole number of seconds";
      break;
    case SettingType::String:
      value = NSString::stringWithUTF8String(text.c_str());
      if (text.find('\0') != std::string::npos) value = nullptr;
      error = "the value is not UTF-8 text";
      break;
    case SettingType::Data:
      value = avatarData(text, error);
      break;
  }
  if (!value) return fail(key + ": " + error);

  const std::string path = SettingManager::settingsFilePath();
  NSFileManager::defaultManager()->createDirectoryAtPath(stringByDeletingLastPathComponent(path),
                                                         true, nullptr, nullptr);
  auto store = SettingManager::sharedInstance();
  const bool written =
      entry->type == SettingType::Boolean
          ? store->setBool(std::dynamic_pointer_cast<NSNumber>(value)->boolValue(), key)
      : entry->type == SettingType::Integer
          ? store->setFloat(std::dynamic_pointer_cast<NSNumber>(value)->longLongValue(), key)
          : store->setObject(value, key);
  if (!written) return fail("cannot write " + path);
  return 0;
}

int run(Arguments arguments) {
  std::vector<std::string> words;
  std::optional<std::string> home;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::string option = argument;
    std::optional<std::string> inlineValue;
    if (const auto equals = argument.find('=');
        argument.starts_with("--") && equals != argument.npos) {
      option = argument.substr(0, equals);
      inlineValue = argument.substr(equals + 1);
    }
    if (option == "--device-root" || option == "--home") {
      std::string value;
      if (inlineValue) {
        value = *inlineValue;
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        return fail(option + " needs a value");
      }
      if (value.empty()) return fail(option + " needs a value");
      if (option == "--device-root") {
        DeviceRoot::setPath(value);
      } else {
        home = value;
      }
    } else if (argument.starts_with("--") && words.empty()) {
      return fail("unknown option \"" + argument + "\"");
    } else {
      words.push_back(argument);
    }
  }

  NSSetHomeDirectory(home ? *home : HostApp::containerPath(HostApp::kDefaultBundleIdentifier));

  if (words.empty()) return usage();
  const std::string& command = words[0];
  if (command == "list" && words.size() == 1) return list();
  if (command == "get" && words.size() == 2) return get(words[1]);
  if (command == "set" && words.size() == 3) return set(words[1], words[2]);
  if (command != "list" && command != "get" && command != "set") {
    return fail("unknown settings command \"" + command + "\"");
  }
  return usage();
}

}  // namespace

static const CommandRegistration registration("settings", kSettingsUsage, run);
