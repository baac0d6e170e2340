#pragma once

// A device root for tests in a temporary folder, which the process uses for as long as the object
// lives, with the images of the asset build when a test needs them.

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "TemporaryDirectory.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSPathUtilities.h"

namespace testsupport {

// The device folder the add-on loads its images from.
inline constexpr const char* kAssets = "/var/LIY/Application Support/Parlo.bundle/Assets/";

// Whether an installed image also gets the "@3x" copy that the install makes, which is what
// gives an image loaded by its plain path its 3x scale.
enum class ScaleVariant { No, Yes };

// Points the device root (and the home directory, when asked) at a fresh temporary folder, and
// gives the previous ones back on destruction, before the folder goes.
class TemporaryDeviceRoot {
 public:
  // `home`: the app's home directory (a device path) while the root is in use; empty leaves it
  // alone. `subfolder`: a folder inside the temporary one to be the root, so that a write
  // escaping the root lands beside it where a test can see it; empty makes the temporary folder
  // itself the root.
  explicit TemporaryDeviceRoot(std::string_view prefix = "parlo-device", std::string_view home = {},
                               std::string_view subfolder = {})
      : folder_(prefix),
        root_(subfolder.empty() ? folder_.path() : folder_ / subfolder),
        previousRoot_(DeviceRoot::path()),
        previousHome_(NSHomeDirectory()) {
    std::filesystem::create_directories(root_);
    DeviceRoot::setPath(root_.string());
    if (!home.empty()) NSSetHomeDirectory(std::string(home));
  }
  ~TemporaryDeviceRoot() {
    NSSetHomeDirectory(previousHome_);
    DeviceRoot::setPath(previousRoot_);
  }
  TemporaryDeviceRoot(const TemporaryDeviceRoot&) = delete;
  TemporaryDeviceRoot& operator=(const TemporaryDeviceRoot&) = delete;

  // The host folder that stands for "/".
  const std::filesystem::path& path() const { return root_; }
  std::string string() const { return root_.string(); }
  // The temporary folder: the root itself, or the folder that holds it.
  const std::filesystem::path& folder() const { return folder_.path(); }
  // The host path of a device path.
  std::filesystem::path host(std::string_view devicePath) const {
    return *DeviceRoot::resolve(devicePath);
  }

  // Copies the named images ("call" for call.png) that this build's asset step rendered into the
  // add-on's asset folder. A build without them leaves the folder empty, and the screens then
  // show empty image views in their places.
  void installBuiltAssets(std::initializer_list<std::string_view> names,
                          ScaleVariant variant) const {
    const std::filesystem::path built = builtAssets();
    if (built.empty()) return;
    for (std::string_view name : names) {
      installBuiltAsset(built / (std::string(name) + ".png"), variant);
    }
  }
  // Every image of the add-on's asset folder.
  // The system symbols the asset build draws, where the platform looks them up.
  void installBuiltSymbols() const {
    const std::filesystem::path built = builtAssets();
    if (built.empty()) return;
    const std::filesystem::path target = host("/System/Library/CoreServices/Symbols");
    std::filesystem::create_directories(target);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(built / "symbols", error)) {
      if (entry.path().extension() != ".png") continue;
      std::filesystem::copy_file(entry.path(), target / entry.path().filename(), error);
    }
  }

  void installEveryBuiltAsset(ScaleVariant variant) const {
    const std::filesystem::path built = builtAssets();
    if (built.empty()) return;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(built, error)) {
      if (entry.path().extension() == ".png") installBuiltAsset(entry.path(), variant);
    }
  }

 private:
  // The build tree is the nearest folder above the test program that holds CMakeCache.txt.
  static std::filesystem::path builtAssets() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    for (folder = folder.parent_path(); folder.has_relative_path(); folder = folder.parent_path()) {
      if (std::filesystem::exists(folder / "CMakeCache.txt")) return folder / "assets";
    }
    return {};
  }

  void installBuiltAsset(const std::filesystem::path& png, ScaleVariant variant) const {
    if (!std::filesystem::exists(png)) return;
    const std::filesystem::path target = host(kAssets);
    std::filesystem::create_directories(target);
    std::error_code error;
    std::filesystem::copy_file(png, target / png.filename(), error);
    if (variant == ScaleVariant::Yes) {
      std::filesystem::copy_file(png, target / (png.stem().string() + "@3x.png"), error);
    }
  }

  TemporaryDirectory folder_;
  std::filesystem::path root_;
  std::string previousRoot_;
  std::string previousHome_;
};

}  // namespace testsupport
