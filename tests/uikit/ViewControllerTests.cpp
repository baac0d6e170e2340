#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/RunLoop.h"
#include "runtime/RuntimeError.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIScrollView.h"
#include "uikit/UITextField.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

// A controller that writes its callbacks into a shared journal, prefixed with its name.
class JournalingController : public UIViewController {
  OBJC_CLASS(JournalingController, UIViewController);

 public:
  static std::shared_ptr<JournalingController> make(std::string name,
                                                    std::vector<std::string>* journal) {
    auto controller = alloc();
    controller->init();
    controller->name = std::move(name);
    controller->journal = journal;
    return controller;
  }

  void viewDidLoad() override { note("viewDidLoad"); }
  void viewWillAppear(bool) override { note("viewWillAppear"); }
  void viewDidAppear(bool) override { note("viewDidAppear"); }
  void viewWillDisappear(bool) override { note("viewWillDisappear"); }
  void viewDidDisappear(bool) override { note("viewDidDisappear"); }

  std::string name;
  std::vector<std::string>* journal = nullptr;

 private:
  void note(const std::string& what) {
    if (journal) journal->push_back(name + " " + what);
  }
};

}  // namespace

OBJC_CLASS_IMPL(JournalingController) {}

namespace {

class ViewControllerTest : public testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    window = UIWindow::alloc()->init();
    root = JournalingController::make("root", &journal);
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    journal.clear();
  }

  std::shared_ptr<JournalingController> controller(const std::string& name) {
    return JournalingController::make(name, &journal);
  }

  std::vector<std::string> journal;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<JournalingController> root;
};

CGRect screenFrame(const std::shared_ptr<UIView>& view) {
  return view->convertRectToView(view->bounds(), nullptr);
}

TEST(ViewControllerView, LoadsOnceOnFirstUseAsAPlainViewTheSizeOfTheScreen) {
  std::vector<std::string> journal;
  auto controller = JournalingController::make("screen", &journal);

  bool loadedBefore = controller->isViewLoaded();
  auto view = controller->view();
  auto again = controller->view();

  EXPECT_FALSE(loadedBefore);
  EXPECT_EQ(view, again);
  EXPECT_EQ(journal, std::vector<std::string>{"screen viewDidLoad"});
  EXPECT_EQ(view->frame(), CGRectMake(0, 0, 390, 844));
  EXPECT_EQ(view->nextResponder(), controller);
}

TEST_F(ViewControllerTest, ASecondPresentationIsRefusedWhileTheFirstIsShownAndAllowedAfterIt) {
  auto first = controller("first");
  auto second = controller("second");
  bool secondCompleted = false;
  root->presentViewController(first, true, nullptr);
  RunLoop::advance(1);

  testing::internal::CaptureStderr();
  root->presentViewController(second, true, [&] { secondCompleted = true; });
  std::string log = testing::internal::GetCapturedStderr();
  RunLoop::advance(1);

  EXPECT_NE(log.find("Attempt to present " + second->description() + " on " + root->description()),
            std::string::npos);
  EXPECT_NE(log.find("which is already presenting " + first->description()), std::string::npos);
  EXPECT_FALSE(secondCompleted);
  EXPECT_EQ(root->presentedViewController(), first);
  EXPECT_EQ(first->view()->window(), window);
  EXPECT_EQ(second->presentingViewController(), nullptr);

  root->dismissViewControllerAnimated(true, nullptr);
  RunLoop::advance(1);
  root->presentViewController(second, true, [&] { secondCompleted = true; });
  RunLoop::advance(1);

  EXPECT_TRUE(secondCompleted);
  EXPECT_EQ(root->presentedViewController(), second);
  EXPECT_EQ(first->view()->window(), nullptr);
}

TEST_F(ViewControllerTest, PresentingFromAControllerWhoseViewIsNotInAWindowIsRefused) {
  auto offscreen = controller("offscreen");
  auto presented = controller("presented");

  testing::internal::CaptureStderr();
  offscreen->presentViewController(presented, false, nullptr);
  std::string log = testing::internal::GetCapturedStderr();
  RunLoop::advance(1);

  EXPECT_NE(log.find("whose view is not in the window hierarchy"), std::string::npos);
  EXPECT_EQ(offscreen->presentedViewController(), nullptr);
  EXPECT_FALSE(presented->isViewLoaded());
}

