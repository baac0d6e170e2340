#include "foundation/NSTimeZone.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <vector>

#include "foundation/NSDate.h"
#include "foundation/PosixTimeZoneRule.h"

OBJC_CLASS_IMPL(NSTimeZone) {
  c.method("secondsFromGMT", &NSTimeZone::secondsFromGMT);
}

// How a zone's offset depends on the instant.
class NSTimeZone::Rules {
 public:
  virtual ~Rules() = default;
  virtual int64_t offsetAt(int64_t unixTime) const = 0;
  // Zones with equal rules and names are equal; fixed zones compare by offset.
  virtual std::optional<int64_t> fixedOffset() const { return std::nullopt; }
};

namespace {

class FixedRules final : public NSTimeZone::Rules {
 public:
  explicit FixedRules(int64_t offset) : offset_(offset) {}
  int64_t offsetAt(int64_t) const override { return offset_; }
  std::optional<int64_t> fixedOffset() const override { return offset_; }

 private:
  int64_t offset_;
};

// The C library's local time, for a TZ that is a POSIX rule rather than a zone file.
class CLibraryRules final : public NSTimeZone::Rules {
 public:
  int64_t offsetAt(int64_t unixTime) const override {
    auto t = static_cast<time_t>(unixTime);
    tm local{};
    if (!localtime_r(&t, &local)) return 0;
    return local.tm_gmtoff;
  }
};

// A compiled zone file (RFC 8536). After the last listed transition the rule line at its end
// decides; a file without one keeps the last offset.
class ZoneFileRules final : public NSTimeZone::Rules {
 public:
  static std::shared_ptr<const ZoneFileRules> read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return nullptr;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
    auto rules = std::make_shared<ZoneFileRules>();
    if (!rules->parse(bytes)) return nullptr;
    return rules;
  }

  int64_t offsetAt(int64_t unixTime) const override {
    if (footer_ && (transitions_.empty() || unixTime >= transitions_.back())) {
      return footer_->offsetAt(unixTime);
    }
    if (transitions_.empty() || unixTime < transitions_.front()) return offsets_.front();
    auto after = std::upper_bound(transitions_.begin(), transitions_.end(), unixTime);
    return offsets_[typeOfTransition_[static_cast<size_t>(after - transitions_.begin()) - 1]];
  }

 private:
  bool parse(const std::vector<uint8_t>& b) {
    size_t at = 0;
    auto need = [&](size_t n) { return at + n <= b.size(); };
    auto u32 = [&](size_t p) {
      return (uint32_t(b[p]) << 24) | (uint32_t(b[p + 1]) << 16) | (uint32_t(b[p + 2]) << 8) |
             b[p + 3];
    };
    auto i64 = [&](size_t p) {
      return static_cast<int64_t>((uint64_t(u32(p)) << 32) | u32(p + 4));
    };
    struct Counts {
      uint32_t isut, isstd, leap, time, type, chars;
    };
    auto header = [&](Counts& c) {
      if (!need(44) || std::string_view(reinterpret_cast<const char*>(&b[at]), 4) != "TZif")
        return false;
      c = {u32(at + 20), u32(at + 24), u32(at + 28), u32(at + 32), u32(at + 36), u32(at + 40)};
      at += 44;
      return c.type > 0 && c.time < 100000 && c.type < 256 && c.chars < 100000 && c.leap < 100000;
    };
    Counts c{};
    if (!header(c)) return false;
    char version = static_cast<char>(b[4]);
    size_t timeSize = 4;
    if (version >= '2') {
      // Skip the 32-bit block; the 64-bit one follows with its own header.
      size_t v1 = c.time * 5 + c.type * 6 + c.chars + c.leap * 8 + c.isstd + c.isut;
      if (!need(v1)) return false;
      at += v1;
      if (!header(c)) return false;
      timeSize = 8;
    }
    if (!need(c.time * (timeSize + 1) + c.type * 6)) return false;
    for (uint32_t i = 0; i < c.time; ++i) {
      size_t p = at + i * timeSize;
      transitions_.push_back(timeSize == 8 ? i64(p) : static_cast<int32_t>(u32(p)));
    }
    at += c.time * timeSize;
    for (uint32_t i = 0; i < c.time; ++i) {
      if (b[at + i] >= c.type) return false;
      typeOfTransition_.push_back(b[at + i]);
    }
    at += c.time;
    for (uint32_t i = 0; i < c.type; ++i) offsets_.push_back(static_cast<int32_t>(u32(at + i * 6)));
    if (timeSize == 8) {
      // The rule line, between newlines after the 64-bit data.
      at += size_t{c.type} * 6 + c.chars + size_t{c.leap} * 12 + c.isstd + c.isut;
      if (need(1) && b[at] == '\n') {
        const auto* text = reinterpret_cast<const char*>(b.data()) + at + 1;
        const std::string_view rest(text, b.size() - at - 1);
        footer_ = PosixTimeZoneRule::parse(rest.substr(0, rest.find('\n')));
      }
    }
    return std::is_sorted(transitions_.begin(), transitions_.end());
  }

