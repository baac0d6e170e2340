#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Script.h"
#include "ScriptRunner.h"
#include "CommaDecimalLocale.h"
#include "TemporaryDeviceRoot.h"
#include "ViewTreeDump.h"
#include "foundation/DeviceRoot.h"
#include "foundation/RunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UIImpactFeedbackGenerator.h"
#include "uikit/UILabel.h"
#include "uikit/UIScrollView.h"
#include "uikit/UIWindow.h"

namespace {

// Counts which of its buttons were tapped.
class TapCounter : public NSObject {
  OBJC_CLASS(TapCounter, NSObject);

 public:
  void tapped(id sender) { taps.push_back(std::dynamic_pointer_cast<UIView>(sender)->tag()); }
  std::vector<long> taps;
};

// A whole PNG of one opaque pixel.
std::shared_ptr<NSData> pngOfOnePixel() {
  static const uint8_t bytes[] = {
      0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
      0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
      0x00, 0x1f, 0x15, 0xc4, 0x89, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x44, 0x41, 0x54, 0x78,
      0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0xf0, 0x1f, 0x00, 0x05, 0x00, 0x01, 0xff, 0x89, 0x99,
      0x3d, 0x1d, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
  return NSData::dataWithBytes(bytes, sizeof bytes);
}

class ScriptRunnerTests : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    counter_ = TapCounter::alloc();
    window_ = UIWindow::alloc()->init();
    for (long i = 0; i < 3; ++i) {
      auto button = UIButton::buttonWithType(UIButtonTypeCustom);
      button->setTitle("Go", UIControlStateNormal);
      button->setFrame({{20, 100 + 60.0 * i}, {200, 44}});
      button->setTag(i + 1);
      button->addTarget(counter_, SEL("tapped:"), UIControlEventTouchUpInside);
      window_->addSubview(button);
    }
    hidden_ = UILabel::alloc()->initWithFrame({{20, 400}, {200, 20}});
    hidden_->setText("Secret");
    hidden_->setHidden(true);
    window_->addSubview(hidden_);
    offscreen_ = UILabel::alloc()->initWithFrame({{20, 900}, {200, 20}});
    offscreen_->setText("Below");
    window_->addSubview(offscreen_);
    window_->makeKeyAndVisible();
  }

  void TearDown() override { window_->setHidden(true); }

  // The run's status and what it printed to standard error.
  std::pair<int, std::string> run(const std::string& source) {
    ::testing::internal::CaptureStderr();
    int status = sim::runScript(sim::parseScript(source), {"test.script", output_.string()});
    return {status, ::testing::internal::GetCapturedStderr()};
  }

  std::shared_ptr<TapCounter> counter_;
  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<UILabel> hidden_;
  std::shared_ptr<UILabel> offscreen_;
  testsupport::TemporaryDirectory output_{"parlo-runner"};
};

}  // namespace

OBJC_CLASS_IMPL(TapCounter) {
  c.method("tapped:", &TapCounter::tapped);
}

TEST_F(ScriptRunnerTests, ATextTargetPicksTheNthMatchInDrawingOrder) {
  auto [status, message] = run("tap \"Go\" [2]\ntap \"Go\"\ntap 120 242\n");

  EXPECT_EQ(status, 0) << message;
  EXPECT_EQ(counter_->taps, (std::vector<long>{2, 1, 3}));
}

TEST_F(ScriptRunnerTests, HiddenAndOffScreenTextIsNotThere) {
  EXPECT_EQ(sim::visibleViewsShowingText("Secret").size(), 0u);
  EXPECT_EQ(sim::visibleViewsShowingText("Below").size(), 0u);
  EXPECT_EQ(sim::visibleViewsShowingText("Go").size(), 3u);

  auto [status, message] = run("expect no-text \"Secret\"\nexpect no-text \"Below\"\n");

  EXPECT_EQ(status, 0) << message;
}

TEST_F(ScriptRunnerTests, ATextTargetIsTouchedInTheMiddleOfWhatShowsOnTheScreen) {
  // Reaches past the right edge of the screen, whose middle is beyond it.
  auto wide = UIButton::buttonWithType(UIButtonTypeCustom);
  wide->setTitle("Wide", UIControlStateNormal);
  wide->setFrame({{300, 500}, {200, 44}});
  wide->setTag(9);
  wide->addTarget(counter_, SEL("tapped:"), UIControlEventTouchUpInside);
  window_->addSubview(wide);

  auto [status, message] = run("tap \"Wide\"\n");

  EXPECT_EQ(status, 0) << message;
  EXPECT_EQ(counter_->taps, std::vector<long>{9});
}

