#include "uikit/UIImagePickerController.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <random>

#include "foundation/NSFileManager.h"
#include "foundation/NSLog.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/NSURL.h"
#include "uikit/UIButton.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIScreen.h"
#include "uikit/UIScrollView.h"

namespace {

constexpr const char* kLibraryFolder = "/var/mobile/Media/DCIM/100APPLE/";
constexpr int kColumns = 4;
constexpr CGFloat kSpacing = 2;

// What each type is a kind of; a type conforms to itself and to everything up its chain.
std::string_view parentType(std::string_view type) {
  if (type == kUTTypePNG || type == kUTTypeJPEG) return kUTTypeImage;
  if (type == kUTTypeMPEG4 || type == kUTTypeQuickTimeMovie || type == kUTTypeAVIMovie ||
      type == kUTTypeVideo || type == "com.apple.m4v-video") {
    return kUTTypeMovie;
  }
  if (type == kUTTypeMovie) return "public.audiovisual-content";
  if (type == kUTTypeImage || type == "public.audiovisual-content") return "public.data";
  if (type == "public.data") return "public.item";
  return {};
}

std::string lowercased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The type of a library file by its extension; empty for files the library does not show.
std::string_view typeForExtension(const std::string& extension) {
  std::string ext = lowercased(extension);
  if (ext == "png") return kUTTypePNG;
  if (ext == "jpg" || ext == "jpeg") return kUTTypeJPEG;
  if (ext == "mp4") return kUTTypeMPEG4;
  if (ext == "mov") return kUTTypeQuickTimeMovie;
  if (ext == "m4v") return "com.apple.m4v-video";
  if (ext == "avi") return kUTTypeAVIMovie;
  return {};
}

// A copy of the file in the app's temporary folder under a fresh name, as the picker hands over
// files the app may keep or delete; nullopt when it cannot be made.
std::optional<std::string> temporaryCopy(const std::string& path) {
  auto files = NSFileManager::defaultManager();
  std::string folder = NSTemporaryDirectory();
  files->createDirectoryAtPath(folder, true, nullptr, nullptr);
  static std::mt19937_64 generator{std::random_device{}()};
  char name[17];
  snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(generator()));
  std::string destination = stringByAppendingPathComponent(
      folder, std::string(name) + "." + lowercased(pathExtension(path)));
  if (!files->copyItemAtPath(path, destination, nullptr)) return std::nullopt;
  return destination;
}

// One item of the grid: an image's thumbnail, or a dark tile with a play symbol for a movie.
class UIImagePickerTile : public UIControl {
  OBJC_CLASS(UIImagePickerTile, UIControl);

 public:
  void setMovie(bool movie) {
    movie_ = movie;
    setNeedsDisplay();
  }

  void drawRect(CGRect) override {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context || !movie_) return;
    CGRect area = bounds();
    CGContextSetRGBFillColor(context, 0.2, 0.2, 0.22, 1);
    CGContextFillRect(context, area);
    CGFloat side = std::min(area.size.width, area.size.height) * 0.3;
    CGFloat cx = CGRectGetMidX(area), cy = CGRectGetMidY(area);
    CGContextSetRGBFillColor(context, 1, 1, 1, 1);
    CGContextMoveToPoint(context, cx - side * 0.4, cy - side / 2);
    CGContextAddLineToPoint(context, cx + side * 0.6, cy);
    CGContextAddLineToPoint(context, cx - side * 0.4, cy + side / 2);
    CGContextClosePath(context);
    CGContextFillPath(context);
  }

 private:
  bool movie_ = false;
};

}  // namespace

OBJC_CLASS_IMPL(UIImagePickerTile) {}

OBJC_CLASS_IMPL(UIImagePickerController) {
  c.method("itemTapped:", &UIImagePickerController::itemTapped)
      .method("cancelTapped", &UIImagePickerController::cancelTapped)
      .property("allowsEditing", &UIImagePickerController::allowsEditing,
                &UIImagePickerController::setAllowsEditing);
}

