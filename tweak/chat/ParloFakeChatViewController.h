#pragma once

// The fake chat screen: a custom navigation bar, a table of messages under the other user's
// profile block, and the input bar from which the user writes as themself or as the other user.
// A double tap on a bubble likes it, a long press offers to delete it. The screen closes with the
// back arrow (or the video button) and then saves the chat unless "autoSaveMessage" is off.
//
// Nothing it hands itself to keeps it: the table, the input bar, the gesture recognisers and the
// notification centre all hold it weakly, so a closed screen is released and hears no more
// keyboard notifications.

#include <memory>
#include <string>
#include <unordered_map>

#include "call/FakeCallWindow.h"
#include "call/IncomingCallBanner.h"
#include "chat/IntroBannerView.h"
#include "chat/NavButton.h"
#include "chat/ParloChatInputView.h"
#include "foundation/NSArray.h"
#include "foundation/NSNotification.h"
#include "uikit/UIGestureRecognizer.h"
#include "uikit/UIImpactFeedbackGenerator.h"
#include "uikit/UITableView.h"
#include "uikit/UITouch.h"
#include "uikit/UIViewController.h"

class ChatDataModel;
class ChatStore;

class ParloFakeChatViewController : public UIViewController,
                                    public UITableViewDataSource,
                                    public UITableViewDelegate,
                                    public ParloChatInputViewDelegate,
                                    public CallWindowDelegate,
                                    public IncomingCallBannerDelegate {
  OBJC_CLASS(ParloFakeChatViewController, UIViewController);

 public:
  ~ParloFakeChatViewController() override;

  // Only keeps the two; everything else is set up when the view loads.
  std::shared_ptr<ParloFakeChatViewController> initWithUsername(
      const std::shared_ptr<NSString>& username, std::shared_ptr<UIImage> avatar);

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

  // ---- Build steps, in the order viewDidLoad runs them ----
  void layoutTableView();
  void layoutIntroBannerView();
  void layoutNavbarView();
  void layoutIncomingCallBanner();
  void layoutChatInputView();
  void addObserver();

  // ---- Actions ----
  // Ends a call under way or ringing, so that the saved chat holds its end; saves the chat when
  // "autoSaveMessage" is on (the default), then closes the screen.
  void dismissVC();
  void dismissChatInputView();
  void saveChatData();
  // Removes the chat file now and empties the list half a second later.
  void deleteChatData();

  // ---- Options menu (from a tap on the user name) ----
  void presentOptionsVC();
  // The settings screen, as a card sheet over the chat.
  void presentSettingVC();
  // The count editors; "SAVE" stores the text as typed and rewrites the counts line.
  void presentFollowersAlert();
  void presentPostsAlert();
  // Filled in by the call flow: an incoming call starts ringing, and the bar shows the call.
  // "Start incoming call" runs both after the stored incoming delay.
  void beginIncomingCall();
  void showCallStatus();
  // The call flow, from the bar's audio button, the "JOIN" pill and a started call's row.
  void beginAudioCall();
  void joinCallTapped();
  void joinTapGesture(std::shared_ptr<UIGestureRecognizer> recognizer);

  // ---- Calls (ParloFakeChatViewController+Call.cpp) ----
  // Makes the call window unless there is one already.
  void prepareFakeCallWindow();
  void hideCallStatus();
  // Dragging the ringing banner: it follows the finger, and letting go declines.
  void panGestureHandler(std::shared_ptr<UIGestureRecognizer> recognizer);
  // IncomingCallBannerDelegate
  void didCancelIncomingCallBanner() override;
  void didAcceptIncomingCallBanner() override;
  // CallWindowDelegate
  void finishedWithFakeCall() override;
  void didMinimiseCallWindow() override;
  void didMaximiseCallWindow() override;
  std::shared_ptr<FakeCallWindow> fakeCallWindow() const { return fakeCallWindow_; }
  bool didMinimiseFakeCallWindow() const { return didMinimiseFakeCallWindow_; }
  bool isIncomingCall() const { return isIncomingCall_; }
  std::shared_ptr<IncomingCallBanner> incomingCallBanner() const { return incomingCallBanner_; }
  // The banner is down, waiting for an answer.
  bool isRinging() const { return ringing_; }
  // Shows or hides the badges in the bar and in the profile block; `isVerified` stays as loaded.
  void updateVerificationStatus(bool verified);
  // Reads both counts from the store again and rewrites the profile block's counts line.
  void updateIntroBannerDetails();

  void likeTapGesture(std::shared_ptr<UIGestureRecognizer> recognizer);
  void contactsLongPressed(std::shared_ptr<UIGestureRecognizer> recognizer);
  void presentAlertWithTitle(const std::string& title, const std::string& subtitle, long row);

  void handleKeyboardEvent(std::shared_ptr<NSNotification> notification);
  void handleKeyboardEvent2(std::shared_ptr<NSNotification> notification);

  // The current date and time in the device's zone, in `format` ("HH:mm"), POSIX locale.
  static std::shared_ptr<NSString> timeWithFormat(const std::string& format);

  // ---- UITableViewDataSource / UITableViewDelegate ----
  long numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) override { return 1; }
  long numberOfRowsInSection(const std::shared_ptr<UITableView>& tableView, long section) override;
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                                         const IndexPath& indexPath) override;
  CGFloat heightForRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                  const IndexPath& indexPath) override;

  // ---- UIGestureRecognizerDelegate ----
  // Touches in the input bar and on buttons belong to them: the screen's tap (and a row's) must
  // not take them, or "Send" would put the keyboard away and the video button would not close.
  bool shouldReceiveTouch(std::shared_ptr<UIGestureRecognizer> recognizer,
                          std::shared_ptr<UITouch> touch);

  // ---- ParloChatInputViewDelegate ----
  void sendTextMessageFromSender(const std::shared_ptr<NSString>& text) override;
  void sendTextMessageFromRecipient(const std::shared_ptr<NSString>& text) override;
  void chatInputViewDidChanged(const std::shared_ptr<NSString>& text) override;

  // ---- Properties ----
  std::shared_ptr<NSString> recipientUsernameString() const { return recipientUsernameString_; }
  std::shared_ptr<UIImage> avatar() const { return avatar_; }
  std::shared_ptr<NSString> callerUsernameString() const { return callerUsernameString_; }
  std::shared_ptr<NSMutableArray> currentMessages() const { return currentMessages_; }
  std::shared_ptr<UITableView> tableView() const { return tableView_; }
  std::shared_ptr<UIView> bannerView() const { return bannerView_; }
  std::shared_ptr<IntroBannerView> introBannerView() const { return introBannerView_; }
  std::shared_ptr<ParloChatInputView> chatInputView() const { return chatInputView_; }
  double keyboardHeight() const { return keyboardHeight_; }
  bool autoSaveMessage() const { return autoSaveMessage_; }
  bool isVerified() const { return isVerified_; }
  bool followEachOther() const { return followEachOther_; }
  std::shared_ptr<NSString> introFollowSubtitle() const { return introFollowSubtitle_; }
  std::shared_ptr<NSString> followersCountString() const { return followersCountString_; }
  std::shared_ptr<NSString> postCountString() const { return postCountString_; }
  std::shared_ptr<UIView> navbarView() const { return navbarView_; }
  std::shared_ptr<NavButton> backBtn() const { return backBtn_; }
  std::shared_ptr<UIImageView> avatarImage() const { return avatarImage_; }
  std::shared_ptr<UILabel> usernameLabel() const { return usernameLabel_; }
  std::shared_ptr<UIImageView> verifiedImage() const { return verifiedImage_; }
  std::shared_ptr<NavButton> videoBtn() const { return videoBtn_; }
  std::shared_ptr<NavButton> audioBtn() const { return audioBtn_; }
  std::shared_ptr<UIView> joinCallView() const { return joinCallView_; }
  std::shared_ptr<UIImageView> joinIconImage() const { return joinIconImage_; }
  std::shared_ptr<UILabel> joinIconLabel() const { return joinIconLabel_; }
  std::shared_ptr<UIImpactFeedbackGenerator> haptic() const { return haptic_; }
  // The delay of the latest staged incoming call, in seconds.
  double incomingCallDelay() const { return incomingCallDelay_; }

 private:
  // The string stored under `key`, or `fallback` when there is none (or it is not a string).
  static std::shared_ptr<NSString> storedString(const std::string& key, const char* fallback);
  // The recipient's name as the per-recipient keys spell it.
  std::string recipientKeyName() const;
  // A count editor: "SAVE" stores the field's text under `key`.
  void presentCountAlert(const std::string& title, const std::string& message,
                         const std::string& placeholder, const std::string& key);

  // The record of a row, or nil for a row the list no longer has.
  std::shared_ptr<ChatDataModel> recordAt(long row) const;
  // The row under the recogniser's touch; -1 when the touch is on no row of the list.
  long rowUnder(const std::shared_ptr<UIGestureRecognizer>& recognizer) const;
  void scrollToLastRow();
  void setBottomInset(CGFloat bottom);
  // The keyboard's end frame in the root view's coordinates.
  CGRect keyboardEndFrame(const std::shared_ptr<NSNotification>& notification) const;
  void attachMessageGestures(const std::shared_ptr<UITableViewCell>& cell);
  void attachJoinGesture(const std::shared_ptr<UITableViewCell>& cell);

  std::shared_ptr<NSString> recipientUsernameString_;
  std::shared_ptr<UIImage> avatar_;
  std::shared_ptr<NSString> callerUsernameString_;
  std::shared_ptr<NSMutableArray> currentMessages_;
  std::shared_ptr<ChatStore> store_;
  std::shared_ptr<UITableView> tableView_;
  std::shared_ptr<UIView> bannerView_;
  std::shared_ptr<IntroBannerView> introBannerView_;
  std::shared_ptr<ParloChatInputView> chatInputView_;
  double keyboardHeight_ = 0;
  bool autoSaveMessage_ = true;
  bool isVerified_ = true;
  bool followEachOther_ = true;
  std::shared_ptr<NSString> introFollowSubtitle_;
  std::shared_ptr<NSString> followersCountString_;
  std::shared_ptr<NSString> postCountString_;
  std::shared_ptr<UIView> navbarView_;
  std::shared_ptr<NavButton> backBtn_;
  std::shared_ptr<UIImageView> avatarImage_;
  std::shared_ptr<UILabel> usernameLabel_;
  std::shared_ptr<UIImageView> verifiedImage_;
  std::shared_ptr<NavButton> videoBtn_;
  std::shared_ptr<NavButton> audioBtn_;
  std::shared_ptr<UIView> joinCallView_;
  std::shared_ptr<UIImageView> joinIconImage_;
  std::shared_ptr<UILabel> joinIconLabel_;
  std::shared_ptr<UIImpactFeedbackGenerator> haptic_;
  // Each record's last measured height, with what it was measured from; a long chat asks for
  // every height on every reload, and text is measured again only when one of these changed.
  struct MeasuredRow {
    std::shared_ptr<NSString> message;
    std::shared_ptr<NSString> messageType;
    bool showLike;
    CGFloat width;
    CGFloat height;
  };
  std::unordered_map<const ChatDataModel*, MeasuredRow> measuredRows_;
  // A call record of `type`, stamped with the time, appended and scrolled to.
  void appendCallRecord(std::string_view type, bool activeCall);
  void clearActiveCalls();
  // Closing the screen ends the call it runs and declines one that rings.
  void endCallsForClosing();
  std::shared_ptr<FakeCallWindow> fakeCallWindow_;
  bool didMinimiseFakeCallWindow_ = false;
  bool isIncomingCall_ = false;
  std::shared_ptr<IncomingCallBanner> incomingCallBanner_;
  bool ringing_ = false;
  // From the banner's drop until the call ends or is declined: no second call starts meanwhile.
  bool callUnderWay_ = false;
  bool closed_ = false;
  double incomingCallDelay_ = 0;
  double startY_ = 0;
};
