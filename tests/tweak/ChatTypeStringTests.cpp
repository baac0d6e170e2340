#include <gtest/gtest.h>

#include <string>

#include "chat/ChatDataModel.h"
#include "chat/ChatFile.h"
#include "foundation/NSArray.h"
#include "foundation/PropertyList.h"

namespace {

std::shared_ptr<ChatDataModel> record(std::shared_ptr<NSString> type) {
  return ChatDataModel::alloc()->initWithMessage(NSString::string("hi"), std::move(type), false,
                                                 false, false);
}

std::shared_ptr<ChatDataModel> recordAt(const NSArray& records, size_t i) {
  return std::dynamic_pointer_cast<ChatDataModel>(records.objectAtIndex(i));
}

}  // namespace

TEST(ChatTypeString, RecordsOfOneKnownTypeShareOneString) {
  auto a = ChatDataModel::alloc()->initWithMessage("a", "OUTGOING", false, false, false);
  auto b = record(NSString::string("OUTGOING"));
  auto call = record(NSString::string("INCOMING-ENDED-CALL"));
  auto otherCall = record(NSString::string("INCOMING-ENDED-CALL"));
  auto unknown = record(NSString::string("SOMETHING-NEW"));
  auto otherUnknown = record(NSString::string("SOMETHING-NEW"));
  auto typed = NSMutableString::string("OUTGOING");
  auto mutableType = record(typed);

  EXPECT_EQ(a->messageType, b->messageType);
  EXPECT_EQ(call->messageType, otherCall->messageType);
  EXPECT_NE(a->messageType, call->messageType);
  // Only the types the chat knows are shared; others and mutable strings stay as given.
  EXPECT_NE(unknown->messageType, otherUnknown->messageType);
  EXPECT_EQ(mutableType->messageType, typed);
  EXPECT_TRUE(b->isType(ChatMessageType::Outgoing));
  EXPECT_TRUE(unknown->isType("SOMETHING-NEW"));
  EXPECT_EQ(record(nullptr)->messageType, nullptr);
}

TEST(ChatTypeString, AChatFileStoresEachTypeOnceAndLoadsItShared) {
  auto records = NSMutableArray::array();
  for (int i = 0; i < 50; ++i) {
    records->addObject(record(NSString::string(i % 2 ? "INCOMING" : "OUTGOING")));
  }

  std::string error;
  auto bytes = ChatFile::encode(*records, &error);
  ASSERT_TRUE(bytes) << error;
  auto archive = plist::read(*bytes);
  auto decoded = ChatFile::decode(*bytes, &error);

  ASSERT_TRUE(archive) << archive.error;
  const auto* objects = archive.value->find("$objects");
  ASSERT_TRUE(objects && objects->get<plist::Array>());
  int outgoing = 0, incoming = 0;
  for (const auto& object : *objects->get<plist::Array>()) {
    if (const auto* text = object.get<std::string>()) {
      outgoing += *text == "OUTGOING";
      incoming += *text == "INCOMING";
    }
  }
  EXPECT_EQ(outgoing, 1);
  EXPECT_EQ(incoming, 1);
  ASSERT_TRUE(decoded) << error;
  ASSERT_EQ(decoded->count(), 50u);
  EXPECT_EQ(recordAt(*decoded, 0)->messageType, recordAt(*decoded, 48)->messageType);
  EXPECT_EQ(recordAt(*decoded, 1)->messageType, recordAt(*decoded, 49)->messageType);
  EXPECT_TRUE(recordAt(*decoded, 1)->isType(ChatMessageType::Incoming));
}

// As an archiver that keeps equal strings apart writes them: a type string per record.
TEST(ChatTypeString, AFileWithATypeStringPerRecordLoadsThemShared) {
  using plist::Array;
  using plist::Dictionary;
  using plist::UID;
  auto archived = [](uint64_t type) {
    return Dictionary{{"message", UID{1}}, {"messageType", UID{type}}, {"$class", UID{6}}};
  };
  Array objects{
      std::string("$null"),
      std::string("hi"),
      std::string("OUTGOING"),
      std::string("OUTGOING"),
      archived(2),
      archived(3),
      Dictionary{{"$classname", std::string("ChatDataModel")},
                 {"$classes", Array{std::string("ChatDataModel"), std::string("NSObject")}}},
      Dictionary{{"NS.objects", Array{UID{4}, UID{5}}}, {"$class", UID{8}}},
      Dictionary{{"$classname", std::string("NSMutableArray")},
                 {"$classes", Array{std::string("NSMutableArray"), std::string("NSArray"),
                                    std::string("NSObject")}}}};
  auto bytes = plist::writeBinary(Dictionary{{"$version", plist::Integer{100000}},
                                             {"$archiver", std::string("NSKeyedArchiver")},
                                             {"$top", Dictionary{{"root", UID{7}}}},
                                             {"$objects", std::move(objects)}});

  std::string error;
  auto decoded = ChatFile::decode(bytes, &error);

  ASSERT_TRUE(decoded) << error;
  ASSERT_EQ(decoded->count(), 2u);
  EXPECT_EQ(recordAt(*decoded, 0)->messageType, recordAt(*decoded, 1)->messageType);
  EXPECT_EQ(recordAt(*decoded, 0)->messageType, record(NSString::string("OUTGOING"))->messageType);
}