bool UTTypeConformsTo(std::string_view type, std::string_view conformsTo) {
  for (std::string_view at = type; !at.empty(); at = parentType(at)) {
    if (at == conformsTo) return true;
  }
  return false;
}

void UIImagePickerControllerDelegate::didFinishPickingMediaWithInfo(
    const std::shared_ptr<UIImagePickerController>& picker, const std::shared_ptr<NSDictionary>&) {
  picker->dismissViewControllerAnimated(true, nullptr);
}

void UIImagePickerControllerDelegate::imagePickerControllerDidCancel(
    const std::shared_ptr<UIImagePickerController>& picker) {
  picker->dismissViewControllerAnimated(true, nullptr);
}

// ---- Set-up ----

std::shared_ptr<UIImagePickerController> UIImagePickerController::init() {
  auto grid = UIViewController::alloc();
  grid->init();
  grid->setTitle("Photos");
  initWithRootViewController(grid);
  return selfAs<UIImagePickerController>();
}

bool UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceType sourceType) {
  return sourceType != UIImagePickerControllerSourceTypeCamera;
}

std::vector<std::string> UIImagePickerController::availableMediaTypesForSourceType(
    UIImagePickerControllerSourceType sourceType) {
  if (!isSourceTypeAvailable(sourceType)) return {};
  return {std::string(kUTTypeImage), std::string(kUTTypeMovie)};
}

void UIImagePickerController::setMediaTypes(std::vector<std::string> types) {
  mediaTypes_ = std::move(types);
  if (isViewLoaded()) rebuildGrid();
}

void UIImagePickerController::viewDidLoad() {
  UINavigationController::viewDidLoad();
  auto me = selfAs<UIImagePickerController>();
  auto bar = navigationBar();
  CGFloat width = UIScreen::mainScreen()->bounds().size.width;

  auto title = UILabel::alloc()->initWithFrame(CGRectMake(100, 0, width - 200, 44));
  title->setText("Photos");
  title->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
  title->setTextAlignment(NSTextAlignmentCenter);
  title->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
  bar->addSubview(title);

  cancelButton_ = UIButton::buttonWithType(UIButtonTypeSystem);
  cancelButton_->setTitle("Cancel", UIControlStateNormal);
  cancelButton_->setFrame(CGRectMake(width - 16 - 70, 0, 70, 44));
  cancelButton_->setContentHorizontalAlignment(UIControlContentHorizontalAlignmentRight);
  cancelButton_->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
  cancelButton_->addTarget(me, "cancelTapped", UIControlEventTouchUpInside);
  bar->addSubview(cancelButton_);

  auto content = topViewController()->view();
  content->setBackgroundColor(UIColor::systemBackgroundColor());
  auto grid = UIScrollView::alloc()->initWithFrame(content->bounds());
  grid->setAutoresizingMask(static_cast<UIViewAutoresizing>(UIViewAutoresizingFlexibleWidth |
                                                            UIViewAutoresizingFlexibleHeight));
  grid->setAlwaysBounceVertical(true);
  content->addSubview(grid);
  grid_ = grid;
  rebuildGrid();
}

void UIImagePickerController::viewWillAppear(bool animated) {
  UINavigationController::viewWillAppear(animated);
  // The library may have changed since the view was made.
  rebuildGrid();
}

// ---- The library ----

std::vector<UIImagePickerController::Item> UIImagePickerController::items() const {
  std::vector<Item> list;
  auto files = NSFileManager::defaultManager();
  for (const std::string& name : files->contentsOfDirectoryAtPath(kLibraryFolder, nullptr)) {
    if (name.empty() || name[0] == '.') continue;
    std::string_view type = typeForExtension(pathExtension(name));
    if (type.empty()) continue;
    std::string path = stringByAppendingPathComponent(kLibraryFolder, name);
    bool isDirectory = false;
    if (!files->fileExistsAtPath(path, &isDirectory) || isDirectory) continue;
    bool wanted =
        std::any_of(mediaTypes_.begin(), mediaTypes_.end(),
                    [&](const std::string& media) { return UTTypeConformsTo(type, media); });
    if (!wanted) continue;
    list.push_back({path, std::string(type), UTTypeConformsTo(type, kUTTypeMovie)});
  }
  return list;
}

