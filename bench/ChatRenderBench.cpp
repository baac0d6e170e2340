// Drawing a whole chat into one picture with `parlo-files chat render`, as a user runs it: the
// time of the run and the peak memory of the process, for chats of a thousand and ten thousand
// messages.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ChatSamples.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatFile.h"
#include "foundation/NSArray.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path writeChat(size_t count) {
  const fs::path folder =
      fs::temp_directory_path() / ("parlo-chat-render-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  auto records = NSMutableArray::array();
  for (const auto& record : ChatSamples::records(count)) records->addObject(record);
  auto bytes = ChatFile::encode(*records);
  const fs::path file = folder / ("chat-" + std::to_string(count) + ".plist");
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes->data()), std::streamsize(bytes->size()));
  return file;
}

void BM_RenderWholeChat(benchmark::State& state) {
  const fs::path chat = writeChat(static_cast<size_t>(state.range(0)));
  const fs::path out = chat.parent_path() / "chat.png";
  // A device root of its own: nothing from the user's device changes the picture.
  const fs::path device = chat.parent_path() / "device";
  fs::create_directories(device);
  std::vector<std::string> arguments{PARLO_FILES_PATH, "chat",         "render",
                                     chat.string(),    "--out",        out.string(),
                                     "--device-root",  device.string()};
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  long peakKilobytes = 0;
  double processor = 0;
  // On a shared machine the wall clock says little without the load it was measured under.
  double load = 0;
  std::ifstream("/proc/loadavg") >> load;
  state.counters["load_1min"] = load;
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("cannot start parlo-files");
      break;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("parlo-files chat render failed");
      break;
    }
    peakKilobytes = std::max(peakKilobytes, usage.ru_maxrss);
    // On a shared machine the processor time says more than the wall clock.
    processor += usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                 usage.ru_stime.tv_usec / 1e6;
  }
  state.counters["peak_MB"] = static_cast<double>(peakKilobytes) / 1024;
  state.counters["cpu_s"] = processor / static_cast<double>(state.iterations());
  std::error_code error;
  state.counters["picture_MB"] = static_cast<double>(fs::file_size(out, error)) / 1e6;
  // The picture's height from its header: the pixel count bounds what any encoder can do.
  std::ifstream picture(out, std::ios::binary);
  unsigned char header[24] = {};
  picture.read(reinterpret_cast<char*>(header), sizeof header);
  const double rows = header[20] << 24 | header[21] << 16 | header[22] << 8 | header[23];
  state.counters["rows"] = rows;
  state.counters["raw_GB"] =
      rows * (header[16] << 24 | header[17] << 16 | header[18] << 8 | header[19]) * 3 / 1e9;
  fs::remove_all(chat.parent_path(), error);
}
BENCHMARK(BM_RenderWholeChat)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
