#include <cairo.h>
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "TemporaryDeviceRoot.h"
#include "TestImages.h"
#include "foundation/DeviceRoot.h"
#include "quartz/CGImage+Private.h"
#include "uikit/UIBlurEffect.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UIVisualEffectView.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

struct RGBA {
  int red, green, blue, alpha;
};

constexpr RGBA kRed{220, 20, 30, 255};
constexpr RGBA kBlue{20, 40, 210, 255};
constexpr RGBA kGreen{30, 180, 40, 255};
constexpr RGBA kYellow{230, 210, 20, 255};

// A premultiplied ARGB32 word, as Cairo stores it.
uint32_t packed(RGBA c) {
  auto pre = [&](int v) { return static_cast<uint32_t>(v * c.alpha / 255); };
  return uint32_t(c.alpha) << 24 | pre(c.red) << 16 | pre(c.green) << 8 | pre(c.blue);
}

// width x height pixels in four quadrants of the given colours.
cairo_surface_t* quadrants(int width, int height, RGBA topLeft, RGBA topRight, RGBA bottomLeft,
                           RGBA bottomRight) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  auto* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < width; ++x) {
      bool left = x < width / 2, top = y < height / 2;
      row[x] = packed(top ? (left ? topLeft : topRight) : (left ? bottomLeft : bottomRight));
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

using testsupport::pngOf;

Bytes png(int width, int height, RGBA colour = kRed) {
  cairo_surface_t* surface = quadrants(width, height, colour, colour, colour, colour);
  Bytes bytes = pngOf(surface);
  cairo_surface_destroy(surface);
  return bytes;
}

Bytes jpeg(int width, int height, RGBA topLeft = kRed, RGBA topRight = kRed, RGBA bottomLeft = kRed,
           RGBA bottomRight = kRed) {
  cairo_surface_t* surface = quadrants(width, height, topLeft, topRight, bottomLeft, bottomRight);
  tjhandle encoder = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  int format = std::endian::native == std::endian::little ? TJPF_BGRA : TJPF_ARGB;
  EXPECT_EQ(tjCompress2(encoder, cairo_image_surface_get_data(surface), width,
                        cairo_image_surface_get_stride(surface), height, format, &out, &size,
                        TJSAMP_444, 95, 0),
            0);
  Bytes bytes(out, out + size);
  tjFree(out);
  tjDestroy(encoder);
  cairo_surface_destroy(surface);
  return bytes;
}

// The PNG with a chunk of the given type and data inserted right after its header chunk.
Bytes withChunk(const Bytes& pngBytes, const char* type, const std::string& data) {
  Bytes chunk = {0, 0, 0, 0};
  for (uint32_t n = data.size(), i = 0; i < 4; ++i) chunk[i] = uint8_t(n >> (24 - 8 * i));
  chunk.insert(chunk.end(), type, type + 4);
  chunk.insert(chunk.end(), data.begin(), data.end());
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 4; i < chunk.size(); ++i) {
    crc ^= chunk[i];
    for (int k = 0; k < 8; ++k) crc = crc & 1 ? 0xEDB88320 ^ (crc >> 1) : crc >> 1;
  }
  crc ^= 0xFFFFFFFF;
  for (int i = 0; i < 4; ++i) chunk.push_back(uint8_t(crc >> (24 - 8 * i)));
  Bytes out(pngBytes.begin(), pngBytes.begin() + 33);
  out.insert(out.end(), chunk.begin(), chunk.end());
  out.insert(out.end(), pngBytes.begin() + 33, pngBytes.end());
  return out;
}

// The JPEG with an EXIF segment holding the given TIFF block, right after its start marker.
Bytes withExif(const Bytes& jpegBytes, const Bytes& tiff) {
  Bytes segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  size_t length = segment.size() - 2;
  segment[2] = static_cast<uint8_t>(length >> 8);
  segment[3] = static_cast<uint8_t>(length);
  Bytes out(jpegBytes.begin(), jpegBytes.begin() + 2);
  out.insert(out.end(), segment.begin(), segment.end());
  out.insert(out.end(), jpegBytes.begin() + 2, jpegBytes.end());
  return out;
}

