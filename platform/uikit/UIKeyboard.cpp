#include "uikit/UIKeyboard.h"

#include <cctype>
#include <cmath>
#include <vector>

#include "foundation/NSDictionary.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSNumber.h"
#include "foundation/UTF16.h"
#include "uikit/NSAttributedString.h"
#include "uikit/NSValue.h"
#include "uikit/TextLayout+Private.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIPasteboard.h"
#include "uikit/UIScreen.h"
#include "uikit/UITextInput.h"
#include "uikit/UITextInputDrawing+Private.h"
#include "uikit/UITouch.h"
#include "uikit/UIWindow.h"

namespace {

enum class KeyAction { Character, Shift, Backspace, Numbers, Space, Return };

struct Key {
  CGRect rect;
  std::string label;
  KeyAction action;
};

std::string returnKeyTitle(UIReturnKeyType type) {
  switch (type) {
    case UIReturnKeyGo:
      return "go";
    case UIReturnKeyGoogle:
    case UIReturnKeySearch:
    case UIReturnKeyYahoo:
      return "search";
    case UIReturnKeyJoin:
      return "join";
    case UIReturnKeyNext:
      return "next";
    case UIReturnKeyRoute:
      return "route";
    case UIReturnKeySend:
      return "send";
    case UIReturnKeyDone:
      return "done";
    case UIReturnKeyEmergencyCall:
      return "SOS";
    case UIReturnKeyContinue:
      return "continue";
    case UIReturnKeyDefault:
      break;
  }
  return "return";
}

// The key caps of the letter layout, for a keyboard `width` wide: a strip for suggestions on top,
// three rows of letters and the row with the space bar, above the home indicator.
std::vector<Key> letterKeys(CGFloat width, const std::string& returnTitle) {
  constexpr CGFloat kSide = 3, kGap = 6, kKeyHeight = 42, kRowPitch = 54, kFirstRow = 53;
  const CGFloat keyWidth = (width - 2 * kSide - 9 * kGap) / 10;
  std::vector<Key> keys;
  auto row = [&](const std::string& letters, CGFloat y, CGFloat inset) {
    CGFloat x = kSide + inset;
    for (char letter : letters) {
      keys.push_back(
          {CGRectMake(x, y, keyWidth, kKeyHeight), std::string(1, letter), KeyAction::Character});
      x += keyWidth + kGap;
    }
  };
  row("qwertyuiop", kFirstRow, 0);
  row("asdfghjkl", kFirstRow + kRowPitch, (keyWidth + kGap) / 2);
  row("zxcvbnm", kFirstRow + 2 * kRowPitch, 1.5 * (keyWidth + kGap));
  const CGFloat third = kFirstRow + 2 * kRowPitch;
  const CGFloat wide = 1.3 * keyWidth;
  keys.push_back({CGRectMake(kSide, third, wide, kKeyHeight), "⇧", KeyAction::Shift});
  keys.push_back(
      {CGRectMake(width - kSide - wide, third, wide, kKeyHeight), "⌫", KeyAction::Backspace});
  const CGFloat bottom = kFirstRow + 3 * kRowPitch;
  const CGFloat side = 2.6 * keyWidth;
  keys.push_back({CGRectMake(kSide, bottom, side, kKeyHeight), "123", KeyAction::Numbers});
  keys.push_back(
      {CGRectMake(kSide + side + kGap, bottom, width - 2 * (kSide + side + kGap), kKeyHeight),
       "space", KeyAction::Space});
  keys.push_back(
      {CGRectMake(width - kSide - side, bottom, side, kKeyHeight), returnTitle, KeyAction::Return});
  return keys;
}

// The keyboard's face: a grey area with key caps. A tap on a cap types it.
class UIKeyboardView : public UIView {
  OBJC_CLASS(UIKeyboardView, UIView);

