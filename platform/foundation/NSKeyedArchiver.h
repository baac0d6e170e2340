#pragma once

// NSKeyedArchiver: writes an object graph as a keyed archive, the property list that Foundation's
// archiver writes: {$version: 100000, $archiver: "NSKeyedArchiver", $top: {...}, $objects:
// ["$null", ...]}, objects referring to each other by UID.
//
// Strings, numbers and data are stored as plain values; arrays, dictionaries, dates, URLs, mutable
// strings and mutable data in Foundation's own keys ("NS.objects", "NS.keys", "NS.time", ...);
// any other object through its NSCoding. Objects appear in Foundation's order: an object's slot
// first, then its contents in encoding order, then its class the first time the class is used.
// An object archived twice is stored once; so are equal numbers, as the platform's shared number
// objects are.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/NSCoder.h"
#include "foundation/NSPropertyListSerialization.h"
#include "foundation/PropertyList.h"

class NSData;

// Objects nested deeper than this inside one another are refused by the archiver and the
// unarchiver alike: no real archive comes close, and it bounds the stack of both.
inline constexpr size_t NSKeyedArchiveMaxDepth = 256;

class NSKeyedArchiver : public NSCoder {
  OBJC_CLASS(NSKeyedArchiver, NSCoder);

 public:
  // Every class this archiver writes is read back through the unarchiver's allowed classes, so
  // secure coding is always met; the flag is kept for the platform's signature.
  static std::shared_ptr<NSKeyedArchiver> initRequiringSecureCoding(bool requiresSecureCoding);

  // A binary archive whose "root" is `object`; nil with an error when the graph holds an object
  // that cannot be archived, contains itself, or nests too deeply to be read back.
  static std::shared_ptr<NSData> archivedDataWithRootObject(const id& object,
                                                            bool requiresSecureCoding,
                                                            std::shared_ptr<NSError>* error);

  // Binary (the default) or XML.
  NSPropertyListFormat outputFormat() const { return outputFormat_; }
  void setOutputFormat(NSPropertyListFormat format);

  // Closes the archive; nothing can be encoded after it.
  void finishEncoding();
  // The archive, finishing it first if needed; nil after a failure.
  std::shared_ptr<NSData> encodedData();

  void encodeObject(const id& object, std::string_view key) override;
  void encodeObject(const id& object) override;
  void encodeBool(bool value, std::string_view key) override;
  void encodeInt(int value, std::string_view key) override;
  void encodeInt64(int64_t value, std::string_view key) override;
  void encodeDouble(double value, std::string_view key) override;

  // Use initRequiringSecureCoding; public only so that make_shared can reach it.
  NSKeyedArchiver();

 private:
  // The keyed values of the object being encoded (or of $top), in the order they were set.
  struct Frame {
    plist::Dictionary values;
    uint64_t unkeyedCount = 0;
  };

  void setValue(std::string_view key, plist::Value value);
  // The UID of `object`, appending it (and what it holds) to $objects when it is new.
  plist::UID reference(const id& object);
  plist::Value directValue(const NSObject& object, bool& isDirect) const;
  // Foundation's own keys for the classes it archives itself; the class to name in the archive,
  // null for an object that none of them is.
  Class encodeContents(const NSObject& object);
  plist::UID classReference(Class cls);
  void fail(const std::string& description);

  NSPropertyListFormat outputFormat_ = NSPropertyListBinaryFormat_v1_0;
  bool finished_ = false;
  std::shared_ptr<NSData> data_;
  plist::Array objects_{plist::Value(std::string("$null"))};
  std::vector<Frame> frames_{Frame{}};
  // Objects by identity. Each one is also held, so no address is reused while the archive is
  // open (an initWithCoder may encode temporaries).
  std::unordered_map<const NSObject*, uint64_t> uids_;
  std::vector<id> held_;
  // Numbers by kind and bits: equal numbers share one entry.
  struct NumberKey {
    int kind;
    uint64_t bits;
    bool operator==(const NumberKey&) const = default;
  };
  struct NumberKeyHash {
    size_t operator()(const NumberKey& key) const { return key.bits * 31 + size_t(key.kind); }
  };
  std::unordered_map<NumberKey, uint64_t, NumberKeyHash> numberUIDs_;
  std::unordered_map<Class, uint64_t> classUIDs_;
  // By UID: the object's encoding has begun and not ended, so meeting it again is a cycle.
  std::vector<bool> open_{false};
};
