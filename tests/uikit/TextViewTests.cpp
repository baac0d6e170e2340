#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "foundation/NSNotificationCenter.h"
#include "foundation/RunLoop.h"
#include "foundation/UTF16.h"
#include "quartz/CGContext+Private.h"
#include "uikit/UIApplication.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIKeyboard.h"
#include "uikit/UITextField.h"
#include "uikit/UITextView.h"
#include "uikit/UIWindow.h"

namespace {

// Keeps the text to a number of UTF-16 units: an edit that would pass it is cut to what fits,
// never inside a surrogate pair, inserted by the delegate itself with the caret after it.
class LimitingDelegate : public UITextViewDelegate {
 public:
  explicit LimitingDelegate(size_t limit) : limit(limit) {}

  bool shouldChangeTextInRange(const std::shared_ptr<UITextView>& textView, NSRange range,
                               const std::string& text) override {
    asked.push_back(text);
    std::u16string current = textView->text()->characters();
    size_t after = current.size() - range.length + utf16Length(text);
    if (textView->markedTextRange() || after <= limit) return true;
    size_t room = limit - (current.size() - range.length);
    std::string fitting = utf16Prefix(text, room);
    std::u16string units = toUTF16(fitting);
    current.replace(range.location, range.length, units);
    textView->setText(toUTF8(current));
    textView->setSelectedRange(NSMakeRange(range.location + units.size(), 0));
    return false;
  }
  void textViewDidChange(const std::shared_ptr<UITextView>&) override {
    events.push_back("change");
  }
  void textViewDidChangeSelection(const std::shared_ptr<UITextView>&) override {
    events.push_back("selection");
  }

  size_t limit;
  std::vector<std::string> asked;
  std::vector<std::string> events;
};

class TextViewTest : public testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
    textView = UITextView::alloc()->initWithFrame(CGRectMake(10, 100, 300, 120));
    textView->setFont(UIFont::systemFontOfSize(17));
    window->addSubview(textView);
  }

  void TearDown() override {
    if (auto responder = UIResponder::currentFirstResponder()) responder->resignFirstResponder();
    RunLoop::advance(1);
  }

  std::string text() const { return textView->text()->utf8(); }

  UIKeyboard& keyboard = UIKeyboard::shared();
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UITextView> textView;
};

TEST_F(TextViewTest, TypingStopsAtTheLimitInUTF16UnitsWithoutSplittingAnEmoji) {
  auto limiter = std::make_shared<LimitingDelegate>(5);
  textView->setDelegate(limiter);
  ASSERT_TRUE(textView->becomeFirstResponder());

  keyboard.type("ab👍c😀d");

  // "ab" + "👍" (2 units) + "c" = 5; the second emoji cannot fit, and nor can anything after.
  EXPECT_EQ(text(), "ab👍c");
  EXPECT_EQ(textView->text()->length(), 5u);
  EXPECT_EQ(textView->selectedRange(), NSMakeRange(5, 0));
  EXPECT_EQ(limiter->asked, (std::vector<std::string>{"a", "b", "👍", "c", "😀", "d"}));
}

TEST_F(TextViewTest, APasteIsAskedAboutOnceAndTheDelegateInsertsWhatFitsWithTheCaretAfterIt) {
  auto limiter = std::make_shared<LimitingDelegate>(8);
  textView->setDelegate(limiter);
  textView->setText("hello");
  ASSERT_TRUE(textView->becomeFirstResponder());
  textView->setSelectedRange(NSMakeRange(2, 0));

  keyboard.paste("😀😀xyz");

  // Three units are left: one emoji fits, the second would be split and is left out.
  EXPECT_EQ(limiter->asked, std::vector<std::string>{"😀😀xyz"});
  EXPECT_EQ(text(), "he😀llo");
  EXPECT_EQ(textView->selectedRange(), NSMakeRange(4, 0));
}

TEST_F(TextViewTest, AnAcceptedEditMovesTheSelectionThenReportsTheChange) {
  auto delegate = std::make_shared<LimitingDelegate>(100);
  textView->setDelegate(delegate);
  int notifications = 0;
  auto token = NSNotificationCenter::defaultCenter()->addObserverForName(
      UITextViewTextDidChangeNotification, textView, nullptr,
      [&](const std::shared_ptr<NSNotification>&) { ++notifications; });
  ASSERT_TRUE(textView->becomeFirstResponder());

  keyboard.type("hi");
  textView->setText("set in code");

  EXPECT_EQ(delegate->events,
            (std::vector<std::string>{"selection", "change", "selection", "change"}));
  EXPECT_EQ(notifications, 2);
  EXPECT_EQ(textView->selectedRange(), NSMakeRange(11, 0));
  NSNotificationCenter::defaultCenter()->removeObserver(token);
}

