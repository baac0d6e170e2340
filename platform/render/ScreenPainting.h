#pragma once

#include <cairo.h>

#include <memory>
#include <vector>

#include "render/Renderer.h"

class UIWindow;

namespace render {

class LayerPainter;

// The steps of drawing the screen that the full and the incremental renderer share.
std::vector<std::shared_ptr<UIWindow>> visibleWindows();
void layOutWindows(const std::vector<std::shared_ptr<UIWindow>>& windows);
void paintWindows(const std::vector<std::shared_ptr<UIWindow>>& windows, LayerPainter& painter);
// An empty surface of the screen's size in device pixels.
cairo_surface_t* createScreenSurface(const RenderOptions& options);

}  // namespace render
