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

  // The list's grey runs up under the bar and the status bar, as in the system's Settings.
  navigation->navigationBar()->setBackgroundColor(UIColor::systemGroupedBackgroundColor());
  auto window = UIWindow::alloc()->init();
  window->setBackgroundColor(UIColor::systemGroupedBackgroundColor());
  window->setRootViewController(navigation);
  window->makeKeyAndVisible();
  NSLog("Settings launched with %zu preference bundles", PreferenceBundles::installed().size());
  return window;
}
