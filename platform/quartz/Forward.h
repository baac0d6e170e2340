#pragma once

// The public classes of Core Animation and Core Graphics, declared, for headers that only name
// them.

class CAAnimation;
class CAAnimationTimeline;
class CALayer;
class CAMediaTimingFunction;
class CATransaction;
class UIColor;
class UITraitCollection;
struct CGAffineTransform;
struct CGColor;
struct CGPoint;
struct CGRect;
struct CGSize;
struct UIEdgeInsets;
typedef struct CGContext* CGContextRef;
typedef struct CGImage* CGImageRef;
