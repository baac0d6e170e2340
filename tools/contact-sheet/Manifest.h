// The list of rendered images that the asset build writes beside them (assets/manifest.tsv).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlo::sheet {

struct PointSize {
  double width = 0;
  double height = 0;
};

enum class Look {
  Template,      // black on transparent, tinted where it is drawn
  Colour,        // drawn in its own colours
  ColourOnDark,  // its own colours, made to sit on the dark call screen
};

struct ManifestEntry {
  std::string group;
  std::string name;
  Look look = Look::Template;
  std::filesystem::path png;     // resolved against the manifest's folder
  PointSize canvas;              // the SVG's own size; the PNG is three times it
  std::vector<PointSize> sizes;  // every size the product draws it at
};

struct Manifest {
  std::vector<ManifestEntry> entries;

  // Reads the tab-separated manifest; on failure returns nothing and says why in `error`.
  static std::optional<Manifest> read(const std::filesystem::path& path, std::string& error);
  static std::optional<Manifest> parse(std::string_view text, const std::filesystem::path& base,
                                       std::string& error);
};

std::string_view lookName(Look look);

}  // namespace parlo::sheet
