#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "quartz/CGContext+Private.h"

namespace {

// Three box widths whose succession approximates a Gaussian of the deviation
// (the variance of a box of width w is (w^2 - 1) / 12; the widths are the odd
// ones around the ideal).
std::vector<int> boxRadiiForGaussian(double sigma) {
  constexpr int kPasses = 3;
  double ideal = std::sqrt(12 * sigma * sigma / kPasses + 1);
  int lower = static_cast<int>(std::floor(ideal));
  if (lower % 2 == 0) --lower;
  int upper = lower + 2;
  double lowerCount =
      (12 * sigma * sigma - kPasses * lower * lower - 4.0 * kPasses * lower - 3.0 * kPasses) /
      (-4.0 * lower - 4);
  int count = static_cast<int>(std::lround(lowerCount));
  std::vector<int> radii;
  for (int i = 0; i < kPasses; ++i) radii.push_back(((i < count ? lower : upper) - 1) / 2);
  return radii;
}

struct Pixels {
  uint8_t* data;
  int width;
  int height;
  int stride;
  int channels;
};

// A running box average along each row; the ends repeat the edge pixel.
void boxBlurRows(const Pixels& image, int radius, std::vector<uint8_t>& scratch) {
  int window = 2 * radius + 1;
  uint64_t reciprocal = ((uint64_t{1} << 32) + window / 2) / window;
  int last = image.width - 1;
  scratch.resize(static_cast<size_t>(image.width) * image.channels);
  for (int y = 0; y < image.height; ++y) {
    uint8_t* row = image.data + static_cast<ptrdiff_t>(y) * image.stride;
    std::memcpy(scratch.data(), row, scratch.size());
    for (int c = 0; c < image.channels; ++c) {
      auto at = [&](int x) -> uint32_t {
        return scratch[static_cast<size_t>(std::clamp(x, 0, last)) * image.channels + c];
      };
      uint32_t sum = 0;
      for (int i = -radius; i <= radius; ++i) sum += at(i);
      for (int x = 0; x <= last; ++x) {
        row[x * image.channels + c] = static_cast<uint8_t>((sum * reciprocal + (1ull << 31)) >> 32);
        sum += at(x + radius + 1) - at(x - radius);
      }
    }
  }
}

// The same down each column, a row at a time so that memory is read in order.
void boxBlurColumns(const Pixels& image, int radius, std::vector<uint8_t>& scratch) {
  int window = 2 * radius + 1;
  uint64_t reciprocal = ((uint64_t{1} << 32) + window / 2) / window;
  size_t rowBytes = static_cast<size_t>(image.width) * image.channels;
  int last = image.height - 1;
  scratch.resize(rowBytes * image.height);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(scratch.data() + y * rowBytes,
                image.data + static_cast<ptrdiff_t>(y) * image.stride, rowBytes);
  }
  auto row = [&](int y) { return scratch.data() + std::clamp(y, 0, last) * rowBytes; };
  std::vector<uint32_t> sums(rowBytes, 0);
  for (int i = -radius; i <= radius; ++i) {
    const uint8_t* r = row(i);
    for (size_t k = 0; k < rowBytes; ++k) sums[k] += r[k];
  }
  for (int y = 0; y <= last; ++y) {
    uint8_t* out = image.data + static_cast<ptrdiff_t>(y) * image.stride;
    const uint8_t* entering = row(y + radius + 1);
    const uint8_t* leaving = row(y - radius);
    for (size_t k = 0; k < rowBytes; ++k) {
      out[k] = static_cast<uint8_t>((sums[k] * reciprocal + (1ull << 31)) >> 32);
      sums[k] += entering[k] - leaving[k];
    }
  }
}

void blurPixels(const Pixels& image, double sigma) {
  if (!(sigma > 0.3) || image.width <= 0 || image.height <= 0) return;
  std::vector<uint8_t> scratch;
  for (int radius : boxRadiiForGaussian(sigma)) {
    if (radius <= 0) continue;
    boxBlurRows(image, radius, scratch);
    boxBlurColumns(image, radius, scratch);
  }
}

