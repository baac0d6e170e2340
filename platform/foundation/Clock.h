#pragma once

// The process clock. Each process has one: the real clock in interactive use, a manual clock in
// tests and scripted runs (see RunLoop.h), so that everything timed can be driven without sleeping.

namespace Clock {

// Seconds on a monotonic scale: what dispatch_time, timers and animations count in.
double now();
// Seconds since 1970-01-01 UTC, for NSDate. A manual clock starts at a fixed instant and moves
// only when advanced.
double wallTime();

}  // namespace Clock
