#include "SettingsApp.h"

#include "PreferenceBundle.h"
#include "PreferencesListController.h"
#include "foundation/NSBundle.h"
#include "foundation/NSLog.h"
#include "foundation/NSPathUtilities.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIWindow.h"

std::shared_ptr<UIWindow> SettingsApp::launch() {
  NSBundle::setMainBundleIdentifier(kBundleIdentifier);
  NSSetHomeDirectory("/var/mobile");
  auto list = PreferencesListController::alloc()->initWithBundles(PreferenceBundles::installed());
  auto navigation = UINavigationController::alloc()->initWithRootViewController(list);

  auto window = UIWindow::alloc()->init();
  window->setRootViewController(navigation);
  window->makeKeyAndVisible();
  NSLog("Settings launched with %zu preference bundles", PreferenceBundles::installed().size());
  return window;
}
