#pragma once

// NSPropertyListSerialization: property-list bytes (XML or binary) to objects and back. The
// objects are NSDictionary, NSArray, NSString, NSNumber, NSData and NSDate.

#include <cstdint>
#include <memory>
#include <span>

#include "foundation/NSError.h"
#include "foundation/NSObjCRuntime.h"
#include "runtime/NSObject.h"

class NSData;

enum NSPropertyListFormat : NSUInteger {
  NSPropertyListOpenStepFormat = 1,
  NSPropertyListXMLFormat_v1_0 = 100,
  NSPropertyListBinaryFormat_v1_0 = 200,
};

enum NSPropertyListMutabilityOptions : NSUInteger {
  NSPropertyListImmutable = 0,
  NSPropertyListMutableContainers = 1,
  NSPropertyListMutableContainersAndLeaves = 2,
};
using NSPropertyListReadOptions = NSPropertyListMutabilityOptions;
using NSPropertyListWriteOptions = NSUInteger;

// The Cocoa domain's codes for property lists.
enum : NSInteger {
  NSPropertyListReadCorruptError = 3840,
  NSPropertyListWriteInvalidError = 3852,
};

class NSPropertyListSerialization : public NSObject {
  OBJC_CLASS(NSPropertyListSerialization, NSObject);

 public:
  // The root object of an XML or binary property list, with its containers mutable when asked
  // (and its strings and data too with NSPropertyListMutableContainersAndLeaves); `format` learns
  // which form the bytes were in. nil with an error for anything that is not a property list.
  // A keyed archive's object references read as {"CF$UID": number} dictionaries, their XML form.
  static id propertyListWithData(std::span<const uint8_t> data, NSPropertyListReadOptions options,
                                 NSPropertyListFormat* format, std::shared_ptr<NSError>* error);

  // The bytes of `plist` in XML or binary form. nil with an error when the graph holds something
  // a property list cannot (another class, a dictionary key that is not a string, a container
  // that contains itself) or when the format is OpenStep, which is only ever read.
  static std::shared_ptr<NSData> dataWithPropertyList(const id& plist, NSPropertyListFormat format,
                                                      NSPropertyListWriteOptions options,
                                                      std::shared_ptr<NSError>* error);

  // Whether dataWithPropertyList would succeed.
  static bool propertyList(const id& plist, NSPropertyListFormat format);
};