// A little-endian TIFF block with one directory entry: the orientation.
Bytes orientationTIFF(uint8_t orientation) {
  return {'I',  'I',  42, 0, 8, 0, 0, 0,                        // header, directory at 8
          1,    0,                                              // one entry
          0x12, 0x01, 3,  0, 1, 0, 0, 0, orientation, 0, 0, 0,  // orientation, SHORT, 1 value
          0,    0,    0,  0};                                   // no next directory
}

std::shared_ptr<NSData> dataOf(const Bytes& bytes) {
  return NSData::dataWithBytes(bytes);
}

RGBA pixelAt(const std::shared_ptr<UIImage>& image, int x, int y) {
  cairo_surface_t* surface = CGImageGetCairoSurface(image->CGImage());
  cairo_surface_flush(surface);
  const auto* row =
      cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
  uint32_t word = reinterpret_cast<const uint32_t*>(row)[x];
  int alpha = word >> 24;
  auto unpremultiplied = [&](int v) { return alpha ? (v * 255 + alpha / 2) / alpha : 0; };
  return {unpremultiplied(word >> 16 & 0xFF), unpremultiplied(word >> 8 & 0xFF),
          unpremultiplied(word & 0xFF), alpha};
}

void expectNear(RGBA actual, RGBA expected, int tolerance, const std::string& where) {
  EXPECT_NEAR(actual.red, expected.red, tolerance) << where;
  EXPECT_NEAR(actual.green, expected.green, tolerance) << where;
  EXPECT_NEAR(actual.blue, expected.blue, tolerance) << where;
  EXPECT_NEAR(actual.alpha, expected.alpha, tolerance) << where;
}

// Each test gets a fresh device root in a temporary folder, removed afterwards.
class ImageDeviceTest : public ::testing::Test {
 protected:
  void place(const std::string& devicePath, const Bytes& bytes) {
    fs::path host = *DeviceRoot::resolve(devicePath);
    fs::create_directories(host.parent_path());
    ASSERT_TRUE(DeviceRoot::writeFile(devicePath, bytes, false));
  }

 private:
  testsupport::TemporaryDeviceRoot device_{"parlo-images"};
};

using ImageFiles = ImageDeviceTest;
using SystemImages = ImageDeviceTest;

const std::string kSymbols = "/System/Library/CoreServices/Symbols/";

// ---- Files and data ----

TEST_F(ImageFiles, LoadWithThePixelSizeAndTheScaleOfTheFileFound) {
  place("/img/plain.png", png(30, 15));
  place("/img/photo.jpg", jpeg(40, 20));
  place("/img/named@2x.png", png(30, 16));
  place("/img/icon.png", png(10, 10));
  place("/img/icon@3x.png", png(30, 30));
  place("/img/only@3x.png", png(45, 45));
  place("/img/pair.png", png(8, 8));
  place("/img/pair@2x.png", png(16, 16));
  place("/img/dismiss", png(50, 50));
  place("/img/renamed.png", jpeg(12, 6));
  place("/img/broken@3x.png", Bytes{'n', 'o', 'p', 'e'});
  place("/img/broken.png", png(9, 9));
  struct Case {
    const char* path;
    bool loads;
    CGSize size;
    CGFloat scale;
  };
  const Case cases[] = {
      {"/img/plain.png", true, {30, 15}, 1},
      {"/img/photo.jpg", true, {40, 20}, 1},
      {"/img/named@2x.png", true, {15, 8}, 2},
      {"/img/icon.png", true, {10, 10}, 3},  // the screen's variant wins
      {"/img/only.png", true, {15, 15}, 3},
      {"/img/pair.png", true, {8, 8}, 2},
      {"/img/dismiss", true, {50, 50}, 1},
      // Without an extension, the PNG of that name and its screen variant.
      {"/img/plain", true, {30, 15}, 1},
      {"/img/icon", true, {10, 10}, 3},
      {"/img/named", true, {15, 8}, 2},
      {"/img/renamed.png", true, {12, 6}, 1},  // recognised by its bytes
      {"/img/missing.png", false, {}, 0},
      {"/img/broken.png", false, {}, 0},  // a damaged variant is what was found
      {"/img", false, {}, 0},
  };

  for (const Case& c : cases) {
    auto image = UIImage::imageWithContentsOfFile(c.path);

    ASSERT_EQ(image != nullptr, c.loads) << c.path;
    if (!image) continue;
    EXPECT_EQ(image->size(), c.size) << c.path;
    EXPECT_EQ(image->scale(), c.scale) << c.path;
    EXPECT_EQ(image->renderingMode(), UIImageRenderingModeAutomatic) << c.path;
    EXPECT_EQ(cairo_image_surface_get_format(CGImageGetCairoSurface(image->CGImage())),
              CAIRO_FORMAT_ARGB32)
        << c.path;
  }
}

