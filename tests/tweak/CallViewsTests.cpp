#include <gtest/gtest.h>
#include <stdlib.h>

#include <cairo.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BrisvaleKit/UIView+Layout.h"
#include "ChatCellTable.h"
#include "TemporaryDeviceRoot.h"
#include "call/ActionButton.h"
#include "call/BeginCallView.h"
#include "call/CallContainerView.h"
#include "call/EndCallView.h"
#include "call/ParloFloatingView.h"
#include "foundation/Clock.h"
#include "foundation/RunLoop.h"
#include "quartz/CAAnimationTimeline.h"
#include "render/Renderer.h"
#include "uikit/UIApplication.h"
#include "uikit/UIBlurEffect.h"
#include "uikit/UIWindow.h"

namespace {

// A view that answers one of the call window's control actions, as the window does.
class ControlsHost : public UIView {
  OBJC_CLASS(ControlsHost, UIView);

 public:
  void minimiseCallView() { ++minimises; }
  int minimises = 0;
};

class EndCallLog : public EndCallDelegate {
 public:
  void finishedWithFakeCall() override { ++finishes; }
  int finishes = 0;
};

}  // namespace

OBJC_CLASS_IMPL(ControlsHost) {
  c.method("minimiseCallView", &ControlsHost::minimiseCallView);
}

namespace {

namespace fs = std::filesystem;
using chatcells::Pixel;
using chatcells::pixelAt;

constexpr CGFloat kWidth = 390;
constexpr CGFloat kHeight = 844;
constexpr CGFloat kPixel = 0.34;

CGRect in(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& page) {
  return view->convertRectToView(view->bounds(), page);
}

// Layout rounds edges to the screen's pixels (a third of a point).
void expectNear(CGRect actual, CGRect expected, const char* what = "") {
  EXPECT_NEAR(actual.origin.x, expected.origin.x, kPixel) << what;
  EXPECT_NEAR(actual.origin.y, expected.origin.y, kPixel) << what;
  EXPECT_NEAR(actual.size.width, expected.size.width, kPixel) << what;
  EXPECT_NEAR(actual.size.height, expected.size.height, kPixel) << what;
}

double shownAlpha(const std::shared_ptr<UIView>& view) {
  return std::get<double>(*CAAnimationTimeline::presentationValue(*view->layer(), "opacity"));
}

class CallViews : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    device_.installEveryBuiltAsset(testsupport::ScaleVariant::Yes);
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
    recipient = picture("/recipient.png", 0.95, 0.55, 0.2);
    caller = picture("/caller.png", 0.2, 0.5, 0.95);
  }

  void TearDown() override {
    UIApplication::sharedApplication()->cancelAllTouches();
    RunLoop::advance(5);
    UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleUnspecified);
  }

  // A profile picture: a flat colour with a white bar across its upper half, so that the cover's
  // enlargement and the avatar's crop show.
  std::shared_ptr<UIImage> picture(const char* path, double r, double g, double b) const {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 150, 150);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, r, g, b);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, 0, 40, 150, 20);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(surface, (device_.path() / (path + 1)).c_str());
    cairo_surface_destroy(surface);
    return UIImage::imageWithContentsOfFile(path);
  }

  template <class View>
  std::shared_ptr<View> place(const std::shared_ptr<View>& view) {
    window->addSubview(view);
    window->layoutIfNeeded();
    return view;
  }

  static void snapshot(const std::shared_ptr<UIView>& view, const std::string& name) {
    const char* dir = getenv("PARLO_CALL_SNAPSHOTS");
    if (!dir) return;
    fs::create_directories(dir);
    EXPECT_TRUE(render::writeViewPNG(view, (fs::path(dir) / (name + ".png")).string()));
  }

  // First, so that it outlives the views.
  testsupport::TemporaryDeviceRoot device_{"parlo-callviews"};
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIImage> recipient;
  std::shared_ptr<UIImage> caller;
};

// ---- ActionButton ----

