#include "uikit/UIImage.h"

#include <turbojpeg.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "foundation/DeviceRoot.h"
#include "quartz/CGContext+Private.h"
#include "quartz/CGImage+Private.h"
#include "uikit/UIScreen.h"

OBJC_CLASS_IMPL(UIImage) {}

namespace {

using Bytes = std::span<const uint8_t>;
using Pixels = std::shared_ptr<cairo_surface_t>;

// Beyond these an image is an attack or a mistake, not a picture: refuse before allocating.
constexpr uint64_t kMaxSide = 16384;
constexpr uint64_t kMaxDecodedBytes = uint64_t{256} << 20;
// The body text's size, which symbols take unless configured.
constexpr CGFloat kDefaultSymbolPointSize = 17;
constexpr std::string_view kSymbolDirectory = "/System/Library/CoreServices/Symbols/";

bool isSensibleSize(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         width * height * 4 <= kMaxDecodedBytes;
}

uint32_t bigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

Pixels adopt(cairo_surface_t* surface) {
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  return Pixels(surface, cairo_surface_destroy);
}

Pixels newSurface(int width, int height) {
  return adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

// Every image keeps one pixel format, so that the renderer and the encoders need no cases.
Pixels asARGB32(Pixels pixels) {
  if (!pixels || cairo_image_surface_get_format(pixels.get()) == CAIRO_FORMAT_ARGB32) {
    return pixels;
  }
  Pixels converted = newSurface(cairo_image_surface_get_width(pixels.get()),
                                cairo_image_surface_get_height(pixels.get()));
  if (!converted) return nullptr;
  cairo_t* cr = cairo_create(converted.get());
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, pixels.get(), 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(converted.get());
  return converted;
}

// ---- PNG ----

constexpr uint8_t kPNGSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool isPNG(Bytes bytes) {
  return bytes.size() >= 8 && std::memcmp(bytes.data(), kPNGSignature, 8) == 0;
}

// The chunks that make the pixels (header, palette, transparency, data, end), when every chunk
// is whole and the file ends. The decoder trusts a chunk's stated length and allocates it
// before reading, and inflates compressed text without a limit: a few bytes claiming a huge
// chunk, or a small text that inflates to gigabytes, would exhaust memory. Dropping what the
// pixels do not need and refusing anything cut short keeps every allocation in proportion to
// the file.
std::optional<std::vector<uint8_t>> pixelChunks(Bytes png) {
  std::vector<uint8_t> kept(png.begin(), png.begin() + 8);
  size_t at = 8;
  while (png.size() - at >= 12) {
    size_t length = bigEndian32(&png[at]);
    if (length > png.size() - at - 12) return std::nullopt;
    std::string_view type(reinterpret_cast<const char*>(&png[at + 4]), 4);
    if (at == 8 && type != "IHDR") return std::nullopt;
    if (type == "IHDR" || type == "PLTE" || type == "tRNS" || type == "IDAT" || type == "IEND") {
      kept.insert(kept.end(), png.begin() + at, png.begin() + at + 12 + length);
    }
    if (type == "IEND") return kept;
    at += 12 + length;
  }
  return std::nullopt;
}

Pixels decodePNG(Bytes bytes) {
  std::optional<std::vector<uint8_t>> chunks = pixelChunks(bytes);
  // IHDR comes first: its width and height are checked before the decoder allocates anything.
  if (!chunks || bytes.size() < 33 || bigEndian32(bytes.data() + 8) != 13 ||
      !isSensibleSize(bigEndian32(bytes.data() + 16), bigEndian32(bytes.data() + 20))) {
    return nullptr;
  }
  struct Reader {
    Bytes bytes;
    size_t offset = 0;
  } reader{*chunks};
  auto read = [](void* closure, unsigned char* data, unsigned int length) {
    auto* r = static_cast<Reader*>(closure);
    if (r->bytes.size() - r->offset < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, r->bytes.data() + r->offset, length);
    r->offset += length;
    return CAIRO_STATUS_SUCCESS;
  };
  return asARGB32(adopt(cairo_image_surface_create_from_png_stream(read, &reader)));
}

// ---- JPEG ----

// Cairo's ARGB32 is a native-endian 32-bit word; turbojpeg names formats by byte order.
constexpr int kTurboPixelFormat =
    std::endian::native == std::endian::little ? TJPF_BGRA : TJPF_ARGB;

struct TurboHandle {
  tjhandle handle;
  explicit TurboHandle(tjhandle h) : handle(h) {}
  ~TurboHandle() {
    if (handle) tjDestroy(handle);
  }
  TurboHandle(const TurboHandle&) = delete;
  TurboHandle& operator=(const TurboHandle&) = delete;
};

bool isJPEG(Bytes bytes) {
  return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

// The orientation tag (1 to 8) of the EXIF block's first directory, 1 when there is none or it
// cannot be read.
int orientationInTIFF(Bytes tiff) {
  if (tiff.size() < 8) return 1;
  bool little = tiff[0] == 'I' && tiff[1] == 'I';
  if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return 1;
  auto u16 = [&](size_t at) -> unsigned {
    return little ? tiff[at] | tiff[at + 1] << 8 : tiff[at] << 8 | tiff[at + 1];
  };
  auto u32 = [&](size_t at) -> uint32_t {
    return little ? u16(at) | uint32_t{u16(at + 2)} << 16 : uint32_t{u16(at)} << 16 | u16(at + 2);
  };
  if (u16(2) != 42) return 1;
  size_t directory = u32(4);
  if (directory > tiff.size() - 2) return 1;
  size_t count = u16(directory);
  for (size_t i = 0; i < count; ++i) {
    size_t entry = directory + 2 + 12 * i;
    if (entry + 12 > tiff.size()) return 1;
    constexpr unsigned kOrientationTag = 0x0112, kShortType = 3;
    if (u16(entry) == kOrientationTag && u16(entry + 2) == kShortType) {
      unsigned orientation = u16(entry + 8);
      return orientation >= 1 && orientation <= 8 ? static_cast<int>(orientation) : 1;
    }
  }
  return 1;
}

int exifOrientation(Bytes jpeg) {
  size_t at = 2;
  while (at + 4 <= jpeg.size()) {
    if (jpeg[at] != 0xFF) return 1;
    uint8_t marker = jpeg[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return 1;  // the metadata segments are over
    size_t length = size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
    if (length < 2 || length > jpeg.size() - at - 2) return 1;
    constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (marker == 0xE1 && length >= 8 && std::memcmp(&jpeg[at + 4], kExifHeader, 6) == 0) {
      return orientationInTIFF(jpeg.subspan(at + 10, length - 8));
    }
    at += 2 + length;
  }
  return 1;
}

// Turns stored pixels the way an EXIF orientation says they are to be shown.
Pixels orient(Pixels stored, int orientation) {
  if (orientation == 1) return stored;
  int width = cairo_image_surface_get_width(stored.get());
  int height = cairo_image_surface_get_height(stored.get());
  bool swaps = orientation >= 5;
  Pixels shown = newSurface(swaps ? height : width, swaps ? width : height);
  if (!shown) return nullptr;
  const auto* from = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(stored.get()));
  auto* to = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(shown.get()));
  size_t fromStride = cairo_image_surface_get_stride(stored.get()) / 4;
  size_t toStride = cairo_image_surface_get_stride(shown.get()) / 4;
  int shownWidth = cairo_image_surface_get_width(shown.get());
  int shownHeight = cairo_image_surface_get_height(shown.get());
  for (int y = 0; y < shownHeight; ++y) {
    for (int x = 0; x < shownWidth; ++x) {
      int sx = x, sy = y;
      switch (orientation) {
        case 2:  // mirrored
          sx = width - 1 - x;
          break;
        case 3:  // upside down
          sx = width - 1 - x, sy = height - 1 - y;
          break;
        case 4:  // mirrored and upside down
          sy = height - 1 - y;
          break;
        case 5:  // transposed
          sx = y, sy = x;
          break;
        case 6:  // to be shown turned a quarter clockwise
          sx = y, sy = height - 1 - x;
          break;
        case 7:  // transversed
          sx = width - 1 - y, sy = height - 1 - x;
          break;
        case 8:  // to be shown turned a quarter anticlockwise
          sx = width - 1 - y, sy = x;
          break;
      }
      to[y * toStride + x] = from[sy * fromStride + sx];
    }
  }
  cairo_surface_mark_dirty(shown.get());
  return shown;
}

Pixels decodeJPEG(Bytes bytes) {
  TurboHandle decoder(tjInitDecompress());
  if (!decoder.handle) return nullptr;
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(decoder.handle, bytes.data(), bytes.size(), &width, &height, &subsampling,
                          &colorspace) != 0 ||
      !isSensibleSize(width, height)) {
    return nullptr;
  }
  Pixels pixels = newSurface(width, height);
  if (!pixels) return nullptr;
  cairo_surface_flush(pixels.get());
  // LIMITSCANS stops progressive files built to make decoding take forever.
  if (tjDecompress2(decoder.handle, bytes.data(), bytes.size(),
                    cairo_image_surface_get_data(pixels.get()), width,
                    cairo_image_surface_get_stride(pixels.get()), height, kTurboPixelFormat,
                    TJFLAG_ACCURATEDCT | TJFLAG_LIMITSCANS) != 0) {
    // Warnings are common in camera files (stray bytes between segments) and harmless, except
    // the one for a file that stops early: its missing rows would be grey.
    if (tjGetErrorCode(decoder.handle) == TJERR_FATAL ||
        std::strstr(tjGetErrorStr2(decoder.handle), "Premature end") != nullptr) {
      return nullptr;
    }
  }
  cairo_surface_mark_dirty(pixels.get());
  return orient(std::move(pixels), exifOrientation(bytes));
}

Pixels decodePixels(Bytes bytes) {
  if (isPNG(bytes)) return decodePNG(bytes);
  if (isJPEG(bytes)) return decodeJPEG(bytes);
  return nullptr;
}

std::shared_ptr<CGImage> decode(Bytes bytes) {
  Pixels pixels = decodePixels(bytes);
  return {pixels ? CGImageCreateWithCairoSurface(pixels.get()) : nullptr, CGImageRelease};
}

// ---- Files ----

struct PathParts {
  std::string_view directoryAndStem;  // "/a/icon@3x"
  std::string_view extension;         // ".png", or empty
};

PathParts split(std::string_view path) {
  size_t slash = path.rfind('/');
  size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  size_t dot = path.rfind('.');
  // A leading dot starts a hidden file's name, not its extension.
  if (dot == std::string_view::npos || dot <= nameStart) return {path, {}};
  return {path.substr(0, dot), path.substr(dot)};
}

// "icon@2x.png" -> 2, "icon@3x" -> 3; 0 when the name carries no scale.
int scaleInName(std::string_view path) {
  std::string_view stem = split(path).directoryAndStem;
  if (stem.size() < 3 || stem[stem.size() - 3] != '@' || stem.back() != 'x') return 0;
  char digit = stem[stem.size() - 2];
  return digit >= '1' && digit <= '3' ? digit - '0' : 0;
}

// The files that stand for a path, best first: the screen's scale and the ones below it, then
// the path as given. A name without an extension is also looked for as a PNG, as the platform
// does, after the files of the name as given.
std::vector<std::string> candidatesFor(const std::string& path) {
  std::vector<std::string> candidates;
  auto addVariants = [&candidates](const std::string& file) {
    if (scaleInName(file) == 0) {
      PathParts parts = split(file);
      int screenScale = static_cast<int>(std::lround(UIScreen::mainScreen()->scale()));
      for (int scale = std::min(screenScale, 3); scale >= 2; --scale) {
        candidates.push_back(std::string(parts.directoryAndStem) + "@" + std::to_string(scale) +
                             "x" + std::string(parts.extension));
      }
    }
    candidates.push_back(file);
  };
  addVariants(path);
  if (split(path).extension.empty() && !path.empty() && path.back() != '/') {
    addVariants(path + ".png");
  }
  return candidates;
}

bool isSymbolName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

}  // namespace

