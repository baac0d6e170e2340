#include "uikit/UITextInputDrawing+Private.h"

#include <algorithm>
#include <cmath>

CGColor UITextInputColor(const std::shared_ptr<UIColor>& color, CGFloat alphaFactor) {
  CGColor resolved = color ? color->CGColor() : CGColor{0, 0, 0, 1};
  resolved.alpha *= alphaFactor;
  return resolved;
}

void UITextInputAddRoundedRect(CGContextRef c, CGRect rect, CGFloat radius) {
  const double x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
  const double r = std::clamp<double>(radius, 0, std::min(w, h) / 2);
  // Where the first arc starts, so that no line joins it to what the path held before.
  CGContextMoveToPoint(c, x + w - r + r * std::cos(-M_PI / 2), y + r + r * std::sin(-M_PI / 2));
  CGContextAddArc(c, x + w - r, y + r, r, -M_PI / 2, 0, 0);
  CGContextAddArc(c, x + w - r, y + h - r, r, 0, M_PI / 2, 0);
  CGContextAddArc(c, x + r, y + h - r, r, M_PI / 2, M_PI, 0);
  CGContextAddArc(c, x + r, y + r, r, M_PI, 3 * M_PI / 2, 0);
  CGContextClosePath(c);
}
