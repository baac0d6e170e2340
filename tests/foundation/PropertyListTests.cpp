#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "AppleFixtures.h"
#include "foundation/PropertyList.h"

using plist::Array;
using plist::Data;
using plist::Date;
using plist::Dictionary;
using plist::Integer;
using plist::UID;
using plist::Value;

namespace plist {

// Readable failures: values print as a compact nested form.
void PrintTo(const Value& value, std::ostream* out) {
  struct Printer {
    std::ostream& out;
    void operator()(bool v) { out << (v ? "true" : "false"); }
    void operator()(const Integer& v) {
      if (v.isUnsigned) {
        out << static_cast<uint64_t>(v.value) << "u";
      } else {
        out << v.value;
      }
    }
    void operator()(double v) { out << v << "r"; }
    void operator()(const std::string& v) { out << '"' << v << '"'; }
    void operator()(const Data& v) { out << "<" << v.size() << " bytes>"; }
    void operator()(const Date& v) { out << "date(" << v.secondsSinceReferenceDate << ")"; }
    void operator()(const UID& v) { out << "UID(" << v.value << ")"; }
    void operator()(const Array& v) {
      out << "[";
      for (const Value& e : v) std::visit(*this, e.storage), out << ", ";
      out << "]";
    }
    void operator()(const Dictionary& v) {
      out << "{";
      for (const auto& [k, e] : v) out << k << ": ", std::visit(*this, e.storage), out << ", ";
      out << "}";
    }
  };
  std::visit(Printer{*out}, value.storage);
}

}  // namespace plist

