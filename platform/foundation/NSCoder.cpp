#include "foundation/NSCoder.h"

#include <string>
#include <unordered_map>

#include "runtime/RuntimeError.h"

namespace {

// Filled by static initialisers as libraries load, so it must exist before any of them runs.
std::unordered_map<Class, NSCoding::Initializer>& initializers() {
  static auto* table = new std::unordered_map<Class, NSCoding::Initializer>();
  return *table;
}

}  // namespace

bool NSCoding::registerClass(Class cls, Initializer initWithCoder) {
  if (!cls || !initWithCoder) throw objc::RuntimeError("NSCoding: registering a null class");
  if (!initializers().emplace(cls, initWithCoder).second) {
    throw objc::RuntimeError(std::string("NSCoding: class registered twice: ") +
                             class_getName(cls));
  }
  return true;
}

NSCoding::Initializer NSCoding::initializerForClass(Class cls) {
  auto found = initializers().find(cls);
  return found == initializers().end() ? nullptr : found->second;
}

OBJC_CLASS_IMPL(NSCoder) {}

void NSCoder::abstract(const char* selector) const {
  throw objc::RuntimeError(std::string("-[") + class_getName(isa()) + " " + selector +
                           "]: not available in this coder");
}

void NSCoder::encodeObject(const id&, std::string_view) {
  abstract("encodeObject:forKey:");
}
void NSCoder::encodeObject(const id&) {
  abstract("encodeObject:");
}
void NSCoder::encodeBool(bool, std::string_view) {
  abstract("encodeBool:forKey:");
}
void NSCoder::encodeInt(int, std::string_view) {
  abstract("encodeInt:forKey:");
}
void NSCoder::encodeInt64(int64_t, std::string_view) {
  abstract("encodeInt64:forKey:");
}
void NSCoder::encodeDouble(double, std::string_view) {
  abstract("encodeDouble:forKey:");
}

id NSCoder::decodeObjectForKey(std::string_view) {
  abstract("decodeObjectForKey:");
}
id NSCoder::decodeObject() {
  abstract("decodeObject");
}
id NSCoder::decodeObjectOfClasses(const std::vector<Class>&, std::string_view) {
  abstract("decodeObjectOfClasses:forKey:");
}
bool NSCoder::decodeBoolForKey(std::string_view) {
  abstract("decodeBoolForKey:");
}
int NSCoder::decodeIntForKey(std::string_view) {
  abstract("decodeIntForKey:");
}
int64_t NSCoder::decodeInt64ForKey(std::string_view) {
  abstract("decodeInt64ForKey:");
}
double NSCoder::decodeDoubleForKey(std::string_view) {
  abstract("decodeDoubleForKey:");
}
bool NSCoder::containsValueForKey(std::string_view) {
  abstract("containsValueForKey:");
}

void NSCoder::failWithError(const std::shared_ptr<NSError>& error) {
  if (!error_ && error) error_ = error;
}

void NSCoder::failWithError(NSInteger code, const std::string& description) {
  if (!error_) error_ = NSError::errorWithDomain(NSCocoaErrorDomain, code, description);
}
