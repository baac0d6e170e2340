#include <cairo.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/NSDictionary.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSNumber.h"
#include "foundation/RunLoop.h"
#include "quartz/CGContext+Private.h"
#include "uikit/NSValue.h"
#include "uikit/UIApplication.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIKeyboard.h"
#include "uikit/UITapGestureRecognizer.h"
#include "uikit/UITextField.h"
#include "uikit/UITextView.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

struct Posted {
  std::string name;
  CGRect begin;
  CGRect end;
  double duration;
  long curve;
};

class ReturnDelegate : public UITextFieldDelegate {
 public:
  bool textFieldShouldReturn(const std::shared_ptr<UITextField>& field) override {
    returned.push_back(field->text());
    return answer;
  }
  bool shouldChangeCharactersInRange(const std::shared_ptr<UITextField>&, NSRange,
                                     const std::string& string) override {
    return string != "!";
  }
  bool answer = true;
  std::vector<std::string> returned;
};

// Answers and logs what both text inputs ask about editing.
class EditingDelegate : public UITextViewDelegate, public UITextFieldDelegate {
 public:
  bool textViewShouldBeginEditing(const std::shared_ptr<UITextView>&) override {
    return ask("shouldBegin", allowBegin);
  }
  void textViewDidBeginEditing(const std::shared_ptr<UITextView>&) override {
    log.push_back("didBegin");
  }
  bool textViewShouldEndEditing(const std::shared_ptr<UITextView>&) override {
    return ask("shouldEnd", allowEnd);
  }
  void textViewDidEndEditing(const std::shared_ptr<UITextView>&) override {
    log.push_back("didEnd");
  }
  bool textFieldShouldBeginEditing(const std::shared_ptr<UITextField>&) override {
    return ask("shouldBegin", allowBegin);
  }
  void textFieldDidBeginEditing(const std::shared_ptr<UITextField>&) override {
    log.push_back("didBegin");
  }
  bool textFieldShouldEndEditing(const std::shared_ptr<UITextField>&) override {
    return ask("shouldEnd", allowEnd);
  }
  void textFieldDidEndEditing(const std::shared_ptr<UITextField>&) override {
    log.push_back("didEnd");
  }

  bool ask(const char* what, bool answer) {
    log.push_back(what);
    return answer;
  }

  bool allowBegin = false;
  bool allowEnd = false;
  std::vector<std::string> log;
};

class Dismisser : public NSObject {
  OBJC_CLASS(Dismisser, NSObject);

 public:
  void dismiss() { ++dismissals; }
  int dismissals = 0;
};

class KeyboardTest : public testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
    first = UITextView::alloc()->initWithFrame(CGRectMake(10, 100, 300, 60));
    second = UITextView::alloc()->initWithFrame(CGRectMake(10, 200, 300, 60));
    field = UITextField::alloc()->initWithFrame(CGRectMake(10, 300, 300, 40));
    window->addSubview(first);
    window->addSubview(second);
    window->addSubview(field);
    auto center = NSNotificationCenter::defaultCenter();
    for (const auto& name : {UIKeyboardWillShowNotification, UIKeyboardDidShowNotification,
                             UIKeyboardWillHideNotification, UIKeyboardDidHideNotification}) {
      tokens.push_back(center->addObserverForName(
          name, nullptr, nullptr, [this](const std::shared_ptr<NSNotification>& note) {
            auto info = note->userInfo();
            auto frame = [&](std::string_view key) {
              auto value = std::dynamic_pointer_cast<NSValue>(info->objectForKey(key));
              return value ? value->CGRectValue() : CGRectZero;
            };
            auto number = [&](std::string_view key) {
              return std::dynamic_pointer_cast<NSNumber>(info->objectForKey(key));
            };
            posted.push_back({note->name(), frame(UIKeyboardFrameBeginUserInfoKey),
                              frame(UIKeyboardFrameEndUserInfoKey),
                              number(UIKeyboardAnimationDurationUserInfoKey)->doubleValue(),
                              number(UIKeyboardAnimationCurveUserInfoKey)->integerValue()});
          }));
    }
  }

  void TearDown() override {
    if (auto responder = UIResponder::currentFirstResponder()) responder->resignFirstResponder();
    RunLoop::advance(1);
    for (auto& token : tokens) NSNotificationCenter::defaultCenter()->removeObserver(token);
    UIApplication::sharedApplication()->cancelAllTouches();
  }

  std::vector<std::string> names() const {
    std::vector<std::string> list;
    for (const Posted& p : posted) list.push_back(p.name);
    return list;
  }

  void tap(CGPoint point) {
    UIApplication::sharedApplication()->touchDown(point);
    UIApplication::sharedApplication()->touchUp(point);
    RunLoop::advance(0.5);
  }

  UIKeyboard& keyboard = UIKeyboard::shared();
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UITextView> first;
  std::shared_ptr<UITextView> second;
  std::shared_ptr<UITextField> field;
  std::vector<id> tokens;
  std::vector<Posted> posted;
};

