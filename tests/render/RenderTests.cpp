#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "TestImages.h"
#include "foundation/NSData.h"
#include "foundation/RunLoop.h"
#include "quartz/CGBitmapContext.h"
#include "quartz/CGContext+Private.h"
#include "render/ImageComparison.h"
#include "render/Renderer.h"
#include "render/ScreenRenderer.h"
#include "uikit/UIBlurEffect.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIScreen.h"
#include "uikit/UISwitch.h"
#include "uikit/UIView.h"
#include "uikit/UIVisualEffectView.h"
#include "uikit/UIWindow.h"

namespace {

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

Surface owned(cairo_surface_t* surface) {
  return Surface(surface, cairo_surface_destroy);
}

// A pixel with the alpha taken out again, in 0...255.
struct Pixel {
  int red, green, blue, alpha;
};

Pixel pixelAt(cairo_surface_t* surface, int x, int y) {
  cairo_surface_flush(surface);
  const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                                      y * cairo_image_surface_get_stride(surface));
  uint32_t p = row[x];
  int a = static_cast<int>(p >> 24);
  auto un = [a](uint32_t v) { return a == 0 ? 0 : static_cast<int>((v * 255 + a / 2) / a); };
  return {un((p >> 16) & 0xff), un((p >> 8) & 0xff), un(p & 0xff), a};
}

::testing::AssertionResult isColour(const Pixel& p, int red, int green, int blue, int alpha = 255,
                                    int tolerance = 3) {
  if (std::abs(p.red - red) <= tolerance && std::abs(p.green - green) <= tolerance &&
      std::abs(p.blue - blue) <= tolerance && std::abs(p.alpha - alpha) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "pixel is (" << p.red << ", " << p.green << ", " << p.blue << ", " << p.alpha
         << "), expected (" << red << ", " << green << ", " << blue << ", " << alpha << ")";
}

void expectMatchesReference(cairo_surface_t* picture, const std::string& name,
                            long allowedPixels = 0) {
  auto comparison = render::compareWithReference(
      picture, std::string(PARLO_RENDER_REFERENCES) + "/" + name + ".png", PARLO_RENDER_OUTPUT, 8,
      allowedPixels);
  EXPECT_TRUE(comparison.matches) << name << ": " << comparison.message;
}

std::shared_ptr<UIView> viewWith(CGRect frame, std::shared_ptr<UIColor> colour = nullptr) {
  auto view = UIView::alloc()->initWithFrame(frame);
  view->setBackgroundColor(std::move(colour));
  return view;
}

std::shared_ptr<UIColor> rgb(int red, int green, int blue) {
  return UIColor::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, 1);
}

// A PNG of a filled circle of `size` pixels, opaque inside and clear outside.
std::shared_ptr<UIImage> circleImage(int size, double red, double green, double blue,
                                     CGFloat scale = 1) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, red, green, blue);
  cairo_arc(cr, size / 2.0, size / 2.0, size / 2.0, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_destroy(cr);
  std::vector<uint8_t> bytes = CGBitmapCopyPNGData(surface);
  cairo_surface_destroy(surface);
  return UIImage::imageWithData(NSData::dataWithBytes(std::move(bytes)), scale);
}

constexpr render::RenderOptions kOneX{1, {390, 844}};

std::shared_ptr<UIWindow> shownWindow(std::shared_ptr<UIColor> colour,
                                      UIWindowLevel level = UIWindowLevelNormal) {
  auto window = UIWindow::alloc()->init();
  window->setBackgroundColor(std::move(colour));
  window->setWindowLevel(level);
  window->makeKeyAndVisible();
  return window;
}

CGRect pointsAround(CGRect rect, double margin) {
  return CGRectInset(rect, -margin, -margin);
}

void expectSameAsFullRender(render::ScreenRenderer& renderer) {
  auto full = owned(render::renderScreen(renderer.options()));
  auto difference = render::compareImages(renderer.surface(), full.get(), 0);
  EXPECT_TRUE(difference.sameSize);
  EXPECT_EQ(difference.differingPixels, 0) << "largest " << difference.largestDifference;
}

class Render : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    UIScreen::mainScreen()->setUserInterfaceStyle(UIUserInterfaceStyleLight);
  }
};

// ---- Shapes ----

