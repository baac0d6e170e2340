#pragma once

// The process clock. Each process has one: the real clock in interactive use, a manual clock in
// tests and scripted runs (see RunLoop.h), so that everything timed can be driven without sleeping.

#include <cstdint>

namespace Clock {

// Seconds on a monotonic scale: what dispatch_time, timers and animations count in.
double now();
// Seconds since 1970-01-01 UTC, for NSDate. A manual clock starts at a fixed instant and moves
// only when advanced.
double wallTime();

// The monotonic time in whole nanoseconds. Due times are kept in nanoseconds so that many small
// steps of a manual clock add up exactly (ten steps of 0.1 s reach a block due at 1 s).
int64_t nowNanoseconds();

// The manual clock starts at monotonic time 0 and at this wall time: 2026-03-14 09:41:00 UTC.
inline constexpr double kManualClockWallStart = 1773481260.0;

// Chooses the clock. Choosing the manual clock (again) puts it back at its start. The run loop
// switches clocks (RunLoop::useManualClock()); other code only reads the time.
void useManual();
void useReal();
bool isManual();

// Moves the manual clock forward to a monotonic time; earlier times are ignored, the clock never
// goes back. Does nothing on the real clock.
void advanceManualTo(int64_t nanoseconds);

}  // namespace Clock