TEST_F(KeyboardTest, ShowingAndHidingPostTheirNotificationsWithScreenFrames) {
  const CGRect onScreen = CGRectMake(0, 508, 390, 336);
  const CGRect below = CGRectMake(0, 844, 390, 336);

  ASSERT_TRUE(first->becomeFirstResponder());
  EXPECT_EQ(names(), std::vector<std::string>{UIKeyboardWillShowNotification});
  RunLoop::advance(0.25);
  EXPECT_TRUE(keyboard.isVisible());
  EXPECT_EQ(keyboard.frameInScreen(), onScreen);
  first->resignFirstResponder();
  RunLoop::advance(0.25);

  ASSERT_EQ(names(), (std::vector<std::string>{
                         UIKeyboardWillShowNotification, UIKeyboardDidShowNotification,
                         UIKeyboardWillHideNotification, UIKeyboardDidHideNotification}));
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(posted[i].begin, below);
    EXPECT_EQ(posted[i].end, onScreen);
    EXPECT_EQ(posted[i + 2].begin, onScreen);
    EXPECT_EQ(posted[i + 2].end, below);
  }
  for (const Posted& p : posted) {
    EXPECT_EQ(p.duration, 0.25);
    EXPECT_EQ(p.curve, 7);
  }
  EXPECT_FALSE(keyboard.isVisible());
  EXPECT_EQ(keyboard.frameInScreen(), below);
}

TEST_F(KeyboardTest, TheKeyboardWindowLiesAboveTheAppAndTakesTheTouchesOnIt) {
  ASSERT_TRUE(first->becomeFirstResponder());
  RunLoop::advance(0.25);

  auto windows = UIApplication::sharedApplication()->windows();
  ASSERT_FALSE(windows.empty());
  EXPECT_EQ(windows.back(), keyboard.window());
  EXPECT_GT(keyboard.window()->windowLevel(), UIWindowLevelAlert);
  EXPECT_FALSE(keyboard.window()->isKeyWindow());
  EXPECT_EQ(keyboard.window()->frame(), keyboard.frameInScreen());

  // The space bar sits in the fourth row of keys, in the middle.
  tap(CGPointMake(195, 508 + 53 + 3 * 54 + 20));
  EXPECT_EQ(first->text()->utf8(), " ");
}

TEST_F(KeyboardTest, FocusMovingBetweenTextInputsKeepsTheKeyboardUpWithoutNotifications) {
  ASSERT_TRUE(first->becomeFirstResponder());
  RunLoop::advance(0.25);
  posted.clear();

  ASSERT_TRUE(second->becomeFirstResponder());
  ASSERT_TRUE(field->becomeFirstResponder());
  RunLoop::advance(1);

  EXPECT_TRUE(posted.empty());
  EXPECT_TRUE(keyboard.isVisible());
  keyboard.type("x");
  EXPECT_EQ(field->text(), "x");
  EXPECT_EQ(second->text()->utf8(), "");
}

