#pragma once

// The preference bundles installed on the device, as the Settings app lists and opens them. A
// bundle is a folder "<Name>.bundle" in one of the preference bundle folders, holding an
// Info.plist and a shared library (CFBundleExecutable) with the root page's class
// (NSPrincipalClass).

#include <memory>
#include <string>
#include <vector>

#include "uikit/Forward.h"

struct PreferenceBundle {
  std::string folder;          // device path of the .bundle folder
  std::string displayName;     // CFBundleDisplayName, else CFBundleName, else the folder's name
  std::string executable;      // CFBundleExecutable
  std::string principalClass;  // NSPrincipalClass
};

namespace PreferenceBundles {

// The folders searched, in order: the maker's folder, then the system's.
const std::vector<std::string>& folders();

// Every bundle whose Info.plist names an executable and a principal class, sorted by name.
std::vector<PreferenceBundle> installed();

struct Loaded {
  std::shared_ptr<UIViewController> rootController;
  std::string error;  // why there is no root page
};

// Opens the bundle's library (RTLD_NOW | RTLD_GLOBAL), finds its principal class by name in the
// runtime and makes the root page.
Loaded load(const PreferenceBundle& bundle);

}  // namespace PreferenceBundles
