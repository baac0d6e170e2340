#include "runtime/Selector.h"

#include <unordered_set>

namespace {

// Interned names live for the life of the process; node-based storage keeps their addresses.
std::unordered_set<std::string>& internedNames() {
  static auto* names = new std::unordered_set<std::string>();
  return *names;
}

}  // namespace

SEL::SEL(const char* name) : SEL(std::string_view(name ? name : "")) {}

SEL::SEL(std::string_view name) : name_(&*internedNames().emplace(name).first) {}

SEL sel_registerName(const char* name) { return SEL(name); }
SEL sel_getUid(const char* name) { return SEL(name); }
const char* sel_getName(SEL sel) { return sel.name(); }
