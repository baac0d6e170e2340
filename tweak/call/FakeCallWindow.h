#pragma once

// The staged call, in a window of its own just below alerts so that it lies over the host app and
// outlives navigation in it. An outgoing call shows "Calling..." until the other side joins after
// "joinCallDelay"; then the screen splits into the user's half (the camera, when turned on) and
// the other side's (their video, played by a tap on their picture), under a bar of controls. It
// shrinks into a draggable tile while the user goes on chatting, and after the hang-up shows the
// end page until the user closes it.
//
// One process-wide reference keeps the current window alive until its fade-out has finished, so
// the owner may let go as soon as it is told the call is over.

#include <memory>

#include "avfoundation/AVCaptureDevice.h"
#include "avfoundation/AVCaptureDeviceInput.h"
#include "avfoundation/AVCaptureSession.h"
#include "avfoundation/AVCaptureStillImageOutput.h"
#include "avfoundation/AVCaptureVideoPreviewLayer.h"
#include "avfoundation/AVPlayer.h"
#include "avfoundation/AVPlayerLayer.h"
#include "call/ActionButton.h"
#include "call/BeginCallView.h"
#include "call/CallContainerView.h"
#include "call/CallWindowDelegate.h"
#include "call/EndCallDelegate.h"
#include "call/EndCallView.h"
#include "call/ParloFloatingView.h"
#include "foundation/NSString.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UITapGestureRecognizer.h"
#include "uikit/UIWindow.h"

class FakeCallWindow : public UIWindow, public EndCallDelegate {
  OBJC_CLASS(FakeCallWindow, UIWindow);

 public:
  ~FakeCallWindow() override;

  // Builds the whole call; the window is not shown yet. An incoming call starts joined.
  std::shared_ptr<FakeCallWindow> initWithUsername(const std::shared_ptr<NSString>& username,
                                                   std::shared_ptr<UIImage> avatar,
                                                   bool isIncomingCall);

  // The window currently held by the process-wide reference, if any.
  static std::shared_ptr<FakeCallWindow> current();

  void showWithAnimation(bool animated);
  // Fades the window out over 0.3 s (at once when not animated), then drops the process-wide
  // reference to it.
  void hideWithAnimation(bool animated);

  void minimiseCallView();
  void maximiseCallView();
  void recipientAcceptedCall();

  // ---- The controls ----
  void facetimePressed();
  void microphonePressed();
  void volumePressed();
  void changeCameraPosition();
  // Hang-up: the end page with the call's duration.
  void dismissPressed();

  void playRecipientVideo();
  void recipientVideoEnd();

  // ---- EndCallDelegate ----
  // The end page was closed: the window fades out and tells its delegate.
  void finishedWithFakeCall() override;

  std::shared_ptr<AVCaptureDevice> getCameraDeviceWithPosition(AVCaptureDevicePosition position);
  static std::shared_ptr<NSString> timeWithFormat(const std::string& format);
  // "mm:ss" under an hour, "HH:mm:ss" from an hour on.
  static std::shared_ptr<NSString> timeFormatted(int totalSeconds);

  // Touches land on the window only where one of its views takes them, so a minimised call lets
  // the rest of the screen reach the app beneath.
  bool pointInside(CGPoint point, const std::shared_ptr<UIEvent>& event) override;