TEST_F(TextViewTest, MarkedTextIsReplacedByWhatTheKeyboardCommits) {
  ASSERT_TRUE(textView->becomeFirstResponder());
  keyboard.type("I say ");

  keyboard.setMarkedText("n");
  keyboard.setMarkedText("ni");
  ASSERT_EQ(textView->markedTextRange(), NSMakeRange(6, 2));
  EXPECT_EQ(text(), "I say ni");
  keyboard.type("你");

  EXPECT_EQ(text(), "I say 你");
  EXPECT_FALSE(textView->markedTextRange());
  EXPECT_EQ(textView->selectedRange(), NSMakeRange(7, 0));

  keyboard.setMarkedText("hao");
  keyboard.unmarkText();
  EXPECT_EQ(text(), "I say 你hao");
  EXPECT_FALSE(textView->markedTextRange());
}

TEST_F(TextViewTest, BackspaceRemovesWholeCharactersTheSelectionOrTheLastComposedCharacter) {
  struct Case {
    const char* text;
    NSRange selection;
    const char* after;
  };
  for (const Case& c :
       {Case{"ok👍", {4, 0}, "ok"}, Case{"a👍🏽", {5, 0}, "a"}, Case{"🇫🇷b", {4, 0}, "b"},
        Case{"a👨‍👩‍👧", {9, 0}, "a"}, Case{"hello", {1, 3}, "ho"}, Case{"", {0, 0}, ""},
        Case{"e\u0301x", {2, 0}, "x"}}) {
    SCOPED_TRACE(c.text);
    textView->setText(c.text);
    ASSERT_TRUE(textView->becomeFirstResponder());
    textView->setSelectedRange(c.selection);

    keyboard.pressBackspace();

    EXPECT_EQ(text(), c.after);
  }

  textView->setText("ab");
  keyboard.setMarkedText("xyz");
  keyboard.pressBackspace();
  EXPECT_EQ(text(), "abxy");
  EXPECT_EQ(textView->markedTextRange(), NSMakeRange(2, 2));
}

TEST_F(TextViewTest, TheReturnKeyInsertsALineBreakAskingTheDelegate) {
  auto delegate = std::make_shared<LimitingDelegate>(100);
  textView->setDelegate(delegate);
  ASSERT_TRUE(textView->becomeFirstResponder());

  keyboard.type("a");
  keyboard.pressReturn();

  EXPECT_EQ(text(), "a\n");
  EXPECT_EQ(delegate->asked.back(), "\n");
}

TEST_F(TextViewTest, SizeThatFitsGrowsByALineHeightPerLine) {
  textView->setTextContainerInset(UIEdgeInsetsMake(3, 4, 5, 6));
  CGFloat line = UIFont::systemFontOfSize(17)->lineHeight();
  struct Case {
    const char* text;
    int lines;
  };
  for (const Case& c : {Case{"", 1}, Case{"one", 1}, Case{"one\ntwo", 2}, Case{"one\ntwo\n", 3},
                        Case{"1\n2\n3\n4", 4}, Case{"👍\n👍", 2}}) {
    SCOPED_TRACE(c.text);
    textView->setText(c.text);

    CGSize size = textView->sizeThatFits(CGSizeMake(300, CGFLOAT_MAX));

    EXPECT_NEAR(size.height, c.lines * line + 8, 0.01);
    EXPECT_EQ(size.width, 300);
  }
}

TEST_F(TextViewTest, ALongWordWrapsAtTheWidthLessInsetsAndPadding) {
  textView->setText("mmmmmmmmmmmmmmmmmmmmmmmm");
  CGFloat line = UIFont::systemFontOfSize(17)->lineHeight();
  CGFloat wide = textView->sizeThatFits(CGSizeMake(2000, 0)).height;

  textView->textContainer()->setLineFragmentPadding(0);
  CGFloat narrow = textView->sizeThatFits(CGSizeMake(100, 0)).height;

  EXPECT_NEAR(wide, line + 16, 0.01);
  EXPECT_GT(narrow, 3 * line + 16);
}

