#include "foundation/NSKeyedArchiver.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <utility>

#include "foundation/NSArray.h"
#include "foundation/NSData.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/NSURL.h"
#include "foundation/UTF16.h"
#include "runtime/RuntimeError.h"

OBJC_CLASS_IMPL(NSKeyedArchiver) {}

namespace {

// Foundation builds each dictionary of an archive as a CFDictionary and writes its keys in the
// table's bucket order. Ours follow the same order, so an archive reads the same as the device's
// key for key: CFString's hash, prime-sized tables that grow when full, linear probing.
uint64_t foundationStringHash(std::string_view key) {
  // Keys are nearly always ASCII, whose UTF-16 units are its bytes; only others are converted.
  const bool ascii = std::all_of(key.begin(), key.end(), [](char c) { return (c & 0x80) == 0; });
  const std::u16string converted = ascii ? std::u16string() : toUTF16(key);
  auto unit = [&](size_t at) -> uint64_t {
    return ascii ? uint8_t(key[at]) : uint64_t(converted[at]);
  };
  const size_t length = ascii ? key.size() : converted.size();
  uint64_t result = length;
  auto four = [&](size_t at) {
    result = result * 67503105 + unit(at) * 16974593 + unit(at + 1) * 66049 + unit(at + 2) * 257 +
             unit(at + 3);
  };
  if (length <= 96) {
    size_t at = 0;
    for (; at + 4 <= length; at += 4) four(at);
    for (; at < length; ++at) result = result * 257 + unit(at);
  } else {
    // Long strings hash their first, middle and last 32 units.
    for (size_t at = 0; at < 32; at += 4) four(at);
    for (size_t at = length / 2 - 16; at < length / 2 + 16; at += 4) four(at);
    for (size_t at = length - 32; at < length; at += 4) four(at);
  }
  return result + (result << (length & 31));
}

void orderAsFoundation(plist::Dictionary& values) {
  static constexpr size_t kBuckets[] = {3,   7,   13,   23,   41,   71,   127,  191,  251,
                                        383, 631, 1087, 1723, 2803, 4523, 7351, 11959};
  static constexpr size_t kCapacities[] = {3,   6,   11,  19,   32,   52,   85,   118, 155,
                                           237, 390, 672, 1065, 1732, 2795, 4543, 7391};
  const size_t count = values.size();
  if (count < 2 || count > kCapacities[std::size(kCapacities) - 1]) return;
  std::vector<uint64_t> hashes(count);
  for (size_t i = 0; i < count; ++i) hashes[i] = foundationStringHash(values[i].first);

  constexpr size_t kEmpty = SIZE_MAX;
  std::vector<size_t> table;
  size_t level = 0;
  auto place = [&](std::vector<size_t>& buckets, size_t entry) {
    size_t probe = hashes[entry] % buckets.size();
    while (buckets[probe] != kEmpty) probe = (probe + 1) % buckets.size();
    buckets[probe] = entry;
  };
  for (size_t entry = 0; entry < count; ++entry) {
    if (table.empty() || entry + 1 > kCapacities[level]) {
      if (!table.empty()) ++level;
      while (kCapacities[level] < entry + 1) ++level;
      std::vector<size_t> grown(kBuckets[level], kEmpty);
      for (size_t old : table) {
        if (old != kEmpty) place(grown, old);
      }
      table = std::move(grown);
    }
    place(table, entry);
  }

  plist::Dictionary ordered;
  ordered.reserve(count);
  for (size_t entry : table) {
    if (entry != kEmpty) ordered.push_back(std::move(values[entry]));
  }
  values = std::move(ordered);
}

// User keys that begin with "$" would collide with the archive's own; they get one more "$".
std::string archiveKey(std::string_view key) {
  std::string result;
  if (!key.empty() && key.front() == '$') result += '$';
  result += key;
  return result;
}

}  // namespace

NSKeyedArchiver::NSKeyedArchiver() = default;

std::shared_ptr<NSKeyedArchiver> NSKeyedArchiver::initRequiringSecureCoding(bool) {
  return std::make_shared<NSKeyedArchiver>();
}

std::shared_ptr<NSData> NSKeyedArchiver::archivedDataWithRootObject(
    const id& object, bool requiresSecureCoding, std::shared_ptr<NSError>* error) {
  auto archiver = initRequiringSecureCoding(requiresSecureCoding);
  archiver->encodeObject(object, "root");
  auto data = archiver->encodedData();
  if (!data && error) *error = archiver->error();
  return data;
}

