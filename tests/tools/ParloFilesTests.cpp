#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "AppleFixtures.h"
#include "TemporaryDirectory.h"
#include "ToolRun.h"
#include "foundation/PropertyList.h"

namespace fs = std::filesystem;
using plist::Value;

namespace {

const std::string& kFixtures = testsupport::kAppleFixtures;
const std::string kSample = PARLO_SOURCE_DIR "/tools/samples/Sample.plist";

using testsupport::readFile;
using testsupport::ToolRun;

void save(const fs::path& path, std::string_view contents) {
  std::ofstream(path, std::ios::binary).write(contents.data(), std::streamsize(contents.size()));
}

class ParloFiles : public ::testing::Test {
 protected:
  ToolRun run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), PARLO_FILES_PATH);
    return testsupport::runTool(arguments, dir_.path());
  }

  testsupport::TemporaryDirectory dir_{"parlo-files-test"};
};

}  // namespace

TEST_F(ParloFiles, DumpPrintsEveryKindOfValueInItsJSONForm) {
  const Value root = plist::Dictionary{
      {"z", plist::Array{true, plist::Integer{7, false}, plist::Integer{-1, true}, 1.0, 0.25,
                         std::numeric_limits<double>::quiet_NaN()}},
      {"a", plist::Date{120479613.5}},
      {"data", plist::Data{'h', 'i', '!'}},
      {"uid", plist::UID{12}},
      {"text", std::string("say \"hi\"\n\x01\\")},
      {"empty", plist::Dictionary{}},
      {"none", plist::Array{}},
  };
  save(dir_ / "in.plist",
       std::string_view(reinterpret_cast<const char*>(plist::writeBinary(root).data()),
                        plist::writeBinary(root).size()));

  const ToolRun dump = run({"plist", "dump", (dir_ / "in.plist").string()});

  EXPECT_EQ(dump.exitCode, 0) << dump.err;
  EXPECT_EQ(dump.err, "");
  EXPECT_EQ(dump.out,
            "{\n"
            "  \"z\": [\n"
            "    true,\n"
            "    7,\n"
            "    18446744073709551615,\n"
            "    1.0,\n"
            "    0.25,\n"
            "    {\"$real\": \"nan\"}\n"
            "  ],\n"
            "  \"a\": {\"$date\": \"2004-10-26T10:33:33.5Z\"},\n"
            "  \"data\": {\"$data\": \"aGkh\"},\n"
            "  \"uid\": {\"CF$UID\": 12},\n"
            "  \"text\": \"say \\\"hi\\\"\\n\\u0001\\\\\",\n"
            "  \"empty\": {},\n"
            "  \"none\": []\n"
            "}\n");
}

TEST_F(ParloFiles, DumpShowsTheSameContentForTheXMLAndBinaryFormsOfAFile) {
  REQUIRE_APPLE_FIXTURES();

  const ToolRun xml = run({"plist", "dump", kFixtures + "cocoa-testdata.xml.plist"});
  const ToolRun binary = run({"plist", "dump", kFixtures + "cocoa-testdata.bin.plist"});
  const ToolRun archive = run({"plist", "dump", kFixtures + "bpylist2-simple_archive.plist"});

  EXPECT_EQ(xml.exitCode, 0) << xml.err;
  EXPECT_EQ(xml.out, binary.out);
  EXPECT_NE(xml.out.find("\"aBigInt2\": 9223372036854775852,"), std::string::npos);
  EXPECT_NE(xml.out.find("\"aDate\": {\"$date\": \"2004-10-26T10:33:33Z\"},"), std::string::npos);
  EXPECT_EQ(archive.exitCode, 0) << archive.err;
  EXPECT_NE(archive.out.find("\"root\": {\"CF$UID\": 1}"), std::string::npos) << archive.out;
}

TEST_F(ParloFiles, ConvertingTheSampleToBinaryAndBackGivesTheSameBytes) {
  const fs::path binary = dir_ / "sample.bplist", xml = dir_ / "sample.xml";

  const ToolRun toBinary = run({"plist", "convert", "--to", "binary", kSample, binary.string()});
  const ToolRun toXML = run({"plist", "convert", "--to=xml", binary.string(), xml.string()});

  EXPECT_EQ(toBinary.exitCode, 0) << toBinary.err;
  EXPECT_EQ(toXML.exitCode, 0) << toXML.err;
  EXPECT_TRUE(readFile(binary).starts_with("bplist00"));
  EXPECT_EQ(readFile(xml), readFile(kSample));
  EXPECT_EQ(toBinary.out + toXML.out, "");
}

TEST_F(ParloFiles, BadInputAndBadUsageExitWithOneLineOfError) {
  save(dir_ / "garbage.plist", "bplist00\x01\x02 not really");
  save(dir_ / "truncated.xml", "<?xml version=\"1.0\"?><plist><dict><key>a</key>");
  fs::create_directory(dir_ / "folder");
  const std::string good = kSample;
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"plst"},
      {"plist"},
      {"plist", "show", good},
      {"plist", "dump"},
      {"plist", "dump", good, good},
      {"plist", "dump", (dir_ / "missing.plist").string()},
      {"plist", "dump", (dir_ / "folder").string()},
      {"plist", "dump", (dir_ / "garbage.plist").string()},
      {"plist", "dump", (dir_ / "truncated.xml").string()},
      {"plist", "convert", good, (dir_ / "out").string()},
      {"plist", "convert", "--to", "json", good, (dir_ / "out").string()},
      {"plist", "convert", "--to", "xml", good},
      {"plist", "convert", "--to", "xml", (dir_ / "garbage.plist").string(),
       (dir_ / "out").string()},
      {"plist", "convert", "--to", "xml", good, (dir_ / "no-such-folder" / "out").string()},
  };
  for (const auto& arguments : cases) {
    std::string name;
    for (const auto& argument : arguments) name += argument + " ";

    const ToolRun result = run(arguments);

    EXPECT_EQ(result.exitCode, 1) << name;
    EXPECT_EQ(result.out, "") << name;
    EXPECT_TRUE(result.err.starts_with("parlo-files: ")) << name << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << name << result.err;
  }
  EXPECT_FALSE(fs::exists(dir_ / "out"));
}

TEST_F(ParloFiles, AConvertThatCannotReplaceItsTargetLeavesNoTemporaryFile) {
  // A folder in the target's place: the rename fails after the temporary file was written.
  fs::create_directories(dir_ / "target" / "inside");

  const ToolRun result =
      run({"plist", "convert", "--to", "binary", kSample, (dir_ / "target").string()});

  EXPECT_EQ(result.exitCode, 1);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_.path()))
    names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"target"});
}