TEST_F(Render, CornersAreCircularOrContinuousWithTheBorderInside) {
  auto canvas = viewWith(CGRectMake(0, 0, 200, 100), UIColor::whiteColor());
  auto circular = viewWith(CGRectMake(10, 10, 80, 80), rgb(40, 120, 220));
  circular->layer()->setCornerRadius(24);
  circular->layer()->setBorderWidth(4);
  circular->layer()->setBorderColor({0.9, 0.2, 0.1, 1});
  auto continuous = viewWith(CGRectMake(110, 10, 80, 80), rgb(40, 120, 220));
  continuous->layer()->setCornerRadius(24);
  continuous->layer()->setCornerCurve(kCACornerCurveContinuous);
  continuous->layer()->setBorderWidth(4);
  continuous->layer()->setBorderColor({0.9, 0.2, 0.1, 1});
  canvas->addSubview(circular);
  canvas->addSubview(continuous);

  auto picture = owned(render::renderView(canvas, 2));

  expectMatchesReference(picture.get(), "corners", 40);
  // The border lies inside the bounds: the frame's first and last pixel rows are border.
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 100, 21), 230, 51, 26));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 100, 178), 230, 51, 26));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 100, 100), 40, 120, 220));
  // The corner itself is cut away.
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 22, 22), 255, 255, 255));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 222, 22), 255, 255, 255));
  // A continuous corner starts further along the edge than a circular arc of the same radius.
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 20 + 50, 20), 230, 51, 26));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 220 + 50, 20), 255, 255, 255, 255, 80) ||
              pixelAt(picture.get(), 220 + 50, 20).green > 60);
}

TEST_F(Render, AShadowFallsOutsideAnUnclippedLayerAtItsOffset) {
  auto canvas = viewWith(CGRectMake(0, 0, 100, 100), UIColor::whiteColor());
  auto circle = viewWith(CGRectMake(30, 20, 40, 40), rgb(250, 200, 40));
  circle->layer()->setCornerRadius(20);
  circle->layer()->setShadowOpacity(0.8f);
  circle->layer()->setShadowOffset(CGSizeMake(0, 10));
  circle->layer()->setShadowRadius(6);
  canvas->addSubview(circle);

  auto picture = owned(render::renderView(canvas, 2));

  expectMatchesReference(picture.get(), "shadowed-circle", 40);
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 100, 80), 250, 200, 40));
  Pixel below = pixelAt(picture.get(), 100, 124), above = pixelAt(picture.get(), 100, 36);
  EXPECT_LT(below.red, 200) << "the shadow shows below the circle";
  EXPECT_GT(above.red, below.red + 40) << "and less above it";
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 4, 4), 255, 255, 255));
}

TEST_F(Render, MaskingToBoundsClipsTheSubtreeToTheRoundedShape) {
  auto canvas = viewWith(CGRectMake(0, 0, 100, 100), UIColor::whiteColor());
  auto clip = viewWith(CGRectMake(10, 10, 80, 80), rgb(200, 200, 200));
  clip->layer()->setCornerRadius(40);
  clip->setClipsToBounds(true);
  auto child = viewWith(CGRectMake(-20, -20, 80, 80), rgb(20, 160, 60));
  auto grandchild = viewWith(CGRectMake(60, 60, 60, 60), rgb(160, 20, 160));
  child->addSubview(grandchild);
  clip->addSubview(child);
  canvas->addSubview(clip);

  auto picture = owned(render::renderView(canvas, 1));

  expectMatchesReference(picture.get(), "clipped-subtree", 20);
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 5, 5), 255, 255, 255)) << "outside the parent";
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 14, 14), 255, 255, 255)) << "in the cut corner";
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 30, 30), 20, 160, 60));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 80, 30), 200, 200, 200));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 95, 95), 255, 255, 255))
      << "a grandchild beyond the clip";
}

TEST_F(Render, AHalfTransparentViewFadesWithItsChildrenAsOnePicture) {
  auto canvas = viewWith(CGRectMake(0, 0, 100, 60), UIColor::whiteColor());
  auto group = viewWith(CGRectMake(10, 10, 80, 40), rgb(0, 0, 255));
  group->setAlpha(0.5);
  group->addSubview(viewWith(CGRectMake(40, 0, 40, 40), rgb(255, 0, 0)));
  canvas->addSubview(group);

  auto picture = owned(render::renderView(canvas, 1));

  expectMatchesReference(picture.get(), "half-transparent-group");
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 20, 30), 128, 128, 255, 255, 2));
  // Where the red child covers the blue parent no blue shows through.
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 70, 30), 255, 128, 128, 255, 2));
}

// ---- Content ----

