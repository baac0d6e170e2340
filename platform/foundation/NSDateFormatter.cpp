#include "foundation/NSDateFormatter.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "foundation/CivilCalendar+Private.h"
#include "foundation/NSDate.h"
#include "foundation/NSLocale.h"
#include "foundation/NSTimeZone.h"

OBJC_CLASS_IMPL(NSDateFormatter) {}

namespace {

constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",
                                                 "May",     "June",     "July",      "August",
                                                 "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

using civil::daysFromCivil;

using Civil = civil::Date;
using civil::civilFromDays;

int daysInMonth(int64_t y, int m) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && civil::isLeapYear(y) ? 29 : days[m - 1];
}

// One piece of a pattern: a run of one field letter, or literal text.
struct Token {
  char letter = 0;  // 0 for literal text
  int count = 0;
  std::string literal;
};

std::vector<Token> tokenize(const std::string& pattern) {
  std::vector<Token> tokens;
  auto addLiteral = [&](std::string_view text) {
    if (tokens.empty() || tokens.back().letter != 0) tokens.push_back({});
    tokens.back().literal += text;
  };
  for (size_t i = 0; i < pattern.size();) {
    char c = pattern[i];
    if (c == '\'') {
      if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
        addLiteral("'");
        i += 2;
        continue;
      }
      // Quoted text up to the closing quote; '' inside stands for one quote.
      ++i;
      std::string text;
      while (i < pattern.size()) {
        if (pattern[i] == '\'') {
          if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
            text += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        text += pattern[i++];
      }
      addLiteral(text);
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      int count = 0;
      while (i < pattern.size() && pattern[i] == c) {
        ++count;
        ++i;
      }
      tokens.push_back({c, count, {}});
    } else {
      addLiteral(std::string_view(&pattern[i], 1));
      ++i;
    }
  }
  return tokens;
}

std::string padded(int64_t value, int width) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

// "+01:00"-style offsets. `separator` between hours and minutes; minutes left out when zero and
// `optionalMinutes`.
std::string offsetText(int64_t offset, bool separator, bool optionalMinutes) {
  int64_t magnitude = offset < 0 ? -offset : offset;
  std::string text = (offset < 0 ? "-" : "+") + padded(magnitude / 3600, 2);
  int64_t minutes = magnitude % 3600 / 60;
  if (optionalMinutes && minutes == 0) return text;
  return text + (separator ? ":" : "") + padded(minutes, 2);
}

std::string gmtText(int64_t offset, bool longForm) {
  if (offset == 0) return "GMT";
  if (longForm) return "GMT" + offsetText(offset, true, false);
  int64_t magnitude = offset < 0 ? -offset : offset;
  std::string text = std::string("GMT") + (offset < 0 ? "-" : "+") + std::to_string(magnitude / 3600);
  if (magnitude % 3600) text += ":" + padded(magnitude % 3600 / 60, 2);
  return text;
}

// Reads text against a pattern.
class Parser {
 public:
  Parser(std::string_view text, const std::vector<Token>& tokens) : text_(text), tokens_(tokens) {}

  struct Fields {
    int64_t year = 2000;
    int month = 1, day = 1;
    std::optional<int> hour24, hour12, hour1to24, hour0to11;
    std::optional<bool> pm;
    int minute = 0, second = 0;
    double fraction = 0;
    std::optional<int64_t> offset;
  };

