#pragma once

#include <cairo.h>

#include <memory>
#include <optional>

#include "quartz/CALayer.h"
#include "quartz/CGColor.h"
#include "quartz/UITraitCollection.h"
#include "uikit/Forward.h"

namespace render {

// The view a layer backs, if any.
UIView* viewOfLayer(const CALayer& layer);

// A layer's values as they show now: the presentation value of each animated property, else the
// model value. A view's background colour is its own (dynamic) colour resolved for `style`.
struct LayerState {
  CGPoint position;
  CGRect bounds;
  CGPoint anchorPoint;
  CGAffineTransform transform;
  double opacity = 1;
  CGColor background{0, 0, 0, 0};
  double cornerRadius = 0;
  bool continuousCorners = false;
  double borderWidth = 0;
  CGColor borderColor;
  CGColor shadowColor;
  double shadowOpacity = 0;
  CGSize shadowOffset;
  double shadowRadius = 0;
  bool masksToBounds = false;
  // While a cross-dissolve runs on the layer: the share of the new look, 0 to 1.
  std::optional<double> transition;

  // Without colours only the geometry, opacity and shadow are read (for extents).
  static LayerState of(const CALayer& layer, const UIView* view, UIUserInterfaceStyle style,
                       bool withColours = true);

  // From the superlayer's bounds coordinates to this layer's bounds coordinates.
  cairo_matrix_t matrix() const;
  // Whether the layer can be placed at all: finite values and a transform that does not
  // flatten it (a view scaled to zero is not drawn, and must not break the rest of the frame).
  bool isPlaceable() const;
  bool hasShadow() const { return !masksToBounds && shadowOpacity > 0 && shadowColor.alpha > 0; }
  // How far the shadow may reach beyond the layer's shape, in points, in every direction.
  double shadowReach() const;
};

// Where a layer's own drawing may go, in its bounds coordinates: its bounds, and for an image
// view the image's rectangle too (an aspect-filled image overflows an unclipped view), and for a
// video layer its video's.
CGRect drawnRect(const CALayer& layer, const UIView* view, const LayerState& state);

// The rectangle's bounding box under a matrix.
CGRect transformedBounds(const cairo_matrix_t& matrix, CGRect rect);
// The smallest rectangle of whole pixels that holds the rectangle.
CGRect pixelAligned(CGRect rect);

// The style a view draws in, given the one it inherits.
UIUserInterfaceStyle styleFor(const UIView* view, UIUserInterfaceStyle inherited);
// The shared trait collection of a style, for resolving colours without allocating.
const std::shared_ptr<UITraitCollection>& traitCollectionFor(UIUserInterfaceStyle style);

}  // namespace render