TEST_F(ViewControllerTest, DismissalCompletionRunsOnTheRunLoopAfterTheViewsHaveGone) {
  auto presented = controller("presented");
  root->presentViewController(presented, false, nullptr);
  RunLoop::advance(0);
  struct Seen {
    bool ran = false;
    bool stillPresented = true;
    bool viewInWindow = true;
  } seen;

  presented->dismissViewControllerAnimated(true, [&] {
    seen.ran = true;
    seen.stillPresented = root->presentedViewController() != nullptr;
    seen.viewInWindow = presented->view()->window() != nullptr;
  });
  bool ranDuringCall = seen.ran;
  RunLoop::advance(0.2);
  bool ranMidway = seen.ran;
  RunLoop::advance(0.5);

  EXPECT_FALSE(ranDuringCall);
  EXPECT_FALSE(ranMidway);
  EXPECT_TRUE(seen.ran);
  EXPECT_FALSE(seen.stillPresented);
  EXPECT_FALSE(seen.viewInWindow);
  EXPECT_EQ(presented->presentingViewController(), nullptr);
}

TEST_F(ViewControllerTest, DismissalWorksWhenSentToThePresenterOrToThePresented) {
  for (bool sentToPresented : {false, true}) {
    SCOPED_TRACE(sentToPresented ? "sent to the presented controller" : "sent to the presenter");
    auto presented = controller("presented");
    root->presentViewController(presented, false, nullptr);
    RunLoop::advance(0);

    (sentToPresented ? std::shared_ptr<UIViewController>(presented)
                     : std::shared_ptr<UIViewController>(root))
        ->dismissViewControllerAnimated(false, nullptr);
    RunLoop::advance(0);

    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(presented->viewIfLoaded()->window(), nullptr);
  }
}

TEST_F(ViewControllerTest, FullScreenPresentationCoversThePresenterAndGivesItsViewBackOnDismissal) {
  auto cover = controller("cover");
  cover->setModalPresentationStyle(UIModalPresentationFullScreen);

  root->presentViewController(cover, true, nullptr);
  RunLoop::advance(1);
  auto shown = journal;
  bool rootInWindowWhileCovered = root->view()->window() != nullptr;
  CGRect coverFrame = cover->view()->convertRectToView(cover->view()->bounds(), nullptr);
  journal.clear();
  cover->dismissViewControllerAnimated(true, nullptr);
  RunLoop::advance(1);

  EXPECT_EQ(shown, (std::vector<std::string>{"cover viewDidLoad", "root viewWillDisappear",
                                             "cover viewWillAppear", "cover viewDidAppear",
                                             "root viewDidDisappear"}));
  EXPECT_FALSE(rootInWindowWhileCovered);
  EXPECT_EQ(coverFrame, CGRectMake(0, 0, 390, 844));
  EXPECT_EQ(journal, (std::vector<std::string>{"cover viewWillDisappear", "root viewWillAppear",
                                               "root viewDidAppear", "cover viewDidDisappear"}));
  EXPECT_EQ(root->view()->window(), window);
}

TEST_F(ViewControllerTest, TheDefaultStyleShowsACardBelowTheSafeAreaOverTheDimmedPresenter) {
  auto sheet = controller("sheet");

  root->presentViewController(sheet, true, nullptr);
  RunLoop::advance(1);

  CGRect card = sheet->view()->convertRectToView(sheet->view()->bounds(), nullptr);
  EXPECT_EQ(card, CGRectMake(0, 47 + 10, 390, 844 - 57));
  EXPECT_EQ(sheet->view()->superview()->layer()->cornerRadius(), 10);
  EXPECT_EQ(root->view()->window(), window);
  EXPECT_EQ(journal, (std::vector<std::string>{"sheet viewDidLoad", "sheet viewWillAppear",
                                               "sheet viewDidAppear"}));
}