TEST_F(CallViews, AnActionButtonCentresItsIconOverhangingAndSendsItsActionUpTheChain) {
  auto host = ControlsHost::alloc();
  host->initWithFrame(CGRectMake(0, 0, kWidth, 200));
  place(host);
  auto button = ActionButton::alloc()->initWithIcon("minimise.png", 50, "minimiseCallView");
  host->addSubview(button);
  Layout::size(button, 40, 40);
  Layout::xy(button, host->centerXAnchor(), host->centerYAnchor());
  window->layoutIfNeeded();

  EXPECT_EQ(button->icon()->frame(), CGRectMake(-5, -5, 50, 50));
  EXPECT_FALSE(button->clipsToBounds());
  EXPECT_EQ(button->icon()->contentMode(), UIViewContentModeScaleAspectFit);
  EXPECT_EQ(button->icon()->tintColor(), UIColor::whiteColor());
  ASSERT_TRUE(button->icon()->image()) << "the icon comes from the asset directory";
  EXPECT_EQ(button->icon()->image()->size(), CGSizeMake(50, 50));

  auto app = UIApplication::sharedApplication();
  app->touchDown({195, 100});
  EXPECT_FLOAT_EQ(button->alpha(), 0.8);
  EXPECT_DOUBLE_EQ(CAAnimationTimeline::animationForKey(*button->layer(), "opacity")->duration(),
                   0.3);
  app->touchUp({195, 100});
  EXPECT_EQ(host->minimises, 1);
  EXPECT_EQ(button->alpha(), 1.0);
  RunLoop::advance(0.3);
  EXPECT_EQ(shownAlpha(button), 1.0);

  app->touchDown({195, 100});
  app->touchCancel();
  EXPECT_EQ(button->alpha(), 1.0);
  EXPECT_EQ(host->minimises, 1) << "a cancelled press sends nothing";
}

TEST_F(CallViews, EveryImageOfTheCallScreensLoadsAtTheSizeItIsDrawnAt) {
  const std::pair<const char*, CGSize> images[] = {
      {"minimise.png", {50, 50}},       {"facetime-off.png", {45, 45}},
      {"facetime-on.png", {45, 45}},    {"facetime-rotate.png", {45, 45}},
      {"microphone.png", {45, 45}},     {"microphone-disabled.png", {45, 45}},
      {"volume.png", {45, 45}},         {"volume-disabled.png", {45, 45}},
      {"dismiss.png", {50, 50}},        {"dismiss", {50, 50}},
      {"side-filter.png", {42.9, 155}}, {"bottom-media.png", {110.29, 62}},
      {"rating.png", {176, 32}},
  };

  for (const auto& [name, size] : images) {
    auto image = UIImage::imageWithContentsOfFile(std::string(testsupport::kAssets) + name);

    ASSERT_TRUE(image) << name;
    EXPECT_EQ(image->scale(), 3) << name;
    // The asset build rounds to whole pixels.
    EXPECT_NEAR(image->size().width, size.width, kPixel) << name;
    EXPECT_NEAR(image->size().height, size.height, kPixel) << name;
  }
}

// ---- CallContainerView ----

TEST_F(CallViews, AHalfCentresItsBlurredCoverAndRoundAvatarAndMinimisingHalvesThemUntilMaximised) {
  auto half = place(CallContainerView::alloc()->initWithFrame(
      CGRectMake(0, 0, kWidth, kHeight * 0.5), recipient, NSString::string("jordan.reyes")));

  const CGRect cover = half->coverAvatarImage()->frame();
  const CGRect avatar = half->avatarImage()->frame();
  expectNear(cover, CGRectMake((kWidth - 375) / 2, (422 - 375) / 2.0, 375, 375));
  EXPECT_EQ(half->coverAvatarImage()->layer()->cornerRadius(), 137.5);
  EXPECT_EQ(half->blurEffectView()->frame(), half->bounds());
  auto blur = std::dynamic_pointer_cast<UIBlurEffect>(half->blurEffectView()->effect());
  ASSERT_TRUE(blur);
  EXPECT_EQ(blur->style(), UIBlurEffectStyleSystemMaterialDark);
  expectNear(avatar, CGRectMake((kWidth - 85) / 2, (422 - 85) / 2.0, 85, 85));
  EXPECT_EQ(half->avatarImage()->layer()->cornerRadius(), 42.5);
  EXPECT_EQ(half->avatarImage()->layer()->borderWidth(), 0.5);
  EXPECT_EQ(half->usernameString()->UTF8String(), std::string("jordan.reyes"));
  EXPECT_EQ(half->subviews().back(), half->avatarImage()) << "the avatar lies over the blur";

  half->updateMinimiseView();
  EXPECT_EQ(half->avatarImage()->frame().size, CGSizeMake(42.5, 42.5));
  half->updateMinimiseView();
  EXPECT_EQ(half->coverAvatarImage()->frame().size, CGSizeMake(93.75, 93.75));
  EXPECT_EQ(CGRectGetMidX(half->avatarImage()->frame()), CGRectGetMidX(avatar))
      << "scaled about its centre";

  half->updateMaximiseView();
  window->layoutIfNeeded();
  EXPECT_EQ(half->coverAvatarImage()->frame(), cover);
  EXPECT_EQ(half->avatarImage()->frame(), avatar);
  EXPECT_TRUE(CGAffineTransformIsIdentity(half->avatarImage()->transform()));
}

