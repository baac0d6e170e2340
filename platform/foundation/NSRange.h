#pragma once

#include <string>

#include "foundation/NSObjCRuntime.h"
#include "runtime/TypeEncoding.h"

// A span of indices; for strings they count UTF-16 code units.
struct NSRange {
  NSUInteger location = 0;
  NSUInteger length = 0;
  bool operator==(const NSRange&) const = default;
};

inline constexpr NSRange NSMakeRange(NSUInteger location, NSUInteger length) {
  return NSRange{location, length};
}
inline constexpr NSUInteger NSMaxRange(NSRange range) { return range.location + range.length; }
inline constexpr bool NSLocationInRange(NSUInteger location, NSRange range) {
  return location >= range.location && location - range.location < range.length;
}
inline constexpr bool NSEqualRanges(NSRange a, NSRange b) { return a == b; }
// "{location, length}", as the platform prints ranges.
std::string NSStringFromRange(NSRange range);

template <>
struct ObjCType<NSRange> {
  using Canonical = NSRange;
  static std::string encoding() { return "{_NSRange=QQ}"; }
  static NSRange toCanonical(NSRange v) { return v; }
  static NSRange fromCanonical(NSRange v) { return v; }
};
