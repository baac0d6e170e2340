#pragma once

// Property lists as plain values: what the XML and binary formats hold, before any object is
// made of them. The readers never trust their input: every malformed file is an error value.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace plist {

struct Value;

using Data = std::vector<uint8_t>;
using Array = std::vector<Value>;
// Keys in the order they were read or inserted; writers apply the format's own order.
using Dictionary = std::vector<std::pair<std::string, Value>>;

// Integers are 64-bit; `isUnsigned` marks a value above INT64_MAX stored as its bit pattern.
struct Integer {
  int64_t value = 0;
  bool isUnsigned = false;
  bool operator==(const Integer&) const = default;
};

// Seconds since 2001-01-01 00:00:00 UTC, the platform's reference date.
struct Date {
  double secondsSinceReferenceDate = 0;
  bool operator==(const Date&) const = default;
};

// A keyed archive's object reference; only the binary format has a native form for it.
struct UID {
  uint64_t value = 0;
  bool operator==(const UID&) const = default;
};

struct Value {
  using Storage =
      std::variant<bool, Integer, double, std::string, Data, Date, UID, Array, Dictionary>;
  Storage storage;

  Value() : storage(false) {}
  template <class T>
  requires std::is_constructible_v<Storage, T&&> Value(T&& v)
      : storage(std::forward<T>(v)) {}  // NOLINT: values convert implicitly.

  template <class T>
  const T* get() const {
    return std::get_if<T>(&storage);
  }
  template <class T>
  T* get() {
    return std::get_if<T>(&storage);
  }
  // Dictionary lookup; nullptr when this is not a dictionary or has no such key.
  const Value* find(std::string_view key) const;

  bool operator==(const Value&) const = default;
};

enum class Format { XML, Binary };

// Containers nested deeper than this are refused by the readers: no legitimate file comes close,
// and it keeps hostile input from exhausting the stack of whoever walks the value.
inline constexpr size_t kMaxDepth = 512;

template <class T>
struct Result {
  std::optional<T> value;
  std::string error;  // set when value is empty
  explicit operator bool() const { return value.has_value(); }
};

// Reads either format, telling them apart by their first bytes.
Result<Value> read(std::span<const uint8_t> bytes, Format* format = nullptr);
// XML has no native UID: as in Foundation, a dictionary whose only key is "CF$UID" with a
// non-negative integer reads as a UID, and a UID is written as that dictionary.
Result<Value> readXML(std::span<const uint8_t> bytes);
// An object that several references share is copied into each place; a file whose objects
// would expand beyond 32 MiB plus 32 times its own size is refused, not allowed to exhaust
// memory.
Result<Value> readBinary(std::span<const uint8_t> bytes);

// Both readers keep a dictionary's keys in file order; a key that appears twice keeps its first
// position and takes its last value.

// Foundation's exact XML form: tabs, keys sorted by UTF-16 code unit, <data> wrapped.
std::vector<uint8_t> writeXML(const Value& root);
// bplist00 laid out as Foundation lays it out: keys in the dictionary's order; equal strings,
// numbers, dates, data and UIDs written once and shared.
std::vector<uint8_t> writeBinary(const Value& root);

// The pieces of the XML form that other tools show to people.
// "2004-10-26T10:33:33Z": UTC, whole seconds (rounded down) unless `fractionalSeconds`.
std::string formatDate(Date date, bool fractionalSeconds = false);
// Whether formatDate names the date itself: not NaN, and within the years 1 to 9999. Other dates
// are written as the nearest one that can be named.
bool canFormatDate(Date date);
// Standard base64 with padding, on one line.
std::string base64Encode(std::span<const uint8_t> bytes);

}  // namespace plist
