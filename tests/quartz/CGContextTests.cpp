#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "quartz/CGBitmapContext.h"
#include "quartz/CGContext+Private.h"
#include "quartz/CGContext.h"
#include "quartz/CGImage+Private.h"

namespace {

// A 20 x 20 transparent surface drawn through a context, read back pixel by pixel.
class Canvas {
 public:
  Canvas()
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 20)),
        cr_(cairo_create(surface_)),
        context_(CGContextCreateWithCairo(cr_)) {}
  ~Canvas() {
    CGContextRelease(context_);
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  CGContextRef context() const { return context_; }
  cairo_surface_t* surface() const { return surface_; }

  // 0xAARRGGBB, premultiplied.
  uint32_t pixel(int x, int y) const {
    cairo_surface_flush(surface_);
    const uint8_t* row = cairo_image_surface_get_data(surface_) +
                         static_cast<ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_);
    return reinterpret_cast<const uint32_t*>(row)[x];
  }

 private:
  cairo_surface_t* surface_;
  cairo_t* cr_;
  CGContextRef context_;
};

constexpr uint32_t kRed = 0xffff0000, kBlue = 0xff0000ff, kClear = 0;

TEST(CGContext, FillsAndStrokesEachWithItsOwnColour) {
  Canvas canvas;
  CGContextRef c = canvas.context();
  CGContextSetFillColorWithColor(c, CGColor{1, 0, 0, 1});
  CGContextSetStrokeColorWithColor(c, CGColor{0, 0, 1, 1});

  CGContextFillRect(c, CGRectMake(0, 0, 10, 10));
  CGContextSetLineWidth(c, 2);
  CGContextMoveToPoint(c, 15, 0);
  CGContextAddLineToPoint(c, 15, 20);
  CGContextStrokePath(c);
  CGContextFillRect(c, CGRectMake(0, 12, 4, 4));

  EXPECT_EQ(canvas.pixel(5, 5), kRed);
  EXPECT_EQ(canvas.pixel(15, 10), kBlue);
  EXPECT_EQ(canvas.pixel(2, 14), kRed);
  EXPECT_EQ(canvas.pixel(10, 18), kClear);
}

TEST(CGContext, RestoringTheStateBringsBackColoursTransformAndClipButNotThePath) {
  Canvas canvas;
  CGContextRef c = canvas.context();
  CGContextSetFillColorWithColor(c, CGColor{1, 0, 0, 1});

  CGContextSaveGState(c);
  CGContextSetFillColorWithColor(c, CGColor{0, 0, 1, 1});
  CGContextTranslateCTM(c, 10, 0);
  CGContextClipToRect(c, CGRectMake(0, 0, 5, 5));
  CGContextFillRect(c, CGRectMake(0, 0, 10, 10));
  CGContextRestoreGState(c);
  CGContextFillRect(c, CGRectMake(0, 10, 4, 4));
  // More restores than saves leave the state alone.
  CGContextRestoreGState(c);
  CGContextFillRect(c, CGRectMake(5, 10, 4, 4));

  EXPECT_EQ(canvas.pixel(12, 2), kBlue);
  EXPECT_EQ(canvas.pixel(17, 2), kClear) << "clipped";
  EXPECT_EQ(canvas.pixel(2, 12), kRed);
  EXPECT_EQ(canvas.pixel(7, 12), kRed);
  EXPECT_EQ(canvas.pixel(2, 2), kClear) << "the translation was restored";
}

TEST(CGContext, ReportsTheTransformInThePlatformsOrderAndFillsArcs) {
  Canvas canvas;
  CGContextRef c = canvas.context();

  CGContextTranslateCTM(c, 4, 6);
  CGContextScaleCTM(c, 2, 3);
  CGAffineTransform ctm = CGContextGetCTM(c);
  CGContextSetRGBFillColor(c, 0, 0, 1, 1);
  CGContextBeginPath(c);
  CGContextAddArc(c, 3, 2, 2, 0, 2 * std::numbers::pi, 0);
  CGContextClosePath(c);
  CGContextFillPath(c);

  EXPECT_EQ(ctm.a, 2);
  EXPECT_EQ(ctm.b, 0);
  EXPECT_EQ(ctm.c, 0);
  EXPECT_EQ(ctm.d, 3);
  EXPECT_EQ(ctm.tx, 4);
  EXPECT_EQ(ctm.ty, 6);
  EXPECT_EQ(canvas.pixel(10, 12), kBlue) << "the arc's centre, (3, 2) in user space";
  EXPECT_EQ(canvas.pixel(1, 1), kClear);
}

