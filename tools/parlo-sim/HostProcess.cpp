#include "HostProcess.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "HostApp.h"
#include "Script.h"
#include "ScriptRunner.h"
#include "SettingsApp.h"
#include "SimWindow.h"
#ifdef PARLO_SIM_HAS_RENDER
#include "StatusBarSetting.h"
#endif
#include "foundation/DeviceRoot.h"
#include "foundation/RunLoop.h"
#include "uikit/UIWindow.h"

namespace sim {

int runHost(Host host, int argc, char** argv) {
  std::string deviceRoot, bundleIdentifier = HostApp::kDefaultBundleIdentifier, scriptPath,
                          outputDirectory;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "%s needs a value\n", option.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (option == "--device-root") {
      deviceRoot = value();
    } else if (option == "--bundle-id") {
      bundleIdentifier = value();
    } else if (option == "--script") {
      scriptPath = value();
    } else if (option == "--output") {
      outputDirectory = value();
    } else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return 2;
    }
  }
  if (!deviceRoot.empty()) {
    DeviceRoot::setPath(deviceRoot);
    // Libraries loaded into the process look the root up too.
    setenv("PARLO_DEVICE_ROOT", deviceRoot.c_str(), 1);
  }
#ifdef PARLO_SIM_HAS_RENDER
  render::setStatusBar(StatusBarSetting::read());
#endif

  ParsedScript script;
  if (!scriptPath.empty()) {
    std::ifstream file(scriptPath, std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "cannot read the script %s\n", scriptPath.c_str());
      return 2;
    }
    std::stringstream source;
    source << file.rdbuf();
    script = parseScript(source.str());
    // Parse before launching, so a script with a typo does not start the host for nothing.
    if (!script.error.empty()) return runScript(script, {scriptPath, outputDirectory});
    RunLoop::useManualClock();
  } else {
    RunLoop::useRealClock();
  }

  std::shared_ptr<UIWindow> window;
  if (host == Host::App) {
    window = HostApp::launch(bundleIdentifier).window;
  } else {
    window = SettingsApp::launch();
  }

  if (!scriptPath.empty()) return runScript(script, {scriptPath, outputDirectory});
  if (host == Host::Settings) return runWindow("Settings");
  return runWindow(bundleIdentifier, "Press a thread's title for two seconds to open Parlo");
}

}  // namespace sim
