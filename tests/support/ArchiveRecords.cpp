#include "ArchiveRecords.h"

#include <utility>

namespace testsupport {

std::shared_ptr<TestChatMessage> TestChatMessage::make(std::shared_ptr<NSString> message,
                                                       std::shared_ptr<NSString> type, bool avatar,
                                                       bool like, bool call) {
  auto record = std::make_shared<TestChatMessage>();
  record->message = std::move(message);
  record->messageType = std::move(type);
  record->showAvatar = avatar;
  record->showLike = like;
  record->activeCall = call;
  return record;
}

void TestChatMessage::encodeWithCoder(NSCoder& coder) const {
  coder.encodeObject(message, "message");
  coder.encodeObject(messageType, "messageType");
  coder.encodeBool(showAvatar, "showAvatar");
  coder.encodeBool(showLike, "showLike");
  coder.encodeBool(activeCall, "activeCall");
}

std::shared_ptr<TestChatMessage> TestChatMessage::initWithCoder(NSCoder& coder) {
  auto record = std::make_shared<TestChatMessage>();
  record->message = coder.decodeObjectOfClass<NSString>("message");
  record->messageType = coder.decodeObjectOfClass<NSString>("messageType");
  record->showAvatar = coder.decodeBoolForKey("showAvatar");
  record->showLike = coder.decodeBoolForKey("showLike");
  record->activeCall = coder.decodeBoolForKey("activeCall");
  return record;
}

void TestArchivedFoo::encodeWithCoder(NSCoder& coder) const {
  coder.encodeObject(title, "title");
  coder.encodeObject(child, "child");
  if (hasEmpty) coder.encodeObject(empty, "empty");
  coder.encodeInt(count, "count");
  coder.encodeInt64(big, "big");
  coder.encodeBool(active, "active");
  coder.encodeDouble(ratio, "ratio");
  coder.encodeObject(first);
}

std::shared_ptr<TestArchivedFoo> TestArchivedFoo::initWithCoder(NSCoder& coder) {
  auto foo = std::make_shared<TestArchivedFoo>();
  foo->title = coder.decodeObjectOfClass<NSString>("title");
  foo->child = coder.decodeObjectForKey("child");
  foo->hasEmpty = coder.containsValueForKey("empty");
  foo->empty = coder.decodeObjectForKey("empty");
  foo->count = coder.decodeIntForKey("count");
  foo->big = coder.decodeInt64ForKey("big");
  foo->active = coder.decodeBoolForKey("active");
  foo->ratio = coder.decodeDoubleForKey("ratio");
  foo->first = coder.decodeObject();
  return foo;
}

OBJC_CLASS_IMPL(TestChatMessage) {}
NSCODING_IMPL(TestChatMessage);
OBJC_CLASS_IMPL(TestArchivedFoo) {}
NSCODING_IMPL(TestArchivedFoo);

}  // namespace testsupport
