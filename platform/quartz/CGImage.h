#pragma once

// A bitmap image: premultiplied 32-bit ARGB pixels, device RGB, immutable once made. Images are
// reference counted: the functions that create one return it retained, and whoever holds one
// retains it and releases it when done. A getter's image is the holder's, not retained.

#include <cstddef>
#include <memory>

typedef struct CGImage* CGImageRef;

size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);

// Both take NULL and do nothing with it.
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);

// A strong reference for members that keep an image: retained now, released with its last copy.
inline std::shared_ptr<CGImage> CGImageHold(CGImageRef image) {
  return {CGImageRetain(image), CGImageRelease};
}
