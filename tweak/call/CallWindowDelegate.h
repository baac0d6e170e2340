#pragma once

// What the call window tells the chat screen that owns it.
class CallWindowDelegate {
 public:
  virtual ~CallWindowDelegate() = default;

  // The end page was closed: the window is fading out and the call is over.
  virtual void finishedWithFakeCall() = 0;
  virtual void didMinimiseCallWindow() = 0;
  virtual void didMaximiseCallWindow() = 0;
};
