#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TemporaryDirectory.h"
#include "ToolRun.h"
#include "foundation/PropertyList.h"

namespace fs = std::filesystem;

namespace {

using testsupport::readFile;

// Runs `parlo-files chat ...` with `input` on standard input, in a scratch folder.
class ChatCommand : public ::testing::Test {
 protected:
  using Run = testsupport::ToolRun;

  Run chat(const std::string& command, const fs::path& file, const std::string& input = "") {
    return testsupport::runTool({PARLO_FILES_PATH, "chat", command, file.string()}, dir_.path(),
                                input);
  }

  testsupport::TemporaryDirectory dir_{"parlo-chat-command"};
};

const std::string kRecords =
    "{\"message\": \"Hey \\\"you\\\"\\n\\ttab \\\\ \\u0001\", \"messageType\": \"OUTGOING\", "
    "\"showAvatar\": false, \"showLike\": true, \"activeCall\": false}\n"
    "{\"message\": \"👋🏽 Zoë\", \"messageType\": \"INCOMING\", \"showAvatar\": true, "
    "\"showLike\": false, \"activeCall\": false}\n"
    "{\"message\": \"12:30\", \"messageType\": \"INCOMING-START-CALL\", "
    "\"showAvatar\": true, \"showLike\": false, \"activeCall\": true}\n"
    "{\"message\": null, \"messageType\": null, \"showAvatar\": false, \"showLike\": false, "
    "\"activeCall\": false}\n";

}  // namespace

TEST_F(ChatCommand, ImportedLinesDumpBackTheSame) {
  const Run imported = chat("import", dir_ / "alice.plist", kRecords);
  ASSERT_EQ(imported.exitCode, 0) << imported.err;

  const Run dumped = chat("dump", dir_ / "alice.plist");

  EXPECT_EQ(dumped.exitCode, 0) << dumped.err;
  EXPECT_EQ(dumped.out, kRecords);
}

TEST_F(ChatCommand, ImportWritesAKeyedArchiveOfChatDataModelRecords) {
  // Keys left out take the decoder's values; a blank line is no record; key order is free; an
  // escaped surrogate pair is one character.
  const Run imported = chat("import", dir_ / "bob.plist",
                            "{\"showLike\": true, \"message\": \"Hi \\ud83d\\ude00\"}\n\n  \n{}\n");
  ASSERT_EQ(imported.exitCode, 0) << imported.err;

  const std::string bytes = readFile(dir_ / "bob.plist");
  auto archive =
      plist::read(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  const Run dumped = chat("dump", dir_ / "bob.plist");

  ASSERT_TRUE(archive) << archive.error;
  EXPECT_EQ(bytes.substr(0, 8), "bplist00");
  EXPECT_EQ(*archive.value->find("$archiver"), plist::Value(std::string("NSKeyedArchiver")));
  std::vector<std::string> classNames;
  for (const plist::Value& object : *archive.value->find("$objects")->get<plist::Array>()) {
    if (const plist::Value* name = object.find("$classname")) {
      classNames.push_back(*name->get<std::string>());
    }
  }
  EXPECT_EQ(classNames, (std::vector<std::string>{"ChatDataModel", "NSMutableArray"}));
  EXPECT_EQ(dumped.out,
            "{\"message\": \"Hi 😀\", \"messageType\": null, \"showAvatar\": false, \"showLike\": "
            "true, \"activeCall\": false}\n"
            "{\"message\": null, \"messageType\": null, \"showAvatar\": false, \"showLike\": "
            "false, \"activeCall\": false}\n");
}

TEST_F(ChatCommand, ImportRejectsABadLineByNumberAndWritesNothing) {
  const std::string good = "{\"message\": \"ok\", \"messageType\": \"OUTGOING\"}\n";
  const std::vector<std::pair<std::string, std::string>> cases{
      {"not json", "line 3: expected a JSON object"},
      {"{\"showLike\": \"yes\"}", "line 3: \"showLike\" must be true or false"},
      {"{\"message\": 7}", "line 3: \"message\" and \"messageType\" must be strings or null"},
      {"{\"mesage\": \"typo\"}", "line 3: unknown key \"mesage\""},
      {"{\"showLike\": true, \"showLike\": false}", "line 3: key \"showLike\" appears twice"},
      {"{\"message\": \"x\"} trailing", "line 3: unexpected text after the object"},
      {"{\"message\": \"unterminated}", "line 3: unterminated string"},
      {"{\"message\": \"bad \\q escape\"}", "line 3: unknown escape \\q"},
      {"{\"message\": \"\xff\"}", "line 3: a string is not valid UTF-8"},
      {"[]", "line 3: expected a JSON object"},
  };
  ASSERT_EQ(chat("import", dir_ / "kept.plist", good).exitCode, 0);
  const std::string kept = readFile(dir_ / "kept.plist");

  for (const auto& [bad, message] : cases) {
    SCOPED_TRACE(bad);
    const std::string input = good + "\n" + bad + "\n" + good;
    const Run overExisting = chat("import", dir_ / "kept.plist", input);
    const Run toNewFile = chat("import", dir_ / "new.plist", input);

    EXPECT_EQ(overExisting.exitCode, 1);
    EXPECT_EQ(overExisting.err, "parlo-files: " + message + "\n");
    EXPECT_EQ(readFile(dir_ / "kept.plist"), kept);
    EXPECT_EQ(toNewFile.exitCode, 1);
    EXPECT_FALSE(fs::exists(dir_ / "new.plist"));
  }
}

TEST_F(ChatCommand, DumpRefusesWhatIsNotAChatFile) {
  std::ofstream(dir_ / "garbage.plist") << "hello";
  const std::vector<std::pair<fs::path, std::string>> cases{
      {dir_ / "garbage.plist", "not a chat file"},
      {dir_ / "missing.plist", "No such file or directory"},
      {dir_.path(), ""},
  };

  for (const auto& [file, message] : cases) {
    SCOPED_TRACE(file);
    const Run dumped = chat("dump", file);

    EXPECT_EQ(dumped.exitCode, 1);
    EXPECT_TRUE(dumped.out.empty());
    EXPECT_NE(dumped.err.find(message), std::string::npos) << dumped.err;
  }
}
