#include "uikit/UITextInputDrawing+Private.h"

#include <algorithm>
#include <cmath>

void UITextInputSetColor(cairo_t* cr, const std::shared_ptr<UIColor>& color, CGFloat alphaFactor) {
  CGFloat r = 0, g = 0, b = 0, a = 1;
  if (color) color->getRed(&r, &g, &b, &a);
  cairo_set_source_rgba(cr, r, g, b, a * alphaFactor);
}

void UITextInputAddRoundedRect(cairo_t* cr, CGRect rect, CGFloat radius) {
  const double x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
  const double r = std::clamp<double>(radius, 0, std::min(w, h) / 2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}
