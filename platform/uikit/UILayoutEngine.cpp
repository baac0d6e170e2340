#include "uikit/UILayoutEngine+Private.h"

#include <cmath>

#include "foundation/NSLog.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/UILayoutGuide.h"
#include "uikit/UIView.h"

using cassowary::Constraint;
using cassowary::Expression;
using cassowary::Relation;
using cassowary::SolverStatus;
using cassowary::Variable;

namespace {

// Class and address: enough to find the item from a log line. A view's own description formats
// its frame, which cost more than solving its constraints and was stale once it moved.
std::string itemName(const NSObject& item) {
  return item.NSObject::description();
}

// The flexible parts of one axis, in proportion to their sizes (equally when those are all zero).
UIAutoresizingShare::Axis axisShare(bool flexibleLeading, bool flexibleSize, bool flexibleTrailing,
                                    double leading, double size, double trailing) {
  double total = (flexibleLeading ? leading : 0) + (flexibleSize ? size : 0) +
                 (flexibleTrailing ? trailing : 0);
  int count = flexibleLeading + flexibleSize + flexibleTrailing;
  UIAutoresizingShare::Axis share;
  if (count == 0) return share;
  if (total <= 0) {
    share.margin = flexibleLeading ? 1.0 / count : 0;
    share.size = flexibleSize ? 1.0 / count : 0;
  } else {
    share.margin = flexibleLeading ? leading / total : 0;
    share.size = flexibleSize ? size / total : 0;
  }
  return share;
}

bool sameButConstant(const Constraint& a, const Constraint& b) {
  if (a.relation() != b.relation() || a.priority() != b.priority()) return false;
  const auto& x = a.expression().terms();
  const auto& y = b.expression().terms();
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i) {
    if (!x[i].variable.isSameAs(y[i].variable) || x[i].coefficient != y[i].coefficient) {
      return false;
    }
  }
  return true;
}

}  // namespace

UIAutoresizingShare UIAutoresizingShareOf(UIViewAutoresizing mask, CGRect frame,
                                          CGSize superviewSize) {
  return {
      axisShare(mask & UIViewAutoresizingFlexibleLeftMargin, mask & UIViewAutoresizingFlexibleWidth,
                mask & UIViewAutoresizingFlexibleRightMargin, frame.origin.x, frame.size.width,
                superviewSize.width - frame.origin.x - frame.size.width),
      axisShare(mask & UIViewAutoresizingFlexibleTopMargin, mask & UIViewAutoresizingFlexibleHeight,
                mask & UIViewAutoresizingFlexibleBottomMargin, frame.origin.y, frame.size.height,
                superviewSize.height - frame.origin.y - frame.size.height)};
}

UILayoutEngine::Item& UILayoutEngine::ensureItem(NSObject& item) {
  auto found = items_.find(&item);
  if (found != items_.end()) return found->second;
  if (auto* view = dynamic_cast<UIView*>(&item)) return ensureView(*view);
  auto& guide = dynamic_cast<UILayoutGuide&>(item);
  auto owner = guide.owningView();
  if (owner) ensureView(*owner);
  Item& created = items_.emplace(&item, Item(itemName(item))).first->second;
  pinGuide(guide, created);
  return created;
}

UILayoutEngine::Item& UILayoutEngine::ensureView(UIView& view) {
  auto found = items_.find(&view);
  if (found != items_.end()) return found->second;
  // The superview's position is what this view's frame is measured from.
  if (auto superview = view.superview()) ensureView(*superview);
  Item& item = items_.emplace(&view, Item(itemName(view))).first->second;
  pinView(view, item);
  addIntrinsic(view, item);
  return item;
}

void UILayoutEngine::add(const Constraint& constraint) {
  SolverStatus status = solver_.addConstraint(constraint);
  if (status != SolverStatus::ok) {
    NSLog("Unable to satisfy layout constraint %s (%s)", constraint.description().c_str(),
          cassowary::describe(status));
  }
  changed_ = true;
}

// A frame or an intrinsic size that changes mostly changes constants only: those move in place,
// which costs a fraction of taking the constraints out and solving them in again.
void UILayoutEngine::replaceAll(std::vector<Constraint>& held, std::vector<Constraint> wanted) {
  if (held.size() != wanted.size()) {
    dropAll(held);
    held = std::move(wanted);
    for (auto& constraint : held) add(constraint);
    return;
  }
  // Everything that goes goes first, as when all are dropped and added again.
  std::vector<size_t> remade;
  for (size_t i = 0; i < held.size(); ++i) {
    if (solver_.hasConstraint(held[i]) && sameButConstant(held[i], wanted[i])) continue;
    if (solver_.hasConstraint(held[i])) (void)solver_.removeConstraint(held[i]);
    remade.push_back(i);
  }
  for (size_t i = 0; i < held.size(); ++i) {
    double constant = wanted[i].expression().constant();
    if (!solver_.hasConstraint(held[i]) || held[i].expression().constant() == constant) continue;
    changed_ = true;
    if (solver_.changeConstant(held[i], constant) == SolverStatus::ok) continue;
    (void)solver_.removeConstraint(held[i]);
    remade.push_back(i);
  }
  for (size_t i : remade) {
    held[i] = wanted[i];
    add(held[i]);
  }
}

