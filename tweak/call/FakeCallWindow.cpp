#include "call/FakeCallWindow.h"

#include <cmath>
#include <limits>

#include "BrisvaleKit/UIView+Layout.h"
#include "avfoundation/AVMediaFormat.h"
#include "avfoundation/AVPlayerItem.h"
#include "foundation/Dispatch.h"
#include "foundation/NSDate.h"
#include "foundation/NSDateFormatter.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSLocale.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/NSTimeZone.h"
#include "foundation/NSURL.h"
#include "quartz/CATransaction.h"
#include "settings/SettingManager.h"
#include "uikit/UIScreen.h"

namespace {

constexpr const char* kAssets = "/var/LIY/Application Support/Parlo.bundle/Assets/";

std::shared_ptr<UIImage> asset(const char* name) {
  return UIImage::imageWithContentsOfFile(std::string(kAssets) + name);
}

// The window of the call under way, or fading out. Never destroyed: a call still open when the
// process exits must not be torn down after the notification centre and the application.
std::shared_ptr<FakeCallWindow>& currentWindow() {
  static auto* window = new std::shared_ptr<FakeCallWindow>();
  return *window;
}

// Seconds as a dispatch delta; a delay too long for the clock waits for ever.
int64_t nanosecondsFromSeconds(double seconds) {
  const double nanoseconds = seconds * static_cast<double>(NSEC_PER_SEC);
  if (std::isnan(nanoseconds) || nanoseconds <= 0) return 0;
  if (nanoseconds >= 9.2e18) return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(nanoseconds);
}

}  // namespace

FakeCallWindow::~FakeCallWindow() {
  if (videoEndObserver_) NSNotificationCenter::defaultCenter()->removeObserver(videoEndObserver_);
  if (captureSession_ && captureSession_->isRunning()) captureSession_->stopRunning();
}

std::shared_ptr<FakeCallWindow> FakeCallWindow::current() {
  return currentWindow();
}

std::shared_ptr<FakeCallWindow> FakeCallWindow::initWithUsername(
    const std::shared_ptr<NSString>& username, std::shared_ptr<UIImage> avatar,
    bool isIncomingCall) {
  username_ = username;
  avatar_ = std::move(avatar);
  isIncomingCall_ = isIncomingCall;
  profileAvatar_ = UIImage::imageWithData(std::dynamic_pointer_cast<NSData>(
      SettingManager::sharedInstance()->objectForKey("profileAvatar")));

  UIWindow::initWithFrame(UIScreen::mainScreen()->bounds());
  auto self = selfAs<FakeCallWindow>();
  setBackgroundColor(UIColor::clearColor());
  setWindowLevel(UIWindowLevelAlert - 1.0);
  currentWindow() = self;

  startTime_ = timeWithFormat("HH:mm:ss");

  layoutBaseView();
  layoutCallViews();
  setupCamera();
  setupRecipientVideo();
  layoutTopBar();
  layoutBottomBar();
  baseView_->layoutIfNeeded();

  // The store answers whole seconds, and the fallback for a missing or zero delay.
  joinDelay_ =
      static_cast<double>(SettingManager::sharedInstance()->floatForKey("joinCallDelay", 5));
  if (isIncomingCall_) {
    recipientAcceptedCall();
  } else {
    scheduleJoin();
  }
  return self;
}

void FakeCallWindow::layoutBaseView() {
  baseView_ = ParloFloatingView::alloc()->init();
  baseView_->setBackgroundColor(UIColor::blackColor());
  baseView_->setResizeEnabled(false);
  baseView_->setSmallSize(frame().size);
  baseView_->setPadding(UIEdgeInsetsZero);
  baseView_->setDraggingEnabled(false);
  addSubview(baseView_);
  baseView_->setPosition(ParloFloatingViewPositionTopRight, false);
  layoutIfNeeded();
}

