#include "render/VideoPainter.h"

#include <algorithm>
#include <cmath>

#include "render/LayerState.h"

namespace render {

namespace {

// A matrix that only scales and moves, so device pixels map to whole pixels of the picture.
bool isAxisAligned(const cairo_matrix_t& m) {
  return m.xy == 0 && m.yx == 0 && m.xx > 0 && m.yy > 0;
}

}  // namespace

void paintVideoLayer(cairo_t* cr, const AVVideoLayer& layer, CGRect bounds) {
  auto frame = layer.currentVideoFrame();
  if (!frame) return;
  CGSize natural = frame->naturalSize();
  CGRect video = AVVideoLayer::videoRectFor(natural, bounds, layer.videoGravity());
  if (!(video.size.width > 0 && video.size.height > 0)) return;

  cairo_matrix_t toDevice;
  cairo_get_matrix(cr, &toDevice);
  double x1, y1, x2, y2;
  cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
  CGRect visible = CGRectIntersection(video, CGRectMake(x1, y1, x2 - x1, y2 - y1));
  if (!(visible.size.width > 0 && visible.size.height > 0)) return;

  bool aligned = isAxisAligned(toDevice);
  double scale = std::sqrt(std::abs(toDevice.xx * toDevice.yy - toDevice.xy * toDevice.yx));
  if (aligned) {
    // Whole device pixels, so the picture lands on the grid without resampling twice.
    CGRect device = pixelAligned(transformedBounds(toDevice, visible));
    CGRect videoDevice = transformedBounds(toDevice, video);
    device = CGRectIntersection(device, videoDevice);
    device = CGRectMake(std::round(device.origin.x), std::round(device.origin.y),
                        std::round(device.size.width), std::round(device.size.height));
    cairo_matrix_t toUser = toDevice;
    if (cairo_matrix_invert(&toUser) != CAIRO_STATUS_SUCCESS) return;
    visible = transformedBounds(toUser, device);
  }
  int width = static_cast<int>(std::lround(visible.size.width * (aligned ? toDevice.xx : scale)));
  int height = static_cast<int>(std::lround(visible.size.height * (aligned ? toDevice.yy : scale)));
  if (width <= 0 || height <= 0) return;

  // The part of the picture that shows there; a mirrored picture shows its other side.
  double sx = natural.width / video.size.width, sy = natural.height / video.size.height;
  bool mirrored = layer.isVideoMirrored();
  double left = mirrored ? CGRectGetMaxX(video) - CGRectGetMaxX(visible)
                         : CGRectGetMinX(visible) - CGRectGetMinX(video);
  CGRect crop = CGRectMake(left * sx, (CGRectGetMinY(visible) - CGRectGetMinY(video)) * sy,
                           visible.size.width * sx, visible.size.height * sy);
  auto image = frame->imageOf(crop, width, height);
  if (!image) return;

  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      image->pixels.get(), CAIRO_FORMAT_ARGB32, image->width, image->height, image->stride);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return;
  }
  cairo_save(cr);
  cairo_translate(cr, visible.origin.x, visible.origin.y);
  cairo_scale(cr, visible.size.width / width, visible.size.height / height);
  if (mirrored) {
    cairo_translate(cr, width, 0);
    cairo_scale(cr, -1, 1);
  }
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(cairo_get_source(cr), aligned ? CAIRO_FILTER_FAST : CAIRO_FILTER_GOOD);
  cairo_new_path(cr);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_fill(cr);
  cairo_restore(cr);
  // The pixels belong to the frame, which the layer keeps; the surface only borrowed them.
  cairo_surface_destroy(surface);
}

}  // namespace render
