#include "render/StatusBarPainter.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace render {
namespace {

std::optional<StatusBar>& current() {
  static std::optional<StatusBar> bar;
  return bar;
}

constexpr double kWidth = 390;
constexpr double kHeight = 47;
// The glyphs' common centre line; the rows below start at 47.
constexpr double kMiddle = 24;

void setGlyphColour(cairo_t* cr, bool dark, double alpha = 1) {
  const double v = dark ? 0 : 1;
  cairo_set_source_rgba(cr, v, v, v, alpha);
}

// One line of Inter at a size in points; returns its width. Drawn right-aligned at `x` when
// `alignRight`, else centred on it, its capitals centred on the glyph line.
double drawText(cairo_t* cr, const std::string& text, const char* weight, double size, double x,
                bool alignRight, double maxWidth) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
  cairo_font_options_destroy(options);
  PangoFontDescription* font = pango_font_description_from_string(weight);
  pango_font_description_set_family(font, "Inter");
  pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(layout, text.c_str(), -1);
  pango_layout_set_width(layout, static_cast<int>(maxWidth * PANGO_SCALE));
  pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  pango_cairo_update_layout(cr, layout);
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  const double width = static_cast<double>(logical.width) / PANGO_SCALE;
  const double baseline = static_cast<double>(pango_layout_get_baseline(layout)) / PANGO_SCALE;
  // Inter's capitals are 0.727 of the size tall.
  const double capHeight = 0.727 * size;
  const double left = alignRight ? x - width : x - width / 2;
  cairo_move_to(cr, left - static_cast<double>(logical.x) / PANGO_SCALE,
                kMiddle + capHeight / 2 - baseline);
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
  return width;
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

// Four bars rising left to right, 17 points wide; the bars beyond the level are faint.
void drawSignal(cairo_t* cr, double x, int level, bool dark) {
  for (int i = 0; i < 4; ++i) {
    const double height = 4 + 2.6 * i;
    roundedRect(cr, x + i * 4.6, kMiddle + 5.5 - height, 3, height, 1);
    setGlyphColour(cr, dark, i < level ? 1 : 0.3);
    cairo_fill(cr);
  }
}

// Three arcs over a dot, fanning up from one point, 17 points wide.
void drawWifi(cairo_t* cr, double x, bool dark) {
  const double cx = x + 8.5, cy = kMiddle + 5.5;
  setGlyphColour(cr, dark);
  cairo_set_line_width(cr, 2.2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (double radius : {4.5, 8.0, 11.5}) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, radius, -M_PI * 0.75, -M_PI * 0.25);
    cairo_stroke(cr);
  }
  cairo_arc(cr, cx, cy - 0.5, 1.6, 0, 2 * M_PI);
  cairo_fill(cr);
}

// An outlined body with a nub on the right, filled to the level; red at 20 per cent or less.
void drawBattery(cairo_t* cr, double x, int level, bool dark) {
  const double w = 25, h = 12, top = kMiddle - h / 2;
  roundedRect(cr, x + 0.5, top + 0.5, w - 1, h - 1, 3.5);
  setGlyphColour(cr, dark, 0.4);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  roundedRect(cr, x + w + 1, top + 4, 1.5, 4, 0.75);
  cairo_fill(cr);
  const double fill = (w - 4) * std::clamp(level, 0, 100) / 100.0;
  if (fill > 0) {
    roundedRect(cr, x + 2, top + 2, fill, h - 4, 1.8);
    if (level <= 20) {
      cairo_set_source_rgb(cr, 1, 0.23, 0.19);
    } else {
      setGlyphColour(cr, dark);
    }
    cairo_fill(cr);
  }
}

}  // namespace

void setStatusBar(std::optional<StatusBar> bar) {
  current() = std::move(bar);
}

const std::optional<StatusBar>& statusBar() {
  return current();
}

CGRect statusBarFrame() {
  return CGRectMake(0, 0, kWidth, kHeight);
}

bool widenedForStatusBar(std::vector<CGRect>& damage, double scale) {
  if (!current()) return false;
  const CGRect bar = CGRectMake(0, 0, std::ceil(kWidth * scale), std::ceil(kHeight * scale));
  const bool touched = std::any_of(damage.begin(), damage.end(), [&](const CGRect& rect) {
    return CGRectIntersectsRect(rect, bar);
  });
  if (touched) damage.push_back(bar);
  return touched;
}

bool prefersDarkGlyphs(cairo_surface_t* surface, CGRect pixels) {
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int x0 = std::clamp(static_cast<int>(pixels.origin.x), 0, width);
  const int y0 = std::clamp(static_cast<int>(pixels.origin.y), 0, height);
  const int x1 = std::clamp(static_cast<int>(CGRectGetMaxX(pixels)), x0, width);
  const int y1 = std::clamp(static_cast<int>(CGRectGetMaxY(pixels)), y0, height);
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  double sum = 0;
  long count = 0;
  // Every fourth pixel each way is plenty to tell light from dark.
  for (int y = y0; y < y1; y += 4) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<long>(y) * stride);
    for (int x = x0; x < x1; x += 4) {
      const uint32_t p = row[x];
      sum += 0.2126 * ((p >> 16) & 0xFF) + 0.7152 * ((p >> 8) & 0xFF) + 0.0722 * (p & 0xFF);
      ++count;
    }
  }
  return count > 0 && sum / count > 127.5;
}

bool paintStatusBar(cairo_surface_t* surface, double scale) {
  const auto& bar = current();
  if (!bar || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return false;
  const bool dark = prefersDarkGlyphs(surface, CGRectMake(0, 0, kWidth * scale, kHeight * scale));
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);

  setGlyphColour(cr, dark);
  drawText(cr, bar->time, "Semibold", 17, 54, false, 100);

  drawBattery(cr, kWidth - 22 - 27.5, bar->battery, dark);
  double x = kWidth - 22 - 27.5 - 6;
  if (bar->wifi) {
    x -= 17;
    drawWifi(cr, x, dark);
    x -= 5;
  }
  x -= 17;
  drawSignal(cr, x, std::clamp(bar->signal, 0, 4), dark);
  if (!bar->carrier.empty()) {
    setGlyphColour(cr, dark);
    // Kept clear of the time on the other side of the top edge.
    drawText(cr, bar->carrier, "Medium", 13, x - 5, true, std::max(0.0, x - 5 - 190));
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return true;
}

}  // namespace render
