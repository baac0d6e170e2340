#include "render/RoundedRect.h"

#include <algorithm>
#include <cmath>

namespace render {

namespace {

// How far along each edge a continuous corner of radius 1 begins.
constexpr double kContinuousExtent = 1.528665;
// Where a continuous corner of radius 1 crosses the diagonal, from each edge; a circular arc
// crosses it at 1 - 1/sqrt(2) = 0.293. Slightly less keeps the middle of the corner as tight as
// the arc while the ends ease in.
constexpr double kContinuousApex = 0.28;

struct Corner {
  CGPoint at;
  // Unit directions from the corner along the edge the path comes from, and the one it goes to.
  CGPoint from, to;

  CGPoint point(double alongFrom, double alongTo) const {
    return {at.x + alongFrom * from.x + alongTo * to.x, at.y + alongFrom * from.y + alongTo * to.y};
  }
};

void curveTo(cairo_t* cr, CGPoint c1, CGPoint c2, CGPoint end) {
  cairo_curve_to(cr, c1.x, c1.y, c2.x, c2.y, end.x, end.y);
}

// Two cubic pieces from the edge it comes from to the apex on the diagonal and on to the next
// edge. The first three control points of each piece lie on the edge, so the curvature is zero
// where the corner meets the edge; the apex is mirrored, so it is smooth there too.
void addContinuousCorner(cairo_t* cr, const Corner& corner, double extent, double apex) {
  double ease = (extent - 2 * apex) / 2;
  CGPoint start = corner.point(extent, 0);
  cairo_line_to(cr, start.x, start.y);
  curveTo(cr, corner.point(extent - ease, 0), corner.point(2 * apex, 0), corner.point(apex, apex));
  curveTo(cr, corner.point(0, 2 * apex), corner.point(0, extent - ease), corner.point(0, extent));
}

}  // namespace

void addRoundedRectPath(cairo_t* cr, CGRect rect, CGFloat radius, bool continuous) {
  rect = CGRectStandardize(rect);
  double x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
  double half = std::min(w, h) / 2;
  radius = std::clamp(radius, 0.0, half);
  if (radius <= 0 || !std::isfinite(radius)) {
    cairo_rectangle(cr, x, y, w, h);
    return;
  }
  if (!continuous || radius >= half) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
    return;
  }
  double extent = std::min(kContinuousExtent * radius, half);
  double apex = kContinuousApex * radius;
  const Corner corners[] = {
      {{x + w, y}, {-1, 0}, {0, 1}},
      {{x + w, y + h}, {0, -1}, {-1, 0}},
      {{x, y + h}, {1, 0}, {0, -1}},
      {{x, y}, {0, 1}, {1, 0}},
  };
  cairo_new_sub_path(cr);
  cairo_move_to(cr, x + extent, y);
  for (const Corner& corner : corners) addContinuousCorner(cr, corner, extent, apex);
  cairo_close_path(cr);
}

}  // namespace render
