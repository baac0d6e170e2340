#include "foundation/NSArray.h"

#include <algorithm>

#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "runtime/RuntimeError.h"

OBJC_CLASS_IMPL(NSArray) {
  c.method("count", &NSArray::count)
      .method("objectAtIndex:", &NSArray::objectAtIndex)
      .method("firstObject", &NSArray::firstObject)
      .method("lastObject", &NSArray::lastObject)
      .method("indexOfObject:", &NSArray::indexOfObject)
      .method("containsObject:", &NSArray::containsObject);
}

OBJC_CLASS_IMPL(NSMutableArray) {
  c.method("addObject:", &NSMutableArray::addObject)
      .method("insertObject:atIndex:", &NSMutableArray::insertObject)
      .method("removeObjectAtIndex:", &NSMutableArray::removeObjectAtIndex)
      .method("removeLastObject", &NSMutableArray::removeLastObject)
      .method("removeAllObjects", &NSMutableArray::removeAllObjects)
      .method("removeObject:", &NSMutableArray::removeObject)
      .method("replaceObjectAtIndex:withObject:", &NSMutableArray::replaceObjectAtIndex);
}

NSArray::NSArray(std::vector<id> objects) : objects_(std::move(objects)) {
  for (const id& object : objects_) checkObject(object);
}

void NSArray::checkObject(const id& object) {
  if (!object) throw objc::RuntimeError("NSArray: attempt to insert nil object");
}

void NSArray::checkIndex(NSUInteger index, NSUInteger limit) const {
  if (index >= limit) {
    throw objc::RuntimeError(std::string("-[") + class_getName(isa()) + "]: index " +
                             std::to_string(index) + " beyond bounds" +
                             (objects_.empty()
                                  ? " for empty array"
                                  : " [0 .. " + std::to_string(objects_.size() - 1) + "]"));
  }
}

std::shared_ptr<NSArray> NSArray::array() {
  return std::make_shared<NSArray>();
}

std::shared_ptr<NSArray> NSArray::arrayWithArray(const NSArray& other) {
  return std::make_shared<NSArray>(other.objects_);
}

std::shared_ptr<NSArray> NSArray::arrayWithObjects(std::vector<id> objects) {
  return std::make_shared<NSArray>(std::move(objects));
}

std::shared_ptr<NSArray> NSArray::arrayWithObject(const id& object) {
  return std::make_shared<NSArray>(std::vector<id>{object});
}

id NSArray::objectAtIndex(NSUInteger index) const {
  checkIndex(index, objects_.size());
  return objects_[index];
}

id NSArray::firstObject() const {
  return objects_.empty() ? nullptr : objects_.front();
}

id NSArray::lastObject() const {
  return objects_.empty() ? nullptr : objects_.back();
}

NSUInteger NSArray::indexOfObject(const id& object) const {
  if (!object) return NSNotFound;
  for (size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i] == object || objects_[i]->isEqual(object)) return i;
  }
  return NSNotFound;
}

NSUInteger NSArray::indexOfObjectIdenticalTo(const id& object) const {
  auto found = std::find(objects_.begin(), objects_.end(), object);
  return found == objects_.end() ? NSNotFound : static_cast<NSUInteger>(found - objects_.begin());
}

bool NSArray::containsObject(const id& object) const {
  return indexOfObject(object) != NSNotFound;
}

bool NSArray::isEqualToArray(const NSArray& other) const {
  if (this == &other) return true;
  if (objects_.size() != other.objects_.size()) return false;
  for (size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i] != other.objects_[i] && !objects_[i]->isEqual(other.objects_[i])) return false;
  }
  return true;
}

std::shared_ptr<NSString> NSArray::componentsJoinedByString(std::string_view separator) const {
  std::string joined;
  for (size_t i = 0; i < objects_.size(); ++i) {
    if (i > 0) joined += separator;
    joined += objects_[i]->description();
  }
  return NSString::string(joined);
}

std::shared_ptr<NSArray> NSArray::arrayByAddingObject(const id& object) const {
  checkObject(object);
  std::vector<id> objects = objects_;
  objects.push_back(object);
  return std::make_shared<NSArray>(std::move(objects));
}

