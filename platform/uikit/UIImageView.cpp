#include "uikit/UIImageView.h"

#include <algorithm>
#include <cmath>

#include "quartz/CGBitmapContext.h"
#include "uikit/UIGraphics.h"

OBJC_CLASS_IMPL(UIImageView) {}

UIImageView::UIImageView() {
  setUserInteractionEnabled(false);
}

std::shared_ptr<UIImageView> UIImageView::initWithImage(std::shared_ptr<UIImage> image) {
  CGSize size = image ? image->size() : CGSizeZero;
  initWithFrame(CGRectMake(0, 0, size.width, size.height));
  image_ = std::move(image);
  return selfAs<UIImageView>();
}

void UIImageView::setImage(std::shared_ptr<UIImage> image) {
  CGSize oldSize = intrinsicContentSize();
  if (image_ == image) return;
  image_ = std::move(image);
  resampled_.reset();
  if (!(intrinsicContentSize() == oldSize)) invalidateIntrinsicContentSize();
  setNeedsDisplay();
}

CGSize UIImageView::intrinsicContentSize() const {
  if (!image_) return {UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
  return image_->size();
}

CGSize UIImageView::sizeThatFits(CGSize) const {
  return image_ ? image_->size() : CGSizeZero;
}

CGRect UIImageView::imageRectForContentMode(CGSize imageSize, CGRect bounds,
                                            UIViewContentMode contentMode) {
  bounds = CGRectStandardize(bounds);
  CGFloat minX = bounds.origin.x, minY = bounds.origin.y;
  CGFloat width = bounds.size.width, height = bounds.size.height;
  CGFloat w = std::max(imageSize.width, 0.0), h = std::max(imageSize.height, 0.0);
  auto centred = [&](CGFloat drawnWidth, CGFloat drawnHeight) {
    return CGRectMake(minX + (width - drawnWidth) / 2, minY + (height - drawnHeight) / 2,
                      drawnWidth, drawnHeight);
  };
  CGFloat left = minX, centreX = minX + (width - w) / 2, right = minX + width - w;
  CGFloat top = minY, centreY = minY + (height - h) / 2, bottom = minY + height - h;
  switch (contentMode) {
    case UIViewContentModeScaleAspectFit:
    case UIViewContentModeScaleAspectFill: {
      if (w <= 0 || h <= 0) return centred(0, 0);
      CGFloat across = width / w, down = height / h;
      CGFloat factor = contentMode == UIViewContentModeScaleAspectFit ? std::min(across, down)
                                                                      : std::max(across, down);
      return centred(w * factor, h * factor);
    }
    case UIViewContentModeCenter:
      return CGRectMake(centreX, centreY, w, h);
    case UIViewContentModeTop:
      return CGRectMake(centreX, top, w, h);
    case UIViewContentModeBottom:
      return CGRectMake(centreX, bottom, w, h);
    case UIViewContentModeLeft:
      return CGRectMake(left, centreY, w, h);
    case UIViewContentModeRight:
      return CGRectMake(right, centreY, w, h);
    case UIViewContentModeTopLeft:
      return CGRectMake(left, top, w, h);
    case UIViewContentModeTopRight:
      return CGRectMake(right, top, w, h);
    case UIViewContentModeBottomLeft:
      return CGRectMake(left, bottom, w, h);
    case UIViewContentModeBottomRight:
      return CGRectMake(right, bottom, w, h);
    case UIViewContentModeScaleToFill:
    case UIViewContentModeRedraw:
      break;
  }
  // Scale to fill, redraw, and any value the platform does not define: stretched over bounds.
  return bounds;
}

CGRect UIImageView::imageRect() const {
  if (!image_) return CGRectMake(bounds().origin.x, bounds().origin.y, 0, 0);
  return imageRectForContentMode(image_->size(), bounds(), contentMode());
}

struct UIImageView::Resampled {
  std::shared_ptr<CGImage> pixels;
  CGImageRef from;
};

void UIImageView::drawRect(CGRect) {
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (!context || !image_ || !image_->CGImage()) return;
  CGRect rect = imageRect();
  if (rect.size.width <= 0 || rect.size.height <= 0) return;
  CGImageRef pixels = image_->CGImage();

  // Under a plain scale (no rotation), resample once to the device size when that is far from
  // the image's own; small differences are left to the filter of each frame.
  CGAffineTransform ctm = CGContextGetCTM(context);
  if (ctm.b == 0 && ctm.c == 0 && ctm.a > 0 && ctm.d > 0) {
    long deviceWidth = std::lround(rect.size.width * ctm.a);
    long deviceHeight = std::lround(rect.size.height * ctm.d);
    bool far = std::abs(deviceWidth - image_->pixelWidth()) > 1 ||
               std::abs(deviceHeight - image_->pixelHeight()) > 1;
    if (far && deviceWidth > 0 && deviceHeight > 0 && deviceWidth <= 8192 && deviceHeight <= 8192) {
      if (!resampled_ || resampled_->from != pixels ||
          CGImageGetWidth(resampled_->pixels.get()) != static_cast<size_t>(deviceWidth) ||
          CGImageGetHeight(resampled_->pixels.get()) != static_cast<size_t>(deviceHeight)) {
        resampled_.reset();
        if (CGContextRef bitmap = CGBitmapContextCreate(deviceWidth, deviceHeight)) {
          CGContextDrawImage(bitmap, CGRectMake(0, 0, deviceWidth, deviceHeight), pixels);
          std::shared_ptr<CGImage> made(CGBitmapContextCreateImage(bitmap), CGImageRelease);
          CGContextRelease(bitmap);
          if (made) resampled_ = std::make_shared<Resampled>(Resampled{std::move(made), pixels});
        }
      }
      if (resampled_) pixels = resampled_->pixels.get();
    }
  }

  bool templated =
      image_->renderingMode() == UIImageRenderingModeAlwaysTemplate ||
      (image_->renderingMode() == UIImageRenderingModeAutomatic && image_->isSymbolImage());
  if (templated) {
    CGContextSaveGState(context);
    CGContextClipToMask(context, rect, pixels);
    CGContextSetFillColorWithColor(
        context, tintColor()
                     ->resolvedColorWithTraitCollection(UITraitCollection::currentTraitCollection())
                     ->CGColor());
    CGContextFillRect(context, rect);
    CGContextRestoreGState(context);
  } else {
    CGContextDrawImage(context, rect, pixels);
  }
}
