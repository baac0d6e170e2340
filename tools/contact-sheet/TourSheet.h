// One PNG of a tour's snapshots in the order they were taken, each under a caption, so a glance
// at one file shows the whole tour.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace parlo::sheet {

struct TourShot {
  std::filesystem::path png;
  std::string caption;
};

// The PNG snapshots of a folder in name order, `skip` left out; the caption is the file name
// without its extension, its leading number and dashes ("07-chat-typing" -> "7  chat typing").
std::vector<TourShot> tourShots(const std::filesystem::path& folder,
                                const std::filesystem::path& skip);

// Lays the shots out in rows of `columns` thumbnails `thumbWidth` points wide. A shot that cannot
// be read is drawn as a red box and listed in `missing`; false with `error` set when the sheet
// itself cannot be written.
bool writeTourSheet(const std::vector<TourShot>& shots, const std::filesystem::path& out,
                    int columns, double thumbWidth, std::vector<std::string>& missing,
                    std::string& error);

}  // namespace parlo::sheet