TEST_F(ViewControllerTest, ASheetDraggedDownFarEnoughOrFlickedIsDismissed) {
  struct Case {
    const char* name;
    CGFloat distance;  // downward, in points
    double duration;   // of the drag, in seconds
    bool modal;
    bool dismissed;
  };
  // The card is 844 - 57 = 787 points tall: a third is about 262.
  const std::vector<Case> cases = {
      {"slow drag past a third", 300, 1.0, false, true},
      {"slow short drag", 100, 1.0, false, false},
      {"fast flick", 60, 0.03, false, true},
      {"upward drag", -100, 1.0, false, false},
      {"modal sheet", 400, 1.0, true, false},
  };
  auto app = UIApplication::sharedApplication();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto sheet = controller("sheet");
    sheet->setModalInPresentation(c.modal);
    root->presentViewController(sheet, true, nullptr);
    RunLoop::advance(1);

    const int steps = 10;
    app->touchDown(CGPointMake(195, 400));
    for (int i = 1; i <= steps; ++i) {
      RunLoop::advance(c.duration / steps);
      app->touchMove(CGPointMake(195, 400 + c.distance * i / steps));
    }
    app->touchUp(CGPointMake(195, 400 + c.distance));
    RunLoop::advance(1);

    EXPECT_EQ(root->presentedViewController() == nullptr, c.dismissed);
    if (!c.dismissed) {
      EXPECT_EQ(screenFrame(sheet->view()).origin.y, 57);
      root->dismissViewControllerAnimated(false, nullptr);
      RunLoop::advance(0);
    }
  }
}

TEST_F(ViewControllerTest, ADownwardDragOnScrollingContentMovesTheSheetOnlyFromTheContentsTop) {
  struct Case {
    const char* name;
    CGFloat startOffset;  // of the content
    CGFloat distance;     // of the drag, downward
    bool dismissed;
    CGFloat endOffset;
  };
  const std::vector<Case> cases = {
      {"down from the top", 0, 400, true, 0},
      {"down from further on", 300, 200, false, 100},
      {"up from the top", 0, -200, false, 200},
  };
  auto app = UIApplication::sharedApplication();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto sheet = controller("sheet");
    auto content = UIScrollView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 700));
    content->setContentSize(CGSizeMake(390, 3000));
    sheet->view()->addSubview(content);
    root->presentViewController(sheet, true, nullptr);
    RunLoop::advance(1);
    content->setContentOffset(CGPointMake(0, c.startOffset));

    const int steps = 10;
    const CGFloat startY = c.distance > 0 ? 150 : 600;
    app->touchDown(CGPointMake(195, startY));
    for (int i = 1; i <= steps; ++i) {
      RunLoop::advance(0.1);
      app->touchMove(CGPointMake(195, startY + c.distance * i / steps));
    }
    app->touchUp(CGPointMake(195, startY + c.distance));
    RunLoop::advance(0.01);
    // Less the few points the drag travels before it counts as one.
    EXPECT_NEAR(content->contentOffset().y, c.endOffset, 30);
    RunLoop::advance(3);

    EXPECT_EQ(root->presentedViewController() == nullptr, c.dismissed);
    if (!c.dismissed) {
      root->dismissViewControllerAnimated(false, nullptr);
      RunLoop::advance(0);
    }
  }
}

TEST_F(ViewControllerTest, AnAnimatedPresentationSlidesUpFromBelowTheScreen) {
  auto cover = controller("cover");
  cover->setModalPresentationStyle(UIModalPresentationFullScreen);
  bool completed = false;

  root->presentViewController(cover, true, [&] { completed = true; });
  bool completedDuringCall = completed;
  RunLoop::advance(0.1);
  bool completedEarly = completed;
  RunLoop::advance(0.5);

  EXPECT_FALSE(completedDuringCall);
  EXPECT_FALSE(completedEarly);
  EXPECT_TRUE(completed);
  EXPECT_EQ(cover->view()->frame().origin.y, 0);
}

TEST_F(ViewControllerTest, AChildPresentsThroughItsTopmostParent) {
  auto content = controller("content");
  auto navigation = UINavigationController::alloc()->initWithRootViewController(content);
  window->setRootViewController(navigation);
  auto presented = controller("presented");

  content->presentViewController(presented, false, nullptr);
  RunLoop::advance(0);

  EXPECT_EQ(presented->presentingViewController(), navigation);
  EXPECT_EQ(navigation->presentedViewController(), presented);
  EXPECT_EQ(content->presentedViewController(), presented);
  EXPECT_EQ(content->navigationController(), navigation);
  EXPECT_EQ(presented->nextResponder(), navigation);
}

TEST_F(ViewControllerTest, DismissingAPresenterAlsoRemovesWhatItsPresentedControllerPresents) {
  auto middle = controller("middle");
  auto top = controller("top");
  root->presentViewController(middle, false, nullptr);
  RunLoop::advance(0);
  middle->presentViewController(top, false, nullptr);
  RunLoop::advance(0);

  root->dismissViewControllerAnimated(true, nullptr);
  RunLoop::advance(1);

  EXPECT_EQ(root->presentedViewController(), nullptr);
  EXPECT_EQ(middle->presentedViewController(), nullptr);
  EXPECT_EQ(top->view()->window(), nullptr);
  EXPECT_EQ(middle->view()->window(), nullptr);
}