void FakeCallWindow::layoutCallViews() {
  const CGRect bounds = baseView_->bounds();
  const CGFloat w = bounds.size.width, h = bounds.size.height;
  auto self = selfAs<FakeCallWindow>();

  if (!isIncomingCall_) {
    beginCallView_ =
        BeginCallView::alloc()->initWithFrame(bounds, username_, avatar_, profileAvatar_);
    baseView_->addSubview(beginCallView_);
  }

  endCallView_ = EndCallView::alloc()->initWithFrame(bounds, avatar_);
  endCallView_->setDelegate(std::static_pointer_cast<EndCallDelegate>(self));
  endCallView_->setAlpha(0);
  baseView_->addSubview(endCallView_);

  callerContainerView_ = CallContainerView::alloc()->initWithFrame(
      CGRectMake(0, 0, w, h * 0.5), profileAvatar_, NSString::string(""));
  callerContainerView_->setAlpha(0);
  baseView_->addSubview(callerContainerView_);

  recipientContainerView_ = CallContainerView::alloc()->initWithFrame(
      CGRectMake(0, h - h * 0.5, w, h * 0.5), avatar_, username_);
  recipientContainerView_->setAlpha(0);
  recipientContainerView_->avatarImage()->setUserInteractionEnabled(true);
  recipientContainerView_->avatarImage()->addGestureRecognizer(
      UITapGestureRecognizer::alloc()->initWithTarget(self, "playRecipientVideo"));
  baseView_->addSubview(recipientContainerView_);

  cameraView_ = UIView::alloc()->initWithFrame(CGRectMake(0, 0, w, h * 0.5));
  cameraView_->setAlpha(0);
  callerContainerView_->addSubview(cameraView_);

  videoView_ = UIView::alloc()->initWithFrame(CGRectMake(0, 0, w, h * 0.5));
  videoView_->setAlpha(0);
  videoView_->setClipsToBounds(true);
  recipientContainerView_->addSubview(videoView_);
}

std::shared_ptr<ActionButton> FakeCallWindow::addControl(const char* icon, CGFloat iconSize,
                                                         SEL action) {
  auto button = ActionButton::alloc()->initWithIcon(icon, iconSize, action);
  // The recogniser takes the tap, and in taking it cancels the control's own touch-up, so each
  // tap runs the action once.
  button->addGestureRecognizer(UITapGestureRecognizer::alloc()->initWithTarget(self(), action));
  topBar_->addSubview(button);
  Layout::size(button, 40, 40);
  Layout::bottom(button, topBar_->bottomAnchor(), 0);
  return button;
}

void FakeCallWindow::layoutTopBar() {
  const CGFloat width = frame().size.width;
  topBar_ = UIView::alloc()->init();
  baseView_->addSubview(topBar_);
  Layout::size(topBar_, width, 90);
  Layout::x(topBar_, baseView_->centerXAnchor());
  Layout::top(topBar_, baseView_->topAnchor(), 0);

  // Between the halves and the bars, as the strip lies over the camera.
  filterImage_ = UIImageView::alloc();
  filterImage_->init();
  filterImage_->setImage(asset("side-filter.png"));
  filterImage_->setAlpha(0);
  baseView_->addSubview(filterImage_);
  Layout::size(filterImage_, 42.9, 155);
  Layout::y(filterImage_, baseView_->centerYAnchor());
  Layout::leading(filterImage_, baseView_->leadingAnchor(), 20);

  minimiseBtn_ = addControl("minimise.png", 50, "minimiseCallView");
  Layout::leading(minimiseBtn_, topBar_->leadingAnchor(), 30);
  facetimeBtn_ = addControl("facetime-off.png", 45, "facetimePressed");
  Layout::leading(facetimeBtn_, minimiseBtn_->trailingAnchor(), 30);
  microphoneBtn_ = addControl("microphone.png", 45, "microphonePressed");
  Layout::x(microphoneBtn_, topBar_->centerXAnchor());
  volumeBtn_ = addControl("volume.png", 45, "volumePressed");
  Layout::leading(volumeBtn_, microphoneBtn_->trailingAnchor(), 30);
  rotateBtn_ = addControl("facetime-rotate.png", 45, "changeCameraPosition");
  Layout::leading(rotateBtn_, microphoneBtn_->trailingAnchor(), 30);
  rotateBtn_->setAlpha(0);
  dismissBtn_ = addControl("dismiss.png", 50, "dismissPressed");
  Layout::trailing(dismissBtn_, topBar_->trailingAnchor(), -30);
}

