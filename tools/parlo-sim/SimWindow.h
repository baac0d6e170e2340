#pragma once

#include <functional>
#include <string>

namespace sim {

// Shows the screen in a desktop window on the real clock until it is closed: the mouse is one
// finger (held, it is a long press), Alt with the mouse puts a second finger mirrored about the
// screen's centre (a pinch), keys type through the keyboard, F2 switches light and dark.
// `hint`, when not empty, is one line shown over the bottom of the screen until the first touch;
// it is the window's, never part of the screen's pixels. Returns the process's exit status; 1
// when there is no window to show. `afterFrame`, when set, runs after each frame is drawn (a
// recorder takes its frames there).
int runWindow(const std::string& title, const std::string& hint = "",
              const std::function<void()>& afterFrame = {});

}  // namespace sim
