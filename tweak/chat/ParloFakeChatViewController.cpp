#include "chat/ParloFakeChatViewController.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatRowHeights.h"
#include "chat/ChatStore.h"
#include "chat/ChatTimeCell.h"
#include "chat/IncomingCallEndedCell.h"
#include "chat/IncomingCallStartedCell.h"
#include "chat/IncomingChatCell.h"
#include "chat/OutgoingCallEndedCell.h"
#include "chat/OutgoingCallStartedCell.h"
#include "chat/OutgoingChatCell.h"
#include "chat/UIColor+Appearance.h"
#include "foundation/NSDate.h"
#include "foundation/NSDateFormatter.h"
#include "foundation/NSLocale.h"
#include "foundation/NSLog.h"
#include "foundation/NSTimeZone.h"
#include "settings/SettingKeys.h"
#include "settings/SettingManager.h"
#include "uikit/UIAlertAction.h"
#include "uikit/UIAlertController.h"
#include "uikit/UILongPressGestureRecognizer.h"
#include "uikit/UINavigationController.h"
#include "uikit/UITapGestureRecognizer.h"

namespace {

template <class Cell>
std::shared_ptr<Cell> dequeue(const std::shared_ptr<UITableView>& table, const std::string& id) {
  if (auto cell = std::dynamic_pointer_cast<Cell>(table->dequeueReusableCellWithIdentifier(id))) {
    return cell;
  }
  return Cell::alloc()->initWithStyle(UITableViewCellStyleDefault, id);
}

std::shared_ptr<UILabel> likeLabelOf(const std::shared_ptr<UIView>& view) {
  if (auto cell = std::dynamic_pointer_cast<OutgoingChatCell>(view)) return cell->likeLabel();
  if (auto cell = std::dynamic_pointer_cast<IncomingChatCell>(view)) return cell->likeLabel();
  return nullptr;
}

}  // namespace

std::shared_ptr<NSString> ParloFakeChatViewController::storedString(const std::string& key,
                                                                    const char* fallback) {
  auto value = std::dynamic_pointer_cast<NSString>(
      SettingManager::sharedInstance()->objectForKey(key, NSString::string(fallback)));
  return value ? value : NSString::string(fallback);
}

std::string ParloFakeChatViewController::recipientKeyName() const {
  return recipientUsernameString_ ? recipientUsernameString_->UTF8String() : "";
}

// The notification centre holds its observers weakly and forgets them once they are gone, so
// nothing is left to unregister here.
ParloFakeChatViewController::~ParloFakeChatViewController() = default;

std::shared_ptr<ParloFakeChatViewController> ParloFakeChatViewController::initWithUsername(
    const std::shared_ptr<NSString>& username, std::shared_ptr<UIImage> avatar) {
  UIViewController::init();
  recipientUsernameString_ = username;
  avatar_ = std::move(avatar);
  NSLog("init custom");
  return selfAs<ParloFakeChatViewController>();
}

void ParloFakeChatViewController::viewDidLoad() {
  UIViewController::viewDidLoad();
  view()->setBackgroundColor(UIColor::systemBackgroundColor());

  const std::string name = recipientKeyName();
  callerUsernameString_ = storedString("profileUsername", "Your Username");
  followersCountString_ = storedString(SettingKeys::followersCount(name), "35.5K");
  postCountString_ = storedString(SettingKeys::postCount(name), "5.3K");
  isVerified_ = SettingManager::sharedInstance()->boolForKey(SettingKeys::isVerified(name), true);

  layoutTableView();
  layoutIntroBannerView();
  layoutNavbarView();
  layoutIncomingCallBanner();
  layoutChatInputView();

  auto dismissTap = UITapGestureRecognizer::alloc()->initWithTarget(self(), "dismissChatInputView");
  dismissTap->setDelegate(self());
  view()->addGestureRecognizer(dismissTap);
}

