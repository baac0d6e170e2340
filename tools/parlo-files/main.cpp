// parlo-files: inspects and converts the files that the system keeps (property lists, and the
// settings and chat files built on them).

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  try {
    if (arguments.empty()) return fail("no command; run parlo-files --help");
    const std::string& command = arguments[0];
    const Arguments rest = Arguments(arguments).subspan(1);
    if (command == "--help" || command == "-h" || command == "help") {
      std::printf("usage:\n");
      for (const auto& [name, entry] : registeredCommands()) std::printf("%s\n", entry.usage);
      return 0;
    }
    const auto& commands = registeredCommands();
    if (auto found = commands.find(command); found != commands.end())
      return found->second.run(rest);
    return fail("unknown command \"" + command + "\"; run parlo-files --help");
  } catch (const std::exception& error) {
    // Nothing is expected here; a clean message still beats an abort.
    return fail(std::string("internal error: ") + error.what());
  }
}