void FakeCallWindow::layoutBottomBar() {
  bottomBar_ = UIView::alloc()->init();
  bottomBar_->setBackgroundColor(UIColor::clearColor());
  bottomBar_->setAlpha(0);
  baseView_->addSubview(bottomBar_);
  Layout::size(bottomBar_, frame().size.width, 120);
  Layout::x(bottomBar_, baseView_->centerXAnchor());
  Layout::bottom(bottomBar_, baseView_->bottomAnchor(), 0);

  mediaImage_ = UIImageView::alloc();
  mediaImage_->init();
  mediaImage_->setImage(asset("bottom-media.png"));
  bottomBar_->addSubview(mediaImage_);
  Layout::size(mediaImage_, 110.29, 62);
  Layout::top(mediaImage_, bottomBar_->topAnchor(), 5);
  Layout::trailing(mediaImage_, bottomBar_->trailingAnchor(), -25);
}

void FakeCallWindow::setupCamera() {
  captureSession_ = AVCaptureSession::alloc();
  if (captureSession_->canSetSessionPreset(AVCaptureSessionPreset1280x720)) {
    captureSession_->setSessionPreset(AVCaptureSessionPreset1280x720);
  }
  auto device = getCameraDeviceWithPosition(AVCaptureDevicePositionFront);
  if (!device) return;
  std::shared_ptr<NSError> error;
  auto input = AVCaptureDeviceInput::alloc()->initWithDevice(device, &error);
  if (error || !input) return;
  captureDeviceInput_ = input;

  captureStillImageOutput_ = AVCaptureStillImageOutput::alloc();
  captureStillImageOutput_->setOutputSettings(NSDictionary::dictionaryWithObject(
      NSString::string(AVVideoCodecJPEG), NSString::string(AVVideoCodecKey)));
  if (captureSession_->canAddInput(captureDeviceInput_))
    captureSession_->addInput(captureDeviceInput_);
  if (captureSession_->canAddOutput(captureStillImageOutput_)) {
    captureSession_->addOutput(captureStillImageOutput_);
  }

  captureVideoPreviewLayer_ = AVCaptureVideoPreviewLayer::alloc()->initWithSession(captureSession_);
  captureVideoPreviewLayer_->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
  captureVideoPreviewLayer_->setFrame(cameraView_->bounds());
  cameraView_->layer()->addSublayer(captureVideoPreviewLayer_);
}

void FakeCallWindow::setupRecipientVideo() {
  const auto folders =
      NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true);
  const std::string documents = folders.empty() ? "" : folders.back();
  auto item =
      AVPlayerItem::playerItemWithURL(NSURL::fileURLWithPath(documents + "/fakecall-video.mp4"));
  player_ = AVPlayer::playerWithPlayerItem(item);
  player_->setVolume(1.0);
  playerLayer_ = AVPlayerLayer::playerLayerWithPlayer(player_);
  playerLayer_->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
  playerLayer_->setFrame(videoView_->bounds());
  videoView_->layer()->addSublayer(playerLayer_);

  // Only this call's video: another player's end (a movie in the chat, the settings' preview)
  // must not hide it.
  std::weak_ptr<FakeCallWindow> weakSelf = selfAs<FakeCallWindow>();
  videoEndObserver_ = NSNotificationCenter::defaultCenter()->addObserverForName(
      AVPlayerItemDidPlayToEndTimeNotification, item, nullptr,
      [weakSelf](const std::shared_ptr<NSNotification>&) {
        auto self = weakSelf.lock();
        if (!self || !self->player_) return;
        self->player_->seekToTime(kCMTimeZero);
        self->recipientVideoEnd();
      });
}

