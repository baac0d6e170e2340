#pragma once

// The host app process: its bundle identifier, its data container, the add-ons injected into
// it, and its first screen, the Direct inbox.

#include <memory>
#include <string>
#include <vector>

#include "uikit/Forward.h"

namespace HostApp {

inline constexpr const char* kDefaultBundleIdentifier = "com.burbn.instagram";

// The app's data container on the device, named by a UUID made from the bundle identifier so
// each app keeps its own: "/var/mobile/Containers/Data/Application/<UUID>".
std::string containerPath(const std::string& bundleIdentifier);

struct Launch {
  std::shared_ptr<UIWindow> window;
  std::vector<std::string> injectedLibraries;
};

// Starts the app in this process: points its home folder at its container, adds the app's
// category methods, injects the add-ons whose filter names the identifier, then shows the inbox
// in a key window. The caller keeps the window.
Launch launch(const std::string& bundleIdentifier);

}  // namespace HostApp
