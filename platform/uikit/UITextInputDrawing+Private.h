#pragma once

// Drawing helpers shared by the text inputs and the keyboard, which draw their own content.

#include <memory>

#include "quartz/CGColor.h"
#include "quartz/CGContext.h"
#include "quartz/CGGeometry.h"
#include "quartz/UIColor.h"

// The colour as resolved now (black for none), its alpha multiplied by `alphaFactor`.
CGColor UITextInputColor(const std::shared_ptr<UIColor>& color, CGFloat alphaFactor = 1);
// Adds a rounded rectangle to the path (circular corners) as a subpath of its own.
void UITextInputAddRoundedRect(CGContextRef c, CGRect rect, CGFloat radius);
