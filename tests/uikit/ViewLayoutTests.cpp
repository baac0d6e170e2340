#include <gtest/gtest.h>

#include "runtime/Substrate.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"

namespace {

std::shared_ptr<UIView> makeView(CGRect frame = CGRectZero) {
  return UIView::alloc()->initWithFrame(frame);
}

// A view whose natural size is given, as a label's would be.
class SizedView : public UIView {
  OBJC_CLASS(SizedView, UIView);

 public:
  CGSize intrinsicContentSize() const override { return natural; }
  CGSize natural{UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
};

}  // namespace

OBJC_CLASS_IMPL(SizedView) {}

namespace {

void activate(std::initializer_list<std::shared_ptr<NSLayoutConstraint>> list) {
  NSLayoutConstraint::activateConstraints(list);
}

std::shared_ptr<UIView> pinnedChild(const std::shared_ptr<UIView>& parent) {
  auto child = makeView();
  parent->addSubview(child);
  child->setTranslatesAutoresizingMaskIntoConstraints(false);
  return child;
}

TEST(ViewGeometry, FrameFollowsCenterBoundsAndTransform) {
  auto view = makeView(CGRectMake(10, 20, 100, 50));

  view->setTransform(CGAffineTransformMakeScale(2, 2));
  CGRect scaled = view->frame();
  view->setTransform(CGAffineTransformIdentity);
  view->setCenter(CGPointMake(0, 0));

  EXPECT_EQ(scaled, CGRectMake(-40, -5, 200, 100));
  EXPECT_EQ(view->bounds(), CGRectMake(0, 0, 100, 50));
  EXPECT_EQ(view->frame(), CGRectMake(-50, -25, 100, 50));
}

TEST(ViewGeometry, PointsConvertThroughOffsetsBoundsOriginsAndTransforms) {
  auto root = makeView(CGRectMake(0, 0, 390, 844));
  auto scroller = makeView(CGRectMake(0, 100, 390, 400));
  auto content = makeView(CGRectMake(20, 30, 50, 50));
  auto turned = makeView(CGRectMake(200, 200, 100, 100));
  root->addSubview(scroller);
  scroller->addSubview(content);
  root->addSubview(turned);
  scroller->setBounds(CGRectMake(0, 60, 390, 400));  // scrolled down by 60
  turned->setTransform(CGAffineTransformMakeScale(2, 2));

  CGPoint inRoot = content->convertPointToView(CGPointMake(5, 5), root);
  CGPoint back = root->convertPointToView(inRoot, content);
  CGPoint turnedCorner = turned->convertPointToView(CGPointZero, root);

  EXPECT_EQ(inRoot, CGPointMake(25, 75));
  EXPECT_EQ(back, CGPointMake(5, 5));
  EXPECT_EQ(turnedCorner, CGPointMake(150, 150));
}

TEST(ViewHierarchy, AddingMovesAViewAndRefusesCycles) {
  auto a = makeView();
  auto b = makeView();
  auto child = makeView();
  a->addSubview(child);

  b->addSubview(child);
  auto sibling = makeView();
  b->insertSubviewBelowSubview(sibling, child);

  EXPECT_TRUE(a->subviews().empty());
  EXPECT_EQ(child->superview(), b);
  EXPECT_EQ(b->subviews().front(), sibling);
  EXPECT_EQ(b->layer()->sublayers().front(), sibling->layer());
  EXPECT_THROW(child->addSubview(b), objc::RuntimeError);
}

TEST(AutoLayout, CentresInsetsAndChainsSiblings) {
  auto root = makeView(CGRectMake(0, 0, 390, 844));
  auto centred = pinnedChild(root);
  auto inset = pinnedChild(root);
  auto next = pinnedChild(root);

  activate({centred->widthAnchor().constraintEqualToConstant(100),
            centred->heightAnchor().constraintEqualToConstant(40),
            centred->centerXAnchor().constraintEqualToAnchor(root->centerXAnchor()),
            centred->centerYAnchor().constraintEqualToAnchor(root->centerYAnchor()),
            inset->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor(), 16),
            inset->trailingAnchor().constraintEqualToAnchor(root->trailingAnchor(), -16),
            inset->topAnchor().constraintEqualToAnchor(root->topAnchor(), 10),
            inset->heightAnchor().constraintEqualToConstant(30),
            next->topAnchor().constraintEqualToAnchor(inset->bottomAnchor(), 8),
            next->leadingAnchor().constraintEqualToAnchor(inset->leadingAnchor()),
            next->widthAnchor().constraintEqualToAnchor(inset->widthAnchor(), 0.5, 0),
            next->heightAnchor().constraintEqualToConstant(20)});
  root->layoutIfNeeded();