TEST_F(ViewControllerTest, ADismissalAskedForDuringThePresentationRunsOnceItHasArrived) {
  auto sheet = controller("sheet");
  bool dismissed = false;
  root->presentViewController(sheet, true, nullptr);

  RunLoop::advance(0.1);
  sheet->dismissViewControllerAnimated(true, [&] { dismissed = true; });
  RunLoop::advance(2);

  EXPECT_TRUE(dismissed);
  EXPECT_EQ(root->presentedViewController(), nullptr);
  EXPECT_EQ(sheet->view()->window(), nullptr);
}

TEST_F(ViewControllerTest, NavigationPushAndPopMoveTheTopViewAndSendAppearanceCallbacks) {
  auto first = controller("first");
  auto navigation = UINavigationController::alloc()->initWithRootViewController(first);
  window->setRootViewController(navigation);
  auto second = controller("second");
  journal.clear();

  navigation->pushViewController(second, true);
  RunLoop::advance(1);
  auto pushed = journal;
  bool firstInWindowAfterPush = first->view()->window() != nullptr;
  journal.clear();
  auto popped = navigation->popViewControllerAnimated(true);
  RunLoop::advance(1);
  auto poppedRoot = navigation->popViewControllerAnimated(false);

  EXPECT_EQ(pushed, (std::vector<std::string>{"second viewDidLoad", "first viewWillDisappear",
                                              "second viewWillAppear", "first viewDidDisappear",
                                              "second viewDidAppear"}));
  EXPECT_FALSE(firstInWindowAfterPush);
  EXPECT_EQ(popped, second);
  EXPECT_EQ(poppedRoot, nullptr);
  EXPECT_EQ(navigation->topViewController(), first);
  EXPECT_EQ(navigation->viewControllers().size(), 1u);
  EXPECT_EQ(second->parentViewController(), nullptr);
  EXPECT_EQ(second->view()->window(), nullptr);
  EXPECT_EQ(journal, (std::vector<std::string>{"second viewWillDisappear", "first viewWillAppear",
                                               "second viewDidDisappear", "first viewDidAppear"}));
}

TEST_F(ViewControllerTest, TheNavigationBarTakesFortyFourPointsUnderTheSafeAreaUntilHidden) {
  auto content = controller("content");
  auto navigation = UINavigationController::alloc()->initWithRootViewController(content);
  window->setRootViewController(navigation);

  CGRect barShown = navigation->navigationBar()->frame();
  CGRect contentShown = content->view()->frame();
  navigation->setNavigationBarHidden(true, false);

  EXPECT_EQ(barShown, CGRectMake(0, 47, 390, 44));
  EXPECT_EQ(contentShown, CGRectMake(0, 91, 390, 844 - 91));
  EXPECT_TRUE(navigation->navigationBar()->isHidden());
  EXPECT_EQ(content->view()->frame(), CGRectMake(0, 0, 390, 844));
}

TEST_F(ViewControllerTest, ContainerAppearanceReachesChildrenWhoseViewsAreInItsView) {
  auto container = controller("container");
  auto inside = controller("inside");
  auto detached = controller("detached");
  container->addChildViewController(inside);
  container->view()->addSubview(inside->view());
  inside->didMoveToParentViewController(container);
  container->addChildViewController(detached);
  journal.clear();

  root->presentViewController(container, false, nullptr);
  RunLoop::advance(0);

  EXPECT_EQ(journal, (std::vector<std::string>{"container viewWillAppear", "inside viewWillAppear",
                                               "container viewDidAppear", "inside viewDidAppear"}));
  EXPECT_EQ(inside->parentViewController(), container);
}

// ---- Alerts ----

// The button showing `title` in the window's tree, or null.
std::shared_ptr<UIButton> buttonTitled(const std::shared_ptr<UIView>& root,
                                       const std::string& title) {
  if (auto button = std::dynamic_pointer_cast<UIButton>(root)) {
    if (button->currentTitle() == title) return button;
  }
  for (auto& subview : root->subviews()) {
    if (auto found = buttonTitled(subview, title)) return found;
  }
  return nullptr;
}