std::shared_ptr<NSArray> NSArray::copy() const {
  return std::make_shared<NSArray>(objects_);
}

std::shared_ptr<NSMutableArray> NSArray::mutableCopy() const {
  return std::make_shared<NSMutableArray>(objects_);
}

bool NSArray::isEqual(const id& other) const {
  auto* array = dynamic_cast<const NSArray*>(other.get());
  return array && isEqualToArray(*array);
}

std::string NSArray::describeElement(const id& element, int level) {
  if (auto* array = dynamic_cast<const NSArray*>(element.get())) {
    return array->descriptionWithIndent(level);
  }
  if (auto* dictionary = dynamic_cast<const NSDictionary*>(element.get())) {
    return dictionary->descriptionWithIndent(level);
  }
  std::string text = element->description();
  if (!dynamic_cast<const NSString*>(element.get())) return text;
  bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == ':' || c == '.' || c == '/' || c == '-' || c == '+';
  });
  if (plain) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string NSArray::descriptionWithIndent(int level) const {
  std::string indent(static_cast<size_t>(level) * 4, ' ');
  std::string text = "(\n";
  for (size_t i = 0; i < objects_.size(); ++i) {
    text += indent + "    " + describeElement(objects_[i], level + 1);
    text += i + 1 < objects_.size() ? ",\n" : "\n";
  }
  return text + indent + ")";
}

std::string NSArray::description() const {
  return descriptionWithIndent(0);
}

// NSMutableArray

std::shared_ptr<NSMutableArray> NSMutableArray::array() {
  return std::make_shared<NSMutableArray>();
}

std::shared_ptr<NSMutableArray> NSMutableArray::arrayWithArray(const NSArray& other) {
  return std::make_shared<NSMutableArray>(other.objects());
}

std::shared_ptr<NSMutableArray> NSMutableArray::arrayWithObjects(std::vector<id> objects) {
  return std::make_shared<NSMutableArray>(std::move(objects));
}

std::shared_ptr<NSMutableArray> NSMutableArray::arrayWithCapacity(NSUInteger capacity) {
  auto array = std::make_shared<NSMutableArray>();
  array->objects_.reserve(capacity);
  return array;
}

void NSMutableArray::addObject(const id& object) {
  checkObject(object);
  objects_.push_back(object);
  ++mutations_;
}

void NSMutableArray::addObjectsFromArray(const NSArray& other) {
  // `other` may be this array.
  std::vector<id> added = other.objects();
  objects_.insert(objects_.end(), added.begin(), added.end());
  ++mutations_;
}

void NSMutableArray::insertObject(const id& object, NSUInteger index) {
  checkObject(object);
  checkIndex(index, objects_.size() + 1);
  objects_.insert(objects_.begin() + static_cast<std::ptrdiff_t>(index), object);
  ++mutations_;
}

void NSMutableArray::removeObjectAtIndex(NSUInteger index) {
  checkIndex(index, objects_.size());
  // Release the element after the array is consistent again: its destructor may look at us.
  id removed = std::move(objects_[index]);
  objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(index));
  ++mutations_;
}

void NSMutableArray::removeLastObject() {
  checkIndex(0, objects_.size());
  removeObjectAtIndex(objects_.size() - 1);
}

void NSMutableArray::removeAllObjects() {
  std::vector<id> removed;
  removed.swap(objects_);
  ++mutations_;
}

void NSMutableArray::removeObject(const id& object) {
  if (!object) return;
  std::vector<id> removed;
  std::vector<id> kept;
  for (id& element : objects_) {
    (element == object || element->isEqual(object) ? removed : kept).push_back(std::move(element));
  }
  objects_.swap(kept);
  ++mutations_;
}

void NSMutableArray::replaceObjectAtIndex(NSUInteger index, const id& object) {
  checkObject(object);
  checkIndex(index, objects_.size());
  id replaced = std::exchange(objects_[index], object);
  ++mutations_;
}

void NSMutableArray::exchangeObjectAtIndex(NSUInteger index, NSUInteger otherIndex) {
  checkIndex(index, objects_.size());
  checkIndex(otherIndex, objects_.size());
  std::swap(objects_[index], objects_[otherIndex]);
  ++mutations_;
}