// ---- UIImage ----

std::shared_ptr<UIImage> UIImage::withPixels(CGImageRef pixels, CGFloat scale) {
  if (!pixels) return nullptr;
  auto image = alloc();
  image->pixels_ = CGImageHold(pixels);
  image->scale_ = scale;
  return image;
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const std::string& path) {
  for (const std::string& candidate : candidatesFor(path)) {
    std::optional<std::vector<uint8_t>> bytes = DeviceRoot::readFile(candidate);
    if (!bytes) continue;
    // The first file found is the image: a damaged variant does not fall back to another.
    int scale = scaleInName(candidate);
    auto image = withPixels(decode(*bytes).get(), scale == 0 ? 1 : scale);
    if (image) image->sourceName_ = std::filesystem::path(candidate).filename().string();
    return image;
  }
  return nullptr;
}

std::shared_ptr<UIImage> UIImage::imageWithData(const std::shared_ptr<NSData>& data) {
  return imageWithData(data, 1);
}

std::shared_ptr<UIImage> UIImage::imageWithData(const std::shared_ptr<NSData>& data,
                                                CGFloat scale) {
  if (!data || !std::isfinite(scale) || scale <= 0) return nullptr;
  return withPixels(decode(data->span()).get(), scale);
}

std::shared_ptr<UIImage> UIImage::systemImageNamed(const std::string& name) {
  return systemImageNamed(name, nullptr);
}