void ParloFakeChatViewController::viewWillAppear(bool animated) {
  UIViewController::viewWillAppear(animated);
  if (auto navigation = navigationController()) navigation->setNavigationBarHidden(true, false);
}

void ParloFakeChatViewController::traitCollectionDidChange(
    const std::shared_ptr<UITraitCollection>& previous) {
  UIViewController::traitCollectionDidChange(previous);
  if (avatarImage_) {
    avatarImage_->layer()->setBorderColor(::Appearance::avatarBorder()
                                              ->resolvedColorWithTraitCollection(traitCollection())
                                              ->CGColor());
  }
}

// ---- Table ----

void ParloFakeChatViewController::layoutTableView() {
  store_ = ChatStore::storeWithUsername(recipientUsernameString_);
  bool fileExisted = false;
  currentMessages_ = store_->loadChatData(&fileExisted);

  const auto root = view();
  const CGRect bounds = root->bounds();
  tableView_ = UITableView::alloc()->initWithFrame(bounds);
  tableView_->setEditing(false);
  tableView_->setBackgroundColor(UIColor::clearColor());
  tableView_->setSeparatorStyle(UITableViewCellSeparatorStyleNone);
  tableView_->setContentInset(UIEdgeInsetsMake(100, 0, 95, 0));
  tableView_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentNever);
  root->addSubview(tableView_);
  auto self = selfAs<ParloFakeChatViewController>();
  tableView_->setDataSource(self);
  tableView_->setDelegate(self);

  // Hides the rows that pass behind the input bar.
  auto cover = UIView::alloc()->init();
  cover->setBackgroundColor(UIColor::systemBackgroundColor());
  root->addSubview(cover);
  Layout::width(cover, bounds.size.width);
  Layout::height(cover, 95);
  Layout::x(cover, root->centerXAnchor());
  Layout::bottom(cover, root->bottomAnchor(), 0);

  bannerView_ = UIView::alloc()->initWithFrame(CGRectMake(0, 0, bounds.size.width, 278));
  bannerView_->setBackgroundColor(UIColor::clearColor());
  tableView_->setTableHeaderView(bannerView_);

  if (fileExisted && currentMessages_->count() > 0) scrollToLastRow();
}

long ParloFakeChatViewController::numberOfRowsInSection(const std::shared_ptr<UITableView>&, long) {
  return currentMessages_ ? static_cast<long>(currentMessages_->count()) : 0;
}

std::shared_ptr<ChatDataModel> ParloFakeChatViewController::recordAt(long row) const {
  if (!currentMessages_ || row < 0 || row >= static_cast<long>(currentMessages_->count())) {
    return nullptr;
  }
  return std::dynamic_pointer_cast<ChatDataModel>(
      currentMessages_->objectAtIndex(static_cast<NSUInteger>(row)));
}

