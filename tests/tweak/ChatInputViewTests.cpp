#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "TemporaryDeviceRoot.h"
#include "chat/ParloChatInputView.h"
#include "foundation/RunLoop.h"
#include "foundation/UTF16.h"
#include "render/Renderer.h"
#include "uikit/UIApplication.h"
#include "uikit/UIKeyboard.h"
#include "uikit/UIWindow.h"

namespace fs = std::filesystem;

namespace {

constexpr CGFloat kScreenWidth = 390;
constexpr CGFloat kScreenHeight = 844;

// What the chat screen hears from the bar.
class Recorder : public ParloChatInputViewDelegate {
 public:
  void sendTextMessageFromSender(const std::shared_ptr<NSString>& text) override {
    sent.emplace_back("sender", text->utf8());
  }
  void sendTextMessageFromRecipient(const std::shared_ptr<NSString>& text) override {
    sent.emplace_back("recipient", text->utf8());
  }
  void chatInputViewDidChanged(const std::shared_ptr<NSString>& text) override {
    changes.push_back(text->utf8());
  }

  std::vector<std::pair<std::string, std::string>> sent;
  std::vector<std::string> changes;
};

// Counts the hook that runs when typing meets the limit.
class PromptCountingBar : public ParloChatInputView {
 public:
  void showPrompt() override { ++prompts; }
  int prompts = 0;
};

class ChatInputViewTest : public testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    // The entry images as the asset build renders them, when this build has them.
    device_.installBuiltAssets({"entry-camera", "entry-tool"}, testsupport::ScaleVariant::Yes);

    window = UIWindow::alloc()->init();
    window->makeKeyAndVisible();
    // As the chat screen makes it: full width, 52 high, its bottom 40 above the screen's.
    bar = ParloChatInputView::alloc<PromptCountingBar>();
    bar->initWithFrame(CGRectMake(0, kScreenHeight - 35 - 57, kScreenWidth, 52));
    bar->setDelegate(recorder);
    window->addSubview(bar);
    window->layoutIfNeeded();
    oneLineHeight = bar->frame().size.height;
  }

  void TearDown() override {
    if (auto responder = UIResponder::currentFirstResponder()) responder->resignFirstResponder();
    RunLoop::advance(1);
    UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleUnspecified);
  }

  static void tap(CGPoint pointInWindow) {
    auto app = UIApplication::sharedApplication();
    app->touchDown(pointInWindow);
    RunLoop::advance(0.05);
    app->touchUp(pointInWindow);
    RunLoop::advance(0.5);
  }

  static void tapCentre(const std::shared_ptr<UIView>& view) {
    const CGRect b = view->bounds();
    tap(view->convertPointToView(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)), nullptr));
  }

  // A tap on the field, right of the camera, brings the keyboard up; the bar then sits on the
  // keyboard as the chat screen places it.
  void focus() {
    const CGRect field = bar->textView()->frame();
    tap(bar->convertPointToView(CGPointMake(200, CGRectGetMidY(field)), nullptr));
    ASSERT_TRUE(bar->isActive());
    const CGFloat keyboardTop = UIKeyboard::shared().frameInScreen().origin.y;
    const CGFloat h = bar->frame().size.height;
    bar->setFrame(CGRectMake(0, keyboardTop - h, kScreenWidth, h));
  }

  std::string text() const { return bar->text()->utf8(); }
  size_t length() const { return bar->text()->length(); }
  CGFloat bottom() const { return CGRectGetMaxY(bar->frame()); }
  int prompts() const { return std::static_pointer_cast<PromptCountingBar>(bar)->prompts; }

  using Picture = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

  // The bar drawn as the screen would show it; also written to $PARLO_INPUT_SNAPSHOTS when that
  // is set, for a person to look at.
  Picture snapshot(const std::string& name) {
    window->layoutIfNeeded();
    RunLoop::advance(1);
    Picture picture(render::renderView(bar), &cairo_surface_destroy);
    if (const char* dir = getenv("PARLO_INPUT_SNAPSHOTS")) {
      fs::create_directories(dir);
      EXPECT_TRUE(render::writeViewPNG(bar, (fs::path(dir) / (name + ".png")).string()));
    }
    return picture;
  }

  static uint32_t rawPixelAt(cairo_surface_t* surface, int x, int y) {
    cairo_surface_flush(surface);
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(row)[x];
  }

  // Red, green and blue of an opaque-enough pixel, 0 to 255.
  static std::tuple<int, int, int> pixelAt(cairo_surface_t* surface, int x, int y) {
    const uint32_t argb = rawPixelAt(surface, x, y);
    return {int((argb >> 16) & 0xff), int((argb >> 8) & 0xff), int(argb & 0xff)};
  }

  // First, so that it outlives the views.
  testsupport::TemporaryDeviceRoot device_{"parlo-input"};
  UIKeyboard& keyboard = UIKeyboard::shared();
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<ParloChatInputView> bar;
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
  CGFloat oneLineHeight = 0;
};

}  // namespace