TEST_F(Render, ATemplateImageIsPaintedWithTheTintColour) {
  auto canvas = viewWith(CGRectMake(0, 0, 120, 60), UIColor::whiteColor());
  auto image = circleImage(40, 0, 0, 0);
  auto original = UIImageView::alloc()->initWithImage(image);
  original->setFrame(CGRectMake(10, 10, 40, 40));
  auto tinted = UIImageView::alloc()->initWithImage(
      image->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate));
  tinted->setFrame(CGRectMake(70, 10, 40, 40));
  tinted->setTintColor(rgb(230, 40, 120));
  canvas->addSubview(original);
  canvas->addSubview(tinted);

  auto picture = owned(render::renderView(canvas, 1));

  expectMatchesReference(picture.get(), "template-image", 20);
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 30, 30), 0, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 90, 30), 230, 40, 120));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 71, 11), 255, 255, 255));
}

TEST_F(Render, AShrunkImageIsResampledAgainForANewImageOfTheSameSize) {
  auto solid = [](double red, double green, double blue) {
    return UIImage::imageWithData(
        NSData::dataWithBytes(testsupport::solidPNG(300, 300, red, green, blue)));
  };
  auto view = UIImageView::alloc()->initWithImage(solid(1, 0, 0));
  view->setFrame(CGRectMake(0, 0, 20, 20));
  auto first = owned(render::renderView(view, 3));

  // The red image goes with this, and the blue one may be given its memory.
  view->setImage(solid(0, 0, 1));
  auto second = owned(render::renderView(view, 3));

  EXPECT_TRUE(isColour(pixelAt(first.get(), 30, 30), 255, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(second.get(), 30, 30), 0, 0, 255));
}

TEST_F(Render, AnAspectFilledImageOverflowsUnlessTheViewClipsIt) {
  // A wide picture: red on the left half, blue on the right.
  cairo_surface_t* wide = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 80, 20);
  cairo_t* cr = cairo_create(wide);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_rectangle(cr, 0, 0, 40, 20);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0, 0, 1);
  cairo_rectangle(cr, 40, 0, 40, 20);
  cairo_fill(cr);
  cairo_destroy(cr);
  auto image = UIImage::imageWithData(NSData::dataWithBytes(CGBitmapCopyPNGData(wide)));
  cairo_surface_destroy(wide);
  auto window = shownWindow(UIColor::whiteColor());
  auto overflowing = UIImageView::alloc()->initWithImage(image);
  overflowing->setFrame(CGRectMake(100, 100, 40, 40));
  overflowing->setContentMode(UIViewContentModeScaleAspectFill);
  auto clipped = UIImageView::alloc()->initWithImage(image);
  clipped->setFrame(CGRectMake(100, 300, 40, 40));
  clipped->setContentMode(UIViewContentModeScaleAspectFill);
  clipped->setClipsToBounds(true);
  auto fitted = UIImageView::alloc()->initWithImage(image);
  fitted->setFrame(CGRectMake(100, 500, 40, 40));
  fitted->setContentMode(UIViewContentModeScaleAspectFit);
  window->addSubview(overflowing);
  window->addSubview(clipped);
  window->addSubview(fitted);
  render::ScreenRenderer renderer(kOneX);
  renderer.renderFrame();

  // Scaled to 160 x 40 about the view's centre: 60 points out on each side.
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 50, 120), 255, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 190, 120), 0, 0, 255));
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 50, 320), 255, 255, 255));
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 110, 320), 255, 0, 0));
  // Fitted to 40 x 10 in the middle of the view.
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 110, 520), 255, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 110, 510), 255, 255, 255));

  // The overflow is redrawn with the view.
  overflowing->setImage(image->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate));
  overflowing->setTintColor(rgb(0, 160, 0));
  renderer.renderFrame();
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 50, 120), 0, 160, 0));
  expectSameAsFullRender(renderer);
}

TEST_F(Render, ALayersContentsImageStretchesOverItsBoundsAndIsRedrawnWhenReplaced) {
  // Two columns of one pixel each, drawn through a bitmap context as a layer's image is made.
  auto columns = [](CGColor left, CGColor right) {
    CGContextRef bitmap = CGBitmapContextCreate(2, 1);
    CGContextSetFillColorWithColor(bitmap, left);
    CGContextFillRect(bitmap, CGRectMake(0, 0, 1, 1));
    CGContextSetFillColorWithColor(bitmap, right);
    CGContextFillRect(bitmap, CGRectMake(1, 0, 1, 1));
    std::shared_ptr<CGImage> image(CGBitmapContextCreateImage(bitmap), CGImageRelease);
    CGContextRelease(bitmap);
    return image;
  };
  auto window = shownWindow(UIColor::whiteColor());
  auto view = viewWith(CGRectMake(40, 40, 100, 50));
  window->addSubview(view);
  auto redBlue = columns({1, 0, 0, 1}, {0, 0, 1, 1});
  view->layer()->setContents(redBlue.get());
  redBlue.reset();  // the layer keeps its own reference
  render::ScreenRenderer renderer(kOneX);
  renderer.renderFrame();

  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 45, 65), 255, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 135, 65), 0, 0, 255));
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 90, 95), 255, 255, 255));

  view->layer()->setContents(columns({0, 0.6, 0, 1}, {0, 0.6, 0, 1}).get());
  renderer.renderFrame();
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 135, 65), 0, 153, 0));
  expectSameAsFullRender(renderer);

  view->layer()->setContents(nullptr);
  renderer.renderFrame();
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 45, 65), 255, 255, 255));
}

