#include "render/LayerPainter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <typeinfo>
#include <vector>

#include "avfoundation/AVVideoLayer.h"
#include "quartz/CGContext+Private.h"
#include "quartz/CGImage+Private.h"
#include "render/RoundedRect.h"
#include "render/VideoPainter.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIView.h"
#include "uikit/UIVisualEffectView.h"

namespace render {

namespace {

// Below half a level of an 8-bit channel nothing of a layer shows.
constexpr double kInvisibleOpacity = 0.5 / 255;

double deviceScaleOf(const cairo_matrix_t& matrix) {
  return std::sqrt(std::abs(matrix.xx * matrix.yy - matrix.xy * matrix.yx));
}

void setSourceColor(cairo_t* cr, const CGColor& color, double alpha = 1) {
  cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha * alpha);
}

void addShapePath(cairo_t* cr, const LayerState& state, CGRect rect, double radius) {
  cairo_new_path(cr);
  addRoundedRectPath(cr, rect, radius, state.continuousCorners);
}

// Clips to a rectangle given in device pixels, whatever the current matrix.
void clipToDeviceRect(cairo_t* cr, CGRect rect) {
  cairo_matrix_t saved;
  cairo_get_matrix(cr, &saved);
  cairo_identity_matrix(cr);
  cairo_new_path(cr);
  cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_clip(cr);
  cairo_set_matrix(cr, &saved);
}

// A plain view with nothing of its own to draw but its background, so fading it needs no group.
bool isBackgroundOnly(const CALayer& layer, const UIView* view, const LayerState& state) {
  return layer.sublayers().empty() && !layer.contents() && state.borderWidth <= 0 &&
         typeid(layer) == typeid(CALayer) && (!view || typeid(*view) == typeid(UIView));
}

void paintContents(cairo_t* cr, cairo_surface_t* image, CGRect rect) {
  int width = cairo_image_surface_get_width(image);
  int height = cairo_image_surface_get_height(image);
  if (width <= 0 || height <= 0 || rect.size.width <= 0 || rect.size.height <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, rect.origin.x, rect.origin.y);
  cairo_scale(cr, rect.size.width / width, rect.size.height / height);
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_new_path(cr);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace

bool LayerPainter::isCulled(CGRect deviceRect) const {
  if (!cull_) return false;
  return std::none_of(cull_->begin(), cull_->end(),
                      [&](const CGRect& rect) { return CGRectIntersectsRect(rect, deviceRect); });
}

void LayerPainter::paintLayer(const CALayer& layer, UIUserInterfaceStyle inherited) {
  if (layer.isHidden()) return;
  UIView* view = viewOfLayer(layer);
  UIUserInterfaceStyle style = styleFor(view, inherited);
  LayerState state = LayerState::of(layer, view, style);
  if (state.opacity < kInvisibleOpacity || !state.isPlaceable()) return;
  cairo_save(cr_);
  cairo_matrix_t placement = state.matrix();
  cairo_transform(cr_, &placement);
  paint(layer, view, state, style);
  if (state.transition) paintTransition(layer, state);
  cairo_restore(cr_);
}

void LayerPainter::paintTransition(const CALayer& layer, const LayerState& state) {
  if (!snapshots_ || *state.transition >= 1) return;
  auto found = snapshots_->find(&layer);
  if (found == snapshots_->end()) return;
  const TransitionSnapshot& snapshot = found->second;
  if (isCulled(snapshot.deviceRect)) return;
  // The old look over the new one, fading out: what was on screen blends into what is.
  for (const auto& part : snapshot.parts) {
    if (isCulled(part.deviceRect)) continue;
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_new_path(cr_);
    cairo_rectangle(cr_, part.deviceRect.origin.x, part.deviceRect.origin.y,
                    part.deviceRect.size.width, part.deviceRect.size.height);
    cairo_clip(cr_);
    cairo_set_source_surface(cr_, part.pixels.get(), part.deviceRect.origin.x,
                             part.deviceRect.origin.y);
    cairo_paint_with_alpha(cr_, 1 - *state.transition);
    cairo_restore(cr_);
  }
}

void LayerPainter::paintLayerUnplaced(const CALayer& layer, UIUserInterfaceStyle inherited) {
  if (layer.isHidden()) return;
  UIView* view = viewOfLayer(layer);
  UIUserInterfaceStyle style = styleFor(view, inherited);
  LayerState state = LayerState::of(layer, view, style);
  if (state.opacity < kInvisibleOpacity || !std::isfinite(state.bounds.origin.x) ||
      !std::isfinite(state.bounds.origin.y)) {
    return;
  }
  cairo_save(cr_);
  cairo_translate(cr_, -state.bounds.origin.x, -state.bounds.origin.y);
  paint(layer, view, state, style);
  cairo_restore(cr_);
}

void LayerPainter::paint(const CALayer& layer, UIView* view, const LayerState& state,
                         UIUserInterfaceStyle style) {
  cairo_matrix_t toDevice;
  cairo_get_matrix(cr_, &toDevice);
  double scale = deviceScaleOf(toDevice);
  bool shadow = state.hasShadow();
  CGRect own = transformedBounds(toDevice, drawnRect(layer, view, state));
  if (shadow) own = CGRectInset(own, -state.shadowReach() * scale, -state.shadowReach() * scale);
  bool ownVisible = !isCulled(own);
  if (!ownVisible && (state.masksToBounds || layer.sublayers().empty())) return;

  bool fade = state.opacity < 1;
  if (fade && !shadow && isBackgroundOnly(layer, view, state)) {
    if (ownVisible && state.background.alpha > 0) {
      addShapePath(cr_, state, state.bounds, state.cornerRadius);
      setSourceColor(cr_, state.background, state.opacity);
      cairo_fill(cr_);
    }
    return;
  }
  if (!fade && !shadow) {
    paintBody(layer, view, state, style, ownVisible);
    return;
  }

  // One picture for the whole subtree, no larger than the subtree can be.
  CGRect extent = subtreeExtent(layer, state, toDevice);
  if (isCulled(extent)) return;
  cairo_save(cr_);
  // Glyphs may overhang their view a little.
  clipToDeviceRect(cr_, pixelAligned(CGRectInset(extent, -2, -2)));
  if (fade) cairo_push_group(cr_);
  if (shadow) cairo_push_group(cr_);
  paintBody(layer, view, state, style, ownVisible);
  if (shadow) {
    cairo_pattern_t* picture = cairo_pop_group(cr_);
    paintShadow(picture, state);
    cairo_set_source(cr_, picture);
    cairo_paint(cr_);
    cairo_pattern_destroy(picture);
  }
  if (fade) {
    cairo_pop_group_to_source(cr_);
    cairo_paint_with_alpha(cr_, state.opacity);
  }
  cairo_restore(cr_);
}

void LayerPainter::paintBody(const CALayer& layer, UIView* view, const LayerState& state,
                             UIUserInterfaceStyle style, bool ownPartVisible) {
  CGRect bounds = state.bounds;
  if (ownPartVisible && state.background.alpha > 0) {
    addShapePath(cr_, state, bounds, state.cornerRadius);
    setSourceColor(cr_, state.background);
    cairo_fill(cr_);
  }
  if (state.masksToBounds) {
    cairo_save(cr_);
    addShapePath(cr_, state, bounds, state.cornerRadius);
    cairo_clip(cr_);
  }
  if (ownPartVisible) {
    if (layer.contents()) paintContents(cr_, CGImageGetCairoSurface(layer.contents()), bounds);
    if (const auto* video = dynamic_cast<const AVVideoLayer*>(&layer)) {
      paintVideoLayer(cr_, *video, bounds);
    }
    cairo_save(cr_);
    CGContextRef layerContext = CGContextCreateWithCairo(cr_);
    const_cast<CALayer&>(layer).drawInContext(layerContext);
    CGContextRelease(layerContext);
    cairo_restore(cr_);
    if (view) {
      cairo_save(cr_);
      CGContextRef context = CGContextCreateWithCairo(cr_);
      UIGraphicsPushContext(context);
      auto previous = UITraitCollection::currentTraitCollection();
      UITraitCollection::setCurrentTraitCollection(traitCollectionFor(style));
      view->drawRect(bounds);
      UITraitCollection::setCurrentTraitCollection(previous);
      UIGraphicsPopContext();
      CGContextRelease(context);
      cairo_restore(cr_);
    }
  }

  const auto& sublayers = layer.sublayers();
  bool layered = std::any_of(sublayers.begin(), sublayers.end(),
                             [](const auto& sublayer) { return sublayer->zPosition() != 0; });
  if (!layered) {
    for (const auto& sublayer : sublayers) paintLayer(*sublayer, style);
  } else {
    std::vector<CALayer*> ordered;
    for (const auto& sublayer : sublayers) ordered.push_back(sublayer.get());
    std::stable_sort(ordered.begin(), ordered.end(), [](const CALayer* a, const CALayer* b) {
      return a->zPosition() < b->zPosition();
    });
    for (CALayer* sublayer : ordered) paintLayer(*sublayer, style);
  }
  if (state.masksToBounds) cairo_restore(cr_);

  // The border lies inside the bounds, over the content and the sublayers.
  if (ownPartVisible && state.borderWidth > 0 && state.borderColor.alpha > 0) {
    double width = state.borderWidth;
    addShapePath(cr_, state, bounds, state.cornerRadius);
    CGRect inner = CGRectInset(bounds, width, width);
    if (inner.size.width > 0 && inner.size.height > 0) {
      addRoundedRectPath(cr_, inner, std::max(0.0, state.cornerRadius - width),
                         state.continuousCorners);
    }
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
    setSourceColor(cr_, state.borderColor);
    cairo_fill(cr_);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  }
}

void LayerPainter::paintShadow(cairo_pattern_t* picture, const LayerState& state) {
  cairo_surface_t* group = nullptr;
  if (cairo_pattern_get_surface(picture, &group) != CAIRO_STATUS_SUCCESS || !group ||
      cairo_surface_get_type(group) != CAIRO_SURFACE_TYPE_IMAGE) {
    return;
  }
  cairo_surface_flush(group);
  int width = cairo_image_surface_get_width(group);
  int height = cairo_image_surface_get_height(group);
  if (width <= 0 || height <= 0) return;
  double offsetX, offsetY;
  cairo_surface_get_device_offset(group, &offsetX, &offsetY);

  cairo_matrix_t toDevice;
  cairo_get_matrix(cr_, &toDevice);
  // The platform's shadow radius is a blur of about twice the Gaussian's deviation.
  double sigma = state.shadowRadius / 2 * deviceScaleOf(toDevice);
  int margin = static_cast<int>(std::ceil(3 * sigma)) + 1;
  cairo_surface_t* mask =
      cairo_image_surface_create(CAIRO_FORMAT_A8, width + 2 * margin, height + 2 * margin);
  if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(mask);
    return;
  }
  cairo_surface_flush(mask);
  const unsigned char* source = cairo_image_surface_get_data(group);
  int sourceStride = cairo_image_surface_get_stride(group);
  unsigned char* target = cairo_image_surface_get_data(mask);
  int targetStride = cairo_image_surface_get_stride(mask);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(source + y * sourceStride);
    unsigned char* out = target + (y + margin) * targetStride + margin;
    for (int x = 0; x < width; ++x) out[x] = static_cast<unsigned char>(row[x] >> 24);
  }
  cairo_surface_mark_dirty(mask);
  CGBitmapBlur(mask, sigma);