namespace {

const std::string& kFixtures = testsupport::kAppleFixtures;

#define SKIP_WITHOUT_FIXTURES() REQUIRE_APPLE_FIXTURES()

std::vector<uint8_t> fixture(const std::string& name) {
  std::ifstream file(kFixtures + name, std::ios::binary);
  EXPECT_TRUE(file) << name;
  return {std::istreambuf_iterator<char>(file), {}};
}

std::vector<uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::string text(const std::vector<uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}

Value integer(int64_t value) {
  return Integer{value, false};
}

// `inner` inside `levels` arrays. (Array{Array{x}} would be a copy, not a nesting.)
Value nested(Value inner, int levels) {
  for (int i = 0; i < levels; ++i) inner = Array{std::move(inner)};
  return inner;
}

// The same value with every dictionary's keys sorted, for comparing files whose writers ordered
// keys differently.
Value sorted(Value value) {
  if (Array* array = value.get<Array>()) {
    for (Value& element : *array) element = sorted(std::move(element));
  } else if (Dictionary* dictionary = value.get<Dictionary>()) {
    for (auto& entry : *dictionary) entry.second = sorted(std::move(entry.second));
    std::sort(dictionary->begin(), dictionary->end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
  }
  return value;
}

// The XML body of one value, between the <plist> lines.
std::string xmlBody(const Value& value) {
  const std::string xml = text(plist::writeXML(value));
  const size_t start = xml.find("<plist version=\"1.0\">\n") + 22;
  return xml.substr(start, xml.rfind("</plist>") - start);
}

std::vector<uint8_t> xmlDocument(std::string_view body) {
  return bytes(
      std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n") +
      std::string(body) + "\n</plist>\n");
}

// A bplist00 file from raw objects: the offset table and trailer are computed, then `patch` may
// spoil them.
struct BinaryFile {
  std::vector<std::string> objects;
  uint8_t refSize = 1;
  uint8_t offsetSize = 1;

  std::vector<uint8_t> build() const {
    std::string out = "bplist00";
    std::vector<uint64_t> offsets;
    for (const std::string& object : objects) {
      offsets.push_back(out.size());
      out += object;
    }
    const uint64_t table = out.size();
    for (uint64_t offset : offsets) appendBigEndian(out, offset, offsetSize);
    out.append(6, '\0');
    out += static_cast<char>(offsetSize);
    out += static_cast<char>(refSize);
    appendBigEndian(out, objects.size(), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return bytes(out);
  }

  static void appendBigEndian(std::string& out, uint64_t value, size_t width) {
    for (size_t i = width; i-- > 0;) out += static_cast<char>(value >> (8 * i));
  }
};

// Trailer fields by their offset from the end of the file.
void patchTrailer(std::vector<uint8_t>& file, size_t fromEnd, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    file[file.size() - fromEnd + i] = static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
  }
}
constexpr size_t kOffsetSizeField = 26, kObjectCountField = 24, kTopObjectField = 16,
                 kTableOffsetField = 8;

Value cocoaTestData() {
  Data gunk;
  for (int i = 0; i < 10; ++i) {
    const std::string piece = "<lots of binary gunk>";
    gunk.insert(gunk.end(), piece.begin(), piece.end());
    gunk.insert(gunk.end(), {0, 1, 2, 3});
  }
  const std::string someData = "<binary gunk>";
  return Dictionary{
      {"aBigInt", integer(9223372036854775764)},
      {"aBigInt2", Integer{static_cast<int64_t>(9223372036854775852ull), true}},
      {"aDate", Date{120479613}},
      {"aDict",
       Dictionary{
           {"aFalseValue", false},
           {"aTrueValue", true},
           {"aUnicodeValue", std::string("M\u00e4ssig, Ma\u00df")},
           {"anotherString", std::string("<hello & 'hi' there!>")},
           {"deeperDict", Dictionary{{"a", integer(17)},
                                     {"b", 32.5},
                                     {"c", Array{integer(1), integer(2), std::string("text")}}}},
       }},
      {"aFloat", 0.5},
      {"aList", Array{std::string("A"), std::string("B"), integer(12), 32.5,
                      Array{integer(1), integer(2), integer(3)}}},
      {"aNegativeBigInt", integer(-80000000000)},
      {"aNegativeInt", integer(-5)},
      {"aString", std::string("Doodah")},
      {"anEmptyDict", Dictionary{}},
      {"anEmptyList", Array{}},
      {"anInt", integer(728)},
      {"nestedData", Array{gunk}},
      {"someData", Data(someData.begin(), someData.end())},
      {"someMoreData", gunk},
      {"\u00c5benraa", std::string("That was a unicode key.")},
  };
}

}  // namespace

TEST(PropertyList, FoundationFilesAreRewrittenByteForByte) {
  SKIP_WITHOUT_FIXTURES();
  for (const std::string name :
       {"cocoa-testdata.xml.plist", "nska-arrays.xml", "nska-primitives.xml",
        "cocoa-testdata.bin.plist", "bpylist2-null_archive.plist"}) {
    const std::vector<uint8_t> original = fixture(name);
    plist::Format format;

    const plist::Result<Value> read = plist::read(original, &format);
    ASSERT_TRUE(read) << name << ": " << read.error;
    const std::vector<uint8_t> written = format == plist::Format::XML
                                             ? plist::writeXML(*read.value)
                                             : plist::writeBinary(*read.value);

    EXPECT_EQ(text(written), text(original)) << name;
  }
}

TEST(PropertyList, CocoaTestDataReadsToTheSameContentInBothFormats) {
  SKIP_WITHOUT_FIXTURES();
  const Value expected = cocoaTestData();

  const plist::Result<Value> xml = plist::readXML(fixture("cocoa-testdata.xml.plist"));
  const plist::Result<Value> binary = plist::readBinary(fixture("cocoa-testdata.bin.plist"));

  ASSERT_TRUE(xml) << xml.error;
  ASSERT_TRUE(binary) << binary.error;
  EXPECT_EQ(*xml.value, expected);
  EXPECT_EQ(*binary.value, expected);
}

TEST(PropertyList, KeyedArchivesReadAsTheirDictionariesInBothFormats) {
  SKIP_WITHOUT_FIXTURES();
  Dictionary top;
  for (int i = 0; i <= 11; ++i) {
    top.emplace_back("$" + std::to_string(i), UID{static_cast<uint64_t>(i <= 1   ? 1
                                                                        : i <= 9 ? i
                                                                                 : i - 1)});
  }
  const Value primitives = Dictionary{
      {"$version", integer(100000)},
      {"$archiver", std::string("NSKeyedArchiver")},
      {"$top", top},
      {"$objects",
       Array{std::string("$null"), integer(1), 1.0, 1.5, Data(bytes("asdfasdfadsfadsf")), true,
             std::string("Hello, World!"), std::string("Hello, World!"),
             std::string("Hello, World!"), false, integer(42)}},
  };

  const plist::Result<Value> binary = plist::read(fixture("nska-primitives.bin"));
  const plist::Result<Value> xml = plist::read(fixture("nska-primitives.xml"));
  const plist::Result<Value> arraysBinary = plist::read(fixture("nska-arrays.bin"));
  const plist::Result<Value> arraysXML = plist::read(fixture("nska-arrays.xml"));
  const plist::Result<Value> simple = plist::read(fixture("bpylist2-simple_archive.plist"));

  ASSERT_TRUE(binary && xml && arraysBinary && arraysXML && simple);
  EXPECT_EQ(sorted(*binary.value), sorted(primitives));
  EXPECT_EQ(sorted(*xml.value), sorted(primitives));
  EXPECT_EQ(sorted(*arraysBinary.value), sorted(*arraysXML.value));
  const Value* objects = simple.value->find("$objects");
  ASSERT_TRUE(objects && objects->get<Array>() && objects->get<Array>()->size() == 4);
  EXPECT_EQ((*objects->get<Array>())[1],
            Value(Dictionary{
                {"title", UID{2}}, {"count", integer(42)}, {"active", true}, {"$class", UID{3}}}));
}

TEST(PropertyList, ArchivesDamagedAboveThePropertyListLevelStillReadAsPropertyLists) {
  SKIP_WITHOUT_FIXTURES();
  for (const std::string name :
       {"bpylist2-empty_archive.plist", "bpylist2-invalid_uid_archive.plist",
        "bpylist2-invalid_version_archive.plist", "bpylist2-missing_uid_archive.plist",
        "bpylist2-no_top_archive.plist", "bpylist2-null_archive.plist"}) {
    const plist::Result<Value> read = plist::read(fixture(name));

    ASSERT_TRUE(read) << name << ": " << read.error;
    EXPECT_TRUE(read.value->find("$objects")) << name;
  }
}

TEST(PropertyList, MalformedXMLIsRefusedWithAMessage) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<array>";
  const struct {
    const char* name;
    std::vector<uint8_t> document;
  } cases[] = {
      {"empty file", {}},
      {"text only", bytes("hello")},
      {"unclosed dict", xmlDocument("<dict><key>a</key><true/>")},
      {"mismatched close", xmlDocument("<array></dict>")},
      {"key without value", xmlDocument("<dict><key>a</key></dict>")},
      {"value without key", xmlDocument("<dict><string>a</string></dict>")},
      {"two keys in a row", xmlDocument("<dict><key>a</key><key>b</key><true/></dict>")},
      {"key outside dict", xmlDocument("<array><key>a</key></array>")},
      {"unknown element", xmlDocument("<set/>")},
      {"integer with letters", xmlDocument("<integer>12a</integer>")},
      {"integer above 64 bits", xmlDocument("<integer>18446744073709551616</integer>")},
      {"integer below 64 bits", xmlDocument("<integer>-9223372036854775809</integer>")},
      {"empty integer", xmlDocument("<integer/>")},
      {"real with letters", xmlDocument("<real>1.5x</real>")},
      {"date without zone", xmlDocument("<date>2004-10-26T10:33:33</date>")},
      {"date with month 13", xmlDocument("<date>2004-13-26T10:33:33Z</date>")},
      {"date on a day February lacks", xmlDocument("<date>2023-02-31T00:00:00Z</date>")},
      {"date on February 29 of a common year", xmlDocument("<date>2100-02-29T00:00:00Z</date>")},
      {"date on April 31", xmlDocument("<date>2024-04-31T00:00:00Z</date>")},
      {"data with stray characters", xmlDocument("<data>AAAA*</data>")},
      {"data after padding", xmlDocument("<data>AA==AA</data>")},
      {"bad entity", xmlDocument("<string>&nbsp;</string>")},
      {"NUL entity", xmlDocument("<string>&#0;</string>")},
      {"surrogate entity", xmlDocument("<string>&#xD800;</string>")},
      {"element inside string", xmlDocument("<string>a<b/></string>")},
      {"two values in plist", xmlDocument("<true/><false/>")},
      {"empty plist", xmlDocument("")},
      {"text after the root", bytes("<plist><true/></plist>junk")},
      {"text between elements", xmlDocument("<array>junk<true/></array>")},
      {"invalid UTF-8", xmlDocument("<string>\xC3\x28</string>")},
      {"unterminated comment", bytes("<!-- <plist><true/></plist>")},
      {"100000 nested arrays", xmlDocument(deep)},
  };
  for (const auto& c : cases) {
    const plist::Result<Value> read = plist::readXML(c.document);

    EXPECT_FALSE(read) << c.name;
    EXPECT_FALSE(read.error.empty()) << c.name;
  }
}

