#pragma once

// The process's main run loop: the blocks due on its clock. Everything runs on the main thread,
// so a block runs only when the loop is driven: by the host's event loop on the real clock
// (runOnce, runFor), by tests and scripts on the manual clock (advance, runUntilIdle).
//
// Blocks run in order of due time; blocks due at the same time run in the order they were
// scheduled. A block that throws lets the exception through: blocks are code, and a throw from
// one is a programming error.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class RunLoop {
 public:
  using Block = std::function<void()>;

  // A scheduled block, which can be cancelled until it runs. A default token refers to nothing.
  class Token {
   public:
    Token() = default;
    // Drops the block (and what it captured) if it has not run yet.
    void cancel();
    // True while the block waits to run.
    bool isPending() const;

    struct Entry;  // the run loop's record of a block

   private:
    friend class RunLoop;
    explicit Token(std::weak_ptr<Entry> entry) : entry_(std::move(entry)) {}
    std::weak_ptr<Entry> entry_;
  };

  // There is one run loop per process. Every member works on it, so RunLoop::advance(1) and
  // RunLoop::main().advance(1) are the same call.
  static RunLoop& main();

  // Chooses the clock (see Clock.h). Pending blocks are dropped: their due times were counted on
  // the clock being left. Choosing the manual clock again starts a fresh, empty loop at time 0.
  static void useManualClock();
  static void useRealClock();

  // Schedules a block at a monotonic time (Clock::now()'s scale) or after a delay. A time in the
  // past means as soon as the loop runs.
  static Token scheduleAt(double time, Block block);
  static Token scheduleAtNanoseconds(int64_t time, Block block);
  static Token scheduleAfter(double delay, Block block);

  // Runs the blocks that are due now, including those that they schedule for now; the clock does
  // not move. Returns how many ran.
  static size_t runUntilIdle();

  // Manual clock: moves time forward by `seconds`, stopping at each block's due time to run it,
  // so a block sees the clock at its own due time and blocks scheduled on the way run when due.
  // On the real clock it waits instead (as runFor).
  static void advance(double seconds);

  // Runs the loop for `seconds`: on the real clock it sleeps until each due time (never a busy
  // loop); on the manual clock it is advance(seconds).
  static void runFor(double seconds);

  // Runs what is due; when nothing is, waits up to `timeout` seconds for the next block and runs
  // what is due then. Returns whether any block ran.
  static bool runOnce(double timeout);

  // The due time of the next block, for hosts that wait on their own events in between.
  static std::optional<double> nextDueTime();
  static size_t pendingCount();

 private:
  RunLoop() = default;
};
