#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "KillPoints.h"
#include "TemporaryDirectory.h"
#include "ToolRun.h"
#include "foundation/PropertyList.h"

namespace fs = std::filesystem;

namespace {

const std::string kHome = "/var/mobile/Containers/Data/Application/TOOL-SAFETY";

using testsupport::readFile;
using testsupport::ToolRun;

class ToolWriteSafety : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(documents_); }

  // parlo-files with `arguments`, killed at the given write step (0: never).
  ToolRun run(std::vector<std::string> arguments, long killAt = 0, const std::string& input = "") {
    arguments.insert(
        arguments.begin(),
        {"env", "PARLO_KILL_AT_WRITE_STEP=" + std::to_string(killAt), PARLO_FILES_PATH});
    return testsupport::runTool(arguments, dir_.path(), input);
  }

  std::vector<std::string> settings(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(),
                     {"settings", "--device-root", root_.string(), "--home", kHome});
    return arguments;
  }

  static void report(const char* path, const testsupport::KillSweep& sweep) {
    std::cout << path << ": " << sweep.killPoints << " kill points, " << sweep.torn << " torn, "
              << sweep.temporariesLeft << " temporaries (" << sweep.temporaryBytesLeft
              << " bytes) left over all kills, " << sweep.temporariesAfterNextWrite
              << " after the last write\n";
  }

  testsupport::TemporaryDirectory dir_{"parlo-tool-safety"};
  const fs::path root_ = dir_ / "device";
  const fs::path documents_ = root_ / kHome.substr(1) / "Documents";
};

std::string records(const std::string& word, int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) {
    lines += "{\"message\": \"" + word + std::to_string(i) + std::string(1000, 'x') +
             "\", \"messageType\": \"OUTGOING\"}\n";
  }
  return lines;
}

}  // namespace

TEST_F(ToolWriteSafety, AKilledChatImportLeavesTheOldChatOrTheNewOneAndTheNextImportTidiesUp) {
  const fs::path file = dir_ / "maya.plist";
  ASSERT_EQ(run({"chat", "import", file.string()}, 0, records("old", 1500)).exitCode, 0);
  const std::string before = readFile(file);
  const std::string input = records("new", 1500);

  const auto sweep = testsupport::sweepKillPoints(file, before, [&](long step) {
    const ToolRun result = run({"chat", "import", file.string()}, step, input);
    return result.exitCode;
  });
  report("chat import", sweep);

  EXPECT_EQ(sweep.problem, "");
  EXPECT_GE(sweep.killPoints, 5);
  EXPECT_EQ(sweep.torn, 0);
  EXPECT_GT(sweep.temporariesLeft, 0);
  EXPECT_EQ(sweep.mostTemporariesAtOnce, 1);
  EXPECT_EQ(sweep.temporariesAfterNextWrite, 0);
}

TEST_F(ToolWriteSafety, AKilledSettingsSetLeavesTheOldFileOrTheNewOneAndTheNextSetTidiesUp) {
  ASSERT_EQ(run(settings({"set", "profileUsername", "before"})).exitCode, 0);
  const fs::path file = documents_ / "FakeCallSettings.plist";
  const std::string before = readFile(file);

  const auto sweep = testsupport::sweepKillPoints(file, before, [&](long step) {
    return run(settings({"set", "profileUsername", "after"}), step).exitCode;
  });
  report("settings set", sweep);

  EXPECT_EQ(sweep.problem, "");
  EXPECT_GE(sweep.killPoints, 4);
  EXPECT_EQ(sweep.torn, 0);
  EXPECT_EQ(sweep.temporariesAfterNextWrite, 0);
}

// Four tools at once, each setting keys of its own, as users trying the tool would.
TEST_F(ToolWriteSafety, SettingsSetInParallelProcessesLosesNoKey) {
  constexpr int kProcesses = 4, kEach = 40;
  const std::string script =
      "f=" + testsupport::shellQuoted(PARLO_FILES_PATH) +
      "; d=" + testsupport::shellQuoted(root_.string()) + "; pids=; for p in $(seq " +
      std::to_string(kProcesses) + "); do (for i in $(seq " + std::to_string(kEach) +
      "); do \"$f\" settings --device-root \"$d\" --home " + kHome +
      " set \"u$p-$i-postCount\" \"$i\" || exit 1; done) & pids=\"$pids $!\"; done; "
      "for p in $pids; do wait $p || exit 1; done";

  ASSERT_EQ(testsupport::runTool({"sh", "-c", script}, dir_.path()).exitCode, 0);

  const std::string text = readFile(documents_ / "FakeCallSettings.plist");
  auto parsed = plist::read(std::vector<uint8_t>(text.begin(), text.end()));
  ASSERT_TRUE(parsed) << parsed.error;
  const auto* dictionary = parsed.value->get<plist::Dictionary>();
  ASSERT_NE(dictionary, nullptr);
  EXPECT_EQ(dictionary->size(), size_t{kProcesses * kEach});
}

// A link or a FIFO at the output path stays as it is, with what it points to, and the tool says
// why it wrote nothing.
TEST_F(ToolWriteSafety, OutputsThatAreLinksOrFIFOsAreRefusedAndLeftAlone) {
  const fs::path input = dir_ / "in.plist";
  const auto xml = plist::writeXML(plist::Dictionary{{"k", true}});
  std::ofstream(input, std::ios::binary)
      .write(reinterpret_cast<const char*>(xml.data()), std::streamsize(xml.size()));
  const fs::path precious = dir_ / "precious.txt";
  std::ofstream(precious) << "keep me";
  const struct {
    const char* kind;
    std::vector<std::string> arguments;
    std::string stdinText;
  } commands[] = {
      {"chat import", {"chat", "import", ""}, "{\"message\": \"hi\"}\n"},
      {"plist convert", {"plist", "convert", "--to", "binary", input.string(), ""}, ""},
  };
  for (const auto& command : commands) {
    for (const bool fifo : {false, true}) {
      SCOPED_TRACE(std::string(command.kind) + (fifo ? " onto a FIFO" : " onto a link"));
      const fs::path output = dir_ / "out";
      fs::remove(output);
      if (fifo) {
        ASSERT_EQ(::mkfifo(output.c_str(), 0644), 0);
      } else {
        fs::create_symlink(precious, output);
      }
      auto arguments = command.arguments;
      arguments.back() = output.string();

      const ToolRun result = run(arguments, 0, command.stdinText);

      EXPECT_EQ(result.exitCode, 1);
      EXPECT_NE(result.err.find(fifo ? "is a FIFO; refusing to replace it"
                                     : "is a symbolic link; refusing to replace it"),
                std::string::npos)
          << result.err;
      EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
      EXPECT_EQ(fifo ? fs::is_fifo(fs::symlink_status(output)) : fs::is_symlink(output), true);
      EXPECT_EQ(readFile(precious), "keep me");
    }
  }
}
