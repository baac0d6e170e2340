#pragma once

#include <memory>

#include "uikit/UIImage.h"
#include "uikit/UIView.h"

// A view that shows one image. The renderer places the image with imageRectForContentMode and
// paints template images with the view's tint colour. Like the platform's, an image view does
// not take touches unless told to.
class UIImageView : public UIView {
  OBJC_CLASS(UIImageView, UIView);

 public:
  UIImageView();

  // Sized to the image, at the origin.
  std::shared_ptr<UIImageView> initWithImage(std::shared_ptr<UIImage> image);

  std::shared_ptr<UIImage> image() const { return image_; }
  void setImage(std::shared_ptr<UIImage> image);

  // The image's size; none without an image.
  CGSize intrinsicContentSize() const override;
  CGSize sizeThatFits(CGSize size) const override;

  // Where an image of imageSize lands in bounds for a content mode. The aspect modes keep the
  // image's proportions: fit letterboxes it inside bounds, fill covers bounds and overflows it,
  // centred on both axes. The positional modes keep the image's own size. An empty image size
  // gives an empty rectangle at the place the mode names.
  static CGRect imageRectForContentMode(CGSize imageSize, CGRect bounds,
                                        UIViewContentMode contentMode);
  // The rectangle for this view's image, bounds and content mode; empty without an image.
  CGRect imageRect() const;

  // Draws the image in imageRect: a template image (or a symbol left automatic) as a shape of
  // the tint colour, any other in its own colours.
  void drawRect(CGRect rect) override;
  void tintColorDidChange() override { setNeedsDisplay(); }

 private:
  std::shared_ptr<UIImage> image_;
  // The image resampled to the device pixels it last covered, so that a large picture shown
  // small is filtered once, not every frame.
  struct Resampled;
  std::shared_ptr<Resampled> resampled_;
};