 public:
  void drawRect(CGRect rect) override;
  void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
  // Swallow the rest of the touches: nothing under the keyboard sees them.
  void touchesBegan(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {}
  void touchesMoved(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {}
  void touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) override {}

  // The default keyboard follows the system appearance.
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override {
    UIView::traitCollectionDidChange(previous);
    UIKeyboard::shared().firstResponderDidChange();
  }

  void setDark(bool dark) {
    if (dark_ == dark) return;
    dark_ = dark;
    setNeedsDisplay();
  }
  void setReturnTitle(std::string title) {
    if (returnTitle_ == title) return;
    returnTitle_ = std::move(title);
    setNeedsDisplay();
  }

 private:
  bool dark_ = false;
  bool shifted_ = false;
  std::string returnTitle_ = "return";
};

void UIKeyboardView::drawRect(CGRect) {
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (!context) return;
  CGRect area = bounds();
  if (dark_) {
    CGContextSetRGBFillColor(context, 0.17, 0.17, 0.18, 1);
  } else {
    CGContextSetRGBFillColor(context, 0.82, 0.83, 0.85, 1);
  }
  CGContextAddRect(context, area);
  CGContextFillPath(context);

  auto font = UIFont::systemFontOfSize(22);
  auto small = UIFont::systemFontOfSize(16);
  auto textColor = dark_ ? UIColor::whiteColor() : UIColor::blackColor();
  for (const Key& key : letterKeys(area.size.width, returnTitle_)) {
    bool plain = key.action == KeyAction::Character || key.action == KeyAction::Space;
    if (dark_) {
      CGContextSetRGBFillColor(context, plain ? 0.42 : 0.27, plain ? 0.42 : 0.27,
                               plain ? 0.43 : 0.28, 1);
    } else {
      CGContextSetRGBFillColor(context, plain ? 1 : 0.68, plain ? 1 : 0.70, plain ? 1 : 0.74, 1);
    }
    UITextInputAddRoundedRect(context, key.rect, 5);
    CGContextFillPath(context);

    std::string label = key.label;
    if (key.action == KeyAction::Character && shifted_)
      label = std::string(1, std::toupper(label[0]));
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(key.action == KeyAction::Character ? font : small, NSFontAttributeName);
    attributes->setObject(textColor, NSForegroundColorAttributeName);
    TextLayout layout;
    layout.setText(label, attributes.get());
    CGSize size = layout.size();
    layout.draw(context, CGPointMake(CGRectGetMidX(key.rect) - size.width / 2,
                                     CGRectGetMidY(key.rect) - size.height / 2));
  }
}

void UIKeyboardView::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
  if (touches.empty()) return;
  CGPoint point = touches.front()->locationInView(selfAs<UIView>());
  UIKeyboard& keyboard = UIKeyboard::shared();
  for (const Key& key : letterKeys(bounds().size.width, returnTitle_)) {
    if (!CGRectContainsPoint(key.rect, point)) continue;
    switch (key.action) {
      case KeyAction::Character:
        keyboard.type(shifted_ ? std::string(1, std::toupper(key.label[0])) : key.label);
        if (shifted_) {
          shifted_ = false;
          setNeedsDisplay();
        }
        break;
      case KeyAction::Shift:
        shifted_ = !shifted_;
        setNeedsDisplay();
        break;
      case KeyAction::Backspace:
        keyboard.pressBackspace();
        break;
      case KeyAction::Space:
        keyboard.type(" ");
        break;
      case KeyAction::Return:
        keyboard.pressReturn();
        break;
      case KeyAction::Numbers:
        break;
    }
    return;
  }
}

std::shared_ptr<NSDictionary> userInfo(CGRect begin, CGRect end) {
  auto info = NSMutableDictionary::dictionary();
  info->setObject(NSValue::valueWithCGRect(begin), UIKeyboardFrameBeginUserInfoKey);
  info->setObject(NSValue::valueWithCGRect(end), UIKeyboardFrameEndUserInfoKey);
  info->setObject(NSNumber::numberWithDouble(UIKeyboard::kAnimationDuration),
                  UIKeyboardAnimationDurationUserInfoKey);
  info->setObject(NSNumber::numberWithInteger(UIKeyboard::kAnimationCurve),
                  UIKeyboardAnimationCurveUserInfoKey);
  return info->copy();
}

void post(const NSNotificationName& name, const std::shared_ptr<NSDictionary>& info) {
  NSNotificationCenter::defaultCenter()->postNotificationName(name, nullptr, info);
}

}  // namespace

OBJC_CLASS_IMPL(UIKeyboardView) {}

UIKeyboard& UIKeyboard::shared() {
  // Never destroyed: text inputs that outlive static destruction still tell it they are gone.
  static UIKeyboard* keyboard = new UIKeyboard;
  return *keyboard;
}

CGRect UIKeyboard::frameInScreen() const {
  return visible_ ? shownFrame() : hiddenFrame();
}

CGRect UIKeyboard::shownFrame() const {
  CGRect screen = UIScreen::mainScreen()->bounds();
  return CGRectMake(CGRectGetMinX(screen), CGRectGetMaxY(screen) - kHeight, screen.size.width,
                    kHeight);
}

CGRect UIKeyboard::hiddenFrame() const {
  CGRect screen = UIScreen::mainScreen()->bounds();
  return CGRectMake(CGRectGetMinX(screen), CGRectGetMaxY(screen), screen.size.width, kHeight);
}

// ---- Keys ----

std::shared_ptr<UIResponder> UIKeyboard::currentInputResponder() const {
  auto responder = UIResponder::currentFirstResponder();
  auto* input = dynamic_cast<UITextInput*>(responder.get());
  return input && input->acceptsTyping() ? responder : nullptr;
}

