#pragma once

// The Cairo side of the drawing interface, for the layers that draw or compose pixels (uikit,
// render) and the tools that make image files. Nothing public includes this header.

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "quartz/CGContext.h"

// A context that draws with `cr`, which must outlive it; release it with CGContextRelease.
CGContextRef CGContextCreateWithCairo(cairo_t* cr);
void CGContextRelease(CGContextRef c);
// What the context draws with, for drawing the interface has no call for (text, images, blur).
cairo_t* CGContextGetCairo(CGContextRef c);

// The PNG bytes of an image surface; empty when it cannot be encoded.
std::vector<uint8_t> CGBitmapCopyPNGData(cairo_surface_t* surface);
