#pragma once

// Objects that tests, benchmarks and fuzzers archive and unarchive with the keyed coders. Each
// program compiles ArchiveRecords.cpp once, which registers both classes by name.

#include <cstdint>
#include <memory>

#include "foundation/NSCoder.h"
#include "foundation/NSString.h"

namespace testsupport {

// A chat record as chat files hold it: two strings and three flags.
class TestChatMessage : public NSObject, public NSCoding {
  OBJC_CLASS(TestChatMessage, NSObject);

 public:
  static std::shared_ptr<TestChatMessage> make(std::shared_ptr<NSString> message,
                                               std::shared_ptr<NSString> type, bool avatar,
                                               bool like, bool call);
  void encodeWithCoder(NSCoder& coder) const override;
  static std::shared_ptr<TestChatMessage> initWithCoder(NSCoder& coder);

  std::shared_ptr<NSString> message, messageType;
  bool showAvatar = false, showLike = false, activeCall = false;
};

// The object of the bpylist2 fixtures, archived there as "crap.Foo" (map that name to this
// class), with one value of every kind a coder reads: keyed objects, numbers and flags, a key
// that may hold nil, and one unkeyed object.
class TestArchivedFoo : public NSObject, public NSCoding {
  OBJC_CLASS(TestArchivedFoo, NSObject);

 public:
  void encodeWithCoder(NSCoder& coder) const override;
  static std::shared_ptr<TestArchivedFoo> initWithCoder(NSCoder& coder);

  std::shared_ptr<NSString> title;
  id child, empty, first;
  int count = 0;
  int64_t big = 0;
  bool active = false;
  // Whether "empty" was there at all, nil or not.
  bool hasEmpty = false;
  double ratio = 0;
};

}  // namespace testsupport
