#include "foundation/NSPropertyListSerialization.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/NSArray.h"
#include "foundation/NSData.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/PropertyList.h"

OBJC_CLASS_IMPL(NSPropertyListSerialization) {}

namespace {

id objectFromValue(const plist::Value& value, NSPropertyListReadOptions options);

std::shared_ptr<NSString> stringFromValue(const std::string& text,
                                          NSPropertyListReadOptions options) {
  if (options == NSPropertyListMutableContainersAndLeaves) return NSMutableString::string(text);
  return NSString::string(text);
}

id containerFromArray(const plist::Array& array, NSPropertyListReadOptions options) {
  std::vector<id> objects;
  objects.reserve(array.size());
  for (const plist::Value& element : array) objects.push_back(objectFromValue(element, options));
  if (options != NSPropertyListImmutable)
    return NSMutableArray::arrayWithObjects(std::move(objects));
  return NSArray::arrayWithObjects(std::move(objects));
}

id containerFromDictionary(const plist::Dictionary& dictionary, NSPropertyListReadOptions options) {
  if (options != NSPropertyListImmutable) {
    auto result = NSMutableDictionary::dictionaryWithCapacity(dictionary.size());
    for (const auto& [key, value] : dictionary) {
      result->setObject(objectFromValue(value, options), NSString::string(key));
    }
    return result;
  }
  std::vector<id> keys, objects;
  keys.reserve(dictionary.size());
  objects.reserve(dictionary.size());
  for (const auto& [key, value] : dictionary) {
    keys.push_back(NSString::string(key));
    objects.push_back(objectFromValue(value, options));
  }
  return NSDictionary::dictionaryWithObjects(objects, keys);
}

// The readers refuse values nested deeper than plist::kMaxDepth, which bounds this recursion.
id objectFromValue(const plist::Value& value, NSPropertyListReadOptions options) {
  return std::visit(
      [options](const auto& v) -> id {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>) {
          return NSNumber::numberWithBool(v);
        } else if constexpr (std::is_same_v<T, plist::Integer>) {
          if (v.isUnsigned) return NSNumber::numberWithUnsignedLongLong(uint64_t(v.value));
          return NSNumber::numberWithLongLong(v.value);
        } else if constexpr (std::is_same_v<T, double>) {
          return NSNumber::numberWithDouble(v);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return stringFromValue(v, options);
        } else if constexpr (std::is_same_v<T, plist::Data>) {
          if (options == NSPropertyListMutableContainersAndLeaves) {
            return std::make_shared<NSMutableData>(v);
          }
          return NSData::dataWithBytes(v);
        } else if constexpr (std::is_same_v<T, plist::Date>) {
          return NSDate::dateWithTimeIntervalSinceReferenceDate(v.secondsSinceReferenceDate);
        } else if constexpr (std::is_same_v<T, plist::UID>) {
          plist::Dictionary reference{{"CF$UID", plist::Integer{int64_t(v.value), false}}};
          return containerFromDictionary(reference, options);
        } else if constexpr (std::is_same_v<T, plist::Array>) {
          return containerFromArray(v, options);
        } else {
          return containerFromDictionary(v, options);
        }
      },
      value.storage);
}

struct Converter {
  std::string error;
  // XML names dates by calendar text, which has no words for NaN or for years beyond 1 to 9999;
  // written anyway they would come back as another date.
  bool xml = false;

