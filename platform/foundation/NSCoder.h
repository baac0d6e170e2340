#pragma once

// NSCoding, the protocol of objects that can be archived, and NSCoder, the operations that an
// archiver and an unarchiver share.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/NSError.h"
#include "foundation/NSObjCRuntime.h"
#include "runtime/NSObject.h"

// The Cocoa domain's codes for archives that cannot be read and values that cannot be written.
enum : NSInteger {
  NSCoderReadCorruptError = 4864,
  NSCoderValueNotFoundError = 4865,
  NSCoderInvalidValueError = 4866,
};

class NSCoder;

// Adopted by a class whose objects can be archived. Encoding is the member below; decoding is a
// static factory, `initWithCoder`, that returns the new object (nil when it cannot be made) and
// that NSCODING_IMPL makes known to unarchivers under the class's runtime name:
//
//   void ChatDataModel::encodeWithCoder(NSCoder& coder) const {
//     coder.encodeObject(message, "message");
//     coder.encodeBool(showLike, "showLike");
//   }
//   std::shared_ptr<ChatDataModel> ChatDataModel::initWithCoder(NSCoder& coder) {
//     auto model = std::make_shared<ChatDataModel>();
//     model->message = coder.decodeObjectOfClass<NSString>("message");
//     model->showLike = coder.decodeBoolForKey("showLike");
//     return model;
//   }
//   OBJC_CLASS_IMPL(ChatDataModel) {}
//   NSCODING_IMPL(ChatDataModel);
class NSCoding {
 public:
  virtual ~NSCoding() = default;
  virtual void encodeWithCoder(NSCoder& coder) const = 0;

  using Initializer = id (*)(NSCoder& coder);
  // Makes objects of exactly `cls` decodable. Registering a class twice throws objc::RuntimeError.
  static bool registerClass(Class cls, Initializer initWithCoder);
  // The initialiser registered for exactly `cls`; null when it has none.
  static Initializer initializerForClass(Class cls);
};

#define NSCODING_IMPL(Cls)                                                                  \
  [[maybe_unused]] static const bool parloDecodableClass_##Cls = ::NSCoding::registerClass( \
      Cls::classObject(), [](NSCoder& coder) -> id { return Cls::initWithCoder(coder); })

class NSCoder : public NSObject {
  OBJC_CLASS(NSCoder, NSObject);

 public:
  // Encoding. An abstract coder cannot encode; these throw objc::RuntimeError unless a subclass
  // overrides them. Keys that begin with "$" are the archive's own; user keys with that prefix
  // are escaped by the keyed coders, so any key is safe.
  virtual void encodeObject(const id& object, std::string_view key);
  // The next key of the current object's unkeyed sequence ("$0", "$1", ...).
  virtual void encodeObject(const id& object);
  virtual void encodeBool(bool value, std::string_view key);
  virtual void encodeInt(int value, std::string_view key);
  virtual void encodeInt64(int64_t value, std::string_view key);
  virtual void encodeDouble(double value, std::string_view key);

  // Decoding. A missing key reads nil, NO or 0. A value that is there but cannot be read (a
  // number that does not fit, an object of a class that is not allowed) is a failure: the coder
  // keeps it in error() and every read after it returns nil, NO or 0.
  virtual id decodeObjectForKey(std::string_view key);
  virtual id decodeObject();
  // The object for `key` when it is of one of `classes` (or a subclass); while it is decoded,
  // `classes` are the classes its own contents may have.
  virtual id decodeObjectOfClasses(const std::vector<Class>& classes, std::string_view key);
  id decodeObjectOfClass(Class cls, std::string_view key) {
    return decodeObjectOfClasses({cls}, key);
  }
  template <class T>
  std::shared_ptr<T> decodeObjectOfClass(std::string_view key) {
    return std::dynamic_pointer_cast<T>(decodeObjectOfClass(T::classObject(), key));
  }
  virtual bool decodeBoolForKey(std::string_view key);
  virtual int decodeIntForKey(std::string_view key);
  virtual int64_t decodeInt64ForKey(std::string_view key);
  virtual double decodeDoubleForKey(std::string_view key);
  virtual bool containsValueForKey(std::string_view key);

  // The first failure; nil while all is well.
  const std::shared_ptr<NSError>& error() const { return error_; }
  // Records a failure (an initWithCoder that finds its values unusable calls it too). Only the
  // first one is kept.
  void failWithError(const std::shared_ptr<NSError>& error);

 protected:
  void failWithError(NSInteger code, const std::string& description);

 private:
  [[noreturn]] void abstract(const char* selector) const;

  std::shared_ptr<NSError> error_;
};
