#include "foundation/Clock.h"

#include <chrono>

namespace Clock {
namespace {

constexpr double kNanosecondsPerSecond = 1e9;

struct State {
  bool manual = false;
  int64_t manualNanoseconds = 0;
};

State& state() {
  static State instance;
  return instance;
}

}  // namespace

int64_t nowNanoseconds() {
  if (state().manual) return state().manualNanoseconds;
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

double now() {
  return static_cast<double>(nowNanoseconds()) / kNanosecondsPerSecond;
}

double wallTime() {
  if (state().manual) {
    return kManualClockWallStart +
           static_cast<double>(state().manualNanoseconds) / kNanosecondsPerSecond;
  }
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void useManual() {
  state().manual = true;
  state().manualNanoseconds = 0;
}

void useReal() {
  state().manual = false;
}

bool isManual() {
  return state().manual;
}

void advanceManualTo(int64_t nanoseconds) {
  if (state().manual && nanoseconds > state().manualNanoseconds) {
    state().manualNanoseconds = nanoseconds;
  }
}

}  // namespace Clock
