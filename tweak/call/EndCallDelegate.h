#pragma once

// What the end page asks of its owner, the call window, when the user closes it.
class EndCallDelegate {
 public:
  virtual ~EndCallDelegate() = default;

  // The call is over: hide the window and tell the chat screen.
  virtual void finishedWithFakeCall() = 0;
};
