#pragma once

// What the commands of parlo-files share: how they receive their arguments and report failure.
// A command returns the process's exit status: 0 on success, 1 on bad input or bad usage, with
// one line on standard error.

#include <span>
#include <string>

using Arguments = std::span<const std::string>;

// Prints "parlo-files: MESSAGE" on standard error and returns 1.
int fail(const std::string& message);

// plist dump FILE | plist convert --to xml|binary IN OUT
int runPlistCommand(Arguments arguments);
extern const char* const kPlistUsage;
