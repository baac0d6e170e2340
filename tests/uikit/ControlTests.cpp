#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TestImages.h"
#include "foundation/NSData.h"
#include "foundation/RunLoop.h"
#include "runtime/Substrate.h"
#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"
#include "uikit/UIControl.h"
#include "uikit/UIEvent.h"
#include "uikit/UIImpactFeedbackGenerator.h"
#include "uikit/UISwitch.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

// Receives actions of every arity and writes down what reached it.
class ActionRecorder : public NSObject {
  OBJC_CLASS(ActionRecorder, NSObject);

 public:
  void tapped() { calls.push_back("tapped"); }
  void tappedBy(id sender) {
    calls.push_back("tappedBy");
    senders.push_back(sender);
  }
  void tappedByWithEvent(id sender, id event) {
    calls.push_back("tappedByWithEvent");
    senders.push_back(sender);
    events.push_back(event);
  }
  void touchedDown() { calls.push_back("down"); }
  void liftedInside() { calls.push_back("upInside"); }
  void liftedOutside() { calls.push_back("upOutside"); }
  void cancelled() { calls.push_back("cancel"); }
  void changed() { calls.push_back("valueChanged"); }

  std::vector<std::string> calls;
  std::vector<id> senders;
  std::vector<id> events;
};

// A screen controller that implements the action its buttons send to no target.
class ChainEndController : public UIViewController {
  OBJC_CLASS(ChainEndController, UIViewController);

 public:
  void closePressed() { ++closes; }
  void touchesBegan(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {
    ++touchesReached;
  }
  int closes = 0;
  int touchesReached = 0;
};

}  // namespace

OBJC_CLASS_IMPL(ActionRecorder) {
  c.method("tapped", &ActionRecorder::tapped)
      .method("tappedBy:", &ActionRecorder::tappedBy)
      .method("tappedBy:withEvent:", &ActionRecorder::tappedByWithEvent)
      .method("touchedDown", &ActionRecorder::touchedDown)
      .method("liftedInside", &ActionRecorder::liftedInside)
      .method("liftedOutside", &ActionRecorder::liftedOutside)
      .method("cancelled", &ActionRecorder::cancelled)
      .method("changed", &ActionRecorder::changed);
}

OBJC_CLASS_IMPL(ChainEndController) {
  c.method("closePressed", &ChainEndController::closePressed);
}

namespace {

// A visible window whose root controller's view holds a control at (100, 200), 60 x 40.
class ControlTest : public testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    window = UIWindow::alloc()->init();
    controller = ChainEndController::alloc();
    controller->init();
    window->setRootViewController(controller);
    window->makeKeyAndVisible();
    control = UIControl::alloc()->initWithFrame(CGRectMake(100, 200, 60, 40));
    auto holder = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 844));
    controller->view()->addSubview(holder);
    holder->addSubview(control);
    recorder = ActionRecorder::alloc();
  }

  void TearDown() override { UIApplication::sharedApplication()->cancelAllTouches(); }

  void tap(CGPoint point) {
    auto app = UIApplication::sharedApplication();
    app->touchDown(point);
    app->touchUp(point);
  }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<ChainEndController> controller;
  std::shared_ptr<UIControl> control;
  std::shared_ptr<ActionRecorder> recorder;
};

TEST_F(ControlTest, ANilTargetActionTravelsTheResponderChainToTheScreensController) {
  control->addTarget(nullptr, "closePressed", UIControlEventTouchUpInside);

  tap(CGPointMake(130, 220));

  EXPECT_EQ(controller->closes, 1);
}

TEST_F(ControlTest, ANilTargetActionThatNoResponderImplementsDoesNothing) {
  control->addTarget(nullptr, "noOneAnswersThis", UIControlEventTouchUpInside);

  EXPECT_NO_THROW(tap(CGPointMake(130, 220)));
  EXPECT_NO_THROW(control->sendActionsForControlEvents(UIControlEventTouchUpInside));
  EXPECT_EQ(controller->closes, 0);
}