  std::vector<int64_t> transitions_;
  std::vector<uint8_t> typeOfTransition_;
  std::vector<int64_t> offsets_;
  std::optional<PosixTimeZoneRule> footer_;
};

// "+2", "-05:30", "+0530" after "GMT" or "UTC"; the offset in seconds.
std::optional<int64_t> parseOffset(std::string_view text) {
  if (text.empty()) return 0;
  if (text[0] != '+' && text[0] != '-') return std::nullopt;
  int sign = text[0] == '-' ? -1 : 1;
  std::string digits;
  for (char c : text.substr(1)) {
    if (c >= '0' && c <= '9') {
      digits += c;
    } else if (c != ':') {
      return std::nullopt;
    }
  }
  if (digits.empty() || digits.size() > 4) return std::nullopt;
  int hours = 0, minutes = 0;
  if (digits.size() <= 2) {
    hours = std::stoi(digits);
  } else {
    hours = std::stoi(digits.substr(0, digits.size() - 2));
    minutes = std::stoi(digits.substr(digits.size() - 2));
  }
  if (hours > 18 || minutes > 59) return std::nullopt;
  return sign * (hours * 3600 + minutes * 60);
}

bool isZoneName(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.find("..") != std::string_view::npos)
    return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '_' || c == '-' ||
           c == '+';
  });
}

std::string zoneDirectory() {
  const char* dir = std::getenv("TZDIR");
  return dir && *dir ? dir : "/usr/share/zoneinfo";
}

std::shared_ptr<NSTimeZone> readLocalTimeZone() {
  const char* tz = std::getenv("TZ");
  if (tz) {
    std::string_view name = tz;
    if (name.starts_with(':')) name.remove_prefix(1);
    if (name.empty() || name == "UTC" || name == "GMT") return NSTimeZone::timeZoneWithName("UTC");
    // A zone file by name; anything else is a POSIX rule such as "CET-1CEST,M3.5.0,M10.5.0/3"
    // (where "GMT+3" means three hours west), which the C library reads.
    if (isZoneName(name)) {
      if (auto rules = ZoneFileRules::read(zoneDirectory() + "/" + std::string(name))) {
        return std::make_shared<NSTimeZone>(std::string(name), rules);
      }
    }
    tzset();
    return std::make_shared<NSTimeZone>(std::string(name), std::make_shared<CLibraryRules>());
  }
  std::error_code error;
  std::filesystem::path target = std::filesystem::read_symlink("/etc/localtime", error);
  std::string name = "Local";
  if (!error) {
    std::string text = target.lexically_normal().string();
    size_t at = text.find("zoneinfo/");
    if (at != std::string::npos) name = text.substr(at + 9);
  }
  if (auto rules = ZoneFileRules::read("/etc/localtime")) {
    return std::make_shared<NSTimeZone>(name, rules);
  }
  return NSTimeZone::timeZoneWithName("UTC");
}