std::shared_ptr<UITableViewCell> ParloFakeChatViewController::cellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& table, const IndexPath& indexPath) {
  UITableViewCell::appearance()->setSelectedBackgroundView([] {
    auto clear = UIView::alloc()->init();
    clear->setBackgroundColor(UIColor::clearColor());
    return clear;
  }());

  auto record = recordAt(indexPath->row());
  const auto is = [&](std::string_view type) { return record && record->isType(type); };
  std::shared_ptr<UITableViewCell> cell;
  if (is(ChatMessageType::TimeHeader)) {
    auto time = dequeue<ChatTimeCell>(table, "ChatTimeCell");
    time->timeLabel()->setText(record->message);
    cell = time;
  } else if (is(ChatMessageType::Outgoing)) {
    auto outgoing = dequeue<OutgoingChatCell>(table, "OutgoingCell");
    outgoing->textLabel()->setText(record->message);
    outgoing->likeView()->setAlpha(record->showLike ? 1 : 0);
    attachMessageGestures(outgoing);
    cell = outgoing;
  } else if (is(ChatMessageType::Incoming)) {
    auto incoming = dequeue<IncomingChatCell>(table, "IncomingCell");
    incoming->textLabel()->setText(record->message);
    incoming->avatarImage()->setImage(avatar_);
    incoming->avatarImage()->setAlpha(record->showAvatar ? 1 : 0);
    incoming->likeView()->setAlpha(record->showLike ? 1 : 0);
    attachMessageGestures(incoming);
    cell = incoming;
  } else if (is(ChatMessageType::OutgoingStartCall) || is(ChatMessageType::IncomingStartCall)) {
    std::shared_ptr<CallRecordCell> call;
    if (is(ChatMessageType::OutgoingStartCall)) {
      call = dequeue<OutgoingCallStartedCell>(table, "OutgoingStartCallCell");
    } else {
      auto incoming = dequeue<IncomingCallStartedCell>(table, "IncomingCallStartedCell");
      incoming->avatarImage()->setImage(avatar_);
      call = incoming;
    }
    if (record->activeCall) {
      call->timeLabel()->setText("Tap to join");
      call->iconView()->setBackgroundColor(::Appearance::activeCall());
    } else {
      call->timeLabel()->setText(record->message);
      call->iconView()->setBackgroundColor(::Appearance::callIconBackground());
    }
    attachJoinGesture(call);
    cell = call;
  } else if (is(ChatMessageType::OutgoingEndedCall)) {
    auto ended = dequeue<OutgoingCallEndedCell>(table, "OutgoingEndedCallCell");
    ended->timeLabel()->setText(record->message);
    cell = ended;
  } else {
    // Ended incoming calls, and any type this screen does not know.
    auto ended = dequeue<IncomingCallEndedCell>(table, "IncomingCallEndedCell");
    ended->timeLabel()->setText(record ? record->message : nullptr);
    ended->avatarImage()->setImage(avatar_);
    cell = ended;
  }
  cell->setBackgroundColor(UIColor::clearColor());
  return cell;
}

// A reused cell keeps the recognisers it was given, so they are attached once per cell: more
// copies would each fire for one double tap, liking and unliking in the same gesture.
void ParloFakeChatViewController::attachMessageGestures(
    const std::shared_ptr<UITableViewCell>& cell) {
  if (!cell->gestureRecognizers().empty()) return;
  auto like = UITapGestureRecognizer::alloc()->initWithTarget(self(), "likeTapGesture:");
  like->setNumberOfTapsRequired(2);
  like->setDelegate(self());
  cell->addGestureRecognizer(like);
  auto press =
      UILongPressGestureRecognizer::alloc()->initWithTarget(self(), "contactsLongPressed:");
  press->setMinimumPressDuration(0.3);
  press->setDelegate(self());
  cell->addGestureRecognizer(press);
}

void ParloFakeChatViewController::attachJoinGesture(const std::shared_ptr<UITableViewCell>& cell) {
  if (!cell->gestureRecognizers().empty()) return;
  auto join = UITapGestureRecognizer::alloc()->initWithTarget(self(), "joinTapGesture:");
  join->setNumberOfTapsRequired(1);
  join->setDelegate(self());
  cell->addGestureRecognizer(join);
}

CGFloat ParloFakeChatViewController::heightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                             const IndexPath& indexPath) {
  auto record = recordAt(indexPath->row());
  if (!record) return 73;
  const CGFloat width = view()->bounds().size.width;
  auto found = measuredRows_.find(record.get());
  if (found != measuredRows_.end()) {
    const MeasuredRow& row = found->second;
    if (row.message == record->message && row.messageType == record->messageType &&
        row.showLike == record->showLike && row.width == width) {
      return row.height;
    }
  }
  // Rows of records that left the list are forgotten now and then.
  if (measuredRows_.size() > 2 * currentMessages_->count() + 64) measuredRows_.clear();
  const CGFloat height = ChatRowHeights::heightForRecord(*record, width);
  measuredRows_[record.get()] = {record->message, record->messageType, record->showLike, width,
                                 height};
  return height;
}

