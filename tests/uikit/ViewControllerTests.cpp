#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/RunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UINavigationController.h"
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

}  // namespace
