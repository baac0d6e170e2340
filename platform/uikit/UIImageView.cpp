#include "uikit/UIImageView.h"

#include <algorithm>
#include <cmath>

#include "quartz/CGContext+Private.h"
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
  std::shared_ptr<cairo_surface_t> pixels;
  const cairo_surface_t* from;
};

void UIImageView::drawRect(CGRect) {
  cairo_t* cr = CGContextGetCairo(UIGraphicsGetCurrentContext());
  if (!cr || !image_ || !image_->surface()) return;
  CGRect rect = imageRect();
  if (rect.size.width <= 0 || rect.size.height <= 0) return;
  cairo_surface_t* pixels = image_->surface();

  // Under a plain scale (no rotation), resample once to the device size when that is far from
  // the image's own; small differences are left to the filter of each frame.
  cairo_matrix_t ctm;
  cairo_get_matrix(cr, &ctm);
  if (ctm.xy == 0 && ctm.yx == 0 && ctm.xx > 0 && ctm.yy > 0) {
    long deviceWidth = std::lround(rect.size.width * ctm.xx);
    long deviceHeight = std::lround(rect.size.height * ctm.yy);
    bool far = std::abs(deviceWidth - image_->pixelWidth()) > 1 ||
               std::abs(deviceHeight - image_->pixelHeight()) > 1;
    if (far && deviceWidth > 0 && deviceHeight > 0 && deviceWidth <= 8192 && deviceHeight <= 8192) {
      if (!resampled_ || resampled_->from != pixels ||
          cairo_image_surface_get_width(resampled_->pixels.get()) != deviceWidth ||
          cairo_image_surface_get_height(resampled_->pixels.get()) != deviceHeight) {
        cairo_surface_t* surface = cairo_image_surface_create(
            CAIRO_FORMAT_ARGB32, static_cast<int>(deviceWidth), static_cast<int>(deviceHeight));
        cairo_t* resample = cairo_create(surface);
        cairo_scale(resample, double(deviceWidth) / image_->pixelWidth(),
                    double(deviceHeight) / image_->pixelHeight());
        cairo_set_source_surface(resample, pixels, 0, 0);
        cairo_pattern_set_extend(cairo_get_source(resample), CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(cairo_get_source(resample), CAIRO_FILTER_GOOD);
        cairo_set_operator(resample, CAIRO_OPERATOR_SOURCE);
        cairo_paint(resample);
        cairo_destroy(resample);
        resampled_ = std::make_shared<Resampled>(
            Resampled{std::shared_ptr<cairo_surface_t>(surface, cairo_surface_destroy), pixels});
      }
      pixels = resampled_->pixels.get();
    }
  }

  int width = cairo_image_surface_get_width(pixels);
  int height = cairo_image_surface_get_height(pixels);
  cairo_save(cr);
  cairo_translate(cr, rect.origin.x, rect.origin.y);
  cairo_scale(cr, rect.size.width / width, rect.size.height / height);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(pixels);
  // Repeating the edge keeps the image's edges sharp where the filter reaches past them.
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_new_path(cr);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_clip(cr);
  bool templated =
      image_->renderingMode() == UIImageRenderingModeAlwaysTemplate ||
      (image_->renderingMode() == UIImageRenderingModeAutomatic && image_->isSymbolImage());
  if (templated) {
    auto tint = tintColor()
                    ->resolvedColorWithTraitCollection(UITraitCollection::currentTraitCollection())
                    ->CGColor();
    cairo_set_source_rgba(cr, tint.red, tint.green, tint.blue, tint.alpha);
    cairo_mask(cr, pattern);
  } else {
    cairo_set_source(cr, pattern);
    cairo_paint(cr);
  }
  cairo_pattern_destroy(pattern);
  cairo_restore(cr);
}