void ParloFakeChatViewController::scrollToLastRow() {
  if (!currentMessages_ || currentMessages_->count() == 0) return;
  tableView_->scrollToRowAtIndexPath(
      NSIndexPath::indexPathForRow(static_cast<long>(currentMessages_->count()) - 1, 0),
      UITableViewScrollPositionBottom, true);
}

bool ParloFakeChatViewController::shouldReceiveTouch(std::shared_ptr<UIGestureRecognizer>,
                                                     std::shared_ptr<UITouch> touch) {
  const auto touched = touch ? touch->view() : nullptr;
  if (touched && chatInputView_ && touched->isDescendantOfView(chatInputView_)) return false;
  for (auto view = touched; view; view = view->superview()) {
    if (std::dynamic_pointer_cast<UIControl>(view)) return false;
  }
  return true;
}

// ---- Sending ----

void ParloFakeChatViewController::sendTextMessageFromSender(const std::shared_ptr<NSString>& text) {
  currentMessages_->addObject(ChatDataModel::alloc()->initWithMessage(
      text, NSString::string(ChatMessageType::Outgoing), false, false, false));
  tableView_->reloadData();
  scrollToLastRow();
}

void ParloFakeChatViewController::sendTextMessageFromRecipient(
    const std::shared_ptr<NSString>& text) {
  // Only the latest of a run of incoming messages shows the avatar.
  for (const auto& object : *currentMessages_) {
    if (auto record = std::dynamic_pointer_cast<ChatDataModel>(object)) record->showAvatar = false;
  }
  currentMessages_->addObject(ChatDataModel::alloc()->initWithMessage(
      text, NSString::string(ChatMessageType::Incoming), true, false, false));
  tableView_->reloadData();
  scrollToLastRow();
}

// ---- Like and delete ----

long ParloFakeChatViewController::rowUnder(
    const std::shared_ptr<UIGestureRecognizer>& recognizer) const {
  const auto indexPath = tableView_->indexPathForRowAtPoint(recognizer->locationInView(tableView_));
  if (!indexPath || !recordAt(indexPath->row())) return -1;
  return indexPath->row();
}

void ParloFakeChatViewController::likeTapGesture(std::shared_ptr<UIGestureRecognizer> recognizer) {
  if (recognizer->state() != UIGestureRecognizerStateEnded) return;
  const long row = rowUnder(recognizer);
  auto record = recordAt(row);
  if (!record) return;

  if (!record->showLike) {
    record->showLike = true;
    haptic_ = UIImpactFeedbackGenerator::alloc()->initWithStyle(UIImpactFeedbackStyleLight);
    haptic_->impactOccurred();
  } else {
    record->showLike = false;
  }
  auto table = tableView_;
  UIView::transitionWithView(
      table, 0.2, UIViewAnimationOptionTransitionCrossDissolve, [table] { table->reloadData(); },
      nullptr);

  auto heart = likeLabelOf(tableView_->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0)));
  if (!heart) return;
  UIView::animateWithDuration(
      0.5, [heart] { heart->setTransform(CGAffineTransformMakeScale(1.5, 1.5)); },
      [heart](bool) {
        UIView::animateWithDuration(0.2,
                                    [heart] { heart->setTransform(CGAffineTransformIdentity); });
      });
}

void ParloFakeChatViewController::contactsLongPressed(
    std::shared_ptr<UIGestureRecognizer> recognizer) {
  if (recognizer->state() != UIGestureRecognizerStateBegan) return;
  const long row = rowUnder(recognizer);
  if (row < 0) return;
  presentAlertWithTitle("Delete Action", "Are you sure you want to delete this message?", row);
}

