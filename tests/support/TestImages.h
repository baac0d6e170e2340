#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "quartz/CGContext+Private.h"

namespace testsupport {

// A surface as PNG bytes, as an image file on the device would hold it.
inline std::vector<uint8_t> pngOf(cairo_surface_t* surface) {
  return CGBitmapCopyPNGData(surface);
}

// An opaque picture of one colour (channels 0 to 1), as PNG bytes.
inline std::vector<uint8_t> solidPNG(int width, int height, double red, double green, double blue) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, red, green, blue);
  cairo_paint(cr);
  cairo_destroy(cr);
  std::vector<uint8_t> bytes = pngOf(surface);
  cairo_surface_destroy(surface);
  return bytes;
}

}  // namespace testsupport
