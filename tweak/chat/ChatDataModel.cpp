#include "chat/ChatDataModel.h"

#include <array>

namespace {

// One string per known type, shared by every record of that type: a chat of thousands of
// messages would otherwise hold as many copies of "OUTGOING" and "INCOMING", and write as many
// to its file. A mutable string stays the caller's.
std::shared_ptr<NSString> sharedType(std::shared_ptr<NSString> type) {
  static const auto shared = [] {
    std::array<std::shared_ptr<NSString>, 7> made;
    const std::string_view names[] = {
        ChatMessageType::Outgoing,          ChatMessageType::Incoming,
        ChatMessageType::OutgoingStartCall, ChatMessageType::OutgoingEndedCall,
        ChatMessageType::IncomingStartCall, ChatMessageType::IncomingEndedCall,
        ChatMessageType::TimeHeader};
    for (size_t i = 0; i < made.size(); ++i) made[i] = NSString::string(names[i]);
    return made;
  }();
  if (!type || std::dynamic_pointer_cast<NSMutableString>(type)) return type;
  for (const auto& known : shared) {
    if (type == known) return type;
    if (type->isEqualToString(*known)) return known;
  }
  return type;
}

}  // namespace

std::shared_ptr<ChatDataModel> ChatDataModel::initWithMessage(std::shared_ptr<NSString> message,
                                                              std::shared_ptr<NSString> type,
                                                              bool showAvatar, bool showLike,
                                                              bool activeCall) {
  this->message = std::move(message);
  messageType = sharedType(std::move(type));
  this->showAvatar = showAvatar;
  this->showLike = showLike;
  this->activeCall = activeCall;
  return selfAs<ChatDataModel>();
}

std::shared_ptr<ChatDataModel> ChatDataModel::initWithMessage(std::string_view message,
                                                              std::string_view type,
                                                              bool showAvatar, bool showLike,
                                                              bool activeCall) {
  return initWithMessage(NSString::string(message), NSString::string(type), showAvatar, showLike,
                         activeCall);
}

bool ChatDataModel::isType(std::string_view type) const {
  return messageType && messageType->isEqualToString(type);
}

void ChatDataModel::encodeWithCoder(NSCoder& coder) const {
  coder.encodeObject(message, "message");
  coder.encodeObject(messageType, "messageType");
  coder.encodeBool(showAvatar, "showAvatar");
  coder.encodeBool(showLike, "showLike");
  coder.encodeBool(activeCall, "activeCall");
}

std::shared_ptr<ChatDataModel> ChatDataModel::initWithCoder(NSCoder& coder) {
  auto record = ChatDataModel::alloc();
  record->message = coder.decodeObjectOfClass<NSString>("message");
  record->messageType = sharedType(coder.decodeObjectOfClass<NSString>("messageType"));
  record->showAvatar = coder.decodeBoolForKey("showAvatar");
  record->showLike = coder.decodeBoolForKey("showLike");
  record->activeCall = coder.decodeBoolForKey("activeCall");
  return record;
}

std::string ChatDataModel::description() const {
  return NSString::formatUTF8("<ChatDataModel: %@ \"%@\" avatar=%d like=%d call=%d>", messageType,
                              message, int(showAvatar), int(showLike), int(activeCall));
}

OBJC_CLASS_IMPL(ChatDataModel) {}
NSCODING_IMPL(ChatDataModel);
