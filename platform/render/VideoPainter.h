#pragma once

#include <cairo.h>

#include "avfoundation/AVVideoLayer.h"

namespace render {

// Draws a video layer's current frame in its bounds coordinates, placed by its gravity and
// mirrored when the layer says so. Only the part inside the context's clip is converted, at the
// device's pixel density, so a frame costs what it shows.
void paintVideoLayer(cairo_t* cr, const AVVideoLayer& layer, CGRect bounds);

}  // namespace render
