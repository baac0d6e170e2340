#include "foundation/Dispatch.h"

#include <stdexcept>

#include "foundation/Clock.h"
#include "foundation/RunLoop.h"

struct dispatch_queue_s {};

namespace {

dispatch_queue_s mainQueue;

void checkQueue(dispatch_queue_t queue) {
  if (queue != &mainQueue) throw std::invalid_argument("dispatch: not a queue of this process");
}

constexpr dispatch_once_t kOnceRunning = 1;
constexpr dispatch_once_t kOnceDone = ~0l;

}  // namespace

dispatch_queue_t dispatch_get_main_queue() {
  return &mainQueue;
}

dispatch_time_t dispatch_time(dispatch_time_t when, int64_t delta) {
  if (when == DISPATCH_TIME_FOREVER) return DISPATCH_TIME_FOREVER;
  int64_t base = when == DISPATCH_TIME_NOW ? Clock::nowNanoseconds() : static_cast<int64_t>(when);
  int64_t sum;
  if (__builtin_add_overflow(base, delta, &sum)) {
    return delta > 0 ? DISPATCH_TIME_FOREVER : DISPATCH_TIME_NOW;
  }
  if (sum <= 0) return DISPATCH_TIME_NOW;
  if (static_cast<dispatch_time_t>(sum) == DISPATCH_TIME_FOREVER) return DISPATCH_TIME_FOREVER - 1;
  return static_cast<dispatch_time_t>(sum);
}

void dispatch_after(dispatch_time_t when, dispatch_queue_t queue, dispatch_block_t block) {
  checkQueue(queue);
  // Times beyond the clock's range can only have come from adding to FOREVER: never due.
  if (when > static_cast<dispatch_time_t>(INT64_MAX)) return;
  int64_t due = when == DISPATCH_TIME_NOW ? Clock::nowNanoseconds() : static_cast<int64_t>(when);
  RunLoop::scheduleAtNanoseconds(due, std::move(block));
}

void dispatch_async(dispatch_queue_t queue, dispatch_block_t block) {
  checkQueue(queue);
  RunLoop::scheduleAtNanoseconds(Clock::nowNanoseconds(), std::move(block));
}

void dispatch_once(dispatch_once_t* predicate, const dispatch_block_t& block) {
  if (*predicate == kOnceDone) return;
  if (*predicate == kOnceRunning) {
    throw std::logic_error("dispatch_once: called again from inside its own block");
  }
  *predicate = kOnceRunning;
  try {
    block();
  } catch (...) {
    // A block that did not finish has not run "once"; let a later call try again.
    *predicate = 0;
    throw;
  }
  *predicate = kOnceDone;
}
