#include "IGProfilePictureView.h"

#include "foundation/NSData.h"
#include "uikit/UIImage.h"

OBJC_CLASS_IMPL(IGProfilePictureView) {}

std::shared_ptr<IGProfilePictureView> IGProfilePictureView::initWithURL(
    const std::shared_ptr<NSURL>& url) {
  initWithFrame(CGRectZero);
  setContentMode(UIViewContentModeScaleAspectFill);
  setClipsToBounds(true);
  setBackgroundColor(UIColor::systemGray4Color());
  // Pictures come from the device (file URLs); a picture that cannot be read leaves the disc.
  // The load is synchronous, so an address that never answers must not hold the screen long.
  if (url) setImage(UIImage::imageWithData(NSData::dataWithContentsOfURL(url, 2.0)));
  return selfAs<IGProfilePictureView>();
}

void IGProfilePictureView::layoutSubviews() {
  UIImageView::layoutSubviews();
  layer()->setCornerRadius(bounds().size.width / 2);
}
