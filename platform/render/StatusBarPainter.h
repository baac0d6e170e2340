#pragma once

#include <cairo.h>

#include <optional>
#include <string>
#include <vector>

#include "quartz/CGGeometry.h"

// The simulated device's status bar: drawn over every frame and snapshot of the screen, in the
// 47-point top safe area, after the windows. It is pixels only: no view, no layout, nothing in a
// dump. Its glyphs are dark over a light screen and white over a dark one, judged from what the
// windows painted beneath it.
namespace render {

struct StatusBar {
  std::string time = "9:41";
  int battery = 100;    // per cent, 0 to 100
  std::string carrier;  // empty: no carrier name
  int signal = 4;       // cellular bars, 0 to 4
  bool wifi = true;
};

// Shown from now on; std::nullopt (the default) shows none. The next full frame shows the change.
void setStatusBar(std::optional<StatusBar> bar);
const std::optional<StatusBar>& statusBar();
// Its rectangle in points.
CGRect statusBarFrame();

// Draws it, when one is set, into a surface of the screen at `scale` pixels a point whose status
// bar rectangle has just been painted by the windows. True when it drew.
bool paintStatusBar(cairo_surface_t* surface, double scale);

// For a frame redrawn in parts (device pixels): when one is set and a part touches it, adds its
// whole rectangle, since its look depends on all that lies beneath it, and returns true: the
// frame then paints it again.
bool widenedForStatusBar(std::vector<CGRect>& damage, double scale);

// Whether the glyphs over these pixels should be dark: the mean luminance of the rectangle (in
// device pixels) is more than half.
bool prefersDarkGlyphs(cairo_surface_t* surface, CGRect pixels);

}  // namespace render
