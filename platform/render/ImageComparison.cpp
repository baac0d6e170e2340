#include "render/ImageComparison.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace render {

namespace {

int channelDifference(uint32_t a, uint32_t b) {
  int largest = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    int da = static_cast<int>((a >> shift) & 0xff), db = static_cast<int>((b >> shift) & 0xff);
    largest = std::max(largest, std::abs(da - db));
  }
  return largest;
}

const uint32_t* rowOf(cairo_surface_t* surface, int y) {
  return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                           static_cast<ptrdiff_t>(y) *
                                               cairo_image_surface_get_stride(surface));
}

bool isUsable(cairo_surface_t* surface) {
  return surface && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
         cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE &&
         (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32 ||
          cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24);
}

// The expected picture faded to a fifth, with the differing pixels in opaque red.
cairo_surface_t* differenceImage(cairo_surface_t* actual, cairo_surface_t* expected,
                                 int tolerance) {
  int width = cairo_image_surface_get_width(actual);
  int height = cairo_image_surface_get_height(actual);
  cairo_surface_t* diff = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_surface_flush(diff);
  bool comparable = cairo_image_surface_get_width(expected) == width &&
                    cairo_image_surface_get_height(expected) == height;
  for (int y = 0; y < height; ++y) {
    const uint32_t* a = rowOf(actual, y);
    const uint32_t* e = comparable ? rowOf(expected, y) : a;
    auto* out = const_cast<uint32_t*>(rowOf(diff, y));
    for (int x = 0; x < width; ++x) {
      if (!comparable || channelDifference(a[x], e[x]) > tolerance) {
        out[x] = 0xffff0000;
      } else {
        uint32_t faded = 0xff000000;
        for (int shift = 0; shift < 24; shift += 8) {
          uint32_t v = (e[x] >> shift) & 0xff;
          faded |= (255 - (255 - v) / 5) << shift;
        }
        out[x] = faded;
      }
    }
  }
  cairo_surface_mark_dirty(diff);
  return diff;
}

}  // namespace

ImageDifference compareImages(cairo_surface_t* actual, cairo_surface_t* expected, int tolerance) {
  ImageDifference result;
  if (!isUsable(actual) || !isUsable(expected)) return result;
  cairo_surface_flush(actual);
  cairo_surface_flush(expected);
  int width = cairo_image_surface_get_width(actual);
  int height = cairo_image_surface_get_height(actual);
  if (width != cairo_image_surface_get_width(expected) ||
      height != cairo_image_surface_get_height(expected)) {
    return result;
  }
  result.sameSize = true;
  // A picture without alpha reads as opaque.
  uint32_t actualAlpha =
      cairo_image_surface_get_format(actual) == CAIRO_FORMAT_RGB24 ? 0xff000000 : 0;
  uint32_t expectedAlpha =
      cairo_image_surface_get_format(expected) == CAIRO_FORMAT_RGB24 ? 0xff000000 : 0;
  for (int y = 0; y < height; ++y) {
    const uint32_t* a = rowOf(actual, y);
    const uint32_t* e = rowOf(expected, y);
    for (int x = 0; x < width; ++x) {
      int difference = channelDifference(a[x] | actualAlpha, e[x] | expectedAlpha);
      result.largestDifference = std::max(result.largestDifference, difference);
      if (difference > tolerance) ++result.differingPixels;
    }
  }
  return result;
}

ReferenceComparison compareWithReference(cairo_surface_t* actual, const std::string& referencePath,
                                         const std::string& outputDirectory, int tolerance,
                                         long allowedPixels) {
  namespace fs = std::filesystem;
  ReferenceComparison result;
  if (!isUsable(actual)) {
    result.message = "the picture to compare is not an image";
    return result;
  }
  const char* update = std::getenv("PARLO_UPDATE_REFERENCES");
  if (update && std::string_view(update) == "1") {
    std::error_code error;
    fs::create_directories(fs::path(referencePath).parent_path(), error);
    if (cairo_surface_write_to_png(actual, referencePath.c_str()) != CAIRO_STATUS_SUCCESS) {
      result.message = "could not write the reference " + referencePath;
      return result;
    }
    result.matches = true;
    return result;
  }

  cairo_surface_t* expected = cairo_image_surface_create_from_png(referencePath.c_str());
  if (cairo_surface_status(expected) == CAIRO_STATUS_SUCCESS) {
    result.difference = compareImages(actual, expected, tolerance);
    result.matches =
        result.difference.sameSize && result.difference.differingPixels <= allowedPixels;
  }
  if (!result.matches) {
    std::string name = fs::path(referencePath).stem().string();
    std::error_code error;
    fs::create_directories(outputDirectory, error);
    std::string actualPath = (fs::path(outputDirectory) / (name + ".actual.png")).string();
    std::string diffPath = (fs::path(outputDirectory) / (name + ".diff.png")).string();
    cairo_surface_write_to_png(actual, actualPath.c_str());
    if (cairo_surface_status(expected) != CAIRO_STATUS_SUCCESS) {
      result.message = "no readable reference at " + referencePath + " (wrote " + actualPath +
                       "; PARLO_UPDATE_REFERENCES=1 records it)";
    } else {
      cairo_surface_t* diff = differenceImage(actual, expected, tolerance);
      cairo_surface_write_to_png(diff, diffPath.c_str());
      cairo_surface_destroy(diff);
      result.message = result.difference.sameSize
                           ? std::to_string(result.difference.differingPixels) +
                                 " pixels differ by more than " + std::to_string(tolerance) +
                                 " (largest " +
                                 std::to_string(result.difference.largestDifference) + "); see " +
                                 actualPath + " and " + diffPath
                           : "the sizes differ; see " + actualPath;
    }
  }
  cairo_surface_destroy(expected);
  return result;
}

}  // namespace render
