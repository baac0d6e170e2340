#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TemporaryDirectory.h"
#include "TourSheet.h"

namespace fs = std::filesystem;
using parlo::sheet::tourShots;
using parlo::sheet::writeTourSheet;

namespace {

void writeScreen(const fs::path& path, double red, double green, double blue) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 39, 84);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, red, green, blue);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
}

uint32_t pixelAt(cairo_surface_t* surface, int x, int y) {
  const auto* row =
      cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
  return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
}

}  // namespace

TEST(TourSheet, TakesTheFolderSnapshotsInNameOrderWithCaptionsAndLeavesTheSheetOut) {
  testsupport::TemporaryDirectory dir("parlo-tour-sheet");
  writeScreen(dir / "10-chat-after-delete.png", 1, 0, 0);
  writeScreen(dir / "02-inbox-dark.png", 0, 0, 0);
  writeScreen(dir / "index.png", 0, 0, 1);
  writeScreen(dir / "plain_name.png", 0, 1, 0);
  std::ofstream(dir / "02-inbox-dark.json") << "{}";

  auto shots = tourShots(dir.path(), dir / "index.png");

  ASSERT_EQ(shots.size(), 3u);
  struct Expected {
    const char* file;
    const char* caption;
  } expected[] = {{"02-inbox-dark.png", "2  inbox dark"},
                  {"10-chat-after-delete.png", "10  chat after delete"},
                  {"plain_name.png", "plain name"}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(shots[i].png.filename(), expected[i].file);
    EXPECT_EQ(shots[i].caption, expected[i].caption);
  }
}

TEST(TourSheet, DrawsEachShotInItsCellInOrderAndMarksOneThatCannotBeRead) {
  testsupport::TemporaryDirectory dir("parlo-tour-sheet");
  writeScreen(dir / "01-red.png", 1, 0, 0);
  writeScreen(dir / "02-green.png", 0, 1, 0);
  std::ofstream(dir / "03-broken.png") << "not a png";
  auto shots = tourShots(dir.path(), dir / "index.png");
  std::vector<std::string> missing;
  std::string error;

  ASSERT_TRUE(writeTourSheet(shots, dir / "index.png", 2, 100, missing, error)) << error;

  EXPECT_EQ(missing, std::vector<std::string>{"03-broken.png"});
  cairo_surface_t* sheet = cairo_image_surface_create_from_png((dir / "index.png").c_str());
  ASSERT_EQ(cairo_surface_status(sheet), CAIRO_STATUS_SUCCESS);
  // Two columns of 100-point thumbnails after a 24-point margin, 18 apart; two rows.
  EXPECT_EQ(cairo_image_surface_get_width(sheet), 24 * 2 + 2 * 100 + 18);
  EXPECT_EQ(pixelAt(sheet, 24 + 50, 24 + 100), 0xFF0000u);
  EXPECT_EQ(pixelAt(sheet, 24 + 100 + 18 + 50, 24 + 100), 0x00FF00u);
  cairo_surface_destroy(sheet);
}
