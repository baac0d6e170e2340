#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "foundation/NSArray.h"
#include "foundation/NSCharacterSet.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/UTF16.h"
#include "runtime/RuntimeError.h"

namespace {

// U+1F44D THUMBS UP SIGN and U+1F3FD its medium skin tone: two surrogate pairs.
const std::string kThumb = "\xF0\x9F\x91\x8D";
const std::string kTone = "\xF0\x9F\x8F\xBD";
const std::string kEAcute = "\xC3\xA9";            // é, one code point
const std::string kCombiningAcute = "\xCC\x81";    // U+0301

TEST(UTF16, LengthsCountUTF16CodeUnitsAsNSStringDoes) {
  struct Case {
    std::string text;
    size_t length;
  };
  const Case cases[] = {
      {"", 0},
      {"abc", 3},
      {kEAcute, 1},
      {"e" + kCombiningAcute, 2},
      {kThumb, 2},
      {kThumb + kTone, 4},
      {"\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7", 4},  // a flag: two regional indicators
      {"\xE6\x97\xA5\xE6\x9C\xAC", 2},          // two CJK ideographs
  };

  for (const Case& c : cases) {
    EXPECT_EQ(utf16Length(c.text), c.length) << c.text;
    EXPECT_EQ(NSString::string(c.text)->length(), c.length) << c.text;
    EXPECT_EQ(toUTF8(toUTF16(c.text)), c.text) << c.text;
  }
}

TEST(UTF16, MalformedInputBecomesReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";

  EXPECT_EQ(toUTF8(u"a\xD83D" u"b"), "a" + replacement + "b");  // lone high surrogate
  EXPECT_EQ(toUTF8(std::u16string(1, char16_t(0xDC00))), replacement);
  EXPECT_EQ(toUTF8(toUTF16("a\xFF" "b")), "a" + replacement + "b");
  EXPECT_FALSE(isValidUTF8("\xC0\xAF"));  // overlong "/"
  EXPECT_FALSE(isValidUTF8("\xED\xA0\x80"));  // an encoded surrogate
  EXPECT_TRUE(isValidUTF8("plain " + kThumb));
  EXPECT_EQ(NSString::stringWithUTF8String("\xFF"), nullptr);
  EXPECT_EQ(NSString::stringWithUTF8String(nullptr), nullptr);
}

TEST(UTF16, CutsNeverSplitASurrogatePair) {
  std::u16string units = toUTF16("a" + kThumb + "b");  // a, high, low, b

  EXPECT_EQ(utf16SafeCutIndex(units, 0), 0u);
  EXPECT_EQ(utf16SafeCutIndex(units, 1), 1u);
  EXPECT_EQ(utf16SafeCutIndex(units, 2), 1u);  // inside the pair: before it
  EXPECT_EQ(utf16SafeCutIndex(units, 3), 3u);
  EXPECT_EQ(utf16SafeCutIndex(units, 99), 4u);
  EXPECT_EQ(utf16Prefix("a" + kThumb + "b", 2), "a");
  EXPECT_EQ(utf16Prefix("a" + kThumb + "b", 3), "a" + kThumb);
  EXPECT_EQ(utf16Prefix(kEAcute + kEAcute, 1), kEAcute);
}

TEST(NSString, SubstringsMoveACutInsideASurrogatePairToBeforeThePair) {
  auto text = NSString::string("ab" + kThumb + kTone + "c");  // a b [2] [2] c = 7 units

  EXPECT_EQ(text->substringToIndex(3)->utf8(), "ab");
  EXPECT_EQ(text->substringToIndex(4)->utf8(), "ab" + kThumb);
  EXPECT_EQ(text->substringToIndex(5)->utf8(), "ab" + kThumb);
  EXPECT_EQ(text->substringFromIndex(3)->utf8(), kThumb + kTone + "c");
  EXPECT_EQ(text->substringFromIndex(6)->utf8(), "c");
  EXPECT_EQ(text->substringWithRange(NSMakeRange(3, 2))->utf8(), kThumb);
  EXPECT_EQ(text->substringWithRange(NSMakeRange(2, 4))->utf8(), kThumb + kTone);
  EXPECT_EQ(text->substringToIndex(7)->utf8(), "ab" + kThumb + kTone + "c");
}

TEST(NSString, CombiningMarksAreSeparateUnitsThatMayBeCut) {
  auto decomposed = NSString::string("e" + kCombiningAcute + "x");

  EXPECT_EQ(decomposed->length(), 3u);
  EXPECT_EQ(decomposed->substringToIndex(1)->utf8(), "e");
  EXPECT_EQ(decomposed->characterAtIndex(1), 0x0301);
  EXPECT_FALSE(decomposed->isEqualToString(kEAcute + "x"));  // compared literally, unit by unit
}

TEST(NSString, IndicesPastTheEndThrowTheRangeError) {
  auto text = NSString::string("abc");

  EXPECT_THROW(text->characterAtIndex(3), objc::RuntimeError);
  EXPECT_THROW(text->substringToIndex(4), objc::RuntimeError);
  EXPECT_THROW(text->substringFromIndex(4), objc::RuntimeError);
  EXPECT_THROW(text->substringWithRange(NSMakeRange(2, 2)), objc::RuntimeError);
  EXPECT_THROW(text->substringWithRange(NSMakeRange(NSUIntegerMax, 2)), objc::RuntimeError);
  EXPECT_EQ(text->substringFromIndex(3)->length(), 0u);
}

TEST(NSString, NumericValuesReadTheLongestLeadingNumberAfterWhiteSpace) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"3.5", 3.5},     {"  42abc", 42},  {"abc", 0},       {"-1.25e2", -125}, {".5", 0.5},
      {"5.", 5},        {"1e", 1},        {"1e+", 1},       {"+7", 7},         {"\n\t 8", 8},
      {"", 0},          {"0x1A", 0},      {"1,5", 1},       {"- 3", 0},        {"2.5.1", 2.5},
      {"1E3x", 1000},   {"inf", 0},       {"\xC2\xA0" "9", 9},  // a no-break space is white space
  };

  for (const Case& c : cases) {
    auto text = NSString::string(c.text);
    EXPECT_DOUBLE_EQ(text->doubleValue(), c.value) << '"' << c.text << '"';
    EXPECT_FLOAT_EQ(text->floatValue(), static_cast<float>(c.value)) << '"' << c.text << '"';
  }
}