TEST(PropertyList, DamagedFoundationFileIsRefused) {
  SKIP_WITHOUT_FIXTURES();

  const plist::Result<Value> read = plist::read(fixture("nska-broken_plist.xml"));

  EXPECT_FALSE(read);
  EXPECT_NE(read.error.find("line 1"), std::string::npos) << read.error;
}

TEST(PropertyList, XMLReaderAcceptsWhatOtherWritersProduce) {
  const struct {
    const char* body;
    Value expected;
  } cases[] = {
      {"<real>1</real>", 1.0},
      {"<real>+infinity</real>", std::numeric_limits<double>::infinity()},
      {"<real>-infinity</real>", -std::numeric_limits<double>::infinity()},
      {"<real>1e400</real>", std::numeric_limits<double>::infinity()},
      {"<real>1e-400</real>", 0.0},
      {"<real> -2.5E3 </real>", -2500.0},
      {"<integer>0x1F</integer>", integer(31)},
      {"<integer> -9223372036854775808 </integer>", integer(INT64_MIN)},
      {"<integer>18446744073709551615</integer>", Integer{-1, true}},
      {"<string>&#x41;&#66;&lt;&amp;&gt;&quot;&apos;</string>", std::string("AB<&>\"'")},
      {"<string>&#x1F600;</string>", std::string("\U0001F600")},
      {"<string><![CDATA[<raw> & ]]><!-- note -->!</string>", std::string("<raw> & !")},
      {"<string/>", std::string()},
      {"<true></true>", true},
      {"<data>\n\tAAEC\n\tAw==\n\t</data>", Data{0, 1, 2, 3}},
      {"<data>AAECAw</data>", Data{0, 1, 2, 3}},
      {"<date>2004-10-26T10:33:33Z</date>", Date{120479613}},
      {"<date>1999-12-31T23:59:59Z</date>", Date{-31622401}},
      {"<date>2001-01Z</date>", Date{0}},
      {"<date>2024-02-29T00:00:00Z</date>", Date{730857600}},
      {"<dict><key>CF$UID</key><integer>7</integer></dict>", UID{7}},
      {"<dict><key>CF$UID</key><string>7</string></dict>",
       Dictionary{{"CF$UID", std::string("7")}}},
      {"<dict><key>b</key><integer>1</integer><key>a</key><integer>2</integer>"
       "<key>b</key><integer>3</integer></dict>",
       Dictionary{{"b", integer(3)}, {"a", integer(2)}}},
      {"<array>\n<!-- a comment -->\n<array/>\n</array>", Array{Value(Array{})}},
  };
  for (const auto& c : cases) {
    const plist::Result<Value> read = plist::readXML(xmlDocument(c.body));

    ASSERT_TRUE(read) << c.body << ": " << read.error;
    EXPECT_EQ(*read.value, c.expected) << c.body;
  }

  const plist::Result<Value> bare = plist::readXML(bytes("\xEF\xBB\xBF<dict/>"));
  ASSERT_TRUE(bare) << bare.error;
  EXPECT_EQ(*bare.value, Value(Dictionary{}));
}

