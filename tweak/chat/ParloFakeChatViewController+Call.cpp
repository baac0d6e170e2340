// The chat screen's side of a staged call: the outgoing call from the bar, the incoming call's
// banner, going back to a minimised call, and the call records each step appends.

#include "chat/ChatDataModel.h"
#include "chat/ParloFakeChatViewController.h"
#include "foundation/Dispatch.h"
#include "uikit/UIPanGestureRecognizer.h"

namespace {

CGRect hiddenBannerFrame(CGFloat width) {
  return CGRectMake(10, -100, width - 20, 100);
}
CGRect shownBannerFrame(CGFloat width) {
  return CGRectMake(10, 45, width - 20, 100);
}

}  // namespace

void ParloFakeChatViewController::appendCallRecord(std::string_view type, bool activeCall) {
  currentMessages_->addObject(ChatDataModel::alloc()->initWithMessage(
      timeWithFormat("HH:mm"), NSString::string(std::string(type)), true, false, activeCall));
  tableView_->reloadData();
  scrollToLastRow();
}

void ParloFakeChatViewController::clearActiveCalls() {
  for (const auto& object : *currentMessages_) {
    if (auto record = std::dynamic_pointer_cast<ChatDataModel>(object)) record->activeCall = false;
  }
}

// ---- The bar ----

void ParloFakeChatViewController::showCallStatus() {
  joinCallView_->setAlpha(1.0);
  audioBtn_->setAlpha(0);
  videoBtn_->setAlpha(0);
}

void ParloFakeChatViewController::hideCallStatus() {
  joinCallView_->setAlpha(0);
  audioBtn_->setAlpha(1.0);
  videoBtn_->setAlpha(1.0);
}

// ---- Outgoing ----

void ParloFakeChatViewController::prepareFakeCallWindow() {
  if (fakeCallWindow_) return;
  fakeCallWindow_ =
      FakeCallWindow::alloc()->initWithUsername(recipientUsernameString_, avatar_, isIncomingCall_);
  fakeCallWindow_->setDelegate(selfAs<ParloFakeChatViewController>());
}

void ParloFakeChatViewController::beginAudioCall() {
  // A ringing banner would stay down under the call, with nothing to answer it.
  if (ringing_ || closed_) return;
  callUnderWay_ = true;
  prepareFakeCallWindow();
  fakeCallWindow_->showWithAnimation(true);
  std::weak_ptr<ParloFakeChatViewController> weakSelf = selfAs<ParloFakeChatViewController>();
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 200000000), dispatch_get_main_queue(),
                 [weakSelf] {
                   auto self = weakSelf.lock();
                   // Unless the call was over that quickly.
                   if (self && self->fakeCallWindow_) self->showCallStatus();
                 });
  appendCallRecord(ChatMessageType::OutgoingStartCall, true);
}

// ---- Incoming ----

void ParloFakeChatViewController::layoutIncomingCallBanner() {
  incomingCallBanner_ = IncomingCallBanner::alloc()->initWithFrame(
      CGRectZero, callerUsernameString_, recipientUsernameString_);
  incomingCallBanner_->setDelegate(selfAs<ParloFakeChatViewController>());
  view()->addSubview(incomingCallBanner_);
  incomingCallBanner_->setFrame(hiddenBannerFrame(view()->bounds().size.width));
  auto pan = UIPanGestureRecognizer::alloc()->initWithTarget(self(), "panGestureHandler:");
  pan->setDelegate(self());
  incomingCallBanner_->addGestureRecognizer(pan);
}

void ParloFakeChatViewController::beginIncomingCall() {
  // One call at a time: a second "Start incoming call" while one rings or runs is let go, rather
  // than dropping a second banner over the call or making a second window.
  if (callUnderWay_ || closed_) return;
  callUnderWay_ = true;
  ringing_ = true;
  auto banner = incomingCallBanner_;
  const CGRect shown = shownBannerFrame(view()->bounds().size.width);
  UIView::animateWithDuration(0.3, [banner, shown] { banner->setFrame(shown); });
  std::weak_ptr<ParloFakeChatViewController> weakSelf = selfAs<ParloFakeChatViewController>();
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 200000000), dispatch_get_main_queue(),
                 [weakSelf] {
                   auto self = weakSelf.lock();
                   if (!self || self->closed_) return;
                   self->appendCallRecord(ChatMessageType::IncomingStartCall, true);
                 });
}

