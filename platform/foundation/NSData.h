#pragma once

// NSData / NSMutableData: a block of bytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "foundation/NSObjCRuntime.h"
#include "runtime/NSObject.h"

class NSMutableData;
class NSURL;

class NSData : public NSObject {
  OBJC_CLASS(NSData, NSObject);

 public:
  NSData() = default;
  explicit NSData(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  static std::shared_ptr<NSData> data();
  static std::shared_ptr<NSData> dataWithBytes(const void* bytes, NSUInteger length);
  static std::shared_ptr<NSData> dataWithBytes(std::span<const uint8_t> bytes);
  static std::shared_ptr<NSData> dataWithBytes(std::vector<uint8_t> bytes);
  static std::shared_ptr<NSData> dataWithData(const NSData& other);

  // The whole file at a device path; nil when it cannot be read.
  static std::shared_ptr<NSData> dataWithContentsOfFile(const std::string& path);
  // Synchronous loading: a file URL reads the device path; http and https are fetched (10 s to
  // connect, 30 s in all, redirects followed). nil on any failure, including an HTTP status of
  // 400 or more.
  static std::shared_ptr<NSData> dataWithContentsOfURL(const std::shared_ptr<NSURL>& url);
  // The same with the whole fetch limited to `timeoutInterval` seconds (connecting included), for
  // callers on the main thread that must not stall for long on an unreachable address.
  static std::shared_ptr<NSData> dataWithContentsOfURL(const std::shared_ptr<NSURL>& url,
                                                       double timeoutInterval);

  // Writes to a device path; atomically: to a temporary file that then replaces the target.
  bool writeToFile(const std::string& path, bool atomically) const;

  NSUInteger length() const { return bytes_.size(); }
  const uint8_t* bytes() const { return bytes_.data(); }
  std::span<const uint8_t> span() const { return bytes_; }
  const std::vector<uint8_t>& vector() const { return bytes_; }
  bool isEqualToData(const NSData& other) const { return bytes_ == other.bytes_; }

  std::shared_ptr<NSData> copy() const;
  std::shared_ptr<NSMutableData> mutableCopy() const;

  bool isEqual(const id& other) const override;
  size_t hash() const override;
  // The platform's form: "{length = 3, bytes = 0x616263}", long data shortened.
  std::string description() const override;

 protected:
  std::vector<uint8_t> bytes_;
};

class NSMutableData : public NSData {
  OBJC_CLASS(NSMutableData, NSData);

 public:
  using NSData::NSData;

  static std::shared_ptr<NSMutableData> data();
  static std::shared_ptr<NSMutableData> dataWithBytes(const void* bytes, NSUInteger length);
  static std::shared_ptr<NSMutableData> dataWithData(const NSData& other);
  static std::shared_ptr<NSMutableData> dataWithLength(NSUInteger length);

  uint8_t* mutableBytes() { return bytes_.data(); }
  void appendBytes(const void* bytes, NSUInteger length);
  void appendData(const NSData& other);
  // Grows with zero bytes or truncates.
  void setLength(NSUInteger length);
  void increaseLengthBy(NSUInteger extraLength) { setLength(bytes_.size() + extraLength); }
};
