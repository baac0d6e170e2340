#pragma once

#include <cairo.h>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "quartz/CALayer.h"
#include "quartz/UITraitCollection.h"
#include "render/LayerState.h"

namespace render {

// Draws layer trees into a Cairo context the way the platform composites them: for each layer
// its shadow, background, content (the layer's image and own drawing, then the view's drawRect:),
// sublayers clipped to the layer's shape when it masks to bounds, and its border on top; a layer
// that is not opaque, or casts a shadow, is composited as one picture.
class LayerPainter {
 public:
  // The context's matrix maps the coordinates the layers are placed in to device pixels.
  explicit LayerPainter(cairo_t* cr) : cr_(cr) {}

  // Layers wholly outside these device rectangles are skipped (nothing is skipped by default).
  void setCullRects(std::vector<CGRect> deviceRects) { cull_ = std::move(deviceRects); }

  // How a layer looked on screen when its cross-dissolve began: device pixels of the frame,
  // kept only in the parts that the new look changes (elsewhere old and new agree).
  struct TransitionSnapshot {
    struct Part {
      std::shared_ptr<cairo_surface_t> pixels;
      CGRect deviceRect;
    };
    std::vector<Part> parts;
    // All that the fade covers.
    CGRect deviceRect;
    double beginTime;
  };
  using TransitionSnapshots = std::unordered_map<const CALayer*, TransitionSnapshot>;
  // A layer with a snapshot here fades from it to its new look (the snapshots outlive the
  // painter). Without one, the new look shows at once.
  void setTransitionSnapshots(const TransitionSnapshots* snapshots) { snapshots_ = snapshots; }

  // A layer placed in the current coordinates, and its subtree. `inherited` is the appearance of
  // the superview (a view without an override of its own draws in it).
  void paintLayer(const CALayer& layer, UIUserInterfaceStyle inherited);
  // A layer drawn at its bounds' origin, its position and transform left out.
  void paintLayerUnplaced(const CALayer& layer, UIUserInterfaceStyle inherited);

  // The device rectangle the subtree of a layer may touch (shadows included) when placed with
  // the given matrix from its bounds to the device.
  static CGRect subtreeExtent(const CALayer& layer, const LayerState& state,
                              const cairo_matrix_t& toDevice);

 private:
  void paint(const CALayer& layer, UIView* view, const LayerState& state,
             UIUserInterfaceStyle style);
  void paintBody(const CALayer& layer, UIView* view, const LayerState& state,
                 UIUserInterfaceStyle style, bool ownPartVisible);
  void paintShadow(cairo_pattern_t* picture, const LayerState& state);
  bool isCulled(CGRect deviceRect) const;

  cairo_t* cr_;
  void paintTransition(const CALayer& layer, const LayerState& state);

  std::optional<std::vector<CGRect>> cull_;
  const TransitionSnapshots* snapshots_ = nullptr;
};

}  // namespace render
