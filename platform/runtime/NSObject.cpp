#include "runtime/NSObject.h"

#include <cstdio>
#include <unordered_map>
#include <variant>

namespace objc::detail {

struct Association {
  objc_AssociationPolicy policy;
  id strong;
  std::weak_ptr<NSObject> weak;  // OBJC_ASSOCIATION_ASSIGN: never dangles, reads nil once gone.
};

struct AssociationTable {
  std::unordered_map<const void*, Association> entries;
};

}  // namespace objc::detail

NSObject::NSObject() = default;
NSObject::~NSObject() = default;

Class NSObject::classObject() {
  static const Class cls = [] {
    Class created = objc::detail::registerClass("NSObject", nullptr);
    objc::ClassBuilder<NSObject> builder(created);
    registerMethods(builder);
    return created;
  }();
  return cls;
}

[[maybe_unused]] static const Class parloRegisteredClass_NSObject = NSObject::classObject();

void NSObject::registerMethods(objc::ClassBuilder<NSObject>& c) {
  c.method("isKindOfClass:", &NSObject::isKindOfClass)
      .method("isMemberOfClass:", &NSObject::isMemberOfClass)
      .method("respondsToSelector:", &NSObject::respondsToSelector)
      .method("isEqual:", &NSObject::isEqual)
      .method("hash", &NSObject::hash);
}

bool NSObject::isKindOfClass(Class cls) const {
  for (Class c = isa(); c; c = class_getSuperclass(c)) {
    if (c == cls) return true;
  }
  return false;
}

bool NSObject::isMemberOfClass(Class cls) const { return isa() == cls; }

bool NSObject::respondsToSelector(SEL sel) const { return class_respondsToSelector(isa(), sel); }

std::string NSObject::description() const {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
  return std::string("<") + class_getName(isa()) + ": " + address + ">";
}

void objc_setAssociatedObject(const id& object, const void* key, const id& value,
                              objc_AssociationPolicy policy) {
  if (!object) return;
  if (!value) {
    if (object->associations_) object->associations_->entries.erase(key);
    return;
  }
  if (!object->associations_) {
    object->associations_ = std::make_unique<objc::detail::AssociationTable>();
  }
  objc::detail::Association association{policy, nullptr, {}};
  if (policy == OBJC_ASSOCIATION_ASSIGN) {
    association.weak = value;
  } else {
    association.strong = value;
  }
  // Replace after building the new entry: the old value may be released here.
  object->associations_->entries.insert_or_assign(key, std::move(association));
}

id objc_getAssociatedObject(const id& object, const void* key) {
  if (!object || !object->associations_) return nullptr;
  auto& entries = object->associations_->entries;
  auto found = entries.find(key);
  if (found == entries.end()) return nullptr;
  const auto& association = found->second;
  return association.policy == OBJC_ASSOCIATION_ASSIGN ? association.weak.lock()
                                                       : association.strong;
}

void objc_removeAssociatedObjects(const id& object) {
  if (object) object->associations_.reset();
}
