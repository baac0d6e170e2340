#pragma once

// The class runtime: classes by name, method tables with type encodings, message sending,
// instance variables by name and associated objects. It keeps the platform's C interface so the
// code that uses it reads as it would on the device.

#include <cstddef>
#include <functional>

#include "runtime/IMP.h"
#include "runtime/Selector.h"
#include "runtime/TypeEncoding.h"

struct objc_ivar;
using Ivar = objc_ivar*;

enum objc_AssociationPolicy : unsigned {
  OBJC_ASSOCIATION_ASSIGN = 0,
  OBJC_ASSOCIATION_RETAIN_NONATOMIC = 1,
  OBJC_ASSOCIATION_COPY_NONATOMIC = 3,
  OBJC_ASSOCIATION_RETAIN = 01401,
  OBJC_ASSOCIATION_COPY = 01403,
};

Class objc_getClass(const char* name);
Class objc_lookUpClass(const char* name);
Class object_getClass(const id& object);
const char* object_getClassName(const id& object);

const char* class_getName(Class cls);
Class class_getSuperclass(Class cls);
bool class_addMethod(Class cls, SEL sel, IMP imp, const char* types);
IMP class_replaceMethod(Class cls, SEL sel, IMP imp, const char* types);
Method class_getInstanceMethod(Class cls, SEL sel);
IMP class_getMethodImplementation(Class cls, SEL sel);
bool class_respondsToSelector(Class cls, SEL sel);
Ivar class_getInstanceVariable(Class cls, const char* name);

SEL method_getName(Method method);
IMP method_getImplementation(Method method);
IMP method_setImplementation(Method method, IMP imp);
const char* method_getTypeEncoding(Method method);

const char* ivar_getName(Ivar ivar);
const char* ivar_getTypeEncoding(Ivar ivar);
id object_getIvar(const id& object, Ivar ivar);
void object_setIvar(const id& object, Ivar ivar, const id& value);

void objc_setAssociatedObject(const id& object, const void* key, const id& value,
                              objc_AssociationPolicy policy);
id objc_getAssociatedObject(const id& object, const void* key);
void objc_removeAssociatedObjects(const id& object);

// Sends a message. Messaging nil does nothing and returns zero, as on the platform; an
// unrecognised selector or a call whose types do not match the method's encoding throws
// objc::RuntimeError.
template <class R = void, class... Args>
R objc_msgSend(const id& self, SEL sel, Args&&... args) {
  if (!self) {
    if constexpr (std::is_void_v<R>) {
      return;
    } else {
      return R{};
    }
  }
  Method method = class_getInstanceMethod(object_getClass(self), sel);
  if (!method) {
    throw objc::RuntimeError(std::string("-[") + object_getClassName(self) + " " + sel.name() +
                             "]: unrecognized selector sent to instance");
  }
  return method_getImplementation(method).template call<R>(self, sel,
                                                           std::forward<Args>(args)...);
}

namespace objc::detail {

// Registration of classes defined in C++ (see ClassBuilder.h). Registering a name twice throws.
Class registerClass(const char* name, Class superclass);
void addIvar(Class cls, const char* name, const char* types,
             std::function<id(NSObject&)> get, std::function<void(NSObject&, const id&)> set);

}  // namespace objc::detail
