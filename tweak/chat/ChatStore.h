#pragma once

// ChatStore: the load, save and delete of one recipient's chat file, as the chat screen runs
// them on its `currentMessages`:
//
//   store_ = ChatStore::storeWithUsername(recipientUsernameString);
//   bool existed = false;
//   currentMessages = store_->loadChatData(&existed);            // layoutTableView
//   store_->saveChatData(currentMessages);                       // saveChatData
//   store_->deleteChatData(currentMessages, [weak] { reload });  // deleteChatData
//
// Everything runs on the main thread; the deferred half of a delete is a block on the main queue.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/NSArray.h"
#include "foundation/NSString.h"

class ChatStore : public std::enable_shared_from_this<ChatStore> {
 public:
  // A store for a nil user name reads nothing and writes nothing: such a chat has no file.
  static std::shared_ptr<ChatStore> storeWithUsername(std::shared_ptr<NSString> username);

  // The chat file's device path (ChatFile.h); nothing for a nil user name.
  const std::optional<std::string>& chatFilePath() const { return path_; }

  // A new list with the file's records, or empty when there is no file. A file that cannot be
  // decoded loads as an empty chat and is moved aside to "<file>.damaged" (then "-2", "-3", ...)
  // so that no later save replaces it. `fileExisted` tells the screen whether to scroll to the
  // last row.
  std::shared_ptr<NSMutableArray> loadChatData(bool* fileExisted = nullptr);

  // Creates the chat folder if nothing is at its path, then replaces the file atomically with
  // `messages`, less the records that a pending delete is about to remove. Returns whether the
  // file was written; false for a nil user name, a damaged file that could not be moved aside,
  // or a failed write (the old file then stays whole).
  bool saveChatData(const std::shared_ptr<NSArray>& messages);

  // Removes the file now, and 0.5 seconds later on the main queue removes from `messages` the
  // records it held at the time of the call and runs `didRemoveMessages` (the screen reloads its
  // table). Until then the screen still shows them, but a save writes the chat without them.
  void deleteChatData(const std::shared_ptr<NSMutableArray>& messages,
                      std::function<void()> didRemoveMessages);

  // Use storeWithUsername; public only so that make_shared can reach it.
  explicit ChatStore(std::shared_ptr<NSString> username);

 private:
  // Moves a damaged file out of the way; false when it is still in place.
  bool moveDamagedFileAside();

  std::shared_ptr<NSString> username_;
  std::optional<std::string> path_;
  // A damaged file that is still at the path: saving must not replace it.
  bool damagedFileInPlace_ = false;
  // The records of each delete whose deferred half has not run yet.
  std::map<uint64_t, std::vector<id>> pendingRemovals_;
  uint64_t nextDeleteID_ = 0;
};