// ---- BeginCallView ----

TEST_F(CallViews, TheCallingPageStacksTheOtherSidesPictureNameAndCallingFromTheTop) {
  auto page = place(BeginCallView::alloc()->initWithFrame(
      window->bounds(), NSString::string("jordan.reyes"), recipient, caller));

  EXPECT_EQ(page->coverAvatarImage()->image(), caller);
  expectNear(page->coverAvatarImage()->frame(),
             CGRectMake((kWidth - 375) / 2, (kHeight - 375) / 2, 375, 375));
  EXPECT_EQ(page->blurEffectView()->frame(), page->bounds());
  const CGRect avatar = in(page->avatarImage(), page);
  EXPECT_EQ(avatar, CGRectMake((kWidth - 96) / 2, 160, 96, 96));
  EXPECT_EQ(page->avatarImage()->image(), recipient);
  EXPECT_EQ(page->avatarImage()->layer()->borderWidth(), 0.7);

  const CGRect name = in(page->usernameLabel(), page);
  EXPECT_EQ(name.origin, CGPointMake(20, CGRectGetMaxY(avatar) + 20));
  EXPECT_EQ(name.size.width, kWidth - 40);
  EXPECT_EQ(page->usernameLabel()->text()->UTF8String(), std::string("jordan.reyes"));
  EXPECT_EQ(page->usernameLabel()->font()->weight(), UIFontWeightLight);

  const CGRect calling = in(page->callLabel(), page);
  EXPECT_NEAR(calling.origin.y, CGRectGetMaxY(name) + 10, kPixel);
  EXPECT_NEAR(CGRectGetMidX(calling), kWidth / 2, kPixel);
  EXPECT_EQ(page->callLabel()->text()->UTF8String(), std::string("Calling..."));
  EXPECT_FLOAT_EQ(page->callLabel()->alpha(), 0.8);

  // The picture shows sharp in the ring; the cover beside it is blurred and darkened.
  const Pixel ring = pixelAt(page, {CGRectGetMidX(avatar), CGRectGetMaxY(avatar) - 15});
  EXPECT_GT(ring.red, 200);
  EXPECT_LT(ring.blue, 90);
  const Pixel cover = pixelAt(page, {60, 600});
  EXPECT_GT(cover.blue, cover.red) << "the local user's picture lies behind";
  EXPECT_LT(cover.blue, 200);
}

// ---- EndCallView ----