void tapAt(CGPoint point) {
  auto app = UIApplication::sharedApplication();
  app->touchDown(point);
  app->touchUp(point);
}

void tapButton(const std::shared_ptr<UIWindow>& window, const std::string& title) {
  auto button = buttonTitled(window, title);
  ASSERT_NE(button, nullptr) << title;
  CGRect frame = screenFrame(button);
  tapAt(CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame)));
}

TEST_F(ViewControllerTest, AnAlertActionsHandlerRunsOnceTheAlertHasBeenDismissed) {
  auto alert = UIAlertController::alertControllerWithTitle("Parlo", "Choose options...",
                                                           UIAlertControllerStyleAlert);
  struct Seen {
    int runs = 0;
    bool alertStillPresented = true;
    bool alertInWindow = true;
  } seen;
  auto chat = UINavigationController::alloc()->initWithRootViewController(controller("chat"));
  chat->setModalPresentationStyle(UIModalPresentationFullScreen);
  alert->addAction(UIAlertAction::actionWithTitle(
      "Launch Fake Chat", UIAlertActionStyleDefault, [&](const std::shared_ptr<UIAlertAction>&) {
        ++seen.runs;
        seen.alertStillPresented = root->presentedViewController() != nullptr;
        seen.alertInWindow = alert->view()->window() != nullptr;
        root->presentViewController(chat, true, nullptr);
      }));
  alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, nullptr));
  root->presentViewController(alert, true, nullptr);
  RunLoop::advance(1);

  tapButton(window, "Launch Fake Chat");
  int runsRightAfterTap = seen.runs;
  tapButton(window, "Launch Fake Chat");
  RunLoop::advance(1);

  EXPECT_EQ(runsRightAfterTap, 0);
  EXPECT_EQ(seen.runs, 1);
  EXPECT_FALSE(seen.alertStillPresented);
  EXPECT_FALSE(seen.alertInWindow);
  EXPECT_EQ(root->presentedViewController(), chat);
  EXPECT_EQ(chat->view()->window(), window);
}

TEST_F(ViewControllerTest, TheOptionsAlertPresentedAgainWhileShownStaysSingle) {
  auto makeAlert = [] {
    auto alert = UIAlertController::alertControllerWithTitle("Parlo", "Choose options...",
                                                             UIAlertControllerStyleAlert);
    alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, nullptr));
    return alert;
  };
  auto first = makeAlert();
  auto second = makeAlert();

  root->presentViewController(first, true, nullptr);
  testing::internal::CaptureStderr();
  root->presentViewController(second, true, nullptr);
  testing::internal::GetCapturedStderr();
  RunLoop::advance(1);

  EXPECT_EQ(root->presentedViewController(), first);
  EXPECT_EQ(first->view()->window(), window);
  EXPECT_FALSE(second->isViewLoaded());
}

