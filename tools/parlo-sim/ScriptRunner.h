#pragma once

// Runs a script in the host process on the manual clock. Touches go through the application's
// touch injection, the same path as the desktop window's mouse; time passes only through `wait`
// and the durations of touches, in display frames of 1/60 s with a layout pass after each.

#include <functional>
#include <string>

#include "Script.h"

namespace sim {

struct ScriptRun {
  std::string scriptName;       // for messages: "<name>:<line>: ..."
  std::string outputDirectory;  // where relative snapshot and dump paths go
};

// 0 when every command ran and every expectation held; otherwise 1, after printing a message
// that names the script line to standard error.
int runScript(const ParsedScript& script, const ScriptRun& run);

// Runs what is due, then lays out every window, as the end of a run loop turn does.
void settleScreen();
// Moves the clock by `seconds` in display frames, settling the screen after each.
void advanceFrames(double seconds);
// Called with the screen settled at the start of a script and after every display frame (a
// recorder takes its frames there); empty for none.
void setFrameObserver(std::function<void()> observer);

}  // namespace sim