std::shared_ptr<UIImage> UIImage::systemImageNamed(
    const std::string& name, const std::shared_ptr<UIImageSymbolConfiguration>& configuration) {
  // Only names inside the symbol folder: a name must not reach other files of the device.
  if (!isSymbolName(name)) return nullptr;
  std::optional<std::vector<uint8_t>> bytes =
      DeviceRoot::readFile(std::string(kSymbolDirectory) + name + ".png");
  if (!bytes) return nullptr;
  std::shared_ptr<struct CGImage> pixels = decode(*bytes);
  if (!pixels) return nullptr;
  CGFloat pointSize = configuration && configuration->pointSize() > 0 ? configuration->pointSize()
                                                                      : kDefaultSymbolPointSize;
  // The symbol's canvas spans the point size across, whatever its pixel count.
  CGFloat scale = CGImageGetWidth(pixels.get()) / pointSize;
  auto image = withPixels(pixels.get(), scale);
  image->renderingMode_ = UIImageRenderingModeAlwaysTemplate;
  image->sourceName_ = name;
  image->symbolConfiguration_ = UIImageSymbolConfiguration::configurationWithPointSize(
      pointSize, configuration ? configuration->weight() : UIImageSymbolWeightUnspecified);
  return image;
}

std::shared_ptr<UIImage> UIImage::imageWithRenderingMode(UIImageRenderingMode mode) const {
  auto image = withPixels(pixels_.get(), scale_);
  image->symbolConfiguration_ = symbolConfiguration_;
  image->sourceName_ = sourceName_;
  image->renderingMode_ =
      mode >= UIImageRenderingModeAutomatic && mode <= UIImageRenderingModeAlwaysTemplate
          ? mode
          : UIImageRenderingModeAutomatic;
  return image;
}