void FakeCallWindow::scheduleJoin() {
  std::weak_ptr<FakeCallWindow> weakSelf = selfAs<FakeCallWindow>();
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, nanosecondsFromSeconds(joinDelay_)),
                 dispatch_get_main_queue(), [weakSelf] {
                   auto self = weakSelf.lock();
                   // A call hung up while "Calling..." stays on its end page.
                   if (!self || self->ended_) return;
                   self->recipientAcceptedCall();
                 });
}

// ---- Showing and hiding ----

void FakeCallWindow::showWithAnimation(bool) {
  makeKeyAndVisible();
}

void FakeCallWindow::hideWithAnimation(bool animated) {
  auto self = selfAs<FakeCallWindow>();
  UIView::animateWithDuration(
      animated ? 0.3 : 0, [self] { self->setAlpha(0); },
      [self](bool) {
        self->setHidden(true);
        // A newer call's window, made while this one faded, keeps its own reference.
        if (currentWindow() == self) currentWindow().reset();
      });
}

// ---- Joining ----

void FakeCallWindow::recipientAcceptedCall() {
  joined_ = true;
  if (beginCallView_) beginCallView_->setAlpha(0);
  bottomBar_->setAlpha(1.0);
  callerContainerView_->setAlpha(1.0);
  recipientContainerView_->setAlpha(1.0);
}

// ---- Controls ----

void FakeCallWindow::facetimePressed() {
  cameraOn_ = !cameraOn_;
  cameraView_->setAlpha(cameraOn_ ? 1.0 : 0);
  if (cameraOn_) {
    captureSession_->startRunning();
  } else {
    captureSession_->stopRunning();
  }
  filterImage_->setAlpha(cameraOn_ ? 1.0 : 0);
  facetimeBtn_->icon()->setImage(asset(cameraOn_ ? "facetime-on.png" : "facetime-off.png"));
  volumeBtn_->setAlpha(cameraOn_ ? 0 : 1.0);
  volumeBtn_->setEnabled(!cameraOn_);
  rotateBtn_->setAlpha(cameraOn_ ? 1.0 : 0);
  rotateBtn_->setEnabled(cameraOn_);
}

void FakeCallWindow::microphonePressed() {
  microphoneMuted_ = !microphoneMuted_;
  microphoneBtn_->icon()->setImage(
      asset(microphoneMuted_ ? "microphone-disabled.png" : "microphone.png"));
}

void FakeCallWindow::volumePressed() {
  speakerMuted_ = !speakerMuted_;
  volumeBtn_->icon()->setImage(asset(speakerMuted_ ? "volume-disabled.png" : "volume.png"));
}

void FakeCallWindow::changeCameraPosition() {
  // Without a camera there is nothing to turn.
  if (!captureDeviceInput_) return;
  const AVCaptureDevicePosition current = captureDeviceInput_->device()->position();
  const AVCaptureDevicePosition next =
      (current == AVCaptureDevicePositionFront || current == AVCaptureDevicePositionUnspecified)
          ? AVCaptureDevicePositionBack
          : AVCaptureDevicePositionFront;
  auto device = getCameraDeviceWithPosition(next);
  std::shared_ptr<NSError> error;
  auto input = device ? AVCaptureDeviceInput::alloc()->initWithDevice(device, &error) : nullptr;
  // The current camera stays when the other one cannot be had, rather than leaving the
  // session with none.
  if (!input) return;
  captureSession_->beginConfiguration();
  captureSession_->removeInput(captureDeviceInput_);
  if (captureSession_->canAddInput(input)) {
    captureSession_->addInput(input);
    captureDeviceInput_ = input;
  } else {
    captureSession_->addInput(captureDeviceInput_);
  }
  captureSession_->commitConfiguration();
}

