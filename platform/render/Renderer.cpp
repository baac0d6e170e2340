#include "render/Renderer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "foundation/NSLog.h"
#include "render/LayerPainter.h"
#include "render/ScreenPainting.h"
#include "render/StatusBarPainter.h"
#include "uikit/UIApplication.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

namespace render {

std::vector<std::shared_ptr<UIWindow>> visibleWindows() {
  std::vector<std::shared_ptr<UIWindow>> visible;
  for (auto& window : UIApplication::sharedApplication()->windows()) {
    if (!window->isHidden()) visible.push_back(window);
  }
  return visible;
}

void layOutWindows(const std::vector<std::shared_ptr<UIWindow>>& windows) {
  // As the platform does before it draws a frame.
  for (auto& window : windows) window->layoutIfNeeded();
}

void paintWindows(const std::vector<std::shared_ptr<UIWindow>>& windows, LayerPainter& painter) {
  UIUserInterfaceStyle style = UIScreen::mainScreen()->userInterfaceStyle();
  for (auto& window : windows) painter.paintLayer(*window->layer(), style);
}

namespace {

// Pixels for a length in points, within Cairo's limit; nothing for a length that is not a
// positive number.
int pixelCount(double pixels) {
  return std::isfinite(pixels) && pixels > 0 ? static_cast<int>(std::min(pixels, 32767.0)) : 0;
}

}  // namespace

cairo_surface_t* createPixelSurface(int width, int height) {
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
  // Small ones are fine in the heap, and cheaper there.
  constexpr int64_t kMappedFrom = 256 * 1024;
  if (width <= 0 || height <= 0 || stride <= 0 || int64_t{stride} * height < kMappedFrom) {
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  }
  const size_t length = static_cast<size_t>(stride) * static_cast<size_t>(height);
  // Anonymous pages come zeroed: a transparent surface, as cairo_image_surface_create makes.
  void* pixels = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pixels == MAP_FAILED) return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      static_cast<unsigned char*>(pixels), CAIRO_FORMAT_ARGB32, width, height, stride);
  struct Mapping {
    void* pixels;
    size_t length;
  };
  static cairo_user_data_key_t key;
  auto* mapping = new Mapping{pixels, length};
  const auto unmap = [](void* data) {
    auto* mapping = static_cast<Mapping*>(data);
    munmap(mapping->pixels, mapping->length);
    delete mapping;
  };
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_set_user_data(surface, &key, mapping, unmap) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    unmap(mapping);
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  }
  return surface;
}

cairo_surface_t* createScreenSurface(const RenderOptions& options) {
  return createPixelSurface(pixelCount(std::round(options.size.width * options.scale)),
                            pixelCount(std::round(options.size.height * options.scale)));
}

cairo_surface_t* renderScreen(const RenderOptions& options) {
  cairo_surface_t* surface = createScreenSurface(options);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return surface;
  auto windows = visibleWindows();
  layOutWindows(windows);
  cairo_t* cr = cairo_create(surface);
  // Where no window covers the screen, it is black.
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  cairo_scale(cr, options.scale, options.scale);
  LayerPainter painter(cr);
  paintWindows(windows, painter);
  cairo_destroy(cr);
  paintStatusBar(surface, options.scale);
  cairo_surface_flush(surface);
  return surface;
}

cairo_surface_t* renderView(const std::shared_ptr<UIView>& view, double scale) {
  CGSize size = view ? view->bounds().size : CGSizeZero;
  cairo_surface_t* surface = createPixelSurface(pixelCount(std::ceil(size.width * scale - 1e-6)),
                                                pixelCount(std::ceil(size.height * scale - 1e-6)));
  if (!view || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return surface;
  view->layoutIfNeeded();
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);
  LayerPainter painter(cr);
  auto superview = view->superview();
  UIUserInterfaceStyle inherited = superview ? superview->traitCollection()->userInterfaceStyle()
                                             : UIScreen::mainScreen()->userInterfaceStyle();
  painter.paintLayerUnplaced(*view->layer(), inherited);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return surface;
}

namespace {

bool writePNG(cairo_surface_t* surface, const std::string& path) {
  cairo_status_t status = cairo_surface_status(surface);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    NSLog("Could not write %s: %s", path.c_str(), cairo_status_to_string(status));
    return false;
  }
  return true;
}

}  // namespace

bool writeScreenPNG(const std::string& path, const RenderOptions& options) {
  return writePNG(renderScreen(options), path);
}

bool writeViewPNG(const std::shared_ptr<UIView>& view, const std::string& path, double scale) {
  return writePNG(renderView(view, scale), path);
}

}  // namespace render