  double dx = state.shadowOffset.width, dy = state.shadowOffset.height;
  cairo_user_to_device_distance(cr_, &dx, &dy);
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  setSourceColor(cr_, state.shadowColor, state.shadowOpacity);
  cairo_mask_surface(cr_, mask, -offsetX - margin + dx, -offsetY - margin + dy);
  cairo_restore(cr_);
  cairo_surface_destroy(mask);
}

CGRect LayerPainter::subtreeExtent(const CALayer& layer, const LayerState& state,
                                   const cairo_matrix_t& toDevice) {
  CGRect extent = transformedBounds(toDevice, drawnRect(layer, viewOfLayer(layer), state));
  if (state.hasShadow()) {
    double reach = state.shadowReach() * deviceScaleOf(toDevice);
    extent = CGRectInset(extent, -reach, -reach);
  }
  if (state.masksToBounds) return extent;
  for (const auto& sublayer : layer.sublayers()) {
    if (sublayer->isHidden()) continue;
    LayerState sub =
        LayerState::of(*sublayer, viewOfLayer(*sublayer), UIUserInterfaceStyleUnspecified, false);
    if (sub.opacity < kInvisibleOpacity || !sub.isPlaceable()) continue;
    cairo_matrix_t placement = sub.matrix(), subToDevice;
    cairo_matrix_multiply(&subToDevice, &placement, &toDevice);
    extent = CGRectUnion(extent, subtreeExtent(*sublayer, sub, subToDevice));
  }
  return extent;
}

}  // namespace render
