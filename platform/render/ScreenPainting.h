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
// An empty ARGB32 surface whose pixels are mapped from the system for it alone and given back
// when it is destroyed. A screen at 3x is 11.8 MB: from the heap, such a block would stay
// resident after the surface is gone (the allocator then serves blocks that size from its heap
// and does not trim it), so each snapshot or first frame would leave a frame's worth behind.
cairo_surface_t* createPixelSurface(int width, int height);

}  // namespace render