  std::optional<plist::Value> convert(const NSObject& object, size_t depth) {
    // A container that holds itself would nest forever; it shows up as too deep.
    if (depth > plist::kMaxDepth) {
      error = "the property list is nested too deeply or contains itself";
      return std::nullopt;
    }
    if (auto* string = dynamic_cast<const NSString*>(&object)) return plist::Value(string->utf8());
    if (auto* number = dynamic_cast<const NSNumber*>(&object)) return numberValue(*number);
    if (auto* data = dynamic_cast<const NSData*>(&object)) return plist::Value(data->vector());
    if (auto* date = dynamic_cast<const NSDate*>(&object)) {
      const plist::Date value{date->timeIntervalSinceReferenceDate()};
      if (xml && !plist::canFormatDate(value)) {
        error = "a date that is NaN or outside the years 1 to 9999 cannot be written as XML";
        return std::nullopt;
      }
      return plist::Value(value);
    }
    if (auto* array = dynamic_cast<const NSArray*>(&object)) {
      plist::Array result;
      result.reserve(array->count());
      for (const id& element : array->objects()) {
        auto converted = convert(*element, depth + 1);
        if (!converted) return std::nullopt;
        result.push_back(std::move(*converted));
      }
      return plist::Value(std::move(result));
    }
    if (auto* dictionary = dynamic_cast<const NSDictionary*>(&object)) {
      plist::Dictionary result;
      result.reserve(dictionary->count());
      for (const auto& entry : dictionary->entries()) {
        auto* key = dynamic_cast<const NSString*>(entry.key.get());
        if (!key) {
          error = std::string("a property-list dictionary key must be a string, not ") +
                  class_getName(entry.key->isa());
          return std::nullopt;
        }
        auto converted = convert(*entry.value, depth + 1);
        if (!converted) return std::nullopt;
        result.emplace_back(key->utf8(), std::move(*converted));
      }
      return plist::Value(std::move(result));
    }
    error = std::string("a property list cannot hold an object of class ") +
            class_getName(object.isa());
    return std::nullopt;
  }

  static plist::Value numberValue(const NSNumber& number) {
    switch (number.kind()) {
      case NSNumber::Kind::Boolean:
        return number.boolValue();
      case NSNumber::Kind::Integer:
        return plist::Integer{number.longLongValue(), false};
      case NSNumber::Kind::UnsignedInteger:
        return plist::Integer{int64_t(number.unsignedLongLongValue()), true};
      case NSNumber::Kind::Real:
        break;
    }
    return number.doubleValue();
  }
};

}  // namespace

id NSPropertyListSerialization::propertyListWithData(std::span<const uint8_t> data,
                                                     NSPropertyListReadOptions options,
                                                     NSPropertyListFormat* format,
                                                     std::shared_ptr<NSError>* error) {
  plist::Format read = plist::Format::XML;
  auto result = plist::read(data, &read);
  if (!result) {
    NSErrorSet(error, NSCocoaErrorDomain, NSPropertyListReadCorruptError,
               "The data couldn\u2019t be read because it isn\u2019t in the correct format. (" +
                   result.error + ")");
    return nullptr;
  }
  if (format) {
    *format = read == plist::Format::Binary ? NSPropertyListBinaryFormat_v1_0
                                            : NSPropertyListXMLFormat_v1_0;
  }
  return objectFromValue(*result.value, options);
}

std::shared_ptr<NSData> NSPropertyListSerialization::dataWithPropertyList(
    const id& plist, NSPropertyListFormat format, NSPropertyListWriteOptions,
    std::shared_ptr<NSError>* error) {
  if (format != NSPropertyListXMLFormat_v1_0 && format != NSPropertyListBinaryFormat_v1_0) {
    NSErrorSet(error, NSCocoaErrorDomain, NSPropertyListWriteInvalidError,
               "Property lists are written in XML or binary form only.");
    return nullptr;
  }
  if (!plist) {
    NSErrorSet(error, NSCocoaErrorDomain, NSPropertyListWriteInvalidError,
               "A property list needs a root object.");
    return nullptr;
  }
  Converter converter;
  converter.xml = format == NSPropertyListXMLFormat_v1_0;
  auto value = converter.convert(*plist, 0);
  if (!value) {
    NSErrorSet(error, NSCocoaErrorDomain, NSPropertyListWriteInvalidError, converter.error);
    return nullptr;
  }
  return NSData::dataWithBytes(format == NSPropertyListXMLFormat_v1_0 ? plist::writeXML(*value)
                                                                      : plist::writeBinary(*value));
}

bool NSPropertyListSerialization::propertyList(const id& plist, NSPropertyListFormat format) {
  if (!plist) return false;
  if (format != NSPropertyListXMLFormat_v1_0 && format != NSPropertyListBinaryFormat_v1_0) {
    return false;
  }
  Converter converter;
  converter.xml = format == NSPropertyListXMLFormat_v1_0;
  return converter.convert(*plist, 0).has_value();
}
