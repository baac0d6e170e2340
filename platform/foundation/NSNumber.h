#pragma once

// NSNumber: a boxed boolean, integer or real. It remembers which, because property lists and
// archives write each kind differently (<true/>, <integer>, <real>).

#include <memory>
#include <string>

#include "foundation/NSObjCRuntime.h"
#include "runtime/NSObject.h"

class NSNumber : public NSObject {
  OBJC_CLASS(NSNumber, NSObject);

 public:
  enum class Kind { Boolean, Integer, UnsignedInteger, Real };

  static std::shared_ptr<NSNumber> numberWithBool(bool value);
  static std::shared_ptr<NSNumber> numberWithInt(int value);
  static std::shared_ptr<NSNumber> numberWithInteger(NSInteger value);
  static std::shared_ptr<NSNumber> numberWithLongLong(long long value);
  // A value that fits in 64 signed bits is an Integer; only larger ones are UnsignedInteger.
  static std::shared_ptr<NSNumber> numberWithUnsignedLongLong(unsigned long long value);
  static std::shared_ptr<NSNumber> numberWithUnsignedInteger(NSUInteger value);
  static std::shared_ptr<NSNumber> numberWithDouble(double value);
  static std::shared_ptr<NSNumber> numberWithFloat(float value);

  Kind kind() const { return kind_; }
  // The platform's type encoding of the stored value: "c" (BOOL), "q", "Q", "f" or "d".
  const char* objCType() const;

  // Conversions as C casts do them: reals truncate toward zero, wide integers keep their low bits.
  bool boolValue() const;
  int intValue() const;
  long long longLongValue() const;
  NSInteger integerValue() const { return longLongValue(); }
  unsigned long long unsignedLongLongValue() const;
  NSUInteger unsignedIntegerValue() const { return unsignedLongLongValue(); }
  double doubleValue() const;
  float floatValue() const;

  // Numbers compare by value whatever their kind: @YES equals @1, @2 equals @2.0.
  NSComparisonResult compare(const NSNumber& other) const;
  bool isEqualToNumber(const NSNumber& other) const;
  std::string stringValue() const { return description(); }

  bool isEqual(const id& other) const override;
  size_t hash() const override;
  // "1"/"0" for booleans, decimal integers, reals in the shortest form that reads back exactly.
  std::string description() const override;

  // Use the factories; the constructor is public only so that make_shared can reach it.
  NSNumber(Kind kind, int64_t integer, uint64_t unsignedInteger, double real, bool single);

 private:
  Kind kind_;
  int64_t integer_ = 0;
  uint64_t unsigned_ = 0;
  double real_ = 0;
  bool single_ = false;  // a float, described with float precision
};