TEST_F(TextViewTest, TheContentFollowsTheTextAndScrollsToARangeOnlyWhenTaller) {
  textView->setText("one");
  textView->layoutIfNeeded();
  textView->scrollRangeToVisible(NSMakeRange(0, 0));
  EXPECT_EQ(textView->contentOffset().y, 0);
  CGFloat oneLine = textView->contentSize().height;

  textView->setText("1\n2\n3\n4\n5\n6\n7\n8\n9\n10");
  textView->scrollRangeToVisible(NSMakeRange(textView->text()->length() - 1, 1));

  EXPECT_GT(textView->contentSize().height, 120);
  EXPECT_GT(textView->contentSize().height, oneLine);
  // The last line comes into view with the inset below it.
  EXPECT_NEAR(textView->contentOffset().y + 120, textView->contentSize().height, 0.01);

  textView->scrollRangeToVisible(NSMakeRange(0, 0));
  EXPECT_EQ(textView->contentOffset().y, 0);
}

TEST_F(TextViewTest, AttributedTextKeepsItsAttributesForTypedTextEvenAfterAllIsDeleted) {
  auto style = NSMutableParagraphStyle::alloc()->init();
  style->setLineSpacing(2);
  auto attributes = NSMutableDictionary::dictionary();
  attributes->setObject(UIFont::systemFontOfSize(30), NSFontAttributeName);
  attributes->setObject(style->copy(), NSParagraphStyleAttributeName);
  textView->setAttributedText(NSAttributedString::alloc()->initWithString("x", attributes));
  ASSERT_TRUE(textView->becomeFirstResponder());

  keyboard.pressBackspace();
  keyboard.type("y");

  auto font = std::dynamic_pointer_cast<UIFont>(
      textView->attributedText()->attribute(NSFontAttributeName, 0));
  ASSERT_TRUE(font);
  EXPECT_EQ(font->pointSize(), 30);
}

TEST_F(TextViewTest, AViewThatIsOnlySelectableTakesNoTyping) {
  textView->setEditable(false);
  textView->setText("read only");

  ASSERT_TRUE(textView->becomeFirstResponder());
  keyboard.type("x");
  keyboard.pressBackspace();

  EXPECT_EQ(text(), "read only");
  EXPECT_FALSE(keyboard.isVisible());
}

TEST_F(TextViewTest, DrawsACaretInTheTintColourAtTheSelectionOnlyWhileFocused) {
  textView->setTintColor(UIColor::colorWithRed(1, 0, 0, 1));
  textView->setText("ab");
  textView->setSelectedRange(NSMakeRange(1, 0));
  auto pixelAtCaret = [&] {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 300, 120);
    cairo_t* cr = cairo_create(surface);
    CGContextRef context = CGContextCreateWithCairo(cr);
    UIGraphicsPushContext(context);
    textView->drawRect(textView->bounds());
    UIGraphicsPopContext();
    CGContextRelease(context);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    CGRect caret = textView->caretRectForIndex(1);
    int x = static_cast<int>(CGRectGetMidX(caret)), y = static_cast<int>(CGRectGetMidY(caret));
    uint32_t pixel = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface) +
                                                 y * cairo_image_surface_get_stride(surface))[x];
    cairo_surface_destroy(surface);
    return pixel;
  };

  EXPECT_EQ(pixelAtCaret(), 0u);
  ASSERT_TRUE(textView->becomeFirstResponder());
  EXPECT_EQ(pixelAtCaret(), 0xffff0000u);
}

TEST(TextViewNoWindow, CannotBecomeFirstResponderOutsideAWindow) {
  auto textView = UITextView::alloc()->initWithFrame(CGRectMake(0, 0, 100, 40));

  EXPECT_FALSE(textView->becomeFirstResponder());
  EXPECT_FALSE(textView->isFirstResponder());
}

TEST(TextInputGraphemes, SplitIntoUserPerceivedCharacters) {
  EXPECT_EQ(UITextGraphemes("a👍🏽🇫🇷e\u0301"),
            (std::vector<std::string>{"a", "👍🏽", "🇫🇷", "e\u0301"}));
  EXPECT_TRUE(UITextGraphemes("").empty());
  EXPECT_EQ(UITextPreviousCharacterBoundary(u"a👍", 3), 1u);
  EXPECT_EQ(UITextPreviousCharacterBoundary(u"a👍", 0), 0u);
}

}  // namespace
