#pragma once

// Writes one line to standard error, prefixed with a time stamp and the process name,
// as the platform's log does. The format is printf's.
void NSLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
