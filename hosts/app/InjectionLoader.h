#pragma once

// Loads add-on libraries into the app the way the device's hooking runtime does: each library
// in the injection folder has a filter property list beside it ("Parlo.dylib" + "Parlo.plist")
// whose Filter / Bundles array names the apps it belongs in. The libraries whose filter names
// this app are opened (RTLD_NOW | RTLD_GLOBAL), so their static initialisers run before the app
// shows its first screen.

#include <string>
#include <vector>

namespace InjectionLoader {

// The device folder that holds the libraries and their filters.
inline constexpr const char* kInjectionFolder = "/Library/MobileSubstrate/DynamicLibraries/";

struct Candidate {
  std::string library;   // device path of the library
  bool matches = false;  // its filter names the bundle identifier
  std::string problem;   // why the filter could not be read, if it could not
};

// Every filter in the folder, in name order, with whether it names the bundle identifier. A
// filter without Bundles, or one that cannot be read, names nothing.
std::vector<Candidate> candidatesFor(const std::string& bundleIdentifier);

// Opens the matching libraries and logs each outcome; returns the device paths opened.
std::vector<std::string> loadLibrariesFor(const std::string& bundleIdentifier);

}  // namespace InjectionLoader
