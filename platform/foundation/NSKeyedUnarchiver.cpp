#include "foundation/NSKeyedUnarchiver.h"

#include <climits>
#include <cmath>
#include <string>
#include <utility>

#include "foundation/NSArray.h"
#include "foundation/NSData.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSKeyedArchiver.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/NSURL.h"

OBJC_CLASS_IMPL(NSKeyedUnarchiver) {}

namespace {

// The archiver gave user keys that begin with "$" one more "$"; reads look for them the same way.
std::string archiveKey(std::string_view key) {
  std::string result;
  if (!key.empty() && key.front() == '$') result += '$';
  result += key;
  return result;
}

std::string quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

const char* kindName(const plist::Value& value) {
  static constexpr const char* kNames[] = {"a boolean", "an integer", "a real",
                                           "a string",  "data",       "a date",
                                           "a UID",     "an array",   "a dictionary"};
  return kNames[value.storage.index()];
}

bool isKindOfAny(const id& object, const std::vector<Class>& classes) {
  for (Class cls : classes) {
    if (cls && object->isKindOfClass(cls)) return true;
  }
  return false;
}

}  // namespace

NSKeyedUnarchiver::NSKeyedUnarchiver() = default;

std::shared_ptr<NSKeyedUnarchiver> NSKeyedUnarchiver::initForReadingFromData(
    std::span<const uint8_t> data, std::shared_ptr<NSError>* error) {
  auto unarchiver = std::make_shared<NSKeyedUnarchiver>();
  if (!unarchiver->readHeader(data)) {
    if (error) *error = unarchiver->error();
    return nullptr;
  }
  return unarchiver;
}

id NSKeyedUnarchiver::unarchivedObjectOfClasses(const std::vector<Class>& classes,
                                                std::span<const uint8_t> data,
                                                std::shared_ptr<NSError>* error) {
  auto unarchiver = initForReadingFromData(data, error);
  if (!unarchiver) return nullptr;
  id root = unarchiver->decodeObjectOfClasses(classes, "root");
  if (unarchiver->error()) {
    if (error) *error = unarchiver->error();
    return nullptr;
  }
  if (!root && !unarchiver->containsValueForKey("root")) {
    NSErrorSet(error, NSCocoaErrorDomain, NSCoderValueNotFoundError,
               "The archive has no root object.");
  }
  return root;
}

void NSKeyedUnarchiver::setRequiresSecureCoding(bool requiresSecureCoding) {
  requiresSecureCoding_ = requiresSecureCoding;
}

void NSKeyedUnarchiver::setClass(Class cls, std::string_view codedName) {
  std::string name(codedName);
  if (cls) {
    renamed_[name] = cls;
  } else {
    renamed_.erase(name);
  }
}

void NSKeyedUnarchiver::fail(const std::string& description) {
  failWithError(NSCoderReadCorruptError, "The archive could not be read: " + description + ".");
}

bool NSKeyedUnarchiver::readHeader(std::span<const uint8_t> data) {
  auto read = plist::read(data);
  if (!read) {
    fail("it is not a property list (" + read.error + ")");
    return false;
  }
  archive_ = std::move(*read.value);
  if (!archive_.get<plist::Dictionary>()) {
    fail("its root is not a dictionary");
    return false;
  }
  const plist::Value* archiver = archive_.find("$archiver");
  const std::string* archiverName = archiver ? archiver->get<std::string>() : nullptr;
  if (!archiverName || *archiverName != "NSKeyedArchiver") {
    fail("it was not written by NSKeyedArchiver ($archiver)");
    return false;
  }
  const plist::Value* version = archive_.find("$version");
  const plist::Integer* versionNumber = version ? version->get<plist::Integer>() : nullptr;
  if (!versionNumber || versionNumber->value != 100000 || versionNumber->isUnsigned) {
    fail("its $version is not 100000");
    return false;
  }
  const plist::Value* top = archive_.find("$top");
  top_ = top ? top->get<plist::Dictionary>() : nullptr;
  if (!top_) {
    fail("it has no $top dictionary");
    return false;
  }
  const plist::Value* objects = archive_.find("$objects");
  objects_ = objects ? objects->get<plist::Array>() : nullptr;
  if (!objects_) {
    fail("it has no $objects array");
    return false;
  }
  decoded_.resize(objects_->size());
  states_.resize(objects_->size(), State::New);
  frames_.push_back(Frame{top_});
  return true;
}

