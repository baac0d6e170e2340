// parlo-sim: runs the simulated device's processes.
//
//   parlo-sim app [--device-root DIR] [--fresh] [--bundle-id ID] [--script FILE] [--output DIR]
//                 [--record OUT.mp4 [--record-scale S]]
//   parlo-sim settings [--device-root DIR] [--fresh] [--script FILE] [--output DIR]
//                      [--record OUT.mp4 [--record-scale S]]
//   parlo-sim install [--device-root DIR] [--fresh]
//   parlo-sim create [--device-root DIR] [--fresh]
//   parlo-sim status-bar [--device-root DIR] [--time TEXT] [--battery 0-100] [--carrier NAME]
//                        [--signal 0-4] [--wifi on|off] [--if-unset] [--off]
//
// The device root defaults to $PARLO_DEVICE_ROOT, else the user's data folder. A root that does
// not exist yet is made as a sample device (--fresh: as just installed). Each host runs in a
// process of its own; this one waits for it and exits with its status.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "SampleDevice.h"
#include "StatusBarSetting.h"
#include "foundation/DeviceRoot.h"

extern char** environ;

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: parlo-sim app|settings [--device-root DIR] [--fresh] [--bundle-id ID] "
               "[--script FILE] [--output DIR] [--record OUT.mp4 [--record-scale S]]\n"
               "       parlo-sim install|create [--device-root DIR] [--fresh]\n"
               "       parlo-sim status-bar [--device-root DIR] [--time TEXT] [--battery 0-100] "
               "[--carrier NAME] [--signal 0-4] [--wifi on|off] [--if-unset] [--off]\n");
  return 2;
}

// Runs a program with its arguments and returns its exit status (128 + signal if it died).
int spawnAndWait(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    std::fprintf(stderr, "cannot start %s: %s\n", argv[0], std::strerror(error));
    return 1;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return 1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) {
    std::fprintf(stderr, "%s died of signal %d\n", argv[0], WTERMSIG(status));
    return 128 + WTERMSIG(status);
  }
  return 1;
}

std::string siblingExecutable(const char* name) {
  std::error_code error;
  auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return (self.parent_path() / name).string();
}

// The status bar's values belong to the device: the command needs one that exists.
int statusBar(int argc, char** argv) {
  // --device-root may come anywhere among the bar's own options.
  std::string deviceRoot = DeviceRoot::path();
  std::vector<char*> rest(argv, argv + 2);
  for (int i = 2; i < argc; ++i) {
    if (std::string(argv[i]) == "--device-root" && i + 1 < argc) {
      deviceRoot = argv[++i];
    } else {
      rest.push_back(argv[i]);
    }
  }
  std::error_code error;
  if (!std::filesystem::is_directory(deviceRoot, error)) {
    std::fprintf(stderr, "no device in %s; run parlo-sim create first\n", deviceRoot.c_str());
    return 1;
  }
  DeviceRoot::setPath(std::filesystem::absolute(deviceRoot).lexically_normal().string());
  return sim::StatusBarSetting::runCommand(static_cast<int>(rest.size()), rest.data(), 2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  std::string command = argv[1];
  if (command == "status-bar") return statusBar(argc, argv);
  if (command != "app" && command != "settings" && command != "install" && command != "create") {
    return usage();
  }

  std::string deviceRoot;
  bool fresh = false;
  std::vector<std::string> hostArguments;
  for (int i = 2; i < argc; ++i) {
    std::string option = argv[i];
    bool takesValue = option == "--device-root" || option == "--bundle-id" ||
                      option == "--script" || option == "--output" || option == "--record" ||
                      option == "--record-scale";
    if (option == "--fresh") {
      fresh = true;
    } else if (!takesValue) {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return usage();
    } else if (i + 1 >= argc) {
      std::fprintf(stderr, "%s needs a value\n", option.c_str());
      return 2;
    } else if (option == "--device-root") {
      deviceRoot = argv[++i];
    } else if (command == "install" || command == "create" ||
               (command == "settings" && option == "--bundle-id")) {
      std::fprintf(stderr, "%s does not apply to parlo-sim %s\n", option.c_str(), command.c_str());
      return 2;
    } else {
      hostArguments.push_back(option);
      hostArguments.push_back(argv[++i]);
    }
  }

  if (deviceRoot.empty()) deviceRoot = DeviceRoot::path();
  deviceRoot = std::filesystem::absolute(deviceRoot).lexically_normal().string();
  std::error_code error;
  if (!std::filesystem::exists(deviceRoot, error)) {
    std::string problem;
    auto kind = fresh ? SampleDevice::Kind::Fresh : SampleDevice::Kind::Sample;
    if (!SampleDevice::create(deviceRoot, kind, problem)) {
      std::fprintf(stderr, "cannot create the device: %s\n", problem.c_str());
      return 1;
    }
    std::fprintf(stderr, "Created %s device in %s\n", fresh ? "a fresh" : "a sample",
                 deviceRoot.c_str());
  } else if (fresh) {
    // Never wipe a device someone may have used; a fresh one needs a new folder.
    std::fprintf(stderr, "%s already exists; --fresh makes a new device root only\n",
                 deviceRoot.c_str());
    return 2;
  }

  if (command == "create") return 0;
  if (command == "install") {
    std::fprintf(stderr, "Installing into %s\n", deviceRoot.c_str());
    return spawnAndWait({"cmake", "--install", PARLO_BUILD_DIR, "--prefix", deviceRoot});
  }

  std::vector<std::string> arguments{
      siblingExecutable(command == "app" ? "parlo-sim-app" : "parlo-sim-settings"), "--device-root",
      deviceRoot};
  arguments.insert(arguments.end(), hostArguments.begin(), hostArguments.end());
  return spawnAndWait(arguments);
}