TEST(CGBitmap, EncodesPNGThatDecodesToTheSamePixelsAndRefusesABrokenSurface) {
  Canvas canvas;
  CGContextSetRGBFillColor(canvas.context(), 1, 0, 0, 1);
  CGContextFillRect(canvas.context(), CGRectMake(0, 0, 20, 20));
  cairo_surface_t* broken = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, -1, -1);

  std::vector<uint8_t> png = CGBitmapCopyPNGData(canvas.surface());
  struct Reader {
    const std::vector<uint8_t>& bytes;
    size_t offset = 0;
  } reader{png};
  cairo_surface_t* decoded = cairo_image_surface_create_from_png_stream(
      [](void* closure, unsigned char* data, unsigned int length) {
        auto* r = static_cast<Reader*>(closure);
        if (r->bytes.size() - r->offset < length) return CAIRO_STATUS_READ_ERROR;
        std::copy_n(r->bytes.begin() + static_cast<ptrdiff_t>(r->offset), length, data);
        r->offset += length;
        return CAIRO_STATUS_SUCCESS;
      },
      &reader);

  ASSERT_EQ(cairo_surface_status(decoded), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(decoded), 20);
  EXPECT_EQ(reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(decoded))[0], kRed);
  EXPECT_TRUE(CGBitmapCopyPNGData(broken).empty());
  EXPECT_TRUE(CGBitmapCopyPNGData(nullptr).empty());
  cairo_surface_destroy(decoded);
  cairo_surface_destroy(broken);
}

// A 2 x 1 image, its left pixel and its right pixel given as 0xAARRGGBB (opaque or clear).
std::shared_ptr<CGImage> twoPixelImage(uint32_t left, uint32_t right) {
  CGContextRef bitmap = CGBitmapContextCreate(2, 1);
  uint32_t colours[2] = {left, right};
  for (int x = 0; x < 2; ++x) {
    uint32_t colour = colours[x];
    CGContextSetRGBFillColor(bitmap, (colour >> 16 & 0xff) / 255.0, (colour >> 8 & 0xff) / 255.0,
                             (colour & 0xff) / 255.0, (colour >> 24) / 255.0);
    CGContextFillRect(bitmap, CGRectMake(x, 0, 1, 1));
  }
  std::shared_ptr<CGImage> image(CGBitmapContextCreateImage(bitmap), CGImageRelease);
  CGContextRelease(bitmap);
  return image;
}

uint32_t pixelOf(CGImageRef image, int x, int y) {
  cairo_surface_t* surface = CGImageGetCairoSurface(image);
  const uint8_t* row = cairo_image_surface_get_data(surface) +
                       static_cast<ptrdiff_t>(y) * cairo_image_surface_get_stride(surface);
  return reinterpret_cast<const uint32_t*>(row)[x];
}

TEST(CGBitmapContext, MakesImagesThatKeepWhatWasDrawnAndOutliveTheContext) {
  CGContextRef bitmap = CGBitmapContextCreate(3, 2);
  ASSERT_NE(bitmap, nullptr);
  CGContextSetRGBFillColor(bitmap, 1, 0, 0, 1);
  CGContextFillRect(bitmap, CGRectMake(0, 0, 1, 2));
  CGImageRef first = CGBitmapContextCreateImage(bitmap);
  CGContextSetRGBFillColor(bitmap, 0, 0, 1, 1);
  CGContextFillRect(bitmap, CGRectMake(0, 0, 3, 2));
  CGImageRef second = CGBitmapContextCreateImage(bitmap);
  CGContextRelease(bitmap);

  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CGImageGetWidth(first), 3u);
  EXPECT_EQ(CGImageGetHeight(first), 2u);
  EXPECT_EQ(pixelOf(first, 0, 1), kRed);
  EXPECT_EQ(pixelOf(first, 2, 1), kClear) << "later drawing left the first image alone";
  EXPECT_EQ(pixelOf(second, 0, 0), kBlue);
  // A retained image survives its creator's release.
  EXPECT_EQ(CGImageRetain(second), second);
  CGImageRelease(second);
  EXPECT_EQ(pixelOf(second, 2, 1), kBlue);
  CGImageRelease(second);
  CGImageRelease(first);
}

