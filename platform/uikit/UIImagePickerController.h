#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/NSDictionary.h"
#include "uikit/Forward.h"
#include "uikit/UINavigationController.h"

enum UIImagePickerControllerSourceType : long {
  UIImagePickerControllerSourceTypePhotoLibrary = 0,
  UIImagePickerControllerSourceTypeCamera = 1,
  UIImagePickerControllerSourceTypeSavedPhotosAlbum = 2,
};

enum UIImagePickerControllerQualityType : long {
  UIImagePickerControllerQualityTypeHigh = 0,
  UIImagePickerControllerQualityTypeMedium = 1,
  UIImagePickerControllerQualityTypeLow = 2,
  UIImagePickerControllerQualityType640x480 = 3,
  UIImagePickerControllerQualityTypeIFrame1280x720 = 4,
  UIImagePickerControllerQualityTypeIFrame960x540 = 5,
};

// Uniform type identifiers of the media kinds, as the platform spells them.
inline constexpr std::string_view kUTTypeImage = "public.image";
inline constexpr std::string_view kUTTypeJPEG = "public.jpeg";
inline constexpr std::string_view kUTTypePNG = "public.png";
inline constexpr std::string_view kUTTypeMovie = "public.movie";
inline constexpr std::string_view kUTTypeVideo = "public.video";
inline constexpr std::string_view kUTTypeQuickTimeMovie = "com.apple.quicktime-movie";
inline constexpr std::string_view kUTTypeMPEG4 = "public.mpeg-4";
inline constexpr std::string_view kUTTypeAVIMovie = "public.avi";

// Whether a type is the other or one of its kinds ("public.png" is a "public.image").
bool UTTypeConformsTo(std::string_view type, std::string_view conformsTo);

// Keys of the info dictionary a pick hands over.
inline constexpr std::string_view UIImagePickerControllerMediaType =
    "UIImagePickerControllerMediaType";
inline constexpr std::string_view UIImagePickerControllerOriginalImage =
    "UIImagePickerControllerOriginalImage";
inline constexpr std::string_view UIImagePickerControllerEditedImage =
    "UIImagePickerControllerEditedImage";
inline constexpr std::string_view UIImagePickerControllerImageURL =
    "UIImagePickerControllerImageURL";
inline constexpr std::string_view UIImagePickerControllerMediaURL =
    "UIImagePickerControllerMediaURL";

class UIImagePickerControllerDelegate {
 public:
  virtual ~UIImagePickerControllerDelegate() = default;

  // The defaults dismiss the picker, as the platform does for a delegate that does not answer.
  // Info: the media type ("public.image" or "public.movie"); for an image the image itself
  // (UIImage) and a file URL (NSURL) of a copy of its file; for a movie a file URL of a copy.
  // Copies go to the app's temporary folder and are the original's bytes.
  virtual void didFinishPickingMediaWithInfo(const std::shared_ptr<UIImagePickerController>& picker,
                                             const std::shared_ptr<NSDictionary>& info);
  virtual void imagePickerControllerDidCancel(
      const std::shared_ptr<UIImagePickerController>& picker);
};

// The system's photo picker, presented modally: a grid of the photo library's items that match
// the media types (images by default), newest name last, and a "Cancel" button. A tap on an item
// picks it. The library is the folder "/var/mobile/Media/DCIM/100APPLE/": images are .png, .jpg
// and .jpeg files, movies .mp4, .mov, .m4v and .avi (the extension in any case). Only the photo
// library is available; the camera source lists the library too.
class UIImagePickerController : public UINavigationController {
  OBJC_CLASS(UIImagePickerController, UINavigationController);

 public:
  struct Item {
    std::string path;  // device path
    std::string type;  // the file's own type, e.g. "public.png"
    bool isMovie;
  };

  std::shared_ptr<UIImagePickerController> init();

  static bool isSourceTypeAvailable(UIImagePickerControllerSourceType sourceType);
  static std::vector<std::string> availableMediaTypesForSourceType(
      UIImagePickerControllerSourceType sourceType);

  UIImagePickerControllerSourceType sourceType() const { return sourceType_; }
  void setSourceType(UIImagePickerControllerSourceType type) { sourceType_ = type; }
  // {"public.image"} by default.
  const std::vector<std::string>& mediaTypes() const { return mediaTypes_; }
  void setMediaTypes(std::vector<std::string> types);
  // Stored; an edited image is the original, as there is no cropping.
  bool allowsEditing() const { return allowsEditing_; }
  void setAllowsEditing(bool allows) { allowsEditing_ = allows; }
  // Stored; movies are handed over as they are.
  UIImagePickerControllerQualityType videoQuality() const { return videoQuality_; }
  void setVideoQuality(UIImagePickerControllerQualityType quality) { videoQuality_ = quality; }

  // Weak.
  std::shared_ptr<UIImagePickerControllerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<UIImagePickerControllerDelegate>& delegate) {
    delegate_ = delegate;
  }

  // The library's items that match the media types, by file name; read again on each call.
  std::vector<Item> items() const;
  // Hands the item over to the delegate. False, with nothing handed over, for an index past the
  // items or an item that cannot be read or copied.
  bool pickItemAtIndex(size_t index);
  // As the "Cancel" button.
  void cancel();

  // The grid's tiles in item order (tappable controls, tag = index), and the cancel button; they
  // exist once the view is loaded.
  std::vector<std::shared_ptr<UIControl>> itemViews() const;
  std::shared_ptr<UIButton> cancelButton() const { return cancelButton_; }

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;

 private:
  void itemTapped(std::shared_ptr<UIControl> sender);
  void cancelTapped();
  // Lays the tiles of the current items in the grid.
  void rebuildGrid();

  UIImagePickerControllerSourceType sourceType_ = UIImagePickerControllerSourceTypePhotoLibrary;
  std::vector<std::string> mediaTypes_{std::string(kUTTypeImage)};
  bool allowsEditing_ = false;
  UIImagePickerControllerQualityType videoQuality_ = UIImagePickerControllerQualityTypeMedium;
  std::weak_ptr<UIImagePickerControllerDelegate> delegate_;
  std::shared_ptr<UIButton> cancelButton_;
  std::shared_ptr<UIView> grid_;
  std::vector<std::shared_ptr<UIControl>> tiles_;
};