TEST_F(KeyboardTest, ATapOnATextViewFocusesItAndIsNotATapOnTheViewsAroundIt) {
  auto dismisser = Dismisser::alloc();
  window->addGestureRecognizer(
      UITapGestureRecognizer::alloc()->initWithTarget(dismisser, "dismiss"));
  first->setText("hello");

  tap(CGPointMake(12, 118));
  EXPECT_TRUE(first->isFirstResponder());
  EXPECT_TRUE(keyboard.isVisible());
  EXPECT_EQ(dismisser->dismissals, 0);
  // The tap left of the text put the caret before it.
  EXPECT_EQ(first->selectedRange(), NSMakeRange(0, 0));

  tap(CGPointMake(200, 400));
  EXPECT_EQ(dismisser->dismissals, 1);
}

TEST_F(KeyboardTest, ATextInputLeavingTheWindowOrDyingTakesTheKeyboardDown) {
  ASSERT_TRUE(first->becomeFirstResponder());
  RunLoop::advance(0.25);

  first->removeFromSuperview();
  EXPECT_FALSE(first->isFirstResponder());
  EXPECT_FALSE(keyboard.isVisible());

  // A window that goes away with the focused view in it.
  auto other = UIWindow::alloc()->init();
  other->makeKeyAndVisible();
  auto doomed = UITextView::alloc()->initWithFrame(CGRectMake(0, 0, 100, 40));
  other->addSubview(doomed);
  ASSERT_TRUE(doomed->becomeFirstResponder());
  ASSERT_TRUE(keyboard.isVisible());
  doomed.reset();
  other.reset();
  EXPECT_FALSE(keyboard.isVisible());
  EXPECT_EQ(UIResponder::currentFirstResponder(), nullptr);
}

