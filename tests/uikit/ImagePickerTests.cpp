#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TemporaryDeviceRoot.h"
#include "TestImages.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/NSURL.h"
#include "foundation/RunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UIButton.h"
#include "uikit/UIImage.h"
#include "uikit/UIImagePickerController.h"
#include "uikit/UIWindow.h"

namespace {

constexpr const char* kLibrary = "/var/mobile/Media/DCIM/100APPLE/";

std::vector<uint8_t> pngBytes(int width, int height) {
  return testsupport::solidPNG(width, height, 1, 0, 0);
}

class RecordingDelegate : public UIImagePickerControllerDelegate {
 public:
  void didFinishPickingMediaWithInfo(const std::shared_ptr<UIImagePickerController>& picker,
                                     const std::shared_ptr<NSDictionary>& info) override {
    picked.push_back(info);
    picker->dismissViewControllerAnimated(true, nullptr);
  }
  void imagePickerControllerDidCancel(
      const std::shared_ptr<UIImagePickerController>& picker) override {
    ++cancels;
    picker->dismissViewControllerAnimated(true, nullptr);
  }
  std::vector<std::shared_ptr<NSDictionary>> picked;
  int cancels = 0;
};

class ImagePickerTest : public testing::Test {
 protected:
  void SetUp() override {
    RunLoop::useManualClock();
    ASSERT_TRUE(
        NSFileManager::defaultManager()->createDirectoryAtPath(kLibrary, true, nullptr, nullptr));
    png = pngBytes(4, 3);
    movie = {0x00, 0x00, 0x00, 0x18, 'f', 't', 'y', 'p', 'm', 'p', '4', '2', 0xff, 0x00, 0x7f};
    put("IMG_0002.PNG", png);
    put("IMG_0001.jpeg",
        std::vector<uint8_t>(
            UIImageJPEGRepresentation(UIImage::imageWithData(NSData::dataWithBytes(png)), 1.0)
                ->vector()));
    put("IMG_0003.MOV", movie);
    put("IMG_0004.mp4", movie);
    put("IMG_0005.avi", movie);
    put("IMG_0006.m4v", movie);
    put("notes.txt", {'h', 'i'});
    put(".hidden.png", png);

    window = UIWindow::alloc()->init();
    presenter = UIViewController::alloc();
    presenter->init();
    window->setRootViewController(presenter);
    window->makeKeyAndVisible();
    picker = UIImagePickerController::alloc()->init();
    delegate = std::make_shared<RecordingDelegate>();
    picker->setDelegate(delegate);
  }

  void TearDown() override {
    UIApplication::sharedApplication()->cancelAllTouches();
    window->setHidden(true);
  }

  void put(const std::string& name, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(DeviceRoot::writeFile(std::string(kLibrary) + name, bytes, false));
  }

  std::vector<std::string> listedNames() const {
    std::vector<std::string> names;
    for (const auto& item : picker->items()) names.push_back(lastPathComponent(item.path));
    return names;
  }

  void present() {
    presenter->presentViewController(picker, true, nullptr);
    RunLoop::advance(1);
  }

  void tap(const std::shared_ptr<UIView>& view) {
    CGRect frame = view->convertRectToView(view->bounds(), nullptr);
    CGPoint center = CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame));
    UIApplication::sharedApplication()->touchDown(center);
    UIApplication::sharedApplication()->touchUp(center);
    RunLoop::advance(1);
  }

  // First, so that it outlives the screens.
  testsupport::TemporaryDeviceRoot device{"parlo-picker"};
  std::vector<uint8_t> png;
  std::vector<uint8_t> movie;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIViewController> presenter;
  std::shared_ptr<UIImagePickerController> picker;
  std::shared_ptr<RecordingDelegate> delegate;
};

TEST_F(ImagePickerTest, ListsOnlyImagesByDefaultAndOnlyMoviesForMovieTypes) {
  EXPECT_EQ(picker->mediaTypes(), std::vector<std::string>{"public.image"});
  EXPECT_EQ(listedNames(), (std::vector<std::string>{"IMG_0001.jpeg", "IMG_0002.PNG"}));

  picker->setMediaTypes({std::string(kUTTypeMovie), std::string(kUTTypeAVIMovie),
                         std::string(kUTTypeVideo), std::string(kUTTypeMPEG4)});

  EXPECT_EQ(listedNames(), (std::vector<std::string>{"IMG_0003.MOV", "IMG_0004.mp4", "IMG_0005.avi",
                                                     "IMG_0006.m4v"}));

  picker->setMediaTypes({std::string(kUTTypeAVIMovie)});
  EXPECT_EQ(listedNames(), std::vector<std::string>{"IMG_0005.avi"});
}

