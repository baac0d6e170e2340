#include "foundation/PosixTimeZoneRule.h"

#include <cctype>

#include "foundation/CivilCalendar+Private.h"

namespace {

using civil::daysFromCivil;
using civil::isLeapYear;

int64_t floorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool done() const { return at_ == text_.size(); }
  bool peek(char c) const { return at_ < text_.size() && text_[at_] == c; }
  bool take(char c) {
    if (!peek(c)) return false;
    ++at_;
    return true;
  }

  // "CET" (three or more letters) or "<+0330>" (quoted, may hold digits and signs).
  bool name() {
    if (take('<')) {
      size_t start = at_;
      while (at_ < text_.size() && text_[at_] != '>') ++at_;
      return at_ - start >= 3 && take('>');
    }
    size_t start = at_;
    while (at_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[at_]))) ++at_;
    return at_ - start >= 3;
  }

  // [+-]hh[:mm[:ss]] in seconds; hours up to 167 as the extended format allows.
  std::optional<int64_t> time() {
    int64_t sign = 1;
    if (take('-')) {
      sign = -1;
    } else {
      take('+');
    }
    auto hours = number(0, 167);
    if (!hours) return std::nullopt;
    int64_t seconds = *hours * 3600;
    if (take(':')) {
      auto minutes = number(0, 59);
      if (!minutes) return std::nullopt;
      seconds += *minutes * 60;
      if (take(':')) {
        auto secs = number(0, 59);
        if (!secs) return std::nullopt;
        seconds += *secs;
      }
    }
    return sign * seconds;
  }

  std::optional<int> number(int low, int high) {
    size_t start = at_;
    int64_t value = 0;
    while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])) &&
           at_ - start < 4) {
      value = value * 10 + (text_[at_++] - '0');
    }
    if (at_ == start || value < low || value > high) return std::nullopt;
    return static_cast<int>(value);
  }

 private:
  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace

std::optional<PosixTimeZoneRule> PosixTimeZoneRule::parse(std::string_view text) {
  Reader reader(text);
  PosixTimeZoneRule rule;
  if (!reader.name()) return std::nullopt;
  auto standard = reader.time();
  if (!standard) return std::nullopt;
  // POSIX counts hours west of Greenwich; offsets here are east.
  rule.standardOffset_ = -*standard;
  if (reader.done()) return rule;
  if (!reader.name()) return std::nullopt;
  rule.daylightOffset_ = rule.standardOffset_ + 3600;
  if (!reader.peek(',') && !reader.done()) {
    auto daylight = reader.time();
    if (!daylight) return std::nullopt;
    rule.daylightOffset_ = -*daylight;
  }
  if (reader.done()) {
    // No dates given: the United States' rule, as the C library assumes.
    rule.start_ = {Change::Kind::MonthWeekDay, 0, 3, 2, 7200};
    rule.end_ = {Change::Kind::MonthWeekDay, 0, 11, 1, 7200};
    return rule;
  }
  for (Change* change : {&rule.start_, &rule.end_}) {
    if (!reader.take(',')) return std::nullopt;
    if (reader.take('J')) {
      auto day = reader.number(1, 365);
      if (!day) return std::nullopt;
      *change = {Change::Kind::JulianNoLeap, *day, 0, 0, 7200};
    } else if (reader.take('M')) {
      auto month = reader.number(1, 12);
      if (!month || !reader.take('.')) return std::nullopt;
      auto week = reader.number(1, 5);
      if (!week || !reader.take('.')) return std::nullopt;
      auto day = reader.number(0, 6);
      if (!day) return std::nullopt;
      *change = {Change::Kind::MonthWeekDay, *day, *month, *week, 7200};
    } else {
      auto day = reader.number(0, 365);
      if (!day) return std::nullopt;
      *change = {Change::Kind::JulianZero, *day, 0, 0, 7200};
    }
    if (reader.take('/')) {
      auto time = reader.time();
      if (!time) return std::nullopt;
      change->time = *time;
    }
  }
  if (!reader.done()) return std::nullopt;
  return rule;
}

int64_t PosixTimeZoneRule::dayOfYear(int64_t year, const Change& change) {
  switch (change.kind) {
    case Change::Kind::JulianNoLeap:
      return change.day - 1 + (isLeapYear(year) && change.day >= 60 ? 1 : 0);
    case Change::Kind::JulianZero:
      return change.day;
    case Change::Kind::MonthWeekDay: {
      static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
      const int64_t first = daysFromCivil(year, change.month, 1);
      const int64_t weekdayOfFirst = ((first + 4) % 7 + 7) % 7;  // 1970-01-01 was a Thursday
      int64_t day = (change.day - weekdayOfFirst + 7) % 7 + 7 * (change.week - 1);
      const int length =
          lengths[change.month - 1] + (change.month == 2 && isLeapYear(year) ? 1 : 0);
      while (day >= length) day -= 7;
      return first - daysFromCivil(year, 1, 1) + day;
    }
  }
  return 0;
}

int64_t PosixTimeZoneRule::offsetAt(int64_t unixTime) const {
  if (!daylightOffset_) return standardOffset_;
  const int64_t year = civil::civilFromDays(floorDiv(unixTime + standardOffset_, 86400)).year;
  const int64_t january1 = daysFromCivil(year, 1, 1) * 86400;
  // Summer starts at a time in standard time and ends at a time in summer time.
  const int64_t start = january1 + dayOfYear(year, start_) * 86400 + start_.time - standardOffset_;
  const int64_t end = january1 + dayOfYear(year, end_) * 86400 + end_.time - *daylightOffset_;
  const bool summer =
      start < end ? unixTime >= start && unixTime < end : !(unixTime >= end && unixTime < start);
  return summer ? *daylightOffset_ : standardOffset_;
}