TEST(ImageData, BytesThatAreNotAWholeImageGiveNil) {
  Bytes goodPNG = png(20, 20);
  Bytes goodJPEG = jpeg(64, 64, kRed, kBlue, kGreen, kYellow);
  // Halfway between the start of scan and the end: the tables are whole, the rows are not.
  size_t scanStart = 0;
  while (!(goodJPEG[scanStart] == 0xFF && goodJPEG[scanStart + 1] == 0xDA)) ++scanStart;
  size_t scanMiddle = (scanStart + goodJPEG.size()) / 2;
  Bytes damagedPNG = goodPNG;
  damagedPNG[damagedPNG.size() - 20] ^= 0xFF;  // inside the pixel data: its checksum fails
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"text", {'h', 'e', 'l', 'l', 'o'}},
      {"PNG signature only", Bytes(goodPNG.begin(), goodPNG.begin() + 8)},
      {"PNG header only", Bytes(goodPNG.begin(), goodPNG.begin() + 33)},
      {"PNG cut in half", Bytes(goodPNG.begin(), goodPNG.begin() + goodPNG.size() / 2)},
      {"PNG with damaged pixel data", damagedPNG},
      {"PNG with a chunk longer than the file",
       [&] {
         Bytes b = withChunk(goodPNG, "zTXt", "");
         b[33] = 0x54;  // claims about 1.4 GB
         return b;
       }()},
      {"JPEG start marker only", {0xFF, 0xD8, 0xFF}},
      {"JPEG cut in its pixel data", Bytes(goodJPEG.begin(), goodJPEG.begin() + scanMiddle)},
      {"JPEG header and noise",
       [&] {
         Bytes b(goodJPEG.begin(), goodJPEG.begin() + goodJPEG.size() / 3);
         for (int i = 0; i < 500; ++i) b.push_back(static_cast<uint8_t>(i * 37 + 11));
         return b;
       }()},
  };

  for (const Case& c : cases) {
    auto image = UIImage::imageWithData(dataOf(c.bytes));

    EXPECT_EQ(image, nullptr) << c.what;
  }
  EXPECT_EQ(UIImage::imageWithData(nullptr), nullptr);
}

TEST(ImageData, ChunksBesideThePixelsDoNotStopAPNGFromLoading) {
  Bytes plain = png(6, 4, kBlue);
  Bytes annotated = withChunk(withChunk(plain, "tEXt", std::string("Comment\0hello", 13)), "zTXt",
                              std::string("Title\0\0not really deflated", 27));

  auto image = UIImage::imageWithData(dataOf(annotated));

  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->size(), CGSizeMake(6, 4));
  expectNear(pixelAt(image, 2, 2), kBlue, 0, "blue");
}

TEST(ImageData, ImagesBeyondTheSizeLimitAreRefused) {
  struct Case {
    const char* what;
    Bytes bytes;
    bool loads;
  };
  const Case cases[] = {
      {"PNG 16384 wide", png(16384, 1), true},
      {"PNG 16385 wide", png(16385, 1), false},
      {"JPEG 16384 tall", jpeg(8, 16384), true},
      {"JPEG 16385 tall", jpeg(8, 16385), false},
  };

  for (const Case& c : cases) {
    auto image = UIImage::imageWithData(dataOf(c.bytes));

    EXPECT_EQ(image != nullptr, c.loads) << c.what;
  }
}

TEST(ImageData, AGivenScaleDividesThePixelSizeAndMustBePositive) {
  auto data = dataOf(png(30, 12));

  auto atTwo = UIImage::imageWithData(data, 2);
  auto atZero = UIImage::imageWithData(data, 0);
  auto negative = UIImage::imageWithData(data, -3);
  auto notANumber = UIImage::imageWithData(data, std::numeric_limits<CGFloat>::quiet_NaN());
  auto endless = UIImage::imageWithData(data, std::numeric_limits<CGFloat>::infinity());

  ASSERT_NE(atTwo, nullptr);
  EXPECT_EQ(atTwo->size(), CGSizeMake(15, 6));
  EXPECT_EQ(atTwo->scale(), 2);
  EXPECT_EQ(atZero, nullptr);
  EXPECT_EQ(negative, nullptr);
  EXPECT_EQ(notANumber, nullptr);
  EXPECT_EQ(endless, nullptr);
}