int UIImage::pixelWidth() const {
  return static_cast<int>(CGImageGetWidth(pixels_.get()));
}

int UIImage::pixelHeight() const {
  return static_cast<int>(CGImageGetHeight(pixels_.get()));
}

CGSize UIImage::size() const {
  return {pixelWidth() / scale_, pixelHeight() / scale_};
}

std::string UIImage::description() const {
  char text[160];
  CGSize s = size();
  std::snprintf(text, sizeof text, "<UIImage: %p> size {%g, %g} scale %g%s", this, s.width,
                s.height, scale_,
                renderingMode_ == UIImageRenderingModeAlwaysTemplate ? " template" : "");
  return text;
}

// ---- Representations ----

std::shared_ptr<NSData> UIImageJPEGRepresentation(const std::shared_ptr<UIImage>& image,
                                                  CGFloat compressionQuality) {
  if (!image) return nullptr;
  CGFloat quality = std::isnan(compressionQuality) ? 1 : std::clamp(compressionQuality, 0.0, 1.0);
  int jpegQuality = std::max(1, static_cast<int>(std::lround(quality * 100)));
  cairo_surface_t* surface = CGImageGetCairoSurface(image->CGImage());
  cairo_surface_flush(surface);
  TurboHandle encoder(tjInitCompress());
  if (!encoder.handle) return nullptr;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  // Premultiplied pixels read as opaque ones are the image laid on black.
  int status =
      tjCompress2(encoder.handle, cairo_image_surface_get_data(surface), image->pixelWidth(),
                  cairo_image_surface_get_stride(surface), image->pixelHeight(), kTurboPixelFormat,
                  &out, &size, TJSAMP_420, jpegQuality, TJFLAG_ACCURATEDCT);
  std::shared_ptr<NSData> data = status == 0 ? NSData::dataWithBytes(out, size) : nullptr;
  tjFree(out);
  return data;
}

std::shared_ptr<NSData> UIImagePNGRepresentation(const std::shared_ptr<UIImage>& image) {
  if (!image) return nullptr;
  std::vector<uint8_t> bytes = CGBitmapCopyPNGData(CGImageGetCairoSurface(image->CGImage()));
  return bytes.empty() ? nullptr : NSData::dataWithBytes(std::move(bytes));
}
