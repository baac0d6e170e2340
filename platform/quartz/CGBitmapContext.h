#pragma once

// A context that draws into pixels of its own: premultiplied 32-bit ARGB, device RGB, at first
// transparent. User space is the pixels, y running down.

#include <cstddef>

#include "quartz/CGContext.h"
#include "quartz/CGImage.h"

// NULL for a size that is zero or too large to allocate. Release it with CGContextRelease.
CGContextRef CGBitmapContextCreate(size_t width, size_t height);
// An image of what is drawn so far; later drawing does not change it. NULL for a context that is
// not a bitmap context.
CGImageRef CGBitmapContextCreateImage(CGContextRef c);