TEST(ImageData, JPEGOrientationTurnsThePixelsUpright) {
  // Stored 32 x 16 in quadrants, red and blue over green and yellow. Probes sit in the middle of
  // each quadrant of the shown image, in reading order.
  constexpr RGBA R = kRed, B = kBlue, G = kGreen, Y = kYellow;
  struct Case {
    const char* what;
    Bytes tiff;
    CGSize shown;
    RGBA quadrants[4];
  };
  const Case cases[] = {
      {"upright", orientationTIFF(1), {32, 16}, {R, B, G, Y}},
      {"mirrored", orientationTIFF(2), {32, 16}, {B, R, Y, G}},
      {"upside down", orientationTIFF(3), {32, 16}, {Y, G, B, R}},
      {"mirrored upside down", orientationTIFF(4), {32, 16}, {G, Y, R, B}},
      {"transposed", orientationTIFF(5), {16, 32}, {R, G, B, Y}},
      {"turned clockwise", orientationTIFF(6), {16, 32}, {G, R, Y, B}},
      {"transversed", orientationTIFF(7), {16, 32}, {Y, B, G, R}},
      {"turned anticlockwise", orientationTIFF(8), {16, 32}, {B, Y, R, G}},
      {"orientation out of range", orientationTIFF(9), {32, 16}, {R, B, G, Y}},
      {"directory beyond the block",
       {'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0xFF, 1, 0},
       {32, 16},
       {R, B, G, Y}},
      {"entries beyond the block",
       {'M', 'M', 0, 42, 0, 0, 0, 8, 0xFF, 0xFF, 0x01, 0x12},
       {32, 16},
       {R, B, G, Y}},
  };

  for (const Case& c : cases) {
    auto image = UIImage::imageWithData(dataOf(withExif(jpeg(32, 16, R, B, G, Y), c.tiff)));

    ASSERT_NE(image, nullptr) << c.what;
    ASSERT_EQ(image->size(), c.shown) << c.what;
    int w = image->pixelWidth(), h = image->pixelHeight();
    expectNear(pixelAt(image, w / 4, h / 4), c.quadrants[0], 12, c.what);
    expectNear(pixelAt(image, 3 * w / 4, h / 4), c.quadrants[1], 12, c.what);
    expectNear(pixelAt(image, w / 4, 3 * h / 4), c.quadrants[2], 12, c.what);
    expectNear(pixelAt(image, 3 * w / 4, 3 * h / 4), c.quadrants[3], 12, c.what);
  }
}

// ---- Representations ----

TEST(ImageRepresentations, AJPEGRoundTripKeepsThePixelSizeAndTheColour) {
  auto image = UIImage::imageWithData(dataOf(png(24, 16, {200, 60, 30, 255})), 2);

  auto data = UIImageJPEGRepresentation(image, 0.9);
  auto decoded = UIImage::imageWithData(data);

  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(decoded->pixelWidth(), 24);
  EXPECT_EQ(decoded->pixelHeight(), 16);
  EXPECT_EQ(decoded->scale(), 1);
  expectNear(pixelAt(decoded, 12, 8), {200, 60, 30, 255}, 6, "centre");
}

TEST(ImageRepresentations, LowerJPEGQualityGivesSmallerData) {
  // Noise, so that the quality shows in the size.
  cairo_surface_t* noise = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 64);
  auto* pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(noise));
  uint32_t seed = 1;
  for (int i = 0; i < 64 * 64; ++i) {
    seed = seed * 1103515245 + 12345;
    pixels[i] = 0xFF000000 | (seed >> 8 & 0xFFFFFF);
  }
  cairo_surface_mark_dirty(noise);
  auto image = UIImage::imageWithData(dataOf(pngOf(noise)));
  cairo_surface_destroy(noise);
  ASSERT_NE(image, nullptr);

  auto worst = UIImageJPEGRepresentation(image, 0);
  auto low = UIImageJPEGRepresentation(image, 0.1);
  auto best = UIImageJPEGRepresentation(image, 1);
  auto beyond = UIImageJPEGRepresentation(image, 7);

  ASSERT_NE(worst, nullptr);
  ASSERT_NE(best, nullptr);
  EXPECT_LT(low->length(), best->length());
  EXPECT_LE(worst->length(), low->length());
  EXPECT_TRUE(beyond->isEqualToData(*best));
  EXPECT_EQ(UIImageJPEGRepresentation(nullptr, 1), nullptr);
}

