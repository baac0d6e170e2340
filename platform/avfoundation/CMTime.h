#pragma once

// CMTime: a rational time, value / timescale seconds, as media times are counted.

#include <cstdint>

using CMTimeValue = int64_t;
using CMTimeScale = int32_t;

enum CMTimeFlags : uint32_t {
  kCMTimeFlags_Valid = 1u << 0,
  kCMTimeFlags_PositiveInfinity = 1u << 2,
  kCMTimeFlags_Indefinite = 1u << 4,
};

struct CMTime {
  CMTimeValue value = 0;
  CMTimeScale timescale = 0;
  uint32_t flags = 0;
  int64_t epoch = 0;
};

CMTime CMTimeMake(CMTimeValue value, CMTimeScale timescale);
// The nearest time in the given timescale.
CMTime CMTimeMakeWithSeconds(double seconds, CMTimeScale preferredTimescale);
// NaN for an invalid or indefinite time.
double CMTimeGetSeconds(CMTime time);
// -1, 0 or 1, as the platform orders times (invalid ones compare equal to each other).
int32_t CMTimeCompare(CMTime a, CMTime b);
inline bool CMTIME_IS_VALID(CMTime time) {
  return (time.flags & kCMTimeFlags_Valid) != 0;
}

inline constexpr CMTime kCMTimeZero{0, 1, kCMTimeFlags_Valid, 0};
inline constexpr CMTime kCMTimeInvalid{};
inline constexpr CMTime kCMTimeIndefinite{0, 0, kCMTimeFlags_Valid | kCMTimeFlags_Indefinite, 0};