  EXPECT_EQ(centred->frame(), CGRectMake(145, 402, 100, 40));
  EXPECT_EQ(inset->frame(), CGRectMake(16, 10, 358, 30));
  EXPECT_EQ(next->frame(), CGRectMake(16, 48, 179, 20));
}

TEST(AutoLayout, FramesLandOnWholePixels) {
  auto root = makeView(CGRectMake(0, 0, 390, 844));
  auto icon = pinnedChild(root);

  activate({icon->widthAnchor().constraintEqualToConstant(25),
            icon->heightAnchor().constraintEqualToConstant(25),
            icon->centerXAnchor().constraintEqualToAnchor(root->centerXAnchor()),
            icon->topAnchor().constraintEqualToAnchor(root->topAnchor())});
  root->layoutIfNeeded();

  EXPECT_NEAR(icon->frame().origin.x, 548.0 / 3, 1e-9);
  EXPECT_NEAR(icon->frame().size.width, 25, 1e-9);
}

TEST(AutoLayout, IntrinsicSizeHugsAndResistsByPriority) {
  auto root = makeView(CGRectMake(0, 0, 300, 100));
  auto label = SizedView::alloc();
  label->init();
  label->natural = CGSizeMake(120, 20);
  root->addSubview(label);
  label->setTranslatesAutoresizingMaskIntoConstraints(false);
  auto squeeze = label->widthAnchor().constraintLessThanOrEqualToConstant(80);
  squeeze->setPriority(700);

  activate({label->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor()),
            label->topAnchor().constraintEqualToAnchor(root->topAnchor()), squeeze});
  root->layoutIfNeeded();
  CGSize resisted = label->frame().size;
  squeeze->setActive(false);
  auto stronger = label->widthAnchor().constraintLessThanOrEqualToConstant(80);
  stronger->setPriority(800);
  stronger->setActive(true);
  root->layoutIfNeeded();

  EXPECT_EQ(resisted, CGSizeMake(120, 20));  // 750 resistance beats 700
  EXPECT_EQ(label->frame().size, CGSizeMake(80, 20));
}

TEST(AutoLayout, ManyLowPriorityViolationsNeverOutweighOneHigher) {
  auto root = makeView(CGRectMake(0, 0, 300, 300));
  auto box = pinnedChild(root);
  activate({box->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor()),
            box->topAnchor().constraintEqualToAnchor(root->topAnchor()),
            box->heightAnchor().constraintEqualToConstant(10)});
  auto wanted = box->widthAnchor().constraintEqualToConstant(50);
  wanted->setPriority(500);
  wanted->setActive(true);
  for (int i = 0; i < 2; ++i) {
    auto weak = box->widthAnchor().constraintEqualToConstant(200);
    weak->setPriority(250);
    weak->setActive(true);
  }

  root->layoutIfNeeded();

  EXPECT_EQ(box->frame().size.width, 50);
}

TEST(AutoLayout, ConstraintsAreHeldByTheNearestCommonAncestorAndLeaveWithTheirViews) {
  auto root = makeView(CGRectMake(0, 0, 390, 844));
  auto container = pinnedChild(root);
  auto a = pinnedChild(container);
  auto b = pinnedChild(container);
  auto width = a->widthAnchor().constraintEqualToConstant(10);
  auto between = b->leadingAnchor().constraintEqualToAnchor(a->trailingAnchor());
  auto outward = a->topAnchor().constraintEqualToAnchor(root->topAnchor());

  activate({width, between, outward});
  size_t heldByContainer = container->constraints().size();
  a->removeFromSuperview();

  EXPECT_EQ(width->holder(), a);
  EXPECT_EQ(heldByContainer, 1u);
  EXPECT_EQ(between->holder(), nullptr);  // b to a: went with a
  EXPECT_EQ(outward->holder(), nullptr);
  EXPECT_TRUE(width->isActive());  // inside a's own subtree: stays
  EXPECT_TRUE(container->constraints().empty());
}