const plist::Value* NSKeyedUnarchiver::value(std::string_view key) const {
  if (frames_.empty()) return nullptr;
  for (const auto& [name, value] : *frames_.back().values) {
    if (name == key) return &value;
  }
  return nullptr;
}

bool NSKeyedUnarchiver::isAllowed(Class cls) const {
  if (!requiresSecureCoding_) return true;
  for (Class allowed : allowed_) {
    for (Class c = cls; c; c = class_getSuperclass(c)) {
      if (c == allowed) return true;
    }
  }
  return false;
}

id NSKeyedUnarchiver::decodeObjectForKey(std::string_view key) {
  if (error()) return nullptr;
  const plist::Value* reference = value(archiveKey(key));
  return reference ? decodeReference(*reference, key) : nullptr;
}

id NSKeyedUnarchiver::decodeObject() {
  if (error() || frames_.empty()) return nullptr;
  const std::string key = "$" + std::to_string(frames_.back().unkeyedCount++);
  const plist::Value* reference = value(key);
  return reference ? decodeReference(*reference, key) : nullptr;
}

id NSKeyedUnarchiver::decodeObjectOfClasses(const std::vector<Class>& classes,
                                            std::string_view key) {
  if (error()) return nullptr;
  std::vector<Class> outer = std::exchange(allowed_, classes);
  id object = decodeObjectForKey(key);
  allowed_ = std::move(outer);
  if (object && !isKindOfAny(object, classes)) {
    fail("value for key " + quoted(key) + " was of unexpected class " +
         quoted(class_getName(object->isa())));
    return nullptr;
  }
  return object;
}

id NSKeyedUnarchiver::decodeReference(const plist::Value& reference, std::string_view key) {
  const plist::UID* uid = reference.get<plist::UID>();
  if (!uid) {
    fail("value for key " + quoted(key) + " is " + kindName(reference) +
         ", not an object reference");
    return nullptr;
  }
  return objectForUID(uid->value, key);
}

id NSKeyedUnarchiver::objectForUID(uint64_t uid, std::string_view key) {
  if (uid == 0) return nullptr;
  if (uid >= objects_->size()) {
    fail("object reference " + std::to_string(uid) + " for key " + quoted(key) +
         " is out of range (" + std::to_string(objects_->size()) + " objects)");
    return nullptr;
  }
  switch (states_[uid]) {
    case State::Done: {
      const id& object = decoded_[uid];
      if (object && !isAllowed(object->isa())) {
        fail("value for key " + quoted(key) + " was of unexpected class " +
             quoted(class_getName(object->isa())));
        return nullptr;
      }
      return object;
    }
    case State::Decoding:
      fail("object " + std::to_string(uid) + " refers to itself while it is being decoded");
      return nullptr;
    case State::New:
      break;
  }
  states_[uid] = State::Decoding;
  id object = makeObject(uid, key);
  if (error()) return nullptr;
  states_[uid] = State::Done;
  decoded_[uid] = object;
  return object;
}

id NSKeyedUnarchiver::makeObject(uint64_t uid, std::string_view key) {
  const plist::Value& entry = (*objects_)[uid];
  auto allow = [&](Class cls) {
    if (isAllowed(cls)) return true;
    fail("value for key " + quoted(key) + " was of unexpected class " + quoted(class_getName(cls)));
    return false;
  };
  if (auto* string = entry.get<std::string>()) {
    return allow(NSString::classObject()) ? NSString::string(*string) : nullptr;
  }
  if (auto* integer = entry.get<plist::Integer>()) {
    if (!allow(NSNumber::classObject())) return nullptr;
    if (integer->isUnsigned) return NSNumber::numberWithUnsignedLongLong(uint64_t(integer->value));
    return NSNumber::numberWithLongLong(integer->value);
  }
  if (auto* real = entry.get<double>()) {
    return allow(NSNumber::classObject()) ? NSNumber::numberWithDouble(*real) : nullptr;
  }
  if (auto* boolean = entry.get<bool>()) {
    return allow(NSNumber::classObject()) ? NSNumber::numberWithBool(*boolean) : nullptr;
  }
  if (auto* data = entry.get<plist::Data>()) {
    return allow(NSData::classObject()) ? NSData::dataWithBytes(*data) : nullptr;
  }
  auto* values = entry.get<plist::Dictionary>();
  if (!values) {
    fail("object " + std::to_string(uid) + " is " + kindName(entry) +
         ", which an archive does not hold");
    return nullptr;
  }
  const plist::Value* classReference = entry.find("$class");
  const plist::UID* classUID = classReference ? classReference->get<plist::UID>() : nullptr;
  if (!classUID) {
    fail("object " + std::to_string(uid) + " has no $class reference");
    return nullptr;
  }
  Class cls = classForUID(classUID->value);
  if (!cls || !allow(cls)) return nullptr;
  if (frames_.size() > NSKeyedArchiveMaxDepth) {
    fail("objects are nested more than " + std::to_string(NSKeyedArchiveMaxDepth) + " deep");
    return nullptr;
  }
  frames_.push_back(Frame{values});
  id object = decodeContents(cls);
  frames_.pop_back();
  return object;
}

