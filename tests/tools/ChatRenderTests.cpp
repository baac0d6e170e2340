#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
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
#include "foundation/NSData.h"
#include "foundation/RunLoop.h"
#include "quartz/UIColor.h"
#include "render/LayerPainter.h"
#include "render/Renderer.h"
#include "render/ScreenPainting.h"
#include "uikit/UIImage.h"
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
    save();
  }

  void save() {
    auto bytes = ChatFile::encode(*records_);
    ASSERT_TRUE(bytes);
    std::ofstream(chatFile_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes->data()), std::streamsize(bytes->size()));
  }

  void add(const char* text, std::string_view type, bool avatar, bool like) {
    records_->addObject(ChatDataModel::alloc()->initWithMessage(text, type, avatar, like, false));
  }

  testsupport::ToolRun render(const fs::path& out, const std::string& appearance,
                              const fs::path& avatar = {}) {
    std::vector<std::string> arguments{
        PARLO_FILES_PATH, "chat",         "render",   chatFile_.string(), "--out",
        out.string(),     "--appearance", appearance, "--device-root",    root_.string()};
    if (!avatar.empty()) {
      arguments.insert(arguments.end(), {"--recipient", "maya", "--avatar", avatar.string()});
    }
    return testsupport::runTool(arguments, root_.folder());
  }

  const std::string home_ = HostApp::containerPath(HostApp::kDefaultBundleIdentifier);
  testsupport::TemporaryDeviceRoot root_{"parlo-chat-render", home_};
  std::shared_ptr<NSMutableArray> records_;
  fs::path chatFile_;
};

// The whole chat drawn the plain way: the table tall enough to show every row at once, every pixel
// painted. What the picture must be, however the tool bands it and finds which pixels repeat.
Surface paintEveryPixel(const NSMutableArray& records, UIUserInterfaceStyle style,
                        const std::shared_ptr<UIImage>& avatar) {
  UIScreen::mainScreen()->setUserInterfaceStyle(style);
  auto screen =
      ParloFakeChatViewController::alloc()->initWithUsername(NSString::string("maya"), avatar);
  screen->view()->setFrame(CGRectMake(0, 0, 390, 844));
  auto messages = screen->currentMessages();
  messages->removeAllObjects();
  for (const id& record : records.objects()) messages->addObject(record);
  auto table = screen->tableView();
  table->setContentInset(UIEdgeInsetsZero);
  table->reloadData();
  table->layoutIfNeeded();
  table->setFrame(CGRectMake(0, 0, 390, table->contentSize().height));
  table->setContentOffset(CGPointZero);
  table->layoutIfNeeded();
  const int height = static_cast<int>(std::ceil(table->contentSize().height * 3 - 1e-6));
  Surface picture(render::createPixelSurface(1170, height), cairo_surface_destroy);
  const CGColor background =
      UIColor::systemBackgroundColor()
          ->resolvedColorWithTraitCollection(
              UITraitCollection::traitCollectionWithUserInterfaceStyle(style))
          ->CGColor();
  cairo_t* cr = cairo_create(picture.get());
  cairo_set_source_rgb(cr, background.red, background.green, background.blue);
  cairo_paint(cr);
  cairo_scale(cr, 3, 3);
  render::LayerPainter(cr).paintLayerUnplaced(*table->layer(), style);
  cairo_destroy(cr);
  cairo_surface_flush(picture.get());
  return picture;
}

}  // namespace

