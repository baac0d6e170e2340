#pragma once

// What the input bar tells its owner, the chat screen. The bar holds it weakly, so a closed
// screen is released even while its bar lives on.

#include <memory>

#include "foundation/NSString.h"

class ParloChatInputViewDelegate {
 public:
  virtual ~ParloChatInputViewDelegate() = default;

  // "Send" was tapped with non-empty text: a message from the user.
  virtual void sendTextMessageFromSender(const std::shared_ptr<NSString>& text) = 0;
  // The camera icon was tapped with non-empty text: a message from the other user.
  virtual void sendTextMessageFromRecipient(const std::shared_ptr<NSString>& text) = 0;
  // After every edit by the user, once the bar has resized itself; `text` is the new text.
  virtual void chatInputViewDidChanged(const std::shared_ptr<NSString>& text) = 0;
};
