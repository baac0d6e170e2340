#pragma once

// Detaches a view from every layout constraint that involves it, so that it can be laid out
// again from scratch (reused cells do this before laying themselves out).

#include <memory>

#include "uikit/UIView.h"

// In this order: every constraint that an ancestor (from the superview up to the root) holds and
// whose first or second item is `view`; then every constraint that `view` holds itself (its size
// and those among its subviews); then autoresizing translation goes back on. Constraints that an
// ancestor holds between other views are left alone.
void removeAllConstraints(const std::shared_ptr<UIView>& view);