TEST_F(CallViews, TheEndPageShowsOnlyItsCoverAndCloseButtonUntilItsTextsFadeInStaggered) {
  auto page = place(EndCallView::alloc()->initWithFrame(window->bounds(), recipient));
  auto delegate = std::make_shared<EndCallLog>();
  page->setDelegate(delegate);

  EXPECT_EQ(in(page->dismissBtn(), page), CGRectMake(kWidth - 25 - 40, 60, 40, 40));
  ASSERT_TRUE(page->dismissBtn()->icon()->image()) << "\"dismiss\" loads dismiss.png";
  EXPECT_EQ(page->dismissBtn()->icon()->image()->size(), CGSizeMake(50, 50));
  const CGRect avatar = in(page->avatarImage(), page);
  EXPECT_EQ(avatar, CGRectMake((kWidth - 96) / 2, 160, 96, 96));
  const CGRect left = in(page->leftLabel(), page);
  const CGRect duration = in(page->durationLabel(), page);
  const CGRect quality = in(page->qualityLabel(), page);
  const CGRect rating = in(page->ratingImage(), page);
  EXPECT_EQ(left.origin, CGPointMake(20, CGRectGetMaxY(avatar) + 20));
  EXPECT_NEAR(duration.origin.y, CGRectGetMaxY(left) + 15, kPixel);
  EXPECT_NEAR(quality.origin.y, CGRectGetMaxY(duration) + 60, kPixel);
  EXPECT_NEAR(rating.origin.y, CGRectGetMaxY(quality) + 25, kPixel);
  EXPECT_EQ(rating.size, CGSizeMake(176, 32));
  EXPECT_NEAR(CGRectGetMidX(rating), kWidth / 2, kPixel);
  ASSERT_TRUE(page->ratingImage()->image());
  EXPECT_EQ(page->durationLabel()->text()->UTF8String(), std::string("Calling..."));
  EXPECT_EQ(page->leftLabel()->text()->UTF8String(), std::string("You left"));
  EXPECT_EQ(page->qualityLabel()->text()->UTF8String(),
            std::string("How was the quality of your call?"));

  struct Fade {
    std::shared_ptr<UIView> view;
    double duration;
    double alpha;
  };
  const Fade fades[] = {
      {page->avatarImage(), 0.2, 1.0},   {page->leftLabel(), 0.4, 1.0},
      {page->durationLabel(), 0.6, 1.0}, {page->qualityLabel(), 0.8, 0.8},
      {page->ratingImage(), 1.0, 0.8},
  };
  for (const Fade& f : fades) EXPECT_EQ(f.view->alpha(), 0.0);
  for (const auto& shown : {std::shared_ptr<UIView>(page->coverAvatarImage()),
                            std::shared_ptr<UIView>(page->blurEffectView()),
                            std::shared_ptr<UIView>(page->dismissBtn())}) {
    EXPECT_EQ(shown->alpha(), 1.0);
  }
  snapshot(page, "end-before-light");

  page->beginAnimation();

  for (const Fade& f : fades) {
    EXPECT_FLOAT_EQ(f.view->alpha(), f.alpha);
    auto fade = CAAnimationTimeline::animationForKey(*f.view->layer(), "opacity");
    ASSERT_TRUE(fade);
    EXPECT_DOUBLE_EQ(fade->duration(), f.duration);
    EXPECT_DOUBLE_EQ(fade->beginTime(), Clock::now()) << "all start at once";
  }
  RunLoop::advance(0.5);
  EXPECT_EQ(shownAlpha(page->avatarImage()), 1.0);
  EXPECT_EQ(shownAlpha(page->leftLabel()), 1.0);
  EXPECT_LT(shownAlpha(page->durationLabel()), 1.0);
  EXPECT_LT(shownAlpha(page->ratingImage()), 0.8);
  RunLoop::advance(0.5);
  for (const Fade& f : fades) EXPECT_FLOAT_EQ(shownAlpha(f.view), f.alpha);

  UIApplication::sharedApplication()->touchDown({CGRectGetMidX(in(page->dismissBtn(), page)), 80});
  UIApplication::sharedApplication()->touchUp({CGRectGetMidX(in(page->dismissBtn(), page)), 80});
  EXPECT_EQ(delegate->finishes, 1);
}

// ---- Snapshots ----

