#pragma once

// What the ringing banner tells the chat screen that owns it.
class IncomingCallBannerDelegate {
 public:
  virtual ~IncomingCallBannerDelegate() = default;

  virtual void didCancelIncomingCallBanner() = 0;
  virtual void didAcceptIncomingCallBanner() = 0;
};
