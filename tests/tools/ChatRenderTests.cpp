#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "HostApp.h"
#include "TemporaryDeviceRoot.h"
#include "ToolRun.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatFile.h"
#include "chat/ChatRowHeights.h"
#include "chat/ParloFakeChatViewController.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSArray.h"
#include "foundation/RunLoop.h"
#include "render/Renderer.h"
#include "uikit/UIScreen.h"
#include "uikit/UITableView.h"
#include "uikit/UIWindow.h"

namespace fs = std::filesystem;

namespace {

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

Surface loadPNG(const fs::path& path) {
  return Surface(cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy);
}

// The largest difference of a colour channel between two rows of pixels, each picture's own
// row given.
int rowDifference(cairo_surface_t* a, int rowA, cairo_surface_t* b, int rowB) {
  const int width = std::min(cairo_image_surface_get_width(a), cairo_image_surface_get_width(b));
  const auto* pa = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(a) +
                                                     rowA * cairo_image_surface_get_stride(a));
  const auto* pb = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(b) +
                                                     rowB * cairo_image_surface_get_stride(b));
  int largest = 0;
  for (int x = 0; x < width; ++x) {
    for (int shift : {0, 8, 16}) {
      const int da = static_cast<int>((pa[x] >> shift) & 0xFF);
      const int db = static_cast<int>((pb[x] >> shift) & 0xFF);
      largest = std::max(largest, std::abs(da - db));
    }
  }
  return largest;
}

// The recipient's chat, stored where the host app keeps it, drawn by the tool and by the chat
// screen itself.
class ChatRender : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    records_ = NSMutableArray::array();
    const struct {
      const char* text;
      const char* type;
      bool avatar, like;
    } rows[] = {{"Today 17:16", "TIME-HEADER", false, false},
                {"Hi Maya, are you around?", "OUTGOING", false, false},
                {"Yes, just got home and I am unpacking the shopping, give me a few minutes",
                 "INCOMING", true, true},
                {"Great 👍", "OUTGOING", false, true},
                {"17:20", "INCOMING-ENDED-CALL", false, false}};
    for (const auto& row : rows) {
      records_->addObject(
          ChatDataModel::alloc()->initWithMessage(row.text, row.type, row.avatar, row.like, false));
    }
    chatFile_ = root_.host(home_ + "/Documents/ParloChats/maya.plist");
    fs::create_directories(chatFile_.parent_path());
    auto bytes = ChatFile::encode(*records_);
    ASSERT_TRUE(bytes);
    std::ofstream(chatFile_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes->data()), std::streamsize(bytes->size()));
  }

  testsupport::ToolRun render(const fs::path& out, const std::string& appearance) {
    return testsupport::runTool(
        {PARLO_FILES_PATH, "chat", "render", chatFile_.string(), "--out", out.string(),
         "--appearance", appearance, "--device-root", root_.string()},
        root_.folder());
  }

  const std::string home_ = HostApp::containerPath(HostApp::kDefaultBundleIdentifier);
  testsupport::TemporaryDeviceRoot root_{"parlo-chat-render", home_};
  std::shared_ptr<NSMutableArray> records_;
  fs::path chatFile_;
};

}  // namespace

TEST_F(ChatRender, ThePictureIsTheProfileBlockAndEveryRowAndEachRowIsTheChatScreensOwn) {
  for (const std::string appearance : {"light", "dark"}) {
    SCOPED_TRACE(appearance);
    const fs::path out = root_.folder() / ("chat-" + appearance + ".png");
    UIScreen::mainScreen()->setUserInterfaceStyle(appearance == "dark" ? UIUserInterfaceStyleDark
                                                                       : UIUserInterfaceStyleLight);
    auto screen =
        ParloFakeChatViewController::alloc()->initWithUsername(NSString::string("maya"), nullptr);
    auto window = UIWindow::alloc()->init();
    window->setRootViewController(screen);
    window->makeKeyAndVisible();
    window->layoutIfNeeded();
    // Opening a saved chat scrolls to its last row.
    RunLoop::advance(1);
    window->layoutIfNeeded();
    Surface snapshot(render::renderScreen(), cairo_surface_destroy);

    const auto run = render(out, appearance);

    ASSERT_EQ(run.exitCode, 0) << run.err;
    Surface picture = loadPNG(out);
    ASSERT_EQ(cairo_surface_status(picture.get()), CAIRO_STATUS_SUCCESS);
    CGFloat rows = 0;
    for (const id& record : records_->objects()) {
      rows += ChatRowHeights::heightForRecord(static_cast<const ChatDataModel&>(*record), 390);
    }
    EXPECT_EQ(cairo_image_surface_get_width(picture.get()), 1170);
    EXPECT_EQ(cairo_image_surface_get_height(picture.get()),
              static_cast<int>(std::ceil((278 + rows) * 3 - 1e-6)));
    auto table = screen->tableView();
    for (long row = 0; row < static_cast<long>(records_->count()); ++row) {
      const CGRect rect = table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
      const CGFloat onScreen = rect.origin.y - table->contentOffset().y;
      ASSERT_GE(onScreen, 100) << "row " << row << " is under the bar";
      ASSERT_LE(onScreen + rect.size.height, 844 - 95) << "row " << row << " is under the input";
      const int first = static_cast<int>(std::ceil(rect.origin.y * 3));
      const int last = static_cast<int>(std::floor(CGRectGetMaxY(rect) * 3));
      const int shift = static_cast<int>(std::lround((onScreen - rect.origin.y) * 3));
      int largest = 0;
      for (int y = first; y < last; ++y) {
        largest = std::max(largest, rowDifference(picture.get(), y, snapshot.get(), y + shift));
      }
      EXPECT_LE(largest, 2) << "row " << row;
    }
    window->setHidden(true);
  }
}

TEST_F(ChatRender, RefusesAFileThatIsNotAChatAndAPictureItCannotWrite) {
  const fs::path notChat = root_.folder() / "notes.plist";
  std::ofstream(notChat) << "hello";
  const fs::path nowhere = root_.folder() / "missing-folder" / "chat.png";

  const auto bad = testsupport::runTool(
      {PARLO_FILES_PATH, "chat", "render", notChat.string(), "--out", "x.png"}, root_.folder());
  const auto unwritable = render(nowhere, "light");
  const auto badAppearance = render(root_.folder() / "chat.png", "sepia");

  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("not a chat file"), std::string::npos) << bad.err;
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
  EXPECT_EQ(badAppearance.exitCode, 1);
  EXPECT_FALSE(fs::exists(root_.folder() / "chat.png"));
  EXPECT_FALSE(fs::exists(root_.folder() / "x.png"));
}
