#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "BrisvaleKit/UIView+Layout.h"
#include "ChatCellTable.h"
#include "TemporaryDeviceRoot.h"
#include "chat/NavButton.h"
#include "chat/UIColor+Appearance.h"
#include "chat/UIView+RemoveAllConstraints.h"
#include "foundation/RunLoop.h"
#include "quartz/CAAnimationTimeline.h"
#include "uikit/UIApplication.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

// A channel of the palette (0 to 1) as the renderer writes it into a pixel.
int channel(CGFloat value) {
  return static_cast<int>(std::lround(value * 255));
}

// The centre pixel of a small view filled with the colour, drawn by the platform's renderer in
// the appearance given (unspecified: the view's own, which is light).
chatcells::Pixel painted(const std::shared_ptr<UIColor>& colour, UIUserInterfaceStyle style) {
  auto view = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 4, 4));
  view->setOverrideUserInterfaceStyle(style);
  view->setBackgroundColor(colour);
  return chatcells::pixelAt(view, CGPointMake(2, 2));
}

}  // namespace

TEST(Appearance, EachColourIsPaintedInItsLightValueUnlessTheAppearanceIsDark) {
  struct Entry {
    const char* name;
    std::function<std::shared_ptr<UIColor>()> make;
    // Red, green, blue in light and in dark.
    CGFloat light[3], dark[3];
  };
  const Entry palette[] = {
      {"line", Appearance::line, {0.90, 0.90, 0.90}, {0.15, 0.15, 0.15}},
      {"entryBorder", Appearance::entryBorder, {0.86, 0.86, 0.86}, {0.15, 0.15, 0.15}},
      {"placeholder", Appearance::placeholder, {0.45, 0.45, 0.45}, {0.66, 0.66, 0.66}},
      {"incomingBubbleBorder",
       Appearance::incomingBubbleBorder,
       {0.86, 0.86, 0.86},
       {0.15, 0.15, 0.15}},
      {"outgoingBubble", Appearance::outgoingBubble, {0.94, 0.94, 0.94}, {0.15, 0.15, 0.15}},
      {"callIconBackground",
       Appearance::callIconBackground,
       {0.45, 0.45, 0.45},
       {0.66, 0.66, 0.66}},
      {"avatarBorder", Appearance::avatarBorder, {0.86, 0.86, 0.86}, {0.15, 0.15, 0.15}},
      // The join pill's green does not follow the appearance.
      {"activeCall", Appearance::activeCall, {0.0, 0.78, 0.0}, {0.0, 0.78, 0.0}},
  };

  for (const auto& entry : palette) {
    SCOPED_TRACE(entry.name);
    const auto colour = entry.make();
    for (auto style :
         {UIUserInterfaceStyleLight, UIUserInterfaceStyleUnspecified, UIUserInterfaceStyleDark}) {
      SCOPED_TRACE(style == UIUserInterfaceStyleDark ? "dark" : "light or unspecified");
      const CGFloat* want = style == UIUserInterfaceStyleDark ? entry.dark : entry.light;
      const chatcells::Pixel pixel = painted(colour, style);
      EXPECT_NEAR(pixel.red, channel(want[0]), 1);
      EXPECT_NEAR(pixel.green, channel(want[1]), 1);
      EXPECT_NEAR(pixel.blue, channel(want[2]), 1);
      EXPECT_EQ(pixel.alpha, 255);
    }
    // Views that change a colour they were given must not change everyone else's.
    EXPECT_NE(entry.make(), colour) << "a new colour each call";
  }
}

TEST(Appearance, AViewInDarkAppearanceDrawsTheOutgoingBubbleInTheDarkGrey) {
  auto bubble = UIView::alloc()->init();
  bubble->setOverrideUserInterfaceStyle(UIUserInterfaceStyleDark);
  CGFloat red = -1;

  bubble->traitCollection()->performAsCurrentTraitCollection(
      [&] { Appearance::outgoingBubble()->getRed(&red, nullptr, nullptr, nullptr); });

  EXPECT_DOUBLE_EQ(red, 0.15);
}