TEST_F(ViewControllerTest, AlertAndActionSheetButtonsFollowThePlatformsOrder) {
  struct Action {
    const char* title;
    UIAlertActionStyle style;
  };
  struct Case {
    const char* name;
    UIAlertControllerStyle style;
    std::vector<Action> actions;
    std::vector<std::string> order;  // top to bottom, left to right
    bool sideBySide;
    bool cancelApart;
  };
  const auto D = UIAlertActionStyleDefault;
  const auto C = UIAlertActionStyleCancel;
  const auto X = UIAlertActionStyleDestructive;
  const std::vector<Case> cases = {
      {"two actions, cancel second",
       UIAlertControllerStyleAlert,
       {{"Delete", D}, {"Cancel", C}},
       {"Cancel", "Delete"},
       true,
       false},
      {"two default actions",
       UIAlertControllerStyleAlert,
       {{"Delete", D}, {"Cancel", D}},
       {"Delete", "Cancel"},
       true,
       false},
      {"three actions, cancel in the middle",
       UIAlertControllerStyleAlert,
       {{"Launch Fake Chat", D}, {"Cancel", C}, {"Open Settings", D}},
       {"Launch Fake Chat", "Open Settings", "Cancel"},
       false,
       false},
      {"sheet with a cancel action",
       UIAlertControllerStyleActionSheet,
       {{"Cancel", C}, {"Open settings", D}, {"Set posts count", D}},
       {"Open settings", "Set posts count", "Cancel"},
       false,
       true},
      {"sheet with a destructive cancel",
       UIAlertControllerStyleActionSheet,
       {{"Open settings", D}, {"Cancel", X}, {"Set posts count", D}},
       {"Open settings", "Cancel", "Set posts count"},
       false,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto alert = UIAlertController::alertControllerWithTitle("Parlo", "Select options...", c.style);
    for (const Action& action : c.actions) {
      alert->addAction(UIAlertAction::actionWithTitle(action.title, action.style, nullptr));
    }

    root->presentViewController(alert, false, nullptr);
    RunLoop::advance(0);
    std::vector<std::pair<std::string, CGRect>> shown;
    for (const Action& action : c.actions) {
      auto button = buttonTitled(window, action.title);
      ASSERT_NE(button, nullptr);
      shown.emplace_back(action.title, screenFrame(button));
    }
    std::sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) {
      if (a.second.origin.y != b.second.origin.y) return a.second.origin.y < b.second.origin.y;
      return a.second.origin.x < b.second.origin.x;
    });
    std::vector<std::string> order;
    for (auto& [title, frame] : shown) order.push_back(title);
    auto cancelCard = buttonTitled(window, c.order.back())->superview();
    bool cancelApart = cancelCard != buttonTitled(window, c.order.front())->superview();
    root->dismissViewControllerAnimated(false, nullptr);
    RunLoop::advance(0);

    EXPECT_EQ(order, c.order);
    EXPECT_EQ(shown[0].second.origin.y == shown[1].second.origin.y, c.sideBySide);
    EXPECT_EQ(cancelApart, c.cancelApart);
    if (c.style == UIAlertControllerStyleAlert) {
      EXPECT_EQ(screenFrame(alert->view()->subviews()[1]).size.width, 270);
    } else {
      EXPECT_EQ(screenFrame(cancelCard).origin.x, 8);
    }
  }
}

TEST_F(ViewControllerTest, AnAlertAllowsOnlyOneCancelAction) {
  auto alert =
      UIAlertController::alertControllerWithTitle("User Name", "", UIAlertControllerStyleAlert);
  alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, nullptr));

  EXPECT_THROW(
      alert->addAction(UIAlertAction::actionWithTitle("Close", UIAlertActionStyleCancel, nullptr)),
      objc::RuntimeError);
  EXPECT_EQ(alert->actions().size(), 1u);
}

TEST_F(ViewControllerTest, ATapOutsideAnActionSheetRunsItsCancelAction) {
  auto sheet = UIAlertController::alertControllerWithTitle("Parlo", "Select options...",
                                                           UIAlertControllerStyleActionSheet);
  int cancels = 0;
  sheet->addAction(
      UIAlertAction::actionWithTitle("Open settings", UIAlertActionStyleDefault, nullptr));
  sheet->addAction(
      UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel,
                                     [&](const std::shared_ptr<UIAlertAction>&) { ++cancels; }));
  root->presentViewController(sheet, true, nullptr);
  RunLoop::advance(1);

  tapAt(CGPointMake(195, 100));
  RunLoop::advance(1);

  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(ViewControllerTest, AlertTextFieldsAreConfiguredAtOnceAndOnlyAlertsHaveThem) {
  auto alert = UIAlertController::alertControllerWithTitle("User Name", "Add your username here.",
                                                           UIAlertControllerStyleAlert);
  auto sheet =
      UIAlertController::alertControllerWithTitle("Parlo", "", UIAlertControllerStyleActionSheet);
  std::string stored = "unset";
  alert->addTextFieldWithConfigurationHandler([](const std::shared_ptr<UITextField>& field) {
    field->setPlaceholder("Your username...");
    field->setSecureTextEntry(false);
  });
  alert->addAction(UIAlertAction::actionWithTitle(
      "OK", UIAlertActionStyleDefault,
      [&](const std::shared_ptr<UIAlertAction>&) { stored = alert->textFields()[0]->text(); }));
  root->presentViewController(alert, false, nullptr);
  RunLoop::advance(0);

  alert->textFields()[0]->setText("brisvale");
  tapButton(window, "OK");
  RunLoop::advance(1);

  ASSERT_EQ(alert->textFields().size(), 1u);
  EXPECT_EQ(alert->textFields()[0]->placeholder(), "Your username...");
  EXPECT_EQ(stored, "brisvale");
  EXPECT_THROW(sheet->addTextFieldWithConfigurationHandler(nullptr), objc::RuntimeError);
}

}  // namespace