TEST_F(ControlTest, AnActionGetsNoArgumentTheSenderOrTheSenderAndTheEventAsItsMethodAsks) {
  struct Case {
    const char* action;
    size_t senders;
    size_t events;
  };
  for (const Case& c :
       {Case{"tapped", 0, 0}, Case{"tappedBy:", 1, 0}, Case{"tappedBy:withEvent:", 1, 1}}) {
    SCOPED_TRACE(c.action);
    auto target = ActionRecorder::alloc();
    control->addTarget(target, c.action, UIControlEventTouchUpInside);

    tap(CGPointMake(130, 220));
    control->removeTarget(target, c.action, UIControlEventAllEvents);

    ASSERT_EQ(target->calls.size(), 1u);
    ASSERT_EQ(target->senders.size(), c.senders);
    ASSERT_EQ(target->events.size(), c.events);
    if (c.senders) {
      EXPECT_EQ(target->senders[0], control);
    }
    if (c.events) {
      EXPECT_NE(std::dynamic_pointer_cast<UIEvent>(target->events[0]), nullptr);
    }
  }
}

TEST_F(ControlTest, TouchTrackingSendsEventsByWhereTheTouchLifts) {
  struct Case {
    const char* name;
    CGPoint lift;  // in the window; the control spans x 100...160, y 200...240
    bool cancel;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {"inside", {130, 220}, false, {"down", "upInside"}},
      {"within the 70 point margin", {130, 300}, false, {"down", "upInside"}},
      {"beyond the margin", {130, 320}, false, {"down", "upOutside"}},
      {"cancelled", {130, 220}, true, {"down", "cancel"}},
  };
  control->addTarget(recorder, "touchedDown", UIControlEventTouchDown);
  control->addTarget(recorder, "liftedInside", UIControlEventTouchUpInside);
  control->addTarget(recorder, "liftedOutside", UIControlEventTouchUpOutside);
  control->addTarget(recorder, "cancelled", UIControlEventTouchCancel);
  auto app = UIApplication::sharedApplication();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    recorder->calls.clear();

    app->touchDown(CGPointMake(130, 220));
    bool highlightedWhileDown = control->isHighlighted();
    app->touchMove(c.lift);
    if (c.cancel) {
      app->touchCancel();
    } else {
      app->touchUp(c.lift);
    }

    EXPECT_TRUE(highlightedWhileDown);
    EXPECT_FALSE(control->isHighlighted());
    EXPECT_FALSE(control->isTracking());
    EXPECT_EQ(recorder->calls, c.calls);
  }
}

TEST_F(ControlTest, ADisabledControlSendsNothingAndPassesItsTouchesOnUpTheChain) {
  control->addTarget(recorder, "tapped", UIControlEventAllEvents);
  tap(CGPointMake(130, 220));
  int reachedWhileEnabled = controller->touchesReached;
  control->setEnabled(false);

  tap(CGPointMake(130, 220));

  EXPECT_EQ(recorder->calls, (std::vector<std::string>{"tapped", "tapped"}));
  EXPECT_EQ(reachedWhileEnabled, 0);
  EXPECT_EQ(controller->touchesReached, 1);
  EXPECT_EQ(control->state(), UIControlStateDisabled);
}

TEST_F(ControlTest, RegistrationsMergeByTargetAndActionAndCanBeRemovedByEvent) {
  control->addTarget(recorder, "tapped", UIControlEventTouchDown);
  control->addTarget(recorder, "tapped", UIControlEventTouchUpInside);
  control->addTarget(nullptr, "closePressed", UIControlEventTouchUpInside);

  auto targets = control->allTargets();
  auto upInside = control->actionsForTarget(recorder, UIControlEventTouchUpInside);
  control->removeTarget(recorder, "tapped", UIControlEventTouchDown);
  auto downAfterRemoval = control->actionsForTarget(recorder, UIControlEventTouchDown);
  control->sendActionsForControlEvents(UIControlEventTouchDown | UIControlEventTouchUpInside);

  EXPECT_EQ(targets, (std::vector<id>{recorder, nullptr}));
  EXPECT_EQ(upInside, std::vector<std::string>{"tapped"});
  EXPECT_TRUE(downAfterRemoval.empty());
  EXPECT_EQ(recorder->calls, std::vector<std::string>{"tapped"});
  EXPECT_EQ(controller->closes, 1);
}