TEST(ImageRepresentations, APNGRoundTripKeepsTranslucentPixels) {
  auto image = UIImage::imageWithData(dataOf(png(4, 4, {255, 0, 0, 128})));

  auto decoded = UIImage::imageWithData(UIImagePNGRepresentation(image));

  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(decoded->size(), CGSizeMake(4, 4));
  expectNear(pixelAt(decoded, 1, 1), {255, 0, 0, 128}, 2, "translucent red");
  EXPECT_EQ(UIImagePNGRepresentation(nullptr), nullptr);
}

TEST(ImageRenderingMode, AVariantInAnotherModeSharesThePixelsAndLeavesTheOriginal) {
  auto original = UIImage::imageWithData(dataOf(png(6, 3)), 3);

  auto templ = original->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate);
  auto back = templ->imageWithRenderingMode(UIImageRenderingModeAlwaysOriginal);

  EXPECT_EQ(templ->renderingMode(), UIImageRenderingModeAlwaysTemplate);
  EXPECT_EQ(back->renderingMode(), UIImageRenderingModeAlwaysOriginal);
  EXPECT_EQ(original->renderingMode(), UIImageRenderingModeAutomatic);
  EXPECT_EQ(templ->CGImage(), original->CGImage());
  EXPECT_EQ(templ->size(), original->size());
  EXPECT_EQ(templ->scale(), 3);
}

// ---- System symbols ----

TEST_F(SystemImages, ASymbolIsASquareOfItsConfiguredPointSize) {
  place(kSymbols + "checkmark.png", png(108, 108, {0, 0, 0, 255}));
  using Config = UIImageSymbolConfiguration;
  struct Case {
    const char* what;
    std::shared_ptr<Config> configuration;
    CGFloat side;
    UIImageSymbolWeight weight;
  };
  const Case cases[] = {
      {"no configuration", nullptr, 17, UIImageSymbolWeightUnspecified},
      {"point size 20", Config::configurationWithPointSize(20), 20, UIImageSymbolWeightUnspecified},
      {"point size 20, bold", Config::configurationWithPointSize(20, UIImageSymbolWeightBold), 20,
       UIImageSymbolWeightBold},
      {"point size 35", Config::configurationWithPointSize(35), 35, UIImageSymbolWeightUnspecified},
      {"weight only", Config::configurationWithWeight(UIImageSymbolWeightBold), 17,
       UIImageSymbolWeightBold},
      {"zero point size", Config::configurationWithPointSize(0), 17,
       UIImageSymbolWeightUnspecified},
      {"negative point size", Config::configurationWithPointSize(-4), 17,
       UIImageSymbolWeightUnspecified},
  };

  for (const Case& c : cases) {
    auto image = UIImage::systemImageNamed("checkmark", c.configuration);

    ASSERT_NE(image, nullptr) << c.what;
    EXPECT_NEAR(image->size().width, c.side, 1e-9) << c.what;
    EXPECT_NEAR(image->size().height, c.side, 1e-9) << c.what;
    EXPECT_EQ(image->pixelWidth(), 108) << c.what;
    EXPECT_EQ(image->renderingMode(), UIImageRenderingModeAlwaysTemplate) << c.what;
    ASSERT_TRUE(image->isSymbolImage()) << c.what;
    EXPECT_EQ(image->symbolConfiguration()->weight(), c.weight) << c.what;
  }
}

TEST_F(SystemImages, NamesOutsideTheSymbolFolderGiveNil) {
  place(kSymbols + "xmark.png", png(108, 108));
  place("/System/Library/CoreServices/secret.png", png(108, 108));
  place(kSymbols + "broken.png", Bytes{1, 2, 3});

  for (const char* name :
       {"no.such.symbol", "", ".", "..", "../secret", "/xmark", "xmark/", "xmark.png", "broken"}) {
    EXPECT_EQ(UIImage::systemImageNamed(name), nullptr) << '"' << name << '"';
  }
  EXPECT_EQ(UIImage::systemImageNamed(std::string("xmark\0/x", 8)), nullptr);
  EXPECT_NE(UIImage::systemImageNamed("xmark"), nullptr);
}

