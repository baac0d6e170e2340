#include "DirectInbox.h"

#include "foundation/DeviceRoot.h"
#include "foundation/NSLog.h"
#include "foundation/NSPathUtilities.h"

namespace {

std::string stringValue(const plist::Value& dictionary, std::string_view key) {
  const plist::Value* value = dictionary.find(key);
  const std::string* text = value ? value->get<std::string>() : nullptr;
  return text ? *text : std::string();
}

}  // namespace

std::string DirectInbox::filePath(const std::string& homeDirectory) {
  return stringByAppendingPathComponent(homeDirectory,
                                        "Library/Application Support/DirectInbox.plist");
}

std::vector<DirectThread> DirectInbox::threadsFromPropertyList(const plist::Value& root) {
  std::vector<DirectThread> threads;
  const plist::Value* list = root.find("threads");
  const plist::Array* entries = list ? list->get<plist::Array>() : nullptr;
  if (!entries) return threads;
  for (const plist::Value& entry : *entries) {
    DirectThread thread;
    thread.lastActivity = stringValue(entry, "lastActivity");
    if (const plist::Value* users = entry.find("users"); users && users->get<plist::Array>()) {
      for (const plist::Value& user : *users->get<plist::Array>()) {
        std::string username = stringValue(user, "username");
        if (username.empty()) continue;
        std::string picture = stringValue(user, "profilePicURL");
        thread.users.push_back(IGUser::alloc()->initWithUsername(
            username, stringValue(user, "fullName"),
            picture.empty() ? nullptr : NSURL::URLWithString(picture)));
      }
    }
    if (const plist::Value* messages = entry.find("messages");
        messages && messages->get<plist::Array>()) {
      for (const plist::Value& message : *messages->get<plist::Array>()) {
        const plist::Value* outgoing = message.find("outgoing");
        thread.messages.push_back({stringValue(message, "text"),
                                   outgoing && outgoing->get<bool>() && *outgoing->get<bool>()});
      }
    }
    // A thread with nobody else in it cannot be shown or named.
    if (!thread.users.empty()) threads.push_back(std::move(thread));
  }
  return threads;
}

std::vector<DirectThread> DirectInbox::load(const std::string& homeDirectory) {
  std::string path = filePath(homeDirectory);
  auto bytes = DeviceRoot::readFile(path);
  if (!bytes) return {};
  auto root = plist::read(*bytes);
  if (!root) {
    NSLog("Direct inbox %s is damaged (%s); showing no threads", path.c_str(), root.error.c_str());
    return {};
  }
  return threadsFromPropertyList(*root.value);
}