namespace {

// root > container > {view > child, sibling}
class RemoveAllConstraintsTest : public testing::Test {
 protected:
  void SetUp() override {
    root = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 844));
    container = UIView::alloc()->init();
    view = UIView::alloc()->init();
    child = UIView::alloc()->init();
    sibling = UIView::alloc()->init();
    root->addSubview(container);
    container->addSubview(view);
    container->addSubview(sibling);
    view->addSubview(child);
    for (const auto& v : {container, view, child, sibling}) {
      v->setTranslatesAutoresizingMaskIntoConstraints(false);
    }
  }

  static bool holds(const std::shared_ptr<UIView>& holder,
                    const std::shared_ptr<NSLayoutConstraint>& constraint) {
    const auto& list = holder->constraints();
    return std::find(list.begin(), list.end(), constraint) != list.end();
  }

  std::shared_ptr<UIView> root, container, view, child, sibling;
};

}  // namespace

TEST_F(RemoveAllConstraintsTest, RemovesWhatMentionsTheViewAtEveryLevelAndKeepsTheRest) {
  // Held by root, the common ancestor of the view and the container's top.
  auto viewToRoot = view->topAnchor().constraintEqualToAnchor(root->topAnchor(), 10);
  // Held by container, with the view as second item.
  auto siblingToView = sibling->leadingAnchor().constraintEqualToAnchor(view->trailingAnchor(), 8);
  // Held by container, between the siblings' neighbours only: must survive.
  auto siblingToContainer = sibling->topAnchor().constraintEqualToAnchor(container->topAnchor(), 4);
  auto containerToRoot = container->topAnchor().constraintEqualToAnchor(root->topAnchor(), 0);
  auto ownWidth = view->widthAnchor().constraintEqualToConstant(100);
  auto childInView = child->topAnchor().constraintEqualToAnchor(view->topAnchor(), 2);
  NSLayoutConstraint::activateConstraints(
      {viewToRoot, siblingToView, siblingToContainer, containerToRoot, ownWidth, childInView});
  ASSERT_TRUE(holds(root, viewToRoot));
  ASSERT_TRUE(holds(container, siblingToView));
  ASSERT_TRUE(holds(view, childInView));

  removeAllConstraints(view);

  EXPECT_FALSE(viewToRoot->isActive());
  EXPECT_FALSE(siblingToView->isActive());
  EXPECT_FALSE(ownWidth->isActive());
  EXPECT_FALSE(childInView->isActive()) << "the view's own constraints go too";
  EXPECT_TRUE(siblingToContainer->isActive());
  EXPECT_TRUE(containerToRoot->isActive());
  EXPECT_TRUE(holds(container, siblingToContainer));
  EXPECT_TRUE(view->constraints().empty());
  EXPECT_TRUE(view->translatesAutoresizingMaskIntoConstraints());
}

TEST_F(RemoveAllConstraintsTest, AViewWithoutSuperviewLosesOnlyItsOwnConstraints) {
  view->removeFromSuperview();
  auto ownHeight = view->heightAnchor().constraintEqualToConstant(40);
  auto childInView = child->leadingAnchor().constraintEqualToAnchor(view->leadingAnchor(), 0);
  auto siblingToContainer = sibling->topAnchor().constraintEqualToAnchor(container->topAnchor(), 4);
  NSLayoutConstraint::activateConstraints({ownHeight, childInView, siblingToContainer});

  removeAllConstraints(view);

  EXPECT_TRUE(view->constraints().empty());
  EXPECT_TRUE(siblingToContainer->isActive());
  EXPECT_TRUE(view->translatesAutoresizingMaskIntoConstraints());
}