TEST_F(ChatInputViewTest, StartsOneLineHighWithItsBottomWhereTheScreenPutItAndTheToolsShowing) {
  const CGFloat line = std::ceil(UIFont::systemFontOfSize(17)->lineHeight());

  // Content inset 9 + 2/2 above and below one line, and 8 round the field.
  EXPECT_DOUBLE_EQ(oneLineHeight, 10 + line + 10 + 16);
  EXPECT_DOUBLE_EQ(bottom(), kScreenHeight - 40);
  EXPECT_EQ(bar->textView()->frame(), CGRectMake(10, 8, kScreenWidth - 20, 10 + line + 10));
  EXPECT_EQ(bar->placeholderLabel()->frame().origin.x, 57);
  EXPECT_EQ(bar->placeholderLabel()->text()->utf8(), "Message....");
  const CGRect camera = bar->cameraImage()->frame();
  EXPECT_NEAR(camera.origin.x, 12.7, 0.34);
  EXPECT_NEAR(CGRectGetMaxY(camera), oneLineHeight - 10.7, 0.34);
  EXPECT_EQ(camera.size, CGSizeMake(36, 36));
  EXPECT_DOUBLE_EQ(CGRectGetMaxX(bar->toolView()->frame()), kScreenWidth - 10 - 15);
  EXPECT_EQ(bar->placeholderLabel()->alpha(), 1);
  EXPECT_EQ(bar->toolView()->alpha(), 1);
  EXPECT_EQ(bar->sendBtn()->alpha(), 0);
}

TEST_F(ChatInputViewTest, TheFirstCharacterSwapsThePlaceholderAndToolsForSendAndEmptyingSwapsBack) {
  focus();

  keyboard.type("h");

  EXPECT_EQ(bar->placeholderLabel()->alpha(), 0);
  EXPECT_EQ(bar->toolView()->alpha(), 0);
  EXPECT_EQ(bar->sendBtn()->alpha(), 1);
  EXPECT_DOUBLE_EQ(CGRectGetMaxX(bar->sendBtn()->frame()), kScreenWidth - 20);
  EXPECT_EQ(recorder->changes, std::vector<std::string>{"h"});

  keyboard.pressBackspace();

  EXPECT_EQ(bar->placeholderLabel()->alpha(), 1);
  EXPECT_EQ(bar->toolView()->alpha(), 1);
  EXPECT_EQ(bar->sendBtn()->alpha(), 0);
  EXPECT_EQ(recorder->changes, (std::vector<std::string>{"h", ""}));
}

TEST_F(ChatInputViewTest, TypingStopsAtTheLimitWithoutSplittingAnEmojiAndPromptsOncePerRun) {
  focus();
  keyboard.paste(std::string(997, 'a'));

  keyboard.type("bc");
  keyboard.type("😀");  // 2 units with 1 left: nothing of it goes in.
  keyboard.type("d");  // fits exactly, which ends the run
  keyboard.type("efg");

  EXPECT_EQ(length(), 1000u);
  EXPECT_EQ(text(), std::string(997, 'a') + "bcd");
  EXPECT_EQ(bar->textView()->selectedRange(), NSMakeRange(1000, 0));
  EXPECT_EQ(prompts(), 2);
  EXPECT_TRUE(bar->showPromptFlag());

  keyboard.pressBackspace();
  keyboard.type("xyz");

  EXPECT_EQ(text(), std::string(997, 'a') + "bcx");
  EXPECT_EQ(prompts(), 3);
}

TEST_F(ChatInputViewTest, APasteBeyondTheLimitInsertsWhatFitsAndPutsTheCaretAfterIt) {
  focus();
  keyboard.paste(std::string(990, 'a'));
  bar->textView()->setSelectedRange(NSMakeRange(5, 0));
  recorder->changes.clear();

  keyboard.paste("0123456789XYZ");

  EXPECT_EQ(length(), 1000u);
  EXPECT_EQ(text(), std::string(5, 'a') + "0123456789" + std::string(985, 'a'));
  EXPECT_EQ(bar->textView()->selectedRange(), NSMakeRange(15, 0));
  EXPECT_EQ(prompts(), 1);
  // The screen hears of the cut paste as of any edit, to follow the bar's height.
  EXPECT_EQ(recorder->changes, std::vector<std::string>{text()});
}

