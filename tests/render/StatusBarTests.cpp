#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "foundation/RunLoop.h"
#include "render/ImageComparison.h"
#include "render/Renderer.h"
#include "render/ScreenRenderer.h"
#include "render/StatusBarPainter.h"
#include "uikit/UIBlurEffect.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"
#include "uikit/UIVisualEffectView.h"
#include "uikit/UIWindow.h"

namespace {

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

const render::RenderOptions kOneX{1.0, {390, 844}};

Surface owned(cairo_surface_t* surface) {
  return Surface(surface, cairo_surface_destroy);
}

uint32_t rgbAt(cairo_surface_t* surface, int x, int y) {
  cairo_surface_flush(surface);
  const auto* row =
      cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
  return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
}

int luma(uint32_t p) {
  return static_cast<int>(0.2126 * ((p >> 16) & 0xFF) + 0.7152 * ((p >> 8) & 0xFF) +
                          0.0722 * (p & 0xFF) + 0.5);
}

// The darkest and the lightest pixel of a rectangle, by luminance.
std::pair<int, int> lumaRange(cairo_surface_t* surface, int x0, int y0, int x1, int y1) {
  int low = 255, high = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      low = std::min(low, luma(rgbAt(surface, x, y)));
      high = std::max(high, luma(rgbAt(surface, x, y)));
    }
  }
  return {low, high};
}

bool hasRedIn(cairo_surface_t* surface, int x0, int y0, int x1, int y1) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      uint32_t p = rgbAt(surface, x, y);
      if (((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) < 100 && (p & 0xFF) < 100) return true;
    }
  }
  return false;
}

class StatusBar : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    UIScreen::mainScreen()->setUserInterfaceStyle(UIUserInterfaceStyleLight);
  }
  void TearDown() override { render::setStatusBar(std::nullopt); }

  std::shared_ptr<UIWindow> windowOf(std::shared_ptr<UIColor> colour) {
    auto window = UIWindow::alloc()->init();
    window->setBackgroundColor(std::move(colour));
    window->makeKeyAndVisible();
    return window;
  }
};

}  // namespace

TEST_F(StatusBar, GlyphsAreDarkOverALightScreenAndWhiteOverADarkOneAndStayInTheSafeArea) {
  struct Case {
    double background;
    bool darkGlyphs;
  } cases[] = {{1.0, true}, {0.85, true}, {0.0, false}, {0.2, false}};
  render::StatusBar values;
  values.time = "10:27";
  values.battery = 18;
  render::setStatusBar(values);

  for (const Case& c : cases) {
    auto window = windowOf(UIColor::colorWithRed(c.background, c.background, c.background, 1));
    auto frame = owned(render::renderScreen(kOneX));
    window->setHidden(true);

    auto [low, high] = lumaRange(frame.get(), 20, 10, 90, 38);
    const int ground = static_cast<int>(c.background * 255 + 0.5);
    if (c.darkGlyphs) {
      EXPECT_LT(low, 40) << "the time in black over " << c.background;
    } else {
      EXPECT_GT(high, 215) << "the time in white over " << c.background;
    }
    // At 18 per cent the battery runs low, in red.
    EXPECT_TRUE(hasRedIn(frame.get(), 340, 15, 372, 33)) << c.background;
    auto below = lumaRange(frame.get(), 0, 47, 390, 60);
    EXPECT_LE(std::abs(below.first - ground), 1) << "nothing drawn under the safe area";
    EXPECT_LE(std::abs(below.second - ground), 1);
  }
}

TEST_F(StatusBar, WithoutOneSetTheScreenIsDrawnAsItWas) {
  auto window = windowOf(UIColor::whiteColor());

  auto frame = owned(render::renderScreen(kOneX));

  auto [low, high] = lumaRange(frame.get(), 0, 0, 390, 47);
  EXPECT_EQ(low, 255);
  EXPECT_EQ(high, 255);
}

TEST_F(StatusBar, FramesRedrawnInPartsMatchAFullRenderWhenTheScreenBeneathChanges) {
  render::setStatusBar(render::StatusBar{});
  auto window = windowOf(UIColor::systemBackgroundColor());
  auto top = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 120));
  top->setBackgroundColor(UIColor::systemBackgroundColor());
  auto elsewhere = UIView::alloc()->initWithFrame(CGRectMake(100, 400, 40, 40));
  elsewhere->setBackgroundColor(UIColor::redColor());
  window->addSubview(top);
  window->addSubview(elsewhere);
  render::ScreenRenderer renderer(kOneX);
  renderer.renderFrame();
  const auto expectSameAsFull = [&](const char* step) {
    auto full = owned(render::renderScreen(kOneX));
    auto difference = render::compareImages(renderer.surface(), full.get(), 0);
    EXPECT_EQ(difference.differingPixels, 0) << step;
  };

  // A change away from the bar leaves it alone: drawing it again over itself would thicken it.
  elsewhere->setBackgroundColor(UIColor::blueColor());
  renderer.renderFrame();
  expectSameAsFull("a change elsewhere");
  // Beneath it, the whole bar is drawn again over the new look.
  UIScreen::mainScreen()->setUserInterfaceStyle(UIUserInterfaceStyleDark);
  auto redrawn = renderer.renderFrame();
  expectSameAsFull("dark");
  ASSERT_FALSE(redrawn.empty());
  EXPECT_TRUE(std::any_of(redrawn.begin(), redrawn.end(), [](const CGRect& rect) {
    return CGRectContainsRect(rect, render::statusBarFrame());
  }));
  auto [low, high] = lumaRange(renderer.surface(), 20, 10, 90, 38);
  EXPECT_GT(high, 215) << "white glyphs over the dark screen";
  EXPECT_LT(low, 40);

  // A blur reaching under the bar is redrawn whole by a change beneath it, and the bar with it.
  auto bar = UIVisualEffectView::alloc()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemChromeMaterial));
  bar->setFrame(CGRectMake(0, 20, 390, 110));
  window->addSubview(bar);
  renderer.renderFrame();
  expectSameAsFull("a blur under the bar");
  auto beneath = UIView::alloc()->initWithFrame(CGRectMake(200, 110, 40, 15));
  beneath->setBackgroundColor(UIColor::redColor());
  window->insertSubview(beneath, 0);
  renderer.renderFrame();
  expectSameAsFull("a change under the blur, away from the bar");
  // And a change under the bar above the blur redraws the blur whole, not the part the bar covers.
  auto above = UIView::alloc()->initWithFrame(CGRectMake(150, 2, 60, 12));
  above->setBackgroundColor(UIColor::blueColor());
  window->addSubview(above);
  renderer.renderFrame();
  expectSameAsFull("a change under the bar, above the blur");
}
