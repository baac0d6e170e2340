#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "TestFiles.h"

namespace testsupport {

// What became of one file when its write was killed at each step in turn.
struct KillSweep {
  // Writes killed, one per step that changes the disk.
  int killPoints = 0;
  // Kills after which the file was neither the old one nor the new one.
  int torn = 0;
  // The first thing that went wrong, for the failure message.
  std::string problem;
  // Hidden temporaries found beside the file right after each kill, and their size, summed.
  int temporariesLeft = 0;
  uintmax_t temporaryBytesLeft = 0;
  // Each write removes those of the writers killed before it, so they never pile up.
  int mostTemporariesAtOnce = 0;
  // After one more write that ran to its end.
  int temporariesAfterNextWrite = -1;
};

// The hidden temporaries ".<name>.*" that writers of `file` make beside it.
inline std::pair<int, uintmax_t> temporariesBeside(const std::filesystem::path& file) {
  std::pair<int, uintmax_t> found{0, 0};
  const std::string prefix = "." + file.filename().string() + ".";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), error)) {
    if (!entry.path().filename().string().starts_with(prefix)) continue;
    ++found.first;
    found.second += entry.file_size(error);
  }
  return found;
}

// Runs a write of `file` with `run(step)`, which must run it in another process killed (SIGKILL)
// just before its step-th step that changes the disk, or let it finish for 0, and return that
// process's status (137, or -1, when killed; 0 when it finished). Before each run the file is put
// back as `before` (nothing: no file) with a plain write that leaves temporaries alone. Kills go
// on at step 1, 2, ... until a run finishes, and after each one the file must be the old one
// whole or the new one whole. The old file is put back without removing temporaries, so what a
// killed writer left is still there when the next one starts.
inline KillSweep sweepKillPoints(const std::filesystem::path& file,
                                 const std::optional<std::string>& before,
                                 const std::function<int(long step)>& run) {
  auto restore = [&] {
    std::error_code error;
    std::filesystem::remove(file, error);
    if (before) std::ofstream(file, std::ios::binary) << *before;
  };
  auto contents = [&]() -> std::optional<std::string> {
    if (!std::filesystem::exists(file)) return std::nullopt;
    return readFile(file);
  };
  KillSweep sweep;
  restore();
  if (int status = run(0); status != 0) {
    sweep.problem = "the write does not finish: status " + std::to_string(status);
    return sweep;
  }
  const std::optional<std::string> after = contents();
  if (after == before) {
    sweep.problem = "the write changes nothing";
    return sweep;
  }
  for (long step = 1; step < 10000; ++step) {
    restore();
    const int status = run(step);
    if (status == 0) break;
    if (status != 137 && status != -1) {
      sweep.problem = "step " + std::to_string(step) + ": status " + std::to_string(status);
      return sweep;
    }
    ++sweep.killPoints;
    const auto [count, bytes] = temporariesBeside(file);
    sweep.temporariesLeft += count;
    sweep.temporaryBytesLeft += bytes;
    sweep.mostTemporariesAtOnce = std::max(sweep.mostTemporariesAtOnce, count);
    const std::optional<std::string> now = contents();
    if (now != before && now != after) {
      if (sweep.torn++ == 0) sweep.problem = "torn after a kill at step " + std::to_string(step);
    }
  }
  if (run(0) != 0 && sweep.problem.empty()) sweep.problem = "the last write failed";
  sweep.temporariesAfterNextWrite = temporariesBeside(file).first;
  return sweep;
}

}  // namespace testsupport
