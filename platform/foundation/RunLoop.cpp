#include "foundation/RunLoop.h"

#include <chrono>
#include <cmath>
#include <map>
#include <thread>
#include <utility>

#include "foundation/Clock.h"

struct RunLoop::Token::Entry {
  std::pair<int64_t, uint64_t> key;  // (due time in nanoseconds, submission number)
  Block block;
  bool pending = true;
};

namespace {

using Entry = RunLoop::Token::Entry;

struct Queue {
  std::map<std::pair<int64_t, uint64_t>, std::shared_ptr<Entry>> entries;
  uint64_t nextSequence = 0;
};

Queue& queue() {
  static Queue instance;
  return instance;
}

int64_t toNanoseconds(double seconds) {
  constexpr double kLimit = 9.2e18;  // inside int64's range: "never" rather than overflow
  double nanoseconds = std::round(seconds * 1e9);
  if (std::isnan(nanoseconds)) return 0;
  if (nanoseconds >= kLimit) return static_cast<int64_t>(kLimit);
  if (nanoseconds <= -kLimit) return -static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(nanoseconds);
}

// Saturating, so that a huge delay means "never" instead of wrapping into the past.
int64_t addNanoseconds(int64_t a, int64_t b) {
  int64_t sum;
  if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? INT64_MAX : INT64_MIN;
  return sum;
}

// Takes the first block due at or before `limit` off the queue, or nothing.
std::shared_ptr<Entry> takeDue(int64_t limit) {
  auto& entries = queue().entries;
  if (entries.empty() || entries.begin()->first.first > limit) return nullptr;
  std::shared_ptr<Entry> entry = std::move(entries.begin()->second);
  entries.erase(entries.begin());
  entry->pending = false;
  return entry;
}

void run(const std::shared_ptr<Entry>& entry) {
  // The entry no longer holds the block while it runs, so a block that drops its own token or
  // reschedules itself sees a finished entry; the block's captures die when it returns.
  RunLoop::Block block = std::move(entry->block);
  block();
}

void dropAll() {
  for (auto& [key, entry] : queue().entries) {
    entry->pending = false;
    entry->block = nullptr;
  }
  queue().entries.clear();
}

void sleepUntil(int64_t nanoseconds) {
  int64_t now = Clock::nowNanoseconds();
  if (nanoseconds > now) std::this_thread::sleep_for(std::chrono::nanoseconds(nanoseconds - now));
}

}  // namespace

void RunLoop::Token::cancel() {
  std::shared_ptr<Entry> entry = entry_.lock();
  if (!entry || !entry->pending) return;
  entry->pending = false;
  // Erase first, then let the block (and its captures) go.
  auto node = queue().entries.extract(entry->key);
  entry->block = nullptr;
}

bool RunLoop::Token::isPending() const {
  std::shared_ptr<Entry> entry = entry_.lock();
  return entry && entry->pending;
}

RunLoop& RunLoop::main() {
  static RunLoop instance;
  return instance;
}

void RunLoop::useManualClock() {
  dropAll();
  Clock::useManual();
}

void RunLoop::useRealClock() {
  dropAll();
  Clock::useReal();
}

RunLoop::Token RunLoop::scheduleAtNanoseconds(int64_t time, Block block) {
  auto entry = std::make_shared<Entry>();
  entry->key = {time, queue().nextSequence++};
  entry->block = std::move(block);
  queue().entries.emplace(entry->key, entry);
  return Token(entry);
}

RunLoop::Token RunLoop::scheduleAt(double time, Block block) {
  return scheduleAtNanoseconds(toNanoseconds(time), std::move(block));
}

RunLoop::Token RunLoop::scheduleAfter(double delay, Block block) {
  return scheduleAtNanoseconds(addNanoseconds(Clock::nowNanoseconds(), toNanoseconds(delay)),
                               std::move(block));
}

size_t RunLoop::runUntilIdle() {
  size_t count = 0;
  while (std::shared_ptr<Entry> entry = takeDue(Clock::nowNanoseconds())) {
    run(entry);
    ++count;
  }
  return count;
}

void RunLoop::advance(double seconds) {
  if (!Clock::isManual()) {
    runFor(seconds);
    return;
  }
  int64_t target = addNanoseconds(Clock::nowNanoseconds(), toNanoseconds(seconds));
  while (std::shared_ptr<Entry> entry = takeDue(target)) {
    Clock::advanceManualTo(entry->key.first);
    run(entry);
  }
  Clock::advanceManualTo(target);
}

void RunLoop::runFor(double seconds) {
  if (Clock::isManual()) {
    advance(seconds);
    return;
  }
  int64_t end = addNanoseconds(Clock::nowNanoseconds(), toNanoseconds(seconds));
  while (true) {
    runUntilIdle();
    int64_t now = Clock::nowNanoseconds();
    if (now >= end) return;
    int64_t wake = end;
    if (!queue().entries.empty()) wake = std::min(wake, queue().entries.begin()->first.first);
    sleepUntil(wake);
  }
}

bool RunLoop::runOnce(double timeout) {
  if (runUntilIdle() > 0) return true;
  if (queue().entries.empty()) {
    // Nothing can become due while the only thread waits; a manual clock just moves on.
    if (Clock::isManual()) {
      advance(timeout);
    } else {
      sleepUntil(addNanoseconds(Clock::nowNanoseconds(), toNanoseconds(timeout)));
    }
    return false;
  }
  int64_t next = queue().entries.begin()->first.first;
  int64_t limit = addNanoseconds(Clock::nowNanoseconds(), toNanoseconds(timeout));
  int64_t wake = std::min(next, limit);
  if (Clock::isManual()) {
    Clock::advanceManualTo(wake);
  } else {
    sleepUntil(wake);
  }
  return runUntilIdle() > 0;
}

std::optional<double> RunLoop::nextDueTime() {
  if (queue().entries.empty()) return std::nullopt;
  return static_cast<double>(queue().entries.begin()->first.first) / 1e9;
}

size_t RunLoop::pendingCount() {
  return queue().entries.size();
}
