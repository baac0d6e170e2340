#pragma once

#include <functional>
#include <memory>

#include "quartz/CGContext.h"
#include "quartz/CGGeometry.h"
#include "uikit/Forward.h"

// The graphics context that drawRect: draws into. The renderer pushes a context (already
// translated to the view's bounds) before asking a view to draw and pops it afterwards.
CGContextRef UIGraphicsGetCurrentContext();
void UIGraphicsPushContext(CGContextRef context);
void UIGraphicsPopContext();

// Where setNeedsDisplay reports a view whose content changed (the rectangle is in the view's
// bounds). The renderer installs an observer to collect damage; without one nothing is kept.
using UIDisplayDamageObserver = std::function<void(const std::shared_ptr<UIView>&, CGRect)>;
void UIGraphicsSetDamageObserver(UIDisplayDamageObserver observer);
void UIGraphicsReportDamage(const std::shared_ptr<UIView>& view, CGRect rect);