TEST_F(Render, LabelsWrapAndTruncateTheirText) {
  auto canvas = viewWith(CGRectMake(0, 0, 200, 130), UIColor::whiteColor());
  auto wrapped = UILabel::alloc()->initWithFrame(CGRectMake(10, 5, 180, 70));
  wrapped->setNumberOfLines(0);
  wrapped->setText("A message long enough to wrap onto a second line and a third");
  auto truncated = UILabel::alloc()->initWithFrame(CGRectMake(10, 80, 180, 20));
  truncated->setText("One line that is far too long to fit in the label");
  auto centred = UILabel::alloc()->initWithFrame(CGRectMake(10, 105, 180, 20));
  centred->setTextAlignment(NSTextAlignmentCenter);
  centred->setTextColor(rgb(200, 30, 30));
  centred->setFont(UIFont::systemFontOfSize(14, UIFontWeightSemibold));
  centred->setText("Centred");
  canvas->addSubview(wrapped);
  canvas->addSubview(truncated);
  canvas->addSubview(centred);

  auto picture = owned(render::renderView(canvas, 2));

  expectMatchesReference(picture.get(), "label-text", 400);
}

TEST_F(Render, ABlurEffectViewBlursWhatLiesBeneathAndTintsIt) {
  auto canvas = viewWith(CGRectMake(0, 0, 120, 120), UIColor::whiteColor());
  for (int i = 0; i < 6; ++i) {
    canvas->addSubview(
        viewWith(CGRectMake(i * 20, 0, 10, 120), i % 2 ? rgb(240, 40, 40) : rgb(40, 80, 240)));
  }
  auto blur = UIVisualEffectView::alloc()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemMaterialDark));
  blur->setFrame(CGRectMake(0, 60, 120, 60));
  canvas->addSubview(blur);

  auto picture = owned(render::renderView(canvas, 1));

  expectMatchesReference(picture.get(), "blurred-backdrop", 20);
  // Above the blur the stripes are sharp; beneath it they melt into one dark, even colour.
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 5, 30), 40, 80, 240));
  Pixel a = pixelAt(picture.get(), 45, 90), b = pixelAt(picture.get(), 55, 90);
  EXPECT_LE(std::abs(a.red - b.red) + std::abs(a.blue - b.blue), 12);
  EXPECT_LT(a.red + a.green + a.blue, 3 * 110) << "the dark material covers it";
}

TEST_F(Render, ABlurPartlyOffScreenKeepsItsColourAtTheScreensEdge) {
  auto window = shownWindow(UIColor::whiteColor());
  for (int x = 0; x < 390; x += 20) {
    window->addSubview(viewWith(CGRectMake(x, 0, 10, 100), rgb(240, 40, 40)));
  }
  auto blur = UIVisualEffectView::alloc()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemMaterialDark));
  blur->setFrame(CGRectMake(0, -60, 390, 100));
  window->addSubview(blur);

  auto picture = owned(render::renderScreen(kOneX));

  // Nothing sharp shows through at the edge: a stripe and the gap beside it look alike.
  Pixel stripe = pixelAt(picture.get(), 205, 0), gap = pixelAt(picture.get(), 215, 0);
  EXPECT_TRUE(isColour(stripe, gap.red, gap.green, gap.blue, 255, 6));
}

