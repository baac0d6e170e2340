#include "HostProcess.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "HostApp.h"
#include "ScreenRecorder.h"
#include "Script.h"
#include "ScriptRunner.h"
#include "SettingsApp.h"
#include "SimWindow.h"
#include "StatusBarSetting.h"
#include "foundation/Clock.h"
#include "foundation/DeviceRoot.h"
#include "foundation/RunLoop.h"
#include "uikit/UIWindow.h"

namespace sim {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

}  // namespace

int runHost(Host host, int argc, char** argv) {
  std::string deviceRoot, bundleIdentifier = HostApp::kDefaultBundleIdentifier, scriptPath,
                          outputDirectory, recordPath;
  double recordScale = 3;
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
    } else if (option == "--record") {
      recordPath = value();
    } else if (option == "--record-scale") {
      const std::string text = value();
      char* end = nullptr;
      recordScale = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0') recordScale = 0;
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
  render::setStatusBar(StatusBarSetting::read());

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

  // Opened before the host starts, so that a file that cannot be written stops the run at once.
  std::function<void()> takeFrames;
  std::function<int(int)> finishRecording = [](int status) { return status; };
  std::shared_ptr<ScreenRecorder> recorder;
  if (!recordPath.empty()) {
    std::string problem;
    recorder = ScreenRecorder::open(recordPath, recordScale, problem);
    if (!recorder) {
      std::fprintf(stderr, "cannot record: %s\n", problem.c_str());
      return 2;
    }
    // The recording ends with the run; a failure to write it fails the run.
    finishRecording = [recorder, recordPath](int status) {
      std::string problem;
      if (!recorder->finish(Clock::now(), problem)) {
        std::fprintf(stderr, "cannot record: %s\n", problem.c_str());
        return status == 0 ? 1 : status;
      }
      std::fprintf(stderr, "Recorded %ld frames (%.2f s) to %s\n", recorder->frames(),
                   static_cast<double>(recorder->frames()) / ScreenRecorder::kFramesPerSecond,
                   recordPath.c_str());
      return status;
    };
    // Ctrl-C or a kill ends the recording whole at the next frame instead of midway.
    struct sigaction stop {};
    stop.sa_handler = [](int signal) { stopSignal = signal; };
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    takeFrames = [recorder, finishRecording] {
      recorder->capture(Clock::now());
      if (stopSignal != 0) std::exit(finishRecording(128 + stopSignal));
    };
  }

  std::shared_ptr<UIWindow> window;
  if (host == Host::App) {
    window = HostApp::launch(bundleIdentifier).window;
  } else {
    window = SettingsApp::launch();
  }

  if (!scriptPath.empty()) {
    setFrameObserver(takeFrames);
    const int status = runScript(script, {scriptPath, outputDirectory});
    setFrameObserver({});
    return finishRecording(status);
  }
  if (host == Host::Settings) return finishRecording(runWindow("Settings", "", takeFrames));
  return finishRecording(runWindow(
      bundleIdentifier, "Press a thread's title for two seconds to open Parlo", takeFrames));
}

}  // namespace sim
