#include "HostApp.h"

#include <cstdint>
#include <cstdio>

#include "IGDirectInboxViewController.h"
#include "InjectionLoader.h"
#include "UIView+ViewController.h"
#include "foundation/NSBundle.h"
#include "foundation/NSLog.h"
#include "foundation/NSPathUtilities.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIWindow.h"

namespace {

// FNV-1a over the text with a given offset basis, for the two halves of the UUID.
uint64_t fnv1a(const std::string& text, uint64_t basis) {
  uint64_t hash = basis;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  return hash;
}

}  // namespace

std::string HostApp::containerPath(const std::string& bundleIdentifier) {
  uint64_t high = fnv1a(bundleIdentifier, 14695981039346656037ULL);
  uint64_t low = fnv1a(bundleIdentifier, 0x9e3779b97f4a7c15ULL);
  // A version-4 shaped UUID, so the path looks like the device's.
  high = (high & ~0xF000ULL) | 0x4000ULL;
  low = (low & ~(0xC000ULL << 48)) | (0x8000ULL << 48);
  char uuid[40];
  std::snprintf(uuid, sizeof uuid, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(high >> 32),
                static_cast<unsigned>((high >> 16) & 0xFFFF), static_cast<unsigned>(high & 0xFFFF),
                static_cast<unsigned>(low >> 48),
                static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
  return std::string("/var/mobile/Containers/Data/Application/") + uuid;
}

HostApp::Launch HostApp::launch(const std::string& bundleIdentifier) {
  // Injected code asks the main bundle which app it is in, before anything else.
  NSBundle::setMainBundleIdentifier(bundleIdentifier);
  NSSetHomeDirectory(containerPath(bundleIdentifier));
  UIViewViewController::install();

  Launch result;
  result.injectedLibraries = InjectionLoader::loadLibrariesFor(bundleIdentifier);

  auto inbox = IGDirectInboxViewController::alloc()->initWithHomeDirectory(NSHomeDirectory());
  auto navigation = UINavigationController::alloc()->initWithRootViewController(inbox);
  // Each screen draws its own header, as the app does.
  navigation->setNavigationBarHidden(true);
  result.window = UIWindow::alloc()->init();
  result.window->setBackgroundColor(UIColor::systemBackgroundColor());
  result.window->setRootViewController(navigation);
  result.window->makeKeyAndVisible();
  NSLog("%s launched with %zu injected libraries", bundleIdentifier.c_str(),
        result.injectedLibraries.size());
  return result;
}
