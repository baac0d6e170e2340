#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "chat/ChatDataModel.h"
#include "chat/ChatFile.h"
#include "foundation/NSArray.h"
#include "foundation/NSKeyedArchiver.h"
#include "foundation/PropertyList.h"

namespace {

using plist::Array;
using plist::Dictionary;
using plist::UID;
using plist::Value;

// A chat archive around hand-made records, as another writer could have left them: $objects is
// "$null", the root array, the records' strings and records, then the two class descriptors.
std::vector<uint8_t> archiveOfRecords(const std::vector<Dictionary>& records,
                                      const Array& strings) {
  const size_t firstRecord = 1 + strings.size();
  const size_t root = firstRecord + records.size();
  Array objects(root + 3);
  objects[0] = std::string("$null");
  std::copy(strings.begin(), strings.end(), objects.begin() + 1);
  Array references(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    Dictionary record = records[i];
    record.emplace_back("$class", UID{root + 1});
    objects[firstRecord + i] = std::move(record);
    references[i] = UID{firstRecord + i};
  }
  objects[root] = Dictionary{{"NS.objects", std::move(references)}, {"$class", UID{root + 2}}};
  objects[root + 1] =
      Dictionary{{"$classname", std::string("ChatDataModel")},
                 {"$classes", Array{std::string("ChatDataModel"), std::string("NSObject")}}};
  objects[root + 2] = Dictionary{
      {"$classname", std::string("NSMutableArray")},
      {"$classes",
       Array{std::string("NSMutableArray"), std::string("NSArray"), std::string("NSObject")}}};
  return plist::writeBinary(Dictionary{{"$version", plist::Integer{100000}},
                                       {"$archiver", std::string("NSKeyedArchiver")},
                                       {"$top", Dictionary{{"root", UID{root}}}},
                                       {"$objects", std::move(objects)}});
}

std::shared_ptr<ChatDataModel> recordAt(const std::shared_ptr<NSMutableArray>& records, size_t i) {
  return std::dynamic_pointer_cast<ChatDataModel>(records->objectAtIndex(i));
}

std::string text(const std::shared_ptr<NSString>& string) {
  return string ? string->utf8() : "(nil)";
}

}  // namespace

TEST(ChatDataModel, RoundTripsEveryFieldThroughTheChatArchive) {
  auto records = NSMutableArray::array();
  records->addObject(ChatDataModel::alloc()->initWithMessage("Hi 👋🏽 \"there\"\n", "OUTGOING",
                                                             false, true, false));
  records->addObject(
      ChatDataModel::alloc()->initWithMessage("12:30", "INCOMING-START-CALL", true, false, true));
  records->addObject(ChatDataModel::alloc()->initWithMessage(std::shared_ptr<NSString>(), nullptr,
                                                             true, true, true));
  records->addObject(
      ChatDataModel::alloc()->initWithMessage("", "SOMETHING-NEW", false, false, false));

  std::string error;
  auto bytes = ChatFile::encode(*records, &error);
  ASSERT_TRUE(bytes) << error;
  auto decoded = ChatFile::decode(*bytes, &error);

  ASSERT_TRUE(decoded) << error;
  ASSERT_EQ(decoded->count(), records->count());
  for (size_t i = 0; i < records->count(); ++i) {
    SCOPED_TRACE(i);
    auto want = recordAt(records, i);
    auto got = recordAt(decoded, i);
    ASSERT_TRUE(got);
    EXPECT_EQ(text(got->message), text(want->message));
    EXPECT_EQ(text(got->messageType), text(want->messageType));
    EXPECT_EQ(got->showAvatar, want->showAvatar);
    EXPECT_EQ(got->showLike, want->showLike);
    EXPECT_EQ(got->activeCall, want->activeCall);
  }
  EXPECT_TRUE(recordAt(decoded, 1)->isType(ChatMessageType::IncomingStartCall));
  EXPECT_FALSE(recordAt(decoded, 2)->isType(ChatMessageType::Outgoing));
}

TEST(ChatDataModel, MissingKeysDecodeAsNilAndNo) {
  // An older writer without "activeCall", one record with only flags, one with nothing at all.
  const Array strings{std::string("Hey"), std::string("INCOMING-START-CALL")};
  const std::vector<Dictionary> records{
      {{"message", UID{1}}, {"messageType", UID{2}}, {"showAvatar", true}, {"showLike", true}},
      {{"activeCall", true}},
      {},
  };

  std::string error;
  auto decoded = ChatFile::decode(archiveOfRecords(records, strings), &error);

  ASSERT_TRUE(decoded) << error;
  ASSERT_EQ(decoded->count(), 3u);
  auto old = recordAt(decoded, 0);
  EXPECT_EQ(text(old->message), "Hey");
  EXPECT_TRUE(old->isType("INCOMING-START-CALL"));
  EXPECT_TRUE(old->showAvatar);
  EXPECT_TRUE(old->showLike);
  EXPECT_FALSE(old->activeCall);
  auto flagsOnly = recordAt(decoded, 1);
  EXPECT_EQ(flagsOnly->message, nullptr);
  EXPECT_EQ(flagsOnly->messageType, nullptr);
  EXPECT_TRUE(flagsOnly->activeCall);
  auto empty = recordAt(decoded, 2);
  EXPECT_EQ(empty->message, nullptr);
  EXPECT_FALSE(empty->showAvatar || empty->showLike || empty->activeCall);
}

TEST(ChatDataModel, ValuesOfTheWrongKindFailTheWholeChat) {
  // A number where the text belongs would reach a label as something that is not a string.
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases{
      {"number as message", archiveOfRecords({{{"message", UID{1}}}}, {plist::Integer{7}})},
      {"reference out of range", archiveOfRecords({{{"messageType", UID{40}}}}, {})},
  };

  for (const auto& [name, bytes] : cases) {
    std::string error;
    EXPECT_EQ(ChatFile::decode(bytes, &error), nullptr) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
}

TEST(ChatDataModel, IsArchivedUnderItsClassNameWithTheFiveKeysOnly) {
  auto records = NSMutableArray::arrayWithObjects(
      {ChatDataModel::alloc()->initWithMessage("Yo", "OUTGOING", false, true, false)});

  auto bytes = ChatFile::encode(*records);
  ASSERT_TRUE(bytes);
  auto archive = plist::read(*bytes);

  ASSERT_TRUE(archive) << archive.error;
  const Array& objects = *archive.value->find("$objects")->get<Array>();
  std::set<std::string> recordKeys;
  std::set<std::string> classNames;
  for (const Value& object : objects) {
    if (const Value* name = object.find("$classname")) classNames.insert(*name->get<std::string>());
    if (object.find("showLike")) {
      for (const auto& [key, value] : *object.get<Dictionary>()) recordKeys.insert(key);
      EXPECT_EQ(*object.find("showLike"), Value(true));
      EXPECT_EQ(*object.find("activeCall"), Value(false));
    }
  }
  EXPECT_EQ(recordKeys, (std::set<std::string>{"$class", "message", "messageType", "showAvatar",
                                               "showLike", "activeCall"}));
  EXPECT_EQ(classNames, (std::set<std::string>{"ChatDataModel", "NSMutableArray"}));
}