// Moves each colour away from (or towards) its grey; premultiplied, so it stays
// within alpha.
void saturate(const Pixels& image, double factor) {
  if (factor == 1) return;
  for (int y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(image.data + static_cast<ptrdiff_t>(y) * image.stride);
    for (int x = 0; x < image.width; ++x) {
      uint32_t p = row[x];
      double a = p >> 24, r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
      double grey = 0.2126 * r + 0.7152 * g + 0.0722 * b;
      auto channel = [&](double v) {
        return static_cast<uint32_t>(std::clamp(grey + factor * (v - grey), 0.0, a) + 0.5);
      };
      row[x] = static_cast<uint32_t>(a) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
    }
  }
}

// What is drawn so far, a device row at a time: the target surface, with the
// group being drawn (when the view is inside a faded or shadowed ancestor) laid
// over it.
class Backdrop {
 public:
  Backdrop(cairo_t* cr, int x0, int width) : x0_(x0), width_(width) {
    cairo_surface_t* base = cairo_get_target(cr);
    cairo_surface_t* group = cairo_get_group_target(cr);
    base_ = sourceOf(base);
    if (group != base) group_ = sourceOf(group);
  }

  void readRow(int y, uint32_t* out) const {
    std::fill(out, out + width_, 0u);
    if (base_.data) {
      auto [from, to, row] = span(base_, y);
      if (from < to) std::memcpy(out + from, row + from + x0_ + base_.dx, (to - from) * 4);
    }
    if (group_.data) {
      auto [from, to, row] = span(group_, y);
      for (int x = from; x < to; ++x) out[x] = over(row[x + x0_ + group_.dx], out[x]);
    }
  }

 private:
  struct Source {
    const uint8_t* data = nullptr;
    int width = 0, height = 0, stride = 0, dx = 0, dy = 0;
  };
  struct Span {
    int from, to;
    const uint32_t* row;
  };

  static Source sourceOf(cairo_surface_t* surface) {
    Source source;
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return source;
    cairo_surface_flush(surface);
    double offsetX, offsetY;
    cairo_surface_get_device_offset(surface, &offsetX, &offsetY);
    source.data = cairo_image_surface_get_data(surface);
    source.width = cairo_image_surface_get_width(surface);
    source.height = cairo_image_surface_get_height(surface);
    source.stride = cairo_image_surface_get_stride(surface);
    source.dx = static_cast<int>(std::lround(offsetX));
    source.dy = static_cast<int>(std::lround(offsetY));
    return source;
  }

  // The part of the row that the source covers, in the row's coordinates.
  Span span(const Source& source, int y) const {
    int sy = y + source.dy;
    if (sy < 0 || sy >= source.height) return {0, 0, nullptr};
    int from = std::max(0, -(x0_ + source.dx));
    int to = std::min(width_, source.width - (x0_ + source.dx));
    return {from, to,
            reinterpret_cast<const uint32_t*>(source.data +
                                              static_cast<ptrdiff_t>(sy) * source.stride)};
  }

  static uint32_t over(uint32_t s, uint32_t d) {
    uint32_t alpha = s >> 24;
    if (alpha == 255 || d == 0) return s;
    if (s == 0) return d;
    uint32_t inverse = 255 - alpha, result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      uint32_t v = ((s >> shift) & 0xff) + (((d >> shift) & 0xff) * inverse + 127) / 255;
      result |= std::min<uint32_t>(v, 255) << shift;
    }
    return result;
  }

  int x0_, width_;
  Source base_, group_;
};

}  // namespace

void CGBitmapBlur(cairo_surface_t* surface, double sigma) {
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return;
  cairo_format_t format = cairo_image_surface_get_format(surface);
  int channels = format == CAIRO_FORMAT_ARGB32 ? 4 : format == CAIRO_FORMAT_A8 ? 1 : 0;
  if (channels == 0) return;
  cairo_surface_flush(surface);
  blurPixels(
      {cairo_image_surface_get_data(surface), cairo_image_surface_get_width(surface),
       cairo_image_surface_get_height(surface), cairo_image_surface_get_stride(surface), channels},
      sigma);
  cairo_surface_mark_dirty(surface);
}

