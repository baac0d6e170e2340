#pragma once

// How a preference bundle hands the Settings app its root page. The bundle's Info.plist names
// the page's class (NSPrincipalClass); the class must be registered in the runtime under that
// name, and the bundle exports a maker for it with this macro:
//
//   PS_EXPORT_ROOT_CONTROLLER(PRLHomeViewController)
//
// The Settings app opens the bundle's executable, checks the class by name in the runtime and
// calls the maker named after it. The page is made with its plain initialiser.

#include <memory>

#include "uikit/UIViewController.h"

#define PS_ROOT_CONTROLLER_MAKER_PREFIX "PSMakeRootController_"

#define PS_EXPORT_ROOT_CONTROLLER(Cls)                                               \
  extern "C" __attribute__((visibility("default"))) void PSMakeRootController_##Cls( \
      std::shared_ptr<UIViewController>* controller) {                               \
    auto page = Cls::alloc();                                                        \
    page->init();                                                                    \
    *controller = page;                                                              \
  }