Class NSKeyedUnarchiver::classForUID(uint64_t uid) {
  if (auto found = classes_.find(uid); found != classes_.end()) return found->second;
  if (uid == 0 || uid >= objects_->size()) {
    fail("class reference " + std::to_string(uid) + " is out of range");
    return nullptr;
  }
  const plist::Value& descriptor = (*objects_)[uid];
  const plist::Value* name = descriptor.find("$classname");
  const plist::Value* chain = descriptor.find("$classes");
  const std::string* className = name ? name->get<std::string>() : nullptr;
  const plist::Array* classNames = chain ? chain->get<plist::Array>() : nullptr;
  if (!className || !classNames) {
    fail("object " + std::to_string(uid) + " is not a class ($classname, $classes)");
    return nullptr;
  }
  for (const plist::Value& superclass : *classNames) {
    if (!superclass.get<std::string>()) {
      fail("the $classes of " + quoted(*className) + " are not all names");
      return nullptr;
    }
  }
  Class cls = nullptr;
  if (auto renamed = renamed_.find(*className); renamed != renamed_.end()) {
    cls = renamed->second;
  } else {
    cls = objc_getClass(className->c_str());
  }
  if (!cls) {
    fail("cannot decode an object of class " + quoted(*className) + ": no such class");
    return nullptr;
  }
  classes_.emplace(uid, cls);
  return cls;
}

id NSKeyedUnarchiver::decodeContents(Class cls) {
  if (NSCoding::Initializer initWithCoder = NSCoding::initializerForClass(cls)) {
    return initWithCoder(*this);
  }
  if (cls == NSArray::classObject() || cls == NSMutableArray::classObject()) {
    std::vector<id> objects;
    if (!decodeReferences("NS.objects", objects)) return nullptr;
    if (cls == NSMutableArray::classObject()) {
      return std::make_shared<NSMutableArray>(std::move(objects));
    }
    return std::make_shared<NSArray>(std::move(objects));
  }
  if (cls == NSDictionary::classObject() || cls == NSMutableDictionary::classObject()) {
    return decodeDictionary(cls == NSMutableDictionary::classObject());
  }
  if (cls == NSDate::classObject()) {
    const double time = decodeDoubleForKey("NS.time");
    return error() ? nullptr : NSDate::dateWithTimeIntervalSinceReferenceDate(time);
  }
  if (cls == NSURL::classObject()) {
    id base = decodeObjectOfClass(NSURL::classObject(), "NS.base");
    auto relative = decodeObjectOfClass<NSString>("NS.relative");
    if (error()) return nullptr;
    if (base) {
      fail("URLs relative to a base URL are not supported");
      return nullptr;
    }
    auto url = relative ? NSURL::URLWithString(relative->utf8()) : nullptr;
    if (!url) fail("an NSURL holds no well-formed URL");
    return url;
  }
  if (cls == NSString::classObject() || cls == NSMutableString::classObject()) {
    const plist::Value* text = value("NS.string");
    const std::string* string = text ? text->get<std::string>() : nullptr;
    if (!string) {
      fail("an " + std::string(class_getName(cls)) + " holds no NS.string");
      return nullptr;
    }
    if (cls == NSMutableString::classObject()) return NSMutableString::string(*string);
    return NSString::string(*string);
  }
  if (cls == NSData::classObject() || cls == NSMutableData::classObject()) {
    const plist::Value* bytes = value("NS.data");
    const plist::Data* data = bytes ? bytes->get<plist::Data>() : nullptr;
    if (!data) {
      fail("an " + std::string(class_getName(cls)) + " holds no NS.data");
      return nullptr;
    }
    if (cls == NSMutableData::classObject()) return std::make_shared<NSMutableData>(*data);
    return NSData::dataWithBytes(*data);
  }
  fail("cannot decode an object of class " + quoted(class_getName(cls)) +
       ": it does not adopt NSCoding");
  return nullptr;
}