TEST_F(ControlTest, TargetsAreHeldWeakly) {
  auto target = ActionRecorder::alloc();
  control->addTarget(target, "tapped", UIControlEventTouchUpInside);

  target.reset();

  EXPECT_TRUE(control->allTargets().empty());
  EXPECT_NO_THROW(tap(CGPointMake(130, 220)));
}

TEST_F(ControlTest, ASwitchFlipsOnATapAndSendsValueChangedButNotWhenSetInCode) {
  auto toggle = UISwitch::alloc()->initWithFrame(CGRectMake(20, 400, 100, 100));
  controller->view()->addSubview(toggle);
  toggle->addTarget(recorder, "changed", UIControlEventValueChanged);

  toggle->setOn(true, false);
  bool onInCode = toggle->isOn();
  tap(CGPointMake(40, 415));
  bool afterFirstTap = toggle->isOn();
  tap(CGPointMake(40, 415));
  RunLoop::advance(1);

  EXPECT_EQ(toggle->frame(), CGRectMake(20, 400, 51, 31));
  EXPECT_TRUE(onInCode);
  EXPECT_FALSE(afterFirstTap);
  EXPECT_TRUE(toggle->isOn());
  EXPECT_EQ(recorder->calls, (std::vector<std::string>{"valueChanged", "valueChanged"}));
  EXPECT_EQ(toggle->thumbView()->frame().origin.x, 51 - 2 - 27);
}

// An opaque square image of `side` points at scale 1.
std::shared_ptr<UIImage> squareImage(int side) {
  return UIImage::imageWithData(NSData::dataWithBytes(testsupport::solidPNG(side, side, 0, 0, 0)));
}

// Every frame given to a button's title label through the runtime.
std::vector<CGRect> titleFramesSeen;
IMP previousTitleSetFrame;

void countingSetFrame(id self, SEL cmd, CGRect frame) {
  titleFramesSeen.push_back(frame);
  previousTitleSetFrame.call(self, cmd, frame);
}

TEST(Button, TitleLabelIsAUIButtonLabelWhoseFramesAllGoThroughSetFrame) {
  Class labelClass = objc_getClass("UIButtonLabel");
  ASSERT_NE(labelClass, nullptr);
  MSHookMessageEx(labelClass, "setFrame:", IMP(countingSetFrame), &previousTitleSetFrame);
  titleFramesSeen.clear();
  auto button = UIButton::buttonWithType(UIButtonTypeCustom);
  button->setFrame(CGRectMake(0, 0, 300, 50));

  button->setTitle("Launch", UIControlStateNormal);
  button->layoutIfNeeded();
  auto afterFirstLayout = titleFramesSeen;
  button->setTitle("Launch Fake Chat", UIControlStateNormal);
  button->layoutIfNeeded();
  method_setImplementation(class_getInstanceMethod(labelClass, "setFrame:"), previousTitleSetFrame);

  auto label = button->titleLabel();
  EXPECT_STREQ(object_getClassName(label), "UIButtonLabel");
  EXPECT_TRUE(label->isKindOfClass(objc_getClass("UILabel")));
  EXPECT_EQ(label->superview(), button);
  ASSERT_FALSE(afterFirstLayout.empty());
  ASSERT_GT(titleFramesSeen.size(), afterFirstLayout.size());
  EXPECT_EQ(titleFramesSeen.back(), label->frame());
  EXPECT_GT(label->frame().size.width, afterFirstLayout.back().size.width);
  EXPECT_DOUBLE_EQ(CGRectGetMidX(label->frame()), 150);
  EXPECT_DOUBLE_EQ(CGRectGetMidY(label->frame()), 25);
}

