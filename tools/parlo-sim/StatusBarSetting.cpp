#include "StatusBarSetting.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "foundation/DeviceRoot.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"

namespace sim::StatusBarSetting {

const char* const kPath = "/var/mobile/Library/Preferences/com.parlo.sim.statusbar.plist";

namespace {

std::optional<int> integer(const std::string& text, int low, int high) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<render::StatusBar> read() {
  auto stored = NSDictionary::dictionaryWithContentsOfFile(kPath);
  if (!stored) return std::nullopt;
  render::StatusBar bar;
  if (auto time = std::dynamic_pointer_cast<NSString>(stored->objectForKey("time"))) {
    bar.time = time->UTF8String();
  }
  if (auto carrier = std::dynamic_pointer_cast<NSString>(stored->objectForKey("carrier"))) {
    bar.carrier = carrier->UTF8String();
  }
  if (auto battery = std::dynamic_pointer_cast<NSNumber>(stored->objectForKey("battery"))) {
    bar.battery = std::clamp(battery->intValue(), 0, 100);
  }
  if (auto signal = std::dynamic_pointer_cast<NSNumber>(stored->objectForKey("signal"))) {
    bar.signal = std::clamp(signal->intValue(), 0, 4);
  }
  if (auto wifi = std::dynamic_pointer_cast<NSNumber>(stored->objectForKey("wifi"))) {
    bar.wifi = wifi->boolValue();
  }
  return bar;
}

bool write(const render::StatusBar& bar) {
  auto values = NSMutableDictionary::dictionary();
  values->setObject(NSString::string(bar.time), NSString::string("time"));
  values->setObject(NSString::string(bar.carrier), NSString::string("carrier"));
  values->setObject(NSNumber::numberWithInt(bar.battery), NSString::string("battery"));
  values->setObject(NSNumber::numberWithInt(bar.signal), NSString::string("signal"));
  values->setObject(NSNumber::numberWithBool(bar.wifi), NSString::string("wifi"));
  auto host = DeviceRoot::resolve(kPath);
  if (!host) return false;
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(*host).parent_path(), error);
  return values->writeToFile(kPath, true);
}

bool remove() {
  auto host = DeviceRoot::resolve(kPath);
  std::error_code error;
  return host && (std::filesystem::remove(*host, error) || !error);
}

int runCommand(int argc, char** argv, int first) {
  render::StatusBar bar;
  bool ifUnset = false, off = false;
  for (int i = first; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--if-unset") {
      ifUnset = true;
      continue;
    }
    if (option == "--off") {
      off = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "%s needs a value\n", option.c_str());
      return 2;
    }
    const std::string value = argv[++i];
    if (option == "--time" && !value.empty() && value.size() <= 16) {
      bar.time = value;
    } else if (option == "--carrier" && value.size() <= 64) {
      bar.carrier = value;
    } else if (option == "--battery" && integer(value, 0, 100)) {
      bar.battery = *integer(value, 0, 100);
    } else if (option == "--signal" && integer(value, 0, 4)) {
      bar.signal = *integer(value, 0, 4);
    } else if (option == "--wifi" && (value == "on" || value == "off")) {
      bar.wifi = value == "on";
    } else {
      std::fprintf(stderr,
                   "bad status bar option %s %s (--time TEXT of up to 16 bytes, --battery 0-100, "
                   "--carrier NAME, --signal 0-4, --wifi on|off)\n",
                   option.c_str(), value.c_str());
      return 2;
    }
  }
  if (off) {
    if (remove()) return 0;
    std::fprintf(stderr, "cannot remove the status bar setting %s\n", kPath);
    return 1;
  }
  if (ifUnset && read()) return 0;
  if (write(bar)) return 0;
  std::fprintf(stderr, "cannot write the status bar setting %s\n", kPath);
  return 1;
}

}  // namespace sim::StatusBarSetting
