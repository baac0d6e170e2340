#pragma once

// Video clips made at test time with the ffmpeg command, whose frames are known colours.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

inline bool haveFFmpeg() {
  static const bool found = std::system("command -v ffmpeg >/dev/null 2>&1") == 0;
  return found;
}

// How a clip is written: the encoder's options and the file's extension.
struct ClipFormat {
  std::string extension;
  std::string encoder;
};

inline const std::vector<ClipFormat>& everyClipFormat() {
  static const std::vector<ClipFormat> formats{
      {".mp4", "-c:v libx264 -pix_fmt yuv420p"},
      {".mov", "-c:v libx264 -pix_fmt yuv420p"},
      {".webm", "-c:v libvpx -b:v 1M"},
      {".avi", "-c:v mpeg4 -q:v 2"},
  };
  return formats;
}

// One second of each picture in turn, `rate` frames a second. A picture is an ffmpeg colour
// ("red"), or two colours split down the middle ("red|blue": red on the left).
inline bool makeClip(const std::filesystem::path& path, const std::vector<std::string>& pictures,
                     const ClipFormat& format, const std::string& size = "64x48", int rate = 10,
                     const std::string& extra = {}) {
  std::string command = "ffmpeg -loglevel error -nostdin -y";
  std::string graph;
  int width = std::stoi(size.substr(0, size.find('x')));
  for (size_t i = 0; i < pictures.size(); ++i) {
    const std::string& picture = pictures[i];
    size_t bar = picture.find('|');
    std::string base = bar == std::string::npos ? picture : picture.substr(bar + 1);
    command +=
        " -f lavfi -i color=c=" + base + ":s=" + size + ":r=" + std::to_string(rate) + ":d=1";
    std::string label = "[" + std::to_string(i) + ":v]";
    if (bar != std::string::npos) {
      graph += label + "drawbox=x=0:y=0:w=" + std::to_string(width / 2) +
               ":h=ih:t=fill:c=" + picture.substr(0, bar) + "[p" + std::to_string(i) + "];";
    }
  }
  std::string inputs;
  for (size_t i = 0; i < pictures.size(); ++i) {
    inputs += pictures[i].find('|') == std::string::npos ? "[" + std::to_string(i) + ":v]"
                                                         : "[p" + std::to_string(i) + "]";
  }
  graph += inputs + "concat=n=" + std::to_string(pictures.size()) + ":v=1:a=0[v]";
  command += " -filter_complex \"" + graph + "\" -map \"[v]\" " + format.encoder + " " + extra +
             " \"" + path.string() + "\" >/dev/null 2>&1";
  return std::system(command.c_str()) == 0 && std::filesystem::exists(path);
}

}  // namespace testsupport