void NSKeyedArchiver::setOutputFormat(NSPropertyListFormat format) {
  if (format != NSPropertyListXMLFormat_v1_0 && format != NSPropertyListBinaryFormat_v1_0) {
    throw objc::RuntimeError("NSKeyedArchiver writes XML or binary property lists only");
  }
  outputFormat_ = format;
}

void NSKeyedArchiver::fail(const std::string& description) {
  failWithError(NSCoderInvalidValueError, description);
}

void NSKeyedArchiver::setValue(std::string_view key, plist::Value value) {
  if (finished_) throw objc::RuntimeError("NSKeyedArchiver: encoding after finishEncoding");
  if (error()) return;
  plist::Dictionary& values = frames_.back().values;
  for (auto& entry : values) {
    if (entry.first == key) {
      entry.second = std::move(value);
      return;
    }
  }
  values.emplace_back(std::string(key), std::move(value));
}

void NSKeyedArchiver::encodeObject(const id& object, std::string_view key) {
  plist::UID uid = reference(object);
  setValue(archiveKey(key), uid);
}

void NSKeyedArchiver::encodeObject(const id& object) {
  plist::UID uid = reference(object);
  setValue("$" + std::to_string(frames_.back().unkeyedCount++), uid);
}

void NSKeyedArchiver::encodeBool(bool value, std::string_view key) {
  setValue(archiveKey(key), value);
}

void NSKeyedArchiver::encodeInt(int value, std::string_view key) {
  setValue(archiveKey(key), plist::Integer{value, false});
}

void NSKeyedArchiver::encodeInt64(int64_t value, std::string_view key) {
  setValue(archiveKey(key), plist::Integer{value, false});
}

void NSKeyedArchiver::encodeDouble(double value, std::string_view key) {
  setValue(archiveKey(key), value);
}

plist::Value NSKeyedArchiver::directValue(const NSObject& object, bool& isDirect) const {
  isDirect = true;
  if (auto* string = dynamic_cast<const NSString*>(&object)) {
    if (!dynamic_cast<const NSMutableString*>(string)) return string->utf8();
  } else if (auto* number = dynamic_cast<const NSNumber*>(&object)) {
    switch (number->kind()) {
      case NSNumber::Kind::Boolean:
        return number->boolValue();
      case NSNumber::Kind::Integer:
        return plist::Integer{number->longLongValue(), false};
      case NSNumber::Kind::UnsignedInteger:
        return plist::Integer{int64_t(number->unsignedLongLongValue()), true};
      case NSNumber::Kind::Real:
        return number->doubleValue();
    }
  } else if (auto* data = dynamic_cast<const NSData*>(&object)) {
    if (!dynamic_cast<const NSMutableData*>(data)) return data->vector();
  }
  isDirect = false;
  return {};
}

plist::UID NSKeyedArchiver::reference(const id& object) {
  if (!object || error() || finished_) return plist::UID{0};
  const NSObject* key = object.get();
  if (auto found = uids_.find(key); found != uids_.end()) {
    if (open_[found->second]) {
      fail(std::string("an object of class ") + class_getName(object->isa()) +
           " contains itself; the archive could not be read back");
      return plist::UID{0};
    }
    return plist::UID{found->second};
  }

  bool isDirect = false;
  plist::Value value = directValue(*object, isDirect);
  if (isDirect) {
    auto* number = dynamic_cast<const NSNumber*>(key);
    NumberKey numberKey{};
    if (number) {
      numberKey.kind = int(number->kind());
      numberKey.bits = number->kind() == NSNumber::Kind::Real
                           ? std::bit_cast<uint64_t>(number->doubleValue())
                           : number->unsignedLongLongValue();
      if (auto found = numberUIDs_.find(numberKey); found != numberUIDs_.end()) {
        return plist::UID{found->second};
      }
    }
    const uint64_t uid = objects_.size();
    objects_.push_back(std::move(value));
    open_.push_back(false);
    uids_.emplace(key, uid);
    held_.push_back(object);
    if (number) numberUIDs_.emplace(numberKey, uid);
    return plist::UID{uid};
  }

  if (frames_.size() > NSKeyedArchiveMaxDepth) {
    fail("objects are nested too deeply to be archived");
    return plist::UID{0};
  }
  // The slot comes first, then what the object holds, then its class: Foundation's order.
  const uint64_t uid = objects_.size();
  objects_.emplace_back();
  open_.push_back(true);
  uids_.emplace(key, uid);
  held_.push_back(object);

  frames_.emplace_back().values.reserve(8);
  Class cls = nullptr;
  if (auto* coding = dynamic_cast<const NSCoding*>(key)) {
    cls = object->isa();
    coding->encodeWithCoder(*this);
  } else {
    cls = encodeContents(*object);
  }
  Frame frame = std::move(frames_.back());
  frames_.pop_back();
  if (error()) return plist::UID{0};
  if (!cls) {
    fail(std::string("an object of class ") + class_getName(object->isa()) +
         " cannot be archived: it does not adopt NSCoding");
    return plist::UID{0};
  }
  frame.values.emplace_back("$class", classReference(cls));
  orderAsFoundation(frame.values);
  objects_[uid] = std::move(frame.values);
  open_[uid] = false;
  return plist::UID{uid};
}