// ---- Image views ----

TEST(ImageViewContentMode, TheImageLandsWhereTheModeSays) {
  const CGRect bounds = CGRectMake(10, 20, 200, 200);
  struct Case {
    UIViewContentMode mode;
    CGSize image;
    CGRect expected;
  };
  const Case cases[] = {
      {UIViewContentModeScaleToFill, {100, 50}, bounds},
      {UIViewContentModeRedraw, {100, 50}, bounds},
      {UIViewContentModeScaleAspectFit, {100, 50}, {{10, 70}, {200, 100}}},    // letterboxed
      {UIViewContentModeScaleAspectFill, {100, 50}, {{-90, 20}, {400, 200}}},  // overflows
      {UIViewContentModeScaleAspectFit, {50, 100}, {{60, 20}, {100, 200}}},
      {UIViewContentModeScaleAspectFill, {50, 100}, {{10, -80}, {200, 400}}},
      {UIViewContentModeScaleAspectFit, {0, 100}, {{110, 120}, {0, 0}}},
      {UIViewContentModeCenter, {100, 50}, {{60, 95}, {100, 50}}},
      {UIViewContentModeCenter, {300, 50}, {{-40, 95}, {300, 50}}},
      {UIViewContentModeTop, {100, 50}, {{60, 20}, {100, 50}}},
      {UIViewContentModeBottom, {100, 50}, {{60, 170}, {100, 50}}},
      {UIViewContentModeLeft, {100, 50}, {{10, 95}, {100, 50}}},
      {UIViewContentModeRight, {100, 50}, {{110, 95}, {100, 50}}},
      {UIViewContentModeTopLeft, {100, 50}, {{10, 20}, {100, 50}}},
      {UIViewContentModeTopRight, {100, 50}, {{110, 20}, {100, 50}}},
      {UIViewContentModeBottomLeft, {100, 50}, {{10, 170}, {100, 50}}},
      {UIViewContentModeBottomRight, {100, 50}, {{110, 170}, {100, 50}}},
  };

  for (const Case& c : cases) {
    CGRect rect = UIImageView::imageRectForContentMode(c.image, bounds, c.mode);

    EXPECT_EQ(rect, c.expected) << "mode " << c.mode << ", image " << c.image.width << " x "
                                << c.image.height;
  }
}

TEST(ImageView, MadeWithAnImageItTakesTheImageSizeAndNoTouches) {
  auto image = UIImage::imageWithData(dataOf(png(90, 45)), 3);

  auto view = UIImageView::alloc()->initWithImage(image);
  auto empty = UIImageView::alloc()->initWithImage(nullptr);

  EXPECT_EQ(view->frame(), CGRectMake(0, 0, 30, 15));
  EXPECT_EQ(view->image(), image);
  EXPECT_FALSE(view->isUserInteractionEnabled());
  EXPECT_EQ(empty->frame(), CGRectZero);
  EXPECT_EQ(empty->intrinsicContentSize(),
            CGSizeMake(UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric));
}

TEST(ImageView, AutoLayoutSizesItToItsImageAndFollowsANewImage) {
  auto root = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 844));
  auto view = UIImageView::alloc()->initWithImage(UIImage::imageWithData(dataOf(png(90, 45)), 3));
  root->addSubview(view);
  view->setTranslatesAutoresizingMaskIntoConstraints(false);
  NSLayoutConstraint::activateConstraints({
      view->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor(), 20),
      view->topAnchor().constraintEqualToAnchor(root->topAnchor(), 40),
  });
  root->layoutIfNeeded();
  CGRect first = view->frame();

  view->setImage(UIImage::imageWithData(dataOf(png(60, 60)), 3));
  root->layoutIfNeeded();

  EXPECT_EQ(first, CGRectMake(20, 40, 30, 15));
  EXPECT_EQ(view->frame(), CGRectMake(20, 40, 20, 20));
}

// ---- Blur ----

