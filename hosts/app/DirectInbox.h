#pragma once

// The Direct inbox that the app shows: threads with their people and messages, read from one
// property list in the app's container. The sample device writes it; a missing or damaged file
// is an empty inbox.

#include <memory>
#include <string>
#include <vector>

#include "IGUser.h"
#include "foundation/PropertyList.h"

struct DirectMessage {
  std::string text;
  bool outgoing = false;
};

struct DirectThread {
  // The other people in the thread, first the one the thread is named after.
  std::vector<std::shared_ptr<IGUser>> users;
  std::vector<DirectMessage> messages;
  // "2h", "1d": how long ago the last message came, as the inbox shows it.
  std::string lastActivity;
};

namespace DirectInbox {

// The inbox file inside a home folder (a device path).
std::string filePath(const std::string& homeDirectory);

std::vector<DirectThread> threadsFromPropertyList(const plist::Value& root);
// The threads in the home folder's inbox file; none when it is missing or damaged.
std::vector<DirectThread> load(const std::string& homeDirectory);

}  // namespace DirectInbox
