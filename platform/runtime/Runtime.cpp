#include <cctype>
#include <cstdio>
#include <unordered_map>

#include "runtime/ClassTable+Private.h"
#include "runtime/NSObject.h"

namespace {

// Classes live for the life of the process, as on the platform.
std::unordered_map<std::string, std::unique_ptr<objc_class>>& classesByName() {
  static auto* classes = new std::unordered_map<std::string, std::unique_ptr<objc_class>>();
  return *classes;
}

}  // namespace

std::string objc_normalizedEncoding(const char* types) {
  std::string normalized;
  for (const char* p = types ? types : ""; *p; ++p) {
    if (!std::isdigit(static_cast<unsigned char>(*p))) normalized += *p;
  }
  return normalized;
}

void objc::detail::throwSignatureMismatch(SEL sel, const std::string& registered,
                                          const std::string& called) {
  throw RuntimeError(std::string("type encoding mismatch for ") + sel.name() + ": method is " +
                     registered + ", called as " + called);
}

Class objc::detail::registerClass(const char* name, Class superclass) {
  auto& classes = classesByName();
  if (classes.count(name)) throw RuntimeError(std::string("class registered twice: ") + name);
  auto cls = std::make_unique<objc_class>();
  cls->name = name;
  cls->superclass = superclass;
  Class result = cls.get();
  classes.emplace(name, std::move(cls));
  return result;
}

void objc::detail::addIvar(Class cls, const char* name, const char* types,
                           std::function<id(NSObject&)> get,
                           std::function<void(NSObject&, const id&)> set) {
  auto ivar = std::make_unique<objc_ivar>();
  ivar->name = name;
  ivar->types = types;
  ivar->get = std::move(get);
  ivar->set = std::move(set);
  cls->ivars.push_back(std::move(ivar));
}

Class objc_getClass(const char* name) {
  if (!name) return nullptr;
  auto& classes = classesByName();
  auto found = classes.find(name);
  return found == classes.end() ? nullptr : found->second.get();
}

Class objc_lookUpClass(const char* name) { return objc_getClass(name); }

Class object_getClass(const id& object) { return object ? object->isa() : nullptr; }

const char* object_getClassName(const id& object) {
  return object ? class_getName(object_getClass(object)) : "nil";
}

const char* class_getName(Class cls) { return cls ? cls->name.c_str() : "nil"; }

Class class_getSuperclass(Class cls) { return cls ? cls->superclass : nullptr; }

bool class_addMethod(Class cls, SEL sel, IMP imp, const char* types) {
  if (!cls || !sel || !imp) return false;
  if (cls->methods.count(sel)) return false;
  std::string declared = objc_normalizedEncoding(types ? types : imp.types());
  if (declared != objc_normalizedEncoding(imp.types())) {
    objc::detail::throwSignatureMismatch(sel, declared, imp.types());
  }
  cls->methods.emplace(sel, std::make_unique<objc_method>(objc_method{sel, imp, declared}));
  return true;
}

IMP class_replaceMethod(Class cls, SEL sel, IMP imp, const char* types) {
  if (!cls) return {};
  auto found = cls->methods.find(sel);
  if (found == cls->methods.end()) {
    class_addMethod(cls, sel, imp, types);
    return {};
  }
  return method_setImplementation(found->second.get(), imp);
}

Method class_getInstanceMethod(Class cls, SEL sel) {
  for (Class c = cls; c; c = c->superclass) {
    auto found = c->methods.find(sel);
    if (found != c->methods.end()) return found->second.get();
  }
  return nullptr;
}

IMP class_getMethodImplementation(Class cls, SEL sel) {
  Method method = class_getInstanceMethod(cls, sel);
  return method ? method->imp : IMP();
}

bool class_respondsToSelector(Class cls, SEL sel) {
  return class_getInstanceMethod(cls, sel) != nullptr;
}

Ivar class_getInstanceVariable(Class cls, const char* name) {
  if (!name) return nullptr;
  for (Class c = cls; c; c = c->superclass) {
    for (auto& ivar : c->ivars) {
      if (ivar->name == name) return ivar.get();
    }
  }
  return nullptr;
}

SEL method_getName(Method method) { return method ? method->name : SEL(); }
IMP method_getImplementation(Method method) { return method ? method->imp : IMP(); }
const char* method_getTypeEncoding(Method method) {
  return method ? method->types.c_str() : nullptr;
}

IMP method_setImplementation(Method method, IMP imp) {
  if (!method || !imp) return {};
  if (objc_normalizedEncoding(imp.types()) != method->types) {
    objc::detail::throwSignatureMismatch(method->name, method->types, imp.types());
  }
  IMP previous = method->imp;
  method->imp = imp;
  return previous;
}

const char* ivar_getName(Ivar ivar) { return ivar ? ivar->name.c_str() : nullptr; }
const char* ivar_getTypeEncoding(Ivar ivar) { return ivar ? ivar->types.c_str() : nullptr; }

id object_getIvar(const id& object, Ivar ivar) {
  if (!object || !ivar) return nullptr;
  return ivar->get(*object);
}

void object_setIvar(const id& object, Ivar ivar, const id& value) {
  if (object && ivar) ivar->set(*object, value);
}
