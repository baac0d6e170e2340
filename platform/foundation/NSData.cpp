#include "foundation/NSData.h"

#include <cstring>
#include <functional>
#include <string_view>

#include "foundation/DeviceRoot.h"

OBJC_CLASS_IMPL(NSData) { c.method("length", &NSData::length); }

OBJC_CLASS_IMPL(NSMutableData) {}

std::shared_ptr<NSData> NSData::data() { return std::make_shared<NSData>(); }

std::shared_ptr<NSData> NSData::dataWithBytes(const void* bytes, NSUInteger length) {
  const auto* first = static_cast<const uint8_t*>(bytes);
  return std::make_shared<NSData>(length ? std::vector<uint8_t>(first, first + length)
                                         : std::vector<uint8_t>());
}

std::shared_ptr<NSData> NSData::dataWithBytes(std::span<const uint8_t> bytes) {
  return std::make_shared<NSData>(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::shared_ptr<NSData> NSData::dataWithBytes(std::vector<uint8_t> bytes) {
  return std::make_shared<NSData>(std::move(bytes));
}

std::shared_ptr<NSData> NSData::dataWithData(const NSData& other) {
  return std::make_shared<NSData>(other.bytes_);
}

std::shared_ptr<NSData> NSData::dataWithContentsOfFile(const std::string& path) {
  std::optional<std::vector<uint8_t>> bytes = DeviceRoot::readFile(path);
  if (!bytes) return nullptr;
  return std::make_shared<NSData>(std::move(*bytes));
}

bool NSData::writeToFile(const std::string& path, bool atomically) const {
  return DeviceRoot::writeFile(path, bytes_, atomically);
}

std::shared_ptr<NSData> NSData::copy() const { return std::make_shared<NSData>(bytes_); }

std::shared_ptr<NSMutableData> NSData::mutableCopy() const {
  return std::make_shared<NSMutableData>(bytes_);
}

bool NSData::isEqual(const id& other) const {
  auto* data = dynamic_cast<const NSData*>(other.get());
  return data && data->bytes_ == bytes_;
}

size_t NSData::hash() const {
  // Like the platform, hash a bounded prefix so that hashing a large image stays cheap.
  std::string_view prefix(reinterpret_cast<const char*>(bytes_.data()),
                          std::min<size_t>(bytes_.size(), 80));
  return std::hash<std::string_view>{}(prefix) ^ bytes_.size();
}

std::string NSData::description() const {
  static const char* digits = "0123456789abcdef";
  auto hex = [&](size_t from, size_t to) {
    std::string text;
    for (size_t i = from; i < to; ++i) {
      text += digits[bytes_[i] >> 4];
      text += digits[bytes_[i] & 0xF];
    }
    return text;
  };
  std::string text = "{length = " + std::to_string(bytes_.size()) + ", bytes = 0x";
  if (bytes_.size() <= 24) {
    text += hex(0, bytes_.size());
  } else {
    text += hex(0, 8) + " ... " + hex(bytes_.size() - 8, bytes_.size());
  }
  return text + "}";
}

// NSMutableData

std::shared_ptr<NSMutableData> NSMutableData::data() { return std::make_shared<NSMutableData>(); }

std::shared_ptr<NSMutableData> NSMutableData::dataWithBytes(const void* bytes, NSUInteger length) {
  auto data = std::make_shared<NSMutableData>();
  data->appendBytes(bytes, length);
  return data;
}

std::shared_ptr<NSMutableData> NSMutableData::dataWithData(const NSData& other) {
  return std::make_shared<NSMutableData>(other.vector());
}

std::shared_ptr<NSMutableData> NSMutableData::dataWithLength(NSUInteger length) {
  return std::make_shared<NSMutableData>(std::vector<uint8_t>(length, 0));
}

void NSMutableData::appendBytes(const void* bytes, NSUInteger length) {
  if (length == 0) return;
  const auto* first = static_cast<const uint8_t*>(bytes);
  // The bytes may lie inside this very buffer.
  std::vector<uint8_t> added(first, first + length);
  bytes_.insert(bytes_.end(), added.begin(), added.end());
}

void NSMutableData::appendData(const NSData& other) { appendBytes(other.bytes(), other.length()); }

void NSMutableData::setLength(NSUInteger length) { bytes_.resize(length, 0); }
