#pragma once

// Layout methods for every view. Each one makes its constraint(s) between the view and the given
// anchors, activates them, stops the view translating its autoresizing mask into constraints and
// returns what it made, so a caller may keep a constraint to change later.
//
// The view must already have a superview: a call on a view without one is a programming error,
// logged, and makes nothing (a null constraint or an empty list).

#include <memory>
#include <vector>

#include "uikit/UIView.h"

namespace Layout {

using Constraint = std::shared_ptr<NSLayoutConstraint>;
using Constraints = std::vector<Constraint>;

// width = width, height = height.
Constraints size(const std::shared_ptr<UIView>& view, CGFloat width, CGFloat height);
// width = value.
Constraint width(const std::shared_ptr<UIView>& view, CGFloat value);
// height = value.
Constraint height(const std::shared_ptr<UIView>& view, CGFloat value);

// top = anchor + padding.
Constraint top(const std::shared_ptr<UIView>& view, const NSLayoutYAxisAnchor& anchor,
               CGFloat padding);
// bottom = anchor + padding; pass a negative padding to inset.
Constraint bottom(const std::shared_ptr<UIView>& view, const NSLayoutYAxisAnchor& anchor,
                  CGFloat padding);
// leading = anchor + padding.
Constraint leading(const std::shared_ptr<UIView>& view, const NSLayoutXAxisAnchor& anchor,
                   CGFloat padding);
// trailing = anchor + padding; pass a negative padding to inset.
Constraint trailing(const std::shared_ptr<UIView>& view, const NSLayoutXAxisAnchor& anchor,
                    CGFloat padding);

// centre X = anchor.
Constraint x(const std::shared_ptr<UIView>& view, const NSLayoutXAxisAnchor& anchor);
// centre Y = anchor.
Constraint y(const std::shared_ptr<UIView>& view, const NSLayoutYAxisAnchor& anchor);
// centre X = ax and centre Y = ay (x:y:).
Constraints xy(const std::shared_ptr<UIView>& view, const NSLayoutXAxisAnchor& ax,
               const NSLayoutYAxisAnchor& ay);
// centre X = anchor + padding.
Constraint x(const std::shared_ptr<UIView>& view, const NSLayoutXAxisAnchor& anchor,
             CGFloat padding);
// centre Y = anchor + padding.
Constraint y(const std::shared_ptr<UIView>& view, const NSLayoutYAxisAnchor& anchor,
             CGFloat padding);

// The four edges (top, bottom, leading, trailing) equal the superview's.
Constraints fill(const std::shared_ptr<UIView>& view);

}  // namespace Layout
