#pragma once

// The Cairo side of images, for the layers and tools that make or read pixels.

#include <cairo.h>

#include "quartz/CGImage.h"

// An image of a premultiplied ARGB32 image surface, retained; the surface is referenced, not
// copied, so nothing may draw into it afterwards. NULL for a surface of another kind or that
// failed.
CGImageRef CGImageCreateWithCairoSurface(cairo_surface_t* surface);
// The image's pixels, owned by the image; do not draw into them.
cairo_surface_t* CGImageGetCairoSurface(CGImageRef image);
