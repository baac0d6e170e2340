#include "avfoundation/CMTime.h"

#include <cmath>
#include <limits>

CMTime CMTimeMake(CMTimeValue value, CMTimeScale timescale) {
  if (timescale <= 0) return kCMTimeInvalid;
  return CMTime{value, timescale, kCMTimeFlags_Valid, 0};
}

CMTime CMTimeMakeWithSeconds(double seconds, CMTimeScale preferredTimescale) {
  if (!std::isfinite(seconds) || preferredTimescale <= 0) return kCMTimeInvalid;
  double value = std::round(seconds * preferredTimescale);
  // Out of range times are clamped rather than wrapped.
  constexpr double kLargest = static_cast<double>(std::numeric_limits<CMTimeValue>::max() / 2);
  if (std::abs(value) > kLargest) value = std::copysign(kLargest, value);
  return CMTimeMake(static_cast<CMTimeValue>(value), preferredTimescale);
}

double CMTimeGetSeconds(CMTime time) {
  if (!CMTIME_IS_VALID(time) || (time.flags & kCMTimeFlags_Indefinite)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (time.flags & kCMTimeFlags_PositiveInfinity) return std::numeric_limits<double>::infinity();
  return static_cast<double>(time.value) / time.timescale;
}

int32_t CMTimeCompare(CMTime a, CMTime b) {
  bool validA = CMTIME_IS_VALID(a), validB = CMTIME_IS_VALID(b);
  if (!validA || !validB) return validA == validB ? 0 : (validA ? 1 : -1);
  // Cross-multiplied in long double so that large values of different scales do not overflow.
  long double left = static_cast<long double>(a.value) * b.timescale;
  long double right = static_cast<long double>(b.value) * a.timescale;
  return left < right ? -1 : (left > right ? 1 : 0);
}