void UILayoutEngine::dropAll(std::vector<Constraint>& list) {
  for (auto& constraint : list) {
    if (solver_.hasConstraint(constraint)) (void)solver_.removeConstraint(constraint);
  }
  list.clear();
  changed_ = true;
}

void UILayoutEngine::pinView(UIView& view, Item& item) {
  std::vector<Constraint> pins;
  auto superview = view.superview();
  if (!superview) {
    // The root is the engine's origin; its size comes from its frame unless constraints give it.
    pins.push_back(Expression(item.left) == 0);
    pins.push_back(Expression(item.top) == 0);
    if (view.translatesAutoresizingMaskIntoConstraints()) {
      pins.push_back(Expression(item.width) == view.bounds().size.width);
      pins.push_back(Expression(item.height) == view.bounds().size.height);
    }
  } else if (view.translatesAutoresizingMaskIntoConstraints()) {
    Item& parent = items_.at(superview.get());
    CGRect frame = view.frame();
    CGSize parentSize = superview->bounds().size;
    UIAutoresizingShare share = UIAutoresizingShareOf(view.autoresizingMask(), frame, parentSize);
    const UIAutoresizingShare::Axis &x = share.x, &y = share.y;
    Expression growX = Expression(parent.width) - parentSize.width;
    Expression growY = Expression(parent.height) - parentSize.height;
    pins.push_back(Expression(item.left) ==
                   Expression(parent.left) + frame.origin.x + growX * x.margin);
    pins.push_back(Expression(item.top) ==
                   Expression(parent.top) + frame.origin.y + growY * y.margin);
    pins.push_back(Expression(item.width) == frame.size.width + growX * x.size);
    pins.push_back(Expression(item.height) == frame.size.height + growY * y.size);
  }
  replaceAll(item.pins, std::move(pins));
}

void UILayoutEngine::pinGuide(UILayoutGuide& guide, Item& item) {
  auto owner = guide.owningView();
  if (!owner) {
    dropAll(item.pins);
    return;
  }
  std::vector<Constraint> pins;
  Item& view = items_.at(owner.get());
  UIEdgeInsets insets = owner->safeAreaInsets();
  item.guideInsets = insets;
  pins.push_back(Expression(item.left) == Expression(view.left) + insets.left);
  pins.push_back(Expression(item.top) == Expression(view.top) + insets.top);
  pins.push_back(Expression(item.width) == Expression(view.width) - (insets.left + insets.right));
  pins.push_back(Expression(item.height) == Expression(view.height) - (insets.top + insets.bottom));
  replaceAll(item.pins, std::move(pins));
}

void UILayoutEngine::addIntrinsic(UIView& view, Item& item) {
  if (view.translatesAutoresizingMaskIntoConstraints()) {
    dropAll(item.intrinsic);
    return;
  }
  std::vector<Constraint> intrinsic;
  CGSize size = view.intrinsicContentSize();
  const Variable* variables[2] = {&item.width, &item.height};
  double values[2] = {size.width, size.height};
  for (int axis = 0; axis < 2; ++axis) {
    if (values[axis] == UIViewNoIntrinsicMetric) continue;
    auto theAxis = static_cast<UILayoutConstraintAxis>(axis);
    double hugging = view.contentHuggingPriorityForAxis(theAxis);
    double resistance = view.contentCompressionResistancePriorityForAxis(theAxis);
    Expression dimension(*variables[axis]);
    intrinsic.push_back(Constraint(dimension <= values[axis], hugging));
    intrinsic.push_back(Constraint(dimension >= values[axis], resistance));
  }
  replaceAll(item.intrinsic, std::move(intrinsic));
}

void UILayoutEngine::appendAttribute(std::vector<cassowary::Term>& terms, Item& item,
                                     long attribute, double factor) {
  switch (attribute) {
    case NSLayoutAttributeLeft:
    case NSLayoutAttributeLeading:
      terms.push_back({item.left, factor});
      break;
    case NSLayoutAttributeRight:
    case NSLayoutAttributeTrailing:
      terms.push_back({item.left, factor});
      terms.push_back({item.width, factor});
      break;
    case NSLayoutAttributeTop:
      terms.push_back({item.top, factor});
      break;
    case NSLayoutAttributeBottom:
      terms.push_back({item.top, factor});
      terms.push_back({item.height, factor});
      break;
    case NSLayoutAttributeWidth:
      terms.push_back({item.width, factor});
      break;
    case NSLayoutAttributeHeight:
      terms.push_back({item.height, factor});
      break;
    case NSLayoutAttributeCenterX:
      terms.push_back({item.left, factor});
      terms.push_back({item.width, factor * 0.5});
      break;
    case NSLayoutAttributeCenterY:
      terms.push_back({item.top, factor});
      terms.push_back({item.height, factor * 0.5});
      break;
    default:
      break;
  }
}

