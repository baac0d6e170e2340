#include "quartz/CGImage.h"

#include <atomic>

#include "quartz/CGImage+Private.h"

struct CGImage {
  cairo_surface_t* surface;
  // Images travel to the screen recorder's thread with the frames that show them.
  std::atomic<long> references;
};

CGImageRef CGImageCreateWithCairoSurface(cairo_surface_t* surface) {
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
      cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
    return nullptr;
  }
  return new CGImage{cairo_surface_reference(surface), 1};
}

cairo_surface_t* CGImageGetCairoSurface(CGImageRef image) {
  return image ? image->surface : nullptr;
}

size_t CGImageGetWidth(CGImageRef image) {
  return image ? static_cast<size_t>(cairo_image_surface_get_width(image->surface)) : 0;
}

size_t CGImageGetHeight(CGImageRef image) {
  return image ? static_cast<size_t>(cairo_image_surface_get_height(image->surface)) : 0;
}

CGImageRef CGImageRetain(CGImageRef image) {
  if (image) ++image->references;
  return image;
}

void CGImageRelease(CGImageRef image) {
  if (!image || --image->references > 0) return;
  cairo_surface_destroy(image->surface);
  delete image;
}
