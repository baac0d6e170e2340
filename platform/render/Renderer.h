#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quartz/CGGeometry.h"
#include "uikit/Forward.h"

// Pixels from the view tree: every visible window of the application drawn with Cairo, at the
// presentation values of running animations, with dynamic colours resolved per view.
//
// A view's drawRect: runs with UIGraphicsGetCurrentContext() in the view's bounds coordinates
// (device scale included) and with the view's trait collection as the current one. Its drawing
// is not clipped to the bounds (clip it yourself if the content must not overhang), and it may
// read what is already drawn beneath it. A view whose content changes calls setNeedsDisplay so
// that the incremental renderer (ScreenRenderer.h) draws it again.
namespace render {

struct RenderOptions {
  double scale = 3.0;
  CGSize size = {390, 844};
};

// The whole screen: every visible window of the application, lowest level first. Returns an
// ARGB32 cairo image surface the caller owns (cairo_surface_destroy).
cairo_surface_t* renderScreen(const RenderOptions& options = {});
// One view and its subtree, at its bounds size, on a transparent background. Its own position
// and transform are left out; its alpha counts. Owned by the caller.
cairo_surface_t* renderView(const std::shared_ptr<UIView>& view, double scale = 3.0);
// PNG files of the same; false (and a log line) when the file cannot be written.
bool writeScreenPNG(const std::string& path, const RenderOptions& options = {});
bool writeViewPNG(const std::shared_ptr<UIView>& view, const std::string& path, double scale = 3.0);

}  // namespace render