TEST_F(ChatRender, EveryPixelIsAsIfEveryPixelWereDrawn) {
  // Rows of every kind and look, long enough for several bands: bubbles of one line and many,
  // with line breaks and emoji, likes, avatars, calls and a time header.
  add("Are you coming to the rooftop thing tonight? Everyone from the team will be there and I "
      "promised I would bring you along, no excuses this time 😅",
      "INCOMING", true, false);
  add("Ok", "OUTGOING", false, true);
  add("Line one\nline two\n\nline four after an empty one", "OUTGOING", false, false);
  add("18:02", "OUTGOING-START-CALL", false, false);
  add("18:09", "OUTGOING-ENDED-CALL", false, false);
  add("Today 18:30", "TIME-HEADER", false, false);
  add("👀", "INCOMING", false, true);
  add("naïve résumé café jalapeño fiancée", "INCOMING", true, true);
  add("19:00", "INCOMING-START-CALL", false, false);
  for (int i = 0; i < 6; ++i) {
    add("See you at the station at half past seven, I will be by the big clock", "OUTGOING", false,
        i % 2 == 0);
  }
  save();
  const fs::path avatarFile = root_.folder() / "avatar.png";
  {
    Surface face(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 90, 90), cairo_surface_destroy);
    cairo_t* cr = cairo_create(face.get());
    cairo_set_source_rgb(cr, 0.9, 0.5, 0.2);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.2, 0.3, 0.8);
    cairo_arc(cr, 45, 35, 20, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_destroy(cr);
    ASSERT_EQ(cairo_surface_write_to_png(face.get(), avatarFile.c_str()), CAIRO_STATUS_SUCCESS);
  }
  std::ifstream avatarIn(avatarFile, std::ios::binary);
  std::vector<uint8_t> avatarBytes((std::istreambuf_iterator<char>(avatarIn)), {});
  auto avatar = UIImage::imageWithData(NSData::dataWithBytes(std::move(avatarBytes)));
  ASSERT_TRUE(avatar);

  for (const std::string appearance : {"light", "dark"}) {
    SCOPED_TRACE(appearance);
    const fs::path out = root_.folder() / ("every-" + appearance + ".png");
    const auto run = render(out, appearance, avatarFile);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    Surface picture = loadPNG(out);
    ASSERT_EQ(cairo_surface_status(picture.get()), CAIRO_STATUS_SUCCESS);
    Surface expected = paintEveryPixel(
        *records_, appearance == "dark" ? UIUserInterfaceStyleDark : UIUserInterfaceStyleLight,
        avatar);
    const int height = cairo_image_surface_get_height(expected.get());
    ASSERT_EQ(cairo_image_surface_get_height(picture.get()), height);
    ASSERT_GT(height, 4 * 900);
    int wrongRows = 0, firstWrong = -1;
    for (int y = 0; y < height; ++y) {
      if (rowDifference(picture.get(), y, expected.get(), y) != 0) {
        if (firstWrong < 0) firstWrong = y;
        ++wrongRows;
      }
    }
    EXPECT_EQ(wrongRows, 0) << "first at pixel row " << firstWrong;
  }
}

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

// Rows that differ in little, one character near the end of the text or only in the like, are
// drawn apart, each as the chat screen draws it.
TEST_F(ChatRender, RowsOneCharacterOrALikeApartAreEachTheChatScreensOwn) {
  records_->removeAllObjects();
  add("Meet me by the big clock at the station at 7:15", "OUTGOING", false, false);
  add("Meet me by the big clock at the station at 7:16", "OUTGOING", false, false);
  add("Sounds good, see you there", "INCOMING", true, false);
  add("Sounds good, see you there", "INCOMING", true, true);
  save();
  UIScreen::mainScreen()->setUserInterfaceStyle(UIUserInterfaceStyleLight);
  auto screen =
      ParloFakeChatViewController::alloc()->initWithUsername(NSString::string("maya"), nullptr);
  auto window = UIWindow::alloc()->init();
  window->setRootViewController(screen);
  window->makeKeyAndVisible();
  window->layoutIfNeeded();
  RunLoop::advance(1);
  window->layoutIfNeeded();
  Surface snapshot(render::renderScreen(), cairo_surface_destroy);

  const fs::path out = root_.folder() / "pairs.png";
  const auto run = render(out, "light");

  ASSERT_EQ(run.exitCode, 0) << run.err;
  Surface picture = loadPNG(out);
  ASSERT_EQ(cairo_surface_status(picture.get()), CAIRO_STATUS_SUCCESS);
  auto table = screen->tableView();
  std::vector<int> firsts, lasts;
  for (long row = 0; row < 4; ++row) {
    const CGRect rect = table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
    const CGFloat onScreen = rect.origin.y - table->contentOffset().y;
    ASSERT_GE(onScreen, 100) << "row " << row << " is under the bar";
    ASSERT_LE(onScreen + rect.size.height, 844 - 95) << "row " << row << " is under the input";
    firsts.push_back(static_cast<int>(std::ceil(rect.origin.y * 3)));
    lasts.push_back(static_cast<int>(std::floor(CGRectGetMaxY(rect) * 3)));
    const int shift = static_cast<int>(std::lround((onScreen - rect.origin.y) * 3));
    int largest = 0;
    for (int y = firsts.back(); y < lasts.back(); ++y) {
      largest = std::max(largest, rowDifference(picture.get(), y, snapshot.get(), y + shift));
    }
    EXPECT_LE(largest, 2) << "row " << row;
  }
  for (long pair : {0, 2}) {
    SCOPED_TRACE(pair);
    int largest = 0;
    for (int y = 0; y < lasts[pair] - firsts[pair]; ++y) {
      largest = std::max(largest, rowDifference(picture.get(), firsts[pair] + y, picture.get(),
                                                firsts[pair + 1] + y));
    }
    EXPECT_GT(largest, 64);
  }
  window->setHidden(true);
}

