#pragma once

#include <memory>

#include "quartz/CGGeometry.h"
#include "quartz/UITraitCollection.h"
#include "runtime/NSObject.h"

// The device's display: 390 x 844 points at 3 pixels a point, and the system appearance that
// every view follows unless it overrides it.
class UIScreen : public NSObject {
  OBJC_CLASS(UIScreen, NSObject);

 public:
  static std::shared_ptr<UIScreen> mainScreen();

  CGRect bounds() const { return bounds_; }
  CGFloat scale() const { return scale_; }
  // Another display size for snapshots of other devices.
  void setBounds(CGRect bounds) { bounds_ = bounds; }
  void setScale(CGFloat scale) { scale_ = scale; }

  std::shared_ptr<UITraitCollection> traitCollection() const;
  // The system's light / dark setting. Windows send traitCollectionDidChange: down their views.
  void setUserInterfaceStyle(UIUserInterfaceStyle style) { style_ = style; }
  UIUserInterfaceStyle userInterfaceStyle() const { return style_; }

 private:
  CGRect bounds_ = CGRectMake(0, 0, 390, 844);
  CGFloat scale_ = 3;
  UIUserInterfaceStyle style_ = UIUserInterfaceStyleLight;
};
