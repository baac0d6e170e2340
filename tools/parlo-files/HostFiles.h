#pragma once

// Files named on the command line: host paths, not device paths.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct HostFileResult {
  bool ok = false;
  std::string error;  // "No such file or directory", set when !ok
};

// The whole file; refuses directories and other non-regular files.
HostFileResult readHostFile(const std::string& path, std::vector<uint8_t>& bytes);

// Writes a temporary file beside `path`, flushes it and renames it over `path`, so a failure
// leaves any old file whole and a reader never sees half a file. Refuses a `path` that is there
// but is no regular file (a symbolic link, a FIFO, a folder).
HostFileResult writeHostFileAtomically(const std::string& path, std::span<const uint8_t> bytes);