TEST_F(ScriptRunnerTests, ACommandThatCannotBeCarriedOutStopsTheRunAtItsLine) {
  struct Case {
    const char* script;
    const char* message;
  };
  const Case cases[] = {
      {"wait 1\ntap \"Go\" [4]\ntap \"Go\"\n", "test.script:2: \"Go\" [4]: only 3 visible"},
      {"tap \"Secret\"\ntap \"Go\"\n", "test.script:1: no visible label"},
      {"# nothing\n\nexpect text \"Nope\"\ntap \"Go\"\n", "test.script:3: expected \"Nope\""},
      {"expect no-text \"Go\"\ntap \"Go\"\n", "test.script:1: expected no \"Go\""},
      {"tap \"Go\"\nfly away\n", "test.script:2: unknown command fly"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    counter_->taps.clear();

    auto [status, message] = run(c.script);

    EXPECT_EQ(status, 1);
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
    // Nothing after the failing line runs, and a script that cannot be read runs not at all.
    EXPECT_TRUE(counter_->taps.empty());
  }
}

TEST_F(ScriptRunnerTests, TimePassesOnlyThroughWaitsAndTouches) {
  bool fired = false;
  RunLoop::scheduleAfter(1.0, [&] { fired = true; });

  auto [status, message] = run("tap \"Go\"\nexpect text \"Go\"\n");

  EXPECT_EQ(status, 0) << message;
  EXPECT_FALSE(fired);
  // The tap's finger rested 0.05 s; the rest of the second comes from the wait.
  run("wait 0.95\n");
  EXPECT_TRUE(fired);
}

TEST_F(ScriptRunnerTests, ADumpNamesEachViewsClassTextScreenFrameAndImage) {
  // Images named by what they were loaded as: a file (without its folders, also through a
  // variant), a symbol, and none for one made from data.
  {
    testsupport::TemporaryDeviceRoot device("parlo-runner-device");
    auto pixels = UIImagePNGRepresentation(UIImage::imageWithData(pngOfOnePixel()));
    for (const char* path :
         {"/img/avatars/maya.png", "/System/Library/CoreServices/Symbols/phone.png"}) {
      std::filesystem::create_directories(device.host(path).parent_path());
      ASSERT_TRUE(DeviceRoot::writeFile(path, pixels->span(), false));
    }
    auto fromFile = UIImage::imageWithContentsOfFile("/img/avatars/maya.png");
    ASSERT_NE(fromFile, nullptr);
    std::shared_ptr<UIImage> images[] = {
        fromFile->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate),
        UIImage::systemImageNamed("phone"), UIImage::imageWithData(pixels), nullptr};
    for (size_t i = 0; i < std::size(images); ++i) {
      auto imageView = UIImageView::alloc()->initWithImage(images[i]);
      imageView->setFrame({{300, 100 + 30.0 * i}, {20, 20}});
      window_->addSubview(imageView);
    }
  }

  auto [status, message] = run("dump tree.json\n");
  ASSERT_EQ(status, 0) << message;
  std::ifstream file(output_ / "tree.json");
  std::stringstream json;
  json << file.rdbuf();

  std::string text = json.str();
  EXPECT_NE(text.find("\"class\": \"UIButtonLabel\""), std::string::npos);
  EXPECT_NE(text.find("\"text\": \"Secret\""), std::string::npos);
  EXPECT_NE(text.find("\"frame\": [20, 900, 200, 20]"), std::string::npos);
  EXPECT_NE(text.find("\"hidden\": true"), std::string::npos);
  size_t named = text.find("\"image\": \"maya.png\"");
  size_t symbol = text.find("\"image\": \"phone\"");
  size_t data = text.find("\"image\": \"\"");
  EXPECT_NE(named, std::string::npos);
  EXPECT_NE(symbol, std::string::npos);
  EXPECT_NE(data, std::string::npos);
  EXPECT_TRUE(named < symbol && symbol < data);
  EXPECT_EQ(text.find("avatars"), std::string::npos);
}

TEST_F(ScriptRunnerTests, HapticTapsAreCountedFromTheStartOfTheProcess) {
  UIImpactFeedbackGenerator::clearRecordedImpacts();
  auto generator = UIImpactFeedbackGenerator::alloc()->initWithStyle(UIImpactFeedbackStyleLight);

  EXPECT_EQ(run("expect haptics 0\n").first, 0);
  generator->impactOccurred();
  EXPECT_EQ(run("expect haptics 1\n").first, 0);
  generator->impactOccurred();
  auto [status, message] = run("expect haptics 1\n");
  UIImpactFeedbackGenerator::clearRecordedImpacts();

  EXPECT_EQ(status, 1);
  EXPECT_NE(message.find("test.script:1: expected 1 haptic taps so far, but there were 2"),
            std::string::npos)
      << message;
}

TEST_F(ScriptRunnerTests, ADumpGivesAScrollViewsInsetOffsetAndContentSize) {
  auto scroll = UIScrollView::alloc()->initWithFrame({{0, 0}, {390, 300}});
  scroll->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentNever);
  scroll->setContentSize({390, 1000});
  scroll->setContentInset(UIEdgeInsetsMake(100, 0, 95, 0));
  scroll->setContentOffset({0, 250});
  window_->addSubview(scroll);

  auto [status, message] = run("dump scroll.json\n");
  ASSERT_EQ(status, 0) << message;
  std::ifstream file(output_ / "scroll.json");
  std::stringstream json;
  json << file.rdbuf();

  std::string text = json.str();
  EXPECT_NE(text.find("\"contentInset\": [100, 0, 95, 0]"), std::string::npos) << text;
  EXPECT_NE(text.find("\"contentOffset\": [0, 250]"), std::string::npos);
  EXPECT_NE(text.find("\"contentSize\": [390, 1000]"), std::string::npos);
  // Only scroll views carry them.
  EXPECT_EQ(text.find("\"contentInset\""), text.rfind("\"contentInset\""));
}

TEST_F(ScriptRunnerTests, ADumpSpellsFractionsWithAPointUnderADecimalCommaLocale) {
  auto label = UILabel::alloc()->initWithFrame({{20.5, 450.25}, {100.125, 20}});
  window_->addSubview(label);
  testsupport::CommaDecimalLocale german;
  if (!german.available()) GTEST_SKIP() << "localedef or the de_DE locale sources are missing";

  const std::string text = sim::dumpWindowsAsJSON();

  EXPECT_NE(text.find("\"frame\": [20.5, 450.25, 100.125, 20]"), std::string::npos) << text;
}
