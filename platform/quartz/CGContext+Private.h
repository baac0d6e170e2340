#pragma once

// The Cairo side of the drawing interface, for the layers that draw or compose
// pixels (uikit, render) and the tools that make image files. Nothing public
// includes this header.

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "quartz/CGContext.h"

// A context that draws with `cr`, which must outlive it; release it with
// CGContextRelease.
CGContextRef CGContextCreateWithCairo(cairo_t* cr);
// What the context draws with, for drawing the interface has no call for (text,
// blur).
cairo_t* CGContextGetCairo(CGContextRef c);

// The PNG bytes of an image surface; empty when it cannot be encoded.
std::vector<uint8_t> CGBitmapCopyPNGData(cairo_surface_t* surface);

// Blurs an ARGB32 (premultiplied) or A8 image surface in place with a Gaussian
// of standard deviation `sigma` pixels, made of three box blurs; pixels beyond
// the edges repeat the edge.
void CGBitmapBlur(cairo_surface_t* surface, double sigma);
// Replaces what is drawn so far under `rect` (user space) with it blurred by
// `radius` points and its saturation multiplied by `saturation`; the
// rectangle's edges extend what lies on the target. False when nothing of the
// rectangle lies on the target, so nothing was drawn.
bool CGContextDrawBlurredBackdrop(CGContextRef context, CGRect rect, CGFloat radius,
                                  CGFloat saturation);
