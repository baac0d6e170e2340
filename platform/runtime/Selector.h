#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// A selector is the interned name of a message. Two selectors with the same name are the same
// pointer, so comparing and hashing them is cheap.
class SEL {
 public:
  SEL() = default;
  SEL(const char* name);  // NOLINT: implicit, so a message can be sent by its literal name.
  SEL(std::string_view name);

  const char* name() const { return name_ ? name_->c_str() : "<null selector>"; }
  explicit operator bool() const { return name_ != nullptr; }
  bool operator==(const SEL&) const = default;
  size_t hash() const { return std::hash<const void*>()(name_); }

 private:
  const std::string* name_ = nullptr;
};

template <>
struct std::hash<SEL> {
  size_t operator()(const SEL& sel) const { return sel.hash(); }
};

SEL sel_registerName(const char* name);
SEL sel_getUid(const char* name);
const char* sel_getName(SEL sel);
