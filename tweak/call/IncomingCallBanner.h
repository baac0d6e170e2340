#pragma once

// The banner of a ringing call: the caller's and the recipient's names over a dark blur, the
// app's icon with "Instagram Audio...", and a red decline and a blue accept button on the right.
// It only draws itself and reports the two taps; the chat screen shows, hides and drags it.

#include <memory>

#include "call/IncomingCallBannerDelegate.h"
#include "foundation/NSString.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIVisualEffectView.h"

class IncomingCallBanner : public UIView {
  OBJC_CLASS(IncomingCallBanner, UIView);

 public:
  std::shared_ptr<IncomingCallBanner> initWithFrame(
      CGRect frame, const std::shared_ptr<NSString>& callerUsername,
      const std::shared_ptr<NSString>& recipientUsername);

  // The taps on the round buttons (their icons included).
  void didTappedCancel();
  void didTappedAccept();

  // ---- Properties ----
  // Weak: the chat screen that owns the banner.
  std::shared_ptr<IncomingCallBannerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<IncomingCallBannerDelegate>& delegate) {
    delegate_ = delegate;
  }
  std::shared_ptr<UIVisualEffectView> blurEffectView() const { return blurEffectView_; }
  std::shared_ptr<UIView> acceptView() const { return acceptView_; }
  std::shared_ptr<UIView> cancelView() const { return cancelView_; }
  std::shared_ptr<UIImageView> acceptIcon() const { return acceptIcon_; }
  std::shared_ptr<UIImageView> cancelIcon() const { return cancelIcon_; }
  std::shared_ptr<UILabel> recipientUsername() const { return recipientUsername_; }
  std::shared_ptr<UILabel> callerUsername() const { return callerUsername_; }
  std::shared_ptr<UILabel> subtitle() const { return subtitle_; }
  std::shared_ptr<UIImageView> iconImage() const { return iconImage_; }

 private:
  std::weak_ptr<IncomingCallBannerDelegate> delegate_;
  std::shared_ptr<UIVisualEffectView> blurEffectView_;
  std::shared_ptr<UIView> acceptView_;
  std::shared_ptr<UIView> cancelView_;
  std::shared_ptr<UIImageView> acceptIcon_;
  std::shared_ptr<UIImageView> cancelIcon_;
  std::shared_ptr<UILabel> recipientUsername_;
  std::shared_ptr<UILabel> callerUsername_;
  std::shared_ptr<UILabel> subtitle_;
  std::shared_ptr<UIImageView> iconImage_;
};