TEST(PropertyList, XMLWriterSpellsValuesAsFoundationDoes) {
  const Data data51(51, 0xFF);
  const struct {
    Value value;
    std::string expected;
  } cases[] = {
      {0.1, "<real>0.10000000000000001</real>\n"},
      {-0.0, "<real>0.0</real>\n"},
      {1e300, "<real>1.0000000000000001e+300</real>\n"},
      {std::nan(""), "<real>nan</real>\n"},
      {-std::numeric_limits<double>::infinity(), "<real>-infinity</real>\n"},
      {Integer{-1, true}, "<integer>18446744073709551615</integer>\n"},
      {Date{120479613.9}, "<date>2004-10-26T10:33:33Z</date>\n"},
      {Date{-0.5}, "<date>2000-12-31T23:59:59Z</date>\n"},
      {Date{1e300}, "<date>9999-12-31T23:59:59Z</date>\n"},
      {std::string("a < b && c > d \"'"), "<string>a &lt; b &amp;&amp; c &gt; d \"'</string>\n"},
      {Data{}, "<data>\n</data>\n"},
      {Array{Data{1}}, "<array>\n\t<data>\n\tAQ==\n\t</data>\n</array>\n"},
      {Array{data51}, "<array>\n\t<data>\n\t" + std::string(68, '/') + "\n\t</data>\n</array>\n"},
      {nested(Data(30, 0), 9), ""},
      {UID{3}, "<dict>\n\t<key>CF$UID</key>\n\t<integer>3</integer>\n</dict>\n"},
      {Array{Array{}, Dictionary{}}, "<array>\n\t<array/>\n\t<dict/>\n</array>\n"},
      // UTF-16 order puts U+1F600 (D83D DE00) before U+FFFD, UTF-8 order after it.
      {Dictionary{{"\uFFFD", true}, {"\U0001F600", false}, {"Z", true}, {"a", false}},
       "<dict>\n\t<key>Z</key>\n\t<true/>\n\t<key>a</key>\n\t<false/>\n"
       "\t<key>\U0001F600</key>\n\t<false/>\n\t<key>\uFFFD</key>\n\t<true/>\n</dict>\n"},
      {Dictionary{{"k", integer(1)}, {"k", integer(2)}},
       "<dict>\n\t<key>k</key>\n\t<integer>2</integer>\n</dict>\n"},
  };
  for (const auto& c : cases) {
    const std::string body = xmlBody(c.value);

    if (!c.expected.empty()) {
      EXPECT_EQ(body, c.expected);
    } else {
      // Nine levels deep the lines keep their tabs but stop shrinking at 12 characters.
      EXPECT_NE(body.find("\n\t\t\t\t\t\t\t\t\tAAAAAAAAAAAA\n"), std::string::npos) << body;
    }
  }
  const std::string document = text(plist::writeXML(true));
  EXPECT_EQ(document,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
            "<plist version=\"1.0\">\n<true/>\n</plist>\n");
}

