#pragma once

// Drawing helpers shared by the text inputs and the keyboard, which draw their own content.

#include <cairo.h>

#include <memory>

#include "quartz/CGGeometry.h"
#include "quartz/UIColor.h"

// The colour as resolved now, its alpha multiplied by `alphaFactor`.
void UITextInputSetColor(cairo_t* cr, const std::shared_ptr<UIColor>& color,
                         CGFloat alphaFactor = 1);
// Adds a rounded rectangle to the path (circular corners).
void UITextInputAddRoundedRect(cairo_t* cr, CGRect rect, CGFloat radius);