void ParloFakeChatViewController::presentAlertWithTitle(const std::string& title,
                                                        const std::string& subtitle, long row) {
  auto alert =
      UIAlertController::alertControllerWithTitle(title, subtitle, UIAlertControllerStyleAlert);
  std::weak_ptr<ParloFakeChatViewController> weakSelf = selfAs<ParloFakeChatViewController>();
  // The record, not only its row: the list may change while the alert is up (a delete of the
  // chat data empties it), and then nothing must be removed.
  std::weak_ptr<ChatDataModel> target = recordAt(row);
  alert->addAction(UIAlertAction::actionWithTitle(
      "Delete", UIAlertActionStyleDefault, [weakSelf, row, target](const auto&) {
        auto self = weakSelf.lock();
        auto record = target.lock();
        if (!self || !record || self->recordAt(row) != record) return;
        self->currentMessages_->removeObjectAtIndex(static_cast<NSUInteger>(row));
        self->tableView_->reloadData();
      }));
  alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleDefault, nullptr));
  presentViewController(alert, true, nullptr);
}

// ---- Closing ----

void ParloFakeChatViewController::saveChatData() {
  if (store_ && currentMessages_) store_->saveChatData(currentMessages_);
}

void ParloFakeChatViewController::dismissVC() {
  endCallsForClosing();
  autoSaveMessage_ = SettingManager::sharedInstance()->boolForKey("autoSaveMessage", true);
  if (autoSaveMessage_) saveChatData();
  dismissViewControllerAnimated(true, nullptr);
}

void ParloFakeChatViewController::dismissChatInputView() {
  if (chatInputView_) chatInputView_->textView()->resignFirstResponder();
}

std::shared_ptr<NSString> ParloFakeChatViewController::timeWithFormat(const std::string& format) {
  auto formatter = NSDateFormatter::formatter();
  formatter->setDateFormat(format);
  formatter->setLocale(NSLocale::localeWithLocaleIdentifier("en_US_POSIX"));
  formatter->setTimeZone(NSTimeZone::localTimeZone());
  return NSString::string(formatter->stringFromDate(*NSDate::date()));
}

OBJC_CLASS_IMPL(ParloFakeChatViewController) {
  c.method("gestureRecognizer:shouldReceiveTouch:",
           &ParloFakeChatViewController::shouldReceiveTouch)
      .method("dismissVC", &ParloFakeChatViewController::dismissVC)
      .method("dismissChatInputView", &ParloFakeChatViewController::dismissChatInputView)
      .method("saveChatData", &ParloFakeChatViewController::saveChatData)
      .method("deleteChatData", &ParloFakeChatViewController::deleteChatData)
      .method("presentOptionsVC", &ParloFakeChatViewController::presentOptionsVC)
      .method("presentSettingVC", &ParloFakeChatViewController::presentSettingVC)
      .method("presentFollowersAlert", &ParloFakeChatViewController::presentFollowersAlert)
      .method("presentPostsAlert", &ParloFakeChatViewController::presentPostsAlert)
      .method("beginIncomingCall", &ParloFakeChatViewController::beginIncomingCall)
      .method("showCallStatus", &ParloFakeChatViewController::showCallStatus)
      .method("beginAudioCall", &ParloFakeChatViewController::beginAudioCall)
      .method("joinCallTapped", &ParloFakeChatViewController::joinCallTapped)
      .method("joinTapGesture:", &ParloFakeChatViewController::joinTapGesture)
      .method("panGestureHandler:", &ParloFakeChatViewController::panGestureHandler)
      .method("likeTapGesture:", &ParloFakeChatViewController::likeTapGesture)
      .method("contactsLongPressed:", &ParloFakeChatViewController::contactsLongPressed)
      .method("handleKeyboardEvent:", &ParloFakeChatViewController::handleKeyboardEvent)
      .method("handleKeyboardEvent2:", &ParloFakeChatViewController::handleKeyboardEvent2)
      .method("updateVerificationStatus:", &ParloFakeChatViewController::updateVerificationStatus)
      .method("updateIntroBannerDetails", &ParloFakeChatViewController::updateIntroBannerDetails);
}
