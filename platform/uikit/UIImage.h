#pragma once

#include <memory>
#include <string>

#include "foundation/NSData.h"
#include "quartz/CGGeometry.h"
#include "quartz/CGImage.h"
#include "runtime/NSObject.h"
#include "uikit/UIImageSymbolConfiguration.h"

enum UIImageRenderingMode : long {
  // Drawn in its own colours (symbols are made as templates).
  UIImageRenderingModeAutomatic = 0,
  UIImageRenderingModeAlwaysOriginal = 1,
  // Only the alpha counts; the view's tint colour fills it.
  UIImageRenderingModeAlwaysTemplate = 2,
};

// A decoded bitmap with the scale it was made for. Images are immutable: the variants made from
// one image (another rendering mode) share its pixels.
//
// Files and data are recognised by their bytes, not by their names: PNG and JPEG. A JPEG's EXIF
// orientation is applied while decoding, so the pixels are always upright.
class UIImage : public NSObject {
  OBJC_CLASS(UIImage, NSObject);

 public:
  // A device path, resolved in the device root. A name ending in "@2x" or "@3x" (before the
  // extension) sets the scale, else it is 1. Like the platform, the screen's own variant is
  // preferred when it exists: on a 3x screen "icon.png" loads "icon@3x.png" (then "icon@2x.png")
  // if present. A path without an extension that names no file loads the PNG of that name
  // ("dismiss" finds "dismiss.png"). nil when nothing readable is there.
  static std::shared_ptr<UIImage> imageWithContentsOfFile(const std::string& path);
  // nil unless the bytes are a whole PNG or JPEG of a sensible size (at most 16384 pixels a side
  // and 256 MB decoded).
  static std::shared_ptr<UIImage> imageWithData(const std::shared_ptr<NSData>& data);
  // The same, with the pixels meant for that many pixels per point; nil for a scale that is not
  // a positive number.
  static std::shared_ptr<UIImage> imageWithData(const std::shared_ptr<NSData>& data, CGFloat scale);

  // A system symbol from "/System/Library/CoreServices/Symbols/<name>.png", a square canvas
  // drawn as a square of the configured point size (17 when none is given). Symbols are
  // templates. nil for a name the system does not have.
  static std::shared_ptr<UIImage> systemImageNamed(const std::string& name);
  static std::shared_ptr<UIImage> systemImageNamed(
      const std::string& name, const std::shared_ptr<UIImageSymbolConfiguration>& configuration);

  // A new image on the same pixels.
  std::shared_ptr<UIImage> imageWithRenderingMode(UIImageRenderingMode mode) const;
  UIImageRenderingMode renderingMode() const { return renderingMode_; }

  // In points: the pixel size divided by the scale.
  CGSize size() const;
  CGFloat scale() const { return scale_; }
  bool isSymbolImage() const { return static_cast<bool>(symbolConfiguration_); }
  // What the image was loaded as: the file name without its folders (as found, so "@2x" and the
  // extension stay) or the symbol's name; empty for an image made from data.
  const std::string& sourceName() const { return sourceName_; }
  // The configuration a symbol was made with (always set for symbols), else nil.
  std::shared_ptr<UIImageSymbolConfiguration> symbolConfiguration() const {
    return symbolConfiguration_;
  }

  // The pixels, owned by the image (and shared with its variants).
  CGImageRef CGImage() const { return pixels_.get(); }
  int pixelWidth() const;
  int pixelHeight() const;

  std::string description() const override;

 private:
  // nil for no pixels; the image retains them.
  static std::shared_ptr<UIImage> withPixels(CGImageRef pixels, CGFloat scale);

  std::shared_ptr<struct CGImage> pixels_;
  CGFloat scale_ = 1;
  UIImageRenderingMode renderingMode_ = UIImageRenderingModeAutomatic;
  std::shared_ptr<UIImageSymbolConfiguration> symbolConfiguration_;
  std::string sourceName_;
};

// JPEG data of the image, compression quality 0 (smallest) to 1 (best); transparent pixels
// come out black, as JPEG has no alpha. nil for a nil image.
std::shared_ptr<NSData> UIImageJPEGRepresentation(const std::shared_ptr<UIImage>& image,
                                                  CGFloat compressionQuality);
// PNG data of the image, with its alpha. nil for a nil image.
std::shared_ptr<NSData> UIImagePNGRepresentation(const std::shared_ptr<UIImage>& image);
