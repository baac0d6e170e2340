#pragma once

// NSDateFormatter: dates to text and back with a fixed format pattern (Unicode TR35): y, M, d, E,
// H, h, k, K, m, s, S, a, Z, x, X, z and quoted literal text ('o''clock'). Parsing is strict: the
// whole text must match, fields must be in range, and what the pattern leaves out is taken from
// 2000-01-01 00:00:00 in the formatter's time zone, as the platform does.

#include <memory>
#include <string>
#include <string_view>

#include "runtime/NSObject.h"

class NSDate;
class NSLocale;
class NSTimeZone;

class NSDateFormatter : public NSObject {
  OBJC_CLASS(NSDateFormatter, NSObject);

 public:
  NSDateFormatter();

  static std::shared_ptr<NSDateFormatter> formatter();

  void setLocale(std::shared_ptr<NSLocale> locale);
  const std::shared_ptr<NSLocale>& locale() const { return locale_; }
  // nil restores the local time zone.
  void setTimeZone(std::shared_ptr<NSTimeZone> timeZone);
  const std::shared_ptr<NSTimeZone>& timeZone() const { return timeZone_; }
  void setDateFormat(std::string format) { format_ = std::move(format); }
  const std::string& dateFormat() const { return format_; }

  std::string stringFromDate(const NSDate& date) const;
  // nil when the text does not match the format.
  std::shared_ptr<NSDate> dateFromString(std::string_view text) const;

 private:
  std::shared_ptr<NSLocale> locale_;
  std::shared_ptr<NSTimeZone> timeZone_;
  std::string format_;
};
