#pragma once

#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "TestFiles.h"

namespace testsupport {

// A command-line tool's run as a user sees it: how it ended and what it printed.
struct ToolRun {
  int exitCode = -1;  // -1 when the tool did not exit normally (a crash)
  std::string out;
  std::string err;
};

// One word for the shell, whatever it holds.
inline std::string shellQuoted(std::string_view argument) {
  std::string out = "'";
  for (char c : argument) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs the program with its arguments through the shell, `input` on its standard input, its
// output caught in files under `scratch` (which must exist) and removed again.
inline ToolRun runTool(const std::vector<std::string>& commandLine,
                       const std::filesystem::path& scratch, std::string_view input = {}) {
  const auto in = scratch / "stdin", out = scratch / "stdout", err = scratch / "stderr";
  std::ofstream(in, std::ios::binary).write(input.data(), std::streamsize(input.size()));
  std::string command;
  for (const std::string& word : commandLine) {
    if (!command.empty()) command += ' ';
    command += shellQuoted(word);
  }
  command += " <" + shellQuoted(in.string()) + " >" + shellQuoted(out.string()) + " 2>" +
             shellQuoted(err.string());
  const int status = std::system(command.c_str());
  ToolRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = readFile(out);
  run.err = readFile(err);
  for (const auto& file : {in, out, err}) std::filesystem::remove(file);
  return run;
}

}  // namespace testsupport