TEST(NSString, IntegerValuesTruncateAndSaturate) {
  EXPECT_EQ(NSString::string("12.9")->intValue(), 12);
  EXPECT_EQ(NSString::string("  -7x")->intValue(), -7);
  EXPECT_EQ(NSString::string("99999999999")->intValue(), INT_MAX);
  EXPECT_EQ(NSString::string("-99999999999")->intValue(), INT_MIN);
  EXPECT_EQ(NSString::string("99999999999")->integerValue(), 99999999999);
  EXPECT_EQ(NSString::string("99999999999999999999")->integerValue(), LLONG_MAX);
  EXPECT_EQ(NSString::string("1e3")->intValue(), 1);
  EXPECT_EQ(NSString::string("x1")->integerValue(), 0);
}

TEST(NSString, BoolValueLooksAtTheFirstSignificantCharacter) {
  struct Case {
    const char* text;
    bool value;
  };
  const Case cases[] = {{"YES", true}, {"yes", true}, {"true", true}, {"T", true},
                        {"1", true},   {"0", false},  {"NO", false},  {"false", false},
                        {" -5", true}, {"007", true}, {"0.5", false}, {"", false},
                        {"  y", true}, {"+0", false}};

  for (const Case& c : cases) {
    EXPECT_EQ(NSString::string(c.text)->boolValue(), c.value) << '"' << c.text << '"';
  }
}

TEST(NSStringFormat, FormatsObjectsWithTheirDescriptionAndNilAsNull) {
  auto name = NSString::string("Ana");
  auto count = NSNumber::numberWithInt(3);
  auto yes = NSNumber::numberWithBool(true);
  std::shared_ptr<NSString> missing;

  EXPECT_EQ(NSString::stringWithFormat("%@/ParloChats/%@.plist", name, missing)->utf8(),
            "Ana/ParloChats/(null).plist");
  EXPECT_EQ(NSString::formatUTF8("%@ %@ %@", count.get(), yes, nullptr), "3 1 (null)");
  EXPECT_EQ(NSString::formatUTF8("[%8@|%-4@]", name, name), "[     Ana|Ana ]");
  EXPECT_EQ(NSString::formatUTF8("%@", NSArray::arrayWithObjects({name, count})),
            "(\n    Ana,\n    3\n)");
}

