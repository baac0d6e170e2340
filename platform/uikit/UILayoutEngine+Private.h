#pragma once

// The Auto Layout engine of one view hierarchy, owned by its root.
// Every item (view or layout guide) that takes part has four variables in the root's space
// (left, top, width, height), where a view's position ignores its superview's bounds origin so
// that constraints inside a scrolling view refer to its content. Views that translate their
// autoresizing mask are pinned to their frames; views with an intrinsic size get hugging and
// compression-resistance constraints.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "layout/Cassowary.h"
#include "quartz/CGGeometry.h"
#include "runtime/Forward.h"
#include "uikit/Forward.h"

enum UIViewAutoresizing : unsigned long;

// How a view's autoresizing mask shares a change of its superview's size, per axis: the fraction
// of the change its leading margin moves by and the fraction its size grows by. The flexible
// parts share it in proportion to their sizes in the frame (equally when those are all zero).
// Views outside the engine and the engine's pins resize alike through it.
struct UIAutoresizingShare {
  struct Axis {
    double margin = 0;
    double size = 0;
  };
  Axis x, y;
};
UIAutoresizingShare UIAutoresizingShareOf(UIViewAutoresizing mask, CGRect frame,
                                          CGSize superviewSize);

class UILayoutEngine {
 public:
  UILayoutEngine() = default;
  UILayoutEngine(const UILayoutEngine&) = delete;
  UILayoutEngine& operator=(const UILayoutEngine&) = delete;

  // Constraints held by views of this hierarchy.
  void addConstraint(NSLayoutConstraint& constraint);
  void removeConstraint(NSLayoutConstraint& constraint);
  // The constraint's constant changed; moved in place in the solver.
  void constantDidChange(NSLayoutConstraint& constraint);
  // Forgets a view (and its guide) that leaves the hierarchy.
  void removeItem(UIView& view);

  // Called by views when what they contribute changes.
  void frameDidChange(UIView& view);
  void intrinsicContentSizeDidChange(UIView& view);
  void translatesAutoresizingMaskDidChange(UIView& view);
  // Moves safe-area guides whose insets changed; true when something moved.
  bool refreshLayoutGuides();

  bool contains(const NSObject& item) const { return items_.count(&item) != 0; }
  // The item's rectangle in the root's space.
  CGRect engineFrame(const NSObject& item) const;
  // Whether anything changed since the last call.
  bool takeChanged();

 private:
  struct Item {
    explicit Item(const std::string& name)
        : left(name + ".minX"),
          top(name + ".minY"),
          width(name + ".width"),
          height(name + ".height") {}
    cassowary::Variable left, top, width, height;
    std::vector<cassowary::Constraint> pins;       // frame or guide placement
    std::vector<cassowary::Constraint> intrinsic;  // hugging and compression resistance
    UIEdgeInsets guideInsets;
  };

  Item& ensureItem(NSObject& item);
  Item& ensureView(UIView& view);
  void pinView(UIView& view, Item& item);
  void pinGuide(UILayoutGuide& guide, Item& item);
  void addIntrinsic(UIView& view, Item& item);
  void dropAll(std::vector<cassowary::Constraint>& list);
  void replaceAll(std::vector<cassowary::Constraint>& held,
                  std::vector<cassowary::Constraint> wanted);
  void add(const cassowary::Constraint& constraint);
  // The attribute's terms, times `factor`.
  static void appendAttribute(std::vector<cassowary::Term>& terms, Item& item, long attribute,
                              double factor);

  cassowary::Solver solver_;
  std::unordered_map<const NSObject*, Item> items_;
  std::unordered_map<const NSLayoutConstraint*, cassowary::Constraint> constraints_;
  bool changed_ = true;
};
