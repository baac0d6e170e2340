#include <gtest/gtest.h>
#include <stdlib.h>

#include <cairo.h>

#include <filesystem>
#include <string>

#include "BrisvaleKit/UIView+Layout.h"
#include "TemporaryDeviceRoot.h"
#include "chat/IntroBannerView.h"
#include "chat/UIColor+Appearance.h"
#include "foundation/RunLoop.h"
#include "render/Renderer.h"
#include "uikit/UIApplication.h"
#include "uikit/UIWindow.h"

namespace {

namespace fs = std::filesystem;

constexpr CGFloat kWidth = 390;
constexpr CGFloat kPixel = 0.34;

CGRect inBanner(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& banner) {
  return view->convertRectToView(view->bounds(), banner);
}

class IntroBanner : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    // The built badge, where the build made one; without it the badge is empty but placed.
    device_.installBuiltAssets({"verified"}, testsupport::ScaleVariant::No);
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
  }

  void TearDown() override {
    RunLoop::advance(10);
    UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleUnspecified);
  }

  std::shared_ptr<IntroBannerView> show(const char* name, bool verified,
                                        const char* follow = "You follow each other on Instagram") {
    auto banner = IntroBannerView::alloc()->initWithFrame(
        CGRectZero, avatar(), NSString::string(name),
        NSString::string("35.5K followers • 5.3K posts"), NSString::string(follow), verified);
    auto header = UIView::alloc()->initWithFrame(CGRectMake(0, 0, kWidth, 278));
    header->setBackgroundColor(UIColor::systemBackgroundColor());
    window->addSubview(header);
    header->addSubview(banner);
    Layout::fill(banner);
    window->layoutIfNeeded();
    return banner;
  }

  // A flat orange square stands in for a profile picture.
  std::shared_ptr<UIImage> avatar() const {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 60, 60);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.95, 0.55, 0.2);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(surface, (device_.path() / "avatar.png").c_str());
    cairo_surface_destroy(surface);
    return UIImage::imageWithContentsOfFile("/avatar.png");
  }

  static void snapshot(const std::shared_ptr<UIView>& view, const std::string& name) {
    const char* dir = getenv("PARLO_BANNER_SNAPSHOTS");
    if (!dir) return;
    fs::create_directories(dir);
    EXPECT_TRUE(render::writeViewPNG(view, (fs::path(dir) / (name + ".png")).string()));
  }

  // First, so that it outlives the views.
  testsupport::TemporaryDeviceRoot device_{"parlo-banner"};
  std::shared_ptr<UIWindow> window;
};

TEST_F(IntroBanner, StacksTheAvatarNameAndLinesFromTheTop) {
  auto banner = show("jordan.reyes", true);
  const CGRect avatar = inBanner(banner->avatarImage(), banner);
  EXPECT_EQ(avatar, CGRectMake((kWidth - 96) / 2, 20, 96, 96));

  const CGRect name = inBanner(banner->usernameLabel(), banner);
  EXPECT_NEAR(CGRectGetMidX(name), kWidth / 2 - 11, kPixel);
  EXPECT_NEAR(name.origin.y, 126, kPixel);
  EXPECT_NEAR(name.size.height, 23, kPixel);
  EXPECT_NEAR(name.size.width,
              IntroBannerView::usernameLabelWidth(NSString::string("jordan.reyes")), kPixel);

  const CGRect badge = inBanner(banner->verifiedImage(), banner);
  EXPECT_NEAR(badge.origin.x, CGRectGetMaxX(name) + 2, kPixel);
  EXPECT_NEAR(CGRectGetMidY(badge), CGRectGetMidY(name), kPixel);
  EXPECT_NEAR(badge.size.width, 18, kPixel);
  EXPECT_EQ(banner->verifiedImage()->alpha(), 1.0);

  // Each grey line 5 below the one above, 20 in from both sides.
  CGFloat above = CGRectGetMaxY(name);
  for (const auto& line :
       {banner->parloLabel(), banner->followTitleLabel(), banner->followSubtitleLabel()}) {
    const CGRect frame = inBanner(line, banner);
    EXPECT_NEAR(frame.origin.y, above + 5, kPixel);
    EXPECT_NEAR(frame.origin.x, 20, kPixel);
    EXPECT_NEAR(CGRectGetMaxX(frame), kWidth - 20, kPixel);
    above = CGRectGetMaxY(frame);
  }
  const CGRect pill = inBanner(banner->profileLabel(), banner);
  EXPECT_NEAR(pill.origin.y, above + 15, kPixel);
  EXPECT_NEAR(pill.size.width, 96, kPixel);
  EXPECT_NEAR(pill.size.height, 28, kPixel);
  EXPECT_NEAR(CGRectGetMidX(pill), kWidth / 2, kPixel);
  // The whole block fits the table's 278-point header.
  EXPECT_LE(CGRectGetMaxY(pill), 278);

  EXPECT_EQ(banner->parloLabel()->text()->UTF8String(), std::string("Instagram"));
  EXPECT_EQ(banner->profileLabel()->text()->UTF8String(), std::string("View Profile"));
}

TEST_F(IntroBanner, TheNameKeepsTheCentringItWasBuiltWith) {
  auto banner = show("sam", false);
  const CGRect centred = inBanner(banner->usernameLabel(), banner);
  EXPECT_NEAR(CGRectGetMidX(centred), kWidth / 2, kPixel);
  EXPECT_EQ(banner->verifiedImage()->alpha(), 0.0);

  // Verified later (from the options menu): the badge shows, the name stays put.
  banner->updateVerificationStatus(true);
  window->layoutIfNeeded();
  EXPECT_EQ(banner->verifiedImage()->alpha(), 1.0);
  EXPECT_EQ(inBanner(banner->usernameLabel(), banner), centred);
}

TEST_F(IntroBanner, ALongNameIsMeasuredWithinTwoHundredFiftyPoints) {
  const char* name = "an.exceptionally.long.user.name.that.never.ends.at.all";
  auto banner = show(name, true);
  const CGRect label = inBanner(banner->usernameLabel(), banner);
  EXPECT_LE(label.size.width, 255 + kPixel);
  EXPECT_GT(label.size.width, 200);
  // A nil name measures nothing but still gets the five spare points.
  EXPECT_EQ(IntroBannerView::usernameLabelWidth(nullptr), 5);
}

TEST_F(IntroBanner, BordersFollowTheAppearance) {
  auto banner = show("jordan.reyes", true, "You don't follow each other on Instagram");
  auto border = [&](const std::shared_ptr<UIView>& view) { return view->layer()->borderColor(); };
  const auto lightPill = border(banner->profileLabel());
  const auto lightRing = border(banner->avatarImage());
  snapshot(banner->superview(), "banner-light");

  UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleDark);
  window->layoutIfNeeded();
  EXPECT_NE(border(banner->profileLabel()), lightPill);
  EXPECT_NE(border(banner->avatarImage()), lightRing);
  snapshot(banner->superview(), "banner-dark");
}

}  // namespace
