#pragma once

#include <memory>

#include "uikit/NSLayoutConstraint.h"

// One attribute of a layout item (a view or a layout guide), from which constraints are made.
// Anchors come in three kinds so that only like attributes can be related.
class NSLayoutAnchor {
 public:
  NSLayoutAnchor(std::weak_ptr<NSObject> item, NSLayoutAttribute attribute)
      : item_(std::move(item)), attribute_(attribute) {}

  id item() const { return item_.lock(); }
  NSLayoutAttribute attribute() const { return attribute_; }

 protected:
  std::shared_ptr<NSLayoutConstraint> make(NSLayoutRelation relation, const NSLayoutAnchor* other,
                                           CGFloat multiplier, CGFloat constant) const;

 private:
  std::weak_ptr<NSObject> item_;
  NSLayoutAttribute attribute_;
};

template <class Self>
class NSLayoutAxisAnchor : public NSLayoutAnchor {
 public:
  using NSLayoutAnchor::NSLayoutAnchor;

  std::shared_ptr<NSLayoutConstraint> constraintEqualToAnchor(const Self& anchor,
                                                              CGFloat constant = 0) const {
    return make(NSLayoutRelationEqual, &anchor, 1, constant);
  }
  std::shared_ptr<NSLayoutConstraint> constraintGreaterThanOrEqualToAnchor(
      const Self& anchor, CGFloat constant = 0) const {
    return make(NSLayoutRelationGreaterThanOrEqual, &anchor, 1, constant);
  }
  std::shared_ptr<NSLayoutConstraint> constraintLessThanOrEqualToAnchor(
      const Self& anchor, CGFloat constant = 0) const {
    return make(NSLayoutRelationLessThanOrEqual, &anchor, 1, constant);
  }
};

class NSLayoutXAxisAnchor : public NSLayoutAxisAnchor<NSLayoutXAxisAnchor> {
 public:
  using NSLayoutAxisAnchor::NSLayoutAxisAnchor;
};

class NSLayoutYAxisAnchor : public NSLayoutAxisAnchor<NSLayoutYAxisAnchor> {
 public:
  using NSLayoutAxisAnchor::NSLayoutAxisAnchor;
};

class NSLayoutDimension : public NSLayoutAxisAnchor<NSLayoutDimension> {
 public:
  using NSLayoutAxisAnchor::NSLayoutAxisAnchor;

  std::shared_ptr<NSLayoutConstraint> constraintEqualToConstant(CGFloat constant) const {
    return make(NSLayoutRelationEqual, nullptr, 0, constant);
  }
  std::shared_ptr<NSLayoutConstraint> constraintGreaterThanOrEqualToConstant(CGFloat c) const {
    return make(NSLayoutRelationGreaterThanOrEqual, nullptr, 0, c);
  }
  std::shared_ptr<NSLayoutConstraint> constraintLessThanOrEqualToConstant(CGFloat c) const {
    return make(NSLayoutRelationLessThanOrEqual, nullptr, 0, c);
  }
  std::shared_ptr<NSLayoutConstraint> constraintEqualToAnchor(const NSLayoutDimension& anchor,
                                                              CGFloat multiplier,
                                                              CGFloat constant) const {
    return make(NSLayoutRelationEqual, &anchor, multiplier, constant);
  }
  using NSLayoutAxisAnchor::constraintEqualToAnchor;
};
