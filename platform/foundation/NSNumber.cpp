#include "foundation/NSNumber.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>

OBJC_CLASS_IMPL(NSNumber) {
  c.method("boolValue", &NSNumber::boolValue)
      .method("intValue", &NSNumber::intValue)
      .method("longLongValue", &NSNumber::longLongValue)
      .method("integerValue", &NSNumber::integerValue)
      .method("unsignedLongLongValue", &NSNumber::unsignedLongLongValue)
      .method("doubleValue", &NSNumber::doubleValue)
      .method("floatValue", &NSNumber::floatValue);
}

NSNumber::NSNumber(Kind kind, int64_t integer, uint64_t unsignedInteger, double real, bool single)
    : kind_(kind), integer_(integer), unsigned_(unsignedInteger), real_(real), single_(single) {}

std::shared_ptr<NSNumber> NSNumber::numberWithBool(bool value) {
  return std::make_shared<NSNumber>(Kind::Boolean, value ? 1 : 0, 0, 0, false);
}

std::shared_ptr<NSNumber> NSNumber::numberWithInt(int value) { return numberWithLongLong(value); }

std::shared_ptr<NSNumber> NSNumber::numberWithInteger(NSInteger value) {
  return numberWithLongLong(value);
}

std::shared_ptr<NSNumber> NSNumber::numberWithLongLong(long long value) {
  return std::make_shared<NSNumber>(Kind::Integer, value, 0, 0, false);
}

std::shared_ptr<NSNumber> NSNumber::numberWithUnsignedLongLong(unsigned long long value) {
  if (value <= static_cast<unsigned long long>(std::numeric_limits<int64_t>::max())) {
    return numberWithLongLong(static_cast<long long>(value));
  }
  return std::make_shared<NSNumber>(Kind::UnsignedInteger, 0, value, 0, false);
}

std::shared_ptr<NSNumber> NSNumber::numberWithUnsignedInteger(NSUInteger value) {
  return numberWithUnsignedLongLong(value);
}

std::shared_ptr<NSNumber> NSNumber::numberWithDouble(double value) {
  return std::make_shared<NSNumber>(Kind::Real, 0, 0, value, false);
}

std::shared_ptr<NSNumber> NSNumber::numberWithFloat(float value) {
  return std::make_shared<NSNumber>(Kind::Real, 0, 0, value, true);
}

const char* NSNumber::objCType() const {
  switch (kind_) {
    case Kind::Boolean: return "c";
    case Kind::Integer: return "q";
    case Kind::UnsignedInteger: return "Q";
    case Kind::Real: return single_ ? "f" : "d";
  }
  return "q";
}

namespace {

// C's conversion of a real to a 64-bit integer, without its undefined behaviour out of range.
int64_t truncateToInt64(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

uint64_t truncateToUInt64(double value) {
  if (std::isnan(value)) return 0;
  if (value < 0) return static_cast<uint64_t>(truncateToInt64(value));
  if (value >= 18446744073709551615.0) return std::numeric_limits<uint64_t>::max();
  return static_cast<uint64_t>(value);
}

}  // namespace

bool NSNumber::boolValue() const {
  switch (kind_) {
    case Kind::Boolean:
    case Kind::Integer: return integer_ != 0;
    case Kind::UnsignedInteger: return unsigned_ != 0;
    case Kind::Real: return real_ != 0;
  }
  return false;
}

int NSNumber::intValue() const { return static_cast<int>(longLongValue()); }

long long NSNumber::longLongValue() const {
  switch (kind_) {
    case Kind::Boolean:
    case Kind::Integer: return integer_;
    case Kind::UnsignedInteger: return static_cast<long long>(unsigned_);
    case Kind::Real: return truncateToInt64(real_);
  }
  return 0;
}

unsigned long long NSNumber::unsignedLongLongValue() const {
  switch (kind_) {
    case Kind::Boolean:
    case Kind::Integer: return static_cast<unsigned long long>(integer_);
    case Kind::UnsignedInteger: return unsigned_;
    case Kind::Real: return truncateToUInt64(real_);
  }
  return 0;
}

double NSNumber::doubleValue() const {
  switch (kind_) {
    case Kind::Boolean:
    case Kind::Integer: return static_cast<double>(integer_);
    case Kind::UnsignedInteger: return static_cast<double>(unsigned_);
    case Kind::Real: return real_;
  }
  return 0;
}

float NSNumber::floatValue() const { return static_cast<float>(doubleValue()); }

NSComparisonResult NSNumber::compare(const NSNumber& other) const {
  auto order = [](auto a, auto b) {
    return a < b ? NSOrderedAscending : b < a ? NSOrderedDescending : NSOrderedSame;
  };
  bool realA = kind_ == Kind::Real;
  bool realB = other.kind_ == Kind::Real;
  if (realA || realB) {
    double a = doubleValue();
    double b = other.doubleValue();
    // NaN sorts first and equals only NaN, so that isEqual stays an equivalence.
    if (std::isnan(a) || std::isnan(b)) {
      return std::isnan(a) && std::isnan(b) ? NSOrderedSame
             : std::isnan(a)                ? NSOrderedAscending
                                            : NSOrderedDescending;
    }
    return order(a, b);
  }
  bool unsignedA = kind_ == Kind::UnsignedInteger;
  bool unsignedB = other.kind_ == Kind::UnsignedInteger;
  if (unsignedA && unsignedB) return order(unsigned_, other.unsigned_);
  if (unsignedA) return NSOrderedDescending;  // above INT64_MAX
  if (unsignedB) return NSOrderedAscending;
  return order(integer_, other.integer_);
}

bool NSNumber::isEqualToNumber(const NSNumber& other) const {
  return compare(other) == NSOrderedSame;
}

bool NSNumber::isEqual(const id& other) const {
  auto* number = dynamic_cast<const NSNumber*>(other.get());
  return number && isEqualToNumber(*number);
}

size_t NSNumber::hash() const {
  // Equal numbers hash alike across kinds: a whole real hashes as its integer.
  switch (kind_) {
    case Kind::Boolean:
    case Kind::Integer: return std::hash<int64_t>{}(integer_);
    case Kind::UnsignedInteger: return std::hash<uint64_t>{}(unsigned_);
    case Kind::Real:
      if (std::trunc(real_) == real_ && std::fabs(real_) < 9.2e18) {
        return std::hash<int64_t>{}(static_cast<int64_t>(real_));
      }
      return std::hash<double>{}(real_);
  }
  return 0;
}

std::string NSNumber::description() const {
  switch (kind_) {
    case Kind::Boolean:
    case Kind::Integer: return std::to_string(integer_);
    case Kind::UnsignedInteger: return std::to_string(unsigned_);
    case Kind::Real: break;
  }
  if (std::isnan(real_)) return "nan";
  if (std::isinf(real_)) return real_ > 0 ? "inf" : "-inf";
  char buffer[64];
  std::to_chars_result result =
      single_ ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(real_))
              : std::to_chars(buffer, buffer + sizeof buffer, real_);
  return std::string(buffer, result.ptr);
}
