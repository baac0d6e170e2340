#pragma once

// ChatDataModel: one line of a fake chat, a text from either side, a call record or a time
// header. Records are archived in the chat file (ChatStore.h) under this class name with the five
// keys below, so the names of the class, its keys and its type strings are a file format.

#include <memory>
#include <string_view>

#include "foundation/NSCoder.h"
#include "foundation/NSString.h"
#include "runtime/NSObject.h"

// The values of `messageType`. A record of any other type is drawn as an ended incoming call.
namespace ChatMessageType {
inline constexpr std::string_view Outgoing = "OUTGOING";
inline constexpr std::string_view Incoming = "INCOMING";
inline constexpr std::string_view OutgoingStartCall = "OUTGOING-START-CALL";
inline constexpr std::string_view OutgoingEndedCall = "OUTGOING-ENDED-CALL";
inline constexpr std::string_view IncomingStartCall = "INCOMING-START-CALL";
inline constexpr std::string_view IncomingEndedCall = "INCOMING-ENDED-CALL";
// Nothing creates one; a chat file may hold it.
inline constexpr std::string_view TimeHeader = "TIME-HEADER";
}  // namespace ChatMessageType

class ChatDataModel : public NSObject, public NSCoding {
  OBJC_CLASS(ChatDataModel, NSObject);

 public:
  // The text of a message, the "HH:mm" of a call record, or a header's text. nil when a file
  // stored none.
  std::shared_ptr<NSString> message;
  // One of ChatMessageType; nil when a file stored none.
  std::shared_ptr<NSString> messageType;
  // An incoming text shows the recipient's avatar beside its bubble (only the newest does).
  bool showAvatar = false;
  // The message carries a like.
  bool showLike = false;
  // A call-start record whose call still rings or runs ("Tap to join").
  bool activeCall = false;

  // ChatDataModel::alloc()->initWithMessage(text, "OUTGOING", NO, NO, NO). A nil message or type
  // goes through the first form: initWithMessage(std::shared_ptr<NSString>(), nullptr, ...).
  std::shared_ptr<ChatDataModel> initWithMessage(std::shared_ptr<NSString> message,
                                                 std::shared_ptr<NSString> type, bool showAvatar,
                                                 bool showLike, bool activeCall);
  std::shared_ptr<ChatDataModel> initWithMessage(std::string_view message, std::string_view type,
                                                 bool showAvatar, bool showLike, bool activeCall);

  // Whether `messageType` is `type`; a record without a type is of none.
  bool isType(std::string_view type) const;

  // A missing string key decodes as nil, a missing boolean as NO. A value of the wrong kind (a
  // number where a string belongs) fails the whole archive, through the coder's error.
  void encodeWithCoder(NSCoder& coder) const override;
  static std::shared_ptr<ChatDataModel> initWithCoder(NSCoder& coder);

  std::string description() const override;
};
