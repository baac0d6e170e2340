#include "Manifest.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace parlo::sheet {
namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::optional<double> parseNumber(std::string_view text) {
  double value = 0;
  auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (status != std::errc() || end != text.data() + text.size() || !(value > 0)) return {};
  return value;
}

// "25x25" or "110.29x62".
std::optional<PointSize> parseSize(std::string_view text) {
  size_t cross = text.find('x');
  if (cross == std::string_view::npos) return {};
  auto width = parseNumber(text.substr(0, cross));
  auto height = parseNumber(text.substr(cross + 1));
  if (!width || !height) return {};
  return PointSize{*width, *height};
}

std::optional<Look> parseLook(std::string_view text) {
  if (text == "template") return Look::Template;
  if (text == "colour") return Look::Colour;
  if (text == "colour-on-dark") return Look::ColourOnDark;
  return {};
}

}  // namespace

std::string_view lookName(Look look) {
  switch (look) {
    case Look::Template:
      return "template";
    case Look::Colour:
      return "colour";
    case Look::ColourOnDark:
      return "colour-on-dark";
  }
  return "";
}

std::optional<Manifest> Manifest::read(const std::filesystem::path& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path.string();
    return {};
  }
  std::ostringstream text;
  text << file.rdbuf();
  return parse(text.str(), path.parent_path(), error);
}

std::optional<Manifest> Manifest::parse(std::string_view text, const std::filesystem::path& base,
                                        std::string& error) {
  Manifest manifest;
  int lineNumber = 0;
  for (std::string_view line : split(text, '\n')) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;

    auto fail = [&](const std::string& why) {
      error = "manifest line " + std::to_string(lineNumber) + ": " + why;
      return std::nullopt;
    };
    auto fields = split(line, '\t');
    if (fields.size() != 6) return fail("expected 6 tab-separated fields");
    ManifestEntry entry;
    entry.group = fields[0];
    entry.name = fields[1];
    if (entry.name.empty()) return fail("empty name");
    auto look = parseLook(fields[2]);
    if (!look) return fail("unknown look \"" + std::string(fields[2]) + "\"");
    entry.look = *look;
    entry.png = base / std::string(fields[3]);
    auto canvas = parseSize(fields[4]);
    if (!canvas) return fail("bad canvas \"" + std::string(fields[4]) + "\"");
    entry.canvas = *canvas;
    for (std::string_view size : split(fields[5], ' ')) {
      if (size.empty()) continue;
      auto parsed = parseSize(size);
      if (!parsed) return fail("bad size \"" + std::string(size) + "\"");
      entry.sizes.push_back(*parsed);
    }
    if (entry.sizes.empty()) return fail("no drawn size for " + entry.name);
    manifest.entries.push_back(std::move(entry));
  }
  return manifest;
}

}  // namespace parlo::sheet