TEST(CGBitmapContext, RefusesSizesAndContextsItCannotServe) {
  Canvas canvas;
  cairo_surface_t* alphaOnly = cairo_image_surface_create(CAIRO_FORMAT_A8, 4, 4);

  EXPECT_EQ(CGBitmapContextCreate(0, 5), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(5, 40000), nullptr);
  EXPECT_EQ(CGBitmapContextCreateImage(canvas.context()), nullptr)
      << "a context drawing into someone else's pixels";
  EXPECT_EQ(CGBitmapContextCreateImage(nullptr), nullptr);
  EXPECT_EQ(CGImageCreateWithCairoSurface(alphaOnly), nullptr);
  EXPECT_EQ(CGImageGetWidth(nullptr), 0u);
  CGImageRelease(CGImageRetain(nullptr));
  cairo_surface_destroy(alphaOnly);
}

TEST(CGContext, DrawsImagesStretchedAtTheInterpolationQuality) {
  auto image = twoPixelImage(kRed, kBlue);
  struct Case {
    CGInterpolationQuality quality;
    bool blendsAtTheSeam;
  } cases[] = {{kCGInterpolationNone, false}, {kCGInterpolationDefault, true}};
  for (const Case& c : cases) {
    Canvas canvas;
    CGContextSetInterpolationQuality(canvas.context(), c.quality);
    CGContextDrawImage(canvas.context(), CGRectMake(0, 0, 20, 10), image.get());

    EXPECT_EQ(canvas.pixel(0, 0), kRed) << "edges stay sharp, quality " << c.quality;
    EXPECT_EQ(canvas.pixel(19, 9), kBlue) << c.quality;
    EXPECT_EQ(canvas.pixel(5, 15), kClear) << "nothing below the rectangle, " << c.quality;
    bool pure = canvas.pixel(9, 5) == kRed && canvas.pixel(10, 5) == kBlue;
    EXPECT_EQ(!pure, c.blendsAtTheSeam) << c.quality;
  }
}

TEST(CGContext, ClippingToAMaskShowsLaterDrawingOnlyWhereItIsOpaqueUntilRestored) {
  auto mask = twoPixelImage(kBlue, kClear);
  Canvas canvas;
  CGContextRef c = canvas.context();
  CGContextSetInterpolationQuality(c, kCGInterpolationNone);

  CGContextSetRGBFillColor(c, 1, 0, 0, 1);
  CGContextSaveGState(c);
  CGContextClipToMask(c, CGRectMake(0, 0, 20, 10), mask.get());
  CGContextFillRect(c, CGRectMake(0, 0, 20, 20));
  CGContextSetStrokeColorWithColor(c, CGColor{0, 0, 1, 1});
  CGContextSetLineWidth(c, 2);
  CGContextMoveToPoint(c, 0, 8);
  CGContextAddLineToPoint(c, 20, 8);
  CGContextStrokePath(c);
  CGContextRestoreGState(c);
  CGContextFillRect(c, CGRectMake(0, 15, 20, 5));

  EXPECT_EQ(canvas.pixel(3, 3), kRed) << "the mask's colour does not count, only its alpha";
  EXPECT_EQ(canvas.pixel(15, 3), kClear) << "transparent in the mask";
  EXPECT_EQ(canvas.pixel(5, 12), kClear) << "outside the mask's rectangle";
  EXPECT_EQ(canvas.pixel(3, 8), kBlue) << "strokes go through the mask too";
  EXPECT_EQ(canvas.pixel(15, 8), kClear);
  EXPECT_EQ(canvas.pixel(15, 17), kRed) << "restoring took the mask away";

  Canvas empty;
  CGContextClipToMask(empty.context(), CGRectMake(0, 0, 20, 20), nullptr);
  CGContextFillRect(empty.context(), CGRectMake(0, 0, 20, 20));
  EXPECT_EQ(empty.pixel(10, 10), kClear) << "nothing shows through no mask";
}

}  // namespace
