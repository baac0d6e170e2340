#pragma once
// The POSIX TZ rule that ends a zone file ("CET-1CEST,M3.5.0,M10.5.0/3"): the offsets of every
// year after the file's last listed change.

#include <cstdint>
#include <optional>
#include <string_view>

class PosixTimeZoneRule {
 public:
  // Nil for text that is not a rule. An empty rule (a zone file with no footer) is nil too.
  static std::optional<PosixTimeZoneRule> parse(std::string_view text);

  // Seconds east of UTC at an instant given as seconds since 1970.
  int64_t offsetAt(int64_t unixTime) const;

 private:
  // The day a change happens on: "Jn" (1...365, no leap day), "n" (0...365) or "Mm.w.d".
  struct Change {
    enum class Kind { JulianNoLeap, JulianZero, MonthWeekDay } kind = Kind::MonthWeekDay;
    int day = 0, month = 0, week = 0;
    int64_t time = 7200;  // local seconds after midnight; may be negative or beyond a day
  };

  static int64_t dayOfYear(int64_t year, const Change& change);

  int64_t standardOffset_ = 0;
  std::optional<int64_t> daylightOffset_;
  Change start_, end_;
};
