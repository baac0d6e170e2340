#pragma once

// What the automation sees of the screen: the text a view shows, whether it can be seen, where
// it is in screen points, and the whole view tree as JSON.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quartz/CGGeometry.h"
#include "uikit/Forward.h"

namespace sim {

// The whole text of a label (a button's title is its label's), a text field or a text view.
std::optional<std::string> displayedText(const UIView& view);

// The view's frame in screen points.
CGRect frameInScreen(const UIView& view);

// Not hidden and not transparent, nor any of its ancestors, and at least partly on the screen.
bool isVisibleOnScreen(const UIView& view);

// Every visible view whose text is exactly `text`, in drawing order (windows back to front,
// each tree depth first).
std::vector<std::shared_ptr<UIView>> visibleViewsShowingText(const std::string& text);

// The view tree of every window, back to front, as a JSON array.
std::string dumpWindowsAsJSON();

}  // namespace sim
