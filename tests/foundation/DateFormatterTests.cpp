#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "foundation/Clock.h"
#include "foundation/NSDate.h"
#include "foundation/NSDateFormatter.h"
#include "foundation/NSLocale.h"
#include "foundation/NSTimeZone.h"
#include "foundation/RunLoop.h"

namespace {

// 2000-01-01 00:00:00 UTC, seconds since 1970.
constexpr double kY2K = 946684800.0;

std::shared_ptr<NSDateFormatter> formatter(const char* format, std::shared_ptr<NSTimeZone> zone) {
  auto f = NSDateFormatter::formatter();
  f->setLocale(NSLocale::localeWithLocaleIdentifier("en_US_POSIX"));
  f->setTimeZone(std::move(zone));
  f->setDateFormat(format);
  return f;
}

std::shared_ptr<NSDate> at(double unixTime) { return NSDate::dateWithTimeIntervalSince1970(unixTime); }

TEST(NSDate, CountsFromTheReferenceDateAndReadsTheProcessClock) {
  RunLoop::useManualClock();

  auto now = NSDate::date();
  RunLoop::advance(2.5);
  auto later = NSDate::date();

  EXPECT_DOUBLE_EQ(now->timeIntervalSince1970(), Clock::kManualClockWallStart);
  EXPECT_DOUBLE_EQ(later->timeIntervalSinceDate(*now), 2.5);
  EXPECT_EQ(now->compare(*later), NSOrderedAscending);
  EXPECT_TRUE(now->dateByAddingTimeInterval(2.5)->isEqual(later));
  EXPECT_DOUBLE_EQ(NSDate::dateWithTimeIntervalSinceReferenceDate(0)->timeIntervalSince1970(),
                   978307200.0);
  EXPECT_EQ(NSDate::dateWithTimeIntervalSinceReferenceDate(0)->description(),
            "2001-01-01 00:00:00 +0000");
  EXPECT_EQ(now->description(), "2026-03-14 09:41:00 +0000");
  RunLoop::useRealClock();
}

TEST(NSDateFormatter, FormatsFieldsInTheFormattersTimeZone) {
  auto zone = NSTimeZone::timeZoneForSecondsFromGMT(2 * 3600);
  // 2026-03-14 09:41:07.250 UTC, a Saturday.
  auto date = at(1773481267.25);
  struct Case {
    const char* format;
    const char* text;
  };
  const Case cases[] = {
      {"HH:mm", "11:41"},
      {"HH:mm:ss", "11:41:07"},
      {"yyyy-MM-dd", "2026-03-14"},
      {"h:mm a", "11:41 AM"},
      {"'at' HH'h'mm", "at 11h41"},
      {"HH 'o''clock'", "11 o'clock"},
      {"EEE, d MMM yy", "Sat, 14 Mar 26"},
      {"EEEE MMMM", "Saturday March"},
      {"ss.SSS Z", "07.250 +0200"},
      {"ZZZZZ xxx", "+02:00 +02:00"},
  };

  for (const Case& c : cases) {
    EXPECT_EQ(formatter(c.format, zone)->stringFromDate(*date), c.text) << c.format;
  }
  EXPECT_EQ(zone->name(), "GMT+0200");
}

TEST(NSDateFormatter, TwelveHourClockNamesMidnightAndNoonTwelve) {
  auto utc = NSTimeZone::timeZoneWithName("UTC");
  auto f = formatter("h:mm a", utc);

  EXPECT_EQ(f->stringFromDate(*at(kY2K + 5 * 60)), "12:05 AM");
  EXPECT_EQ(f->stringFromDate(*at(kY2K + 12 * 3600)), "12:00 PM");
  EXPECT_EQ(f->stringFromDate(*at(kY2K + 13.5 * 3600)), "1:30 PM");
  EXPECT_DOUBLE_EQ(f->dateFromString("12:05 AM")->timeIntervalSince1970(), kY2K + 5 * 60);
  EXPECT_DOUBLE_EQ(f->dateFromString("1:30 pm")->timeIntervalSince1970(), kY2K + 13.5 * 3600);
}

TEST(NSDateFormatter, ParsingATimeGivesThatTimeOnTheFirstOfJanuary2000InTheZone) {
  auto f = formatter("HH:mm", NSTimeZone::timeZoneWithName("GMT-05:00"));

  auto date = f->dateFromString("09:41");

  ASSERT_NE(date, nullptr);
  EXPECT_DOUBLE_EQ(date->timeIntervalSince1970(), kY2K + 9 * 3600 + 41 * 60 + 5 * 3600);
  EXPECT_EQ(f->stringFromDate(*date), "09:41");
}

TEST(NSDateFormatter, RoundTripsEveryFieldItWrites) {
  auto zone = NSTimeZone::timeZoneForSecondsFromGMT(-(3 * 3600 + 30 * 60));
  auto f = formatter("yyyy-MM-dd'T'HH:mm:ss.SSS", zone);
  auto date = at(1773481267.25);

  std::string text = f->stringFromDate(*date);
  auto parsed = f->dateFromString(text);

  EXPECT_EQ(text, "2026-03-14T06:11:07.250");
  ASSERT_NE(parsed, nullptr);
  EXPECT_DOUBLE_EQ(parsed->timeIntervalSince1970(), date->timeIntervalSince1970());
  auto withOffset = formatter("yyyy-MM-dd HH:mm Z", NSTimeZone::timeZoneWithName("UTC"))
                        ->dateFromString("2026-03-14 11:41 +0200");
  ASSERT_NE(withOffset, nullptr);
  EXPECT_DOUBLE_EQ(withOffset->timeIntervalSince1970(), 1773481260.0);
}

TEST(NSDateFormatter, TextThatDoesNotMatchGivesNil) {
  auto utc = NSTimeZone::timeZoneWithName("UTC");
  struct Case {
    const char* format;
    const char* text;
  };
  const Case cases[] = {
      {"HH:mm", "25:00"},       {"HH:mm", "9:60"},          {"HH:mm", "ab:cd"},
      {"HH:mm", "09:41 extra"}, {"HH:mm", ""},              {"HH:mm", "09-41"},
      {"yyyy-MM-dd", "2023-02-29"}, {"yyyy-MM-dd", "2024-13-01"}, {"h:mm a", "13:00 PM"},
      {"h:mm a", "1:00"},       {"'at' HH", "on 09"},       {"MMM d", "Foo 3"},
  };

  for (const Case& c : cases) {
    EXPECT_EQ(formatter(c.format, utc)->dateFromString(c.text), nullptr)
        << c.format << " / " << c.text;
  }
  EXPECT_NE(formatter("yyyy-MM-dd", utc)->dateFromString("2024-02-29"), nullptr);
  EXPECT_NE(formatter("HHmm", utc)->dateFromString("0941"), nullptr);
}

TEST(NSTimeZone, NamedZonesFollowDaylightSavingTime) {
  auto paris = NSTimeZone::timeZoneWithName("Europe/Paris");
  if (!paris) GTEST_SKIP() << "no zone database on this machine";
  auto f = formatter("yyyy-MM-dd HH:mm", paris);

  EXPECT_EQ(paris->secondsFromGMTAt(kY2K), 3600);
  EXPECT_EQ(paris->secondsFromGMTForDate(*at(1783000000)), 7200);  // July 2026
  EXPECT_EQ(f->stringFromDate(*at(1783000000)), "2026-07-02 15:46");
  // 02:30 on the last Sunday of March 2026 does not exist; it reads as 03:30 summer time.
  EXPECT_EQ(f->stringFromDate(*f->dateFromString("2026-03-29 02:30")), "2026-03-29 03:30");
  // 02:30 on the last Sunday of October happens twice; the first is taken.
  EXPECT_DOUBLE_EQ(f->dateFromString("2026-10-25 02:30")->timeIntervalSince1970(),
                   1792888200.0);
  EXPECT_EQ(NSTimeZone::timeZoneWithName("Nowhere/City"), nullptr);
  EXPECT_EQ(NSTimeZone::timeZoneWithName("../etc/passwd"), nullptr);
}

TEST(NSTimeZone, TheLocalZoneComesFromTZ) {
  const char* saved = std::getenv("TZ");
  std::optional<std::string> previous = saved ? std::optional<std::string>(saved) : std::nullopt;

  auto localIn = [](const char* tz) {
    setenv("TZ", tz, 1);
    NSTimeZone::resetSystemTimeZone();
    return NSTimeZone::localTimeZone();
  };

  // A POSIX rule counts hours west of Greenwich: "XYZ-3" is three hours east.
  auto posix = localIn("XYZ-3");
  auto f = NSDateFormatter::formatter();
  f->setDateFormat("HH:mm");
  EXPECT_EQ(posix->name(), "XYZ-3");
  EXPECT_EQ(posix->secondsFromGMTAt(kY2K), 3 * 3600);
  EXPECT_EQ(f->stringFromDate(*at(kY2K)), "03:00");
  EXPECT_EQ(localIn(":UTC")->secondsFromGMTAt(kY2K), 0);
  if (auto tokyo = NSTimeZone::timeZoneWithName("Asia/Tokyo")) {
    EXPECT_EQ(localIn("Asia/Tokyo")->secondsFromGMTAt(kY2K), 9 * 3600);
  }

  if (previous) {
    setenv("TZ", previous->c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  NSTimeZone::resetSystemTimeZone();
}

}  // namespace