void UIKeyboard::type(const std::string& utf8) {
  for (const std::string& character : UITextGraphemes(utf8)) {
    // Each key goes to whoever has focus now: a delegate may have moved it.
    auto responder = currentInputResponder();
    if (!responder) return;
    dynamic_cast<UITextInput*>(responder.get())->insertText(character);
  }
}

void UIKeyboard::paste(const std::string& utf8) {
  UIPasteboard::generalPasteboard()->setString(utf8);
  auto responder = currentInputResponder();
  if (responder) dynamic_cast<UITextInput*>(responder.get())->pasteFromPasteboard();
}

void UIKeyboard::pressReturn() {
  auto responder = currentInputResponder();
  if (responder) dynamic_cast<UITextInput*>(responder.get())->returnKeyPressed();
}

void UIKeyboard::pressBackspace() {
  auto responder = currentInputResponder();
  if (responder) dynamic_cast<UITextInput*>(responder.get())->deleteBackward();
}

void UIKeyboard::setMarkedText(const std::string& utf8) {
  auto responder = currentInputResponder();
  if (!responder) return;
  dynamic_cast<UITextInput*>(responder.get())
      ->setMarkedText(utf8, NSMakeRange(utf16Length(utf8), 0));
}

void UIKeyboard::unmarkText() {
  auto responder = currentInputResponder();
  if (!responder) return;
  auto* input = dynamic_cast<UITextInput*>(responder.get());
  if (!input->markedTextRange()) return;
  // A keyboard commits what it composed by typing it over the marked text.
  input->insertText(input->markedText());
}

// ---- Showing and hiding ----

UIKeyboard::FocusTransfer::FocusTransfer() {
  ++UIKeyboard::shared().transfers_;
}

UIKeyboard::FocusTransfer::~FocusTransfer() {
  UIKeyboard& keyboard = UIKeyboard::shared();
  if (--keyboard.transfers_ == 0) keyboard.firstResponderDidChange();
}

void UIKeyboard::firstResponderDidChange() {
  if (transfers_ > 0) return;
  auto responder = currentInputResponder();
  auto* input = dynamic_cast<UITextInput*>(responder.get());
  if (!input) {
    if (visible_) hide();
    return;
  }
  ensureWindow();
  auto view = std::static_pointer_cast<UIKeyboardView>(window_->subviews().front());
  UIKeyboardAppearance appearance = input->keyboardAppearance();
  view->setDark(appearance == UIKeyboardAppearanceDark ||
                (appearance == UIKeyboardAppearanceDefault &&
                 window_->traitCollection()->userInterfaceStyle() == UIUserInterfaceStyleDark));
  view->setReturnTitle(returnKeyTitle(input->returnKeyType()));
  if (!visible_) show();
}

void UIKeyboard::ensureWindow() {
  if (window_) return;
  window_ = UIWindow::alloc()->initWithFrame(hiddenFrame());
  window_->setWindowLevel(kWindowLevel);
  auto view = UIKeyboardView::alloc()->initWithFrame(window_->bounds());
  view->setAutoresizingMask(static_cast<UIViewAutoresizing>(UIViewAutoresizingFlexibleWidth |
                                                            UIViewAutoresizingFlexibleHeight));
  window_->addSubview(view);
}

void UIKeyboard::show() {
  ensureWindow();
  visible_ = true;
  unsigned long generation = ++generation_;
  CGRect from = hiddenFrame(), to = shownFrame();
  auto window = window_;
  UIView::performWithoutAnimation([&] { window->setFrame(from); });
  // Shown without becoming key: typing follows the first responder, not the key window.
  window->setHidden(false);
  auto info = userInfo(from, to);
  UIView::animateWithDuration(
      kAnimationDuration, 0, UIViewAnimationOptionCurveEaseInOut,
      [&] {
        window->setFrame(to);
        post(UIKeyboardWillShowNotification, info);
      },
      [this, generation, info](bool) {
        if (generation == generation_) post(UIKeyboardDidShowNotification, info);
      });
}

void UIKeyboard::hide() {
  visible_ = false;
  unsigned long generation = ++generation_;
  CGRect from = shownFrame(), to = hiddenFrame();
  auto window = window_;
  auto info = userInfo(from, to);
  UIView::animateWithDuration(
      kAnimationDuration, 0, UIViewAnimationOptionCurveEaseInOut,
      [&] {
        window->setFrame(to);
        post(UIKeyboardWillHideNotification, info);
      },
      [this, generation, window, info](bool) {
        if (generation != generation_) return;
        window->setHidden(true);
        post(UIKeyboardDidHideNotification, info);
      });
}