void ParloFakeChatViewController::didAcceptIncomingCallBanner() {
  if (!ringing_) return;
  ringing_ = false;
  auto banner = incomingCallBanner_;
  const CGRect hidden = hiddenBannerFrame(view()->bounds().size.width);
  UIView::animateWithDuration(0.2, [banner, hidden] { banner->setFrame(hidden); });
  std::weak_ptr<ParloFakeChatViewController> weakSelf = selfAs<ParloFakeChatViewController>();
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 600000000), dispatch_get_main_queue(),
                 [weakSelf] {
                   auto self = weakSelf.lock();
                   // Closed meanwhile: the call was ended with the screen.
                   if (!self || self->closed_ || !self->callUnderWay_) return;
                   self->isIncomingCall_ = true;
                   self->prepareFakeCallWindow();
                   self->fakeCallWindow_->showWithAnimation(true);
                 });
}

void ParloFakeChatViewController::didCancelIncomingCallBanner() {
  if (!ringing_) return;
  ringing_ = false;
  callUnderWay_ = false;
  auto banner = incomingCallBanner_;
  const CGRect hidden = hiddenBannerFrame(view()->bounds().size.width);
  UIView::animateWithDuration(0.2, [banner, hidden] { banner->setFrame(hidden); });
  clearActiveCalls();
  isIncomingCall_ = false;
  appendCallRecord(ChatMessageType::IncomingEndedCall, false);
  hideCallStatus();
}

void ParloFakeChatViewController::panGestureHandler(
    std::shared_ptr<UIGestureRecognizer> recognizer) {
  auto pan = std::dynamic_pointer_cast<UIPanGestureRecognizer>(recognizer);
  auto banner = incomingCallBanner_;
  if (!pan || !banner) return;
  const auto state = pan->state();
  // Letting go declines wherever the finger is: a release below the limit would otherwise
  // leave the banner stopped part way down, still ringing.
  if (state == UIGestureRecognizerStateEnded || state == UIGestureRecognizerStateCancelled) {
    pan->setTranslation(CGPointZero, banner);
    didCancelIncomingCallBanner();
    return;
  }
  const CGFloat y = banner->center().y + pan->translationInView(banner).y;
  // The banner's centre goes no lower than this; the finger may.
  if (y > 225) return;
  banner->setCenter(CGPointMake(view()->center().x, static_cast<CGFloat>(static_cast<long>(y))));
  pan->setTranslation(CGPointZero, banner);
}

// ---- The call window ----

void ParloFakeChatViewController::finishedWithFakeCall() {
  clearActiveCalls();
  appendCallRecord(
      isIncomingCall_ ? ChatMessageType::IncomingEndedCall : ChatMessageType::OutgoingEndedCall,
      false);
  didMinimiseFakeCallWindow_ = false;
  fakeCallWindow_.reset();
  isIncomingCall_ = false;
  callUnderWay_ = false;
  hideCallStatus();
}

void ParloFakeChatViewController::didMinimiseCallWindow() {
  didMinimiseFakeCallWindow_ = true;
}

void ParloFakeChatViewController::didMaximiseCallWindow() {
  didMinimiseFakeCallWindow_ = false;
}

void ParloFakeChatViewController::joinCallTapped() {
  if (didMinimiseFakeCallWindow_ && fakeCallWindow_) fakeCallWindow_->maximiseCallView();
}

void ParloFakeChatViewController::joinTapGesture(std::shared_ptr<UIGestureRecognizer> recognizer) {
  if (recognizer->state() != UIGestureRecognizerStateEnded) return;
  auto record = recordAt(rowUnder(recognizer));
  if (!record || !record->activeCall) return;
  if (didMinimiseFakeCallWindow_ && fakeCallWindow_) fakeCallWindow_->maximiseCallView();
}

void ParloFakeChatViewController::endCallsForClosing() {
  if (closed_) return;
  if (ringing_) didCancelIncomingCallBanner();
  // The window goes with the screen, so the saved chat holds the call's end.
  if (fakeCallWindow_) {
    auto window = fakeCallWindow_;
    window->finishedWithFakeCall();
  } else if (callUnderWay_) {
    // Accepted, and the window not made yet.
    clearActiveCalls();
    appendCallRecord(ChatMessageType::IncomingEndedCall, false);
    callUnderWay_ = false;
    hideCallStatus();
  }
  closed_ = true;
}