void FakeCallWindow::dismissPressed() {
  if (ended_) return;
  ended_ = true;
  endTime_ = timeWithFormat("HH:mm:ss");
  auto parser = NSDateFormatter::formatter();
  parser->setDateFormat("HH:mm:ss");
  auto start = startTime_ ? parser->dateFromString(startTime_->UTF8String()) : nullptr;
  auto end = parser->dateFromString(endTime_->UTF8String());

  stopMedia();

  callerContainerView_->setAlpha(0);
  recipientContainerView_->setAlpha(0);
  topBar_->setAlpha(0);
  bottomBar_->setAlpha(0);
  filterImage_->setAlpha(0);
  if (beginCallView_) beginCallView_->setAlpha(0);

  endCallView_->beginAnimation();
  int seconds = (start && end) ? static_cast<int>(end->timeIntervalSinceDate(*start)) : 0;
  // Times of day only: a call that went past midnight ends "before" it began.
  if (seconds < 0) seconds += 24 * 60 * 60;
  endCallView_->durationLabel()->setText(timeFormatted(seconds));
  endCallView_->setAlpha(1.0);
}

void FakeCallWindow::stopMedia() {
  if (player_) player_->pause();
  if (captureSession_ && captureSession_->isRunning()) captureSession_->stopRunning();
}

// ---- The other side's video ----

void FakeCallWindow::playRecipientVideo() {
  if (ended_ || !player_) return;
  videoView_->setAlpha(1.0);
  player_->play();
}

void FakeCallWindow::recipientVideoEnd() {
  videoView_->setAlpha(0);
}

// ---- Ending ----

void FakeCallWindow::finishedWithFakeCall() {
  auto self = selfAs<FakeCallWindow>();
  stopMedia();
  if (videoEndObserver_) {
    NSNotificationCenter::defaultCenter()->removeObserver(videoEndObserver_);
    videoEndObserver_.reset();
  }
  if (playerLayer_) playerLayer_->setPlayer(nullptr);
  player_.reset();
  hideWithAnimation(true);
  if (auto delegate = delegate_.lock()) delegate->finishedWithFakeCall();
}

// ---- Minimised and maximised ----

void FakeCallWindow::layoutHalves(bool minimised) {
  const CGRect frame = baseView_->frame();
  const CGFloat w = frame.size.width, h = frame.size.height;
  recipientContainerView_->setFrame(CGRectMake(0, h - h * 0.5, w, h * 0.5));
  callerContainerView_->setFrame(CGRectMake(0, 0, w, h * 0.5));
  if (minimised) {
    recipientContainerView_->updateMinimiseView();
    callerContainerView_->updateMinimiseView();
  } else {
    recipientContainerView_->updateMaximiseView();
    callerContainerView_->updateMaximiseView();
  }

  CATransaction::begin();
  CATransaction::setDisableActions(true);
  const CGRect camera =
      minimised ? CGRectMake(0, 0, 110, 100)
                : CGRectMake(0, 0, this->frame().size.width, this->frame().size.height * 0.5);
  cameraView_->setFrame(camera);
  if (captureVideoPreviewLayer_) captureVideoPreviewLayer_->setFrame(camera);
  videoView_->setFrame(CGRectMake(0, 0, w, h * 0.5));
  playerLayer_->setFrame(videoView_->bounds());
  CATransaction::commit();
}

void FakeCallWindow::minimiseCallView() {
  baseView_->setSmallSize(CGSizeMake(110, 200));
  baseView_->setPadding(UIEdgeInsetsMake(110, 10, 100, 10));
  baseView_->setDraggingEnabled(true);
  baseView_->layer()->setCornerRadius(10);
  baseView_->layer()->setBorderWidth(0.4);
  baseView_->layer()->setBorderColor(UIColor::colorWithRed(0.72, 0.72, 0.72, 0.7)->CGColor());
  baseView_->refreshAnimated(false);

  topBar_->setAlpha(0);
  bottomBar_->setAlpha(0);
  layoutHalves(true);

  if (maximiseTap_) baseView_->removeGestureRecognizer(maximiseTap_);
  maximiseTap_ = UITapGestureRecognizer::alloc()->initWithTarget(self(), "maximiseCallView");
  baseView_->addGestureRecognizer(maximiseTap_);
  if (cameraOn_) filterImage_->setAlpha(0);
  if (auto delegate = delegate_.lock()) delegate->didMinimiseCallWindow();
}

