#include "ContactSheet.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "SheetDrawing.h"

namespace parlo::sheet {
namespace {

// Layout of one half, in points.
constexpr double kHalfWidth = 680;
constexpr double kMargin = 24;
constexpr double kTitleHeight = 44;
constexpr double kHeadingHeight = 30;
constexpr double kSectionGap = 18;
constexpr double kCellPadding = 10;
constexpr double kCellGap = 6;
constexpr double kMinCellWidth = 96;
constexpr double kSizeGap = 14;
constexpr double kLabelGap = 8;
constexpr double kNameFontSize = 11;
constexpr double kDetailFontSize = 9;
constexpr double kLabelHeight = 28;

struct Rgba {
  double r, g, b, a = 1;
};

struct Palette {
  const char* title;
  Rgba background;
  Rgba tint;  // what template images are drawn in
  Rgba text;
  Rgba secondaryText;
  Rgba canvasFrame;  // the dashed outline of each image's canvas
  bool tileUnderDarkImages;
};

const Palette kLight{"Light",         {1, 1, 1}, {0, 0, 0}, {0, 0, 0}, {0.43, 0.43, 0.45},
                     {0, 0, 0, 0.16}, true};
const Palette kDark{"Dark",          {0, 0, 0}, {1, 1, 1}, {1, 1, 1}, {0.60, 0.60, 0.62},
                    {1, 1, 1, 0.22}, false};
// The call screen's dark material, put under images made for it when the half is light.
const Rgba kDarkTile{0.11, 0.11, 0.118};

void setColour(cairo_t* cr, const Rgba& colour) {
  cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
}

std::string formatPoints(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string describe(const ManifestEntry& entry) {
  std::string detail;
  for (const PointSize& size : entry.sizes) {
    if (!detail.empty()) detail += ", ";
    detail += formatPoints(size.width) + "\u00d7" + formatPoints(size.height);
  }
  return detail + " pt \u00b7 " + std::string(lookName(entry.look));
}

class ImageCache {
 public:
  // Null when the file is missing or not a PNG.
  cairo_surface_t* get(const std::filesystem::path& path) {
    auto found = surfaces_.find(path);
    if (found != surfaces_.end()) return found->second.get();
    Surface surface(cairo_image_surface_create_from_png(path.c_str()));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) surface.reset();
    return surfaces_.emplace(path, std::move(surface)).first->second.get();
  }

 private:
  std::map<std::filesystem::path, Surface> surfaces_;
};

void drawImage(cairo_t* cr, cairo_surface_t* image, Look look, const Rgba& tint, double x, double y,
               double width, double height) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, width / cairo_image_surface_get_width(image),
              height / cairo_image_surface_get_height(image));
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(image);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
  if (look == Look::Template) {
    setColour(cr, tint);
    cairo_mask(cr, pattern);
  } else {
    cairo_set_source(cr, pattern);
    cairo_paint(cr);
  }
  cairo_pattern_destroy(pattern);
  cairo_restore(cr);
}

void drawMissing(cairo_t* cr, double x, double y, double width, double height) {
  cairo_save(cr);
  cairo_set_source_rgb(cr, 0.9, 0.1, 0.1);
  cairo_set_line_width(cr, 1.5);
  cairo_rectangle(cr, x, y, width, height);
  cairo_move_to(cr, x, y);
  cairo_line_to(cr, x + width, y + height);
  cairo_move_to(cr, x + width, y);
  cairo_line_to(cr, x, y + height);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void drawCanvasFrame(cairo_t* cr, const Rgba& colour, double x, double y, double width,
                     double height) {
  cairo_save(cr);
  setColour(cr, colour);
  cairo_set_line_width(cr, 0.5);
  const double dash[] = {2, 2};
  cairo_set_dash(cr, dash, 2, 0);
  cairo_rectangle(cr, x - 0.25, y - 0.25, width + 0.5, height + 0.5);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void roundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + width - radius, y + radius, radius, -M_PI / 2, 0);
  cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, M_PI / 2);
  cairo_arc(cr, x + radius, y + height - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

}  // namespace

ContactSheet::ContactSheet(const Manifest& manifest, double scale)
    : manifest_(manifest), scale_(scale) {
  layOut();
}

