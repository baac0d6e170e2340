#pragma once

// The platform's basic scalar types.

#include <cstdint>
#include <limits>

using NSInteger = int64_t;
using NSUInteger = uint64_t;
// One UTF-16 code unit, as NSString counts them.
using unichar = unsigned short;
// Seconds.
using NSTimeInterval = double;

inline constexpr NSInteger NSIntegerMax = std::numeric_limits<NSInteger>::max();
inline constexpr NSInteger NSIntegerMin = std::numeric_limits<NSInteger>::min();
inline constexpr NSUInteger NSUIntegerMax = std::numeric_limits<NSUInteger>::max();

// "Not found" for indices and range locations.
inline constexpr NSUInteger NSNotFound = static_cast<NSUInteger>(NSIntegerMax);

enum NSComparisonResult : NSInteger {
  NSOrderedAscending = -1,
  NSOrderedSame = 0,
  NSOrderedDescending = 1,
};
