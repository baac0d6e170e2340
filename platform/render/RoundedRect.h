#pragma once

#include <cairo.h>

#include "quartz/CGGeometry.h"

namespace render {

// Adds the outline of a rectangle with rounded corners to the context's path. A radius larger
// than half the shorter side is limited to it. Continuous corners blend into the straight edges
// without a jump in curvature: they begin further from the corner than a circular arc of the
// same radius (about 1.53 radii) and meet it near the diagonal; where the rectangle is too short
// for that they shrink towards a circular arc.
void addRoundedRectPath(cairo_t* cr, CGRect rect, CGFloat radius, bool continuous);

}  // namespace render