TEST_F(CallViews, SnapshotsOfEachCallViewInLightAndDark) {
  if (!getenv("PARLO_CALL_SNAPSHOTS")) GTEST_SKIP() << "set PARLO_CALL_SNAPSHOTS to a folder";
  for (bool dark : {false, true}) {
    UIApplication::sharedApplication()->setUserInterfaceStyle(dark ? UIUserInterfaceStyleDark
                                                                   : UIUserInterfaceStyleLight);
    const std::string suffix = dark ? "-dark" : "-light";

    auto begin = place(BeginCallView::alloc()->initWithFrame(
        window->bounds(), NSString::string("jordan.reyes"), recipient, caller));
    snapshot(begin, "begin" + suffix);
    begin->removeFromSuperview();

    // The split call screen: the local user on top, the other side below.
    auto screen = place(UIView::alloc()->initWithFrame(window->bounds()));
    screen->addSubview(CallContainerView::alloc()->initWithFrame(
        CGRectMake(0, 0, kWidth, kHeight * 0.5), caller, NSString::string("")));
    screen->addSubview(CallContainerView::alloc()->initWithFrame(
        CGRectMake(0, kHeight * 0.5, kWidth, kHeight * 0.5), recipient,
        NSString::string("jordan.reyes")));
    window->layoutIfNeeded();
    snapshot(screen, "halves" + suffix);

    // Every control image in two rows of 40-point buttons, as the call window's top bar holds
    // them, and the camera's effect strip and the media corner where the window puts them.
    const std::pair<const char*, CGFloat> icons[] = {
        {"minimise.png", 50},        {"facetime-off.png", 45},
        {"microphone.png", 45},      {"volume.png", 45},
        {"facetime-on.png", 45},     {"dismiss.png", 50},
        {"facetime-rotate.png", 45}, {"microphone-disabled.png", 45},
        {"volume-disabled.png", 45}, {"dismiss", 50}};
    for (size_t i = 0; i < std::size(icons); ++i) {
      auto button =
          ActionButton::alloc()->initWithIcon(icons[i].first, icons[i].second, "noAction");
      screen->addSubview(button);
      Layout::size(button, 40, 40);
      Layout::bottom(button, screen->topAnchor(), 90 + 60 * CGFloat(i / 6));
      Layout::leading(button, screen->leadingAnchor(), 30 + 60 * CGFloat(i % 6));
    }
    auto filter = UIImageView::alloc()->initWithImage(
        UIImage::imageWithContentsOfFile(std::string(testsupport::kAssets) + "side-filter.png"));
    screen->addSubview(filter);
    Layout::size(filter, 42.9, 155);
    Layout::y(filter, screen->centerYAnchor());
    Layout::leading(filter, screen->leadingAnchor(), 20);
    auto media = UIImageView::alloc()->initWithImage(
        UIImage::imageWithContentsOfFile(std::string(testsupport::kAssets) + "bottom-media.png"));
    screen->addSubview(media);
    Layout::size(media, 110.29, 62);
    Layout::top(media, screen->bottomAnchor(), -120 + 5);
    Layout::trailing(media, screen->trailingAnchor(), -25);
    window->layoutIfNeeded();
    snapshot(screen, "controls" + suffix);
    screen->removeFromSuperview();

    auto end = place(EndCallView::alloc()->initWithFrame(window->bounds(), recipient));
    snapshot(end, "end-before" + suffix);
    end->durationLabel()->setText("01:02:05");
    end->beginAnimation();
    RunLoop::advance(1);
    snapshot(end, "end-after" + suffix);
    end->removeFromSuperview();

    // Minimised: the halves in a 110 × 200 tile at the top right.
    auto tile = ParloFloatingView::alloc()->init();
    tile->setBackgroundColor(UIColor::blackColor());
    tile->setSmallSize(CGSizeMake(110, 200));
    tile->setPadding(UIEdgeInsetsMake(110, 10, 100, 10));
    tile->layer()->setCornerRadius(10);
    window->addSubview(tile);
    tile->setPosition(ParloFloatingViewPositionTopRight, false);
    for (int i = 0; i < 2; ++i) {
      auto half = CallContainerView::alloc()->initWithFrame(CGRectMake(0, 100 * i, 110, 100),
                                                            i ? recipient : caller, nullptr);
      tile->addSubview(half);
      half->updateMinimiseView();
    }
    window->layoutIfNeeded();
    snapshot(tile, "tile" + suffix);
    tile->removeFromSuperview();
  }
}

}  // namespace