  std::optional<Fields> run() {
    Fields f;
    for (size_t t = 0; t < tokens_.size(); ++t) {
      const Token& token = tokens_[t];
      if (token.letter == 0) {
        if (!text_.substr(at_).starts_with(token.literal)) return std::nullopt;
        at_ += token.literal.size();
        continue;
      }
      // A numeric field followed at once by another takes exactly its width ("HHmm").
      bool abutting = t + 1 < tokens_.size() && tokens_[t + 1].letter != 0;
      int count = token.count;
      auto number = [&](int maxDigits) {
        return readNumber(abutting ? count : 1, abutting ? count : std::max(count, maxDigits));
      };
      std::optional<int64_t> value;
      switch (token.letter) {
        case 'y':
        case 'u':
          if (count == 2) {
            value = readNumber(2, 2);
            if (!value) return std::nullopt;
            f.year = *value < 50 ? 2000 + *value : 1900 + *value;
          } else {
            value = number(9);
            if (!value) return std::nullopt;
            f.year = *value;
          }
          break;
        case 'M':
        case 'L':
          if (count >= 3) {
            auto month = readName(kMonths, count == 3 ? 3 : 0);
            if (!month) return std::nullopt;
            f.month = *month + 1;
          } else {
            if (!(value = number(2)) || *value < 1 || *value > 12) return std::nullopt;
            f.month = static_cast<int>(*value);
          }
          break;
        case 'd':
          if (!(value = number(2)) || *value < 1 || *value > 31) return std::nullopt;
          f.day = static_cast<int>(*value);
          break;
        case 'E':
          if (!readName(kWeekdays, count <= 3 ? 3 : 0)) return std::nullopt;
          break;
        case 'H':
          if (!(value = number(2)) || *value > 23) return std::nullopt;
          f.hour24 = static_cast<int>(*value);
          break;
        case 'h':
          if (!(value = number(2)) || *value < 1 || *value > 12) return std::nullopt;
          f.hour12 = static_cast<int>(*value);
          break;
        case 'k':
          if (!(value = number(2)) || *value < 1 || *value > 24) return std::nullopt;
          f.hour1to24 = static_cast<int>(*value);
          break;
        case 'K':
          if (!(value = number(2)) || *value > 11) return std::nullopt;
          f.hour0to11 = static_cast<int>(*value);
          break;
        case 'm':
          if (!(value = number(2)) || *value > 59) return std::nullopt;
          f.minute = static_cast<int>(*value);
          break;
        case 's':
          if (!(value = number(2)) || *value > 59) return std::nullopt;
          f.second = static_cast<int>(*value);
          break;
        case 'S': {
          size_t start = at_;
          if (!(value = readNumber(1, abutting ? count : 9))) return std::nullopt;
          f.fraction = static_cast<double>(*value) / std::pow(10.0, static_cast<double>(at_ - start));
          break;
        }
        case 'a': {
          static constexpr std::array<const char*, 2> marks = {"AM", "PM"};
          auto mark = readName(marks, 0);
          if (!mark) return std::nullopt;
          f.pm = *mark == 1;
          break;
        }
        case 'Z':
        case 'x':
        case 'X':
        case 'z':
        case 'O':
          if (!(f.offset = readOffset())) return std::nullopt;
          break;
        default:
          return std::nullopt;
      }
    }
    if (at_ != text_.size()) return std::nullopt;
    if (f.day > daysInMonth(f.year, f.month)) return std::nullopt;
    return f;
  }

 private:
  std::optional<int64_t> readNumber(int minDigits, int maxDigits) {
    int64_t value = 0;
    int digits = 0;
    while (digits < maxDigits && at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) {
      value = value * 10 + (text_[at_++] - '0');
      ++digits;
    }
    if (digits < minDigits) return std::nullopt;
    return value;
  }

  static bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) ==
                    std::tolower(static_cast<unsigned char>(y));
           });
  }

  // The index of the name that the text starts with (cut to `length` letters when not 0).
  template <size_t N>
  std::optional<int> readName(const std::array<const char*, N>& names, size_t length) {
    for (size_t i = 0; i < N; ++i) {
      std::string_view name = names[i];
      if (length) name = name.substr(0, length);
      if (equalsIgnoringCase(text_.substr(at_, name.size()), name)) {
        at_ += name.size();
        return static_cast<int>(i);
      }
    }
    return std::nullopt;
  }

  // "Z", "GMT", "UTC", "+01", "+0100", "+01:00", optionally after "GMT"/"UTC".
  std::optional<int64_t> readOffset() {
    std::string_view rest = text_.substr(at_);
    if (rest.starts_with("Z")) {
      ++at_;
      return 0;
    }
    bool named = false;
    if (rest.starts_with("GMT") || rest.starts_with("UTC")) {
      at_ += 3;
      named = true;
    }
    if (at_ >= text_.size() || (text_[at_] != '+' && text_[at_] != '-')) {
      if (named) return 0;
      return std::nullopt;
    }
    int sign = text_[at_++] == '-' ? -1 : 1;
    size_t start = at_;
    auto hours = readNumber(1, 2);
    if (!hours) return std::nullopt;
    int64_t minutes = 0;
    if (at_ < text_.size() && text_[at_] == ':') {
      ++at_;
      auto m = readNumber(2, 2);
      if (!m) return std::nullopt;
      minutes = *m;
    } else if (at_ - start == 2) {
      if (auto m = readNumber(2, 2)) minutes = *m;
    }
    if (*hours > 18 || minutes > 59) return std::nullopt;
    return sign * (*hours * 3600 + minutes * 60);
  }

  std::string_view text_;
  const std::vector<Token>& tokens_;
  size_t at_ = 0;
};

}  // namespace

NSDateFormatter::NSDateFormatter()
    : locale_(NSLocale::currentLocale()), timeZone_(NSTimeZone::localTimeZone()) {}

