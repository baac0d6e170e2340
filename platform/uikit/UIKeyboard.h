#pragma once

// The on-screen keyboard. It comes up when a text input (UITextView, UITextField) becomes first
// responder and goes down when no text input is first responder any more; focus moving from one
// text input to another keeps it up and posts nothing.
//
// It lives in a window of its own above every other (the platform's keyboard window level),
// 336 points tall across the bottom of the screen, the bottom safe inset (34) included: on the
// 390 x 844 screen its frame is {{0, 508}, {390, 336}}. Showing slides it up from just below the
// screen in 0.25 s: UIKeyboardWillShowNotification is posted at once, inside that animation (so
// that what observers move goes along with the keyboard), and UIKeyboardDidShowNotification when
// it has arrived. Hiding posts UIKeyboardWillHideNotification and, 0.25 s later,
// UIKeyboardDidHideNotification. Each carries the frames below in screen coordinates; the
// notifications' object is nil.

#include <memory>
#include <string>
#include <string_view>

#include "foundation/NSNotification.h"
#include "quartz/CGGeometry.h"
#include "uikit/Forward.h"

inline const NSNotificationName UIKeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline const NSNotificationName UIKeyboardDidShowNotification = "UIKeyboardDidShowNotification";
inline const NSNotificationName UIKeyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline const NSNotificationName UIKeyboardDidHideNotification = "UIKeyboardDidHideNotification";

// User info: NSValue (CGRect) frames, NSNumber duration in seconds (0.25) and animation curve
// (7, the keyboard's own curve, as the platform reports it).
inline constexpr std::string_view UIKeyboardFrameBeginUserInfoKey =
    "UIKeyboardFrameBeginUserInfoKey";
inline constexpr std::string_view UIKeyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";
inline constexpr std::string_view UIKeyboardAnimationDurationUserInfoKey =
    "UIKeyboardAnimationDurationUserInfoKey";
inline constexpr std::string_view UIKeyboardAnimationCurveUserInfoKey =
    "UIKeyboardAnimationCurveUserInfoKey";

class UIKeyboard {
 public:
  static constexpr double kHeight = 336;
  static constexpr double kAnimationDuration = 0.25;
  static constexpr long kAnimationCurve = 7;
  // Above alerts: a text field in an alert types through it too.
  static constexpr double kWindowLevel = 10000000;

  static UIKeyboard& shared();

  bool isVisible() const { return visible_; }
  // Where the keyboard is (or is going): on screen while visible, else just below the screen.
  CGRect frameInScreen() const;
  // The keyboard's window; nil until it first comes up.
  std::shared_ptr<UIWindow> window() const { return window_; }

  // Keys, sent to the first responder when it is a text input (else they do nothing).
  // One insertion per user-perceived character.
  void type(const std::string& utf8);
  // Puts the text on the general pasteboard and pastes it: one insertion of the whole text.
  void paste(const std::string& utf8);
  // A line break in a text view; textFieldShouldReturn: in a text field.
  void pressReturn();
  // The selection, else the character before the caret; while composing, the last character of
  // the marked text.
  void pressBackspace();
  // Composing input: replaces the marked text (caret at its end); unmarkText commits it as a
  // typed insertion, which the input's delegate is asked about.
  void setMarkedText(const std::string& utf8);
  void unmarkText();

  // ---- For text inputs ----
  // Brings the keyboard up or down to match the first responder.
  void firstResponderDidChange();
  // Held while a text input takes first responder from another, so that the first one resigning
  // does not send the keyboard down on the way.
  class FocusTransfer {
   public:
    FocusTransfer();
    ~FocusTransfer();
    FocusTransfer(const FocusTransfer&) = delete;
    FocusTransfer& operator=(const FocusTransfer&) = delete;
  };

 private:
  UIKeyboard() = default;

  std::shared_ptr<UIResponder> currentInputResponder() const;
  void show();
  void hide();
  void ensureWindow();
  CGRect shownFrame() const;
  CGRect hiddenFrame() const;

  bool visible_ = false;
  int transfers_ = 0;
  // Tells a finished slide whether it is still the latest one.
  unsigned long generation_ = 0;
  std::shared_ptr<UIWindow> window_;
};