// The tool scrolls through the chat in bands of 300 points. A row drawn a little outside its own
// frame (a bubble starts 2 points above its row, and its edge is antialiased a pixel further)
// must be whole however the row and the band boundary fall: each pixel row across the boundary is
// the chat screen's own at that place.
TEST_F(ChatRender, ABubbleAcrossABandBoundaryIsTheChatScreensOwn) {
  // Rows of fixed height (calls 73 points, time headers 40, below the profile block's 278) put
  // the row of interest where wanted.
  const struct {
    const char* what;
    int calls, headers;
    const char* type;
    double boundary, rowTop;
  } cases[] = {
      {"bubble at the boundary", 8, 1, "INCOMING", 900, 902},
      {"bubble a point below it", 5, 14, "INCOMING", 1200, 1203},
      {"bubble a point above it, its row below", 11, 3, "OUTGOING", 1200, 1201},
      {"row at the boundary, bubble above it", 14, 5, "INCOMING", 1500, 1500},
      {"call card at the boundary", 14, 5, "INCOMING-ENDED-CALL", 1500, 1500},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    records_->removeAllObjects();
    for (int i = 0; i < test.calls; ++i) add("17:20", "OUTGOING-ENDED-CALL", false, false);
    for (int i = 0; i < test.headers; ++i) add("Today 17:16", "TIME-HEADER", false, false);
    add("Are you coming to the rooftop thing tonight?", test.type, false, false);
    for (int i = 0; i < 8; ++i) add("See you at the station", "OUTGOING", false, false);
    save();
    UIScreen::mainScreen()->setUserInterfaceStyle(UIUserInterfaceStyleLight);
    auto screen =
        ParloFakeChatViewController::alloc()->initWithUsername(NSString::string("maya"), nullptr);
    auto window = UIWindow::alloc()->init();
    window->setRootViewController(screen);
    window->makeKeyAndVisible();
    window->layoutIfNeeded();
    RunLoop::advance(1);
    auto table = screen->tableView();
    const CGRect rect =
        table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(test.calls + test.headers, 0));
    ASSERT_EQ(rect.origin.y, test.rowTop);
    // The boundary halfway down the screen, clear of the bar and the input.
    table->setContentOffset(CGPointMake(0, test.boundary - 400));
    window->layoutIfNeeded();
    Surface snapshot(render::renderScreen(), cairo_surface_destroy);
    const int shift = static_cast<int>(
        std::lround((rect.origin.y - table->contentOffset().y - rect.origin.y) * 3));

    const fs::path out = root_.folder() / "boundary.png";
    const auto run = render(out, "light");

    ASSERT_EQ(run.exitCode, 0) << run.err;
    Surface picture = loadPNG(out);
    ASSERT_EQ(cairo_surface_status(picture.get()), CAIRO_STATUS_SUCCESS);
    const int boundary = static_cast<int>(test.boundary * 3);
    for (int y = boundary - 12; y < boundary + 12; ++y) {
      EXPECT_LE(rowDifference(picture.get(), y, snapshot.get(), y + shift), 2) << "pixel row " << y;
    }
    // And drawing only what may differ from the row above loses nothing there either.
    Surface expected = paintEveryPixel(*records_, UIUserInterfaceStyleLight, nullptr);
    ASSERT_EQ(cairo_image_surface_get_height(picture.get()),
              cairo_image_surface_get_height(expected.get()));
    for (int y = 0; y < cairo_image_surface_get_height(expected.get()); ++y) {
      ASSERT_EQ(rowDifference(picture.get(), y, expected.get(), y), 0) << "pixel row " << y;
    }
    window->setHidden(true);
  }
}
