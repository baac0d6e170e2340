#include "TourSheet.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "SheetDrawing.h"

namespace parlo::sheet {
namespace {

constexpr double kMargin = 24;
constexpr double kGap = 18;
constexpr double kCaptionGap = 8;
constexpr double kCaptionSize = 13;
constexpr double kCaptionHeight = 22;

std::string captionFor(const std::filesystem::path& png) {
  std::string stem = png.stem().string();
  size_t digits = 0;
  while (digits < stem.size() && std::isdigit(static_cast<unsigned char>(stem[digits]))) ++digits;
  std::string number = stem.substr(0, digits);
  number.erase(0, std::min(number.find_first_not_of('0'), number.size() - 1));
  std::string words = stem.substr(digits);
  std::replace(words.begin(), words.end(), '-', ' ');
  std::replace(words.begin(), words.end(), '_', ' ');
  words.erase(0, words.find_first_not_of(' '));
  return number.empty() ? words : number + "  " + words;
}

}  // namespace

std::vector<TourShot> tourShots(const std::filesystem::path& folder,
                                const std::filesystem::path& skip) {
  std::vector<TourShot> shots;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const auto& path = entry.path();
    if (!entry.is_regular_file(error) || path.extension() != ".png") continue;
    if (std::filesystem::equivalent(path, skip, error)) continue;
    shots.push_back({path, captionFor(path)});
  }
  std::sort(shots.begin(), shots.end(), [](const TourShot& a, const TourShot& b) {
    return a.png.filename() < b.png.filename();
  });
  return shots;
}

bool writeTourSheet(const std::vector<TourShot>& shots, const std::filesystem::path& out,
                    int columns, double thumbWidth, std::vector<std::string>& missing,
                    std::string& error) {
  std::vector<Surface> images;
  double thumbHeight = thumbWidth * 844 / 390;
  for (const TourShot& shot : shots) {
    Surface image(cairo_image_surface_create_from_png(shot.png.c_str()));
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
      missing.push_back(shot.png.filename().string());
      image.reset();
    }
    images.push_back(std::move(image));
  }
  // Thumbnails keep the first readable shot's proportions: the screen's.
  for (const Surface& image : images) {
    if (!image) continue;
    thumbHeight = thumbWidth * cairo_image_surface_get_height(image.get()) /
                  cairo_image_surface_get_width(image.get());
    break;
  }

  columns = std::max(1, std::min(columns, static_cast<int>(std::max<size_t>(shots.size(), 1))));
  const int rows = static_cast<int>((shots.size() + columns - 1) / columns);
  const double cellHeight = thumbHeight + kCaptionGap + kCaptionHeight;
  const double width = 2 * kMargin + columns * thumbWidth + (columns - 1) * kGap;
  const double height = 2 * kMargin + std::max(rows, 1) * cellHeight + std::max(rows - 1, 0) * kGap;

  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(width)),
                                             static_cast<int>(std::ceil(height))));
  Context context(cairo_create(surface.get()));
  cairo_t* cr = context.get();
  // A mid grey, so that light and dark screens both stand out from it.
  cairo_set_source_rgb(cr, 0.55, 0.55, 0.57);
  cairo_paint(cr);
  Text caption(cr, "Medium", kCaptionSize);

  for (size_t i = 0; i < shots.size(); ++i) {
    const double x = kMargin + static_cast<double>(i % columns) * (thumbWidth + kGap);
    const double y = kMargin + static_cast<double>(i / columns) * (cellHeight + kGap);
    if (cairo_surface_t* image = images[i].get()) {
      cairo_save(cr);
      cairo_translate(cr, x, y);
      cairo_scale(cr, thumbWidth / cairo_image_surface_get_width(image),
                  thumbHeight / cairo_image_surface_get_height(image));
      cairo_set_source_surface(cr, image, 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
      cairo_paint(cr);
      cairo_restore(cr);
    } else {
      cairo_set_source_rgb(cr, 0.9, 0.1, 0.1);
      cairo_set_line_width(cr, 2);
      cairo_rectangle(cr, x + 1, y + 1, thumbWidth - 2, thumbHeight - 2);
      cairo_move_to(cr, x, y);
      cairo_line_to(cr, x + thumbWidth, y + thumbHeight);
      cairo_stroke(cr);
    }
    cairo_set_source_rgb(cr, 1, 1, 1);
    caption.draw(cr, shots[i].caption, x + thumbWidth / 2, y + thumbHeight + kCaptionGap);
  }

  cairo_surface_flush(surface.get());
  cairo_status_t status = cairo_surface_write_to_png(surface.get(), out.c_str());
  if (status != CAIRO_STATUS_SUCCESS) {
    error = "cannot write " + out.string() + ": " + cairo_status_to_string(status);
    return false;
  }
  return true;
}

}  // namespace parlo::sheet
