#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "AssetCheck.h"
#include "Manifest.h"
#include "TemporaryDirectory.h"

namespace fs = std::filesystem;
using parlo::sheet::checkAssets;
using parlo::sheet::Look;
using parlo::sheet::Manifest;

namespace {

// Draws a small PNG: a square of ink at (x, y, size) in the given colour, on transparency.
void writePng(const fs::path& path, int width, int height, double x, double y, double size,
              double red, double green, double blue) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, red, green, blue);
  cairo_rectangle(cr, x, y, size, size);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace

TEST(AssetManifest, ReadsEachImageAndNamesTheLineOfAMalformedOne) {
  std::string error;
  auto manifest = Manifest::parse(
      "# comment\n"
      "Assets\tmedia\tcolour-on-dark\tmedia.png\t110.29x62\t110.29x62\n"
      "Symbols\tcall\ttemplate\tsymbols/call.png\t36x36\t20x20 12x12\n",
      "/build/assets", error);

  ASSERT_TRUE(manifest) << error;
  ASSERT_EQ(manifest->entries.size(), 2u);
  EXPECT_EQ(manifest->entries[0].look, Look::ColourOnDark);
  EXPECT_DOUBLE_EQ(manifest->entries[0].canvas.width, 110.29);
  EXPECT_EQ(manifest->entries[1].png, fs::path("/build/assets/symbols/call.png"));
  ASSERT_EQ(manifest->entries[1].sizes.size(), 2u);
  EXPECT_DOUBLE_EQ(manifest->entries[1].sizes[1].height, 12);

  const struct {
    const char* line;
    const char* complaint;
  } bad[] = {
      {"A\tcall\ttemplate\tcall.png\t20x20", "6 tab-separated fields"},
      {"A\tcall\ttinted\tcall.png\t20x20\t20x20", "unknown look"},
      {"A\tcall\ttemplate\tcall.png\t20\t20x20", "bad canvas"},
      {"A\tcall\ttemplate\tcall.png\t20x20\t20x-1", "bad size"},
      {"A\tcall\ttemplate\tcall.png\t20x20\t", "no drawn size"},
  };
  for (const auto& [line, complaint] : bad) {
    std::string text = "# header\n" + std::string(line) + "\n";
    EXPECT_FALSE(Manifest::parse(text, "/", error)) << line;
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_NE(error.find(complaint), std::string::npos) << error;
  }
}

TEST(AssetCheck, FlagsMissingMisSizedStretchedTintedWrongAndClippedImages) {
  testsupport::TemporaryDirectory dir("parlo-asset-check");
  // A 10 x 10 point canvas is 30 x 30 pixels.
  writePng(dir / "good.png", 30, 30, 5, 5, 20, 0, 0, 0);
  writePng(dir / "small.png", 20, 20, 5, 5, 10, 0, 0, 0);
  writePng(dir / "red.png", 30, 30, 5, 5, 20, 1, 0, 0);
  writePng(dir / "clipped.png", 30, 30, 0, 5, 20, 0, 0, 0);
  writePng(dir / "banner.png", 30, 30, 0, 0, 30, 0.2, 0.5, 0.9);
  std::string error;
  auto manifest = Manifest::parse(
      "A\tgood\ttemplate\tgood.png\t10x10\t10x10 5x5\n"
      "A\tsmall\ttemplate\tsmall.png\t10x10\t10x10\n"
      "A\tstretched\ttemplate\tgood.png\t10x10\t10x5\n"
      "A\tred\ttemplate\tred.png\t10x10\t10x10\n"
      "A\tclipped\tcolour-on-dark\tclipped.png\t10x10\t10x10\n"
      "A\tbanner\tcolour\tbanner.png\t10x10\t10x10\n"
      "A\tmissing\tcolour\tmissing.png\t10x10\t10x10\n",
      dir.path(), error);
  ASSERT_TRUE(manifest) << error;

  auto problems = checkAssets(*manifest);

  std::string report = joined(problems);
  EXPECT_EQ(problems.size(), 5u) << report;
  auto reported = [&](const std::string& start) { return report.find(start) != std::string::npos; };
  EXPECT_FALSE(reported("good:")) << report;
  EXPECT_TRUE(reported("small: 20x20 pixels, expected 30x30")) << report;
  EXPECT_TRUE(reported("stretched: a drawn size is not the shape")) << report;
  EXPECT_TRUE(reported("red: a template image with ink that is not black")) << report;
  EXPECT_TRUE(reported("clipped: ink on the outermost pixels")) << report;
  EXPECT_FALSE(reported("banner:")) << report;
  EXPECT_TRUE(reported("missing: cannot load")) << report;
}

TEST(BuiltAssets, EveryRenderedImageKeepsItsSizeShapeTintAndMargins) {
  std::string error;
  auto manifest = Manifest::read(PARLO_ASSET_MANIFEST, error);
  ASSERT_TRUE(manifest) << error;

  auto problems = checkAssets(*manifest);

  EXPECT_TRUE(problems.empty()) << joined(problems);
}