TEST_F(Render, ABannerBlursWhatIsBehindItWithinItsContinuousCorners) {
  auto canvas = viewWith(CGRectMake(0, 0, 200, 100), UIColor::whiteColor());
  auto photo = UIImageView::alloc()->initWithImage(circleImage(60, 0.2, 0.7, 0.3));
  photo->setFrame(CGRectMake(0, 0, 200, 100));
  photo->setContentMode(UIViewContentModeScaleAspectFit);
  canvas->addSubview(photo);
  auto banner = viewWith(CGRectMake(10, 20, 180, 60), UIColor::clearColor());
  banner->setClipsToBounds(true);
  banner->layer()->setCornerRadius(15);
  banner->layer()->setCornerCurve(kCACornerCurveContinuous);
  auto material = UIVisualEffectView::alloc()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemChromeMaterialDark));
  material->setFrame(banner->bounds());
  banner->addSubview(material);
  auto accept = viewWith(CGRectMake(125, 7.5, 45, 45), UIColor::systemBlueColor());
  accept->layer()->setCornerRadius(22.5);
  auto check = UIImageView::alloc()->initWithImage(
      circleImage(20, 0, 0, 0)->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate));
  check->setFrame(CGRectMake(12.5, 12.5, 20, 20));
  check->setTintColor(UIColor::whiteColor());
  accept->addSubview(check);
  banner->addSubview(accept);
  auto name = UILabel::alloc()->initWithFrame(CGRectMake(15, 20, 100, 20));
  name->setTextColor(UIColor::whiteColor());
  name->setFont(UIFont::systemFontOfSize(16, UIFontWeightSemibold));
  name->setText("A caller with a long name");
  banner->addSubview(name);
  canvas->addSubview(banner);

  auto picture = owned(render::renderView(canvas, 2));

  expectMatchesReference(picture.get(), "call-banner", 200);
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 21, 41), 255, 255, 255)) << "the cut corner";
  Pixel blurred = pixelAt(picture.get(), 200, 150);
  EXPECT_LT(blurred.red + blurred.green + blurred.blue, 3 * 100) << "dark material";
  EXPECT_GT(blurred.green, blurred.red) << "with the green picture showing through";
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 2 * 157, 2 * 50), 255, 255, 255)) << "the check";
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 2 * 140, 2 * 38), 0, 122, 255));
}

TEST_F(Render, ASwitchShowsItsTintedTrackAndItsThumb) {
  auto canvas = viewWith(CGRectMake(0, 0, 120, 40), UIColor::whiteColor());
  auto off = UISwitch::alloc()->initWithFrame(CGRectMake(4, 4, 0, 0));
  auto on = UISwitch::alloc()->initWithFrame(CGRectMake(64, 4, 0, 0));
  on->setOn(true);
  on->setOnTintColor(rgb(255, 0, 128));
  canvas->addSubview(off);
  canvas->addSubview(on);

  auto picture = owned(render::renderView(canvas, 2));

  expectMatchesReference(picture.get(), "switches", 40);
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 2 * 64 + 12, 2 * 19), 255, 0, 128));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 2 * 101, 2 * 19), 255, 255, 255)) << "thumb";
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 2 * 19, 2 * 19), 255, 255, 255)) << "thumb";
  Pixel track = pixelAt(picture.get(), 2 * 45, 2 * 19);
  EXPECT_LT(track.red, 245) << "a grey track";
}

// ---- Time and appearance ----

TEST_F(Render, AnAnimatedViewIsDrawnAtItsPresentationValues) {
  auto canvas = viewWith(CGRectMake(0, 0, 100, 40), UIColor::whiteColor());
  auto mover = viewWith(CGRectMake(0, 0, 20, 40), rgb(0, 0, 0));
  canvas->addSubview(mover);
  UIView::animateWithDuration(
      1, 0, UIViewAnimationOptionCurveLinear, [&] { mover->setFrame(CGRectMake(80, 0, 20, 40)); },
      nullptr);
  RunLoop::advance(0.5);

  auto picture = owned(render::renderView(canvas, 1));

  expectMatchesReference(picture.get(), "mid-animation");
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 50, 20), 0, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 90, 20), 255, 255, 255));
  EXPECT_EQ(mover->frame().origin.x, 80) << "the model value is the end value";
}

TEST_F(Render, ADynamicColourFollowsTheAppearanceOfEachView) {
  auto dynamic = UIColor::colorWithDynamicProvider([](const auto& traits) {
    return traits->userInterfaceStyle() == UIUserInterfaceStyleDark ? rgb(30, 30, 30)
                                                                    : rgb(240, 240, 240);
  });
  auto canvas = viewWith(CGRectMake(0, 0, 80, 40), UIColor::whiteColor());
  auto light = viewWith(CGRectMake(0, 0, 40, 40), dynamic);
  auto dark = viewWith(CGRectMake(40, 0, 40, 40), dynamic);
  dark->setOverrideUserInterfaceStyle(UIUserInterfaceStyleDark);
  canvas->addSubview(light);
  canvas->addSubview(dark);

  auto picture = owned(render::renderView(canvas, 1));

  expectMatchesReference(picture.get(), "light-and-dark");
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 20, 20), 240, 240, 240));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 60, 20), 30, 30, 30));
}