void UILayoutEngine::addConstraint(NSLayoutConstraint& constraint) {
  removeConstraint(constraint);
  id first = constraint.firstItem();
  if (!first) return;
  // first - (multiplier * second + constant), built in one go: this runs for every constraint.
  std::vector<cassowary::Term> terms;
  terms.reserve(4);
  appendAttribute(terms, ensureItem(*first), constraint.firstAttribute(), 1);
  if (id second = constraint.secondItem()) {
    appendAttribute(terms, ensureItem(*second), constraint.secondAttribute(),
                    -constraint.multiplier());
  }
  Relation relation = constraint.relation() == NSLayoutRelationEqual ? Relation::equal
                      : constraint.relation() == NSLayoutRelationLessThanOrEqual
                          ? Relation::lessThanOrEqual
                          : Relation::greaterThanOrEqual;
  Constraint made(Expression(std::move(terms), -constraint.constant()), relation,
                  std::min<double>(constraint.priority(), 1000));
  changed_ = true;
  if (solver_.addConstraint(made) != SolverStatus::ok) {
    constraint.inEngine_ = false;
    if (!constraint.reportedUnsatisfiable_) {
      constraint.reportedUnsatisfiable_ = true;
      NSLog("Unable to simultaneously satisfy constraints. Will attempt to recover by breaking %s",
            constraint.description().c_str());
    }
    return;
  }
  constraint.inEngine_ = true;
  constraints_.emplace(&constraint, made);
}

void UILayoutEngine::constantDidChange(NSLayoutConstraint& constraint) {
  auto found = constraints_.find(&constraint);
  if (found == constraints_.end()) {
    addConstraint(constraint);  // left out before: it may fit now
    return;
  }
  changed_ = true;
  // The attributes' expressions have no constants of their own: the constant is all there is.
  if (solver_.changeConstant(found->second, -constraint.constant()) == SolverStatus::ok) return;
  addConstraint(constraint);  // refused: reported and left out as a new constraint would be
}

void UILayoutEngine::removeConstraint(NSLayoutConstraint& constraint) {
  auto found = constraints_.find(&constraint);
  constraint.inEngine_ = false;
  if (found == constraints_.end()) return;
  (void)solver_.removeConstraint(found->second);
  constraints_.erase(found);
  changed_ = true;
}

void UILayoutEngine::removeItem(UIView& view) {
  for (NSObject* item :
       {static_cast<NSObject*>(&view), static_cast<NSObject*>(view.safeAreaLayoutGuide_.get())}) {
    auto found = items_.find(item);
    if (found == items_.end()) continue;
    dropAll(found->second.pins);
    dropAll(found->second.intrinsic);
    items_.erase(found);
  }
}

void UILayoutEngine::frameDidChange(UIView& view) {
  auto found = items_.find(&view);
  if (found == items_.end() || !view.translatesAutoresizingMaskIntoConstraints()) return;
  pinView(view, found->second);
}

void UILayoutEngine::intrinsicContentSizeDidChange(UIView& view) {
  auto found = items_.find(&view);
  if (found != items_.end()) addIntrinsic(view, found->second);
}

void UILayoutEngine::translatesAutoresizingMaskDidChange(UIView& view) {
  auto found = items_.find(&view);
  if (found == items_.end()) return;
  pinView(view, found->second);
  addIntrinsic(view, found->second);
}

bool UILayoutEngine::refreshLayoutGuides() {
  bool moved = false;
  for (auto& [object, item] : items_) {
    auto* guide = dynamic_cast<const UILayoutGuide*>(object);
    if (!guide) continue;
    auto owner = guide->owningView();
    if (!owner) continue;
    UIEdgeInsets insets = owner->safeAreaInsets();
    if (insets == item.guideInsets) continue;
    pinGuide(const_cast<UILayoutGuide&>(*guide), item);
    moved = true;
  }
  return moved;
}

CGRect UILayoutEngine::engineFrame(const NSObject& object) const {
  auto found = items_.find(&object);
  if (found == items_.end()) return CGRectZero;
  const Item& item = found->second;
  return CGRectMake(solver_.value(item.left), solver_.value(item.top), solver_.value(item.width),
                    solver_.value(item.height));
}

bool UILayoutEngine::takeChanged() {
  bool changed = changed_;
  changed_ = false;
  return changed;
}
