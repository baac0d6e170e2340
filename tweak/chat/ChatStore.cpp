#include "chat/ChatStore.h"

#include <cerrno>
#include <cstring>
#include <unordered_set>

#include "chat/ChatFile.h"
#include "foundation/DeviceRoot.h"
#include "foundation/Dispatch.h"
#include "foundation/NSData.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSLog.h"
#include "foundation/NSPathUtilities.h"

std::shared_ptr<ChatStore> ChatStore::storeWithUsername(std::shared_ptr<NSString> username) {
  return std::make_shared<ChatStore>(std::move(username));
}

ChatStore::ChatStore(std::shared_ptr<NSString> username)
    : username_(std::move(username)), path_(ChatFile::chatFilePath(username_)) {}

std::shared_ptr<NSMutableArray> ChatStore::loadChatData(bool* fileExisted) {
  auto messages = NSMutableArray::array();
  if (fileExisted) *fileExisted = false;
  bool isDirectory = false;
  if (!path_ || !NSFileManager::defaultManager()->fileExistsAtPath(*path_, &isDirectory)) {
    return messages;
  }
  if (isDirectory) {
    NSLog("Parlo: %s is a folder, not a chat file; the chat opens empty and cannot be saved",
          path_->c_str());
    return messages;
  }
  if (fileExisted) *fileExisted = true;

  std::string error = "it cannot be read";
  if (auto data = NSData::dataWithContentsOfFile(*path_)) {
    if (auto decoded = ChatFile::decode(data->span(), &error)) return decoded;
  }
  NSLog("Parlo: the chat file %s is damaged (%s); the chat opens empty", path_->c_str(),
        error.c_str());
  damagedFileInPlace_ = true;
  moveDamagedFileAside();
  return messages;
}

bool ChatStore::moveDamagedFileAside() {
  auto manager = NSFileManager::defaultManager();
  for (int attempt = 1; attempt <= 100 && damagedFileInPlace_; ++attempt) {
    const std::string aside =
        *path_ + (attempt == 1 ? ".damaged" : ".damaged-" + std::to_string(attempt));
    if (manager->fileExistsAtPath(aside)) continue;
    if (manager->moveItemAtPath(*path_, aside, nullptr)) {
      damagedFileInPlace_ = false;
      NSLog("Parlo: the damaged chat file is kept as %s", aside.c_str());
    }
  }
  return !damagedFileInPlace_;
}

bool ChatStore::saveChatData(const std::shared_ptr<NSArray>& messages) {
  if (!path_ || !messages) return false;
  if (damagedFileInPlace_ && !moveDamagedFileAside()) return false;

  auto manager = NSFileManager::defaultManager();
  const std::string directory = stringByDeletingLastPathComponent(*path_);
  if (!manager->fileExistsAtPath(directory)) {
    manager->createDirectoryAtPath(directory, false, nullptr, nullptr);
  }

  std::optional<std::vector<uint8_t>> bytes;
  if (pendingRemovals_.empty()) {
    bytes = ChatFile::encode(*messages);
  } else {
    std::unordered_set<const NSObject*> removed;
    for (const auto& [deleteID, records] : pendingRemovals_) {
      for (const id& record : records) removed.insert(record.get());
    }
    auto kept = NSMutableArray::arrayWithCapacity(messages->count());
    for (const id& record : messages->objects()) {
      if (!removed.contains(record.get())) kept->addObject(record);
    }
    bytes = ChatFile::encode(*kept);
  }
  if (bytes && DeviceRoot::writeFile(*path_, *bytes, true)) return true;
  const int error = errno;
  // The messages stay on the screen; the old file, if any, is whole.
  bool isDirectory = false;
  if (manager->fileExistsAtPath(*path_, &isDirectory) && isDirectory) {
    NSLog("Parlo: the chat is not saved: %s is a folder", path_->c_str());
  } else {
    NSLog("Parlo: the chat is not saved: %s cannot be written (%s)", path_->c_str(),
          bytes ? std::strerror(error) : "the messages cannot be archived");
  }
  return false;
}

void ChatStore::deleteChatData(const std::shared_ptr<NSMutableArray>& messages,
                               std::function<void()> didRemoveMessages) {
  // A damaged file the user never saw is kept aside, not removed with the chat.
  if (path_ && (!damagedFileInPlace_ || moveDamagedFileAside())) {
    NSFileManager::defaultManager()->removeItemAtPath(*path_, nullptr);
  }

  const uint64_t deleteID = nextDeleteID_++;
  pendingRemovals_[deleteID] = messages ? messages->objects() : std::vector<id>();
  // The block holds the store and the list while it waits, as the screen is held on the device.
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, int64_t(NSEC_PER_SEC / 2)),
                 dispatch_get_main_queue(),
                 [self = shared_from_this(), messages, deleteID, didRemoveMessages] {
                   auto entry = self->pendingRemovals_.extract(deleteID);
                   if (messages) {
                     std::unordered_set<const NSObject*> removed;
                     for (const id& record : entry.mapped()) removed.insert(record.get());
                     std::vector<id> kept;
                     for (const id& record : messages->objects()) {
                       if (!removed.contains(record.get())) kept.push_back(record);
                     }
                     messages->removeAllObjects();
                     for (const id& record : kept) messages->addObject(record);
                   }
                   if (didRemoveMessages) didRemoveMessages();
                 });
}
