// Where a drawn layer tree can make a pixel differ from the pixel above it, found from the layers'
// geometry without drawing: a chat picture is mostly rows that repeat the row above (the
// background between bubbles, the flat middles of bubbles), and those need neither drawing nor
// compressing.
//
// A plain rectangle of colour changes the picture only near its top and bottom edges and, when
// its corners are rounded or it has a border, over the corners' height. Anything that draws
// content of its own (text, images, video, shadows, turned or custom layers) may change every row
// it covers, with a margin for glyphs and antialiasing that overhang it.
#pragma once

#include <cairo.h>

#include <vector>

#include "quartz/CALayer.h"
#include "quartz/UITraitCollection.h"

class VerticalChanges {
 public:
  // Device rectangles, in whole pixels and clipped to `area`, outside which every pixel drawn by
  // `root` (painted at its bounds' origin through `toDevice`, as the painter's unplaced drawing
  // does) equals the pixel above it.
  static std::vector<CGRect> of(const CALayer& root, UIUserInterfaceStyle style,
                                const cairo_matrix_t& toDevice, CGRect area);

 private:
  explicit VerticalChanges(CGRect area) : area_(area) {}
  void visit(const CALayer& layer, UIUserInterfaceStyle inherited, const cairo_matrix_t& toDevice,
             bool placed);
  void add(CGRect deviceRect);

  CGRect area_;
  std::vector<CGRect> rects_;
};
