#pragma once

// NSDictionary / NSMutableDictionary: objects by key. Keys compare with isEqual and hash (in
// practice they are NSStrings); enumeration follows insertion order. nil keys and values are
// programming errors and throw objc::RuntimeError. Range-for yields {key, value} entries;
// changing the dictionary during the walk throws.

#include <cstddef>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/MutationCheckedIterator.h"
#include "foundation/NSObjCRuntime.h"
#include "runtime/NSObject.h"

class NSArray;
class NSMutableDictionary;

class NSDictionary : public NSObject {
  OBJC_CLASS(NSDictionary, NSObject);

 public:
  struct Entry {
    id key;
    id value;
  };

  NSDictionary() = default;

  static std::shared_ptr<NSDictionary> dictionary();
  static std::shared_ptr<NSDictionary> dictionaryWithDictionary(const NSDictionary& other);
  // Pairs objects[i] with keys[i]; the two must have the same length.
  static std::shared_ptr<NSDictionary> dictionaryWithObjects(const std::vector<id>& objects,
                                                             const std::vector<id>& keys);
  static std::shared_ptr<NSDictionary> dictionaryWithObject(const id& object, const id& key);

  // A property list file (XML or binary) whose root is a dictionary; nil when the file is
  // missing, unreadable or holds something else. `path` is a device path.
  static std::shared_ptr<NSDictionary> dictionaryWithContentsOfFile(const std::string& path);
  // Writes the dictionary as an XML property list; false when it holds a value that a property
  // list cannot (or a key that is not a string), or when the write fails.
  bool writeToFile(const std::string& path, bool atomically) const;

  NSUInteger count() const { return entries_.size(); }
  // nil when absent.
  id objectForKey(const id& key) const;
  // The same with an NSString key made from UTF-8.
  id objectForKey(std::string_view key) const;
  // Arrays in enumeration order.
  std::shared_ptr<NSArray> allKeys() const;
  std::shared_ptr<NSArray> allValues() const;
  bool isEqualToDictionary(const NSDictionary& other) const;

  // The entries for C++ algorithms, in enumeration order; read-only.
  const std::vector<Entry>& entries() const { return entries_; }

  std::shared_ptr<NSDictionary> copy() const;
  std::shared_ptr<NSMutableDictionary> mutableCopy() const;

  using const_iterator = MutationCheckedIterator<Entry>;
  const_iterator begin() const {
    return const_iterator(&entries_, &mutations_, 0, "NSMutableDictionary");
  }
  const_iterator end() const {
    return const_iterator(&entries_, &mutations_, entries_.size(), "NSMutableDictionary");
  }

  // Equal when they have equal keys mapping to isEqual values.
  bool isEqual(const id& other) const override;
  size_t hash() const override { return entries_.size(); }
  // The platform's form: "{\n    key = value;\n}".
  std::string description() const override;
  std::string descriptionWithIndent(int level) const;

 protected:
  // Replaces the value of an equal key in place, or appends a new entry.
  void set(const id& object, const id& key);
  bool remove(const id& key);
  void clear();

 private:
  struct KeyHash {
    size_t operator()(const id& key) const { return key->hash(); }
  };
  struct KeyEqual {
    bool operator()(const id& a, const id& b) const { return a == b || a->isEqual(b); }
  };

  id objectForKeyImp(const id& key) const;

  std::vector<Entry> entries_;
  // Key -> index in entries_.
  std::unordered_map<id, size_t, KeyHash, KeyEqual> index_;
  uint64_t mutations_ = 0;
};

class NSMutableDictionary : public NSDictionary {
  OBJC_CLASS(NSMutableDictionary, NSDictionary);

 public:
  NSMutableDictionary() = default;

  static std::shared_ptr<NSMutableDictionary> dictionary();
  static std::shared_ptr<NSMutableDictionary> dictionaryWithDictionary(const NSDictionary& other);
  static std::shared_ptr<NSMutableDictionary> dictionaryWithCapacity(NSUInteger capacity);

  // A key that is a mutable string is copied, so changing it later cannot move the entry.
  void setObject(const id& object, const id& key);
  void setObject(const id& object, std::string_view key);
  void removeObjectForKey(const id& key);
  void removeObjectForKey(std::string_view key);
  void removeAllObjects();
  void addEntriesFromDictionary(const NSDictionary& other);
};
