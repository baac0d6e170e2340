#pragma once

// NSArray / NSMutableArray: an ordered list of objects. nil is never an element; out-of-range
// indices and nil insertions are programming errors and throw objc::RuntimeError, as the platform
// raises its exceptions. Range-for walks the elements; changing the array during the walk throws.

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/MutationCheckedIterator.h"
#include "foundation/NSObjCRuntime.h"
#include "runtime/NSObject.h"

class NSMutableArray;
class NSString;

class NSArray : public NSObject {
  OBJC_CLASS(NSArray, NSObject);

 public:
  NSArray() = default;
  // Throws objc::RuntimeError when an element is nil.
  explicit NSArray(std::vector<id> objects);

  static std::shared_ptr<NSArray> array();
  static std::shared_ptr<NSArray> arrayWithArray(const NSArray& other);
  static std::shared_ptr<NSArray> arrayWithObjects(std::vector<id> objects);
  static std::shared_ptr<NSArray> arrayWithObject(const id& object);

  NSUInteger count() const { return objects_.size(); }
  id objectAtIndex(NSUInteger index) const;
  // nil when empty.
  id firstObject() const;
  id lastObject() const;
  // By isEqual; NSNotFound when absent.
  NSUInteger indexOfObject(const id& object) const;
  // By pointer; NSNotFound when absent.
  NSUInteger indexOfObjectIdenticalTo(const id& object) const;
  bool containsObject(const id& object) const;
  bool isEqualToArray(const NSArray& other) const;
  // The elements' descriptions joined by `separator`.
  std::shared_ptr<NSString> componentsJoinedByString(std::string_view separator) const;
  std::shared_ptr<NSArray> arrayByAddingObject(const id& object) const;

  // The elements for C++ algorithms; read-only.
  const std::vector<id>& objects() const { return objects_; }

  std::shared_ptr<NSArray> copy() const;
  std::shared_ptr<NSMutableArray> mutableCopy() const;

  using const_iterator = MutationCheckedIterator<id>;
  const_iterator begin() const {
    return const_iterator(&objects_, &mutations_, 0, "NSMutableArray");
  }
  const_iterator end() const {
    return const_iterator(&objects_, &mutations_, objects_.size(), "NSMutableArray");
  }

  // Equal when the elements are pairwise isEqual.
  bool isEqual(const id& other) const override;
  size_t hash() const override { return objects_.size(); }
  // The platform's form: "(\n    a,\n    b\n)".
  std::string description() const override;
  // The same, indented by `level` steps, for nesting inside other collections.
  std::string descriptionWithIndent(int level) const;
  // How a collection's description shows one element at nesting `level`: strings quoted unless
  // they are plain words, nested collections indented.
  static std::string describeElement(const id& element, int level);

 protected:
  static void checkObject(const id& object);
  void checkIndex(NSUInteger index, NSUInteger limit) const;

  std::vector<id> objects_;
  uint64_t mutations_ = 0;
};

class NSMutableArray : public NSArray {
  OBJC_CLASS(NSMutableArray, NSArray);

 public:
  using NSArray::NSArray;

  static std::shared_ptr<NSMutableArray> array();
  static std::shared_ptr<NSMutableArray> arrayWithArray(const NSArray& other);
  static std::shared_ptr<NSMutableArray> arrayWithObjects(std::vector<id> objects);
  static std::shared_ptr<NSMutableArray> arrayWithCapacity(NSUInteger capacity);

  void addObject(const id& object);
  void addObjectsFromArray(const NSArray& other);
  // `index` may equal count (append).
  void insertObject(const id& object, NSUInteger index);
  void removeObjectAtIndex(NSUInteger index);
  // Throws on an empty array, as the platform does.
  void removeLastObject();
  void removeAllObjects();
  // Removes every element isEqual to `object`.
  void removeObject(const id& object);
  void replaceObjectAtIndex(NSUInteger index, const id& object);
  void exchangeObjectAtIndex(NSUInteger index, NSUInteger otherIndex);
};
