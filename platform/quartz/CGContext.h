#pragma once

// The drawing interface that views draw their content through (drawRect:). A context keeps a
// current path, a transform, a clip and fill and stroke colours; saving the state keeps all but
// the path. Coordinates are user space: a view's bounds when the renderer asks it to draw.

#include "quartz/CGAffineTransform.h"
#include "quartz/CGColor.h"
#include "quartz/CGGeometry.h"
#include "quartz/CGImage.h"

typedef struct CGContext* CGContextRef;

enum CGLineCap { kCGLineCapButt, kCGLineCapRound, kCGLineCapSquare };
enum CGLineJoin { kCGLineJoinMiter, kCGLineJoinRound, kCGLineJoinBevel };
// How images are sampled where they are drawn at another size than their own.
enum CGInterpolationQuality {
  kCGInterpolationDefault = 0,
  kCGInterpolationNone = 1,  // the nearest pixel
  kCGInterpolationLow = 2,
  kCGInterpolationMedium = 4,
  kCGInterpolationHigh = 3,
};

void CGContextRelease(CGContextRef c);

void CGContextSaveGState(CGContextRef c);
void CGContextRestoreGState(CGContextRef c);

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);
// The transform from user space to device pixels.
CGAffineTransform CGContextGetCTM(CGContextRef c);

void CGContextSetFillColorWithColor(CGContextRef c, const CGColor& color);
void CGContextSetStrokeColorWithColor(CGContextRef c, const CGColor& color);
void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue,
                              CGFloat alpha);
void CGContextSetLineWidth(CGContextRef c, CGFloat width);
void CGContextSetLineCap(CGContextRef c, CGLineCap cap);
void CGContextSetLineJoin(CGContextRef c, CGLineJoin join);
void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality);

// The current path.
void CGContextBeginPath(CGContextRef c);
void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y);
void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y);
// An arc about (x, y) from one angle to the other (radians from the x axis towards the y axis;
// `clockwise` 1 turns the other way), joined to the path by a line.
void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle,
                     CGFloat endAngle, int clockwise);
void CGContextAddRect(CGContextRef c, CGRect rect);
void CGContextClosePath(CGContextRef c);
// Fill or stroke the current path with the fill or stroke colour; the path is used up.
void CGContextFillPath(CGContextRef c);
void CGContextStrokePath(CGContextRef c);
void CGContextFillRect(CGContextRef c, CGRect rect);
// Intersects the clip with the current path (used up) or with a rectangle.
void CGContextClip(CGContextRef c);
void CGContextClipToRect(CGContextRef c, CGRect rect);
// Intersects the clip with the rectangle and, inside it, with the image's alpha stretched over it:
// later drawing shows where the image is opaque (a template image filled with a tint).
void CGContextClipToMask(CGContextRef c, CGRect rect, CGImageRef mask);

// Draws the image stretched over the rectangle, upright in user space (its first row at the
// rectangle's top), sampled at the interpolation quality; its edge pixels extend to the
// rectangle's edges rather than fading.
void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image);
