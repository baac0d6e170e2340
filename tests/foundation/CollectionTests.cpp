#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/NSArray.h"
#include "foundation/NSData.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "runtime/RuntimeError.h"

namespace {

std::shared_ptr<NSString> S(std::string_view text) { return NSString::string(text); }

std::vector<std::string> texts(const NSArray& array) {
  std::vector<std::string> out;
  for (const id& element : array) out.push_back(element->description());
  return out;
}

TEST(NSArray, FindsObjectsByIsEqualNotByIdentity) {
  auto array = NSArray::arrayWithObjects({S("a"), S("b"), NSNumber::numberWithInt(2)});

  EXPECT_EQ(array->indexOfObject(S("b")), 1u);
  EXPECT_EQ(array->indexOfObject(NSNumber::numberWithDouble(2.0)), 2u);
  EXPECT_EQ(array->indexOfObject(S("z")), NSNotFound);
  EXPECT_EQ(array->indexOfObjectIdenticalTo(S("b")), NSNotFound);
  EXPECT_TRUE(array->containsObject(NSMutableString::string("a")));
  EXPECT_FALSE(array->containsObject(nullptr));
}

TEST(NSArray, OutOfRangeIndicesThrowAndEmptyEndsAreNil) {
  auto array = NSMutableArray::array();

  EXPECT_EQ(array->firstObject(), nullptr);
  EXPECT_EQ(array->lastObject(), nullptr);
  EXPECT_THROW(array->objectAtIndex(0), objc::RuntimeError);
  EXPECT_THROW(array->removeLastObject(), objc::RuntimeError);
  EXPECT_THROW(array->removeObjectAtIndex(0), objc::RuntimeError);
  EXPECT_THROW(array->insertObject(S("x"), 1), objc::RuntimeError);
  array->insertObject(S("x"), 0);  // inserting at count appends
  EXPECT_THROW(array->replaceObjectAtIndex(1, S("y")), objc::RuntimeError);
  EXPECT_THROW(array->objectAtIndex(NSNotFound), objc::RuntimeError);
  EXPECT_EQ(texts(*array), std::vector<std::string>{"x"});
}

TEST(NSArray, NilIsNeverAnElement) {
  auto array = NSMutableArray::arrayWithObjects({S("a")});

  EXPECT_THROW(array->addObject(nullptr), objc::RuntimeError);
  EXPECT_THROW(array->insertObject(nullptr, 0), objc::RuntimeError);
  EXPECT_THROW(array->replaceObjectAtIndex(0, nullptr), objc::RuntimeError);
  EXPECT_THROW(NSArray::arrayWithObjects({S("a"), nullptr}), objc::RuntimeError);
  EXPECT_THROW(array->arrayByAddingObject(nullptr), objc::RuntimeError);
  EXPECT_EQ(array->count(), 1u);
}

TEST(NSMutableArray, KeepsOrderThroughInsertsRemovalsAndReplacements) {
  auto array = NSMutableArray::array();

  array->addObject(S("b"));
  array->insertObject(S("a"), 0);
  array->addObject(S("c"));
  array->addObject(S("b"));
  array->replaceObjectAtIndex(2, S("C"));
  array->removeObject(S("b"));  // every equal element
  array->addObjectsFromArray(*array);
  array->removeObjectAtIndex(0);
  array->exchangeObjectAtIndex(0, 2);

  EXPECT_EQ(texts(*array), (std::vector<std::string>{"C", "a", "C"}));
  array->removeLastObject();
  EXPECT_EQ(texts(*array), (std::vector<std::string>{"C", "a"}));
  array->removeAllObjects();
  EXPECT_EQ(array->count(), 0u);
}

TEST(NSArray, EqualityIsDeepAndIgnoresMutability) {
  auto nested = NSArray::arrayWithObjects({S("x"), NSArray::arrayWithObjects({NSNumber::numberWithInt(1)})});
  auto same = NSMutableArray::arrayWithObjects(
      {NSMutableString::string("x"), NSMutableArray::arrayWithObjects({NSNumber::numberWithLongLong(1)})});
  auto different = NSArray::arrayWithObjects({S("x"), NSArray::arrayWithObjects({NSNumber::numberWithInt(2)})});

  EXPECT_TRUE(nested->isEqual(same));
  EXPECT_TRUE(same->isEqual(nested));
  EXPECT_FALSE(nested->isEqual(different));
  EXPECT_FALSE(nested->isEqual(NSArray::arrayWithObjects({S("x")})));
  EXPECT_FALSE(nested->isEqual(S("x")));
}

TEST(NSArray, ChangingAnArrayWhileWalkingItThrows) {
  auto array = NSMutableArray::arrayWithObjects({S("a"), S("b")});

  EXPECT_THROW(
      {
        for (const id& element : *array) {
          if (element->isEqual(S("a"))) array->addObject(S("c"));
        }
      },
      objc::RuntimeError);
  EXPECT_EQ(array->count(), 3u);
}

TEST(NSArray, DescribesItselfAsThePlatformDoes) {
  auto array = NSArray::arrayWithObjects(
      {S("plain"), S("two words"), NSNumber::numberWithBool(false), NSArray::array()});

  EXPECT_EQ(array->description(), "(\n    plain,\n    \"two words\",\n    0,\n    (\n    )\n)");
  EXPECT_EQ(array->componentsJoinedByString(", ")->utf8(), "plain, two words, 0, (\n)");
}

TEST(NSArray, AnswersItsMessagesThroughTheRuntime) {
  id array = NSMutableArray::arrayWithObjects({S("first")});

  objc_msgSend(array, "addObject:", id(S("second")));

  EXPECT_EQ(objc_msgSend<NSUInteger>(array, "count"), 2u);
  EXPECT_TRUE(objc_msgSend<id>(array, "objectAtIndex:", NSUInteger{1})->isEqual(S("second")));
  EXPECT_TRUE(objc_msgSend<id>(array, "firstObject")->isEqual(S("first")));
  EXPECT_THROW(objc_msgSend<id>(array, "objectAtIndex:", NSUInteger{2}), objc::RuntimeError);
}

TEST(NSDictionary, LooksKeysUpByIsEqualAndHash) {
  auto dictionary = NSMutableDictionary::dictionary();
  dictionary->setObject(NSNumber::numberWithBool(true), S("autoSaveMessage"));
  dictionary->setObject(S("one"), NSNumber::numberWithInt(1));

  EXPECT_TRUE(dictionary->objectForKey(NSMutableString::string("autoSaveMessage"))->isEqual(
      NSNumber::numberWithBool(true)));
  EXPECT_TRUE(dictionary->objectForKey("autoSaveMessage")->isEqual(NSNumber::numberWithInt(1)));
  EXPECT_TRUE(dictionary->objectForKey(NSNumber::numberWithDouble(1.0))->isEqual(S("one")));
  EXPECT_EQ(dictionary->objectForKey("missing"), nullptr);
  EXPECT_EQ(dictionary->objectForKey(id()), nullptr);
}

TEST(NSDictionary, EnumeratesInInsertionOrderAndReplacesValuesInPlace) {
  auto dictionary = NSMutableDictionary::dictionary();
  for (const char* key : {"zeta", "alpha", "mid", "beta"}) dictionary->setObject(S(key), key);

  dictionary->setObject(S("ALPHA"), "alpha");
  dictionary->removeObjectForKey("mid");
  dictionary->setObject(S("again"), "mid");

  std::vector<std::string> seen;
  for (const auto& [key, value] : *dictionary) seen.push_back(key->description() + "=" + value->description());
  EXPECT_EQ(seen, (std::vector<std::string>{"zeta=zeta", "alpha=ALPHA", "beta=beta", "mid=again"}));
  EXPECT_EQ(texts(*dictionary->allKeys()), (std::vector<std::string>{"zeta", "alpha", "beta", "mid"}));
  EXPECT_EQ(texts(*dictionary->allValues()),
            (std::vector<std::string>{"zeta", "ALPHA", "beta", "again"}));
  EXPECT_TRUE(dictionary->objectForKey("beta")->isEqual(S("beta")));  // the index survived removal
}

TEST(NSDictionary, NilKeysAndValuesThrow) {
  auto dictionary = NSMutableDictionary::dictionary();

  EXPECT_THROW(dictionary->setObject(nullptr, "key"), objc::RuntimeError);
  EXPECT_THROW(dictionary->setObject(S("value"), id()), objc::RuntimeError);
  EXPECT_THROW(NSDictionary::dictionaryWithObjects({S("a")}, {}), objc::RuntimeError);
  EXPECT_EQ(dictionary->count(), 0u);
  dictionary->removeObjectForKey(id());  // removing nothing is fine
}

TEST(NSDictionary, CopiesAMutableKeySoThatChangingItLaterCannotLoseTheEntry) {
  auto key = NSMutableString::string("name");
  auto dictionary = NSMutableDictionary::dictionary();
  dictionary->setObject(S("value"), key);

  key->appendString("-changed");

  EXPECT_TRUE(dictionary->objectForKey("name")->isEqual(S("value")));
  EXPECT_EQ(dictionary->objectForKey(key), nullptr);
}

TEST(NSDictionary, AddingEntriesOverridesEqualKeysAndKeepsTheRest) {
  auto stored = NSMutableDictionary::dictionary();
  stored->setObject(S("Your Username"), "profileUsername");
  stored->setObject(NSNumber::numberWithLongLong(5), "joinCallDelay");
  auto update = NSMutableDictionary::dictionary();
  update->setObject(NSNumber::numberWithLongLong(9), "joinCallDelay");
  update->setObject(NSNumber::numberWithBool(false), "followEachOther");

  stored->addEntriesFromDictionary(*update);
  stored->addEntriesFromDictionary(*stored);

  EXPECT_EQ(texts(*stored->allKeys()),
            (std::vector<std::string>{"profileUsername", "joinCallDelay", "followEachOther"}));
  EXPECT_EQ(std::dynamic_pointer_cast<NSNumber>(stored->objectForKey("joinCallDelay"))->longLongValue(), 9);
}

TEST(NSDictionary, EqualityIgnoresOrderButNotValues) {
  auto a = NSMutableDictionary::dictionary();
  a->setObject(S("1"), "x");
  a->setObject(NSArray::arrayWithObjects({S("v")}), "y");
  auto b = NSMutableDictionary::dictionary();
  b->setObject(NSMutableArray::arrayWithObjects({S("v")}), "y");
  b->setObject(S("1"), "x");

  EXPECT_TRUE(a->isEqual(b));
  EXPECT_TRUE(a->copy()->isEqual(b->mutableCopy()));
  b->setObject(S("2"), "x");
  EXPECT_FALSE(a->isEqual(b));
  EXPECT_FALSE(a->isEqual(NSArray::array()));
}

TEST(NSDictionary, ChangingADictionaryWhileWalkingItThrows) {
  auto dictionary = NSMutableDictionary::dictionary();
  dictionary->setObject(S("a"), "a");
  dictionary->setObject(S("b"), "b");

  EXPECT_THROW(
      {
        for (const auto& entry : *dictionary) dictionary->removeObjectForKey(entry.key);
      },
      objc::RuntimeError);
}

TEST(NSDictionary, DescribesItselfAsThePlatformDoes) {
  auto dictionary = NSMutableDictionary::dictionary();
  dictionary->setObject(NSNumber::numberWithInt(3), "count");
  dictionary->setObject(NSArray::arrayWithObjects({S("a b")}), "list");

  EXPECT_EQ(dictionary->description(),
            "{\n    count = 3;\n    list = (\n        \"a b\"\n    );\n}");
}

TEST(NSNumber, RemembersWhetherItIsABooleanAnIntegerOrAReal) {
  struct Case {
    std::shared_ptr<NSNumber> number;
    NSNumber::Kind kind;
    const char* description;
  };
  const Case cases[] = {
      {NSNumber::numberWithBool(true), NSNumber::Kind::Boolean, "1"},
      {NSNumber::numberWithBool(false), NSNumber::Kind::Boolean, "0"},
      {NSNumber::numberWithInt(-5), NSNumber::Kind::Integer, "-5"},
      {NSNumber::numberWithInteger(1LL << 40), NSNumber::Kind::Integer, "1099511627776"},
      {NSNumber::numberWithUnsignedLongLong(7), NSNumber::Kind::Integer, "7"},
      {NSNumber::numberWithUnsignedLongLong(UINT64_MAX), NSNumber::Kind::UnsignedInteger,
       "18446744073709551615"},
      {NSNumber::numberWithDouble(0.1), NSNumber::Kind::Real, "0.1"},
      {NSNumber::numberWithDouble(3), NSNumber::Kind::Real, "3"},
      {NSNumber::numberWithFloat(0.1f), NSNumber::Kind::Real, "0.1"},
  };

  for (const Case& c : cases) {
    EXPECT_EQ(c.number->kind(), c.kind) << c.description;
    EXPECT_EQ(c.number->description(), c.description);
  }
}

TEST(NSNumber, ConvertsAsCCastsDo) {
  auto real = NSNumber::numberWithDouble(-2.75);
  auto big = NSNumber::numberWithUnsignedLongLong(UINT64_MAX);

  EXPECT_EQ(real->intValue(), -2);
  EXPECT_EQ(real->longLongValue(), -2);
  EXPECT_TRUE(real->boolValue());
  EXPECT_FALSE(NSNumber::numberWithDouble(0.0)->boolValue());
  EXPECT_EQ(big->longLongValue(), -1);
  EXPECT_EQ(big->unsignedLongLongValue(), UINT64_MAX);
  EXPECT_EQ(NSNumber::numberWithBool(true)->intValue(), 1);
  EXPECT_DOUBLE_EQ(NSNumber::numberWithInt(3)->doubleValue(), 3.0);
  EXPECT_EQ(NSNumber::numberWithDouble(1e300)->longLongValue(), INT64_MAX);
  EXPECT_STREQ(NSNumber::numberWithBool(true)->objCType(), "c");
  EXPECT_STREQ(NSNumber::numberWithFloat(1)->objCType(), "f");
}

TEST(NSNumber, EqualNumbersAreEqualAcrossKindsAndHashAlike) {
  auto one = NSNumber::numberWithInt(1);

  for (const auto& same : {NSNumber::numberWithBool(true), NSNumber::numberWithDouble(1.0),
                           NSNumber::numberWithUnsignedLongLong(1)}) {
    EXPECT_TRUE(one->isEqual(same)) << same->description();
    EXPECT_EQ(one->hash(), same->hash()) << same->description();
  }
  EXPECT_FALSE(one->isEqual(NSNumber::numberWithDouble(1.5)));
  EXPECT_FALSE(one->isEqual(S("1")));
  EXPECT_EQ(NSNumber::numberWithInt(2)->compare(*NSNumber::numberWithDouble(2.5)), NSOrderedAscending);
  EXPECT_EQ(NSNumber::numberWithUnsignedLongLong(UINT64_MAX)->compare(*NSNumber::numberWithInt(-1)),
            NSOrderedDescending);
  auto nan = NSNumber::numberWithDouble(std::nan(""));
  EXPECT_FALSE(nan->isEqual(one));
  EXPECT_TRUE(nan->isEqual(NSNumber::numberWithDouble(std::nan(""))));
}

TEST(NSData, ComparesByContentAndDescribesItsBytes) {
  const uint8_t bytes[] = {'a', 'b', 'c'};
  auto data = NSData::dataWithBytes(bytes, sizeof bytes);
  auto grown = NSMutableData::data();

  grown->appendBytes("ab", 2);
  grown->appendData(*NSData::dataWithBytes(std::vector<uint8_t>{'c'}));

  EXPECT_TRUE(data->isEqual(grown));
  EXPECT_EQ(data->hash(), grown->hash());
  EXPECT_EQ(data->description(), "{length = 3, bytes = 0x616263}");
  grown->setLength(5);
  EXPECT_FALSE(data->isEqual(grown));
  EXPECT_EQ(grown->vector(), (std::vector<uint8_t>{'a', 'b', 'c', 0, 0}));
  EXPECT_EQ(NSData::data()->length(), 0u);
}

}  // namespace
