#include "runtime/Substrate.h"

#include <cstdio>

#include "runtime/ClassTable+Private.h"

void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* result) {
  if (!cls || !sel || !replacement) {
    std::fprintf(stderr, "MSHookMessageEx: nothing to hook for %s\n", sel.name());
    return;
  }
  auto own = cls->methods.find(sel);
  if (own != cls->methods.end()) {
    IMP previous = method_setImplementation(own->second.get(), replacement);
    if (result) *result = previous;
    return;
  }
  Method inherited = class_getInstanceMethod(cls->superclass, sel);
  if (!inherited) {
    std::fprintf(stderr, "MSHookMessageEx: %s does not respond to %s\n", cls->name.c_str(),
                 sel.name());
    return;
  }
  class_addMethod(cls, sel, replacement, inherited->types.c_str());
  if (result) *result = replacement.forwarderTo(cls->superclass, sel);
}