TEST_F(ImagePickerTest, APickedMovieIsATemporaryCopyWithTheOriginalsBytes) {
  picker->setMediaTypes({std::string(kUTTypeMovie)});
  picker->setVideoQuality(UIImagePickerControllerQualityTypeHigh);
  present();

  ASSERT_TRUE(picker->pickItemAtIndex(1));
  RunLoop::advance(1);

  ASSERT_EQ(delegate->picked.size(), 1u);
  auto info = delegate->picked[0];
  auto url = std::dynamic_pointer_cast<NSURL>(info->objectForKey(UIImagePickerControllerMediaURL));
  ASSERT_TRUE(url);
  EXPECT_TRUE(url->isFileURL());
  EXPECT_EQ(url->path().rfind(NSTemporaryDirectory(), 0), 0u) << url->path();
  EXPECT_NE(lastPathComponent(url->path()), "IMG_0004.mp4");
  auto copied = NSData::dataWithContentsOfURL(url);
  ASSERT_TRUE(copied);
  EXPECT_EQ(copied->vector(), movie);
  EXPECT_EQ(info->objectForKey(UIImagePickerControllerMediaType)->description(), "public.movie");
  EXPECT_FALSE(info->objectForKey(UIImagePickerControllerOriginalImage));
  EXPECT_TRUE(
      NSFileManager::defaultManager()->fileExistsAtPath(std::string(kLibrary) + "IMG_0004.mp4"));
  EXPECT_EQ(presenter->presentedViewController(), nullptr);
}

TEST_F(ImagePickerTest, APickedImageComesAsTheImageAndACopyOfItsFile) {
  present();

  ASSERT_TRUE(picker->pickItemAtIndex(1));

  ASSERT_EQ(delegate->picked.size(), 1u);
  auto info = delegate->picked[0];
  auto image =
      std::dynamic_pointer_cast<UIImage>(info->objectForKey(UIImagePickerControllerOriginalImage));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), CGSizeMake(4, 3));
  EXPECT_EQ(info->objectForKey(UIImagePickerControllerMediaType)->description(), "public.image");
  auto url = std::dynamic_pointer_cast<NSURL>(info->objectForKey(UIImagePickerControllerImageURL));
  ASSERT_TRUE(url);
  EXPECT_EQ(NSData::dataWithContentsOfURL(url)->vector(), png);
}

TEST_F(ImagePickerTest, TappingATilePicksItAndTheCancelButtonCancels) {
  present();
  auto tiles = picker->itemViews();
  ASSERT_EQ(tiles.size(), 2u);

  tap(tiles[0]);
  ASSERT_EQ(delegate->picked.size(), 1u);
  EXPECT_EQ(presenter->presentedViewController(), nullptr);

  picker = UIImagePickerController::alloc()->init();
  picker->setDelegate(delegate);
  present();
  tap(picker->cancelButton());
  EXPECT_EQ(delegate->cancels, 1);
  EXPECT_EQ(delegate->picked.size(), 1u);
  EXPECT_EQ(presenter->presentedViewController(), nullptr);
}

TEST_F(ImagePickerTest, WithoutADelegateThePickerDismissesItselfAndBadPicksHandOverNothing) {
  picker->setDelegate(nullptr);
  present();
  EXPECT_FALSE(picker->pickItemAtIndex(2));
  EXPECT_EQ(presenter->presentedViewController(), picker);

  picker->cancel();
  RunLoop::advance(1);
  EXPECT_EQ(presenter->presentedViewController(), nullptr);

  // A file that is named as an image but holds none is listed and cannot be picked.
  put("IMG_0000.png", {'n', 'o', 't'});
  picker = UIImagePickerController::alloc()->init();
  picker->setDelegate(delegate);
  EXPECT_FALSE(picker->pickItemAtIndex(0));
  EXPECT_TRUE(delegate->picked.empty());
}

TEST(UniformTypes, ConformToTheirKinds) {
  EXPECT_TRUE(UTTypeConformsTo(kUTTypePNG, kUTTypeImage));
  EXPECT_TRUE(UTTypeConformsTo(kUTTypeMPEG4, kUTTypeMovie));
  EXPECT_TRUE(UTTypeConformsTo(kUTTypeMovie, kUTTypeMovie));
  EXPECT_FALSE(UTTypeConformsTo(kUTTypeMovie, kUTTypeMPEG4));
  EXPECT_FALSE(UTTypeConformsTo(kUTTypeJPEG, kUTTypeMovie));
  EXPECT_TRUE(UIImagePickerController::isSourceTypeAvailable(
      UIImagePickerControllerSourceTypePhotoLibrary));
  EXPECT_FALSE(
      UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypeCamera));
}

}  // namespace
