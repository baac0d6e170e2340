#include "InjectionLoader.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

#include "foundation/DeviceRoot.h"
#include "foundation/NSLog.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/PropertyList.h"

namespace {

// Whether the filter's Filter / Bundles array holds the identifier; the problem when the file
// cannot be read as a filter.
bool filterNames(const std::string& filterPath, const std::string& bundleIdentifier,
                 std::string& problem) {
  auto bytes = DeviceRoot::readFile(filterPath);
  if (!bytes) {
    problem = "cannot be read";
    return false;
  }
  auto root = plist::read(*bytes);
  if (!root) {
    problem = root.error;
    return false;
  }
  const plist::Value* filter = root.value->find("Filter");
  const plist::Value* bundles = filter ? filter->find("Bundles") : nullptr;
  const plist::Array* names = bundles ? bundles->get<plist::Array>() : nullptr;
  if (!names) {
    problem = "has no Filter / Bundles";
    return false;
  }
  return std::any_of(names->begin(), names->end(), [&](const plist::Value& name) {
    const std::string* text = name.get<std::string>();
    return text && *text == bundleIdentifier;
  });
}

}  // namespace

std::vector<InjectionLoader::Candidate> InjectionLoader::candidatesFor(
    const std::string& bundleIdentifier) {
  std::vector<Candidate> candidates;
  auto folder = DeviceRoot::resolve(kInjectionFolder);
  std::error_code error;
  if (!folder || !std::filesystem::is_directory(*folder, error)) return candidates;

  std::vector<std::string> filters;
  for (const auto& entry : std::filesystem::directory_iterator(*folder, error)) {
    std::string name = entry.path().filename().string();
    if (pathExtension(name) == "plist") filters.push_back(name);
  }
  std::sort(filters.begin(), filters.end());
  for (const std::string& name : filters) {
    Candidate candidate;
    std::string base = stringByDeletingPathExtension(name);
    candidate.library = stringByAppendingPathComponent(kInjectionFolder, base + ".dylib");
    candidate.matches = filterNames(stringByAppendingPathComponent(kInjectionFolder, name),
                                    bundleIdentifier, candidate.problem);
    candidates.push_back(std::move(candidate));
  }
  return candidates;
}

std::vector<std::string> InjectionLoader::loadLibrariesFor(const std::string& bundleIdentifier) {
  std::vector<std::string> loaded;
  for (const Candidate& candidate : candidatesFor(bundleIdentifier)) {
    if (!candidate.problem.empty()) {
      NSLog("Injection: skipped %s: its filter %s", candidate.library.c_str(),
            candidate.problem.c_str());
      continue;
    }
    if (!candidate.matches) {
      NSLog("Injection: %s is not for %s", candidate.library.c_str(), bundleIdentifier.c_str());
      continue;
    }
    auto hostPath = DeviceRoot::resolve(candidate.library);
    void* handle = hostPath ? dlopen(hostPath->c_str(), RTLD_NOW | RTLD_GLOBAL) : nullptr;
    if (!handle) {
      const char* error = dlerror();
      NSLog("Injection: could not load %s: %s", candidate.library.c_str(),
            error ? error : "no such file");
      continue;
    }
    // The library stays open for the life of the process, as on the device.
    NSLog("Injection: loaded %s into %s", candidate.library.c_str(), bundleIdentifier.c_str());
    loaded.push_back(candidate.library);
  }
  return loaded;
}
