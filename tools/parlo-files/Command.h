#pragma once

// What the commands of parlo-files share: how they receive their arguments and report failure.
// A command returns the process's exit status: 0 on success, 1 on bad input or bad usage, with
// one line on standard error.

#include <functional>
#include <map>
#include <span>
#include <string>

using Arguments = std::span<const std::string>;
using CommandFunction = std::function<int(Arguments)>;

// Prints "parlo-files: MESSAGE" on standard error and returns 1.
int fail(const std::string& message);

// Each command registers itself from its own file, so adding one touches no shared file:
//   static const CommandRegistration registration("plist", kPlistUsage, runPlistCommand);
struct CommandRegistration {
  CommandRegistration(const std::string& name, const char* usage, CommandFunction run);
};

struct RegisteredCommand {
  const char* usage;
  CommandFunction run;
};
// The registered commands by name, in name order.
const std::map<std::string, RegisteredCommand>& registeredCommands();
