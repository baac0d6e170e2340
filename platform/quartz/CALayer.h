#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quartz/CGAffineTransform.h"
#include "quartz/CGColor.h"
#include "quartz/CGContext.h"
#include "quartz/CGImage.h"
#include "runtime/NSObject.h"

using CALayerCornerCurve = std::string_view;
inline constexpr CALayerCornerCurve kCACornerCurveCircular = "circular";
inline constexpr CALayerCornerCurve kCACornerCurveContinuous = "continuous";

// A layer's model values, which the renderer draws. A layer owns its sublayers; its superlayer
// and its delegate (the view that it backs) are weak.
class CALayer : public NSObject {
  OBJC_CLASS(CALayer, NSObject);

 public:
  CALayer() = default;
  static std::shared_ptr<CALayer> layer();

  // Geometry. The frame is derived: the bounds placed so that the anchor point (in unit
  // coordinates of the bounds) sits at the position, then transformed about that point.
  CGRect frame() const;
  void setFrame(CGRect frame);
  CGRect bounds() const { return bounds_; }
  void setBounds(CGRect bounds) { bounds_ = bounds; }
  CGPoint position() const { return position_; }
  void setPosition(CGPoint position) { position_ = position; }
  CGPoint anchorPoint() const { return anchorPoint_; }
  void setAnchorPoint(CGPoint anchorPoint) { anchorPoint_ = anchorPoint; }
  CGAffineTransform affineTransform() const { return affineTransform_; }
  void setAffineTransform(CGAffineTransform transform) { affineTransform_ = transform; }
  CGFloat zPosition() const { return zPosition_; }
  void setZPosition(CGFloat zPosition) { zPosition_ = zPosition; }

  // Appearance.
  const std::optional<CGColor>& backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(std::optional<CGColor> color) { backgroundColor_ = color; }
  CGFloat cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(CGFloat radius) { cornerRadius_ = radius; }
  const std::string& cornerCurve() const { return cornerCurve_; }
  void setCornerCurve(CALayerCornerCurve curve) { cornerCurve_ = std::string(curve); }
  CGFloat borderWidth() const { return borderWidth_; }
  void setBorderWidth(CGFloat width) { borderWidth_ = width; }
  CGColor borderColor() const { return borderColor_; }
  void setBorderColor(CGColor color) { borderColor_ = color; }
  CGColor shadowColor() const { return shadowColor_; }
  void setShadowColor(CGColor color) { shadowColor_ = color; }
  float shadowOpacity() const { return shadowOpacity_; }
  void setShadowOpacity(float opacity) { shadowOpacity_ = opacity; }
  CGSize shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(CGSize offset) { shadowOffset_ = offset; }
  CGFloat shadowRadius() const { return shadowRadius_; }
  void setShadowRadius(CGFloat radius) { shadowRadius_ = radius; }
  bool masksToBounds() const { return masksToBounds_; }
  void setMasksToBounds(bool masks) { masksToBounds_ = masks; }
  float opacity() const { return opacity_; }
  void setOpacity(float opacity) { opacity_ = opacity; }
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden) { hidden_ = hidden; }
  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }

  // Tree. Adding a layer that has a superlayer moves it; the index is clamped to the end.
  const std::vector<std::shared_ptr<CALayer>>& sublayers() const { return sublayers_; }
  std::shared_ptr<CALayer> superlayer() const { return superlayer_.lock(); }
  void addSublayer(const std::shared_ptr<CALayer>& layer);
  void insertSublayer(const std::shared_ptr<CALayer>& layer, unsigned index);
  // insertSublayer:below: and insertSublayer:above:. A sibling that is not a sublayer puts the
  // layer at the back (below) or the front (above).
  void insertSublayerBelow(const std::shared_ptr<CALayer>& layer,
                           const std::shared_ptr<CALayer>& sibling);
  void insertSublayerAbove(const std::shared_ptr<CALayer>& layer,
                           const std::shared_ptr<CALayer>& sibling);
  void removeFromSuperlayer();

  std::shared_ptr<NSObject> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<NSObject>& delegate) { delegate_ = delegate; }

  // Content. An image stretched over the bounds, and the layer's own drawing on top of it: the
  // renderer calls drawInContext with the context in the bounds' coordinates, clipped as the
  // layer is. Layers that show video frames override it. The layer retains its image; the
  // getter's is the layer's.
  CGImageRef contents() const { return contents_.get(); }
  void setContents(CGImageRef contents);
  virtual void drawInContext(CGContextRef context) { (void)context; }
  // Marks the content as changed (a new video frame) so that the next frame redraws the layer.
  void setNeedsDisplay();
  // Where setNeedsDisplay reports; the renderer installs one to collect damage.
  using DisplayObserver = std::function<void(const CALayer&)>;
  static void setDisplayObserver(DisplayObserver observer);

 private:
  void insertAt(const std::shared_ptr<CALayer>& layer, size_t index);

  CGRect bounds_;
  CGPoint position_;
  CGPoint anchorPoint_{0.5, 0.5};
  CGAffineTransform affineTransform_;
  CGFloat zPosition_ = 0;

  std::optional<CGColor> backgroundColor_;
  CGFloat cornerRadius_ = 0;
  std::string cornerCurve_{kCACornerCurveCircular};
  CGFloat borderWidth_ = 0;
  CGColor borderColor_{0, 0, 0, 1};
  CGColor shadowColor_{0, 0, 0, 1};
  float shadowOpacity_ = 0;
  CGSize shadowOffset_{0, -3};
  CGFloat shadowRadius_ = 3;
  bool masksToBounds_ = false;
  float opacity_ = 1;
  bool hidden_ = false;
  std::string name_;
  std::shared_ptr<CGImage> contents_;

  std::vector<std::shared_ptr<CALayer>> sublayers_;
  std::weak_ptr<CALayer> superlayer_;
  std::weak_ptr<NSObject> delegate_;
};
