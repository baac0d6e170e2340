#pragma once

// The images this build rendered, copied onto a test's device where the bundle and the system
// keep them.

#include <filesystem>
#include <string>

namespace prefstest {

// Copies "<group>/<name>.png" of the asset build into the device folder (a host path); false
// when the build has no such image.
inline bool installBuiltImage(const std::string& group, const std::string& name,
                              const std::filesystem::path& folder) {
  const std::filesystem::path png =
      std::filesystem::path(PARLO_ASSET_BUILD_DIR) / group / (name + ".png");
  if (!std::filesystem::exists(png)) return false;
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(png, folder / png.filename(),
                             std::filesystem::copy_options::overwrite_existing);
  return true;
}

}  // namespace prefstest
