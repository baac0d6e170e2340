#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "ScreenTouches.h"
#include "TemporaryDeviceRoot.h"
#include "TestFiles.h"
#include "TestImages.h"
#include "ThreadScreenTest.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSURL.h"
#include "foundation/RunLoop.h"
#include "hook/ThreadTitleHook.h"
#include "settings/FakeCallCell.h"
#include "settings/FakeCallSettingViewController.h"
#include "settings/FollowSwitchCell.h"
#include "settings/SettingManager.h"
#include "settings/SwitchCell.h"
#include "settings/TDHeaderView.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"
#include "uikit/UIKeyboard.h"
#include "uikit/UITextField.h"
#include "uikit/UIWindow.h"

namespace {

namespace fs = std::filesystem;
using testsupport::onScreen;

using testsupport::screenCentre;
using testsupport::tapAndSettle;
using testsupport::visibleButtonTitled;

constexpr const char* kHome = "/var/mobile/Containers/Data/Application/SETTINGS-SCREEN-TEST";
constexpr const char* kLibrary = "/var/mobile/Media/DCIM/100APPLE/";

// A controller that answers the header's actions, and records them.
class HeaderHost : public UIViewController {
  OBJC_CLASS(HeaderHost, UIViewController);

 public:
  void dismissVC() { calls.push_back("dismissVC"); }
  std::vector<std::string> calls;
};

class SettingsScreen : public testsupport::ThreadScreenTest {
 protected:
  SettingsScreen() : ThreadScreenTest("parlo-settings-screen", kHome) {}

  void SetUp() override {
    ThreadScreenTest::SetUp();
    fs::create_directories(device_.host(kLibrary));
  }

  void TearDown() override {
    ThreadScreenTest::TearDown();
    screen.reset();
  }

  // "Open Settings" in the thread title's options alert.
  void open() {
    ThreadTitleHook::openSettings(thread);
    RunLoop::advance(1);
    screen =
        std::dynamic_pointer_cast<FakeCallSettingViewController>(thread->presentedViewController());
    ASSERT_TRUE(screen);
    window->layoutIfNeeded();
  }

  std::shared_ptr<SettingCardCell> row(long index) {
    window->layoutIfNeeded();
    return std::dynamic_pointer_cast<SettingCardCell>(
        screen->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(index, 0)));
  }

  void tapRow(long index) { tapAndSettle(screenCentre(row(index)->titleLabel())); }

  std::shared_ptr<UIAlertController> alert() {
    return std::dynamic_pointer_cast<UIAlertController>(screen->presentedViewController());
  }

  // Types into the shown alert's field and taps one of its buttons.
  void answer(const std::string& text, const std::string& button) {
    ASSERT_TRUE(alert());
    UIKeyboard::shared().type(text);
    auto found = visibleButtonTitled(window, button);
    ASSERT_TRUE(found) << button;
    tapAndSettle(screenCentre(found));
  }

