#pragma once

// The platform's dispatch interface, on the main run loop. There is one queue, the main queue:
// everything runs on the main thread.

#include <cstdint>
#include <functional>

using dispatch_block_t = std::function<void()>;

struct dispatch_queue_s;
using dispatch_queue_t = dispatch_queue_s*;

// Nanoseconds on the clock's monotonic scale. DISPATCH_TIME_NOW as a base means "now".
using dispatch_time_t = uint64_t;
inline constexpr dispatch_time_t DISPATCH_TIME_NOW = 0;
inline constexpr dispatch_time_t DISPATCH_TIME_FOREVER = ~0ull;
inline constexpr uint64_t NSEC_PER_SEC = 1000000000ull;
inline constexpr uint64_t NSEC_PER_MSEC = 1000000ull;
inline constexpr uint64_t USEC_PER_SEC = 1000000ull;

using dispatch_once_t = long;

dispatch_queue_t dispatch_get_main_queue();

// `when` plus `delta` nanoseconds (delta may be negative). FOREVER stays FOREVER.
dispatch_time_t dispatch_time(dispatch_time_t when, int64_t delta);

// Runs the block on the queue at `when`; never when `when` is DISPATCH_TIME_FOREVER.
void dispatch_after(dispatch_time_t when, dispatch_queue_t queue, dispatch_block_t block);
// Runs the block on the queue after what is already due, the next time the loop runs.
void dispatch_async(dispatch_queue_t queue, dispatch_block_t block);
// Runs the block the first time it is reached with this predicate, never again. Calling it again
// for the same predicate from inside the block is an error (the platform deadlocks).
void dispatch_once(dispatch_once_t* predicate, const dispatch_block_t& block);
