#pragma once

// The simulated device's status bar values, kept in the device root so that every process of
// the device draws the same bar. A device without the file shows no bar: devices made for tests
// keep their pixels as they were.

#include <optional>
#include <string>

#include "render/StatusBarPainter.h"

namespace sim::StatusBarSetting {

// The device path of the setting.
extern const char* const kPath;

// The stored bar of the current device root; std::nullopt when there is none or it cannot be
// read. Values out of range are brought into it, missing ones take the defaults.
std::optional<render::StatusBar> read();
// Stores the bar; false when the file cannot be written.
bool write(const render::StatusBar& bar);
// Removes the setting, so no bar is drawn; false when it exists and cannot be removed.
bool remove();

// The `parlo-sim status-bar` command on the current device root, with its options:
//   [--time TEXT] [--battery 0-100] [--carrier NAME] [--signal 0-4] [--wifi on|off]
//   [--if-unset] [--off]
// Values not given take the defaults ("9:41", full battery and signal, Wi-Fi, no carrier).
// --if-unset leaves a device that already has a bar alone; --off removes the bar. Returns the
// exit status, with a message on standard error when it is not 0.
int runCommand(int argc, char** argv, int first);

}  // namespace sim::StatusBarSetting
