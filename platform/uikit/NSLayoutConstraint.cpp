#include "uikit/NSLayoutConstraint.h"

#include <cstdio>
#include <regex>

#include "foundation/NSLog.h"
#include "foundation/NSString.h"
#include "uikit/UILayoutEngine+Private.h"
#include "uikit/UIView.h"

OBJC_CLASS_IMPL(NSLayoutConstraint) {}
OBJC_CLASS_IMPL(UILayoutGuide) {}

namespace {

std::shared_ptr<UIView> viewOf(const id& item) {
  if (auto view = std::dynamic_pointer_cast<UIView>(item)) return view;
  if (auto guide = std::dynamic_pointer_cast<UILayoutGuide>(item)) return guide->owningView();
  return nullptr;
}

std::shared_ptr<UIView> nearestCommonAncestor(const std::shared_ptr<UIView>& a,
                                              const std::shared_ptr<UIView>& b) {
  if (!b) return a;
  for (auto candidate = a; candidate; candidate = candidate->superview()) {
    if (b.get() == candidate.get() || b->isDescendantOfView(candidate)) return candidate;
  }
  return nullptr;
}

const char* attributeName(NSLayoutAttribute attribute) {
  static const char* names[] = {"notAnAttribute", "left",  "right",  "top",     "bottom", "leading",
                                "trailing",       "width", "height", "centerX", "centerY"};
  return attribute >= 0 && attribute <= NSLayoutAttributeCenterY ? names[attribute] : "?";
}

}  // namespace

std::shared_ptr<NSLayoutConstraint> NSLayoutConstraint::constraintWithItem(
    const id& view1, NSLayoutAttribute attribute1, NSLayoutRelation relation, const id& view2,
    NSLayoutAttribute attribute2, CGFloat multiplier, CGFloat constant) {
  auto constraint = NSLayoutConstraint::alloc();
  constraint->firstItem_ = view1;
  constraint->firstAttribute_ = attribute1;
  constraint->relation_ = relation;
  constraint->secondItem_ = view2;
  constraint->secondAttribute_ = view2 ? attribute2 : NSLayoutAttributeNotAnAttribute;
  constraint->multiplier_ = view2 ? multiplier : 0;
  constraint->constant_ = constant;
  return constraint;
}

std::vector<std::shared_ptr<NSLayoutConstraint>> NSLayoutConstraint::constraintsWithVisualFormat(
    const std::string& format, const std::shared_ptr<UIView>& view) {
  static const std::regex pattern(
      R"(^([HV]):\|(?:-(\d+(?:\.\d+)?)-)?\[\w+\](?:-(\d+(?:\.\d+)?)-)?\|$)");
  std::smatch match;
  auto superview = view ? view->superview() : nullptr;
  if (!superview || !std::regex_match(format, match, pattern)) {
    NSLog("Unable to parse constraint format: %s", format.c_str());
    return {};
  }
  bool horizontal = match[1] == "H";
  double lead = match[2].matched ? NSString::stringWithUTF8String(match[2].str().c_str())->doubleValue() : 0;
  double trail = match[3].matched ? NSString::stringWithUTF8String(match[3].str().c_str())->doubleValue() : 0;
  auto start = horizontal ? NSLayoutAttributeLeading : NSLayoutAttributeTop;
  auto end = horizontal ? NSLayoutAttributeTrailing : NSLayoutAttributeBottom;
  return {constraintWithItem(view, start, NSLayoutRelationEqual, superview, start, 1, lead),
          constraintWithItem(superview, end, NSLayoutRelationEqual, view, end, 1, trail)};
}

void NSLayoutConstraint::activateConstraints(
    const std::vector<std::shared_ptr<NSLayoutConstraint>>& list) {
  for (auto& constraint : list) constraint->setActive(true);
}

void NSLayoutConstraint::deactivateConstraints(
    const std::vector<std::shared_ptr<NSLayoutConstraint>>& list) {
  for (auto& constraint : list) constraint->setActive(false);
}

void NSLayoutConstraint::setActive(bool active) {
  if (active == isActive()) return;
  auto keep = selfAs<NSLayoutConstraint>();
  if (!active) {
    holder()->removeConstraint(keep);
    return;
  }
  auto first = viewOf(firstItem());
  auto second = viewOf(secondItem());
  auto holder = first ? nearestCommonAncestor(first, second) : nullptr;
  if (!holder) {
    NSLog("Unable to activate constraint %s: its items have no common ancestor",
          description().c_str());
    return;
  }
  holder->addConstraint(keep);
}

void NSLayoutConstraint::setConstant(CGFloat constant) {
  if (constant_ == constant) return;
  constant_ = constant;
  if (auto view = holder()) {
    if (UILayoutEngine* engine = view->existingEngine()) engine->constantDidChange(*this);
    view->setNeedsLayout();
  }
}

void NSLayoutConstraint::setPriority(UILayoutPriority priority) {
  bool wasRequired = priority_ >= UILayoutPriorityRequired;
  bool required = priority >= UILayoutPriorityRequired;
  if (isActive() && wasRequired != required) {
    NSLog("Mutating a priority from required to not on an installed constraint is not supported");
    return;
  }
  priority_ = priority;
  if (auto view = holder()) {
    if (UILayoutEngine* engine = view->existingEngine()) engine->addConstraint(*this);
    view->setNeedsLayout();
  }
}

std::string NSLayoutConstraint::description() const {
  auto name = [](const id& item) { return item ? item->description() : std::string("nil"); };
  const char* relation = relation_ == NSLayoutRelationEqual             ? "=="
                         : relation_ == NSLayoutRelationLessThanOrEqual ? "<="
                                                                        : ">=";
  char tail[96];
  std::snprintf(tail, sizeof tail, " * %g + %g @%g", multiplier_, constant_, priority_);
  std::string text = "<NSLayoutConstraint " + name(firstItem()) + "." +
                     attributeName(firstAttribute_) + " " + relation + " ";
  if (secondItem()) {
    text += name(secondItem()) + "." + attributeName(secondAttribute_) + tail;
  } else {
    std::snprintf(tail, sizeof tail, "%g @%g", constant_, priority_);
    text += tail;
  }
  return text + ">";
}

std::shared_ptr<NSLayoutConstraint> NSLayoutAnchor::make(NSLayoutRelation relation,
                                                         const NSLayoutAnchor* other,
                                                         CGFloat multiplier,
                                                         CGFloat constant) const {
  return NSLayoutConstraint::constraintWithItem(
      item(), attribute_, relation, other ? other->item() : nullptr,
      other ? other->attribute() : NSLayoutAttributeNotAnAttribute, multiplier, constant);
}

CGRect UILayoutGuide::layoutFrame() const {
  auto owner = owningView();
  if (!owner) return CGRectZero;
  return UIEdgeInsetsInsetRect(owner->bounds(), owner->safeAreaInsets());
}
