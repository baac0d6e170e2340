#include "Command.h"

#include <cstdio>

int fail(const std::string& message) {
  std::fprintf(stderr, "parlo-files: %s\n", message.c_str());
  return 1;
}

namespace {
std::map<std::string, RegisteredCommand>& commandTable() {
  static std::map<std::string, RegisteredCommand> table;
  return table;
}
}  // namespace

CommandRegistration::CommandRegistration(const std::string& name, const char* usage,
                                         CommandFunction run) {
  commandTable()[name] = {usage, std::move(run)};
}

const std::map<std::string, RegisteredCommand>& registeredCommands() {
  return commandTable();
}
