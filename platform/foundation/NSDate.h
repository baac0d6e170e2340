#pragma once

// NSDate: an instant, as seconds since the platform's reference date, 2001-01-01 00:00:00 UTC.

#include <memory>
#include <string>

#include "foundation/NSObjCRuntime.h"
#include "runtime/NSObject.h"

// Seconds from 1970-01-01 to 2001-01-01.
inline constexpr NSTimeInterval NSTimeIntervalSince1970 = 978307200.0;

class NSDate : public NSObject {
  OBJC_CLASS(NSDate, NSObject);

 public:
  explicit NSDate(NSTimeInterval sinceReferenceDate = 0) : sinceReferenceDate_(sinceReferenceDate) {}

  // Now, by the process clock (Clock::wallTime), so a manual clock moves it.
  static std::shared_ptr<NSDate> date();
  static std::shared_ptr<NSDate> dateWithTimeIntervalSinceNow(NSTimeInterval seconds);
  static std::shared_ptr<NSDate> dateWithTimeIntervalSinceReferenceDate(NSTimeInterval seconds);
  static std::shared_ptr<NSDate> dateWithTimeIntervalSince1970(NSTimeInterval seconds);

  NSTimeInterval timeIntervalSinceReferenceDate() const { return sinceReferenceDate_; }
  NSTimeInterval timeIntervalSince1970() const {
    return sinceReferenceDate_ + NSTimeIntervalSince1970;
  }
  // Positive when this date is later than `other`.
  NSTimeInterval timeIntervalSinceDate(const NSDate& other) const {
    return sinceReferenceDate_ - other.sinceReferenceDate_;
  }
  NSTimeInterval timeIntervalSinceNow() const;
  std::shared_ptr<NSDate> dateByAddingTimeInterval(NSTimeInterval seconds) const;

  NSComparisonResult compare(const NSDate& other) const;
  bool isEqualToDate(const NSDate& other) const {
    return sinceReferenceDate_ == other.sinceReferenceDate_;
  }

  bool isEqual(const id& other) const override;
  size_t hash() const override;
  // "2001-01-01 00:00:00 +0000", in UTC.
  std::string description() const override;

 private:
  NSTimeInterval sinceReferenceDate_;
};