Class NSKeyedArchiver::encodeContents(const NSObject& object) {
  auto references = [this](const std::vector<id>& objects) {
    plist::Array uids;
    uids.reserve(objects.size());
    for (const id& element : objects) uids.push_back(reference(element));
    return uids;
  };
  if (auto* array = dynamic_cast<const NSArray*>(&object)) {
    setValue("NS.objects", references(array->objects()));
    return dynamic_cast<const NSMutableArray*>(array) ? NSMutableArray::classObject()
                                                      : NSArray::classObject();
  }
  if (auto* dictionary = dynamic_cast<const NSDictionary*>(&object)) {
    std::vector<id> keys, values;
    keys.reserve(dictionary->count());
    values.reserve(dictionary->count());
    for (const auto& entry : dictionary->entries()) {
      keys.push_back(entry.key);
      values.push_back(entry.value);
    }
    setValue("NS.keys", references(keys));
    setValue("NS.objects", references(values));
    return dynamic_cast<const NSMutableDictionary*>(dictionary) ? NSMutableDictionary::classObject()
                                                                : NSDictionary::classObject();
  }
  if (auto* date = dynamic_cast<const NSDate*>(&object)) {
    setValue("NS.time", date->timeIntervalSinceReferenceDate());
    return NSDate::classObject();
  }
  if (auto* url = dynamic_cast<const NSURL*>(&object)) {
    setValue("NS.base", plist::UID{0});
    setValue("NS.relative", reference(NSString::string(url->absoluteString())));
    return NSURL::classObject();
  }
  if (auto* string = dynamic_cast<const NSMutableString*>(&object)) {
    setValue("NS.string", string->utf8());
    return NSMutableString::classObject();
  }
  if (auto* data = dynamic_cast<const NSMutableData*>(&object)) {
    setValue("NS.data", data->vector());
    return NSMutableData::classObject();
  }
  return nullptr;
}

plist::UID NSKeyedArchiver::classReference(Class cls) {
  if (auto found = classUIDs_.find(cls); found != classUIDs_.end()) {
    return plist::UID{found->second};
  }
  plist::Array classes;
  for (Class c = cls; c; c = class_getSuperclass(c)) classes.emplace_back(class_getName(c));
  plist::Dictionary descriptor;
  descriptor.emplace_back("$classname", std::string(class_getName(cls)));
  descriptor.emplace_back("$classes", std::move(classes));
  orderAsFoundation(descriptor);
  const uint64_t uid = objects_.size();
  objects_.push_back(std::move(descriptor));
  open_.push_back(false);
  classUIDs_.emplace(cls, uid);
  return plist::UID{uid};
}

void NSKeyedArchiver::finishEncoding() {
  if (finished_) return;
  finished_ = true;
  if (error()) return;
  plist::Dictionary top = std::move(frames_.front().values);
  orderAsFoundation(top);
  // Foundation writes these four in this order whatever their hashes say.
  plist::Dictionary archive;
  archive.emplace_back("$version", plist::Integer{100000, false});
  archive.emplace_back("$archiver", std::string("NSKeyedArchiver"));
  archive.emplace_back("$top", std::move(top));
  archive.emplace_back("$objects", std::move(objects_));
  plist::Value root(std::move(archive));
  data_ = NSData::dataWithBytes(outputFormat_ == NSPropertyListXMLFormat_v1_0
                                    ? plist::writeXML(root)
                                    : plist::writeBinary(root));
  held_.clear();
  uids_.clear();
}

std::shared_ptr<NSData> NSKeyedArchiver::encodedData() {
  finishEncoding();
  return data_;
}
