#include "render/LayerState.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "avfoundation/AVVideoLayer.h"
#include "quartz/CAAnimationTimeline.h"
#include "uikit/UIImageView.h"
#include "uikit/UIView.h"

namespace render {

UIView* viewOfLayer(const CALayer& layer) {
  auto delegate = layer.delegate();
  auto* view = dynamic_cast<UIView*>(delegate.get());
  // A view outlives the drawing of its layer: its superview's subviews own it.
  return view && view->layer().get() == &layer ? view : nullptr;
}

UIUserInterfaceStyle styleFor(const UIView* view, UIUserInterfaceStyle inherited) {
  if (view && view->overrideUserInterfaceStyle() != UIUserInterfaceStyleUnspecified) {
    return view->overrideUserInterfaceStyle();
  }
  return inherited;
}

const std::shared_ptr<UITraitCollection>& traitCollectionFor(UIUserInterfaceStyle style) {
  static const std::shared_ptr<UITraitCollection> collections[] = {
      UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleUnspecified),
      UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleLight),
      UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleDark),
  };
  return collections[std::clamp<long>(style, 0, 2)];
}

namespace {

template <typename T>
T presented(const CALayer& layer, std::string_view key, T model) {
  auto value = CAAnimationTimeline::presentationValue(layer, key);
  if (!value) return model;
  if (const auto* typed = std::get_if<T>(&*value)) return *typed;
  return model;
}

double presentedNumber(const CALayer& layer, std::string_view key, double model) {
  return presented<double>(layer, key, model);
}

}  // namespace

LayerState LayerState::of(const CALayer& layer, const UIView* view, UIUserInterfaceStyle style,
                          bool withColours) {
  LayerState state;
  state.position = layer.position();
  state.bounds = layer.bounds();
  state.anchorPoint = layer.anchorPoint();
  state.transform = layer.affineTransform();
  state.opacity = layer.opacity();
  state.cornerRadius = layer.cornerRadius();
  state.continuousCorners = layer.cornerCurve() == kCACornerCurveContinuous;
  state.borderWidth = layer.borderWidth();
  state.borderColor = layer.borderColor();
  state.shadowColor = layer.shadowColor();
  state.shadowOpacity = layer.shadowOpacity();
  state.shadowOffset = layer.shadowOffset();
  state.shadowRadius = layer.shadowRadius();
  state.masksToBounds = layer.masksToBounds();
  if (layer.backgroundColor()) state.background = *layer.backgroundColor();
  // A view's colour is the layer's; a view without one leaves a colour set on its layer.
  if (withColours && view && view->backgroundColor()) {
    state.background = view->backgroundColor()
                           ->resolvedColorWithTraitCollection(traitCollectionFor(style))
                           ->CGColor();
  }

  std::vector<std::string> keys = CAAnimationTimeline::animationKeys(layer);
  if (keys.empty()) return state;
  for (const std::string& key : keys) {
    if (key == "position") {
      state.position = presented(layer, key, state.position);
    } else if (key == "bounds") {
      state.bounds = presented(layer, key, state.bounds);
    } else if (key == "anchorPoint") {
      state.anchorPoint = presented(layer, key, state.anchorPoint);
    } else if (key == "transform") {
      state.transform = presented(layer, key, state.transform);
    } else if (key == "opacity") {
      state.opacity = presentedNumber(layer, key, state.opacity);
    } else if (key == "backgroundColor") {
      state.background = presented(layer, key, state.background);
    } else if (key == "cornerRadius") {
      state.cornerRadius = presentedNumber(layer, key, state.cornerRadius);
    } else if (key == "borderWidth") {
      state.borderWidth = presentedNumber(layer, key, state.borderWidth);
    } else if (key == "borderColor") {
      state.borderColor = presented(layer, key, state.borderColor);
    } else if (key == "shadowColor") {
      state.shadowColor = presented(layer, key, state.shadowColor);
    } else if (key == "shadowOpacity") {
      state.shadowOpacity = presentedNumber(layer, key, state.shadowOpacity);
    } else if (key == "shadowOffset") {
      state.shadowOffset = presented(layer, key, state.shadowOffset);
    } else if (key == "shadowRadius") {
      state.shadowRadius = presentedNumber(layer, key, state.shadowRadius);
    } else if (key == kCATransition) {
      state.transition = std::clamp(presentedNumber(layer, key, 1), 0.0, 1.0);
    }
  }
  // A spring's overshoot may carry an opacity past its ends.
  state.opacity = std::clamp(state.opacity, 0.0, 1.0);
  return state;
}

