#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "AppleFixtures.h"
#include "ArchiveRecords.h"
#include "TemporaryDeviceRoot.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSArray.h"
#include "foundation/NSCoder.h"
#include "foundation/NSData.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSKeyedArchiver.h"
#include "foundation/NSKeyedUnarchiver.h"
#include "foundation/NSNumber.h"
#include "foundation/NSPropertyListSerialization.h"
#include "foundation/NSString.h"
#include "foundation/NSURL.h"
#include "foundation/PropertyList.h"

namespace {

using testsupport::TestArchivedFoo;
using testsupport::TestChatMessage;

// A record as an older writer stored it, without "activeCall".
class ArchiverTestOldMessage : public NSObject, public NSCoding {
  OBJC_CLASS(ArchiverTestOldMessage, NSObject);

 public:
  void encodeWithCoder(NSCoder& coder) const override {
    coder.encodeObject(NSString::string("Hi"), "message");
    coder.encodeObject(NSString::string("INCOMING-START-CALL"), "messageType");
    coder.encodeBool(true, "showAvatar");
    coder.encodeBool(true, "showLike");
  }
};

}  // namespace

OBJC_CLASS_IMPL(ArchiverTestOldMessage) {}

namespace {

using plist::Array;
using plist::Dictionary;
using plist::Integer;
using plist::UID;
using plist::Value;

const std::string& kFixtures = testsupport::kAppleFixtures;

std::optional<std::vector<uint8_t>> fixture(const std::string& name) {
  std::ifstream file(kFixtures + name, std::ios::binary);
  if (!file) return std::nullopt;
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

#define LOAD_FIXTURE(variable, name) \
  auto variable = fixture(name);     \
  REQUIRE_APPLE_FIXTURES();          \
  ASSERT_TRUE(variable) << name

// Dictionaries with their keys sorted, so values compare whatever order they were written in.
Value sorted(Value value) {
  if (auto* array = value.get<Array>()) {
    for (auto& element : *array) element = sorted(std::move(element));
  } else if (auto* dictionary = value.get<Dictionary>()) {
    for (auto& entry : *dictionary) entry.second = sorted(std::move(entry.second));
    std::sort(dictionary->begin(), dictionary->end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
  }
  return value;
}

Value parsed(const std::shared_ptr<NSData>& data) {
  auto read = plist::read(data->span());
  EXPECT_TRUE(read) << read.error;
  return read ? *read.value : Value();
}

Value classDescriptor(std::vector<std::string> chain) {
  Array classes(chain.begin(), chain.end());
  return Dictionary{{"$classname", chain.front()}, {"$classes", std::move(classes)}};
}

// An archive around hand-made $objects, for the shapes no writer produces.
std::vector<uint8_t> archive(Array objects, Value root = UID{1}) {
  return plist::writeBinary(Dictionary{{"$version", Integer{100000}},
                                       {"$archiver", std::string("NSKeyedArchiver")},
                                       {"$top", Dictionary{{"root", std::move(root)}}},
                                       {"$objects", std::move(objects)}});
}

std::string failure(const std::vector<Class>& classes, std::span<const uint8_t> data) {
  std::shared_ptr<NSError> error;
  id object = NSKeyedUnarchiver::unarchivedObjectOfClasses(classes, data, &error);
  EXPECT_EQ(object, nullptr);
  if (!error) return "(no error)";
  EXPECT_EQ(error->domain(), NSCocoaErrorDomain);
  return error->localizedDescription();
}

std::shared_ptr<NSMutableArray> chat() {
  auto outgoing = NSString::string("OUTGOING");
  return NSMutableArray::arrayWithObjects({
      TestChatMessage::make(NSString::string("Hi"), outgoing, false, false, false),
      TestChatMessage::make(NSString::string("Yo"), outgoing, true, true, false),
  });
}

const std::vector<Class> kChatClasses = {NSMutableArray::classObject(),
                                         TestChatMessage::classObject()};

TEST(KeyedArchiver, RoundTripsCustomRecordsInsideAMutableArray) {
  auto records = chat();
  auto call = TestChatMessage::make(NSString::string("12:30"),
                                    NSString::string("OUTGOING-START-CALL"), true, false, true);
  records->addObject(call);

  std::shared_ptr<NSError> error;
  auto data = NSKeyedArchiver::archivedDataWithRootObject(records, true, &error);
  ASSERT_TRUE(data) << error->description();
  auto decoded = std::dynamic_pointer_cast<NSMutableArray>(
      NSKeyedUnarchiver::unarchivedObjectOfClasses(kChatClasses, data->span(), &error));

  ASSERT_TRUE(decoded) << error->description();
  ASSERT_EQ(decoded->count(), 3u);
  for (NSUInteger i = 0; i < 3; ++i) {
    auto want = std::static_pointer_cast<TestChatMessage>(records->objectAtIndex(i));
    auto got = std::dynamic_pointer_cast<TestChatMessage>(decoded->objectAtIndex(i));
    ASSERT_TRUE(got);
    EXPECT_TRUE(got->message->isEqualToString(*want->message));
    EXPECT_TRUE(got->messageType->isEqualToString(*want->messageType));
    EXPECT_EQ(got->showAvatar, want->showAvatar);
    EXPECT_EQ(got->showLike, want->showLike);
    EXPECT_EQ(got->activeCall, want->activeCall);
  }
  auto first = std::static_pointer_cast<TestChatMessage>(decoded->objectAtIndex(0));
  auto second = std::static_pointer_cast<TestChatMessage>(decoded->objectAtIndex(1));
  EXPECT_EQ(first->messageType, second->messageType) << "one archived string, one object";
}

TEST(KeyedArchiver, LaysOutObjectsInFoundationsOrderWithClassDescriptors) {
  auto records = chat();

  auto data = NSKeyedArchiver::archivedDataWithRootObject(records, true, nullptr);

  ASSERT_TRUE(data);
  Value archive = parsed(data);
  EXPECT_EQ(*archive.find("$archiver"), Value(std::string("NSKeyedArchiver")));
  EXPECT_EQ(*archive.find("$version"), Value(Integer{100000}));
  EXPECT_EQ(*archive.find("$top"), Value(Dictionary{{"root", UID{1}}}));
  auto record = [](uint64_t message, bool flags) {
    return Dictionary{{"message", UID{message}}, {"messageType", UID{4}}, {"showAvatar", flags},
                      {"showLike", flags},       {"activeCall", false},   {"$class", UID{5}}};
  };
  const Array expected = {
      std::string("$null"),
      Dictionary{{"NS.objects", Array{UID{2}, UID{6}}}, {"$class", UID{8}}},
      record(3, false),
      std::string("Hi"),
      std::string("OUTGOING"),
      classDescriptor({"TestChatMessage", "NSObject"}),
      record(7, true),
      std::string("Yo"),
      classDescriptor({"NSMutableArray", "NSArray", "NSObject"}),
  };
  EXPECT_EQ(sorted(*archive.find("$objects")), sorted(expected));
}

TEST(KeyedArchiver, ReproducesFoundationsArchiveOfTheFixturePrimitives) {
  LOAD_FIXTURE(original, "nska-primitives.bin");
  auto unarchiver = NSKeyedUnarchiver::initForReadingFromData(*original, nullptr);
  ASSERT_TRUE(unarchiver);
  unarchiver->setRequiresSecureCoding(false);
  auto archiver = NSKeyedArchiver::initRequiringSecureCoding(true);

  for (int i = 0; i < 12; ++i) archiver->encodeObject(unarchiver->decodeObject());
  auto data = archiver->encodedData();

  // Key order included: the dictionaries are laid out as Foundation's are.
  ASSERT_TRUE(data);
  EXPECT_EQ(parsed(data), *plist::read(*original).value);
}

TEST(KeyedArchiver, ReproducesFoundationsObjectLayoutForTheFixtureArrays) {
  LOAD_FIXTURE(original, "nska-arrays.bin");
  auto unarchiver = NSKeyedUnarchiver::initForReadingFromData(*original, nullptr);
  ASSERT_TRUE(unarchiver);
  unarchiver->setRequiresSecureCoding(false);
  auto archiver = NSKeyedArchiver::initRequiringSecureCoding(true);

  // $2 and $3 are sets, which this platform does not have; the two arrays come first.
  archiver->encodeObject(unarchiver->decodeObject());
  archiver->encodeObject(unarchiver->decodeObject());
  Value ours = parsed(archiver->encodedData());

  const Value foundation = *plist::read(*original).value;
  const Array& expected = *foundation.find("$objects")->get<Array>();
  EXPECT_EQ(*ours.find("$objects"), Value(Array(expected.begin(), expected.begin() + 16)));
  EXPECT_EQ(*ours.find("$top"), Value(Dictionary{{"$1", UID{13}}, {"$0", UID{1}}}));
}

TEST(KeyedArchiver, RoundTripsFoundationValuesInBinaryAndXML) {
  auto mutableText = NSMutableString::string("draft");
  auto mutableBytes = NSMutableData::dataWithBytes("\x01\x02", 2);
  auto nested = NSMutableDictionary::dictionary();
  nested->setObject(NSNumber::numberWithUnsignedLongLong(18446744073709551615ull), "max");
  auto root = NSDictionary::dictionaryWithObjects(
      {NSString::string("Mässig 👍"), NSNumber::numberWithBool(true),
       NSNumber::numberWithLongLong(-80000000000), NSNumber::numberWithDouble(32.5),
       NSData::dataWithBytes("\0gunk", 5), NSDate::dateWithTimeIntervalSinceReferenceDate(120.25),
       NSURL::URLWithString("https://example.com/a?b=c"), mutableText, mutableBytes,
       NSArray::arrayWithObjects({NSString::string("x"), nested})},
      {NSString::string("text"), NSString::string("flag"), NSString::string("big"),
       NSString::string("real"), NSString::string("data"), NSString::string("date"),
       NSString::string("url"), NSString::string("mutableText"), NSString::string("mutableData"),
       NSString::string("list")});
  const std::vector<Class> classes = {NSDictionary::classObject(), NSArray::classObject(),
                                      NSString::classObject(),     NSNumber::classObject(),
                                      NSData::classObject(),       NSDate::classObject(),
                                      NSURL::classObject()};

  for (NSPropertyListFormat format :
       {NSPropertyListBinaryFormat_v1_0, NSPropertyListXMLFormat_v1_0}) {
    auto archiver = NSKeyedArchiver::initRequiringSecureCoding(true);
    archiver->setOutputFormat(format);
    archiver->encodeObject(root, "root");
    auto data = archiver->encodedData();
    ASSERT_TRUE(data);
    std::shared_ptr<NSError> error;
    auto decoded = std::dynamic_pointer_cast<NSDictionary>(
        NSKeyedUnarchiver::unarchivedObjectOfClasses(classes, data->span(), &error));

    ASSERT_TRUE(decoded) << error->description();
    EXPECT_EQ(data->vector()[0], format == NSPropertyListXMLFormat_v1_0 ? '<' : 'b');
    EXPECT_TRUE(decoded->isEqual(root)) << decoded->description();
    EXPECT_TRUE(
        decoded->objectForKey("mutableText")->isMemberOfClass(NSMutableString::classObject()));
    EXPECT_TRUE(
        decoded->objectForKey("mutableData")->isMemberOfClass(NSMutableData::classObject()));
    auto list = std::static_pointer_cast<NSArray>(decoded->objectForKey("list"));
    EXPECT_TRUE(list->objectAtIndex(1)->isMemberOfClass(NSMutableDictionary::classObject()));
  }
}

TEST(KeyedArchiver, EscapesUserKeysThatBeginWithADollarSign) {
  auto archiver = NSKeyedArchiver::initRequiringSecureCoding(true);
  archiver->encodeObject(NSString::string("mine"), "$class");
  archiver->encodeBool(true, "$flag");
  auto data = archiver->encodedData();

  Value top = *parsed(data).find("$top");
  EXPECT_TRUE(top.find("$$class"));
  EXPECT_TRUE(top.find("$$flag"));
  auto unarchiver = NSKeyedUnarchiver::initForReadingFromData(data->span(), nullptr);
  auto text = unarchiver->decodeObjectOfClass<NSString>("$class");
  ASSERT_TRUE(text);
  EXPECT_TRUE(text->isEqualToString("mine"));
  EXPECT_TRUE(unarchiver->decodeBoolForKey("$flag"));
}

TEST(KeyedArchiver, RefusesGraphsItCouldNotReadBack) {
  auto loop = NSMutableArray::array();
  loop->addObject(NSString::string("a"));
  loop->addObject(loop);
  id deep = NSArray::array();
  for (size_t i = 0; i <= NSKeyedArchiveMaxDepth; ++i) deep = NSArray::arrayWithObject(deep);
  struct Case {
    const char* name;
    id root;
    const char* message;
  } cases[] = {
      {"cycle", loop, "contains itself"},
      {"too deep", deep, "nested too deeply"},
      {"not NSCoding", NSError::errorWithDomain("d", 1), "does not adopt NSCoding"},
  };

  for (const Case& c : cases) {
    std::shared_ptr<NSError> error;
    auto data = NSKeyedArchiver::archivedDataWithRootObject(c.root, true, &error);

    EXPECT_FALSE(data) << c.name;
    ASSERT_TRUE(error) << c.name;
    EXPECT_NE(error->localizedDescription().find(c.message), std::string::npos)
        << c.name << ": " << error->localizedDescription();
  }
  loop->removeAllObjects();  // let the array go
}

TEST(KeyedUnarchiver, DecodesTheBpylistFixturesObjects) {
  LOAD_FIXTURE(simple, "bpylist2-simple_archive.plist");
  LOAD_FIXTURE(null, "bpylist2-null_archive.plist");
  LOAD_FIXTURE(empty, "bpylist2-empty_archive.plist");
  auto decode = [](const std::vector<uint8_t>& data) {
    auto unarchiver = NSKeyedUnarchiver::initForReadingFromData(data, nullptr);
    unarchiver->setClass(TestArchivedFoo::classObject(), "crap.Foo");
    auto foo = unarchiver->decodeObjectOfClass<TestArchivedFoo>("root");
    EXPECT_FALSE(unarchiver->error());
    return foo;
  };

  auto simpleFoo = decode(*simple);
  auto nullFoo = decode(*null);
  auto emptyFoo = decode(*empty);

  ASSERT_TRUE(simpleFoo && nullFoo && emptyFoo);
  EXPECT_TRUE(simpleFoo->title->isEqualToString("yo"));
  EXPECT_EQ(simpleFoo->count, 42);
  EXPECT_TRUE(simpleFoo->active);
  EXPECT_TRUE(nullFoo->title->isEqualToString("yo"));
  EXPECT_TRUE(nullFoo->hasEmpty);
  EXPECT_EQ(nullFoo->empty, nullptr);
  EXPECT_EQ(emptyFoo->title, nullptr);
  EXPECT_EQ(emptyFoo->count, 0);
  EXPECT_FALSE(emptyFoo->active || emptyFoo->hasEmpty);
}

// What Foundation archived in nska-primitives and in the first array of nska-arrays.
void expectFixturePrimitives(const std::vector<id>& objects) {
  ASSERT_EQ(objects.size(), 12u);
  auto number = [&](size_t i) { return std::dynamic_pointer_cast<NSNumber>(objects[i]); };
  auto text = [&](size_t i) { return std::dynamic_pointer_cast<NSString>(objects[i]); };
  const struct {
    size_t index;
    NSNumber::Kind kind;
    double value;
  } numbers[] = {{0, NSNumber::Kind::Integer, 1},  {1, NSNumber::Kind::Integer, 1},
                 {2, NSNumber::Kind::Real, 1.0},   {3, NSNumber::Kind::Real, 1.5},
                 {5, NSNumber::Kind::Boolean, 1},  {9, NSNumber::Kind::Boolean, 0},
                 {10, NSNumber::Kind::Boolean, 0}, {11, NSNumber::Kind::Integer, 42}};
  for (const auto& n : numbers) {
    ASSERT_TRUE(number(n.index)) << n.index;
    EXPECT_EQ(number(n.index)->kind(), n.kind) << n.index;
    EXPECT_EQ(number(n.index)->doubleValue(), n.value) << n.index;
  }
  auto data = std::dynamic_pointer_cast<NSData>(objects[4]);
  ASSERT_TRUE(data);
  EXPECT_EQ(std::string(data->bytes(), data->bytes() + data->length()), "asdfasdfadsfadsf");
  for (size_t i : {6, 7, 8}) {
    ASSERT_TRUE(text(i));
    EXPECT_TRUE(text(i)->isEqualToString("Hello, World!"));
  }
  EXPECT_EQ(objects[0], objects[1]) << "one archived object, one decoded object";
  EXPECT_NE(objects[6], objects[7]);
}

TEST(KeyedUnarchiver, DecodesTheFoundationFixturesInBothForms) {
  for (const char* name : {"nska-primitives.bin", "nska-primitives.xml"}) {
    LOAD_FIXTURE(data, name);
    auto unarchiver = NSKeyedUnarchiver::initForReadingFromData(*data, nullptr);
    ASSERT_TRUE(unarchiver) << name;
    unarchiver->setRequiresSecureCoding(false);

    std::vector<id> objects;
    for (int i = 0; i < 12; ++i) objects.push_back(unarchiver->decodeObject());

    EXPECT_FALSE(unarchiver->error()) << name;
    expectFixturePrimitives(objects);
  }
  for (const char* name : {"nska-arrays.bin", "nska-arrays.xml"}) {
    LOAD_FIXTURE(data, name);
    auto unarchiver = NSKeyedUnarchiver::initForReadingFromData(*data, nullptr);
    ASSERT_TRUE(unarchiver) << name;
    unarchiver->setRequiresSecureCoding(false);

    auto array = std::dynamic_pointer_cast<NSArray>(unarchiver->decodeObject());
    auto mutableArray = std::dynamic_pointer_cast<NSMutableArray>(unarchiver->decodeObject());
    id set = unarchiver->decodeObject();

    ASSERT_TRUE(array && mutableArray) << name;
    EXPECT_FALSE(array->isMemberOfClass(NSMutableArray::classObject()));
    expectFixturePrimitives(array->objects());
    ASSERT_EQ(mutableArray->count(), 3u);
    EXPECT_EQ(mutableArray->objectAtIndex(0), array->objectAtIndex(5)) << "the same YES";
    EXPECT_TRUE(mutableArray->objectAtIndex(1)->isEqual(NSString::string("Hello, World!")));
    EXPECT_EQ(mutableArray->objectAtIndex(2), array->objectAtIndex(11));
    EXPECT_EQ(set, nullptr) << "NSSet is not a class here";
    ASSERT_TRUE(unarchiver->error());
    EXPECT_NE(unarchiver->error()->localizedDescription().find("'NSSet'"), std::string::npos);
  }
}

TEST(KeyedUnarchiver, RefusesTheDamagedFixturesWithAnError) {
  const struct {
    const char* name;
    const char* message;
  } cases[] = {
      {"bpylist2-invalid_uid_archive.plist", "reference 10 for key 'root' is out of range"},
      {"bpylist2-missing_uid_archive.plist", "has no $class"},
      {"bpylist2-no_top_archive.plist", "no $top"},
      {"bpylist2-invalid_version_archive.plist", "$version"},
      {"nska-broken_plist.xml", "not a property list"},
  };

  for (const auto& c : cases) {
    LOAD_FIXTURE(data, c.name);
    std::string message = failure({NSObject::classObject()}, *data);

    EXPECT_NE(message.find(c.message), std::string::npos) << c.name << ": " << message;
  }
}

TEST(KeyedUnarchiver, RefusesMalformedArchivesWithAnError) {
  const Value arrayClass = classDescriptor({"NSArray", "NSObject"});
  auto arrayOf = [](Value references) {
    return Dictionary{{"NS.objects", std::move(references)}, {"$class", UID{2}}};
  };
  auto withArchiver = [](std::string name) {
    return plist::writeBinary(Dictionary{{"$version", Integer{100000}},
                                         {"$archiver", std::move(name)},
                                         {"$top", Dictionary{{"root", UID{1}}}},
                                         {"$objects", Array{std::string("$null"), true}}});
  };
  const struct {
    const char* name;
    std::vector<uint8_t> data;
    const char* message;
  } cases[] = {
      {"empty data", {}, "not a property list"},
      {"root not a dictionary", plist::writeBinary(Array{}), "root is not a dictionary"},
      {"another archiver", withArchiver("NSArchiver"), "$archiver"},
      {"no root",
       plist::writeBinary(Dictionary{{"$version", Integer{100000}},
                                     {"$archiver", std::string("NSKeyedArchiver")},
                                     {"$top", Dictionary{}},
                                     {"$objects", Array{std::string("$null")}}}),
       "no root object"},
      {"no $objects",
       plist::writeBinary(Dictionary{{"$version", Integer{100000}},
                                     {"$archiver", std::string("NSKeyedArchiver")},
                                     {"$top", Dictionary{{"root", UID{1}}}}}),
       "no $objects"},
      {"root not a reference", archive({std::string("$null")}, std::string("x")),
       "is a string, not an object reference"},
      {"NS.objects not an array", archive({std::string("$null"), arrayOf(UID{0}), arrayClass}),
       "'NS.objects' is a UID, not an array"},
      {"element not a reference", archive({std::string("$null"), arrayOf(Array{true}), arrayClass}),
       "is a boolean, not an object reference"},
      {"nil element", archive({std::string("$null"), arrayOf(Array{UID{0}}), arrayClass}),
       "holds nil"},
      {"$classes not an array",
       archive({std::string("$null"), arrayOf(Array{}),
                Dictionary{{"$classname", std::string("NSArray")},
                           {"$classes", std::string("NSArray")}}}),
       "is not a class"},
      {"$classes with a number",
       archive(
           {std::string("$null"), arrayOf(Array{}),
            Dictionary{{"$classname", std::string("NSArray")}, {"$classes", Array{Integer{1}}}}}),
       "are not all names"},
      {"class reference out of range", archive({std::string("$null"), arrayOf(Array{})}),
       "class reference 2 is out of range"},
      {"unknown class",
       archive(
           {std::string("$null"), arrayOf(Array{}), classDescriptor({"NoSuchClass", "NSObject"})}),
       "'NoSuchClass': no such class"},
      {"object is an array", archive({std::string("$null"), Array{}}), "is an array"},
      {"keys and objects differ",
       archive({std::string("$null"),
                Dictionary{{"NS.keys", Array{}}, {"NS.objects", Array{UID{3}}}, {"$class", UID{2}}},
                classDescriptor({"NSDictionary", "NSObject"}), std::string("v")}),
       "0 keys and 1 objects"},
      {"cycle", archive({std::string("$null"), arrayOf(Array{UID{1}}), arrayClass}),
       "refers to itself"},
  };

  for (const auto& c : cases) {
    std::string message = failure({NSObject::classObject()}, c.data);

    EXPECT_NE(message.find(c.message), std::string::npos) << c.name << ": " << message;
  }
}

TEST(KeyedUnarchiver, RefusesObjectsNestedDeeperThanTheLimit) {
  auto nested = [](size_t depth) {
    Array objects{std::string("$null")};
    const uint64_t classUID = depth + 2;
    for (uint64_t uid = 1; uid <= depth; ++uid) {
      objects.push_back(Dictionary{{"NS.objects", Array{UID{uid + 1}}}, {"$class", UID{classUID}}});
    }
    objects.push_back(Dictionary{{"NS.objects", Array{}}, {"$class", UID{classUID}}});
    objects.push_back(classDescriptor({"NSArray", "NSObject"}));
    return archive(std::move(objects));
  };

  auto deepest = nested(NSKeyedArchiveMaxDepth - 1);
  id accepted =
      NSKeyedUnarchiver::unarchivedObjectOfClass(NSArray::classObject(), deepest, nullptr);
  std::string message = failure({NSArray::classObject()}, nested(NSKeyedArchiveMaxDepth));

  EXPECT_TRUE(accepted);
  EXPECT_NE(message.find("nested more than"), std::string::npos) << message;
}

TEST(KeyedUnarchiver, RefusesClassesThatAreNotAllowed) {
  auto data = NSKeyedArchiver::archivedDataWithRootObject(chat(), true, nullptr);
  auto text = NSKeyedArchiver::archivedDataWithRootObject(NSString::string("x"), true, nullptr);

  std::string noRecords =
      failure({NSMutableArray::classObject(), NSString::classObject()}, data->span());
  std::string noArray = failure({TestChatMessage::classObject()}, data->span());
  std::string notANumber = failure({NSNumber::classObject()}, text->span());
  id bySuperclass = NSKeyedUnarchiver::unarchivedObjectOfClasses(
      {NSArray::classObject(), TestChatMessage::classObject()}, data->span(), nullptr);

  EXPECT_NE(noRecords.find("unexpected class 'TestChatMessage'"), std::string::npos) << noRecords;
  EXPECT_NE(noArray.find("unexpected class 'NSMutableArray'"), std::string::npos) << noArray;
  EXPECT_NE(notANumber.find("unexpected class 'NSString'"), std::string::npos) << notANumber;
  EXPECT_TRUE(bySuperclass) << "a subclass of an allowed class is allowed";
}

TEST(KeyedUnarchiver, ReadsMissingKeysAsNoZeroAndNil) {
  auto data = NSKeyedArchiver::archivedDataWithRootObject(
      NSMutableArray::arrayWithObjects({std::make_shared<ArchiverTestOldMessage>()}), true,
      nullptr);
  auto unarchiver = NSKeyedUnarchiver::initForReadingFromData(data->span(), nullptr);
  unarchiver->setClass(TestChatMessage::classObject(), "ArchiverTestOldMessage");

  auto records =
      std::dynamic_pointer_cast<NSArray>(unarchiver->decodeObjectOfClasses(kChatClasses, "root"));

  ASSERT_TRUE(records) << unarchiver->error()->description();
  auto record = std::dynamic_pointer_cast<TestChatMessage>(records->firstObject());
  ASSERT_TRUE(record);
  EXPECT_TRUE(record->showAvatar && record->showLike);
  EXPECT_FALSE(record->activeCall);
  EXPECT_FALSE(unarchiver->containsValueForKey("nothing"));
  EXPECT_EQ(unarchiver->decodeIntForKey("nothing"), 0);
  EXPECT_EQ(unarchiver->decodeDoubleForKey("nothing"), 0);
  EXPECT_EQ(unarchiver->decodeObjectForKey("nothing"), nullptr);
  EXPECT_FALSE(unarchiver->error());
}

TEST(KeyedUnarchiver, RefusesNumbersThatDoNotFitTheirReader) {
  auto archiver = NSKeyedArchiver::initRequiringSecureCoding(true);
  archiver->encodeInt64(int64_t(1) << 40, "wide");
  archiver->encodeDouble(1e300, "huge");
  archiver->encodeObject(NSString::string("x"), "text");
  auto data = archiver->encodedData();
  const struct {
    const char* name;
    std::function<void(NSKeyedUnarchiver&)> read;
    const char* message;
  } cases[] = {
      {"int from 2^40", [](NSKeyedUnarchiver& u) { u.decodeIntForKey("wide"); }, "32 bits"},
      {"int64 from 1e300", [](NSKeyedUnarchiver& u) { u.decodeInt64ForKey("huge"); }, "64 bits"},
      {"bool from an object", [](NSKeyedUnarchiver& u) { u.decodeBoolForKey("text"); },
       "not a boolean"},
  };

  for (const auto& c : cases) {
    auto unarchiver = NSKeyedUnarchiver::initForReadingFromData(data->span(), nullptr);
    c.read(*unarchiver);

    ASSERT_TRUE(unarchiver->error()) << c.name;
    EXPECT_NE(unarchiver->error()->localizedDescription().find(c.message), std::string::npos)
        << c.name;
    EXPECT_EQ(unarchiver->decodeInt64ForKey("wide"), 0) << "reads stop after a failure";
  }
}

TEST(PropertyListSerialization, ReadsTheCocoaFixtureInBothForms) {
  for (const char* name : {"cocoa-testdata.xml.plist", "cocoa-testdata.bin.plist"}) {
    LOAD_FIXTURE(data, name);
    NSPropertyListFormat format{};
    std::shared_ptr<NSError> error;

    auto root =
        std::dynamic_pointer_cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(
            *data, NSPropertyListImmutable, &format, &error));

    ASSERT_TRUE(root) << name;
    EXPECT_EQ(format, std::string(name).find(".xml") != std::string::npos
                          ? NSPropertyListXMLFormat_v1_0
                          : NSPropertyListBinaryFormat_v1_0);
    EXPECT_TRUE(root->objectForKey("aString")->isEqual(NSString::string("Doodah")));
    EXPECT_EQ(
        std::static_pointer_cast<NSNumber>(root->objectForKey("aNegativeBigInt"))->longLongValue(),
        -80000000000);
    auto big = std::static_pointer_cast<NSNumber>(root->objectForKey("aBigInt2"));
    EXPECT_EQ(big->kind(), NSNumber::Kind::UnsignedInteger);
    EXPECT_EQ(big->unsignedLongLongValue(), 9223372036854775852ull);
    auto date = std::static_pointer_cast<NSDate>(root->objectForKey("aDate"));
    EXPECT_EQ(date->timeIntervalSince1970(), 1098786813);  // 2004-10-26 10:33:33 UTC
    EXPECT_TRUE(
        root->objectForKey("Åbenraa")->isEqual(NSString::string("That was a unicode key.")));
    auto list = std::static_pointer_cast<NSArray>(root->objectForKey("aList"));
    EXPECT_EQ(list->count(), 5u);
    EXPECT_FALSE(list->isMemberOfClass(NSMutableArray::classObject()));
  }
}

TEST(PropertyListSerialization, MakesContainersAndLeavesMutableOnlyWhenAsked) {
  auto data = NSPropertyListSerialization::dataWithPropertyList(
      NSArray::arrayWithObjects(
          {NSString::string("s"), NSData::data(), NSDictionary::dictionary()}),
      NSPropertyListBinaryFormat_v1_0, 0, nullptr);
  const struct {
    NSPropertyListReadOptions options;
    bool containers, leaves;
  } cases[] = {{NSPropertyListImmutable, false, false},
               {NSPropertyListMutableContainers, true, false},
               {NSPropertyListMutableContainersAndLeaves, true, true}};

  for (const auto& c : cases) {
    auto root =
        std::dynamic_pointer_cast<NSArray>(NSPropertyListSerialization::propertyListWithData(
            data->span(), c.options, nullptr, nullptr));

    ASSERT_TRUE(root);
    EXPECT_EQ(root->isKindOfClass(NSMutableArray::classObject()), c.containers);
    EXPECT_EQ(root->objectAtIndex(0)->isKindOfClass(NSMutableString::classObject()), c.leaves);
    EXPECT_EQ(root->objectAtIndex(1)->isKindOfClass(NSMutableData::classObject()), c.leaves);
    EXPECT_EQ(root->objectAtIndex(2)->isKindOfClass(NSMutableDictionary::classObject()),
              c.containers);
  }
}

TEST(PropertyListSerialization, RefusesWhatAPropertyListCannotHold) {
  auto loop = NSMutableArray::array();
  loop->addObject(loop);
  const id nanDate =
      NSArray::arrayWithObject(NSDate::dateWithTimeIntervalSinceReferenceDate(std::nan("")));
  const struct {
    const char* name;
    id plist;
    NSPropertyListFormat format;
    const char* message;
  } cases[] = {
      {"nil", nullptr, NSPropertyListXMLFormat_v1_0, "root"},
      {"custom class", NSArray::arrayWithObject(std::make_shared<TestChatMessage>()),
       NSPropertyListXMLFormat_v1_0, "class TestChatMessage"},
      {"number key",
       NSDictionary::dictionaryWithObject(NSString::string("v"), NSNumber::numberWithInt(1)),
       NSPropertyListBinaryFormat_v1_0, "key must be a string"},
      {"contains itself", loop, NSPropertyListBinaryFormat_v1_0, "contains itself"},
      {"OpenStep", NSDictionary::dictionary(), NSPropertyListOpenStepFormat, "XML or binary"},
      // XML would write these as 2001-01-01 and 9999-12-31; binary keeps them (below).
      {"NaN date", nanDate, NSPropertyListXMLFormat_v1_0, "cannot be written as XML"},
      {"year 10000",
       NSArray::arrayWithObject(NSDate::dateWithTimeIntervalSinceReferenceDate(2.6e11)),
       NSPropertyListXMLFormat_v1_0, "outside the years 1 to 9999"},
  };

  for (const auto& c : cases) {
    std::shared_ptr<NSError> error;
    auto data = NSPropertyListSerialization::dataWithPropertyList(c.plist, c.format, 0, &error);

    EXPECT_FALSE(data) << c.name;
    ASSERT_TRUE(error) << c.name;
    EXPECT_EQ(error->code(), NSPropertyListWriteInvalidError);
    EXPECT_NE(error->localizedDescription().find(c.message), std::string::npos) << c.name;
    EXPECT_EQ(NSPropertyListSerialization::propertyList(c.plist, c.format), false) << c.name;
  }
  loop->removeAllObjects();

  auto binary = NSPropertyListSerialization::dataWithPropertyList(
      nanDate, NSPropertyListBinaryFormat_v1_0, 0, nullptr);
  ASSERT_TRUE(binary);
  auto back = plist::read(binary->vector());
  ASSERT_TRUE(back);
  EXPECT_TRUE(std::isnan(
      back.value->get<plist::Array>()->front().get<plist::Date>()->secondsSinceReferenceDate));
}

class DictionaryFiles : public ::testing::Test {
 protected:
  testsupport::TemporaryDeviceRoot device_{"parlo-plist"};
};

TEST_F(DictionaryFiles, WritesFoundationsXMLAndReadsItBack) {
  auto settings = NSMutableDictionary::dictionary();
  settings->setObject(NSNumber::numberWithBool(false), "followEachOther");
  settings->setObject(NSNumber::numberWithLongLong(5), "joinCallDelay");
  settings->setObject(NSString::string("Your Username"), "profileUsername");
  const std::string path = "/var/mobile/Documents/FakeCallSettings.plist";
  std::filesystem::create_directories(device_.path() / "var/mobile/Documents");

  bool written = settings->writeToFile(path, true);
  auto read = NSDictionary::dictionaryWithContentsOfFile(path);

  ASSERT_TRUE(written);
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->isEqual(settings));
  EXPECT_FALSE(read->isKindOfClass(NSMutableDictionary::classObject()));
  auto bytes = DeviceRoot::readFile(path);
  const std::string text(bytes->begin(), bytes->end());
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u);
  EXPECT_NE(text.find("\t<key>followEachOther</key>\n\t<false/>\n"), std::string::npos) << text;
}

TEST_F(DictionaryFiles, ReadsNilForMissingDamagedOrNonDictionaryFiles) {
  std::filesystem::create_directories(device_.path() / "d");
  auto array = NSPropertyListSerialization::dataWithPropertyList(
      NSArray::arrayWithObject(NSString::string("x")), NSPropertyListXMLFormat_v1_0, 0, nullptr);
  ASSERT_TRUE(DeviceRoot::writeFile("/d/array.plist", array->span(), false));
  const std::string garbage = "<?xml version=\"1.0\"?><plist><dict><key>a</key>";
  ASSERT_TRUE(DeviceRoot::writeFile(
      "/d/garbage.plist", {reinterpret_cast<const uint8_t*>(garbage.data()), garbage.size()},
      false));

  for (const char* path : {"/d/missing.plist", "/d/array.plist", "/d/garbage.plist", "/d"}) {
    EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(path), nullptr) << path;
  }
}

}  // namespace
