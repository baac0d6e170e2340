#include "AssetCheck.h"

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace parlo::sheet {
namespace {

constexpr double kPixelsPerPoint = 3;

int expectedPixels(double points) {
  // Sizes like 110.29 points are not whole pixels; the renderer rounds up.
  return static_cast<int>(std::ceil(points * kPixelsPerPoint - 1e-6));
}

struct PixelScan {
  bool colouredInk = false;
  bool inkOnEdge = false;
};

PixelScan scan(cairo_surface_t* image) {
  PixelScan result;
  int width = cairo_image_surface_get_width(image);
  int height = cairo_image_surface_get_height(image);
  int stride = cairo_image_surface_get_stride(image);
  const unsigned char* data = cairo_image_surface_get_data(image);
  cairo_format_t format = cairo_image_surface_get_format(image);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, data + y * stride + x * 4, sizeof pixel);
      unsigned alpha = format == CAIRO_FORMAT_ARGB32 ? pixel >> 24 : 255;
      if (alpha == 0) continue;
      // Premultiplied: black ink has zero colour whatever its coverage. Allow rounding noise.
      unsigned red = (pixel >> 16) & 0xff, green = (pixel >> 8) & 0xff, blue = pixel & 0xff;
      if (red > 2 || green > 2 || blue > 2) result.colouredInk = true;
      if (x == 0 || y == 0 || x == width - 1 || y == height - 1) result.inkOnEdge = true;
    }
  }
  return result;
}

}  // namespace

std::vector<std::string> checkAssets(const Manifest& manifest) {
  std::vector<std::string> problems;
  for (const ManifestEntry& entry : manifest.entries) {
    cairo_surface_t* image = cairo_image_surface_create_from_png(entry.png.c_str());
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
      problems.push_back(entry.name + ": cannot load " + entry.png.string());
      cairo_surface_destroy(image);
      continue;
    }
    for (const PointSize& size : entry.sizes) {
      // Image views fill their frame, so a drawn size of another shape stretches the image.
      if (std::abs(size.width * entry.canvas.height - size.height * entry.canvas.width) >
          0.01 * entry.canvas.width * entry.canvas.height) {
        problems.push_back(entry.name + ": a drawn size is not the shape of its canvas");
      }
    }
    int width = cairo_image_surface_get_width(image);
    int height = cairo_image_surface_get_height(image);
    int wantWidth = expectedPixels(entry.canvas.width);
    int wantHeight = expectedPixels(entry.canvas.height);
    if (width != wantWidth || height != wantHeight) {
      problems.push_back(entry.name + ": " + std::to_string(width) + "x" + std::to_string(height) +
                         " pixels, expected " + std::to_string(wantWidth) + "x" +
                         std::to_string(wantHeight));
    }
    PixelScan pixels = scan(image);
    if (entry.look == Look::Template && pixels.colouredInk) {
      problems.push_back(entry.name + ": a template image with ink that is not black");
    }
    if (entry.look != Look::Colour && pixels.inkOnEdge) {
      problems.push_back(entry.name + ": ink on the outermost pixels; is a stroke cut off?");
    }
    cairo_surface_destroy(image);
  }
  return problems;
}

}  // namespace parlo::sheet
