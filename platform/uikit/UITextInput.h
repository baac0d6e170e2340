#pragma once

// What the keyboard needs of a text input (the platform's UIKeyInput, the marked-text part of
// UITextInput and the traits of UITextInputTraits), and the editing that UITextView and
// UITextField share. Every range and index counts UTF-16 code units, as NSString does.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/NSRange.h"
#include "uikit/Forward.h"

enum UIKeyboardType : long {
  UIKeyboardTypeDefault = 0,
  UIKeyboardTypeASCIICapable = 1,
  UIKeyboardTypeNumbersAndPunctuation = 2,
  UIKeyboardTypeURL = 3,
  UIKeyboardTypeNumberPad = 4,
  UIKeyboardTypePhonePad = 5,
  UIKeyboardTypeNamePhonePad = 6,
  UIKeyboardTypeEmailAddress = 7,
  UIKeyboardTypeDecimalPad = 8,
  UIKeyboardTypeTwitter = 9,
  UIKeyboardTypeWebSearch = 10,
};

enum UIReturnKeyType : long {
  UIReturnKeyDefault = 0,
  UIReturnKeyGo = 1,
  UIReturnKeyGoogle = 2,
  UIReturnKeyJoin = 3,
  UIReturnKeyNext = 4,
  UIReturnKeyRoute = 5,
  UIReturnKeySearch = 6,
  UIReturnKeySend = 7,
  UIReturnKeyYahoo = 8,
  UIReturnKeyDone = 9,
  UIReturnKeyEmergencyCall = 10,
  UIReturnKeyContinue = 11,
};

enum UIKeyboardAppearance : long {
  UIKeyboardAppearanceDefault = 0,
  UIKeyboardAppearanceDark = 1,
  UIKeyboardAppearanceLight = 2,
};

// The user-perceived characters (extended grapheme clusters) of the text, in order: "👍🏽" and
// a flag are one each, as is "e" followed by a combining accent.
std::vector<std::string> UITextGraphemes(std::string_view utf8);
// The start of the user-perceived character that ends at `index`; 0 at the start.
size_t UITextPreviousCharacterBoundary(std::u16string_view text, size_t index);

// A responder that takes typing. The keyboard sends every key to the first responder through
// these; each edit asks the owner first (shouldReplaceText, where its delegate may refuse or do
// the edit itself), then changes the text, moves the selection and tells the owner.
class UITextInput {
 public:
  virtual ~UITextInput() = default;

  // ---- Keys ----
  bool hasText() const { return !editingText().empty(); }
  // Replaces the marked text, else the selection, and puts the caret after the new text.
  void insertText(std::string_view utf8);
  // Deletes the selection, else the character before the caret. While composing, the keyboard
  // takes the last character off the marked text instead, as an input method does.
  void deleteBackward();
  // The return key: a line break in a text view; a text field asks its delegate.
  virtual void returnKeyPressed() = 0;

  // ---- Selection and marked (composing) text ----
  NSRange selectedRange() const { return selectedRange_; }
  // Clamped to the text; an end inside a surrogate pair moves before the pair.
  void setSelectedRange(NSRange range);
  // nullopt when nothing is being composed.
  std::optional<NSRange> markedTextRange() const { return markedRange_; }
  // The marked text itself; empty when nothing is being composed.
  std::string markedText() const;
  // Replaces the marked text (else the selection) with `utf8`, marked; `selectedRange` is the
  // selection inside it. Empty text ends the composition.
  void setMarkedText(std::string_view utf8, NSRange selectedRange);
  // Commits the marked text as it stands.
  void unmarkText();

  // The platform's paste: the general pasteboard's string as one insertion.
  void pasteFromPasteboard();

  // Whether keys reach it: a text view that is only selectable takes focus without a keyboard.
  virtual bool acceptsTyping() const { return true; }

  // ---- Traits the keyboard reads when the input takes focus ----
  UIKeyboardType keyboardType() const { return keyboardType_; }
  void setKeyboardType(UIKeyboardType type) { keyboardType_ = type; }
  UIReturnKeyType returnKeyType() const { return returnKeyType_; }
  void setReturnKeyType(UIReturnKeyType type) { returnKeyType_ = type; }
  UIKeyboardAppearance keyboardAppearance() const { return keyboardAppearance_; }
  void setKeyboardAppearance(UIKeyboardAppearance appearance) { keyboardAppearance_ = appearance; }

 protected:
  // The owner's text as it stands, in UTF-16.
  virtual std::u16string editingText() const = 0;
  // Asks the delegate; false when it refused (it may have changed the text itself).
  virtual bool shouldReplaceText(NSRange range, const std::string& replacement) = 0;
  // Changes the stored text only: no delegate, no notification.
  virtual void replaceText(NSRange range, std::u16string_view replacement) = 0;
  // After an edit by the user, once the selection is in place.
  virtual void editingDidChangeText() = 0;
  virtual void editingDidChangeSelection() = 0;
  // Keeps the owner alive while its delegate runs (a delegate may release it).
  virtual std::shared_ptr<void> retainForEditing() = 0;

  // ---- Focus: the steps of the owner's responder overrides ----
  // Asks the delegate; false when it refused.
  virtual bool shouldBeginEditing() = 0;
  virtual bool shouldEndEditing() = 0;
  // Tells the delegate, the targets and the notification centre.
  virtual void didBeginEditing() = 0;
  virtual void didEndEditing() = 0;
  // Taking focus: once, only in a window, the delegate first; the keyboard comes up (or stays)
  // once editing has begun. `becomeResponder` is the superclass's becomeFirstResponder.
  bool takeFocus(UIView& owner, const std::function<bool()>& becomeResponder);
  // Giving it up: the delegate first; marked text is committed as it stands and the keyboard
  // goes down unless another text input takes focus. `resignResponder` is the superclass's.
  bool giveUpFocus(UIView& owner, const std::function<bool()>& resignResponder);
  // An input that leaves its window gives up focus.
  static void resignOutsideWindow(UIView& owner);
  // A single tap on the input is its own: true when it keeps such a recogniser of another view
  // from beginning, as long as `takesTaps`.
  static bool keepsTapFrom(const UIView& owner,
                           const std::shared_ptr<UIGestureRecognizer>& recognizer, bool takesTaps);

  // For the owner when its text is set in code: the caret goes to the end, composing ends.
  void resetEditingState(size_t length);
  void setSelectedRangeQuietly(NSRange range) { selectedRange_ = range; }
  void clearMarkedRange() { markedRange_.reset(); }

 private:
  // The edit itself; false when the owner refused it.
  bool replace(NSRange range, std::string_view utf8, bool marked, NSRange selectionInside);
  NSRange clampedToText(NSRange range) const;

  NSRange selectedRange_{0, 0};
  std::optional<NSRange> markedRange_;
  UIKeyboardType keyboardType_ = UIKeyboardTypeDefault;
  UIReturnKeyType returnKeyType_ = UIReturnKeyDefault;
  UIKeyboardAppearance keyboardAppearance_ = UIKeyboardAppearanceDefault;
};
