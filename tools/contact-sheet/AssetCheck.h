// Checks the rendered PNGs against what the manifest promises, so that a careless edit of an SVG
// fails the build's checks instead of showing up later as a blurred, clipped or tinted-wrong icon.
#pragma once

#include <string>
#include <vector>

#include "Manifest.h"

namespace parlo::sheet {

// One line per problem, naming the image; empty when every image is as promised:
// - the PNG loads and is three times its canvas (rounded up, as librsvg does);
// - every drawn size has the shape of the canvas;
// - a template image is black wherever it has ink, since the tint replaces its colour;
// - a template image, or one made for the call screen, keeps its outermost pixels clear: ink
//   there is almost always a stroke cut off by the canvas.
std::vector<std::string> checkAssets(const Manifest& manifest);

}  // namespace parlo::sheet