TEST_F(Render, LabelTextTakesTheLabelColourOfTheCurrentAppearance) {
  auto canvas = viewWith(CGRectMake(0, 0, 40, 40), UIColor::grayColor());
  auto label = UILabel::alloc()->initWithFrame(canvas->bounds());
  label->setFont(UIFont::systemFontOfSize(40, UIFontWeightBlack));
  label->setText("I");
  label->setTextAlignment(NSTextAlignmentCenter);
  canvas->addSubview(label);
  auto darkest = [&] {
    auto picture = owned(render::renderView(canvas, 1));
    int least = 255 * 3, most = 0;
    for (int x = 0; x < 40; ++x) {
      Pixel p = pixelAt(picture.get(), x, 20);
      least = std::min(least, p.red + p.green + p.blue);
      most = std::max(most, p.red + p.green + p.blue);
    }
    return std::pair(least, most);
  };

  auto light = darkest();
  canvas->setOverrideUserInterfaceStyle(UIUserInterfaceStyleDark);
  auto dark = darkest();

  EXPECT_LT(light.first, 30) << "black text on grey";
  EXPECT_GT(dark.second, 3 * 240) << "white text on grey, though the text did not change";
}

// ---- The screen ----

TEST_F(Render, WindowsAreDrawnLowestLevelFirstAndHiddenOnesNotAtAll) {
  auto alert = shownWindow(nullptr, UIWindowLevelAlert);
  alert->addSubview(viewWith(CGRectMake(0, 0, 100, 100), rgb(255, 0, 0)));
  auto normal = shownWindow(rgb(0, 0, 255));
  auto hidden = shownWindow(rgb(0, 255, 0), UIWindowLevelStatusBar);
  hidden->setHidden(true);

  auto picture = owned(render::renderScreen(kOneX));

  ASSERT_EQ(cairo_image_surface_get_width(picture.get()), 390);
  ASSERT_EQ(cairo_image_surface_get_height(picture.get()), 844);
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 50, 50), 255, 0, 0)) << "the alert, shown first";
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 200, 400), 0, 0, 255));
}

TEST_F(Render, TransformsTurnAboutTheCentreAndTheBoundsOriginShiftsTheContent) {
  auto window = shownWindow(UIColor::whiteColor());
  // A 100 x 20 bar turned a quarter about its centre stands 20 wide and 100 tall.
  auto bar = viewWith(CGRectMake(0, 0, 100, 20), rgb(0, 0, 0));
  bar->setCenter(CGPointMake(100, 100));
  bar->setTransform(CGAffineTransformMakeRotation(M_PI / 2));
  window->addSubview(bar);
  auto scrolled = viewWith(CGRectMake(200, 0, 100, 200), rgb(255, 255, 0));
  scrolled->setBounds(CGRectMake(0, 50, 100, 200));
  scrolled->addSubview(viewWith(CGRectMake(0, 50, 100, 20), rgb(255, 0, 0)));
  window->addSubview(scrolled);
  auto hidden = viewWith(CGRectMake(0, 300, 50, 50), rgb(255, 0, 0));
  hidden->setHidden(true);
  window->addSubview(hidden);

  auto picture = owned(render::renderScreen(kOneX));

  EXPECT_TRUE(isColour(pixelAt(picture.get(), 100, 60), 0, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 60, 100), 255, 255, 255));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 250, 10), 255, 0, 0)) << "scrolled up by 50";
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 250, 60), 255, 255, 0));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 25, 325), 255, 255, 255));
}

TEST_F(Render, AViewScaledToNothingOrPlacedNowhereLeavesTheRestOfTheFrameAlone) {
  auto window = shownWindow(UIColor::whiteColor());
  auto collapsed = viewWith(CGRectMake(0, 0, 100, 100), rgb(255, 0, 0));
  collapsed->setTransform(CGAffineTransformMakeScale(0, 0));
  auto lost = viewWith(CGRectMake(0, 0, 100, 100), rgb(255, 0, 0));
  lost->setCenter(CGPointMake(NAN, 50));
  auto shadowed = viewWith(CGRectMake(0, 0, 50, 50), rgb(255, 0, 0));
  shadowed->setTransform(CGAffineTransformMakeScale(0, 1));
  shadowed->layer()->setShadowOpacity(1);
  auto after = viewWith(CGRectMake(200, 200, 50, 50), rgb(0, 0, 255));
  window->addSubview(collapsed);
  window->addSubview(lost);
  window->addSubview(shadowed);
  window->addSubview(after);

  auto picture = owned(render::renderScreen(kOneX));

  EXPECT_TRUE(isColour(pixelAt(picture.get(), 50, 50), 255, 255, 255));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 225, 225), 0, 0, 255));
  render::ScreenRenderer renderer(kOneX);
  renderer.renderFrame();
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 225, 225), 0, 0, 255));
}

