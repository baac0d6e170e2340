#pragma once

// The Settings app process: a list with one entry per installed preference bundle; choosing an
// entry loads the bundle and pushes its root page.

#include <memory>

#include "uikit/Forward.h"

namespace SettingsApp {

inline constexpr const char* kBundleIdentifier = "com.apple.Preferences";

// Starts the app in this process and shows its list in a key window; the caller keeps it.
std::shared_ptr<UIWindow> launch();

}  // namespace SettingsApp