TEST_F(ChatInputViewTest, APasteThatWouldEndInsideAnEmojiStopsBeforeIt) {
  focus();
  keyboard.paste(std::string(995, 'a'));

  keyboard.paste("bcde😀f");

  // 5 units were free: "bcde" and the first half of the emoji; the half is left out.
  EXPECT_EQ(text(), std::string(995, 'a') + "bcde");
  EXPECT_EQ(bar->textView()->selectedRange(), NSMakeRange(999, 0));
  EXPECT_TRUE(isValidUTF8(text()));
}

TEST_F(ChatInputViewTest, ComposedTextPassesTheLimitWhileMarkedAndIsCutWhenCommitted) {
  focus();
  keyboard.paste(std::string(998, 'a'));
  keyboard.setMarkedText("か");

  keyboard.setMarkedText("かなに");

  EXPECT_EQ(length(), 1001u);
  EXPECT_EQ(bar->textView()->markedText(), "かなに");
  EXPECT_EQ(prompts(), 0);

  keyboard.unmarkText();

  EXPECT_EQ(text(), std::string(998, 'a') + "かな");
  EXPECT_FALSE(bar->textView()->markedTextRange());
  EXPECT_EQ(prompts(), 1);
}

TEST_F(ChatInputViewTest, ComposedTextCommittedByLosingFocusIsHeldToTheLimitToo) {
  focus();
  keyboard.paste(std::string(998, 'a'));
  keyboard.setMarkedText("か");
  keyboard.setMarkedText("かなに");
  recorder->changes.clear();

  bar->resignActive();

  EXPECT_EQ(text(), std::string(998, 'a') + "かな");
  EXPECT_EQ(recorder->changes, std::vector<std::string>{text()});
}

TEST_F(ChatInputViewTest, GrowsUpwardsToFourLinesKeepingItsBottomThenScrollsToKeepTheEndInView) {
  focus();
  const CGFloat restingBottom = bottom();
  const auto field = bar->textView();
  std::vector<CGFloat> heights{bar->frame().size.height};

  keyboard.type("one");
  for (const char* line : {"two", "three", "four"}) {
    keyboard.pressReturn();
    keyboard.type(line);
    heights.push_back(bar->frame().size.height);
    EXPECT_DOUBLE_EQ(bottom(), restingBottom) << line;
  }

  // Each line adds its height and the spacing; the fourth reaches the maximum.
  for (size_t i = 1; i < heights.size(); ++i) EXPECT_GT(heights[i], heights[i - 1]);
  EXPECT_DOUBLE_EQ(heights.back(), 20 + bar->textViewMaxContentHeight() + 16);
  EXPECT_DOUBLE_EQ(field->frame().size.height, 20 + bar->textViewMaxContentHeight());
  EXPECT_DOUBLE_EQ(field->contentOffset().y, -10) << "four lines fit: no scrolling yet";

  keyboard.pressReturn();
  keyboard.type("five");

  EXPECT_DOUBLE_EQ(bar->frame().size.height, heights.back());
  EXPECT_DOUBLE_EQ(bottom(), restingBottom);
  EXPECT_GT(field->contentOffset().y, -10);
  // The last character's line lies inside the field.
  const CGRect caret = field->caretRectForIndex(length() - 1);
  EXPECT_GE(caret.origin.y, field->contentOffset().y);
  EXPECT_LE(CGRectGetMaxY(caret), field->contentOffset().y + field->bounds().size.height);
}

TEST_F(ChatInputViewTest, SendEmptiesAndShrinksTheBarAndHandsTheTextOnOnceAsTheUsers) {
  focus();
  const CGFloat restingBottom = bottom();
  keyboard.type("one");
  for (const char* line : {"two", "three", "four", "five"}) {
    keyboard.pressReturn();
    keyboard.type(line);
  }
  ASSERT_GT(bar->frame().size.height, oneLineHeight);

  tapCentre(bar->sendBtn());

  EXPECT_EQ(recorder->sent, (std::vector<std::pair<std::string, std::string>>{
                                {"sender", "one\ntwo\nthree\nfour\nfive"}}));
  EXPECT_EQ(text(), "");
  EXPECT_DOUBLE_EQ(bar->frame().size.height, oneLineHeight);
  EXPECT_DOUBLE_EQ(bottom(), restingBottom);
  EXPECT_EQ(bar->placeholderLabel()->alpha(), 1);
  EXPECT_EQ(bar->sendBtn()->alpha(), 0);
  EXPECT_EQ(bar->toolView()->alpha(), 1);

  // An empty field has no "Send" to tap, and its camera sends nothing.
  tapCentre(bar->sendBtn());
  tapCentre(bar->cameraImage());

  EXPECT_EQ(recorder->sent.size(), 1u);
}

