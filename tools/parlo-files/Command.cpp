#include "Command.h"

#include <cstdio>

int fail(const std::string& message) {
  std::fprintf(stderr, "parlo-files: %s\n", message.c_str());
  return 1;
}
