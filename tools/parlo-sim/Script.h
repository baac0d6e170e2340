#pragma once

// The automation script: one command a line, "#" starts a comment, points are screen points.
//
//   tap X Y | tap "TEXT" [N]          doubletap X Y | doubletap "TEXT" [N]
//   press X Y SECONDS | press "TEXT" [N] SECONDS
//   drag X1 Y1 X2 Y2 SECONDS          pinch X Y FROM TO SECONDS
//   type "TEXT"   paste "TEXT"   key return|backspace
//   wait SECONDS                      appearance light|dark
//   snapshot FILE.png                 dump FILE.json
//   expect text "TEXT"                expect no-text "TEXT"
//   expect haptics N                  N haptic taps so far in this process
//
// TEXT is double-quoted (\" and \\ escape); [N] picks the Nth match, counting from 1.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quartz/CGGeometry.h"

namespace sim {

// Where a touch goes: a point, or the Nth visible view showing a text.
struct TouchTarget {
  std::optional<CGPoint> point;
  std::string text;
  int index = 1;
};

struct Command {
  enum class Kind {
    Tap,
    DoubleTap,
    Press,
    Drag,
    Pinch,
    Type,
    Paste,
    Key,
    Wait,
    Appearance,
    Snapshot,
    Dump,
    ExpectText,
    ExpectNoText,
    ExpectHaptics,
  };

  Kind kind = Kind::Wait;
  int line = 0;
  TouchTarget target;                  // tap, doubletap, press
  CGPoint from, to;                    // drag; pinch centre in `from`
  CGFloat scaleFrom = 1, scaleTo = 1;  // pinch
  double seconds = 0;                  // press, drag, pinch, wait
  int count = 0;                       // expect haptics
  std::string text;                    // type, paste, key, appearance, snapshot, dump, expect
};

struct ParsedScript {
  std::vector<Command> commands;
  // Set when a line cannot be read; the commands before it are kept.
  std::string error;
  int errorLine = 0;
};

ParsedScript parseScript(std::string_view source);

}  // namespace sim
