#pragma once

#include <cairo.h>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "quartz/CGGeometry.h"
#include "quartz/Forward.h"
#include "render/LayerPainter.h"
#include "render/Renderer.h"
#include "runtime/Forward.h"
#include "uikit/Forward.h"

namespace render {

// Draws the screen frame after frame into one surface, redrawing only what changed since the
// last frame: layers that appeared, went, moved, or changed how they look (also while an
// animation runs), and views and layers that asked for display (setNeedsDisplay). A change under
// a blur view or beside a shadow redraws the whole blur or shadow, which depend on their
// surroundings. The result is the same as drawing the whole screen, except that a cross-dissolve
// transition (which needs the look before the change) fades from the last frame's pixels, while
// a full render shows its end.
class ScreenRenderer {
 public:
  explicit ScreenRenderer(const RenderOptions& options = {});
  ~ScreenRenderer();
  ScreenRenderer(const ScreenRenderer&) = delete;
  ScreenRenderer& operator=(const ScreenRenderer&) = delete;

  // Brings the frame up to date and returns the rectangles it redrew, in points (none when
  // nothing changed). The first frame is the whole screen.
  std::vector<CGRect> renderFrame();
  // The frame, ARGB32, owned by the renderer.
  cairo_surface_t* surface() const { return surface_; }
  const RenderOptions& options() const { return options_; }
  // The next frame redraws the whole screen.
  void setNeedsFullRedraw() { fullRedraw_ = true; }

  // What the renderer knows of a layer drawn in the last frame (exposed for its helpers).
  struct Record {
    std::weak_ptr<const NSObject> layer;
    // Device pixels the layer's own drawing may touch.
    CGRect extent;
    // Everything that decides how it looks, its ancestors' included.
    size_t signature;
    // A blur or a shadow: drawn from its surroundings, so redrawn whole when they change.
    bool dependsOnSurroundings;
    // The subtree's extent, for those and for a layer in a cross-dissolve.
    CGRect wholeExtent;
    // When the layer's running cross-dissolve began.
    std::optional<double> transitionBegin;
  };
  using Records = std::unordered_map<const CALayer*, Record>;

 private:
  void viewNeedsDisplay(const std::shared_ptr<UIView>& view);
  void layerNeedsDisplay(const CALayer& layer);
  // Keeps the pixels of each layer whose cross-dissolve begins, drops those whose has ended, and
  // adds the areas they cover to the damage.
  void updateTransitionSnapshots(const std::vector<std::shared_ptr<UIWindow>>& windows,
                                 const Records& records, std::vector<CGRect>& damage,
                                 CGRect screen);
  // The parts of the frame in `rect` that the new look changes, as they were: the new look is
  // painted band by band, each band's old pixels kept only where they differ from it, so that
  // no copy of the whole area is ever held.
  std::vector<LayerPainter::TransitionSnapshot::Part> changedParts(
      const std::vector<std::shared_ptr<UIWindow>>& windows, CGRect rect);

  RenderOptions options_;
  cairo_surface_t* surface_;
  bool fullRedraw_ = true;
  Records records_;
  std::vector<std::weak_ptr<const NSObject>> needDisplay_;
  LayerPainter::TransitionSnapshots snapshots_;

  friend struct DisplayRequests;
};

}  // namespace render