TEST(NSStringFormat, SupportsPrintfConversions) {
  EXPECT_EQ(NSString::formatUTF8("%d|%5d|%-3d|%03d", 7, 42, 1, 5), "7|   42|1  |005");
  EXPECT_EQ(NSString::formatUTF8("%ld %lu %lld %zu", NSInteger{-2}, NSUInteger{3}, 4LL, size_t{5}),
            "-2 3 4 5");
  EXPECT_EQ(NSString::formatUTF8("%.2f %g %e", 3.14159, 0.5, 1500.0), "3.14 0.5 1.500000e+03");
  EXPECT_EQ(NSString::formatUTF8("%s %s %.2s", "c", std::string("cpp"), std::string_view("view")),
            "c cpp vi");
  EXPECT_EQ(NSString::formatUTF8("%x %X %o %c %%", 255, 255u, 8, 'A'), "ff FF 10 A %");
  EXPECT_EQ(NSString::formatUTF8("%*d|%.*f", 4, 7, 1, 2.25), "   7|2.2");
  EXPECT_EQ(NSString::formatUTF8("%2$@ %1$@", NSString::string("b"), NSString::string("a")), "a b");
  EXPECT_EQ(NSString::formatUTF8("%C", char16_t(0x00E9)), kEAcute);
  EXPECT_EQ(NSString::formatUTF8("%hhd %hu", 300, 70000), "44 4464");
  EXPECT_EQ(NSString::formatUTF8("%d", UINT64_MAX), "18446744073709551615");
  EXPECT_EQ(NSString::formatUTF8("%f", 2.5f), "2.500000");
  EXPECT_EQ(NSString::formatUTF8("%p", nullptr), "0x0");
  EXPECT_EQ(NSString::formatUTF8("plain"), "plain");
}

TEST(NSStringFormat, AMismatchedOrMissingArgumentIsALoudError) {
  EXPECT_THROW(NSString::formatUTF8("%d", "text"), objc::RuntimeError);
  EXPECT_THROW(NSString::formatUTF8("%@", "text"), objc::RuntimeError);
  EXPECT_THROW(NSString::formatUTF8("%s", NSString::string("x")), objc::RuntimeError);
  EXPECT_THROW(NSString::formatUTF8("%f", 1), objc::RuntimeError);
  EXPECT_THROW(NSString::formatUTF8("%d %d", 1), objc::RuntimeError);
  EXPECT_THROW(NSString::formatUTF8("%n", 1), objc::RuntimeError);
  EXPECT_THROW(NSString::formatUTF8("100%"), objc::RuntimeError);
}

TEST(NSString, TrimmingRemovesTheSetFromBothEndsOnly) {
  auto text = NSString::string(" \t\n hello  world \r\n\xE3\x80\x80");  // ends in U+3000

  EXPECT_EQ(text->stringByTrimmingCharactersInSet(
                     *NSCharacterSet::whitespaceAndNewlineCharacterSet())->utf8(),
            "hello  world");
  EXPECT_EQ(NSString::string("  a\n ")
                ->stringByTrimmingCharactersInSet(*NSCharacterSet::whitespaceCharacterSet())
                ->utf8(),
            "a\n");
  EXPECT_EQ(NSString::string(" \n ")
                ->stringByTrimmingCharactersInSet(*NSCharacterSet::whitespaceAndNewlineCharacterSet())
                ->length(),
            0u);
  EXPECT_EQ(NSString::string(kThumb + "x" + kThumb)
                ->stringByTrimmingCharactersInSet(*NSCharacterSet::characterSetWithCharactersInString(kThumb))
                ->utf8(),
            "x");
}

TEST(NSString, CaseMappingCoversLettersBeyondASCII) {
  EXPECT_EQ(NSString::string("straße")->uppercaseString()->utf8(), "STRASSE");
  EXPECT_EQ(NSString::string("h" + kEAcute + "llo " + kThumb)->uppercaseString()->utf8(),
            "H\xC3\x89LLO " + kThumb);
  EXPECT_EQ(NSString::string("\xC3\x80" "B")->lowercaseString()->utf8(), "\xC3\xA0" "b");
  EXPECT_EQ(NSString::string("\xCE\xB1\xCE\xB2")->uppercaseString()->utf8(), "\xCE\x91\xCE\x92");
}

