#pragma once

// NSKeyedUnarchiver: reads a keyed archive (binary or XML) back into objects. Archives come from
// files, so nothing in them is trusted: a reference out of range, an object that refers back to
// itself while it is being read, a value of the wrong kind, a class that is unknown or not
// allowed, or objects nested deeper than NSKeyedArchiveMaxDepth are failures with a message (an
// NSError), never a crash and never an exception.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/NSCoder.h"
#include "foundation/PropertyList.h"

class NSKeyedUnarchiver : public NSCoder {
  OBJC_CLASS(NSKeyedUnarchiver, NSCoder);

 public:
  // The object archived as "root", if it and everything it holds is of one of `classes` (or of
  // a subclass of one of them); nil with an error otherwise.
  static id unarchivedObjectOfClasses(const std::vector<Class>& classes,
                                      std::span<const uint8_t> data,
                                      std::shared_ptr<NSError>* error);
  static id unarchivedObjectOfClass(Class cls, std::span<const uint8_t> data,
                                    std::shared_ptr<NSError>* error) {
    return unarchivedObjectOfClasses({cls}, data, error);
  }

  // An unarchiver for `data`, whose header has been checked; nil with an error when the bytes are
  // not a keyed archive. It requires secure coding: top-level reads name their classes.
  static std::shared_ptr<NSKeyedUnarchiver> initForReadingFromData(std::span<const uint8_t> data,
                                                                   std::shared_ptr<NSError>* error);

  // Without secure coding any class that can be decoded is allowed where no classes are named.
  bool requiresSecureCoding() const { return requiresSecureCoding_; }
  void setRequiresSecureCoding(bool requiresSecureCoding);
  // Decodes objects archived under `codedName` as `cls` (a class renamed, or one whose archived
  // name is not a C++ identifier).
  void setClass(Class cls, std::string_view codedName);

  id decodeObjectForKey(std::string_view key) override;
  id decodeObject() override;
  id decodeObjectOfClasses(const std::vector<Class>& classes, std::string_view key) override;
  bool decodeBoolForKey(std::string_view key) override;
  int decodeIntForKey(std::string_view key) override;
  int64_t decodeInt64ForKey(std::string_view key) override;
  double decodeDoubleForKey(std::string_view key) override;
  bool containsValueForKey(std::string_view key) override;

  // Use initForReadingFromData; public only so that make_shared can reach it.
  NSKeyedUnarchiver();

 private:
  enum class State : uint8_t { New, Decoding, Done };
  // The keyed values of the object being decoded (or of $top).
  struct Frame {
    const plist::Dictionary* values;
    uint64_t unkeyedCount = 0;
  };

  bool readHeader(std::span<const uint8_t> data);
  const plist::Value* value(std::string_view key) const;
  id decodeReference(const plist::Value& reference, std::string_view key);
  id objectForUID(uint64_t uid, std::string_view key);
  id makeObject(uint64_t uid, std::string_view key);
  Class classForUID(uint64_t uid);
  // The object of class `cls` whose keyed values are the current frame.
  id decodeContents(Class cls);
  id decodeDictionary(bool isMutable);
  bool decodeReferences(std::string_view key, std::vector<id>& objects);
  bool isAllowed(Class cls) const;
  void fail(const std::string& description);

  plist::Value archive_;
  const plist::Dictionary* top_ = nullptr;
  const plist::Array* objects_ = nullptr;
  std::vector<id> decoded_;
  std::vector<State> states_;
  std::unordered_map<uint64_t, Class> classes_;
  std::unordered_map<std::string, Class> renamed_;
  std::vector<Frame> frames_;
  // The classes the object being decoded, and all it holds, may have.
  std::vector<Class> allowed_;
  bool requiresSecureCoding_ = true;
};
