#pragma once

// Sample chats for the benchmarks: texts as people write them in a direct thread, the same on
// every run. Mostly short messages, some paragraphs, a few long ones, over an everyday vocabulary
// of some hundreds of words with punctuation, apostrophes, accented words, an emoji now and then
// at the end of a message and the odd line break, so that a measurement cache sees about as many
// distinct words and texts as in a real chat.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/DeviceRoot.h"
#include "foundation/NSPathUtilities.h"

class ChatDataModel;
class UIImage;

namespace ChatSamples {

struct Message {
  std::string text;
  bool incoming;
  bool liked;
};

// `count` messages; the same seed gives the same chat.
std::vector<Message> messages(size_t count, uint64_t seed = 0xc4a7);
// The same as text records of a chat file: "INCOMING" ones show the avatar, as a file written by
// the screen has them.
std::vector<std::shared_ptr<ChatDataModel>> records(size_t count, uint64_t seed = 0xc4a7);

// A 150-pixel photo-like profile picture (a diagonal gradient with a disc), decoded from PNG as
// a downloaded avatar is.
std::shared_ptr<UIImage> avatar();

// A device root of its own in a temporary folder, with the app's Documents folder.
class ScratchDevice {
 public:
  ScratchDevice() {
    std::string pattern = (std::filesystem::temp_directory_path() / "parlo-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    root_ = pattern;
    DeviceRoot::setPath(root_);
    NSSetHomeDirectory("/var/mobile/Containers/Data/Application/BENCH");
    std::filesystem::create_directories(root_ +
                                        "/var/mobile/Containers/Data/Application/BENCH/Documents");
  }
  ~ScratchDevice() { std::filesystem::remove_all(root_); }

 private:
  std::string root_;
};

}  // namespace ChatSamples
