#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "quartz/UIColor.h"
#include "render/Renderer.h"
#include "render/ScreenRenderer.h"
#include "uikit/UIView.h"

namespace {

// Resident memory of this process in MB.
double residentMB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  }
  return 0;
}

// Through a volatile pointer, so that the compiler cannot drop the block.
void* (*volatile allocate)(size_t) = std::malloc;

// Once a block of this size has been freed, the allocator serves blocks of that size from its
// heap and no longer trims them away: what any long-running app has done by the time it draws.
void teachTheAllocatorLargeBlocks() {
  constexpr size_t kSize = 16 << 20;
  void* block = allocate(kSize);
  std::memset(block, 1, kSize);
  std::free(block);
}

std::shared_ptr<UIView> screenFilledWithColour() {
  auto view = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 844));
  view->setBackgroundColor(UIColor::colorWithRed(0.2, 0.4, 0.6, 1));
  return view;
}

}  // namespace

// Twice each: a block that stayed in the heap would be taken again by the second, unseen.
TEST(RenderMemory, AScreenSizedPictureGivesItsPixelsBackWhenDestroyed) {
  teachTheAllocatorLargeBlocks();
  auto view = screenFilledWithColour();
  const double before = residentMB();

  for (int i = 0; i < 2; ++i) {
    cairo_surface_t* picture = render::renderView(view, 3);
    EXPECT_GT(residentMB() - before, 10) << "a 1170 x 2532 picture is 11.8 MB";
    cairo_surface_destroy(picture);
  }

  EXPECT_LT(residentMB() - before, 3) << "the pixels stayed resident";
}

TEST(RenderMemory, ARendererGivesItsFrameBackWhenItGoes) {
  teachTheAllocatorLargeBlocks();
  const double before = residentMB();

  for (int i = 0; i < 2; ++i) {
    render::ScreenRenderer renderer;
    cairo_t* cr = cairo_create(renderer.surface());
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
    EXPECT_GT(residentMB() - before, 10);
  }

  EXPECT_LT(residentMB() - before, 3) << "the frame stayed resident";
}
