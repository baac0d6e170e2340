#pragma once

// Makes a device root: the device's folders, and for a sample device the things a user would
// have on it (a Direct inbox with people and their pictures, photos and a movie in the photo
// library, the add-on switched on).

#include <string>

namespace SampleDevice {

enum class Kind {
  Sample,
  // As just installed: the folders only, nothing stored, the add-on's switch unset.
  Fresh,
};

// Creates the device in a host folder that does not exist yet. Prints what it skipped (the movie
// when there is no ffmpeg). False with the reason when the folder cannot be made.
bool create(const std::string& hostRoot, Kind kind, std::string& error);

}  // namespace SampleDevice
