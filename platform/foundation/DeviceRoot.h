#pragma once

// The device's file system. Every absolute path the system names ("/var/mobile/...") is a device
// path; it resolves inside one host folder, the device root, and can never leave it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace DeviceRoot {

// The host folder that stands for "/": $PARLO_DEVICE_ROOT, else a default under the user's data
// directory ($XDG_DATA_HOME or ~/.local/share, then "parlo/device").
const std::string& path();
// Points the process at another device root (tests, the simulator's --device-root).
void setPath(std::string hostPath);

// The host path for a device path. "." and ".." are resolved lexically and never climb above the
// root; relative paths are taken from "/". Empty when the path cannot name a file (an embedded
// NUL).
std::optional<std::string> resolve(std::string_view devicePath);

// Whole-file reads and writes by device path. An atomic write goes to a temporary file beside the
// target, is flushed to disk, then renamed over it: a failure at any step leaves the old file
// whole. It first removes the temporaries that writers of the same file left when they died.
std::optional<std::vector<uint8_t>> readFile(std::string_view devicePath);
bool writeFile(std::string_view devicePath, std::span<const uint8_t> bytes, bool atomically);
// The same atomic write of a copy of the regular file at `fromDevicePath`, read a piece at a time
// so that memory stays small however large the file; a sparse file's holes stay holes. errno
// tells why it failed.
bool copyFileAtomically(std::string_view fromDevicePath, std::string_view toDevicePath);
// The same atomic write for a file named by its host path (the tools' command lines); errno tells
// why it failed.
bool writeHostFileAtomically(const std::string& hostPath, std::span<const uint8_t> bytes);

// Seams for tests, which run with permissions that let every real write succeed.
namespace testing {
// The next atomic write fails after its temporary file is written and before the rename.
void failNextAtomicWriteBeforeRename();
// The process kills itself (SIGKILL) just before its Nth step that changes the disk from now on:
// creating a file, each write of up to 1 MB, an fsync, a rename. 0 turns it off. A process
// started with PARLO_KILL_AT_WRITE_STEP=N does the same.
void killAtWriteStep(long n);
}  // namespace testing

}  // namespace DeviceRoot
