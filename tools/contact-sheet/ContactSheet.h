// One PNG that shows every asset at the sizes the product draws it, once on a light and once on
// a dark background, so a glance finds an icon that is clipped, off-centre or lost on dark.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "Manifest.h"

namespace parlo::sheet {

class ContactSheet {
 public:
  // `scale` is pixels per point of the written PNG.
  ContactSheet(const Manifest& manifest, double scale);

  // Writes the sheet. Images that cannot be loaded are drawn as a red box and listed in
  // `missing`; a failure to write the file itself returns false with `error` set.
  bool write(const std::filesystem::path& out, std::vector<std::string>& missing,
             std::string& error) const;

 private:
  struct Cell {
    const ManifestEntry* entry = nullptr;
    double x = 0, y = 0;
    double width = 0;
    double contentWidth = 0, contentHeight = 0;  // the row of drawn sizes
    double rowContentHeight = 0;                 // tallest content in the cell's row
    std::string detail;                          // second label line: sizes and look
  };
  struct Heading {
    std::string text;
    double y = 0;
  };

  void layOut();

  const Manifest& manifest_;
  double scale_;
  std::vector<Cell> cells_;
  std::vector<Heading> headings_;
  double halfWidth_ = 0;
  double height_ = 0;
};

}  // namespace parlo::sheet