void ContactSheet::layOut() {
  Surface measureSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  Context measure(cairo_create(measureSurface.get()));
  Text names(measure.get(), "Medium", kNameFontSize);
  Text details(measure.get(), "Regular", kDetailFontSize);

  double y = kMargin + kTitleHeight;
  double x = kMargin;
  std::string group;
  size_t rowStart = 0;
  double rowContent = 0;
  double widest = 240;  // room for the titles when only a few small images are shown

  // Cells of a row share one content height, so that their labels line up.
  auto finishRow = [&] {
    for (size_t i = rowStart; i < cells_.size(); ++i) {
      cells_[i].rowContentHeight = rowContent;
      cells_[i].y = y;
    }
    if (rowStart < cells_.size()) {
      y += rowContent + 2 * kCellPadding + kLabelGap + kLabelHeight + kCellGap;
    }
    rowStart = cells_.size();
    rowContent = 0;
    x = kMargin;
  };

  for (const ManifestEntry& entry : manifest_.entries) {
    if (entry.group != group) {
      finishRow();
      if (!group.empty()) y += kSectionGap;
      group = entry.group;
      headings_.push_back({group, y});
      y += kHeadingHeight;
    }
    Cell cell;
    cell.entry = &entry;
    cell.detail = describe(entry);
    for (const PointSize& size : entry.sizes) {
      cell.contentWidth += size.width + (cell.contentWidth > 0 ? kSizeGap : 0);
      cell.contentHeight = std::max(cell.contentHeight, size.height);
    }
    double labelWidth = std::max(names.width(entry.name), details.width(cell.detail));
    cell.width = std::max({cell.contentWidth, labelWidth, kMinCellWidth}) + 2 * kCellPadding;
    if (x + cell.width > kHalfWidth - kMargin && x > kMargin) finishRow();
    cell.x = x;
    x += cell.width + kCellGap;
    widest = std::max(widest, x - kCellGap + kMargin);
    rowContent = std::max(rowContent, cell.contentHeight);
    cells_.push_back(std::move(cell));
  }
  finishRow();
  halfWidth_ = widest;
  height_ = y + kMargin;
}

bool ContactSheet::write(const std::filesystem::path& out, std::vector<std::string>& missing,
                         std::string& error) const {
  int pixelWidth = static_cast<int>(std::ceil(2 * halfWidth_ * scale_));
  int pixelHeight = static_cast<int>(std::ceil(height_ * scale_));
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelWidth, pixelHeight));
  Context context(cairo_create(surface.get()));
  cairo_t* cr = context.get();
  cairo_scale(cr, scale_, scale_);

  ImageCache images;
  Text title(cr, "Semibold", 17);
  Text heading(cr, "Semibold", 13);
  Text names(cr, "Medium", kNameFontSize);
  Text details(cr, "Regular", kDetailFontSize);

  for (const ManifestEntry& entry : manifest_.entries) {
    if (!images.get(entry.png)) missing.push_back(entry.name);
  }

  const Palette* palettes[] = {&kLight, &kDark};
  for (int half = 0; half < 2; ++half) {
    const Palette& palette = *palettes[half];
    cairo_save(cr);
    cairo_translate(cr, half * halfWidth_, 0);
    cairo_rectangle(cr, 0, 0, halfWidth_, height_);
    setColour(cr, palette.background);
    cairo_fill(cr);

    setColour(cr, palette.text);
    title.drawLeft(cr, palette.title, kMargin, kMargin);
    for (const Heading& h : headings_) {
      setColour(cr, palette.secondaryText);
      heading.drawLeft(cr, h.text, kMargin, h.y + 6);
    }

    for (const Cell& cell : cells_) {
      const ManifestEntry& entry = *cell.entry;
      double centreX = cell.x + cell.width / 2;
      double contentTop = cell.y + kCellPadding;
      double contentMiddle = contentTop + cell.rowContentHeight / 2;

      if (entry.look == Look::ColourOnDark && palette.tileUnderDarkImages) {
        roundedRectangle(cr, centreX - cell.contentWidth / 2 - 6,
                         contentMiddle - cell.contentHeight / 2 - 6, cell.contentWidth + 12,
                         cell.contentHeight + 12, 8);
        setColour(cr, kDarkTile);
        cairo_fill(cr);
      }

      cairo_surface_t* image = images.get(entry.png);
      double x = centreX - cell.contentWidth / 2;
      for (const PointSize& size : entry.sizes) {
        double top = contentMiddle - size.height / 2;
        drawCanvasFrame(cr, palette.canvasFrame, x, top, size.width, size.height);
        if (image) {
          drawImage(cr, image, entry.look, palette.tint, x, top, size.width, size.height);
        } else {
          drawMissing(cr, x, top, size.width, size.height);
        }
        x += size.width + kSizeGap;
      }

      double labelTop = contentTop + cell.rowContentHeight + kCellPadding + kLabelGap;
      setColour(cr, palette.text);
      names.draw(cr, entry.name, centreX, labelTop);
      setColour(cr, palette.secondaryText);
      details.draw(cr, cell.detail, centreX, labelTop + kNameFontSize + 5);
    }
    cairo_restore(cr);
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
