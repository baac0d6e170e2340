#pragma once

// NSBundle, as far as a process needs to know which app it is.

#include <memory>
#include <string>

#include "runtime/NSObject.h"

class NSBundle : public NSObject {
  OBJC_CLASS(NSBundle, NSObject);

 public:
  // The running app's bundle.
  static std::shared_ptr<NSBundle> mainBundle();
  // Set by a host process at start, as its Info.plist would on the device.
  static void setMainBundleIdentifier(std::string identifier);

  // Empty for a process that has not named itself (a tool, a test).
  const std::string& bundleIdentifier() const { return bundleIdentifier_; }

 private:
  std::string bundleIdentifier_;
};
