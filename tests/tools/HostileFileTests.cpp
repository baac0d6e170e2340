#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "TemporaryDirectory.h"
#include "ToolRun.h"
#include "foundation/PropertyList.h"

namespace fs = std::filesystem;

namespace {

using testsupport::ToolRun;

class HostileFiles : public ::testing::Test {
 protected:
  ToolRun run(const std::vector<std::string>& arguments, const std::string& input = "") {
    std::vector<std::string> commandLine{PARLO_FILES_PATH};
    commandLine.insert(commandLine.end(), arguments.begin(), arguments.end());
    return testsupport::runTool(commandLine, dir_.path(), input);
  }

  fs::path write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }

  testsupport::TemporaryDirectory dir_{"parlo-hostile"};
};

}  // namespace

TEST_F(HostileFiles, DatesThatNoCalendarTextNamesAreDumpedAsTheirSeconds) {
  const fs::path file = write("dates.plist", plist::writeBinary(plist::Array{
                                                 plist::Date{std::nan("")},
                                                 plist::Date{1e300},
                                                 plist::Date{0.5},
                                             }));

  const ToolRun dumped = run({"plist", "dump", file.string()});

  ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
  EXPECT_EQ(dumped.out,
            "[\n  {\"$dateSinceReferenceDate\": \"nan\"},\n"
            "  {\"$dateSinceReferenceDate\": \"1e+300\"},\n"
            "  {\"$date\": \"2001-01-01T00:00:00.5Z\"}\n]\n");
}

// Random text of every plane, controls and quotes included, written as the dump writes it.
TEST_F(HostileFiles, ChatTextOfRandomCodePointsComesBackFromImportAndDumpUnchanged) {
  std::mt19937 random(18);
  auto codePoint = [&]() -> char32_t {
    switch (random() % 4) {
      case 0:
        return random() % 0x80;
      case 1:
        return 0x80 + random() % (0xD800 - 0x80);
      case 2:
        return 0xE000 + random() % (0x10000 - 0xE000);
      default:
        return 0x10000 + random() % (0x110000 - 0x10000);
    }
  };
  auto json = [](char32_t c) -> std::string {
    if (c == '"') return "\\\"";
    if (c == '\\') return "\\\\";
    if (c == '\n') return "\\n";
    if (c == '\r') return "\\r";
    if (c == '\t') return "\\t";
    if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
      return escape;
    }
    std::string out;
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
      out += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
    } else {
      out += {char(0xF0 | c >> 18), char(0x80 | (c >> 12 & 0x3F)), char(0x80 | (c >> 6 & 0x3F)),
              char(0x80 | (c & 0x3F))};
    }
    return out;
  };
  std::string records;
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    for (int n = int(random() % 12); n > 0; --n) text += json(codePoint());
    records += "{\"message\": \"" + text +
               "\", \"messageType\": \"INCOMING\", \"showAvatar\": false, \"showLike\": false, "
               "\"activeCall\": false}\n";
  }
  const fs::path file = dir_ / "random.plist";

  const ToolRun imported = run({"chat", "import", file.string()}, records);
  const ToolRun dumped = run({"chat", "dump", file.string()});

  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
  EXPECT_TRUE(dumped.out == records) << "the dump differs from what was imported";
}

// Half a surrogate pair cannot be kept by a chat file; the import says so and writes nothing.
TEST_F(HostileFiles, ChatImportRefusesALoneSurrogateByLineAndWritesNothing) {
  const fs::path file = dir_ / "lone.plist";

  const ToolRun imported = run({"chat", "import", file.string()},
                               "{\"message\": \"fine \\ud83d\\ude00\"}\n"
                               "{\"message\": \"ab\\udc00\"}\n");

  EXPECT_EQ(imported.exitCode, 1);
  EXPECT_EQ(imported.err,
            "parlo-files: line 2: \"message\" holds a lone surrogate (U+DC00) at unit 2, which a "
            "chat file cannot keep\n");
  EXPECT_FALSE(fs::exists(file));
}

// XML can name no date for NaN: converting to it would write 2001-01-01 in its place.
TEST_F(HostileFiles, ConvertingADateXMLCannotNameIsRefusedAndWritesNothing) {
  const fs::path file = write(
      "nan.plist",
      plist::writeBinary(plist::Dictionary{{"when", plist::Array{plist::Date{std::nan("")}}}}));

  const ToolRun toXML =
      run({"plist", "convert", "--to", "xml", file.string(), (dir_ / "out").string()});
  const ToolRun toBinary =
      run({"plist", "convert", "--to", "binary", file.string(), (dir_ / "copy").string()});

  EXPECT_EQ(toXML.exitCode, 1);
  EXPECT_NE(toXML.err.find("a date (nan s from 2001-01-01) has no XML spelling"), std::string::npos)
      << toXML.err;
  EXPECT_FALSE(fs::exists(dir_ / "out"));
  EXPECT_EQ(toBinary.exitCode, 0) << toBinary.err;
}
