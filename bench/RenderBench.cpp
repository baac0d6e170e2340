// Drawing frames of a busy screen: a scrolled list of chat rows under a blurred bar.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <string>
#include <vector>

#include "ChatSamples.h"
#include "foundation/RunLoop.h"
#include "render/Renderer.h"
#include "render/ScreenRenderer.h"
#include "uikit/UIBlurEffect.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIVisualEffectView.h"
#include "uikit/UIWindow.h"

namespace {

struct BusyScreen {
  std::shared_ptr<UIWindow> window;
  std::vector<std::shared_ptr<UIView>> bubbles;
};

// Twenty rows like chat messages, scrolled by half a row, under a blurred bar with a title.
BusyScreen makeBusyScreen() {
  BusyScreen screen;
  screen.window = UIWindow::alloc()->init();
  screen.window->setBackgroundColor(UIColor::systemBackgroundColor());
  auto list = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 844));
  list->setBounds(CGRectMake(0, 35, 390, 844));
  list->setClipsToBounds(true);
  screen.window->addSubview(list);
  auto avatar = ChatSamples::avatar();
  for (int i = 0; i < 20; ++i) {
    auto row = UIView::alloc()->initWithFrame(CGRectMake(0, 100 + i * 70, 390, 70));
    bool incoming = i % 2 == 0;
    auto bubble = UIView::alloc()->initWithFrame(incoming ? CGRectMake(48, 8, 240, 54)
                                                          : CGRectMake(120, 8, 250, 54));
    bubble->setBackgroundColor(incoming ? UIColor::systemBackgroundColor()
                                        : UIColor::colorWithWhite(0.94, 1));
    bubble->layer()->setCornerRadius(22);
    if (incoming) {
      bubble->layer()->setBorderWidth(1.2);
      bubble->layer()->setBorderColor({0.86, 0.86, 0.86, 1});
    }
    auto text = UILabel::alloc()->initWithFrame(CGRectInset(bubble->bounds(), 15, 6));
    text->setNumberOfLines(0);
    text->setFont(UIFont::systemFontOfSize(17));
    text->setText("Message number " + std::to_string(i) + ", long enough for two lines here");
    bubble->addSubview(text);
    row->addSubview(bubble);
    if (incoming) {
      auto picture = UIImageView::alloc()->initWithImage(avatar);
      picture->setFrame(CGRectMake(8, 32, 30, 30));
      picture->setContentMode(UIViewContentModeScaleAspectFill);
      picture->layer()->setCornerRadius(15);
      picture->setClipsToBounds(true);
      picture->layer()->setBorderWidth(0.8);
      picture->layer()->setBorderColor({0.86, 0.86, 0.86, 1});
      row->addSubview(picture);
    }
    list->addSubview(row);
    screen.bubbles.push_back(bubble);
  }
  auto bar = UIVisualEffectView::alloc()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemChromeMaterial));
  bar->setFrame(CGRectMake(0, 0, 390, 100));
  auto title = UILabel::alloc()->initWithFrame(CGRectMake(0, 55, 390, 30));
  title->setTextAlignment(NSTextAlignmentCenter);
  title->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
  title->setText("Chat");
  bar->contentView()->addSubview(title);
  screen.window->addSubview(bar);
  screen.window->makeKeyAndVisible();
  return screen;
}

// The whole screen at 3x through the public call, which makes a new surface each time.
void BM_RenderScreen(benchmark::State& state) {
  RunLoop::useManualClock();
  BusyScreen screen = makeBusyScreen();
  for (auto _ : state) {
    cairo_surface_t* surface = render::renderScreen();
    benchmark::DoNotOptimize(surface);
    cairo_surface_destroy(surface);
  }
}
BENCHMARK(BM_RenderScreen)->Unit(benchmark::kMillisecond);

// The whole screen at 3x into the frame that the incremental renderer keeps.
void BM_FullFrame(benchmark::State& state) {
  RunLoop::useManualClock();
  BusyScreen screen = makeBusyScreen();
  render::ScreenRenderer renderer;
  for (auto _ : state) {
    renderer.setNeedsFullRedraw();
    benchmark::DoNotOptimize(renderer.renderFrame());
  }
}
BENCHMARK(BM_FullFrame)->Unit(benchmark::kMillisecond);

// One row's bubble changes colour; only it is drawn again.
void BM_DamagedRowFrame(benchmark::State& state) {
  RunLoop::useManualClock();
  BusyScreen screen = makeBusyScreen();
  render::ScreenRenderer renderer;
  renderer.renderFrame();
  auto& bubble = screen.bubbles[7];
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    bubble->setBackgroundColor(flip ? UIColor::systemYellowColor()
                                    : UIColor::colorWithWhite(0.94, 1));
    benchmark::DoNotOptimize(renderer.renderFrame());
  }
}
BENCHMARK(BM_DamagedRowFrame)->Unit(benchmark::kMillisecond);

// Nothing changed: the cost of finding that out.
void BM_UnchangedFrame(benchmark::State& state) {
  RunLoop::useManualClock();
  BusyScreen screen = makeBusyScreen();
  render::ScreenRenderer renderer;
  renderer.renderFrame();
  for (auto _ : state) benchmark::DoNotOptimize(renderer.renderFrame());
}
BENCHMARK(BM_UnchangedFrame)->Unit(benchmark::kMillisecond);

}  // namespace