TEST_F(KeyboardTest, FocusAsksTheDelegateBeforeItMovesAndTellsItAfterwards) {
  struct Case {
    const char* input;
    std::vector<std::string> expected;
  };
  const std::vector<std::string> told = {
      "shouldBegin", "shouldBegin", "didBegin", "UITextViewTextDidBeginEditingNotification",
      "shouldEnd",   "shouldEnd",   "didEnd",   "UITextViewTextDidEndEditingNotification"};
  std::vector<std::string> toldField = told;
  toldField[3] = "UITextFieldTextDidBeginEditingNotification";
  toldField[7] = "UITextFieldTextDidEndEditingNotification";
  const Case cases[] = {
      {"text view", told},
      {"text field", toldField},
      // Only selectable: it takes focus without editing, so nobody is asked or told.
      {"selectable text view", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    auto delegate = std::make_shared<EditingDelegate>();
    std::shared_ptr<UIView> input;
    if (std::string(c.input) == "text field") {
      field->setDelegate(delegate);
      input = field;
    } else {
      first->setEditable(std::string(c.input) == "text view");
      first->setDelegate(delegate);
      input = first;
    }
    auto center = NSNotificationCenter::defaultCenter();
    std::vector<id> observers;
    for (const auto& name :
         {UITextViewTextDidBeginEditingNotification, UITextViewTextDidEndEditingNotification,
          UITextFieldTextDidBeginEditingNotification, UITextFieldTextDidEndEditingNotification}) {
      observers.push_back(center->addObserverForName(
          name, nullptr, nullptr, [&](const std::shared_ptr<NSNotification>& note) {
            delegate->log.push_back(note->name());
          }));
    }

    bool refusedBegin = input->becomeFirstResponder();
    bool focusedAfterRefusal = input->isFirstResponder();
    delegate->allowBegin = true;
    bool began = input->becomeFirstResponder();
    bool refusedEnd = input->resignFirstResponder();
    bool focusedAfterEndRefusal = input->isFirstResponder();
    delegate->allowEnd = true;
    bool ended = input->resignFirstResponder();

    bool asked = !c.expected.empty();
    EXPECT_EQ(refusedBegin, !asked);
    EXPECT_EQ(focusedAfterRefusal, !asked);
    EXPECT_TRUE(began);
    EXPECT_EQ(refusedEnd, !asked);
    EXPECT_EQ(focusedAfterEndRefusal, asked);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(input->isFirstResponder());
    EXPECT_EQ(delegate->log, c.expected);
    for (auto& observer : observers) center->removeObserver(observer);
    first->setDelegate(nullptr);
    field->setDelegate(nullptr);
  }
}

TEST_F(KeyboardTest, KeysWithoutAFocusedTextInputDoNothing) {
  EXPECT_NO_THROW(keyboard.type("abc"));
  EXPECT_NO_THROW(keyboard.pressBackspace());
  EXPECT_NO_THROW(keyboard.pressReturn());
  EXPECT_NO_THROW(keyboard.paste("abc"));
  EXPECT_EQ(first->text()->utf8(), "");
  EXPECT_FALSE(keyboard.isVisible());
}

TEST_F(KeyboardTest, ReturnInATextFieldAsksTheDelegateAndEndsEditingOnlyWhenSomeoneListens) {
  auto delegate = std::make_shared<ReturnDelegate>();
  field->setDelegate(delegate);
  ASSERT_TRUE(field->becomeFirstResponder());
  keyboard.type("go!\n");

  keyboard.pressReturn();
  EXPECT_EQ(delegate->returned, std::vector<std::string>{"go "});
  EXPECT_TRUE(field->isFirstResponder());

  auto dismisser = Dismisser::alloc();
  field->addTarget(dismisser, "dismiss", UIControlEventEditingDidEndOnExit);
  delegate->answer = false;
  keyboard.pressReturn();
  EXPECT_TRUE(field->isFirstResponder());

  delegate->answer = true;
  keyboard.pressReturn();
  EXPECT_EQ(dismisser->dismissals, 1);
  EXPECT_FALSE(field->isFirstResponder());
  EXPECT_FALSE(keyboard.isVisible());
}

TEST_F(KeyboardTest, TheKeyboardIsDarkForADarkInputOrADarkSystem) {
  auto brightness = [&] {
    auto face = keyboard.window()->subviews().front();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
    cairo_t* cr = cairo_create(surface);
    CGContextRef context = CGContextCreateWithCairo(cr);
    UIGraphicsPushContext(context);
    face->drawRect(face->bounds());
    UIGraphicsPopContext();
    CGContextRelease(context);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    uint32_t pixel = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface))[0];
    cairo_surface_destroy(surface);
    return (pixel >> 8) & 0xff;
  };
  ASSERT_TRUE(field->becomeFirstResponder());
  unsigned light = brightness();

  field->resignFirstResponder();
  field->setKeyboardAppearance(UIKeyboardAppearanceDark);
  ASSERT_TRUE(field->becomeFirstResponder());
  unsigned dark = brightness();

  field->setKeyboardAppearance(UIKeyboardAppearanceDefault);
  ASSERT_TRUE(first->becomeFirstResponder());
  UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleDark);
  unsigned system = brightness();
  UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleLight);

  EXPECT_GT(light, 150u);
  EXPECT_LT(dark, 100u);
  EXPECT_LT(system, 100u);
}

TEST(NSValueBoxes, KeepTheirGeometryAndCompareByIt) {
  auto rect = NSValue::valueWithCGRect(CGRectMake(0, 508, 390, 336));

  EXPECT_EQ(rect->CGRectValue(), CGRectMake(0, 508, 390, 336));
  EXPECT_EQ(rect->description(), "NSRect: {{0, 508}, {390, 336}}");
  EXPECT_TRUE(rect->isEqual(NSValue::valueWithCGRect(CGRectMake(0, 508, 390, 336))));
  EXPECT_FALSE(rect->isEqual(NSValue::valueWithCGSize(CGSizeMake(390, 336))));
  EXPECT_EQ(NSValue::valueWithCGPoint(CGPointMake(1, 2))->CGRectValue(), CGRectZero);
}

}  // namespace

OBJC_CLASS_IMPL(Dismisser) {
  c.method("dismiss", &Dismisser::dismiss);
}
