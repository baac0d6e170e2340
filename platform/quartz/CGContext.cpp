#include "quartz/CGContext.h"

#include <vector>

#include "quartz/CGBitmapContext.h"
#include "quartz/CGContext+Private.h"
#include "quartz/CGImage+Private.h"

// Cairo has one source for filling and stroking; the context keeps both colours and sets the
// one an operation needs just before it. Cairo has no clip to an image's alpha either: the
// context keeps the mask and paints through it.
struct CGContext {
  struct Mask {
    std::shared_ptr<CGImage> image;
    cairo_matrix_t ctm;  // the transform when it was set
    CGRect rect;
  };
  struct State {
    CGColor fill;
    CGColor stroke;
    CGInterpolationQuality interpolation = kCGInterpolationDefault;
    Mask mask;
  };
  cairo_t* cr;
  bool ownsCairo;  // a bitmap context's own pixels
  State state;
  std::vector<State> saved;
};

namespace {

void useColour(cairo_t* cr, const CGColor& colour) {
  cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, colour.alpha);
}

cairo_filter_t filterFor(CGInterpolationQuality quality) {
  switch (quality) {
    case kCGInterpolationNone:
      return CAIRO_FILTER_NEAREST;
    case kCGInterpolationLow:
      return CAIRO_FILTER_FAST;
    case kCGInterpolationHigh:
      return CAIRO_FILTER_BEST;
    case kCGInterpolationDefault:
    case kCGInterpolationMedium:
      break;
  }
  return CAIRO_FILTER_GOOD;
}

// Sets the user space to the image's pixels stretched over `rect`, returning the image's
// pattern (to destroy); nullptr for an image or a rectangle with nothing to show.
cairo_pattern_t* placeImage(CGContextRef c, CGRect rect, CGImageRef image) {
  size_t width = CGImageGetWidth(image), height = CGImageGetHeight(image);
  if (width == 0 || height == 0 || !(rect.size.width > 0) || !(rect.size.height > 0)) {
    return nullptr;
  }
  cairo_translate(c->cr, rect.origin.x, rect.origin.y);
  cairo_scale(c->cr, rect.size.width / width, rect.size.height / height);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(CGImageGetCairoSurface(image));
  // Repeating the edge keeps the image's edges sharp where the filter reaches past them.
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(pattern, filterFor(c->state.interpolation));
  return pattern;
}

// Paints the current source through the mask, in the mask's own placement.
void paintThroughMask(CGContextRef c) {
  const CGContext::Mask& mask = c->state.mask;
  cairo_set_matrix(c->cr, &mask.ctm);
  if (cairo_pattern_t* pattern = placeImage(c, mask.rect, mask.image.get())) {
    cairo_mask(c->cr, pattern);
    cairo_pattern_destroy(pattern);
  }
}

// Runs a drawing operation, through the mask when there is one.
template <class Draw>
void drawMasked(CGContextRef c, Draw draw) {
  if (!c->state.mask.image) {
    draw();
    return;
  }
  cairo_push_group(c->cr);
  draw();
  cairo_pop_group_to_source(c->cr);
  cairo_save(c->cr);
  paintThroughMask(c);
  cairo_restore(c->cr);
}

}  // namespace

CGContextRef CGContextCreateWithCairo(cairo_t* cr) {
  return new CGContext{cr, false, {}, {}};
}

CGContextRef CGBitmapContextCreate(size_t width, size_t height) {
  constexpr size_t kMaxSide = 32767;  // Cairo's limit
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(
      CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
  cairo_t* cr = cairo_create(surface);
  cairo_surface_destroy(surface);  // the Cairo context keeps it
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(cr);
    return nullptr;
  }
  return new CGContext{cr, true, {}, {}};
}

CGImageRef CGBitmapContextCreateImage(CGContextRef c) {
  if (!c || !c->ownsCairo) return nullptr;
  cairo_surface_t* pixels = cairo_get_target(c->cr);
  cairo_surface_flush(pixels);
  cairo_surface_t* copy =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(pixels),
                                 cairo_image_surface_get_height(pixels));
  cairo_t* cr = cairo_create(copy);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, pixels, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(copy);
  CGImageRef image = CGImageCreateWithCairoSurface(copy);
  cairo_surface_destroy(copy);
  return image;
}

void CGContextRelease(CGContextRef c) {
  if (c && c->ownsCairo) cairo_destroy(c->cr);
  delete c;
}

cairo_t* CGContextGetCairo(CGContextRef c) {
  return c ? c->cr : nullptr;
}

void CGContextSaveGState(CGContextRef c) {
  cairo_save(c->cr);
  c->saved.push_back(c->state);
}

void CGContextRestoreGState(CGContextRef c) {
  if (c->saved.empty()) return;
  cairo_restore(c->cr);
  c->state = std::move(c->saved.back());
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
  c->state.fill = color;
}

void CGContextSetStrokeColorWithColor(CGContextRef c, const CGColor& color) {
  c->state.stroke = color;
}

void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue,
                              CGFloat alpha) {
  c->state.fill = {red, green, blue, alpha};
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
  useColour(c->cr, c->state.fill);
  if (!c->state.mask.image) {
    cairo_fill(c->cr);
    return;
  }
  // A fill through the mask is the colour painted through it inside the path: no group needed.
  cairo_save(c->cr);
  cairo_clip(c->cr);
  paintThroughMask(c);
  cairo_restore(c->cr);
}

void CGContextStrokePath(CGContextRef c) {
  drawMasked(c, [c] {
    useColour(c->cr, c->state.stroke);
    cairo_stroke(c->cr);
  });
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

void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality) {
  c->state.interpolation = quality;
}

void CGContextClipToMask(CGContextRef c, CGRect rect, CGImageRef mask) {
  cairo_save(c->cr);
  cairo_pattern_t* pattern = mask ? placeImage(c, rect, mask) : nullptr;
  cairo_new_path(c->cr);
  if (pattern) {
    // In the image's own pixels, as the image is painted, so that the two edges agree.
    cairo_rectangle(c->cr, 0, 0, static_cast<double>(CGImageGetWidth(mask)),
                    static_cast<double>(CGImageGetHeight(mask)));
    cairo_pattern_destroy(pattern);
  }
  cairo_restore(c->cr);
  // Nothing shows through an empty mask; an empty path clips everything away.
  cairo_clip(c->cr);
  if (!pattern) return;
  cairo_get_matrix(c->cr, &c->state.mask.ctm);
  c->state.mask.rect = rect;
  c->state.mask.image = CGImageHold(mask);
}

void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image) {
  cairo_save(c->cr);
  if (cairo_pattern_t* pattern = placeImage(c, rect, image)) {
    cairo_new_path(c->cr);
    cairo_rectangle(c->cr, 0, 0, static_cast<double>(CGImageGetWidth(image)),
                    static_cast<double>(CGImageGetHeight(image)));
    cairo_clip(c->cr);
    cairo_set_source(c->cr, pattern);
    cairo_pattern_destroy(pattern);
    drawMasked(c, [c] { cairo_paint(c->cr); });
  }
  cairo_restore(c->cr);
}
