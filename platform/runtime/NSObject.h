#pragma once

#include <memory>
#include <string>

#include "runtime/ClassBuilder.h"
#include "runtime/objc.h"

namespace objc::detail {
struct AssociationTable;
}

// The root class. Objects are owned through std::shared_ptr (id); a weak_ptr is a weak reference.
class NSObject : public std::enable_shared_from_this<NSObject> {
 public:
  NSObject();
  virtual ~NSObject();
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  static Class classObject();
  static std::shared_ptr<NSObject> alloc() { return std::make_shared<NSObject>(); }
  // The object's runtime class; OBJC_CLASS overrides it in every class that takes part.
  virtual Class isa() const { return classObject(); }

  bool isKindOfClass(Class cls) const;
  bool isMemberOfClass(Class cls) const;
  bool respondsToSelector(SEL sel) const;

  virtual bool isEqual(const id& other) const { return other.get() == this; }
  virtual size_t hash() const { return reinterpret_cast<size_t>(this); }
  // UTF-8 text for "%@": "<ClassName: 0x...>" unless a class says better.
  virtual std::string description() const;

  id self() { return shared_from_this(); }
  template <class T>
  std::shared_ptr<T> selfAs() {
    return std::static_pointer_cast<T>(shared_from_this());
  }

 private:
  friend void objc_setAssociatedObject(const id&, const void*, const id&, objc_AssociationPolicy);
  friend id objc_getAssociatedObject(const id&, const void*);
  friend void objc_removeAssociatedObjects(const id&);

  static void registerMethods(objc::ClassBuilder<NSObject>& c);

  // Associated objects die with their owner.
  std::unique_ptr<objc::detail::AssociationTable> associations_;
};
