#include "foundation/NSPathUtilities.h"

#include <utility>

namespace {

std::string& homeDirectory() {
  static std::string home = "/var/mobile";
  return home;
}

// Collapses runs of slashes and drops a trailing slash, keeping a lone "/".
std::string collapseSlashes(std::string_view path) {
  std::string result;
  result.reserve(path.size());
  for (char c : path) {
    if (c == '/' && !result.empty() && result.back() == '/') continue;
    result += c;
  }
  if (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

// Where the last component of a collapsed path starts.
size_t startOfLastComponent(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

// The position of the dot that starts the extension of a collapsed path, or npos.
size_t extensionDot(const std::string& path) {
  if (path == "/") return std::string::npos;
  size_t start = startOfLastComponent(path);
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= start || dot + 1 == path.size()) {
    return std::string::npos;
  }
  return dot;
}

}  // namespace

std::string NSHomeDirectory() {
  return homeDirectory();
}

void NSSetHomeDirectory(std::string devicePath) {
  homeDirectory() = collapseSlashes(devicePath);
}

std::string NSTemporaryDirectory() {
  return stringByAppendingPathComponent(NSHomeDirectory(), "tmp") + "/";
}

std::vector<std::string> NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                                             NSUInteger domainMask,
                                                             bool expandTilde) {
  if (!(domainMask & NSUserDomainMask)) return {};
  const char* relative = nullptr;
  switch (directory) {
    case NSLibraryDirectory:
      relative = "Library";
      break;
    case NSDocumentDirectory:
      relative = "Documents";
      break;
    case NSCachesDirectory:
      relative = "Library/Caches";
      break;
    case NSApplicationSupportDirectory:
      relative = "Library/Application Support";
      break;
  }
  if (!relative) return {};
  std::string path = stringByAppendingPathComponent("~", relative);
  return {expandTilde ? stringByExpandingTildeInPath(path) : path};
}

std::string stringByAppendingPathComponent(std::string_view path, std::string_view component) {
  if (path.empty()) return collapseSlashes(component);
  if (component.empty()) return collapseSlashes(path);
  std::string joined(path);
  joined += '/';
  joined += component;
  return collapseSlashes(joined);
}

std::string stringByDeletingLastPathComponent(std::string_view path) {
  std::string collapsed = collapseSlashes(path);
  if (collapsed == "/") return collapsed;
  size_t slash = collapsed.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return collapsed.substr(0, slash);
}

std::string lastPathComponent(std::string_view path) {
  std::string collapsed = collapseSlashes(path);
  if (collapsed == "/") return collapsed;
  return collapsed.substr(startOfLastComponent(collapsed));
}

std::string pathExtension(std::string_view path) {
  std::string collapsed = collapseSlashes(path);
  size_t dot = extensionDot(collapsed);
  return dot == std::string::npos ? "" : collapsed.substr(dot + 1);
}

std::string stringByDeletingPathExtension(std::string_view path) {
  std::string collapsed = collapseSlashes(path);
  size_t dot = extensionDot(collapsed);
  return dot == std::string::npos ? collapsed : collapsed.substr(0, dot);
}

std::string stringByAppendingPathExtension(std::string_view path, std::string_view extension) {
  std::string collapsed = collapseSlashes(path);
  if (collapsed.empty() || collapsed == "/") return collapsed;
  if (extension.empty()) return collapsed;
  return collapsed + "." + std::string(extension);
}

std::string stringByExpandingTildeInPath(std::string_view path) {
  if (path == "~") return NSHomeDirectory();
  if (path.starts_with("~/"))
    return stringByAppendingPathComponent(NSHomeDirectory(), path.substr(2));
  return std::string(path);
}

std::string stringByStandardizingPath(std::string_view path) {
  std::string expanded = stringByExpandingTildeInPath(path);
  bool absolute = expanded.starts_with('/');
  std::vector<std::string_view> components;
  std::string_view rest = expanded;
  while (!rest.empty()) {
    size_t slash = rest.find('/');
    std::string_view component = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (component.empty() || component == ".") continue;
    if (component == ".." && absolute) {
      if (!components.empty()) components.pop_back();
      continue;
    }
    components.push_back(component);
  }
  std::string result = absolute ? "/" : "";
  for (size_t i = 0; i < components.size(); ++i) {
    if (i > 0) result += '/';
    result += components[i];
  }
  // A relative path made only of "." standardises to itself rather than to nothing.
  if (result.empty() && !expanded.empty()) return ".";
  return result;
}
