#pragma once

// The drawing interface that views draw their content through (drawRect:). A context keeps a
// current path, a transform, a clip and fill and stroke colours; saving the state keeps all but
// the path. Coordinates are user space: a view's bounds when the renderer asks it to draw.

#include "quartz/CGAffineTransform.h"
#include "quartz/CGColor.h"
#include "quartz/CGGeometry.h"

typedef struct CGContext* CGContextRef;

enum CGLineCap { kCGLineCapButt, kCGLineCapRound, kCGLineCapSquare };
enum CGLineJoin { kCGLineJoinMiter, kCGLineJoinRound, kCGLineJoinBevel };

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
