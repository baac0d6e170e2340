#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

namespace {

// Records, in one shared log, which notifications reach which view.
class NamedView : public UIView {
  OBJC_CLASS(NamedView, UIView);

 public:
  void tintColorDidChange() override { log->push_back(name + ".tint"); }
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>&) override {
    log->push_back(name + ".trait");
  }
  void didMoveToWindow() override {
    log->push_back(name + (window() ? ".in" : ".out"));
    if (onMove) onMove();
  }

  std::string name;
  std::vector<std::string>* log = nullptr;
  std::function<void()> onMove;
};

}  // namespace

OBJC_CLASS_IMPL(NamedView) {}

namespace {

// root ─┬─ a ─── a1
//       └─ b ─── b1
struct Tree {
  std::vector<std::string> log;
  std::shared_ptr<NamedView> root = make("root"), a = make("a"), a1 = make("a1"), b = make("b"),
                             b1 = make("b1");

  Tree() {
    root->addSubview(a);
    a->addSubview(a1);
    root->addSubview(b);
    b->addSubview(b1);
    log.clear();
  }

  std::shared_ptr<NamedView> make(const std::string& name) {
    auto view = NamedView::alloc();
    view->initWithFrame(CGRectMake(0, 0, 10, 10));
    view->name = name;
    view->log = &log;
    return view;
  }
};

TEST(ViewTree, TintAndAppearanceChangesSkipTheSubtreesThatKeepTheirOwn) {
  Tree tree;
  tree.a->setTintColor(UIColor::systemRedColor());
  tree.b->setOverrideUserInterfaceStyle(UIUserInterfaceStyleDark);
  tree.log.clear();

  tree.root->setTintColor(UIColor::systemGreenColor());
  tree.root->setOverrideUserInterfaceStyle(tree.root->traitCollection()->userInterfaceStyle() ==
                                                   UIUserInterfaceStyleDark
                                               ? UIUserInterfaceStyleLight
                                               : UIUserInterfaceStyleDark);

  EXPECT_EQ(tree.log, (std::vector<std::string>{"root.tint", "b.tint", "b1.tint", "root.trait",
                                                "a.trait", "a1.trait"}));
}

TEST(ViewTree, ViewWithTagFindsTheFirstInDepthFirstOrderStartingWithItself) {
  Tree tree;
  tree.a1->setTag(7);
  tree.b->setTag(7);
  tree.b1->setTag(9);

  EXPECT_EQ(tree.root->viewWithTag(7), tree.a1);
  EXPECT_EQ(tree.b->viewWithTag(7), tree.b);
  EXPECT_EQ(tree.root->viewWithTag(9), tree.b1);
  EXPECT_EQ(tree.a->viewWithTag(9), nullptr);
}

TEST(ViewTree, AViewThatChangesTheTreeWhileHearingItMovedDoesNotDerailTheWalk) {
  Tree tree;
  auto window = UIWindow::alloc()->init();
  // The first to hear takes its sibling out; the walk goes on over the subviews each view had
  // when it was reached, so the sibling still hears, now out of the window.
  tree.a->onMove = [&] { tree.b->removeFromSuperview(); };

  window->addSubview(tree.root);

  EXPECT_EQ(tree.log, (std::vector<std::string>{"root.in", "a.in", "b.out", "b1.out", "a1.in",
                                                "b.out", "b1.out"}));
}

}  // namespace