  void writeLibraryFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(device_.host(std::string(kLibrary) + name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

  fs::path videoFile() const { return *DeviceRoot::resolve(SettingManager::fakeCallVideoPath()); }

  std::shared_ptr<SettingManager> store = SettingManager::sharedInstance();
  std::shared_ptr<FakeCallSettingViewController> screen;
};

}  // namespace

OBJC_CLASS_IMPL(HeaderHost) {
  c.method("dismissVC", &HeaderHost::dismissVC);
}

TEST_F(SettingsScreen, ItIsACardSheetThatTheCloseButtonOrASwipeDownClosesAndReleases) {
  open();
  EXPECT_EQ(screen->modalPresentationStyle(), UIModalPresentationAutomatic);
  EXPECT_EQ(onScreen(screen->view()).origin.y, 57);
  // What it presents holds it only while shown.
  tapRow(2);
  answer("", "Cancel");
  tapRow(0);
  tapAndSettle(screenCentre(visibleButtonTitled(window, "Cancel")));
  std::weak_ptr<FakeCallSettingViewController> closed = screen;

  tapAndSettle(screenCentre(screen->headerView()->leftButton()));
  screen.reset();
  EXPECT_FALSE(thread->presentedViewController());
  EXPECT_TRUE(closed.expired());

  open();
  auto app = UIApplication::sharedApplication();
  app->touchDown(CGPointMake(195, 80));
  for (int step = 1; step <= 10; ++step) {
    RunLoop::advance(0.1);
    app->touchMove(CGPointMake(195, 80 + 40 * step));
  }
  app->touchUp(CGPointMake(195, 480));
  RunLoop::advance(1);
  EXPECT_FALSE(thread->presentedViewController());
}

TEST_F(SettingsScreen, SevenCardsOfSeventyFivePointsWithTheirSymbolsTextsAndSwitches) {
  struct Row {
    const char* kind;
    const char* symbol;
    const char* title;
    const char* subtitle;
  };
  const std::vector<Row> rows = {
      {"FakeCallCell", "person.crop.circle", "Profile", "Choose profile image"},
      {"FakeCallCell", "video.fill", "Video", "Choose fake video"},
      {"FakeCallCell", "person.fill", "Username", "Set your username"},
      {"FakeCallCell", "timer", "Delay", "User joined call delay"},
      {"FakeCallCell", "timer", "Delay", "Start incoming call delay"},
      {"SwitchCell", "bubble.left.fill", "Chat", "Auto save chat data"},
      {"FollowSwitchCell", "person.2.fill", "Follow", "Each other on instagram"},
  };
  store->setBool(false, "followEachOther");

  open();

  ASSERT_EQ(screen->tableView()->numberOfRowsInSection(0), 7);
  for (long i = 0; i < 7; ++i) {
    SCOPED_TRACE(rows[static_cast<size_t>(i)].title);
    auto cell = row(i);
    ASSERT_TRUE(cell);
    EXPECT_EQ(object_getClassName(cell), std::string(rows[static_cast<size_t>(i)].kind));
    EXPECT_EQ(onScreen(cell).size.height, 75);
    const CGRect card = onScreen(cell->baseView());
    EXPECT_EQ(card, CGRectInset(onScreen(cell), 5, 5));
    const CGRect tile = onScreen(cell->iconView());
    EXPECT_NEAR(tile.size.width, 40, 0.01);
    EXPECT_NEAR(tile.size.height, 40, 0.01);
    EXPECT_NEAR(CGRectGetMidY(tile), CGRectGetMidY(card), 0.34);
    EXPECT_EQ(onScreen(cell->titleLabel()).origin.y, tile.origin.y + 2);
    ASSERT_TRUE(cell->iconImage()->image());
    EXPECT_EQ(cell->iconImage()->image()->sourceName(), rows[static_cast<size_t>(i)].symbol);
    EXPECT_EQ(cell->titleLabel()->text()->utf8(), rows[static_cast<size_t>(i)].title);
    EXPECT_EQ(cell->subtitleLabel()->text()->utf8(), rows[static_cast<size_t>(i)].subtitle);
  }
  // Both switches start in their stored state: on when nothing is stored.
  EXPECT_TRUE(std::dynamic_pointer_cast<SwitchCell>(row(5))->toggleSwitch()->isOn());
  EXPECT_FALSE(std::dynamic_pointer_cast<FollowSwitchCell>(row(6))->toggleSwitch()->isOn());
}

TEST_F(SettingsScreen, EachSwitchWritesItsKeyAtEveryFlipAndItsRowTapWritesNothing) {
  open();
  auto chat = std::dynamic_pointer_cast<SwitchCell>(row(5))->toggleSwitch();
  auto follow = std::dynamic_pointer_cast<FollowSwitchCell>(row(6))->toggleSwitch();

  tapRow(5);
  tapRow(6);
  EXPECT_FALSE(fs::exists(*DeviceRoot::resolve(SettingManager::settingsFilePath())));

  tapAndSettle(screenCentre(chat));
  EXPECT_FALSE(store->boolForKey("autoSaveMessage", true));
  tapAndSettle(screenCentre(follow));
  tapAndSettle(screenCentre(follow));
  EXPECT_TRUE(store->boolForKey("followEachOther", false));
  EXPECT_FALSE(store->boolForKey("autoSaveMessage", true));
}

TEST_F(SettingsScreen, ReuseClearsWhatTheRowSetButKeepsTheSwitch) {
  auto cell = SwitchCell::alloc()->initWithStyle(UITableViewCellStyleDefault, "SwitchCell");
  cell->titleLabel()->setText("Chat");
  cell->subtitleLabel()->setText("Auto save chat data");
  cell->iconImage()->setImage(UIImage::systemImageNamed("bubble.left.fill"));
  cell->toggleSwitch()->setOn(false);

  cell->prepareForReuse();

  EXPECT_FALSE(cell->titleLabel()->text());
  EXPECT_FALSE(cell->subtitleLabel()->text());
  EXPECT_FALSE(cell->iconImage()->image());
  EXPECT_FALSE(cell->toggleSwitch()->isOn());
}

TEST_F(SettingsScreen, TheHeadersActionsTravelTheResponderChainAndAnUnansweredOneDoesNothing) {
  auto host = HeaderHost::alloc();
  host->init();
  window->setRootViewController(host);
  auto header = TDHeaderView::alloc()->initWithTitle(
      "Settings", UIColor::systemBlueColor(), "xmark", "dismissVC", "checkmark", "saveTapped");
  header->setFrame(CGRectMake(0, 100, 390, 55));
  host->view()->addSubview(header);
  window->layoutIfNeeded();

  // Centred 5 below the middle, to the nearest pixel.
  for (const auto& [button, left] :
       {std::pair{header->leftButton(), 20.0}, std::pair{header->rightButton(), 330.0}}) {
    const CGRect frame = onScreen(button);
    EXPECT_EQ(frame.origin.x, left);
    EXPECT_NEAR(CGRectGetMidY(frame), 132.5, 0.34);
    EXPECT_EQ(frame.size, CGSizeMake(40, 40));
  }
  EXPECT_EQ(onScreen(header->grabberView()), CGRectMake(175, 110, 40, 6));
  tapAndSettle(screenCentre(header->rightButton()));
  tapAndSettle(screenCentre(header->leftButton()));

  EXPECT_EQ(host->calls, std::vector<std::string>{"dismissVC"});
}

TEST_F(SettingsScreen, TypedDelaysAreStoredAsWholeSecondsTowardZero) {
  struct Case {
    const char* typed;
    int64_t stored;
  };
  const std::vector<Case> cases = {
      {"1.9", 1},
      {"0.5", 0},
      {"abc", 0},
      {"", 0},
      {"-3.7", -3},
      {" 12x", 12},
      {"2.9e1", 29},
      // Past what a float or 64 bits hold: saturated, as the device converts.
      {"1e309", std::numeric_limits<int64_t>::max()},
      {"-1e309", std::numeric_limits<int64_t>::min()},
      {"1e19", std::numeric_limits<int64_t>::max()},
      // Not numbers to the reader: no leading digits.
      {"nan", 0},
      {"-inf", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(FakeCallSettingViewController::wholeSecondsFromText(NSString::string(c.typed)),
              c.stored);
  }

  open();
  tapRow(3);
  ASSERT_TRUE(alert());
  EXPECT_EQ(alert()->title(), "Delay");
  EXPECT_EQ(alert()->message(), "Enter how much delay do you want the user to join the call.");
  EXPECT_EQ(alert()->textFields().at(0)->placeholder(), "Default 5.0");
  answer("1.9", "OK");
  tapRow(4);
  EXPECT_EQ(alert()->message(), "Enter how much delay do you want the incoming call to start.");
  EXPECT_EQ(alert()->textFields().at(0)->placeholder(), "Default 2.0");
  answer("-3.7", "OK");
  tapRow(4);
  answer("40", "Cancel");

  EXPECT_EQ(store->floatForKey("joinCallDelay"), 1);
  EXPECT_EQ(store->floatForKey("incomingCallDelay"), -3);
}

TEST_F(SettingsScreen, TheUserNameIsStoredAsTypedAnEmptyOneAsTheEmptyString) {
  open();
  tapRow(2);
  ASSERT_TRUE(alert());
  EXPECT_EQ(alert()->title(), "User Name");
  EXPECT_EQ(alert()->message(), "Add your username here.");
  EXPECT_EQ(alert()->textFields().at(0)->placeholder(), "Your username...");
  EXPECT_FALSE(alert()->textFields().at(0)->isSecureTextEntry());
  answer("jamie.fox", "OK");
  EXPECT_EQ(std::dynamic_pointer_cast<NSString>(store->objectForKey("profileUsername"))->utf8(),
            "jamie.fox");

  tapRow(2);
  answer("", "OK");
  auto stored = std::dynamic_pointer_cast<NSString>(store->objectForKey("profileUsername"));
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->utf8(), "");
}

TEST_F(SettingsScreen, APickedPhotoIsStoredAsAFullQualityJPEGOfTheOriginal) {
  writeLibraryFile("IMG_0001.PNG", testsupport::solidPNG(640, 480, 0.9, 0.4, 0.1));
  open();

  tapRow(0);
  auto picker =
      std::dynamic_pointer_cast<UIImagePickerController>(screen->presentedViewController());
  ASSERT_TRUE(picker);
  EXPECT_EQ(picker->mediaTypes(), std::vector<std::string>{"public.image"});
  EXPECT_FALSE(picker->allowsEditing());
  testing::internal::CaptureStderr();
  tapAndSettle(screenCentre(picker->itemViews().at(0)));
  const std::string log = testing::internal::GetCapturedStderr();

  EXPECT_FALSE(screen->presentedViewController());
  EXPECT_NE(log.find("Write image data..."), std::string::npos);
  auto data = std::dynamic_pointer_cast<NSData>(store->objectForKey("profileAvatar"));
  ASSERT_TRUE(data);
  ASSERT_GE(data->length(), 2u);
  EXPECT_EQ(data->bytes()[0], 0xFF);
  EXPECT_EQ(data->bytes()[1], 0xD8);
  auto avatar = store->profileAvatar();
  ASSERT_TRUE(avatar);
  EXPECT_EQ(avatar->pixelWidth(), 640);
  EXPECT_EQ(avatar->pixelHeight(), 480);
}

TEST_F(SettingsScreen, AMovieInAnyContainerIsCopiedWholeAndAnUnreadableOneKeepsTheEarlierVideo) {
  const std::vector<uint8_t> movie = {'R', 'I', 'F', 'F', 0, 1, 2, 3, 'A', 'V', 'I', ' '};
  writeLibraryFile("clip.avi", movie);
  writeLibraryFile("IMG_0001.PNG", testsupport::solidPNG(8, 8, 0, 0, 0));
  open();

  tapRow(1);
  auto picker =
      std::dynamic_pointer_cast<UIImagePickerController>(screen->presentedViewController());
  ASSERT_TRUE(picker);
  EXPECT_EQ(picker->mediaTypes(), (std::vector<std::string>{"public.movie", "public.avi",
                                                            "public.video", "public.mpeg-4"}));
  EXPECT_EQ(picker->videoQuality(), UIImagePickerControllerQualityTypeHigh);
  ASSERT_EQ(picker->items().size(), 1u);
  tapAndSettle(screenCentre(picker->itemViews().at(0)));
  EXPECT_FALSE(screen->presentedViewController());
  EXPECT_EQ(testsupport::readFile(videoFile()), std::string(movie.begin(), movie.end()));

  // A movie gone before it was read, a URL that is not a file, and names that are not regular
  // files (a FIFO must not wait for a writer): nothing is written.
  ASSERT_EQ(::mkfifo(device_.host(std::string(kLibrary) + "pipe.mov").c_str(), 0644), 0);
  fs::create_directories(device_.host(std::string(kLibrary) + "folder.mov"));
  for (const auto& url : {NSURL::fileURLWithPath("/var/mobile/Media/DCIM/100APPLE/gone.mov"),
                          NSURL::URLWithString("http://127.0.0.1:1/movie.mp4"),
                          NSURL::fileURLWithPath("/var/mobile/Media/DCIM/100APPLE/pipe.mov"),
                          NSURL::fileURLWithPath("/var/mobile/Media/DCIM/100APPLE/folder.mov")}) {
    tapRow(1);
    picker = std::dynamic_pointer_cast<UIImagePickerController>(screen->presentedViewController());
    ASSERT_TRUE(picker);
    auto info = NSMutableDictionary::dictionary();
    info->setObject(NSString::string("public.movie"),
                    std::string(UIImagePickerControllerMediaType));
    info->setObject(url, std::string(UIImagePickerControllerMediaURL));
    screen->didFinishPickingMediaWithInfo(picker, info);
    RunLoop::advance(1);
    EXPECT_FALSE(screen->presentedViewController());
  }
  EXPECT_EQ(testsupport::readFile(videoFile()), std::string(movie.begin(), movie.end()));
  // Written atomically: nothing but the settings and the video in Documents.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(videoFile().parent_path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"fakecall-video.mp4"});
}

TEST_F(SettingsScreen, OnceShownNoTableCellInTheProcessShowsASelectionHighlight) {
  open();
  tapAndSettle(screenCentre(screen->headerView()->leftButton()));

  auto elsewhere = UITableViewCell::alloc()->initWithStyle(UITableViewCellStyleDefault, "x");
  thread->view()->addSubview(elsewhere);
  elsewhere->setSelected(true);

  ASSERT_TRUE(elsewhere->selectedBackgroundView());
  EXPECT_EQ(elsewhere->selectedBackgroundView()->backgroundColor()->CGColor().alpha, 0);
}