bool CGContextDrawBlurredBackdrop(CGContextRef context, CGRect bounds, CGFloat radius,
                                  CGFloat saturation) {
  cairo_t* cr = CGContextGetCairo(context);
  // The view's rectangle in device pixels.
  double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  for (int corner = 0; corner < 4; ++corner) {
    double x = bounds.origin.x + (corner & 1 ? bounds.size.width : 0);
    double y = bounds.origin.y + (corner & 2 ? bounds.size.height : 0);
    cairo_user_to_device(cr, &x, &y);
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  // Only the part on the target counts: the blur's edges extend what is there,
  // rather than darkening towards the nothing beyond the screen (a banner
  // sliding in from above).
  cairo_surface_t* target = cairo_get_target(cr);
  if (cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE) {
    double offsetX, offsetY;
    cairo_surface_get_device_offset(target, &offsetX, &offsetY);
    minX = std::max(minX, -offsetX), minY = std::max(minY, -offsetY);
    maxX = std::min(maxX, cairo_image_surface_get_width(target) - offsetX);
    maxY = std::min(maxY, cairo_image_surface_get_height(target) - offsetY);
  }
  if (!(minX < maxX && minY < maxY) || !std::isfinite(maxX - minX) || !std::isfinite(maxY - minY) ||
      maxX - minX > 16384 || maxY - minY > 16384) {
    return false;
  }
  int x0 = static_cast<int>(std::floor(minX)), y0 = static_cast<int>(std::floor(minY));
  int width = static_cast<int>(std::ceil(maxX)) - x0,
      height = static_cast<int>(std::ceil(maxY)) - y0;
  cairo_matrix_t ctm;
  cairo_get_matrix(cr, &ctm);
  double sigma = radius * std::sqrt(std::abs(ctm.xx * ctm.yy - ctm.xy * ctm.yx));

  // A heavy blur loses nothing by working on a reduced copy: a few pixels of
  // deviation are enough there, and the copy is scaled back up smoothly.
  int factor = std::max(1, static_cast<int>(sigma / 4));
  int smallWidth = (width + factor - 1) / factor, smallHeight = (height + factor - 1) / factor;
  cairo_surface_t* small = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, smallWidth, smallHeight);
  if (cairo_surface_status(small) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(small);
    return false;
  }
  cairo_surface_flush(small);
  uint8_t* smallData = cairo_image_surface_get_data(small);
  int smallStride = cairo_image_surface_get_stride(small);
  // Each pixel of the copy is the average of its block of the backdrop.
  Backdrop backdrop(cr, x0, width);
  std::vector<uint32_t> row(width), sums(static_cast<size_t>(smallWidth) * 4);
  for (int sy = 0; sy < smallHeight; ++sy) {
    std::fill(sums.begin(), sums.end(), 0u);
    int rows = std::min(height, (sy + 1) * factor) - sy * factor;
    for (int y = sy * factor; y < sy * factor + rows; ++y) {
      backdrop.readRow(y0 + y, row.data());
      for (int sx = 0, x = 0; sx < smallWidth; ++sx) {
        uint32_t* sum = &sums[static_cast<size_t>(sx) * 4];
        for (int end = std::min(width, x + factor); x < end; ++x) {
          uint32_t p = row[x];
          sum[0] += p & 0xff, sum[1] += (p >> 8) & 0xff, sum[2] += (p >> 16) & 0xff;
          sum[3] += p >> 24;
        }
      }
    }
    auto* out = reinterpret_cast<uint32_t*>(smallData + static_cast<ptrdiff_t>(sy) * smallStride);
    for (int sx = 0; sx < smallWidth; ++sx) {
      uint32_t count =
          static_cast<uint32_t>((std::min(width, (sx + 1) * factor) - sx * factor) * rows);
      const uint32_t* sum = &sums[static_cast<size_t>(sx) * 4];
      uint32_t pixel = 0;
      for (int k = 0; k < 4; ++k) pixel |= ((sum[k] + count / 2) / count) << (8 * k);
      out[sx] = pixel;
    }
  }
  Pixels pixels{smallData, smallWidth, smallHeight, smallStride, 4};
  blurPixels(pixels, sigma / factor);
  saturate(pixels, saturation);
  cairo_surface_mark_dirty(small);

  cairo_save(cr);
  cairo_new_path(cr);
  cairo_rectangle(cr, bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
  cairo_clip(cr);
  cairo_identity_matrix(cr);
  cairo_translate(cr, x0, y0);
  cairo_scale(cr, factor, factor);
  // The copy's pixel centres sit at the centres of the blocks they average.
  cairo_set_source_surface(cr, small, 0, 0);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(small);
  return true;
}
