#include "foundation/NSDate.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>

#include "foundation/Clock.h"

OBJC_CLASS_IMPL(NSDate) {
  c.method("timeIntervalSinceReferenceDate", &NSDate::timeIntervalSinceReferenceDate)
      .method("timeIntervalSince1970", &NSDate::timeIntervalSince1970);
}

std::shared_ptr<NSDate> NSDate::date() {
  return std::make_shared<NSDate>(Clock::wallTime() - NSTimeIntervalSince1970);
}

std::shared_ptr<NSDate> NSDate::dateWithTimeIntervalSinceNow(NSTimeInterval seconds) {
  return std::make_shared<NSDate>(Clock::wallTime() - NSTimeIntervalSince1970 + seconds);
}

std::shared_ptr<NSDate> NSDate::dateWithTimeIntervalSinceReferenceDate(NSTimeInterval seconds) {
  return std::make_shared<NSDate>(seconds);
}

std::shared_ptr<NSDate> NSDate::dateWithTimeIntervalSince1970(NSTimeInterval seconds) {
  return std::make_shared<NSDate>(seconds - NSTimeIntervalSince1970);
}

NSTimeInterval NSDate::timeIntervalSinceNow() const {
  return sinceReferenceDate_ - (Clock::wallTime() - NSTimeIntervalSince1970);
}

std::shared_ptr<NSDate> NSDate::dateByAddingTimeInterval(NSTimeInterval seconds) const {
  return std::make_shared<NSDate>(sinceReferenceDate_ + seconds);
}

NSComparisonResult NSDate::compare(const NSDate& other) const {
  if (sinceReferenceDate_ < other.sinceReferenceDate_) return NSOrderedAscending;
  if (sinceReferenceDate_ > other.sinceReferenceDate_) return NSOrderedDescending;
  return NSOrderedSame;
}

bool NSDate::isEqual(const id& other) const {
  auto* date = dynamic_cast<const NSDate*>(other.get());
  return date && isEqualToDate(*date);
}

size_t NSDate::hash() const { return std::hash<double>{}(sinceReferenceDate_); }

std::string NSDate::description() const {
  auto seconds = static_cast<time_t>(std::floor(timeIntervalSince1970()));
  tm utc{};
  gmtime_r(&seconds, &utc);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d +0000", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return text;
}