TEST(PropertyList, EveryValueKindSurvivesABinaryRoundTrip) {
  Array values = {
      true,
      false,
      integer(0),
      integer(255),
      integer(256),
      integer(65535),
      integer(65536),
      integer(4294967295),
      integer(4294967296),
      integer(INT64_MAX),
      integer(-1),
      integer(INT64_MIN),
      Integer{-1, true},
      Integer{INT64_MIN, true},
      0.5,
      -0.0,
      1e-310,
      std::numeric_limits<double>::infinity(),
      Date{0},
      Date{-1e9},
      Date{120479613.25},
      Data{},
      Data(14, 7),
      Data(15, 8),
      Data(300, 9),
      Data(70000, 10),
      std::string(),
      std::string("ascii"),
      std::string(15, 'x'),
      std::string(65536, 'y'),
      std::string("caf\u00e9"),
      std::string("\U0001F44D\U0001F3FD"),
      std::string("nul\0in", 6),
      UID{0},
      UID{255},
      UID{256},
      UID{4294967296},
      Array{},
      Dictionary{},
      Array{Array{integer(1)}, Dictionary{{"k", Array{}}}},
  };
  Dictionary many;
  for (int i = 0; i < 300; ++i) many.emplace_back("key" + std::to_string(i), integer(i));
  values.push_back(many);
  const Value root = Dictionary{{"values", values}, {"\u00c5", std::string("\u00e5")}};

  const plist::Result<Value> read = plist::readBinary(plist::writeBinary(root));

  ASSERT_TRUE(read) << read.error;
  EXPECT_EQ(*read.value, root);
  const double negativeZero = *(*read.value->find("values")->get<Array>())[15].get<double>();
  EXPECT_TRUE(std::signbit(negativeZero));
}

