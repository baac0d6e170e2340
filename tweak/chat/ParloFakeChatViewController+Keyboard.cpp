// The input bar and how the screen makes room for the keyboard.

#include "chat/ParloFakeChatViewController.h"
#include "foundation/NSNotificationCenter.h"
#include "uikit/NSValue.h"
#include "uikit/UIKeyboard.h"

void ParloFakeChatViewController::layoutChatInputView() {
  const CGRect bounds = view()->bounds();
  chatInputView_ = ParloChatInputView::alloc()->initWithFrame(
      CGRectMake(0, bounds.size.height - 35 - 57, bounds.size.width, 52));
  chatInputView_->setDelegate(selfAs<ParloFakeChatViewController>());
  view()->addSubview(chatInputView_);
  addObserver();
}

void ParloFakeChatViewController::addObserver() {
  // The centre holds the screen weakly: a closed screen is released and hears nothing more.
  const auto center = NSNotificationCenter::defaultCenter();
  center->addObserver(self(), "handleKeyboardEvent:", UIKeyboardWillShowNotification, nullptr);
  center->addObserver(self(), "handleKeyboardEvent2:", UIKeyboardWillHideNotification, nullptr);
}

CGRect ParloFakeChatViewController::keyboardEndFrame(
    const std::shared_ptr<NSNotification>& notification) const {
  const auto& info = notification ? notification->userInfo() : nullptr;
  auto value =
      info ? std::dynamic_pointer_cast<NSValue>(info->objectForKey(UIKeyboardFrameEndUserInfoKey))
           : nullptr;
  if (!value) return CGRectZero;
  const auto root = viewIfLoaded();
  return root ? root->convertRectFromView(value->CGRectValue(), nullptr) : value->CGRectValue();
}

void ParloFakeChatViewController::setBottomInset(CGFloat bottom) {
  tableView_->setContentInset(UIEdgeInsetsMake(100, 0, bottom, 0));
}

void ParloFakeChatViewController::handleKeyboardEvent(
    std::shared_ptr<NSNotification> notification) {
  if (!chatInputView_) return;
  const CGRect keyboard = keyboardEndFrame(notification);
  const CGFloat h = chatInputView_->frame().size.height;
  keyboardHeight_ = keyboard.size.height;
  chatInputView_->setFrame(
      CGRectMake(0, CGRectGetMinY(keyboard) - h, view()->bounds().size.width, h));
  setBottomInset(keyboardHeight_ + h + 10);
  scrollToLastRow();
}

void ParloFakeChatViewController::handleKeyboardEvent2(
    std::shared_ptr<NSNotification> notification) {
  if (!chatInputView_) return;
  const CGRect bounds = view()->bounds();
  const CGFloat h = chatInputView_->frame().size.height;
  // The keyboard's height even as it goes: the next edit's inset still counts it.
  keyboardHeight_ = keyboardEndFrame(notification).size.height;
  chatInputView_->setFrame(CGRectMake(0, bounds.size.height - 35 - h, bounds.size.width, h));
  setBottomInset(95);
  scrollToLastRow();
}

void ParloFakeChatViewController::chatInputViewDidChanged(const std::shared_ptr<NSString>&) {
  setBottomInset(chatInputView_->frame().size.height + keyboardHeight_ + 10);
  scrollToLastRow();
}
