#include "VerticalChanges.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "render/LayerPainter.h"
#include "render/LayerState.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UITextField.h"
#include "uikit/UITextView.h"
#include "uikit/UIView.h"
#include "uikit/UIVisualEffectView.h"

namespace {

// As the painter: below half a level of an 8-bit channel a layer is not drawn at all.
constexpr double kInvisibleOpacity = 0.5 / 255;
// Device pixels of antialiasing around an edge.
constexpr double kEdgeMargin = 2;
// Points that glyphs, emoji and image filtering may reach beyond a drawing layer's rectangle.
constexpr double kContentMargin = 4;
// Continuous corners start about 1.53 radii from the corner.
constexpr double kCornerReach = 1.6;

// The views that draw something of their own in drawRect: (the platform's; the add-on's views
// only arrange these). A view class that draws must be named here, or its drawing is taken for
// flat colour.
bool drawsContent(const UIView* view) {
  return view && (dynamic_cast<const UILabel*>(view) || dynamic_cast<const UIImageView*>(view) ||
                  dynamic_cast<const UITextView*>(view) || dynamic_cast<const UITextField*>(view) ||
                  dynamic_cast<const UIVisualEffectView*>(view));
}

}  // namespace

std::vector<CGRect> VerticalChanges::of(const CALayer& root, UIUserInterfaceStyle style,
                                        const cairo_matrix_t& toDevice, CGRect area) {
  VerticalChanges changes(area);
  changes.visit(root, style, toDevice, false);
  return std::move(changes.rects_);
}

void VerticalChanges::add(CGRect rect) {
  if (!std::isfinite(rect.origin.x) || !std::isfinite(rect.origin.y) ||
      !std::isfinite(rect.size.width) || !std::isfinite(rect.size.height)) {
    rects_.push_back(area_);
    return;
  }
  const CGRect clipped = CGRectIntersection(render::pixelAligned(rect), area_);
  if (clipped.size.width > 0 && clipped.size.height > 0) rects_.push_back(clipped);
}

void VerticalChanges::visit(const CALayer& layer, UIUserInterfaceStyle inherited,
                            const cairo_matrix_t& parentToDevice, bool placed) {
  if (layer.isHidden()) return;
  UIView* view = render::viewOfLayer(layer);
  const UIUserInterfaceStyle style = render::styleFor(view, inherited);
  const render::LayerState state = render::LayerState::of(layer, view, style);
  if (state.opacity < kInvisibleOpacity) return;
  cairo_matrix_t toDevice = parentToDevice;
  if (placed) {
    if (!state.isPlaceable()) return;
    const cairo_matrix_t placement = state.matrix();
    cairo_matrix_multiply(&toDevice, &placement, &parentToDevice);
  } else {
    if (!std::isfinite(state.bounds.origin.x) || !std::isfinite(state.bounds.origin.y)) return;
    cairo_matrix_t unplaced;
    cairo_matrix_init_translate(&unplaced, -state.bounds.origin.x, -state.bounds.origin.y);
    cairo_matrix_multiply(&toDevice, &unplaced, &parentToDevice);
  }
  const CGRect extent = render::transformedBounds(toDevice, state.bounds);
  const double scale = std::sqrt(std::abs(toDevice.xx * toDevice.yy - toDevice.xy * toDevice.yx));
  const bool turned = toDevice.xy != 0 || toDevice.yx != 0;
  const bool flat = state.opacity >= 1 || layer.sublayers().empty();
  if (turned || state.hasShadow() || state.transition || !flat) {
    // Drawn as one picture (blurred, faded, or at an angle): every row it may touch.
    const CGRect whole = render::LayerPainter::subtreeExtent(layer, state, toDevice);
    add(CGRectInset(whole, -kContentMargin * scale - kEdgeMargin,
                    -kContentMargin * scale - kEdgeMargin));
    return;
  }
  if (typeid(layer) != typeid(CALayer) || layer.contents() || drawsContent(view)) {
    const CGRect drawn = render::transformedBounds(toDevice, render::drawnRect(layer, view, state));
    add(CGRectInset(drawn, -kContentMargin * scale - kEdgeMargin,
                    -kContentMargin * scale - kEdgeMargin));
  }
  const bool fills = state.background.alpha > 0;
  const bool borders = state.borderWidth > 0 && state.borderColor.alpha > 0;
  if (fills || borders || state.masksToBounds) {
    // The top and bottom edges with the border along them, and the corners. In between, and
    // along the sides, each row is the one above.
    const double radius =
        std::max(0.0, std::min(state.cornerRadius,
                               std::min(state.bounds.size.width, state.bounds.size.height) / 2));
    const double edge = (borders ? state.borderWidth * scale : 0) + 2 * kEdgeMargin;
    const double left = CGRectGetMinX(extent) - kEdgeMargin;
    const double top = CGRectGetMinY(extent) - kEdgeMargin;
    const double right = CGRectGetMaxX(extent) + kEdgeMargin;
    const double bottom = CGRectGetMaxY(extent) + kEdgeMargin;
    add(CGRectMake(left, top, right - left, edge));
    add(CGRectMake(left, bottom - edge, right - left, edge));
    if (radius > 0) {
      const double reach = std::max(radius * scale * (state.continuousCorners ? kCornerReach : 1),
                                    borders ? state.borderWidth * scale : 0) +
                           2 * kEdgeMargin;
      add(CGRectMake(left, top, reach, reach));
      add(CGRectMake(right - reach, top, reach, reach));
      add(CGRectMake(left, bottom - reach, reach, reach));
      add(CGRectMake(right - reach, bottom - reach, reach, reach));
    }
  }
  for (const auto& sublayer : layer.sublayers()) visit(*sublayer, style, toDevice, true);
}
