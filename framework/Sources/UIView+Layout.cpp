#include "BrisvaleKit/UIView+Layout.h"

#include <string>

#include "foundation/NSLog.h"

namespace Layout {
namespace {

// Constraints need a common ancestor; without a superview there is nothing sensible to make.
bool hasSuperview(const std::shared_ptr<UIView>& view, const char* method) {
  if (view && view->superview()) return true;
  NSLog("BrisvaleKit: %s sent to %s, which has no superview; no constraint made", method,
        view ? view->description().c_str() : "nil");
  return false;
}

Constraints activate(const std::shared_ptr<UIView>& view, Constraints constraints) {
  view->setTranslatesAutoresizingMaskIntoConstraints(false);
  NSLayoutConstraint::activateConstraints(constraints);
  return constraints;
}

Constraint activate(const std::shared_ptr<UIView>& view, Constraint constraint) {
  activate(view, Constraints{constraint});
  return constraint;
}

}  // namespace

Constraints size(const std::shared_ptr<UIView>& view, CGFloat width, CGFloat height) {
  if (!hasSuperview(view, "size:")) return {};
  return activate(view, Constraints{view->widthAnchor().constraintEqualToConstant(width),
                                    view->heightAnchor().constraintEqualToConstant(height)});
}

Constraint width(const std::shared_ptr<UIView>& view, CGFloat value) {
  if (!hasSuperview(view, "width:")) return nullptr;
  return activate(view, view->widthAnchor().constraintEqualToConstant(value));
}

Constraint height(const std::shared_ptr<UIView>& view, CGFloat value) {
  if (!hasSuperview(view, "height:")) return nullptr;
  return activate(view, view->heightAnchor().constraintEqualToConstant(value));
}

Constraint top(const std::shared_ptr<UIView>& view, const NSLayoutYAxisAnchor& anchor,
               CGFloat padding) {
  if (!hasSuperview(view, "top:padding:")) return nullptr;
  return activate(view, view->topAnchor().constraintEqualToAnchor(anchor, padding));
}

Constraint bottom(const std::shared_ptr<UIView>& view, const NSLayoutYAxisAnchor& anchor,
                  CGFloat padding) {
  if (!hasSuperview(view, "bottom:padding:")) return nullptr;
  return activate(view, view->bottomAnchor().constraintEqualToAnchor(anchor, padding));
}

Constraint leading(const std::shared_ptr<UIView>& view, const NSLayoutXAxisAnchor& anchor,
                   CGFloat padding) {
  if (!hasSuperview(view, "leading:padding:")) return nullptr;
  return activate(view, view->leadingAnchor().constraintEqualToAnchor(anchor, padding));
}

Constraint trailing(const std::shared_ptr<UIView>& view, const NSLayoutXAxisAnchor& anchor,
                    CGFloat padding) {
  if (!hasSuperview(view, "trailing:padding:")) return nullptr;
  return activate(view, view->trailingAnchor().constraintEqualToAnchor(anchor, padding));
}

Constraint x(const std::shared_ptr<UIView>& view, const NSLayoutXAxisAnchor& anchor) {
  if (!hasSuperview(view, "x:")) return nullptr;
  return activate(view, view->centerXAnchor().constraintEqualToAnchor(anchor));
}

Constraint y(const std::shared_ptr<UIView>& view, const NSLayoutYAxisAnchor& anchor) {
  if (!hasSuperview(view, "y:")) return nullptr;
  return activate(view, view->centerYAnchor().constraintEqualToAnchor(anchor));
}

Constraints xy(const std::shared_ptr<UIView>& view, const NSLayoutXAxisAnchor& ax,
               const NSLayoutYAxisAnchor& ay) {
  if (!hasSuperview(view, "x:y:")) return {};
  return activate(view, Constraints{view->centerXAnchor().constraintEqualToAnchor(ax),
                                    view->centerYAnchor().constraintEqualToAnchor(ay)});
}

Constraint x(const std::shared_ptr<UIView>& view, const NSLayoutXAxisAnchor& anchor,
             CGFloat padding) {
  if (!hasSuperview(view, "x:padding:")) return nullptr;
  return activate(view, view->centerXAnchor().constraintEqualToAnchor(anchor, padding));
}

Constraint y(const std::shared_ptr<UIView>& view, const NSLayoutYAxisAnchor& anchor,
             CGFloat padding) {
  if (!hasSuperview(view, "y:padding:")) return nullptr;
  return activate(view, view->centerYAnchor().constraintEqualToAnchor(anchor, padding));
}

Constraints fill(const std::shared_ptr<UIView>& view) {
  if (!hasSuperview(view, "fill")) return {};
  std::shared_ptr<UIView> superview = view->superview();
  return activate(
      view,
      Constraints{view->topAnchor().constraintEqualToAnchor(superview->topAnchor()),
                  view->bottomAnchor().constraintEqualToAnchor(superview->bottomAnchor()),
                  view->leadingAnchor().constraintEqualToAnchor(superview->leadingAnchor()),
                  view->trailingAnchor().constraintEqualToAnchor(superview->trailingAnchor())});
}

}  // namespace Layout
