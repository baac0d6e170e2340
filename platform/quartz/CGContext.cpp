#include "quartz/CGContext.h"

#include <vector>

#include "quartz/CGContext+Private.h"

// Cairo has one source for filling and stroking; the context keeps both colours and sets the
// one an operation needs just before it.
struct CGContext {
  struct Colours {
    CGColor fill;
    CGColor stroke;
  };
  cairo_t* cr;
  Colours colours;
  std::vector<Colours> saved;
};

namespace {

void useColour(cairo_t* cr, const CGColor& colour) {
  cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, colour.alpha);
}

}  // namespace

CGContextRef CGContextCreateWithCairo(cairo_t* cr) {
  return new CGContext{cr, {}, {}};
}

void CGContextRelease(CGContextRef c) {
  delete c;
}

cairo_t* CGContextGetCairo(CGContextRef c) {
  return c ? c->cr : nullptr;
}

void CGContextSaveGState(CGContextRef c) {
  cairo_save(c->cr);
  c->saved.push_back(c->colours);
}

void CGContextRestoreGState(CGContextRef c) {
  if (c->saved.empty()) return;
  cairo_restore(c->cr);
  c->colours = c->saved.back();
  c->saved.pop_back();
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty) {
  cairo_translate(c->cr, tx, ty);
}

void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy) {
  cairo_scale(c->cr, sx, sy);
}

CGAffineTransform CGContextGetCTM(CGContextRef c) {
  cairo_matrix_t m;
  cairo_get_matrix(c->cr, &m);
  return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

void CGContextSetFillColorWithColor(CGContextRef c, const CGColor& color) {
  c->colours.fill = color;
}

void CGContextSetStrokeColorWithColor(CGContextRef c, const CGColor& color) {
  c->colours.stroke = color;
}

void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue,
                              CGFloat alpha) {
  c->colours.fill = {red, green, blue, alpha};
}

void CGContextSetLineWidth(CGContextRef c, CGFloat width) {
  cairo_set_line_width(c->cr, width);
}

void CGContextSetLineCap(CGContextRef c, CGLineCap cap) {
  cairo_set_line_cap(c->cr, cap == kCGLineCapRound    ? CAIRO_LINE_CAP_ROUND
                            : cap == kCGLineCapSquare ? CAIRO_LINE_CAP_SQUARE
                                                      : CAIRO_LINE_CAP_BUTT);
}

void CGContextSetLineJoin(CGContextRef c, CGLineJoin join) {
  cairo_set_line_join(c->cr, join == kCGLineJoinRound   ? CAIRO_LINE_JOIN_ROUND
                             : join == kCGLineJoinBevel ? CAIRO_LINE_JOIN_BEVEL
                                                        : CAIRO_LINE_JOIN_MITER);
}

void CGContextBeginPath(CGContextRef c) {
  cairo_new_path(c->cr);
}

void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y) {
  cairo_move_to(c->cr, x, y);
}

void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y) {
  cairo_line_to(c->cr, x, y);
}

void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle,
                     CGFloat endAngle, int clockwise) {
  if (clockwise) {
    cairo_arc_negative(c->cr, x, y, radius, startAngle, endAngle);
  } else {
    cairo_arc(c->cr, x, y, radius, startAngle, endAngle);
  }
}

void CGContextAddRect(CGContextRef c, CGRect rect) {
  cairo_rectangle(c->cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
}

void CGContextClosePath(CGContextRef c) {
  cairo_close_path(c->cr);
}

void CGContextFillPath(CGContextRef c) {
  useColour(c->cr, c->colours.fill);
  cairo_fill(c->cr);
}

void CGContextStrokePath(CGContextRef c) {
  useColour(c->cr, c->colours.stroke);
  cairo_stroke(c->cr);
}

void CGContextFillRect(CGContextRef c, CGRect rect) {
  cairo_new_path(c->cr);
  CGContextAddRect(c, rect);
  CGContextFillPath(c);
}

void CGContextClip(CGContextRef c) {
  cairo_clip(c->cr);
}

void CGContextClipToRect(CGContextRef c, CGRect rect) {
  cairo_new_path(c->cr);
  CGContextAddRect(c, rect);
  cairo_clip(c->cr);
}