TEST_F(ChatInputViewTest, TheCameraSendsTheTextAsTheOtherUsersSpacesIncluded) {
  focus();
  keyboard.type("hi there");

  tapCentre(bar->cameraImage());
  keyboard.type("   ");
  tapCentre(bar->cameraImage());

  EXPECT_EQ(recorder->sent, (std::vector<std::pair<std::string, std::string>>{
                                {"recipient", "hi there"}, {"recipient", "   "}}));
  EXPECT_EQ(text(), "");
  EXPECT_TRUE(bar->isActive()) << "the keyboard stays up for the next message";
}

TEST_F(ChatInputViewTest, AReleasedDelegateIsNotCalled) {
  focus();
  auto counted = std::make_shared<Recorder>();
  bar->setDelegate(counted);
  std::weak_ptr<Recorder> watch = counted;
  keyboard.type("a");
  ASSERT_EQ(counted->changes.size(), 1u);

  counted.reset();
  keyboard.type("b");
  tapCentre(bar->sendBtn());

  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(text(), "") << "sending still empties the field";
}

TEST_F(ChatInputViewTest, SwitchingTheAppearanceRepaintsTheFieldsBorder) {
  const auto border = [&] { return bar->textView()->layer()->borderColor(); };
  UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleLight);
  EXPECT_EQ(border(), (CGColor{0.86, 0.86, 0.86, 1}));

  UIApplication::sharedApplication()->setUserInterfaceStyle(UIUserInterfaceStyleDark);

  EXPECT_EQ(border(), (CGColor{0.15, 0.15, 0.15, 1}));
}

TEST(ChatInputViewColour, ReadsSixHexDigitsWithOrWithoutAPrefixAndElseGivesGrey) {
  CGColor send{0, 152 / 255.0, 253 / 255.0, 1};
  CGColor grey = UIColor::systemGrayColor()->CGColor();
  const std::vector<std::pair<std::string, CGColor>> cases = {
      {"0098FD", send},
      {"0098fd", send},
      {"0x0098fd", send},
      {"  0X0098FD\n", send},
      {"ffffff", {1, 1, 1, 1}},
      {"#0098FD", grey},   // 7 characters: a number sign is not accepted
      {"0098F", grey},     // too short
      {"0x0098F", grey},   // too short once the prefix is gone
      {"0098FD00", grey},  // alpha is not read
      {"0098GZ", grey},    // not hexadecimal
      {"", grey},
  };

  for (const auto& [string, expected] : cases) {
    EXPECT_EQ(ParloChatInputView::colorWithHexString(string)->CGColor(), expected) << string;
  }
}

// The pixels of the bar as drawn: "Send" in its blue only once there is text, a taller picture
// for four lines, and a background that follows the appearance.
TEST_F(ChatInputViewTest, DrawsSendOnlyWithTextGrowsWithItsLinesAndFollowsTheAppearance) {
  // The bar's right end holds "Send" or the three tools; the blue camera is at its left end.
  const auto sendBluePixels = [](cairo_surface_t* surface) {
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    int count = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = width - 3 * 110; x < width; ++x) {
        const auto [r, g, b] = pixelAt(surface, x, y);
        if (r < 60 && std::abs(g - 152) < 40 && b > 200) ++count;
      }
    }
    return count;
  };
  std::vector<uint32_t> backgrounds;

  for (auto style : {UIUserInterfaceStyleLight, UIUserInterfaceStyleDark}) {
    const std::string suffix = style == UIUserInterfaceStyleDark ? "-dark" : "-light";
    UIApplication::sharedApplication()->setUserInterfaceStyle(style);
    bar->clear();
    Picture empty = snapshot("input-empty" + suffix);
    bar->textView()->setText("Hey, are you coming tonight?");
    bar->updateWithTextView(bar->textView());
    Picture oneLine = snapshot("input-one-line" + suffix);
    bar->textView()->setText(
        "First line of a longer note\nsecond line\nthird line, which is long enough to wrap");
    bar->updateWithTextView(bar->textView());
    Picture fourLines = snapshot("input-four-lines" + suffix);

    EXPECT_EQ(sendBluePixels(empty.get()), 0) << suffix;
    EXPECT_GT(sendBluePixels(oneLine.get()), 20) << suffix;
    EXPECT_GT(cairo_image_surface_get_height(fourLines.get()),
              cairo_image_surface_get_height(oneLine.get()) + 3 * 30)
        << suffix;
    backgrounds.push_back(rawPixelAt(empty.get(), 3, 3));
  }
  EXPECT_NE(backgrounds[0], backgrounds[1]);
}
