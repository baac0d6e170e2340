#include "PreferenceBundle.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

#include "Preferences/PSRootController.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSLog.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/PropertyList.h"

namespace {

std::string stringValue(const plist::Value& dictionary, std::string_view key) {
  const plist::Value* value = dictionary.find(key);
  const std::string* text = value ? value->get<std::string>() : nullptr;
  return text ? *text : std::string();
}

bool isKindOf(Class cls, Class ancestor) {
  for (; cls; cls = class_getSuperclass(cls)) {
    if (cls == ancestor) return true;
  }
  return false;
}

}  // namespace

const std::vector<std::string>& PreferenceBundles::folders() {
  static const std::vector<std::string> list{"/var/LIY/Brisvale/Preferences/",
                                             "/Library/PreferenceBundles/"};
  return list;
}

std::vector<PreferenceBundle> PreferenceBundles::installed() {
  std::vector<PreferenceBundle> bundles;
  for (const std::string& folder : folders()) {
    auto hostFolder = DeviceRoot::resolve(folder);
    std::error_code error;
    if (!hostFolder || !std::filesystem::is_directory(*hostFolder, error)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(*hostFolder, error)) {
      std::string name = entry.path().filename().string();
      if (pathExtension(name) != "bundle") continue;
      PreferenceBundle bundle;
      bundle.folder = stringByAppendingPathComponent(folder, name);
      auto bytes =
          DeviceRoot::readFile(stringByAppendingPathComponent(bundle.folder, "Info.plist"));
      auto info = bytes ? plist::read(*bytes) : plist::Result<plist::Value>{};
      if (!info) {
        NSLog("Settings: %s has no readable Info.plist", bundle.folder.c_str());
        continue;
      }
      bundle.executable = stringValue(*info.value, "CFBundleExecutable");
      bundle.principalClass = stringValue(*info.value, "NSPrincipalClass");
      bundle.displayName = stringValue(*info.value, "CFBundleDisplayName");
      if (bundle.displayName.empty()) bundle.displayName = stringValue(*info.value, "CFBundleName");
      if (bundle.displayName.empty()) bundle.displayName = stringByDeletingPathExtension(name);
      if (bundle.executable.empty() || bundle.principalClass.empty()) {
        NSLog("Settings: %s names no executable or principal class", bundle.folder.c_str());
        continue;
      }
      bundles.push_back(std::move(bundle));
    }
  }
  std::sort(bundles.begin(), bundles.end(),
            [](const auto& a, const auto& b) { return a.displayName < b.displayName; });
  return bundles;
}

PreferenceBundles::Loaded PreferenceBundles::load(const PreferenceBundle& bundle) {
  Loaded loaded;
  std::string library = stringByAppendingPathComponent(bundle.folder, bundle.executable);
  auto hostPath = DeviceRoot::resolve(library);
  void* handle = hostPath ? dlopen(hostPath->c_str(), RTLD_NOW | RTLD_GLOBAL) : nullptr;
  if (!handle) {
    const char* error = dlerror();
    loaded.error = "cannot load " + library + ": " + (error ? error : "no such file");
  } else if (Class cls = objc_getClass(bundle.principalClass.c_str()); !cls) {
    loaded.error = "no class " + bundle.principalClass + " in " + library;
  } else if (!isKindOf(cls, UIViewController::classObject())) {
    loaded.error = bundle.principalClass + " is not a view controller";
  } else {
    std::string maker = PS_ROOT_CONTROLLER_MAKER_PREFIX + bundle.principalClass;
    using Maker = void (*)(std::shared_ptr<UIViewController>*);
    auto make = reinterpret_cast<Maker>(dlsym(handle, maker.c_str()));
    if (!make) {
      loaded.error = library + " exports no " + maker;
    } else {
      make(&loaded.rootController);
      if (!loaded.rootController) loaded.error = maker + " made no page";
    }
  }
  if (!loaded.error.empty()) NSLog("Settings: %s", loaded.error.c_str());
  return loaded;
}
