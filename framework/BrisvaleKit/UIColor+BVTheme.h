#pragma once

// The framework's theme colours, for an on/off control: the "enabled" set and the "disabled" set
// differ clearly, and each follows light and dark appearance.

#include <memory>

#include "quartz/UIColor.h"

namespace BVTheme {

std::shared_ptr<UIColor> enabledColour();
std::shared_ptr<UIColor> disabledColour();
std::shared_ptr<UIColor> enabledBorderColour();
std::shared_ptr<UIColor> disabledBorderColour();
std::shared_ptr<UIColor> enabledShadowColour();
std::shared_ptr<UIColor> disabledShadowColour();

}  // namespace BVTheme
