#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "foundation/NSNotification.h"
#include "uikit/Forward.h"
#include "uikit/UIControl.h"
#include "uikit/UIFont.h"
#include "uikit/UITextInput.h"

enum UITextBorderStyle : long {
  UITextBorderStyleNone = 0,
  UITextBorderStyleLine = 1,
  UITextBorderStyleBezel = 2,
  UITextBorderStyleRoundedRect = 3,
};

inline const NSNotificationName UITextFieldTextDidBeginEditingNotification =
    "UITextFieldTextDidBeginEditingNotification";
inline const NSNotificationName UITextFieldTextDidChangeNotification =
    "UITextFieldTextDidChangeNotification";
inline const NSNotificationName UITextFieldTextDidEndEditingNotification =
    "UITextFieldTextDidEndEditingNotification";

// What a text field tells its delegate. Every method is optional.
class UITextFieldDelegate {
 public:
  virtual ~UITextFieldDelegate() = default;

  virtual bool textFieldShouldBeginEditing(const std::shared_ptr<UITextField>&) { return true; }
  virtual void textFieldDidBeginEditing(const std::shared_ptr<UITextField>&) {}
  virtual bool textFieldShouldEndEditing(const std::shared_ptr<UITextField>&) { return true; }
  virtual void textFieldDidEndEditing(const std::shared_ptr<UITextField>&) {}
  // Asked before every edit by the user, with the UTF-16 range it replaces; NO drops it.
  virtual bool shouldChangeCharactersInRange(const std::shared_ptr<UITextField>&, NSRange range,
                                             const std::string& replacementString) {
    (void)range;
    (void)replacementString;
    return true;
  }
  // The return key. Answering YES lets the field send its EditingDidEndOnExit actions, which end
  // editing when there are any.
  virtual bool textFieldShouldReturn(const std::shared_ptr<UITextField>&) { return true; }
};

// A one-line text entry. A tap (or becomeFirstResponder, in a window) makes it first responder,
// which brings the keyboard up; keys edit the text through UITextInput, asking the delegate
// first, and each edit sends EditingChanged. Line breaks typed or pasted become spaces.
class UITextField : public UIControl, public UITextInput {
  OBJC_CLASS(UITextField, UIControl);

 public:
  ~UITextField() override;

  std::shared_ptr<UITextField> init() { return initWithFrame(CGRectZero); }
  std::shared_ptr<UITextField> initWithFrame(CGRect frame);

  // UTF-8; a field never holds nil text, as on the platform (setting nil gives ""). Setting it in
  // code puts the caret at the end and tells no delegate.
  const std::string& text() const { return text_; }
  void setText(const std::string& text);
  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(const std::string& placeholder);
  // Drawn as one bullet per character.
  bool isSecureTextEntry() const { return secureTextEntry_; }
  void setSecureTextEntry(bool secure);
  UITextBorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(UITextBorderStyle style);

  // The platform's default: the system font at 17 points.
  std::shared_ptr<UIFont> font() const;
  void setFont(std::shared_ptr<UIFont> font);
  // Nil means the label colour.
  std::shared_ptr<UIColor> textColor() const;
  void setTextColor(std::shared_ptr<UIColor> color);

  // Weak.
  std::shared_ptr<UITextFieldDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<UITextFieldDelegate>& delegate) { delegate_ = delegate; }
  bool isEditing() const { return isFirstResponder(); }

  // One line of the font; the width follows the constraints.
  CGSize intrinsicContentSize() const override;
  // Where the text (or placeholder) goes: the bounds less the border's padding.
  CGRect textRectForBounds(CGRect bounds) const;

  bool canBecomeFirstResponder() const override { return isEnabled(); }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  void didMoveToWindow() override;
  bool gestureRecognizerShouldBegin(
      const std::shared_ptr<UIGestureRecognizer>& recognizer) override;

  void paste(const id& sender);
  // Asks textFieldShouldReturn:, then sends EditingDidEndOnExit (which ends editing when some
  // target listens for it).
  void returnKeyPressed() override;

  // The text (bullets when secure) or the placeholder, centred vertically in the text rectangle,
  // the border of the border style, and the caret while editing.
  void drawRect(CGRect rect) override;

 protected:
  // A tap focuses the field.
  void touchUpInside(const std::shared_ptr<UIEvent>& event) override;

  std::u16string editingText() const override;
  bool shouldReplaceText(NSRange range, const std::string& replacement) override;
  void replaceText(NSRange range, std::u16string_view replacement) override;
  void editingDidChangeText() override;
  void editingDidChangeSelection() override { setNeedsDisplay(); }
  std::shared_ptr<void> retainForEditing() override { return shared_from_this(); }
  bool shouldBeginEditing() override;
  bool shouldEndEditing() override;
  void didBeginEditing() override;
  void didEndEditing() override;

 private:
  // What is drawn for the text: itself, or bullets.
  std::string displayedText() const;
  std::shared_ptr<NSDictionary> attributes(const std::shared_ptr<UIColor>& color) const;

  std::string text_;
  std::string placeholder_;
  bool secureTextEntry_ = false;
  UITextBorderStyle borderStyle_ = UITextBorderStyleNone;
  std::shared_ptr<UIFont> font_;
  std::shared_ptr<UIColor> textColor_;
  std::weak_ptr<UITextFieldDelegate> delegate_;
};