TEST(NSString, ComparesSearchesAndSplitsByCodeUnits) {
  auto text = NSString::string(kThumb + " Parlo chat");

  EXPECT_TRUE(text->hasPrefix(kThumb));
  EXPECT_TRUE(text->hasPrefix(""));
  EXPECT_FALSE(text->hasPrefix("Parlo"));
  EXPECT_TRUE(text->hasSuffix("chat"));
  EXPECT_TRUE(text->hasSuffix(*NSString::string("t")));
  EXPECT_EQ(text->rangeOfString("Parlo"), NSMakeRange(3, 5));
  EXPECT_EQ(text->rangeOfString("parlo").location, NSNotFound);
  EXPECT_EQ(text->rangeOfString("").location, NSNotFound);
  EXPECT_EQ(NSString::string("a")->compare("b"), NSOrderedAscending);
  EXPECT_EQ(NSString::string("b")->compare("a"), NSOrderedDescending);
  EXPECT_EQ(NSString::string("ab")->compare("ab"), NSOrderedSame);
  EXPECT_EQ(NSString::string("a.b.c")->stringByReplacingOccurrencesOfString(".", "::")->utf8(),
            "a::b::c");
  EXPECT_EQ(NSString::string("aaa")->stringByReplacingOccurrencesOfString("aa", "b")->utf8(), "ba");

  auto parts = NSString::string("a,,b")->componentsSeparatedByString(",");
  ASSERT_EQ(parts->count(), 3u);
  EXPECT_TRUE(parts->objectAtIndex(1)->isEqual(NSString::string("")));
  EXPECT_EQ(NSString::string("")->componentsSeparatedByString(",")->count(), 1u);
}

TEST(NSString, EqualStringsAreEqualAndHashAlikeWhateverTheirClass) {
  auto plain = NSString::string("key");
  auto mutableCopy = NSMutableString::string("key");

  EXPECT_TRUE(plain->isEqual(mutableCopy));
  EXPECT_TRUE(mutableCopy->isEqual(plain));
  EXPECT_EQ(plain->hash(), mutableCopy->hash());
  EXPECT_FALSE(plain->isEqual(NSNumber::numberWithInt(1)));
  EXPECT_FALSE(plain->isEqual(nullptr));
  EXPECT_TRUE(mutableCopy->isKindOfClass(NSString::classObject()));
  EXPECT_FALSE(plain->isKindOfClass(NSMutableString::classObject()));
  EXPECT_EQ(plain->description(), "key");
}

TEST(NSMutableString, EditsInUTF16RangesAndRefreshesItsUTF8) {
  auto text = NSMutableString::string("Hello");
  const char* before = text->UTF8String();
  EXPECT_STREQ(before, "Hello");

  text->appendString(" " + kThumb);
  text->insertString(">", 0);
  text->replaceCharactersInRange(NSMakeRange(1, 5), "Bye");
  text->deleteCharactersInRange(NSMakeRange(4, 1));

  EXPECT_STREQ(text->UTF8String(), (">Bye" + kThumb).c_str());
  EXPECT_EQ(text->length(), 6u);
  EXPECT_THROW(text->insertString("x", 7), objc::RuntimeError);
  EXPECT_THROW(text->deleteCharactersInRange(NSMakeRange(5, 2)), objc::RuntimeError);
  text->setString(*text);
  EXPECT_EQ(text->utf8(), ">Bye" + kThumb);
  text->setString("");
  EXPECT_EQ(text->length(), 0u);
}

TEST(NSString, AnswersItsMessagesThroughTheRuntime) {
  id text = NSString::string("42 apples");

  EXPECT_EQ(objc_msgSend<NSUInteger>(text, "length"), 9u);
  EXPECT_EQ(objc_msgSend<int>(text, "intValue"), 42);
  EXPECT_TRUE(objc_msgSend<bool>(text, "hasPrefix:", NSString::string("42")));
  EXPECT_TRUE(objc_msgSend<bool>(text, "isEqualToString:", NSString::string("42 apples")));
  EXPECT_STREQ(objc_msgSend<const char*>(text, "UTF8String"), "42 apples");
  auto upper = objc_msgSend<std::shared_ptr<NSString>>(text, "uppercaseString");
  EXPECT_EQ(upper->utf8(), "42 APPLES");
}

}  // namespace