// A layer that draws itself, as a player or camera preview layer does.
class StripeLayer : public CALayer {
 public:
  void drawInContext(CGContextRef context) override {
    CGContextSetRGBFillColor(context, 1, 0, 0, 1);
    CGContextFillRect(context, CGRectMake(0, 0, bounds().size.width, bounds().size.height / 2));
  }
};

TEST_F(Render, ALayerOfItsOwnDrawsInItsBoundsUnderTheViewsClip) {
  auto window = shownWindow(UIColor::whiteColor());
  auto host = viewWith(CGRectMake(10, 10, 100, 100), rgb(0, 0, 255));
  host->setClipsToBounds(true);
  auto stripe = std::make_shared<StripeLayer>();
  stripe->setFrame(CGRectMake(50, 0, 100, 100));
  host->layer()->addSublayer(stripe);
  window->addSubview(host);

  auto picture = owned(render::renderScreen(kOneX));

  EXPECT_TRUE(isColour(pixelAt(picture.get(), 80, 30), 255, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 80, 90), 0, 0, 255));
  EXPECT_TRUE(isColour(pixelAt(picture.get(), 130, 30), 255, 255, 255)) << "clipped by the view";
}

// ---- Damage ----

TEST_F(Render, ChangingOneSmallViewRedrawsOnlyItsRectangleAndMatchesAFullRender) {
  auto window = shownWindow(UIColor::systemBackgroundColor());
  auto small = viewWith(CGRectMake(100, 200, 30, 20), rgb(0, 128, 0));
  small->layer()->setCornerRadius(6);
  window->addSubview(viewWith(CGRectMake(0, 0, 390, 100), rgb(200, 0, 0)));
  window->addSubview(small);
  render::ScreenRenderer renderer(kOneX);
  ASSERT_EQ(renderer.renderFrame().size(), 1u);

  EXPECT_TRUE(renderer.renderFrame().empty()) << "nothing changed";
  small->setBackgroundColor(rgb(0, 0, 200));
  auto redrawn = renderer.renderFrame();

  ASSERT_EQ(redrawn.size(), 1u);
  EXPECT_TRUE(CGRectContainsRect(redrawn[0], small->frame()));
  EXPECT_TRUE(CGRectContainsRect(pointsAround(small->frame(), 3), redrawn[0]));
  expectSameAsFullRender(renderer);
}

TEST_F(Render, MovedRemovedAndRedisplayedViewsRedrawWhereTheyWereAndAre) {
  auto window = shownWindow(UIColor::whiteColor());
  auto mover = viewWith(CGRectMake(10, 10, 40, 40), rgb(0, 0, 0));
  auto leaver = viewWith(CGRectMake(300, 700, 40, 40), rgb(255, 0, 0));
  auto label = UILabel::alloc()->initWithFrame(CGRectMake(10, 400, 200, 30));
  label->setText("Before");
  window->addSubview(mover);
  window->addSubview(leaver);
  window->addSubview(label);
  render::ScreenRenderer renderer(kOneX);
  renderer.renderFrame();

  mover->setFrame(CGRectMake(200, 10, 40, 40));
  leaver->removeFromSuperview();
  label->setText("After");
  auto redrawn = renderer.renderFrame();

  auto covered = [&](CGRect rect) {
    return std::any_of(redrawn.begin(), redrawn.end(),
                       [&](CGRect r) { return CGRectContainsRect(r, rect); });
  };
  EXPECT_TRUE(covered(CGRectMake(10, 10, 40, 40)));
  EXPECT_TRUE(covered(CGRectMake(200, 10, 40, 40)));
  EXPECT_TRUE(covered(CGRectMake(300, 700, 40, 40)));
  EXPECT_TRUE(covered(label->frame()));
  EXPECT_FALSE(covered(CGRectMake(0, 100, 390, 200)));
  expectSameAsFullRender(renderer);
}

TEST_F(Render, AViewNotYetOwnedMayAskForDisplay) {
  render::ScreenRenderer renderer(kOneX);
  UIView unowned;

  EXPECT_NO_THROW(unowned.setNeedsDisplay());
}

TEST_F(Render, AChangeBeneathABlurRedrawsTheWholeBlur) {
  auto window = shownWindow(UIColor::whiteColor());
  auto beneath = viewWith(CGRectMake(150, 20, 20, 20), rgb(255, 0, 0));
  window->addSubview(beneath);
  auto blur = UIVisualEffectView::alloc()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemMaterialDark));
  blur->setFrame(CGRectMake(0, 0, 390, 100));
  window->addSubview(blur);
  render::ScreenRenderer renderer(kOneX);
  renderer.renderFrame();

  beneath->setBackgroundColor(rgb(0, 0, 255));
  auto redrawn = renderer.renderFrame();

  ASSERT_EQ(redrawn.size(), 1u);
  EXPECT_TRUE(CGRectContainsRect(redrawn[0], blur->frame()));
  expectSameAsFullRender(renderer);
}

