#include <gtest/gtest.h>

#include <stdlib.h>

#include <ctime>
#include <optional>
#include <string>

#include "foundation/NSTimeZone.h"
#include "foundation/PosixTimeZoneRule.h"

namespace {

// The C library's offset for a TZ value at an instant: the reference these tests compare with.
class CLibraryZone {
 public:
  explicit CLibraryZone(const std::string& tz) {
    if (const char* old = ::getenv("TZ")) saved_ = old;
    ::setenv("TZ", tz.c_str(), 1);
    ::tzset();
  }
  ~CLibraryZone() {
    if (saved_) {
      ::setenv("TZ", saved_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }
  long offsetAt(int64_t unixTime) const {
    time_t t = static_cast<time_t>(unixTime);
    tm local{};
    localtime_r(&t, &local);
    return local.tm_gmtoff;
  }

 private:
  std::optional<std::string> saved_;
};

int64_t startOfYear(int year) {
  tm date{};
  date.tm_year = year - 1900;
  date.tm_mday = 1;
  return timegm(&date);
}

constexpr int kYears[] = {2026, 2038, 2040, 2100};

}  // namespace

// Every hour of each year, so that each change is met on the hour it happens.
TEST(NSTimeZone, NamedZonesAgreeWithTheCLibraryEveryHourOfFarYears) {
  for (const char* name : {"Europe/Paris", "America/New_York", "Australia/Sydney",
                           "America/Santiago", "Europe/Dublin", "Asia/Tokyo"}) {
    auto zone = NSTimeZone::timeZoneWithName(name);
    ASSERT_NE(zone, nullptr) << name;
    CLibraryZone reference(name);
    for (int year : kYears) {
      int mismatches = 0;
      for (int64_t t = startOfYear(year); t < startOfYear(year + 1); t += 3600) {
        if (zone->secondsFromGMTAt(static_cast<double>(t)) != reference.offsetAt(t)) {
          if (++mismatches == 1) ADD_FAILURE() << name << " differs at " << t;
        }
      }
      EXPECT_EQ(mismatches, 0) << name << " " << year;
    }
  }
}

TEST(NSTimeZone, ParisIsTwoHoursAheadInSummersBeyondTheListedChanges) {
  auto paris = NSTimeZone::timeZoneWithName("Europe/Paris");
  ASSERT_NE(paris, nullptr);

  const int64_t july1st2038 = startOfYear(2038) + 181 * 86400 + 12 * 3600;
  const int64_t january1st2100 = startOfYear(2100) + 12 * 3600;

  EXPECT_EQ(paris->secondsFromGMTAt(static_cast<double>(july1st2038)), 7200);
  EXPECT_EQ(paris->secondsFromGMTAt(static_cast<double>(january1st2100)), 3600);
}

// Rules of every form: dates by month, week and day, by day of the year with and without the
// leap day, negative and past-midnight change times, quoted names, summer behind winter, and
// all-year summer.
TEST(PosixTimeZoneRule, RulesAgreeWithTheCLibraryEverySixHours) {
  for (const char* text : {"CET-1CEST,M3.5.0,M10.5.0/3", "AEST-10AEDT,M10.1.0,M4.1.0/3", "EST5EDT",
                           "EST5EDT,M3.2.0,M11.1.0", "<+0330>-3:30", "IST-1GMT0,M10.5.0,M3.5.0/1",
                           "<-02>2<-01>,M3.5.0/-1,M10.5.0/0", "XXX3YYY,J60/2,J300/2",
                           "XXX3YYY,59/2,299/2", "<+1245>-12:45<+1345>,M9.5.0/2:45,M4.1.0/3:45"}) {
    auto rule = PosixTimeZoneRule::parse(text);
    ASSERT_TRUE(rule) << text;
    CLibraryZone reference(text);
    for (int year : {2024, 2026, 2038, 2100}) {
      for (int64_t t = startOfYear(year) - 86400; t < startOfYear(year + 1); t += 6 * 3600) {
        ASSERT_EQ(rule->offsetAt(t), reference.offsetAt(t)) << text << " at " << t;
      }
    }
  }
}

// Summer from the first day's midnight to past the last day's end is summer all year. (The C
// library reads the first hours of each year as winter, so it is no reference here.)
TEST(PosixTimeZoneRule, ASummerThatSpansTheYearHoldsAllYear) {
  auto rule = PosixTimeZoneRule::parse("EST5EDT4,0/0,J365/25");
  ASSERT_TRUE(rule);

  for (int64_t t = startOfYear(2026) - 86400; t < startOfYear(2028); t += 3600) {
    ASSERT_EQ(rule->offsetAt(t), -4 * 3600) << t;
  }
}

TEST(PosixTimeZoneRule, MalformedRulesAreRefused) {
  for (const char* text : {"", "C", "CET", "CET-1CEST,M13.1.0,M10.5.0", "CET-1CEST,M3.6.0,M10.5.0",
                           "CET-1CEST,M3.5.7,M10.5.0", "CET-1CEST,J0,J10", "CET-1CEST,M3.5.0",
                           "<ab-1", "CET-1CEST,M3.5.0,M10.5.0/3x", "CET-999"}) {
    EXPECT_FALSE(PosixTimeZoneRule::parse(text)) << text;
  }
}