cairo_matrix_t LayerState::matrix() const {
  cairo_matrix_t matrix;
  cairo_matrix_init_translate(&matrix, position.x, position.y);
  cairo_matrix_t transformMatrix;
  cairo_matrix_init(&transformMatrix, transform.a, transform.b, transform.c, transform.d,
                    transform.tx, transform.ty);
  // Applied first: the bounds' origin to the anchor point, then the transform, then the
  // position.
  cairo_matrix_t toAnchor;
  cairo_matrix_init_translate(&toAnchor, -anchorPoint.x * bounds.size.width - bounds.origin.x,
                              -anchorPoint.y * bounds.size.height - bounds.origin.y);
  cairo_matrix_t result;
  cairo_matrix_multiply(&result, &toAnchor, &transformMatrix);
  cairo_matrix_multiply(&result, &result, &matrix);
  return result;
}

bool LayerState::isPlaceable() const {
  cairo_matrix_t placement = matrix();
  for (double v : {placement.xx, placement.yx, placement.xy, placement.yy, placement.x0,
                   placement.y0, bounds.size.width, bounds.size.height}) {
    if (!std::isfinite(v)) return false;
  }
  return cairo_matrix_invert(&placement) == CAIRO_STATUS_SUCCESS;
}

double LayerState::shadowReach() const {
  // A Gaussian of standard deviation radius / 2 fades out within three deviations.
  return 1.5 * std::max(shadowRadius, 0.0) +
         std::max(std::abs(shadowOffset.width), std::abs(shadowOffset.height)) + 1;
}

CGRect drawnRect(const CALayer& layer, const UIView* view, const LayerState& state) {
  if (const auto* video = dynamic_cast<const AVVideoLayer*>(&layer)) {
    auto frame = video->currentVideoFrame();
    if (!frame) return state.bounds;
    return CGRectUnion(state.bounds, AVVideoLayer::videoRectFor(frame->naturalSize(), state.bounds,
                                                                video->videoGravity()));
  }
  const auto* imageView = dynamic_cast<const UIImageView*>(view);
  if (!imageView || !imageView->image()) return state.bounds;
  CGRect image = UIImageView::imageRectForContentMode(imageView->image()->size(), state.bounds,
                                                      imageView->contentMode());
  return CGRectUnion(state.bounds, image);
}

CGRect transformedBounds(const cairo_matrix_t& matrix, CGRect rect) {
  double xs[4] = {rect.origin.x, rect.origin.x + rect.size.width, rect.origin.x,
                  rect.origin.x + rect.size.width};
  double ys[4] = {rect.origin.y, rect.origin.y, rect.origin.y + rect.size.height,
                  rect.origin.y + rect.size.height};
  double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  for (int i = 0; i < 4; ++i) {
    cairo_matrix_transform_point(&matrix, &xs[i], &ys[i]);
    minX = std::min(minX, xs[i]);
    maxX = std::max(maxX, xs[i]);
    minY = std::min(minY, ys[i]);
    maxY = std::max(maxY, ys[i]);
  }
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect pixelAligned(CGRect rect) {
  if (!(rect.size.width > 0 && rect.size.height > 0) || !std::isfinite(rect.origin.x) ||
      !std::isfinite(rect.origin.y) || !std::isfinite(rect.size.width) ||
      !std::isfinite(rect.size.height)) {
    return CGRectZero;
  }
  double minX = std::floor(rect.origin.x), minY = std::floor(rect.origin.y);
  double maxX = std::ceil(rect.origin.x + rect.size.width);
  double maxY = std::ceil(rect.origin.y + rect.size.height);
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

}  // namespace render
