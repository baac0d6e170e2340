#include "foundation/NSBundle.h"

OBJC_CLASS_IMPL(NSBundle) {}

std::shared_ptr<NSBundle> NSBundle::mainBundle() {
  static const std::shared_ptr<NSBundle> main = alloc();
  return main;
}

void NSBundle::setMainBundleIdentifier(std::string identifier) {
  mainBundle()->bundleIdentifier_ = std::move(identifier);
}
