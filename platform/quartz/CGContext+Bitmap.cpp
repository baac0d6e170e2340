#include "quartz/CGContext+Private.h"

std::vector<uint8_t> CGBitmapCopyPNGData(cairo_surface_t* surface) {
  std::vector<uint8_t> bytes;
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return bytes;
  cairo_status_t status = cairo_surface_write_to_png_stream(
      surface,
      [](void* closure, const unsigned char* data, unsigned int length) {
        auto* out = static_cast<std::vector<uint8_t>*>(closure);
        out->insert(out->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
      },
      &bytes);
  if (status != CAIRO_STATUS_SUCCESS) bytes.clear();
  return bytes;
}