void FakeCallWindow::maximiseCallView() {
  baseView_->setSmallSize(frame().size);
  baseView_->setPadding(UIEdgeInsetsZero);
  baseView_->setDraggingEnabled(false);
  baseView_->layer()->setCornerRadius(0);
  baseView_->layer()->setBorderWidth(0);
  baseView_->layer()->setBorderColor(UIColor::clearColor()->CGColor());
  baseView_->refreshAnimated(false);

  // The end page has no bars: they stay hidden on a call that has been hung up.
  if (!ended_) {
    topBar_->setAlpha(1.0);
    bottomBar_->setAlpha(joined_ ? 1.0 : 0);
  }
  layoutHalves(false);

  if (maximiseTap_) {
    baseView_->removeGestureRecognizer(maximiseTap_);
    maximiseTap_.reset();
  }
  filterImage_->setAlpha(cameraOn_ && !ended_ ? 1.0 : 0);
  if (auto delegate = delegate_.lock()) delegate->didMaximiseCallWindow();
}

bool FakeCallWindow::pointInside(CGPoint point, const std::shared_ptr<UIEvent>& event) {
  auto me = selfAs<UIView>();
  for (const auto& subview : subviews()) {
    if (subview->hitTest(subview->convertPointFromView(point, me), event)) return true;
  }
  return false;
}

// ---- Helpers ----

std::shared_ptr<AVCaptureDevice> FakeCallWindow::getCameraDeviceWithPosition(
    AVCaptureDevicePosition position) {
  for (const auto& device : AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo)) {
    if (device->position() == position) return device;
  }
  return nullptr;
}

std::shared_ptr<NSString> FakeCallWindow::timeWithFormat(const std::string& format) {
  auto formatter = NSDateFormatter::formatter();
  formatter->setLocale(NSLocale::localeWithLocaleIdentifier("en_US_POSIX"));
  formatter->setTimeZone(NSTimeZone::localTimeZone());
  formatter->setDateFormat(format);
  return NSString::string(formatter->stringFromDate(*NSDate::date()));
}

std::shared_ptr<NSString> FakeCallWindow::timeFormatted(int totalSeconds) {
  const int hours = totalSeconds / 3600;
  const int minutes = (totalSeconds / 60) % 60;
  const int seconds = totalSeconds % 60;
  if (totalSeconds >= 3600) {
    return NSString::stringWithFormat("%02d:%02d:%02d", hours, minutes, seconds);
  }
  return NSString::stringWithFormat("%02d:%02d", minutes, seconds);
}

OBJC_CLASS_IMPL(FakeCallWindow) {
  c.method("minimiseCallView", &FakeCallWindow::minimiseCallView)
      .method("maximiseCallView", &FakeCallWindow::maximiseCallView)
      .method("recipientAcceptedCall", &FakeCallWindow::recipientAcceptedCall)
      .method("facetimePressed", &FakeCallWindow::facetimePressed)
      .method("microphonePressed", &FakeCallWindow::microphonePressed)
      .method("volumePressed", &FakeCallWindow::volumePressed)
      .method("changeCameraPosition", &FakeCallWindow::changeCameraPosition)
      .method("dismissPressed", &FakeCallWindow::dismissPressed)
      .method("playRecipientVideo", &FakeCallWindow::playRecipientVideo)
      .method("recipientVideoEnd", &FakeCallWindow::recipientVideoEnd)
      .method("finishedWithFakeCall", &FakeCallWindow::finishedWithFakeCall);
}