std::shared_ptr<NSDateFormatter> NSDateFormatter::formatter() {
  return std::make_shared<NSDateFormatter>();
}

void NSDateFormatter::setLocale(std::shared_ptr<NSLocale> locale) {
  locale_ = locale ? std::move(locale) : NSLocale::currentLocale();
}

void NSDateFormatter::setTimeZone(std::shared_ptr<NSTimeZone> timeZone) {
  timeZone_ = timeZone ? std::move(timeZone) : NSTimeZone::localTimeZone();
}

std::string NSDateFormatter::stringFromDate(const NSDate& date) const {
  double unix = date.timeIntervalSince1970();
  double whole = std::floor(unix);
  double fraction = unix - whole;
  int64_t offset = timeZone_->secondsFromGMTAt(unix);
  int64_t local = static_cast<int64_t>(whole) + offset;
  int64_t days = local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
  int64_t secondOfDay = local - days * 86400;
  Civil civil = civilFromDays(days);
  int hour = static_cast<int>(secondOfDay / 3600);
  int minute = static_cast<int>(secondOfDay % 3600 / 60);
  int second = static_cast<int>(secondOfDay % 60);
  int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday

  std::string out;
  for (const Token& token : tokenize(format_)) {
    int n = token.count;
    switch (token.letter) {
      case 0: out += token.literal; break;
      case 'G': out += n == 4 ? "Anno Domini" : "AD"; break;
      case 'y':
      case 'u': out += n == 2 ? padded(civil.year % 100, 2) : padded(civil.year, n); break;
      case 'M':
      case 'L':
        if (n <= 2) out += padded(civil.month, n);
        else if (n == 3) out += std::string(kMonths[civil.month - 1]).substr(0, 3);
        else if (n == 4) out += kMonths[civil.month - 1];
        else out += kMonths[civil.month - 1][0];
        break;
      case 'd': out += padded(civil.day, n); break;
      case 'D': out += padded(days - daysFromCivil(civil.year, 1, 1) + 1, n); break;
      case 'E':
        if (n <= 3) out += std::string(kWeekdays[weekday]).substr(0, 3);
        else if (n == 4) out += kWeekdays[weekday];
        else if (n == 5) out += kWeekdays[weekday][0];
        else out += std::string(kWeekdays[weekday]).substr(0, 2);
        break;
      case 'a': out += hour < 12 ? "AM" : "PM"; break;
      case 'H': out += padded(hour, n); break;
      case 'h': out += padded(hour % 12 == 0 ? 12 : hour % 12, n); break;
      case 'k': out += padded(hour == 0 ? 24 : hour, n); break;
      case 'K': out += padded(hour % 12, n); break;
      case 'm': out += padded(minute, n); break;
      case 's': out += padded(second, n); break;
      case 'S': {
        // Truncated, not rounded, as the platform shows fractions.
        auto digits = static_cast<int64_t>(std::floor(fraction * std::pow(10.0, n) + 1e-6));
        out += padded(digits, n);
        break;
      }
      case 'Z':
        if (n <= 3) out += offsetText(offset, false, false);
        else if (n == 4) out += gmtText(offset, true);
        else out += offset == 0 ? "Z" : offsetText(offset, true, false);
        break;
      case 'X':
      case 'x':
        if (token.letter == 'X' && offset == 0) out += "Z";
        else out += offsetText(offset, n == 3 || n == 5, n == 1);
        break;
      case 'z':
      case 'O': out += gmtText(offset, n == 4); break;
      default: break;  // Letters this formatter does not know print nothing.
    }
  }
  return out;
}

std::shared_ptr<NSDate> NSDateFormatter::dateFromString(std::string_view text) const {
  std::vector<Token> tokens = tokenize(format_);
  std::optional<Parser::Fields> f = Parser(text, tokens).run();
  if (!f) return nullptr;

  int hour = 0;
  if (f->hour24) {
    hour = *f->hour24;
  } else if (f->hour12) {
    hour = *f->hour12 % 12 + (f->pm.value_or(false) ? 12 : 0);
  } else if (f->hour0to11) {
    hour = *f->hour0to11 + (f->pm.value_or(false) ? 12 : 0);
  } else if (f->hour1to24) {
    hour = *f->hour1to24 % 24;
  } else if (f->pm.value_or(false)) {
    hour = 12;
  }
  int64_t local = daysFromCivil(f->year, f->month, f->day) * 86400 + hour * 3600 +
                  f->minute * 60 + f->second;
  int64_t offset = f->offset ? *f->offset
                             : timeZone_->secondsFromGMTForLocalTime(static_cast<double>(local));
  return NSDate::dateWithTimeIntervalSince1970(static_cast<double>(local - offset) + f->fraction);
}
