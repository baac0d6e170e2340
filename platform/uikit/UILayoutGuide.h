#pragma once

#include <memory>

#include "quartz/CGGeometry.h"
#include "uikit/Forward.h"
#include "uikit/NSLayoutAnchor.h"

// A rectangle in a view's layout that constraints can refer to without a view: the safe area.
// It sits inside its owning view, inset by the view's safe-area insets.
class UILayoutGuide : public NSObject {
  OBJC_CLASS(UILayoutGuide, NSObject);

 public:
  std::shared_ptr<UIView> owningView() const { return owningView_.lock(); }
  CGRect layoutFrame() const;

  NSLayoutXAxisAnchor leadingAnchor() { return {weak_from_this(), NSLayoutAttributeLeading}; }
  NSLayoutXAxisAnchor trailingAnchor() { return {weak_from_this(), NSLayoutAttributeTrailing}; }
  NSLayoutXAxisAnchor leftAnchor() { return {weak_from_this(), NSLayoutAttributeLeft}; }
  NSLayoutXAxisAnchor rightAnchor() { return {weak_from_this(), NSLayoutAttributeRight}; }
  NSLayoutXAxisAnchor centerXAnchor() { return {weak_from_this(), NSLayoutAttributeCenterX}; }
  NSLayoutYAxisAnchor topAnchor() { return {weak_from_this(), NSLayoutAttributeTop}; }
  NSLayoutYAxisAnchor bottomAnchor() { return {weak_from_this(), NSLayoutAttributeBottom}; }
  NSLayoutYAxisAnchor centerYAnchor() { return {weak_from_this(), NSLayoutAttributeCenterY}; }
  NSLayoutDimension widthAnchor() { return {weak_from_this(), NSLayoutAttributeWidth}; }
  NSLayoutDimension heightAnchor() { return {weak_from_this(), NSLayoutAttributeHeight}; }

 private:
  friend class UIView;
  friend class UILayoutEngine;

  std::weak_ptr<UIView> owningView_;
};
