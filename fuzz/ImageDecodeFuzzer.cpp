// Arbitrary bytes into the image decoders. Besides not crashing, whatever they accept must be a
// sensible bitmap, and small ones must survive the encoders: their PNG reads back at the same
// size, and so does their JPEG.
//
// Libpng refuses a critical chunk whose checksum is wrong, which would stop almost every
// mutation of a PNG at its first chunk; so a PNG is also tried with its checksums repaired.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "quartz/CGImage+Private.h"
#include "uikit/UIImage.h"

namespace {

uint32_t crc32(const uint8_t* data, size_t size) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

// The same chunks with every checksum that fits in the data made right.
std::vector<uint8_t> withRepairedChecksums(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out(data, data + size);
  size_t at = 8;
  while (at + 12 <= out.size()) {
    uint32_t length = uint32_t{out[at]} << 24 | uint32_t{out[at + 1]} << 16 |
                      uint32_t{out[at + 2]} << 8 | out[at + 3];
    if (length > out.size() - at - 12) break;
    uint32_t crc = crc32(&out[at + 4], length + 4);
    size_t end = at + 8 + length;
    for (int i = 0; i < 4; ++i) out[end + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    at = end + 4;
  }
  return out;
}

void check(const std::shared_ptr<NSData>& data) {
  auto image = UIImage::imageWithData(data);
  if (!image) return;
  const int width = image->pixelWidth(), height = image->pixelHeight();
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384 ||
      cairo_image_surface_get_format(CGImageGetCairoSurface(image->CGImage())) !=
          CAIRO_FORMAT_ARGB32) {
    std::abort();
  }
  // Re-encoding is slow for big bitmaps and proves nothing more there.
  if (int64_t{width} * height > 256 * 256) return;
  auto png = UIImage::imageWithData(UIImagePNGRepresentation(image));
  if (!png || png->pixelWidth() != width || png->pixelHeight() != height) std::abort();
  auto jpeg = UIImage::imageWithData(UIImageJPEGRepresentation(image, 0.5));
  if (!jpeg || jpeg->pixelWidth() != width || jpeg->pixelHeight() != height) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  check(NSData::dataWithBytes(data, size));
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size >= 8 && std::equal(kSignature, kSignature + 8, data)) {
    check(NSData::dataWithBytes(withRepairedChecksums(data, size)));
  }
  return 0;
}
