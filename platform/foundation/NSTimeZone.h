#pragma once

// NSTimeZone: the offset from UTC at any instant. A zone is either fixed ("UTC", "GMT+2",
// timeZoneForSecondsFromGMT) or named from the system's zone database ("Europe/Paris"); the local
// zone follows TZ as the C library reads it.

#include <memory>
#include <string>
#include <string_view>

#include "foundation/NSObjCRuntime.h"
#include "runtime/NSObject.h"

class NSDate;

class NSTimeZone : public NSObject {
  OBJC_CLASS(NSTimeZone, NSObject);

 public:
  class Rules;

  // The process's zone: TZ, else the system's /etc/localtime. Read once.
  static std::shared_ptr<NSTimeZone> localTimeZone();
  static std::shared_ptr<NSTimeZone> systemTimeZone() { return localTimeZone(); }
  // Forgets the zone read from TZ, so that the next localTimeZone() reads it again.
  static void resetSystemTimeZone();
  // "UTC", "GMT", "GMT+2", "UTC-05:30" or a zone database name; nil for an unknown name.
  static std::shared_ptr<NSTimeZone> timeZoneWithName(std::string_view name);
  // Named "GMT+0200"; nil beyond +-18 hours.
  static std::shared_ptr<NSTimeZone> timeZoneForSecondsFromGMT(NSInteger seconds);

  const std::string& name() const { return name_; }
  NSInteger secondsFromGMT() const;
  NSInteger secondsFromGMTForDate(const NSDate& date) const;
  // The offset at an instant given as seconds since 1970.
  NSInteger secondsFromGMTAt(double unixTime) const;
  // For a wall-clock time in this zone (seconds since 1970 as if the zone were UTC), the offset
  // that applies: in a gap the offset before it, in an overlap the earlier instant's.
  NSInteger secondsFromGMTForLocalTime(double localUnixTime) const;

  bool isEqual(const id& other) const override;
  size_t hash() const override;
  std::string description() const override { return name_; }

  // Use the factories; the constructor is public only so that make_shared can reach it.
  NSTimeZone(std::string name, std::shared_ptr<const Rules> rules);

 private:
  std::string name_;
  std::shared_ptr<const Rules> rules_;
};