TEST(PropertyList, BinaryWriterLaysOutAndSharesObjectsAsFoundationDoes) {
  // Keys first, then each value depth-first; the second "x" and nothing else is shared, so 1,
  // 1.0 and true stay three objects.
  const Value root = Dictionary{
      {"a", std::string("x")}, {"b", std::string("x")}, {"c", Array{integer(1), 1.0, true}}};

  const std::vector<uint8_t> written = plist::writeBinary(root);

  using namespace std::string_literals;
  const std::string expected = "bplist00"s + "\xD3\x01\x02\x03\x04\x04\x05"s +  // 0: the dictionary
                               "\x51\x61\x51\x62\x51\x63\x51\x78"s +      // 1-4: "a" "b" "c" "x"
                               "\xA3\x06\x07\x08"s +                      // 5: the array
                               "\x10\x01"s +                              // 6: 1
                               "\x23\x3F\xF0\x00\x00\x00\x00\x00\x00"s +  // 7: 1.0
                               "\x09"s +                                  // 8: true
                               "\x08\x0F\x11\x13\x15\x17\x1B\x1D\x26"s +  // offset table
                               "\0\0\0\0\0\0\x01\x01"s +                  // sizes
                               "\0\0\0\0\0\0\0\x09"s +                    // object count
                               "\0\0\0\0\0\0\0\0"s +                      // root object
                               "\0\0\0\0\0\0\0\x27"s;                     // offset table offset
  EXPECT_EQ(text(written), expected);
}