TEST(Button, ContentFallsBackToTheNormalStateWhenTheCurrentStateHasNone) {
  auto button = UIButton::buttonWithType(UIButtonTypeCustom);
  auto pressedImage = squareImage(10);
  button->setTitle("Send", UIControlStateNormal);
  button->setTitle("Sending", UIControlStateHighlighted);
  button->setTitleColor(UIColor::redColor(), UIControlStateNormal);
  button->setImage(pressedImage, UIControlStateHighlighted);
  struct Case {
    const char* name;
    bool highlighted, selected;
    std::string title;
    bool pressedImage;
  };
  for (const Case& c : {Case{"normal", false, false, "Send", false},
                        Case{"highlighted", true, false, "Sending", true},
                        Case{"selected", false, true, "Send", false}}) {
    SCOPED_TRACE(c.name);

    button->setHighlighted(c.highlighted);
    button->setSelected(c.selected);

    EXPECT_EQ(button->currentTitle(), c.title);
    EXPECT_EQ(button->titleLabel()->text()->utf8(), c.title);
    EXPECT_EQ(button->currentTitleColor(), UIColor::redColor());
    EXPECT_EQ(button->currentImage() == pressedImage, c.pressedImage);
  }
}

TEST(Button, ImageAndTitleSitSideBySideWithinTheInsets) {
  auto button = UIButton::buttonWithType(UIButtonTypeCustom);
  button->setImage(squareImage(20), UIControlStateNormal);
  button->setTitle("Call", UIControlStateNormal);
  button->setContentEdgeInsets(UIEdgeInsetsMake(5, 10, 5, 10));
  CGSize title = button->titleLabel()->sizeThatFits(CGSizeZero);
  title = CGSizeMake(std::ceil(title.width), std::ceil(title.height));

  CGSize natural = button->intrinsicContentSize();
  button->setFrame(CGRectMake(0, 0, natural.width + 40, 60));
  button->setContentHorizontalAlignment(UIControlContentHorizontalAlignmentLeft);
  button->setTitleEdgeInsets(UIEdgeInsetsMake(0, 8, 0, 0));
  button->layoutIfNeeded();

  EXPECT_EQ(natural, CGSizeMake(20 + title.width + 20, std::max<CGFloat>(20, title.height) + 10));
  EXPECT_EQ(button->imageView()->frame(), CGRectMake(10, 20, 20, 20));
  EXPECT_EQ(button->titleLabel()->frame().origin.x, 10 + 8 + 20);
  EXPECT_DOUBLE_EQ(CGRectGetMidY(button->titleLabel()->frame()), 30);
}

TEST(Button, ASystemButtonDimsItsTitleWhileTouchedAndTakesItsSuperviewsTint) {
  auto button = UIButton::buttonWithType(UIButtonTypeSystem);
  button->setTitle("Edit", UIControlStateNormal);
  auto tinted = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 100, 100));
  tinted->setTintColor(UIColor::systemPinkColor());
  tinted->addSubview(button);

  button->setHighlighted(true);
  CGFloat dimmed = button->titleLabel()->alpha();
  button->setHighlighted(false);

  EXPECT_LT(dimmed, 0.5);
  EXPECT_EQ(button->titleLabel()->alpha(), 1);
  EXPECT_TRUE(button->titleLabel()->textColor()->isEqual(UIColor::systemPinkColor()));
}

TEST(ImpactFeedback, EachImpactIsLoggedWithItsStyleAndTime) {
  RunLoop::useManualClock();
  UIImpactFeedbackGenerator::clearRecordedImpacts();
  auto light = UIImpactFeedbackGenerator::alloc()->initWithStyle(UIImpactFeedbackStyleLight);
  auto heavy = UIImpactFeedbackGenerator::alloc()->initWithStyle(UIImpactFeedbackStyleHeavy);

  light->prepare();
  light->impactOccurred();
  RunLoop::advance(2);
  heavy->impactOccurred();
  auto impacts = UIImpactFeedbackGenerator::recordedImpacts();
  UIImpactFeedbackGenerator::clearRecordedImpacts();

  ASSERT_EQ(impacts.size(), 2u);
  EXPECT_EQ(impacts[0].style, UIImpactFeedbackStyleLight);
  EXPECT_EQ(impacts[0].time, 0);
  EXPECT_EQ(impacts[1].style, UIImpactFeedbackStyleHeavy);
  EXPECT_EQ(impacts[1].time, 2);
  EXPECT_TRUE(UIImpactFeedbackGenerator::recordedImpacts().empty());
}

}  // namespace