TEST(AutoLayout, ItemsWithoutACommonAncestorAreRefused) {
  auto a = makeView();
  auto b = makeView();

  auto constraint = a->topAnchor().constraintEqualToAnchor(b->topAnchor());
  constraint->setActive(true);

  EXPECT_FALSE(constraint->isActive());
}

TEST(AutoLayout, AutoresizingFramesBecomeConstraintsThatFollowTheSuperview) {
  auto root = makeView(CGRectMake(0, 0, 400, 400));
  auto stretchy = makeView(CGRectMake(10, 10, 380, 50));
  stretchy->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
  root->addSubview(stretchy);
  auto follower = pinnedChild(root);
  activate({follower->topAnchor().constraintEqualToAnchor(stretchy->bottomAnchor(), 5),
            follower->trailingAnchor().constraintEqualToAnchor(stretchy->trailingAnchor()),
            follower->widthAnchor().constraintEqualToConstant(20),
            follower->heightAnchor().constraintEqualToConstant(20)});
  root->layoutIfNeeded();
  CGRect before = follower->frame();

  root->setFrame(CGRectMake(0, 0, 300, 400));
  root->layoutIfNeeded();

  EXPECT_EQ(before, CGRectMake(370, 65, 20, 20));
  EXPECT_EQ(stretchy->frame(), CGRectMake(10, 10, 280, 50));
  EXPECT_EQ(follower->frame(), CGRectMake(270, 65, 20, 20));
}

// A hierarchy with a layout engine pins autoresizing frames as constraints; one without moves
// them when the superview's frame is set. Both must land on the same frames.
TEST(AutoLayout, AutoresizingMasksResizeAlikeWithAndWithoutALayoutEngine) {
  struct Case {
    UIViewAutoresizing mask;
    CGRect expected;  // a 20,10 100x40 child of 200x100 grown to 320x160
  };
  const Case cases[] = {
      {UIViewAutoresizingNone, CGRectMake(20, 10, 100, 40)},
      {UIViewAutoresizingFlexibleWidth, CGRectMake(20, 10, 220, 40)},
      {UIViewAutoresizing(UIViewAutoresizingFlexibleLeftMargin |
                          UIViewAutoresizingFlexibleRightMargin),
       CGRectMake(44, 10, 100, 40)},
      {UIViewAutoresizing(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleWidth |
                          UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleHeight),
       CGRectMake(40, 22, 200, 88)},
      {UIViewAutoresizing(UIViewAutoresizingFlexibleBottomMargin), CGRectMake(20, 10, 100, 40)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    CGRect frames[2];
    for (bool withEngine : {false, true}) {
      auto root = makeView(CGRectMake(0, 0, 200, 100));
      auto child = makeView(CGRectMake(20, 10, 100, 40));
      child->setAutoresizingMask(c.mask);
      root->addSubview(child);
      if (withEngine) {
        auto pinned = pinnedChild(root);
        activate({pinned->widthAnchor().constraintEqualToConstant(1)});
        root->layoutIfNeeded();
      }

      root->setFrame(CGRectMake(0, 0, 320, 160));
      root->layoutIfNeeded();

      frames[withEngine] = child->frame();
    }
    EXPECT_EQ(frames[0], c.expected);
    EXPECT_EQ(frames[1], c.expected);
  }
}

TEST(AutoLayout, AnUnsatisfiableConstraintIsLeftOutAndLaterOnesStillWork) {
  auto root = makeView(CGRectMake(0, 0, 390, 844));
  auto box = pinnedChild(root);
  activate({box->widthAnchor().constraintEqualToConstant(100),
            box->heightAnchor().constraintEqualToConstant(10),
            box->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor()),
            box->topAnchor().constraintEqualToAnchor(root->topAnchor())});

  auto conflicting = box->widthAnchor().constraintEqualToConstant(200);
  conflicting->setActive(true);
  auto later = makeView();
  root->addSubview(later);
  later->setTranslatesAutoresizingMaskIntoConstraints(false);
  activate({later->topAnchor().constraintEqualToAnchor(box->bottomAnchor()),
            later->leadingAnchor().constraintEqualToAnchor(box->trailingAnchor()),
            later->widthAnchor().constraintEqualToConstant(5),
            later->heightAnchor().constraintEqualToConstant(5)});
  root->layoutIfNeeded();

  EXPECT_EQ(box->frame().size.width, 100);
  EXPECT_EQ(later->frame(), CGRectMake(100, 10, 5, 5));
}