TEST(PropertyList, HostileBinaryFilesAreRefusedWithAMessage) {
  using namespace std::string_literals;
  struct Case {
    std::string name;
    std::vector<uint8_t> file;
  };
  std::vector<Case> cases;
  auto add = [&](std::string name, std::vector<uint8_t> file) {
    cases.push_back({std::move(name), std::move(file)});
  };
  const BinaryFile one{{"\x09"s}};  // a valid file holding `true`
  ASSERT_TRUE(plist::readBinary(one.build()));

  add("too short", bytes("bplist00"));
  add("wrong version", [&] {
    auto file = one.build();
    file[7] = '1';
    return file;
  }());
  for (uint64_t size : {0, 9}) {
    auto file = one.build();
    patchTrailer(file, kOffsetSizeField, size, 1);
    add("offset size " + std::to_string(size), file);
  }
  for (uint64_t count : {0ull, 2ull, 1ull << 62, ~0ull}) {
    auto file = one.build();
    patchTrailer(file, kObjectCountField, count, 8);
    add("object count " + std::to_string(count), file);
  }
  {
    auto file = one.build();
    patchTrailer(file, kTopObjectField, 1, 8);
    add("root beyond the objects", file);
    file = one.build();
    patchTrailer(file, kTableOffsetField, ~0ull - 3, 8);
    add("offset table beyond the file", file);
    file = one.build();
    patchTrailer(file, kTableOffsetField, 3, 8);
    add("offset table inside the header", file);
  }
  {
    BinaryFile file{{"\xA1\x01"s, "\x09"s}};
    auto built = file.build();
    built[built.size() - 32 - 1] = 0xF0;  // object 1's offset
    add("object offset past the objects", built);
    built[built.size() - 32 - 1] = 0x02;
    add("object offset inside the header", built);
  }
  add("reference out of range", BinaryFile{{"\xA1\x05"s}}.build());
  add("array containing itself", BinaryFile{{"\xA1\x00"s}}.build());
  add("two arrays containing each other", BinaryFile{{"\xA1\x01"s, "\xA1\x00"s}}.build());
  add("dictionary containing itself", BinaryFile{{"\xD1\x01\x00"s, "\x51k"s}}.build());
  add("array claiming 2^62 elements",
      BinaryFile{{"\xAF\x13\x40\x00\x00\x00\x00\x00\x00\x00"s}}.build());
  add("data claiming 2^64-1 bytes",
      BinaryFile{{"\x4F\x13\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s}}.build());
  add("string claiming 1000 characters",
      BinaryFile{{"\x6F\x11\x03\xE8" + std::string(20, 'a')}}.build());
  add("count with a bad marker", BinaryFile{{"\x5F\x23\x00"s}}.build());
  add("truncated integer", BinaryFile{{"\x13\x00\x01"s}}.build());
  add("128-bit integer beyond 64 bits",
      BinaryFile{{"\x14\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00"s}}
          .build());
  add("32-byte integer", BinaryFile{{"\x15" + std::string(32, '\0')}}.build());
  add("3-byte real", BinaryFile{{"\x21\x00\x00\x00"s}}.build());
  add("4-byte date", BinaryFile{{"\x32\x00\x00\x00\x00"s}}.build());
  add("non-ASCII ASCII string", BinaryFile{{"\x51\xE9"s}}.build());
  add("dictionary key that is not a string", BinaryFile{{"\xD1\x01\x01"s, "\x10\x01"s}}.build());
  // Keys U+D800 (a lone surrogate, read as U+FFFD) and U+FFFD: merged, one value would vanish.
  add("two keys alike once a lone surrogate is replaced",
      BinaryFile{{"\xD2\x01\x02\x03\x03"s, "\x61\xD8\x00"s, "\x61\xFF\xFD"s, "\x09"s}}.build());
  add("null object", BinaryFile{{"\xA1\x01"s, "\x00"s}}.build());
  add("unknown object type", BinaryFile{{"\x70"s}}.build());
  add("set", BinaryFile{{"\xC0"s}}.build());
  {
    // Each array holds the next one twice: 64 levels expand to 2^64 values.
    BinaryFile file;
    for (int i = 0; i < 64; ++i) {
      file.objects.push_back("\xA2"s + static_cast<char>(i + 1) + static_cast<char>(i + 1));
    }
    file.objects.push_back("\x51x"s);
    add("2^64 copies of a shared array", file.build());
  }
  {
    BinaryFile file;
    file.refSize = 4;
    file.offsetSize = 4;
    for (uint32_t i = 1; i <= 100000; ++i) {
      std::string array = "\xA1"s;
      BinaryFile::appendBigEndian(array, i, 4);
      file.objects.push_back(array);
    }
    file.objects.push_back("\xA0"s);
    add("100000 nested arrays", file.build());
  }

  for (const Case& c : cases) {
    const plist::Result<Value> read = plist::readBinary(c.file);

    EXPECT_FALSE(read) << c.name;
    EXPECT_FALSE(read.error.empty()) << c.name;
  }
}

TEST(PropertyList, BinaryObjectsSharedWithoutACycleAreReadIntoEachPlace) {
  using namespace std::string_literals;
  // Two references to one string and a 16-bit count, as Foundation writes them.
  const BinaryFile file{{"\xA3\x01\x01\x02"s, "\x51s"s, "\x5F\x10\x0F" + std::string(15, 'L')}};

  const plist::Result<Value> read = plist::readBinary(file.build());

  ASSERT_TRUE(read) << read.error;
  EXPECT_EQ(*read.value, Value(Array{std::string("s"), std::string("s"), std::string(15, 'L')}));
}

TEST(PropertyList, ReadTellsTheFormatsApartByTheirFirstBytes) {
  plist::Format format = plist::Format::Binary;
  const plist::Result<Value> xml = plist::read(plist::writeXML(integer(5)), &format);
  EXPECT_TRUE(xml && *xml.value == integer(5));
  EXPECT_EQ(format, plist::Format::XML);

  const plist::Result<Value> binary = plist::read(plist::writeBinary(integer(5)), &format);
  EXPECT_TRUE(binary && *binary.value == integer(5));
  EXPECT_EQ(format, plist::Format::Binary);
}

TEST(PropertyList, FindLooksUpDictionaryKeysOnly) {
  const Value dictionary = Dictionary{{"a", integer(1)}, {"b", integer(2)}};
  const Value array = Array{std::string("a")};

  EXPECT_EQ(*dictionary.find("b"), integer(2));
  EXPECT_EQ(dictionary.find("c"), nullptr);
  EXPECT_EQ(array.find("a"), nullptr);
}