bool NSKeyedUnarchiver::decodeReferences(std::string_view key, std::vector<id>& objects) {
  const plist::Value* list = value(key);
  if (!list) return true;
  const plist::Array* references = list->get<plist::Array>();
  if (!references) {
    fail("value for key " + quoted(key) + " is " + kindName(*list) + ", not an array");
    return false;
  }
  objects.reserve(references->size());
  for (const plist::Value& reference : *references) {
    id object = decodeReference(reference, key);
    if (error()) return false;
    if (!object) {
      fail("the collection under key " + quoted(key) + " holds nil");
      return false;
    }
    objects.push_back(std::move(object));
  }
  return true;
}

id NSKeyedUnarchiver::decodeDictionary(bool isMutable) {
  std::vector<id> keys, objects;
  if (!decodeReferences("NS.keys", keys) || !decodeReferences("NS.objects", objects)) {
    return nullptr;
  }
  if (keys.size() != objects.size()) {
    fail("a dictionary has " + std::to_string(keys.size()) + " keys and " +
         std::to_string(objects.size()) + " objects");
    return nullptr;
  }
  for (const id& key : keys) {
    // Collections as keys would be compared element by element, and a hostile archive can share
    // elements so that one comparison takes exponential time.
    if (key->isKindOfClass(NSArray::classObject()) ||
        key->isKindOfClass(NSDictionary::classObject())) {
      fail("a dictionary key of class " + quoted(class_getName(key->isa())) + " is not supported");
      return nullptr;
    }
  }
  if (!isMutable) return NSDictionary::dictionaryWithObjects(objects, keys);
  auto dictionary = NSMutableDictionary::dictionaryWithCapacity(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) dictionary->setObject(objects[i], keys[i]);
  return dictionary;
}

bool NSKeyedUnarchiver::containsValueForKey(std::string_view key) {
  return value(archiveKey(key)) != nullptr;
}

bool NSKeyedUnarchiver::decodeBoolForKey(std::string_view key) {
  if (error()) return false;
  const plist::Value* v = value(archiveKey(key));
  if (!v) return false;
  if (auto* boolean = v->get<bool>()) return *boolean;
  if (auto* integer = v->get<plist::Integer>()) return integer->value != 0;
  if (auto* real = v->get<double>()) return *real != 0;
  fail("value for key " + quoted(key) + " is " + kindName(*v) + ", not a boolean");
  return false;
}

int64_t NSKeyedUnarchiver::decodeInt64ForKey(std::string_view key) {
  if (error()) return 0;
  const plist::Value* v = value(archiveKey(key));
  if (!v) return 0;
  if (auto* integer = v->get<plist::Integer>()) {
    if (!integer->isUnsigned || integer->value >= 0) return integer->value;
  } else if (auto* boolean = v->get<bool>()) {
    return *boolean ? 1 : 0;
  } else if (auto* real = v->get<double>()) {
    // 2^63 is the first real that does not fit.
    if (std::isfinite(*real) && *real >= -9223372036854775808.0 && *real < 9223372036854775808.0) {
      return int64_t(*real);
    }
  } else {
    fail("value for key " + quoted(key) + " is " + kindName(*v) + ", not a number");
    return 0;
  }
  fail("value for key " + quoted(key) + " does not fit in 64 bits");
  return 0;
}

int NSKeyedUnarchiver::decodeIntForKey(std::string_view key) {
  const int64_t value = decodeInt64ForKey(key);
  if (value < INT_MIN || value > INT_MAX) {
    fail("value for key " + quoted(key) + " does not fit in 32 bits");
    return 0;
  }
  return int(value);
}

double NSKeyedUnarchiver::decodeDoubleForKey(std::string_view key) {
  if (error()) return 0;
  const plist::Value* v = value(archiveKey(key));
  if (!v) return 0;
  if (auto* real = v->get<double>()) return *real;
  if (auto* integer = v->get<plist::Integer>()) {
    return integer->isUnsigned ? double(uint64_t(integer->value)) : double(integer->value);
  }
  if (auto* boolean = v->get<bool>()) return *boolean ? 1 : 0;
  fail("value for key " + quoted(key) + " is " + kindName(*v) + ", not a number");
  return 0;
}