TEST_F(RemoveAllConstraintsTest, TheViewCanBeLaidOutAgainFromScratch) {
  NSLayoutConstraint::activateConstraints(
      {container->topAnchor().constraintEqualToAnchor(root->topAnchor(), 0),
       container->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor(), 0),
       container->widthAnchor().constraintEqualToConstant(390),
       container->heightAnchor().constraintEqualToConstant(400),
       view->topAnchor().constraintEqualToAnchor(container->topAnchor(), 10),
       view->leadingAnchor().constraintEqualToAnchor(container->leadingAnchor(), 10),
       view->widthAnchor().constraintEqualToConstant(50),
       view->heightAnchor().constraintEqualToConstant(50)});
  root->layoutIfNeeded();

  removeAllConstraints(view);
  view->setTranslatesAutoresizingMaskIntoConstraints(false);
  NSLayoutConstraint::activateConstraints(
      {view->topAnchor().constraintEqualToAnchor(container->topAnchor(), 100),
       view->leadingAnchor().constraintEqualToAnchor(container->leadingAnchor(), 20),
       view->widthAnchor().constraintEqualToConstant(80),
       view->heightAnchor().constraintEqualToConstant(30)});
  root->layoutIfNeeded();

  EXPECT_EQ(view->frame(), CGRectMake(20, 100, 80, 30));
}

namespace {

// Implements the action a nav button sends with no target.
class NavBarController : public UIViewController {
  OBJC_CLASS(NavBarController, UIViewController);

 public:
  void closePressed() { ++closes; }
  int closes = 0;
};

}  // namespace

OBJC_CLASS_IMPL(NavBarController) {
  c.method("closePressed", &NavBarController::closePressed);
}

namespace {

// A 40-point nav button at (100, 100) in a visible window, in a device root without assets.
class NavButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();

    window = UIWindow::alloc()->init();
    controller = NavBarController::alloc();
    controller->init();
    window->setRootViewController(controller);
    window->makeKeyAndVisible();
    button = NavButton::alloc()->initWithIcon("missing-icon.png", 24, "closePressed");
    // Placed as the navigation bar places its buttons.
    auto view = controller->view();
    view->addSubview(button);
    Layout::size(button, 40, 40);
    Layout::top(button, view->topAnchor(), 100);
    Layout::leading(button, view->leadingAnchor(), 100);
    view->layoutIfNeeded();
  }

  void TearDown() override { UIApplication::sharedApplication()->cancelAllTouches(); }

  // First, so that it outlives the views.
  testsupport::TemporaryDeviceRoot device_{"parlo-navbutton"};
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<NavBarController> controller;
  std::shared_ptr<NavButton> button;
};

}  // namespace

TEST_F(NavButtonTest, TheIconIsCentredAtItsSizeAndTintedWithTheLabelColour) {
  const auto icon = button->icon();

  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->superview(), button);
  EXPECT_EQ(icon->frame(), CGRectMake(8, 8, 24, 24));
  EXPECT_EQ(icon->contentMode(), UIViewContentModeScaleAspectFit);
  EXPECT_EQ(icon->tintColor(), UIColor::labelColor());
  EXPECT_FALSE(icon->image()) << "a missing icon file leaves the icon empty";
}

TEST_F(NavButtonTest, ATapDimsTheButtonThenRestoresItAndSendsTheActionUpTheChain) {
  auto app = UIApplication::sharedApplication();

  app->touchDown(CGPointMake(120, 120));

  EXPECT_FLOAT_EQ(button->alpha(), 0.8f);
  auto dim = CAAnimationTimeline::animationForKey(*button->layer(), "opacity");
  ASSERT_TRUE(dim);
  EXPECT_DOUBLE_EQ(dim->duration(), 0.3);
  EXPECT_EQ(controller->closes, 0);

  app->touchUp(CGPointMake(120, 120));
  RunLoop::advance(0.3);

  EXPECT_FLOAT_EQ(button->alpha(), 1.0f);
  EXPECT_EQ(controller->closes, 1);
}

TEST_F(NavButtonTest, ACancelledOrOutsideTouchRestoresTheButtonWithoutTheAction) {
  auto app = UIApplication::sharedApplication();

  app->touchDown(CGPointMake(120, 120));
  app->touchCancel();
  RunLoop::advance(0.3);

  EXPECT_FLOAT_EQ(button->alpha(), 1.0f);

  app->touchDown(CGPointMake(120, 120));
  app->touchMove(CGPointMake(380, 800));
  app->touchUp(CGPointMake(380, 800));
  RunLoop::advance(0.3);

  EXPECT_FLOAT_EQ(button->alpha(), 1.0f);
  EXPECT_EQ(controller->closes, 0);
}
