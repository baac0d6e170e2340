#include "foundation/NSDictionary.h"

#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "runtime/RuntimeError.h"

OBJC_CLASS_IMPL(NSDictionary) {
  c.method("count", &NSDictionary::count).method("objectForKey:", &NSDictionary::objectForKeyImp);
}

OBJC_CLASS_IMPL(NSMutableDictionary) {
  c.method("setObject:forKey:", static_cast<void (NSMutableDictionary::*)(const id&, const id&)>(
                                    &NSMutableDictionary::setObject))
      .method("removeObjectForKey:", static_cast<void (NSMutableDictionary::*)(const id&)>(
                                         &NSMutableDictionary::removeObjectForKey))
      .method("removeAllObjects", &NSMutableDictionary::removeAllObjects);
}

std::shared_ptr<NSDictionary> NSDictionary::dictionary() {
  return std::make_shared<NSDictionary>();
}

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithDictionary(const NSDictionary& other) {
  auto dictionary = std::make_shared<NSDictionary>();
  for (const Entry& entry : other.entries_) dictionary->set(entry.value, entry.key);
  return dictionary;
}

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithObjects(const std::vector<id>& objects,
                                                                  const std::vector<id>& keys) {
  if (objects.size() != keys.size()) {
    throw objc::RuntimeError("+[NSDictionary dictionaryWithObjects:forKeys:]: count of objects (" +
                             std::to_string(objects.size()) + ") differs from count of keys (" +
                             std::to_string(keys.size()) + ")");
  }
  auto dictionary = std::make_shared<NSDictionary>();
  for (size_t i = 0; i < keys.size(); ++i) dictionary->set(objects[i], keys[i]);
  return dictionary;
}

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithObject(const id& object, const id& key) {
  auto dictionary = std::make_shared<NSDictionary>();
  dictionary->set(object, key);
  return dictionary;
}

id NSDictionary::objectForKey(const id& key) const {
  if (!key) return nullptr;
  auto found = index_.find(key);
  return found == index_.end() ? nullptr : entries_[found->second].value;
}

id NSDictionary::objectForKey(std::string_view key) const {
  return objectForKey(NSString::string(key));
}

id NSDictionary::objectForKeyImp(const id& key) const {
  return objectForKey(key);
}

std::shared_ptr<NSArray> NSDictionary::allKeys() const {
  std::vector<id> keys;
  keys.reserve(entries_.size());
  for (const Entry& entry : entries_) keys.push_back(entry.key);
  return NSArray::arrayWithObjects(std::move(keys));
}

std::shared_ptr<NSArray> NSDictionary::allValues() const {
  std::vector<id> values;
  values.reserve(entries_.size());
  for (const Entry& entry : entries_) values.push_back(entry.value);
  return NSArray::arrayWithObjects(std::move(values));
}

bool NSDictionary::isEqualToDictionary(const NSDictionary& other) const {
  if (this == &other) return true;
  if (entries_.size() != other.entries_.size()) return false;
  for (const Entry& entry : entries_) {
    id value = other.objectForKey(entry.key);
    if (!value || (value != entry.value && !entry.value->isEqual(value))) return false;
  }
  return true;
}

std::shared_ptr<NSDictionary> NSDictionary::copy() const {
  return dictionaryWithDictionary(*this);
}

std::shared_ptr<NSMutableDictionary> NSDictionary::mutableCopy() const {
  return NSMutableDictionary::dictionaryWithDictionary(*this);
}

void NSDictionary::set(const id& object, const id& key) {
  if (!key) throw objc::RuntimeError("-[NSMutableDictionary setObject:forKey:]: key cannot be nil");
  if (!object) {
    throw objc::RuntimeError(
        "-[NSMutableDictionary setObject:forKey:]: object cannot be nil (key: " +
        key->description() + ")");
  }
  ++mutations_;
  auto found = index_.find(key);
  if (found != index_.end()) {
    // The old value is released after the entry holds the new one.
    id old = std::exchange(entries_[found->second].value, object);
    return;
  }
  // A mutable string key is copied, as the platform copies keys, so that changing it later
  // cannot move the entry to a wrong bucket.
  id storedKey = key;
  if (auto* string = dynamic_cast<const NSMutableString*>(key.get())) storedKey = string->copy();
  entries_.push_back({storedKey, object});
  index_.emplace(storedKey, entries_.size() - 1);
}

bool NSDictionary::remove(const id& key) {
  if (!key) return false;
  auto found = index_.find(key);
  if (found == index_.end()) return false;
  size_t position = found->second;
  index_.erase(found);
  Entry removed = std::move(entries_[position]);
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
  for (auto& [_, index] : index_) {
    if (index > position) --index;
  }
  ++mutations_;
  return true;
}

void NSDictionary::clear() {
  std::vector<Entry> removed;
  removed.swap(entries_);
  index_.clear();
  ++mutations_;
}

bool NSDictionary::isEqual(const id& other) const {
  auto* dictionary = dynamic_cast<const NSDictionary*>(other.get());
  return dictionary && isEqualToDictionary(*dictionary);
}

std::string NSDictionary::descriptionWithIndent(int level) const {
  std::string indent(static_cast<size_t>(level) * 4, ' ');
  std::string text = "{\n";
  for (const Entry& entry : entries_) {
    text += indent + "    " + NSArray::describeElement(entry.key, level + 1) + " = " +
            NSArray::describeElement(entry.value, level + 1) + ";\n";
  }
  return text + indent + "}";
}

std::string NSDictionary::description() const {
  return descriptionWithIndent(0);
}

// NSMutableDictionary

std::shared_ptr<NSMutableDictionary> NSMutableDictionary::dictionary() {
  return std::make_shared<NSMutableDictionary>();
}

std::shared_ptr<NSMutableDictionary> NSMutableDictionary::dictionaryWithDictionary(
    const NSDictionary& other) {
  auto dictionary = std::make_shared<NSMutableDictionary>();
  dictionary->addEntriesFromDictionary(other);
  return dictionary;
}

std::shared_ptr<NSMutableDictionary> NSMutableDictionary::dictionaryWithCapacity(NSUInteger) {
  return std::make_shared<NSMutableDictionary>();
}

void NSMutableDictionary::setObject(const id& object, const id& key) {
  set(object, key);
}

void NSMutableDictionary::setObject(const id& object, std::string_view key) {
  set(object, NSString::string(key));
}

void NSMutableDictionary::removeObjectForKey(const id& key) {
  remove(key);
}

void NSMutableDictionary::removeObjectForKey(std::string_view key) {
  remove(NSString::string(key));
}

void NSMutableDictionary::removeAllObjects() {
  clear();
}

void NSMutableDictionary::addEntriesFromDictionary(const NSDictionary& other) {
  // `other` may be this dictionary.
  std::vector<Entry> added = other.entries();
  for (const Entry& entry : added) set(entry.value, entry.key);
}
