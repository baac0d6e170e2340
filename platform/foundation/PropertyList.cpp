#include "foundation/PropertyList.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <unordered_map>

#include "foundation/CivilCalendar+Private.h"
#include "foundation/PropertyListDetail.h"

namespace plist {

namespace detail {

void removeDuplicateKeys(Dictionary& dictionary) {
  if (dictionary.size() < 2) return;
  std::unordered_map<std::string_view, size_t> firstIndex;
  firstIndex.reserve(dictionary.size());
  bool repeated = false;
  for (size_t i = 0; i < dictionary.size(); ++i) {
    auto [it, inserted] = firstIndex.try_emplace(dictionary[i].first, i);
    if (!inserted) repeated = true;
  }
  if (!repeated) return;

  // Move each later value onto its key's first entry, then drop the later entries. The map's
  // views point into the entries, so it is consulted before anything moves.
  std::vector<bool> keep(dictionary.size(), true);
  std::vector<std::pair<size_t, size_t>> moves;  // (from, to)
  for (size_t i = 0; i < dictionary.size(); ++i) {
    size_t first = firstIndex.at(dictionary[i].first);
    if (first != i) {
      keep[i] = false;
      moves.emplace_back(i, first);
    }
  }
  for (auto [from, to] : moves) dictionary[to].second = std::move(dictionary[from].second);
  size_t out = 0;
  for (size_t i = 0; i < dictionary.size(); ++i) {
    if (!keep[i]) continue;
    if (out != i) dictionary[out] = std::move(dictionary[i]);
    ++out;
  }
  dictionary.resize(out);
}

}  // namespace detail

const Value* Value::find(std::string_view key) const {
  const Dictionary* dictionary = get<Dictionary>();
  if (!dictionary) return nullptr;
  // The last entry wins, as it would have in the dictionary that a reader builds.
  for (auto it = dictionary->rbegin(); it != dictionary->rend(); ++it) {
    if (it->first == key) return &it->second;
  }
  return nullptr;
}

Result<Value> read(std::span<const uint8_t> bytes, Format* format) {
  constexpr std::string_view kBinaryMagic = "bplist";
  if (bytes.size() >= kBinaryMagic.size() &&
      std::equal(kBinaryMagic.begin(), kBinaryMagic.end(), bytes.begin())) {
    if (format) *format = Format::Binary;
    return readBinary(bytes);
  }
  if (format) *format = Format::XML;
  return readXML(bytes);
}

namespace {
constexpr double kFirstDate = -63113904000.0;  // 0001-01-01T00:00:00Z
constexpr double kLastDate = 252423993599.0;   // 9999-12-31T23:59:59Z
}  // namespace

bool canFormatDate(Date date) {
  return date.secondsSinceReferenceDate >= kFirstDate &&
         date.secondsSinceReferenceDate < kLastDate + 1;
}

std::string formatDate(Date date, bool fractionalSeconds) {
  // Years outside 1..9999 do not fit the four-digit form that readers expect, and NaN names no
  // time at all; such dates are written as the nearest representable one (NaN as the reference
  // date) rather than as text that no reader accepts.
  constexpr double kFirst = kFirstDate;
  constexpr double kLast = kLastDate;
  double seconds = date.secondsSinceReferenceDate;
  if (std::isnan(seconds)) seconds = 0;
  seconds = std::clamp(seconds, kFirst, kLast);

  const double whole = std::floor(seconds);
  const int64_t unixSeconds = static_cast<int64_t>(whole) + detail::kReferenceDateUnixSeconds;
  int64_t days = unixSeconds / 86400;
  int64_t secondOfDay = unixSeconds % 86400;
  if (secondOfDay < 0) {
    secondOfDay += 86400;
    --days;
  }
  const civil::Date civilDate = civil::civilFromDays(days);

  char text[64];
  int length = std::snprintf(
      text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lld",
      static_cast<long long>(civilDate.year), static_cast<unsigned>(civilDate.month),
      static_cast<unsigned>(civilDate.day), static_cast<long long>(secondOfDay / 3600),
      static_cast<long long>(secondOfDay / 60 % 60), static_cast<long long>(secondOfDay % 60));
  std::string result(text, static_cast<size_t>(length));
  if (fractionalSeconds) {
    const auto micros = static_cast<long>((seconds - whole) * 1e6);
    if (micros > 0) {
      std::snprintf(text, sizeof text, ".%06ld", micros);
      std::string fraction = text;
      while (fraction.back() == '0') fraction.pop_back();
      result += fraction;
    }
  }
  return result + "Z";
}

std::string base64Encode(std::span<const uint8_t> bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    out += kAlphabet[group >> 18];
    out += kAlphabet[(group >> 12) & 0x3F];
    out += kAlphabet[(group >> 6) & 0x3F];
    out += kAlphabet[group & 0x3F];
  }
  if (const size_t rest = bytes.size() - i; rest > 0) {
    const uint32_t group = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
    out += kAlphabet[group >> 18];
    out += kAlphabet[(group >> 12) & 0x3F];
    out += rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : '=';
    out += '=';
  }
  return out;
}

}  // namespace plist