TEST_F(Render, AnAnimationRedrawsEachFrameUntilItEnds) {
  auto window = shownWindow(UIColor::whiteColor());
  auto fader = viewWith(CGRectMake(10, 10, 40, 40), rgb(0, 0, 0));
  auto shadowed = viewWith(CGRectMake(100, 100, 40, 40), rgb(0, 0, 255));
  shadowed->layer()->setShadowOpacity(0.5);
  shadowed->layer()->setShadowRadius(8);
  window->addSubview(fader);
  window->addSubview(shadowed);
  render::ScreenRenderer renderer(kOneX);
  renderer.renderFrame();

  UIView::animateWithDuration(1, [&] {
    fader->setAlpha(0);
    shadowed->setCenter(CGPointMake(200, 300));
  });
  RunLoop::advance(0.25);
  EXPECT_FALSE(renderer.renderFrame().empty());
  expectSameAsFullRender(renderer);
  RunLoop::advance(0.5);
  EXPECT_FALSE(renderer.renderFrame().empty());
  expectSameAsFullRender(renderer);
  RunLoop::advance(0.5);
  EXPECT_FALSE(renderer.renderFrame().empty());

  EXPECT_TRUE(renderer.renderFrame().empty());
  expectSameAsFullRender(renderer);
}

TEST_F(Render, ACrossDissolveFadesFromTheLastFrameToTheNewLook) {
  auto window = shownWindow(UIColor::whiteColor());
  auto card = viewWith(CGRectMake(10, 10, 100, 100), rgb(255, 0, 0));
  window->addSubview(card);
  render::ScreenRenderer renderer(kOneX);
  renderer.renderFrame();

  UIView::transitionWithView(
      card, 1, UIViewAnimationOptionTransitionCrossDissolve | UIViewAnimationOptionCurveLinear,
      [&] { card->setBackgroundColor(rgb(0, 0, 255)); }, nullptr);
  renderer.renderFrame();
  Pixel start = pixelAt(renderer.surface(), 60, 60);
  RunLoop::advance(0.5);
  renderer.renderFrame();
  Pixel middle = pixelAt(renderer.surface(), 60, 60);
  RunLoop::advance(0.5);
  renderer.renderFrame();

  EXPECT_TRUE(isColour(start, 255, 0, 0));
  EXPECT_TRUE(isColour(middle, 128, 0, 128, 255, 4));
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 60, 60), 0, 0, 255));
  expectSameAsFullRender(renderer);
}

// The fade keeps the old look only where it differs from the new one: two small changes far apart
// on a sheet that covers the screen both fade, and what did not change between them stays put.
TEST_F(Render, ACrossDissolveOfAWholeScreenFadesEachChangedPartAndLeavesTheRestAlone) {
  auto window = shownWindow(UIColor::whiteColor());
  auto sheet = viewWith(CGRectMake(0, 0, 390, 844), rgb(200, 200, 200));
  auto top = viewWith(CGRectMake(20, 20, 30, 30), rgb(255, 0, 0));
  auto bottom = viewWith(CGRectMake(300, 780, 30, 30), rgb(255, 0, 0));
  window->addSubview(sheet);
  sheet->addSubview(top);
  sheet->addSubview(bottom);
  render::ScreenRenderer renderer(kOneX);
  renderer.renderFrame();

  UIView::transitionWithView(
      sheet, 1, UIViewAnimationOptionTransitionCrossDissolve | UIViewAnimationOptionCurveLinear,
      [&] {
        top->setBackgroundColor(rgb(0, 0, 255));
        bottom->setBackgroundColor(rgb(0, 0, 255));
      },
      nullptr);
  renderer.renderFrame();
  RunLoop::advance(0.5);
  renderer.renderFrame();

  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 35, 35), 128, 0, 128, 255, 4));
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 315, 795), 128, 0, 128, 255, 4));
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 195, 420), 200, 200, 200, 255, 0));
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 55, 35), 200, 200, 200, 255, 0));
  RunLoop::advance(0.5);
  renderer.renderFrame();
  EXPECT_TRUE(isColour(pixelAt(renderer.surface(), 315, 795), 0, 0, 255));
  expectSameAsFullRender(renderer);
}

}  // namespace
