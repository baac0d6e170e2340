#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "TemporaryDeviceRoot.h"
#include "call/IncomingCallBanner.h"
#include "foundation/RunLoop.h"
#include "render/Renderer.h"
#include "uikit/UIApplication.h"
#include "uikit/UIWindow.h"

namespace {

namespace fs = std::filesystem;

constexpr CGFloat kPixel = 0.34;
const CGRect kShown = CGRectMake(10, 45, 370, 100);

class BannerLog : public IncomingCallBannerDelegate {
 public:
  void didCancelIncomingCallBanner() override { ++cancels; }
  void didAcceptIncomingCallBanner() override { ++accepts; }
  int cancels = 0, accepts = 0;
};

CGRect onScreen(const std::shared_ptr<UIView>& view) {
  return view->convertRectToView(view->bounds(), nullptr);
}

void tap(CGPoint point) {
  auto app = UIApplication::sharedApplication();
  app->touchDown(point);
  RunLoop::advance(0.05);
  app->touchUp(point);
  RunLoop::advance(0.5);
}

class Banner : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    device_.installEveryBuiltAsset(testsupport::ScaleVariant::No);
    device_.installBuiltSymbols();
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
  }

  void TearDown() override {
    UIApplication::sharedApplication()->cancelAllTouches();
    RunLoop::advance(2);
    UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleUnspecified);
    window->setHidden(true);
  }

  std::shared_ptr<IncomingCallBanner> show(const std::string& caller,
                                           const std::string& recipient) {
    auto banner = IncomingCallBanner::alloc()->initWithFrame(kShown, NSString::string(caller),
                                                             NSString::string(recipient));
    banner->setDelegate(log);
    window->addSubview(banner);
    window->layoutIfNeeded();
    return banner;
  }

  testsupport::TemporaryDeviceRoot device_{"parlo-banner"};
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<BannerLog> log = std::make_shared<BannerLog>();
};

TEST_F(Banner, EachTapOnARoundButtonOrItsIconReportsExactlyOneAnswer) {
  auto banner = show("Your Username", "maya.lindqvist");
  const auto centreOf = [](const std::shared_ptr<UIView>& view) {
    const CGRect frame = onScreen(view);
    return CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame));
  };
  const struct {
    const char* name;
    CGPoint point;
    int cancels;
    int accepts;
  } cases[] = {
      {"decline button's rim",
       CGPointMake(CGRectGetMinX(onScreen(banner->cancelView())) + 4,
                   centreOf(banner->cancelView()).y),
       1, 0},
      {"cross", centreOf(banner->cancelIcon()), 1, 0},
      {"accept button's rim",
       CGPointMake(CGRectGetMaxX(onScreen(banner->acceptView())) - 4,
                   centreOf(banner->acceptView()).y),
       0, 1},
      {"check mark", centreOf(banner->acceptIcon()), 0, 1},
      {"names", centreOf(banner->recipientUsername()), 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    log->cancels = log->accepts = 0;

    tap(c.point);

    EXPECT_EQ(log->cancels, c.cancels);
    EXPECT_EQ(log->accepts, c.accepts);
  }
}

TEST_F(Banner, TheButtonsSitOnTheRightAndTheTextRowsStackAroundTheCentreCutBeforeTheDecline) {
  auto banner = show("Your Username", "a.recipient.with.a.name.far.too.long.for.the.banner");
  const CGRect accept = onScreen(banner->acceptView());
  const CGRect cancel = onScreen(banner->cancelView());
  const CGRect recipient = onScreen(banner->recipientUsername());
  const CGRect caller = onScreen(banner->callerUsername());
  const CGRect icon = onScreen(banner->iconImage());
  const CGRect subtitle = onScreen(banner->subtitle());

  EXPECT_NEAR(CGRectGetMaxX(accept), CGRectGetMaxX(kShown) - 15, kPixel);
  EXPECT_NEAR(accept.size.width, 45, kPixel);
  EXPECT_NEAR(CGRectGetMaxX(cancel), CGRectGetMinX(accept) - 15, kPixel);
  EXPECT_NEAR(CGRectGetMidY(cancel), CGRectGetMidY(kShown), kPixel);
  EXPECT_NEAR(CGRectGetMidY(recipient), CGRectGetMidY(kShown), kPixel);
  EXPECT_NEAR(recipient.origin.x, kShown.origin.x + 15, kPixel);
  EXPECT_NEAR(CGRectGetMaxX(recipient), CGRectGetMinX(cancel) - 10, kPixel);
  EXPECT_NEAR(CGRectGetMaxY(caller), CGRectGetMinY(recipient) - 5, kPixel);
  EXPECT_NEAR(icon.origin.y, CGRectGetMaxY(recipient) + 5, kPixel);
  EXPECT_NEAR(CGRectGetMidY(subtitle), CGRectGetMidY(icon), kPixel);
  EXPECT_NEAR(subtitle.origin.x, CGRectGetMaxX(icon) + 5, kPixel);
  EXPECT_EQ(banner->subtitle()->text()->utf8(), "Instagram Audio...");
  EXPECT_TRUE(banner->iconImage()->image());
  EXPECT_TRUE(banner->acceptIcon()->image());
  EXPECT_TRUE(banner->cancelIcon()->image());

  const char* dir = getenv("PARLO_CALL_SNAPSHOTS");
  if (!dir) return;
  fs::create_directories(dir);
  for (auto style : {UIUserInterfaceStyleLight, UIUserInterfaceStyleDark}) {
    UIApplication::sharedApplication()->setUserInterfaceStyle(style);
    EXPECT_TRUE(render::writeViewPNG(
        banner, (fs::path(dir) /
                 (style == UIUserInterfaceStyleDark ? "banner-dark.png" : "banner-light.png"))
                    .string()));
  }
}

}  // namespace