void UIImagePickerController::rebuildGrid() {
  if (!grid_) return;
  for (auto& tile : tiles_) tile->removeFromSuperview();
  tiles_.clear();
  auto me = selfAs<UIImagePickerController>();
  CGFloat width = view()->bounds().size.width;
  CGFloat side = std::floor((width - (kColumns - 1) * kSpacing) / kColumns);
  std::vector<Item> list = items();
  for (size_t i = 0; i < list.size(); ++i) {
    CGFloat x = static_cast<CGFloat>(i % kColumns) * (side + kSpacing);
    CGFloat y = static_cast<CGFloat>(i / kColumns) * (side + kSpacing);
    auto tile = UIImagePickerTile::alloc()->initWithFrame(CGRectMake(x, y, side, side));
    tile->setTag(static_cast<long>(i));
    tile->setClipsToBounds(true);
    if (list[i].isMovie) {
      std::static_pointer_cast<UIImagePickerTile>(tile)->setMovie(true);
    } else {
      auto thumbnail = UIImageView::alloc();
      thumbnail->initWithFrame(tile->bounds());
      thumbnail->setImage(UIImage::imageWithContentsOfFile(list[i].path));
      thumbnail->setContentMode(UIViewContentModeScaleAspectFill);
      tile->addSubview(thumbnail);
    }
    tile->addTarget(me, "itemTapped:", UIControlEventTouchUpInside);
    grid_->addSubview(tile);
    tiles_.push_back(tile);
  }
  size_t rows = (list.size() + kColumns - 1) / kColumns;
  auto scroll = std::static_pointer_cast<UIScrollView>(grid_);
  scroll->setContentSize(
      CGSizeMake(width, rows == 0 ? 0 : static_cast<CGFloat>(rows) * (side + kSpacing) - kSpacing));
}

std::vector<std::shared_ptr<UIControl>> UIImagePickerController::itemViews() const {
  return tiles_;
}

// ---- Picking ----

bool UIImagePickerController::pickItemAtIndex(size_t index) {
  auto me = selfAs<UIImagePickerController>();
  std::vector<Item> list = items();
  if (index >= list.size()) return false;
  const Item& item = list[index];
  auto info = NSMutableDictionary::dictionary();
  if (item.isMovie) {
    auto copy = temporaryCopy(item.path);
    if (!copy) {
      NSLog("UIImagePickerController: could not copy %s", item.path.c_str());
      return false;
    }
    info->setObject(NSString::string(kUTTypeMovie), UIImagePickerControllerMediaType);
    info->setObject(NSURL::fileURLWithPath(*copy), UIImagePickerControllerMediaURL);
  } else {
    auto image = UIImage::imageWithContentsOfFile(item.path);
    auto copy = image ? temporaryCopy(item.path) : std::nullopt;
    if (!copy) {
      NSLog("UIImagePickerController: could not read %s", item.path.c_str());
      return false;
    }
    info->setObject(NSString::string(kUTTypeImage), UIImagePickerControllerMediaType);
    info->setObject(image, UIImagePickerControllerOriginalImage);
    if (allowsEditing_) info->setObject(image, UIImagePickerControllerEditedImage);
    info->setObject(NSURL::fileURLWithPath(*copy), UIImagePickerControllerImageURL);
  }
  if (auto delegate = this->delegate()) {
    delegate->didFinishPickingMediaWithInfo(me, info->copy());
  } else {
    dismissViewControllerAnimated(true, nullptr);
  }
  return true;
}

void UIImagePickerController::cancel() {
  auto me = selfAs<UIImagePickerController>();
  if (auto delegate = this->delegate()) {
    delegate->imagePickerControllerDidCancel(me);
  } else {
    dismissViewControllerAnimated(true, nullptr);
  }
}

void UIImagePickerController::itemTapped(std::shared_ptr<UIControl> sender) {
  if (sender && sender->tag() >= 0) pickItemAtIndex(static_cast<size_t>(sender->tag()));
}

void UIImagePickerController::cancelTapped() {
  cancel();
}
