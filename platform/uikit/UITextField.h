#pragma once

#include <memory>
#include <string>

#include "uikit/UIControl.h"
#include "uikit/UIFont.h"

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

enum UITextBorderStyle : long {
  UITextBorderStyleNone = 0,
  UITextBorderStyleLine = 1,
  UITextBorderStyleBezel = 2,
  UITextBorderStyleRoundedRect = 3,
};

// A one-line text entry. It holds its text and how it is shown; typing and the keyboard come
// through the first responder.
class UITextField : public UIControl {
  OBJC_CLASS(UITextField, UIControl);

 public:
  std::shared_ptr<UITextField> init() { return initWithFrame(CGRectZero); }
  std::shared_ptr<UITextField> initWithFrame(CGRect frame);

  // UTF-8; a field never holds nil text, as on the platform (setting nil gives "").
  const std::string& text() const { return text_; }
  void setText(const std::string& text);
  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(const std::string& placeholder);
  bool isSecureTextEntry() const { return secureTextEntry_; }
  void setSecureTextEntry(bool secure) { secureTextEntry_ = secure; }
  UIKeyboardType keyboardType() const { return keyboardType_; }
  void setKeyboardType(UIKeyboardType type) { keyboardType_ = type; }
  UITextBorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(UITextBorderStyle style) { borderStyle_ = style; }

  // The platform's default: the system font at 17 points.
  std::shared_ptr<UIFont> font() const;
  void setFont(std::shared_ptr<UIFont> font);
  // Nil means the label colour.
  std::shared_ptr<UIColor> textColor() const;
  void setTextColor(std::shared_ptr<UIColor> color) { textColor_ = std::move(color); }

  // One line of the font; the width follows the constraints.
  CGSize intrinsicContentSize() const override;

  bool canBecomeFirstResponder() const override { return isEnabled(); }

 private:
  std::string text_;
  std::string placeholder_;
  bool secureTextEntry_ = false;
  UIKeyboardType keyboardType_ = UIKeyboardTypeDefault;
  UITextBorderStyle borderStyle_ = UITextBorderStyleNone;
  std::shared_ptr<UIFont> font_;
  std::shared_ptr<UIColor> textColor_;
};
