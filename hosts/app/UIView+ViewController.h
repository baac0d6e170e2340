#pragma once

#include <memory>

#include "uikit/Forward.h"

// The app's category on UIView: `viewController`, the controller that owns a view, found by
// walking the responder chain up from it. Added to UIView through the runtime at start, so code
// injected into the app can send it by name.
namespace UIViewViewController {

void install();
std::shared_ptr<UIViewController> viewController(const std::shared_ptr<UIView>& view);

}  // namespace UIViewViewController