std::shared_ptr<NSTimeZone>& cachedLocalTimeZone() {
  static std::shared_ptr<NSTimeZone> zone;
  return zone;
}

}  // namespace

NSTimeZone::NSTimeZone(std::string name, std::shared_ptr<const Rules> rules)
    : name_(std::move(name)), rules_(std::move(rules)) {}

std::shared_ptr<NSTimeZone> NSTimeZone::localTimeZone() {
  auto& zone = cachedLocalTimeZone();
  if (!zone) zone = readLocalTimeZone();
  return zone;
}

void NSTimeZone::resetSystemTimeZone() {
  cachedLocalTimeZone().reset();
}

std::shared_ptr<NSTimeZone> NSTimeZone::timeZoneWithName(std::string_view name) {
  for (std::string_view prefix : {"GMT", "UTC", "Etc/UTC", "Etc/GMT"}) {
    if (name == prefix)
      return std::make_shared<NSTimeZone>(std::string(name), std::make_shared<FixedRules>(0));
  }
  for (std::string_view prefix : {"GMT", "UTC"}) {
    if (name.starts_with(prefix)) {
      if (auto offset = parseOffset(name.substr(prefix.size()))) {
        return std::make_shared<NSTimeZone>(std::string(name),
                                            std::make_shared<FixedRules>(*offset));
      }
      return nullptr;
    }
  }
  if (!isZoneName(name)) return nullptr;
  auto rules = ZoneFileRules::read(zoneDirectory() + "/" + std::string(name));
  if (!rules) return nullptr;
  return std::make_shared<NSTimeZone>(std::string(name), rules);
}

std::shared_ptr<NSTimeZone> NSTimeZone::timeZoneForSecondsFromGMT(NSInteger seconds) {
  if (seconds > 18 * 3600 || seconds < -18 * 3600) return nullptr;
  NSInteger magnitude = seconds < 0 ? -seconds : seconds;
  char name[32];
  std::snprintf(name, sizeof name, "GMT%c%02lld%02lld", seconds < 0 ? '-' : '+',
                static_cast<long long>(magnitude / 3600),
                static_cast<long long>(magnitude % 3600 / 60));
  return std::make_shared<NSTimeZone>(name, std::make_shared<FixedRules>(seconds));
}

NSInteger NSTimeZone::secondsFromGMT() const {
  return secondsFromGMTForDate(*NSDate::date());
}

NSInteger NSTimeZone::secondsFromGMTForDate(const NSDate& date) const {
  return secondsFromGMTAt(date.timeIntervalSince1970());
}

NSInteger NSTimeZone::secondsFromGMTAt(double unixTime) const {
  return rules_->offsetAt(static_cast<int64_t>(std::floor(unixTime)));
}

NSInteger NSTimeZone::secondsFromGMTForLocalTime(double localUnixTime) const {
  if (auto fixed = rules_->fixedOffset()) return *fixed;
  auto local = static_cast<int64_t>(std::floor(localUnixTime));
  int64_t before = rules_->offsetAt(local - 86400);
  int64_t after = rules_->offsetAt(local + 86400);
  std::optional<int64_t> chosen;
  for (int64_t candidate : {before, after}) {
    // A candidate is right when the instant it gives has that offset; in an overlap both are,
    // and the larger offset is the earlier instant.
    if (rules_->offsetAt(local - candidate) == candidate) {
      chosen = chosen ? std::max(*chosen, candidate) : candidate;
    }
  }
  return chosen ? *chosen : before;
}

bool NSTimeZone::isEqual(const id& other) const {
  auto* zone = dynamic_cast<const NSTimeZone*>(other.get());
  if (!zone) return false;
  if (zone->name_ != name_) return false;
  auto a = rules_->fixedOffset();
  auto b = zone->rules_->fixedOffset();
  return a == b;
}

size_t NSTimeZone::hash() const {
  return std::hash<std::string>{}(name_);
}