  // ---- Properties ----
  std::shared_ptr<NSString> username() const { return username_; }
  std::shared_ptr<UIImage> avatar() const { return avatar_; }
  std::shared_ptr<UIImage> profileAvatar() const { return profileAvatar_; }
  std::shared_ptr<ParloFloatingView> baseView() const { return baseView_; }
  std::shared_ptr<UIView> topBar() const { return topBar_; }
  std::shared_ptr<ActionButton> minimiseBtn() const { return minimiseBtn_; }
  std::shared_ptr<ActionButton> facetimeBtn() const { return facetimeBtn_; }
  std::shared_ptr<ActionButton> microphoneBtn() const { return microphoneBtn_; }
  std::shared_ptr<ActionButton> volumeBtn() const { return volumeBtn_; }
  std::shared_ptr<ActionButton> dismissBtn() const { return dismissBtn_; }
  std::shared_ptr<ActionButton> rotateBtn() const { return rotateBtn_; }
  std::shared_ptr<UIView> bottomBar() const { return bottomBar_; }
  std::shared_ptr<UIImageView> mediaImage() const { return mediaImage_; }
  std::shared_ptr<UIImageView> filterImage() const { return filterImage_; }
  std::shared_ptr<BeginCallView> beginCallView() const { return beginCallView_; }
  std::shared_ptr<EndCallView> endCallView() const { return endCallView_; }
  std::shared_ptr<NSString> startTime() const { return startTime_; }
  void setStartTime(std::shared_ptr<NSString> time) { startTime_ = std::move(time); }
  std::shared_ptr<NSString> endTime() const { return endTime_; }
  std::shared_ptr<CallContainerView> callerContainerView() const { return callerContainerView_; }
  std::shared_ptr<CallContainerView> recipientContainerView() const {
    return recipientContainerView_;
  }
  std::shared_ptr<UIView> cameraView() const { return cameraView_; }
  std::shared_ptr<AVCaptureSession> captureSession() const { return captureSession_; }
  std::shared_ptr<AVCaptureDeviceInput> captureDeviceInput() const { return captureDeviceInput_; }
  std::shared_ptr<AVCaptureStillImageOutput> captureStillImageOutput() const {
    return captureStillImageOutput_;
  }
  std::shared_ptr<AVCaptureVideoPreviewLayer> captureVideoPreviewLayer() const {
    return captureVideoPreviewLayer_;
  }
  std::shared_ptr<UIView> videoView() const { return videoView_; }
  std::shared_ptr<AVPlayer> recipientPlayer() const { return player_; }
  std::shared_ptr<AVPlayerLayer> recipientPlayerLayer() const { return playerLayer_; }
  bool isIncomingCall() const { return isIncomingCall_; }
  double joinDelay() const { return joinDelay_; }
  bool isCameraOn() const { return cameraOn_; }
  bool isMicrophoneMuted() const { return microphoneMuted_; }
  bool isSpeakerMuted() const { return speakerMuted_; }
  bool hasJoined() const { return joined_; }
  bool hasEnded() const { return ended_; }
  // Weak: the chat screen that owns the window.
  std::shared_ptr<CallWindowDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<CallWindowDelegate>& delegate) { delegate_ = delegate; }

 private:
  void layoutBaseView();
  void layoutCallViews();
  void layoutTopBar();
  void layoutBottomBar();
  void setupCamera();
  void setupRecipientVideo();
  void scheduleJoin();
  // Sizes both halves, the camera and the video to the base view as it now is.
  void layoutHalves(bool minimised);
  std::shared_ptr<ActionButton> addControl(const char* icon, CGFloat iconSize, SEL action);
  // Stops the camera, the video and its observer: nothing of an ended call runs on.
  void stopMedia();

  std::shared_ptr<NSString> username_;
  std::shared_ptr<UIImage> avatar_;
  std::shared_ptr<UIImage> profileAvatar_;
  std::shared_ptr<ParloFloatingView> baseView_;
  std::shared_ptr<UIView> topBar_;
  std::shared_ptr<ActionButton> minimiseBtn_;
  std::shared_ptr<ActionButton> facetimeBtn_;
  std::shared_ptr<ActionButton> microphoneBtn_;
  std::shared_ptr<ActionButton> volumeBtn_;
  std::shared_ptr<ActionButton> dismissBtn_;
  std::shared_ptr<ActionButton> rotateBtn_;
  std::shared_ptr<UIView> bottomBar_;
  std::shared_ptr<UIImageView> mediaImage_;
  std::shared_ptr<UIImageView> filterImage_;
  std::shared_ptr<BeginCallView> beginCallView_;
  std::shared_ptr<EndCallView> endCallView_;
  std::shared_ptr<NSString> startTime_;
  std::shared_ptr<NSString> endTime_;
  std::shared_ptr<CallContainerView> callerContainerView_;
  std::shared_ptr<CallContainerView> recipientContainerView_;
  std::shared_ptr<UIView> cameraView_;
  std::shared_ptr<AVCaptureSession> captureSession_;
  std::shared_ptr<AVCaptureDeviceInput> captureDeviceInput_;
  std::shared_ptr<AVCaptureStillImageOutput> captureStillImageOutput_;
  std::shared_ptr<AVCaptureVideoPreviewLayer> captureVideoPreviewLayer_;
  std::shared_ptr<UIView> videoView_;
  std::shared_ptr<AVPlayer> player_;
  std::shared_ptr<AVPlayerLayer> playerLayer_;
  id videoEndObserver_;
  std::shared_ptr<UITapGestureRecognizer> maximiseTap_;
  std::weak_ptr<CallWindowDelegate> delegate_;
  bool isIncomingCall_ = false;
  double joinDelay_ = 5;
  bool cameraOn_ = false;
  bool microphoneMuted_ = false;
  bool speakerMuted_ = false;
  bool joined_ = false;
  bool ended_ = false;
};
