#pragma once

#include <memory>
#include <string>
#include <vector>

#include "quartz/CGGeometry.h"
#include "runtime/NSObject.h"
#include "uikit/Forward.h"

enum NSLayoutAttribute : long {
  NSLayoutAttributeNotAnAttribute = 0,
  NSLayoutAttributeLeft = 1,
  NSLayoutAttributeRight,
  NSLayoutAttributeTop,
  NSLayoutAttributeBottom,
  NSLayoutAttributeLeading,
  NSLayoutAttributeTrailing,
  NSLayoutAttributeWidth,
  NSLayoutAttributeHeight,
  NSLayoutAttributeCenterX,
  NSLayoutAttributeCenterY,
};

enum NSLayoutRelation : long {
  NSLayoutRelationLessThanOrEqual = -1,
  NSLayoutRelationEqual = 0,
  NSLayoutRelationGreaterThanOrEqual = 1,
};

using UILayoutPriority = float;
inline constexpr UILayoutPriority UILayoutPriorityRequired = 1000;
inline constexpr UILayoutPriority UILayoutPriorityDefaultHigh = 750;
inline constexpr UILayoutPriority UILayoutPriorityDefaultLow = 250;
inline constexpr UILayoutPriority UILayoutPriorityFittingSizeLevel = 50;

// first.attribute relation multiplier * second.attribute + constant, at a priority. Items are a
// view or a layout guide, held weakly: the view that holds the constraint owns it, and the
// constraint must not keep its items alive.
class NSLayoutConstraint : public NSObject {
  OBJC_CLASS(NSLayoutConstraint, NSObject);

 public:
  static std::shared_ptr<NSLayoutConstraint> constraintWithItem(
      const id& view1, NSLayoutAttribute attribute1, NSLayoutRelation relation, const id& view2,
      NSLayoutAttribute attribute2, CGFloat multiplier, CGFloat constant);
  // "H:|[v]|" and "V:|[v]|" (optionally with "-N-" spacing to the edges), the forms in use.
  static std::vector<std::shared_ptr<NSLayoutConstraint>> constraintsWithVisualFormat(
      const std::string& format, const std::shared_ptr<UIView>& view);

  static void activateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& list);
  static void deactivateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& list);

  id firstItem() const { return firstItem_.lock(); }
  NSLayoutAttribute firstAttribute() const { return firstAttribute_; }
  NSLayoutRelation relation() const { return relation_; }
  id secondItem() const { return secondItem_.lock(); }
  NSLayoutAttribute secondAttribute() const { return secondAttribute_; }
  CGFloat multiplier() const { return multiplier_; }

  CGFloat constant() const { return constant_; }
  void setConstant(CGFloat constant);
  UILayoutPriority priority() const { return priority_; }
  // Changing between required and optional on an active constraint is refused, as on the platform.
  void setPriority(UILayoutPriority priority);

  // Activating adds the constraint to the nearest common ancestor of its items; deactivating
  // removes it from there. Items in different hierarchies cannot be constrained: logged, refused.
  bool isActive() const { return !holder_.expired(); }
  void setActive(bool active);

  const std::string& identifier() const { return identifier_; }
  void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }

  // The view that holds the constraint while it is active.
  std::shared_ptr<UIView> holder() const { return holder_.lock(); }
  std::string description() const override;

 private:
  friend class UIView;
  friend class UILayoutEngine;

  std::weak_ptr<NSObject> firstItem_;
  NSLayoutAttribute firstAttribute_ = NSLayoutAttributeNotAnAttribute;
  NSLayoutRelation relation_ = NSLayoutRelationEqual;
  std::weak_ptr<NSObject> secondItem_;
  NSLayoutAttribute secondAttribute_ = NSLayoutAttributeNotAnAttribute;
  CGFloat multiplier_ = 1;
  CGFloat constant_ = 0;
  UILayoutPriority priority_ = UILayoutPriorityRequired;
  std::string identifier_;
  std::weak_ptr<UIView> holder_;
  // Whether the engine currently holds it (false when it was unsatisfiable and left out).
  bool inEngine_ = false;
  // Set once the constraint has been reported unsatisfiable, so the log says it once.
  bool reportedUnsatisfiable_ = false;
};