TEST(BlurEffect, EachStyleTintsForItsAppearance) {
  auto light = UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleLight);
  auto dark = UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleDark);
  auto isDark = [](const std::shared_ptr<UIBlurEffect>& effect,
                   const std::shared_ptr<UITraitCollection>& traits) {
    CGFloat white = 0;
    effect->tintColor()->resolvedColorWithTraitCollection(traits)->getRed(&white, nullptr, nullptr,
                                                                          nullptr);
    return white < 0.5;
  };
  struct Case {
    UIBlurEffectStyle style;
    bool darkInLight, darkInDark;
  };
  const Case cases[] = {
      {UIBlurEffectStyleExtraLight, false, false},
      {UIBlurEffectStyleLight, false, false},
      {UIBlurEffectStyleDark, true, true},
      {UIBlurEffectStyleRegular, false, true},
      {UIBlurEffectStyleProminent, false, true},
      {UIBlurEffectStyleSystemMaterial, false, true},
      {UIBlurEffectStyleSystemChromeMaterial, false, true},
      {UIBlurEffectStyleSystemMaterialLight, false, false},
      {UIBlurEffectStyleSystemUltraThinMaterialDark, true, true},
      {UIBlurEffectStyleSystemMaterialDark, true, true},
      {UIBlurEffectStyleSystemChromeMaterialDark, true, true},
  };

  for (const Case& c : cases) {
    auto effect = UIBlurEffect::effectWithStyle(c.style);

    ASSERT_NE(effect, nullptr) << c.style;
    EXPECT_EQ(effect->style(), c.style);
    EXPECT_GT(effect->blurRadius(), 0) << c.style;
    EXPECT_EQ(isDark(effect, light), c.darkInLight) << c.style;
    EXPECT_EQ(isDark(effect, dark), c.darkInDark) << c.style;
  }
}

TEST(BlurEffect, ThickerMaterialsHideMoreAndUnknownStylesGiveNil) {
  auto tintAlpha = [](UIBlurEffectStyle style) {
    CGFloat alpha = 0;
    UIBlurEffect::effectWithStyle(style)->tintColor()->getRed(nullptr, nullptr, nullptr, &alpha);
    return alpha;
  };

  CGFloat ultraThin = tintAlpha(UIBlurEffectStyleSystemUltraThinMaterialDark);
  CGFloat thin = tintAlpha(UIBlurEffectStyleSystemThinMaterialDark);
  CGFloat material = tintAlpha(UIBlurEffectStyleSystemMaterialDark);
  CGFloat thick = tintAlpha(UIBlurEffectStyleSystemThickMaterialDark);

  EXPECT_LT(ultraThin, thin);
  EXPECT_LT(thin, material);
  EXPECT_LT(material, thick);
  EXPECT_LT(thick, 1);
  for (long style : {-1L, 3L, 21L, 1000L}) {
    EXPECT_EQ(UIBlurEffect::effectWithStyle(static_cast<UIBlurEffectStyle>(style)), nullptr)
        << style;
  }
}

TEST(VisualEffectView, TheContentViewCoversTheViewAsLayoutResizesIt) {
  auto root = UIView::alloc()->initWithFrame(CGRectMake(0, 0, 390, 844));
  auto effectView = UIVisualEffectView::alloc()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemMaterialDark));
  root->addSubview(effectView);
  effectView->setTranslatesAutoresizingMaskIntoConstraints(false);
  auto width = effectView->widthAnchor().constraintEqualToConstant(100);
  NSLayoutConstraint::activateConstraints({
      effectView->leadingAnchor().constraintEqualToAnchor(root->leadingAnchor(), 10),
      effectView->topAnchor().constraintEqualToAnchor(root->topAnchor(), 10),
      effectView->heightAnchor().constraintEqualToConstant(50),
      width,
  });
  root->layoutIfNeeded();
  CGRect first = effectView->contentView()->frame();

  width->setConstant(120);
  root->layoutIfNeeded();

  EXPECT_EQ(effectView->contentView()->superview(), effectView);
  EXPECT_EQ(first, CGRectMake(0, 0, 100, 50));
  EXPECT_EQ(effectView->contentView()->frame(), CGRectMake(0, 0, 120, 50));
  EXPECT_NE(std::dynamic_pointer_cast<UIBlurEffect>(effectView->effect()), nullptr);
}

}  // namespace