TEST(AutoLayout, ConstantChangesMoveViewsAtTheNextLayout) {
  auto root = makeView(CGRectMake(0, 0, 390, 844));
  auto bar = pinnedChild(root);
  auto bottom = bar->bottomAnchor().constraintEqualToAnchor(root->bottomAnchor());
  activate({bottom, bar->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor()),
            bar->trailingAnchor().constraintEqualToAnchor(root->trailingAnchor()),
            bar->heightAnchor().constraintEqualToConstant(50)});
  root->layoutIfNeeded();

  bottom->setConstant(-300);
  root->layoutIfNeeded();

  EXPECT_EQ(bar->frame(), CGRectMake(0, 494, 390, 50));
}

// Constants change in place; one that contradicts the required constraints is left out as a new
// constraint would be, and comes back once it fits again.
TEST(AutoLayout, AConstantThatNoLongerFitsIsLeftOutUntilItFitsAgain) {
  auto root = makeView(CGRectMake(0, 0, 390, 844));
  auto box = pinnedChild(root);
  auto limit = box->widthAnchor().constraintLessThanOrEqualToConstant(150);
  activate({box->widthAnchor().constraintGreaterThanOrEqualToConstant(100), limit,
            box->heightAnchor().constraintEqualToConstant(10),
            box->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor()),
            box->topAnchor().constraintEqualToAnchor(root->topAnchor())});
  auto preferred = box->widthAnchor().constraintEqualToConstant(400);
  preferred->setPriority(UILayoutPriorityDefaultLow);
  preferred->setActive(true);
  root->layoutIfNeeded();
  ASSERT_EQ(box->frame().size.width, 150);

  struct Step {
    CGFloat limit;
    CGFloat width;
  };
  const Step steps[] = {{120, 120}, {50, 400}, {130, 130}, {300, 300}};
  for (const Step& step : steps) {
    limit->setConstant(step.limit);
    root->layoutIfNeeded();
    EXPECT_EQ(box->frame().size.width, step.width) << "limit " << step.limit;
  }
}

IMP previousSetFrame;
int hookedFrames = 0;

void countingSetFrame(id self, SEL cmd, CGRect frame) {
  previousSetFrame.call(self, cmd, frame);
  ++hookedFrames;
}

class CountedView : public UIView {
  OBJC_CLASS(CountedView, UIView);
};

}  // namespace

OBJC_CLASS_IMPL(CountedView) {}

namespace {

TEST(AutoLayout, TheLayoutPassSetsFramesThroughTheRuntime) {
  MSHookMessageEx(CountedView::classObject(), "setFrame:", IMP(countingSetFrame),
                  &previousSetFrame);
  auto root = makeView(CGRectMake(0, 0, 100, 100));
  auto counted = CountedView::alloc();
  counted->init();
  root->addSubview(counted);
  counted->setTranslatesAutoresizingMaskIntoConstraints(false);
  hookedFrames = 0;

  activate({counted->widthAnchor().constraintEqualToConstant(10),
            counted->heightAnchor().constraintEqualToConstant(10),
            counted->topAnchor().constraintEqualToAnchor(root->topAnchor()),
            counted->leftAnchor().constraintEqualToAnchor(root->leftAnchor())});
  root->layoutIfNeeded();

  EXPECT_EQ(hookedFrames, 1);
  EXPECT_EQ(counted->frame(), CGRectMake(0, 0, 10, 10));
}

}  // namespace
