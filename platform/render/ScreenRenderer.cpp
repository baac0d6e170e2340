#include "render/ScreenRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

#include "avfoundation/AVVideoLayer.h"
#include "quartz/CAAnimationTimeline.h"
#include "render/LayerPainter.h"
#include "render/LayerState.h"
#include "render/ScreenPainting.h"
#include "render/StatusBarPainter.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"
#include "uikit/UIVisualEffectView.h"
#include "uikit/UIWindow.h"

namespace render {

// Every live renderer hears of every display request; there is one observer slot for each kind.
struct DisplayRequests {
  static std::vector<ScreenRenderer*>& renderers() {
    static std::vector<ScreenRenderer*> live;
    return live;
  }
  static void add(ScreenRenderer* renderer) {
    if (renderers().empty()) {
      UIGraphicsSetDamageObserver([](const std::shared_ptr<UIView>& view, CGRect) {
        for (ScreenRenderer* r : renderers()) r->viewNeedsDisplay(view);
      });
      CALayer::setDisplayObserver([](const CALayer& layer) {
        for (ScreenRenderer* r : renderers()) r->layerNeedsDisplay(layer);
      });
    }
    renderers().push_back(renderer);
  }
  static void remove(ScreenRenderer* renderer) {
    std::erase(renderers(), renderer);
    if (renderers().empty()) {
      UIGraphicsSetDamageObserver(nullptr);
      CALayer::setDisplayObserver(nullptr);
    }
  }
};

namespace {

// Beyond a layer's rectangle, antialiasing and the overhang of glyphs.
constexpr double kMarginPixels = 2;
// More separate rectangles than this are drawn as their bounding box.
constexpr size_t kMostRectangles = 12;

void combine(size_t& seed, size_t value) {
  seed ^= value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2);
}

void combine(size_t& seed, double value) {
  combine(seed, std::hash<double>()(value));
}

void combine(size_t& seed, const CGColor& color) {
  combine(seed, color.red), combine(seed, color.green), combine(seed, color.blue);
  combine(seed, color.alpha);
}

size_t signatureOf(const CALayer& layer, const UIView* view, const LayerState& state,
                   UIUserInterfaceStyle style, size_t parent, size_t index) {
  size_t seed = parent;
  combine(seed, index);
  combine(seed, reinterpret_cast<size_t>(&layer));
  combine(seed, static_cast<size_t>(style));
  for (double v : {state.position.x,         state.position.y,          state.bounds.origin.x,
                   state.bounds.origin.y,    state.bounds.size.width,   state.bounds.size.height,
                   state.anchorPoint.x,      state.anchorPoint.y,       state.transform.a,
                   state.transform.b,        state.transform.c,         state.transform.d,
                   state.transform.tx,       state.transform.ty,        state.opacity,
                   state.cornerRadius,       state.borderWidth,         state.shadowOpacity,
                   state.shadowOffset.width, state.shadowOffset.height, state.shadowRadius,
                   layer.zPosition()}) {
    combine(seed, v);
  }
  combine(seed, state.background);
  combine(seed, state.borderColor);
  combine(seed, state.shadowColor);
  combine(seed, static_cast<size_t>(state.continuousCorners) << 1 |
                    static_cast<size_t>(state.masksToBounds));
  combine(seed, reinterpret_cast<size_t>(layer.contents()));
  if (const auto* video = dynamic_cast<const AVVideoLayer*>(&layer)) {
    combine(seed, std::hash<std::string>()(video->videoGravity()));
    combine(seed, static_cast<size_t>(video->isVideoMirrored()));
    // Where the video reaches: an aspect fill overflows the layer, and its last frame going
    // must clear all of it.
    auto frame = video->currentVideoFrame();
    CGSize natural = frame ? frame->naturalSize() : CGSizeZero;
    combine(seed, natural.width), combine(seed, natural.height);
  }
  if (view) {
    combine(seed, reinterpret_cast<size_t>(view));
    combine(seed, static_cast<size_t>(view->contentMode()));
  }
  return seed;
}

class Survey {
 public:
  explicit Survey(ScreenRenderer::Records& records) : records_(records) {}

  void layer(const CALayer& layer, UIUserInterfaceStyle inherited, const cairo_matrix_t& parent,
             size_t parentSignature, size_t index, CGRect clip) {
    if (layer.isHidden()) return;
    UIView* view = viewOfLayer(layer);
    UIUserInterfaceStyle style = styleFor(view, inherited);
    LayerState state = LayerState::of(layer, view, style);
    if (state.opacity < 0.5 / 255 || !state.isPlaceable()) return;
    cairo_matrix_t placement = state.matrix(), toDevice;
    cairo_matrix_multiply(&toDevice, &placement, &parent);

    ScreenRenderer::Record record;
    record.layer = layer.weak_from_this();
    double scale = std::sqrt(std::abs(toDevice.xx * toDevice.yy - toDevice.xy * toDevice.yx));
    CGRect own = transformedBounds(toDevice, drawnRect(layer, view, state));
    double margin = kMarginPixels + (state.hasShadow() ? state.shadowReach() * scale : 0);
    record.extent = CGRectIntersection(CGRectInset(own, -margin, -margin), clip);
    record.signature = signatureOf(layer, view, state, style, parentSignature, index);
    record.dependsOnSurroundings = state.hasShadow() || dynamic_cast<UIVisualEffectView*>(view);
    if (state.transition) {
      combine(record.signature, *state.transition);
      if (auto animation = CAAnimationTimeline::animationForKey(layer, kCATransition)) {
        record.transitionBegin = animation->beginTime();
      }
    }
    if (record.dependsOnSurroundings || record.transitionBegin) {
      CGRect whole = state.hasShadow() ? LayerPainter::subtreeExtent(layer, state, toDevice) : own;
      // Unclipped: a blur reads its whole rectangle, also where an ancestor hides it.
      record.wholeExtent = CGRectInset(whole, -margin, -margin);
    }
    if (state.masksToBounds)
      clip = CGRectIntersection(clip, transformedBounds(toDevice, state.bounds));
    records_[&layer] = record;

    size_t i = 0;
    for (const auto& sublayer : layer.sublayers()) {
      this->layer(*sublayer, style, toDevice, record.signature, i++, clip);
    }
  }

 private:
  ScreenRenderer::Records& records_;
};

void addDamage(std::vector<CGRect>& damage, CGRect rect, CGRect screen) {
  rect = pixelAligned(CGRectIntersection(rect, screen));
  if (rect.size.width > 0 && rect.size.height > 0) damage.push_back(rect);
}

// Joins overlapping rectangles until none overlap; too many become their bounding box.
std::vector<CGRect> merged(std::vector<CGRect> rects) {
  bool joined = true;
  while (joined) {
    joined = false;
    for (size_t i = 0; i < rects.size() && !joined; ++i) {
      for (size_t j = i + 1; j < rects.size(); ++j) {
        if (CGRectIntersectsRect(rects[i], rects[j])) {
          rects[i] = CGRectUnion(rects[i], rects[j]);
          rects.erase(rects.begin() + static_cast<long>(j));
          joined = true;
          break;
        }
      }
    }
  }
  if (rects.size() > kMostRectangles) {
    CGRect all = rects.front();
    for (const CGRect& rect : rects) all = CGRectUnion(all, rect);
    rects = {all};
  }
  return rects;
}

}  // namespace

ScreenRenderer::ScreenRenderer(const RenderOptions& options)
    : options_(options), surface_(createScreenSurface(options)) {
  DisplayRequests::add(this);
}

ScreenRenderer::~ScreenRenderer() {
  DisplayRequests::remove(this);
  cairo_surface_destroy(surface_);
}

void ScreenRenderer::viewNeedsDisplay(const std::shared_ptr<UIView>& view) {
  if (view) needDisplay_.push_back(view->layer()->weak_from_this());
}

void ScreenRenderer::layerNeedsDisplay(const CALayer& layer) {
  needDisplay_.push_back(layer.weak_from_this());
}

void ScreenRenderer::updateTransitionSnapshots(
    const std::vector<std::shared_ptr<UIWindow>>& windows, const Records& records,
    std::vector<CGRect>& damage, CGRect screen) {
  for (auto snapshot = snapshots_.begin(); snapshot != snapshots_.end();) {
    auto record = records.find(snapshot->first);
    if (record == records.end() || record->second.transitionBegin != snapshot->second.beginTime) {
      addDamage(damage, snapshot->second.deviceRect, screen);
      snapshot = snapshots_.erase(snapshot);
    } else {
      ++snapshot;
    }
  }
  for (const auto& [layer, record] : records) {
    if (!record.transitionBegin) continue;
    CGRect rect = pixelAligned(CGRectIntersection(record.wholeExtent, screen));
    if (rect.size.width <= 0 || rect.size.height <= 0) continue;
    addDamage(damage, rect, screen);
    // The last frame shows the look before the change; a first frame has nothing to fade from.
    if (fullRedraw_ || snapshots_.count(layer)) continue;
    // Painted before the entry exists, so that the bands show the new look alone.
    auto parts = changedParts(windows, rect);
    snapshots_[layer] = {std::move(parts), rect, *record.transitionBegin};
  }
}

std::vector<LayerPainter::TransitionSnapshot::Part> ScreenRenderer::changedParts(
    const std::vector<std::shared_ptr<UIWindow>>& windows, CGRect rect) {
  constexpr int kBand = 64;
  const int left = static_cast<int>(rect.origin.x), top = static_cast<int>(rect.origin.y);
  const int width = static_cast<int>(rect.size.width);
  const int bottom = top + static_cast<int>(rect.size.height);
  std::vector<LayerPainter::TransitionSnapshot::Part> parts;
  cairo_surface_flush(surface_);
  const unsigned char* frame = cairo_image_surface_get_data(surface_);
  const int frameStride = cairo_image_surface_get_stride(surface_);
  cairo_surface_t* band = createPixelSurface(width, kBand);
  const int bandStride = cairo_image_surface_get_stride(band);
  auto framePixel = [&](int x, int y) {
    return reinterpret_cast<const uint32_t*>(frame + static_cast<ptrdiff_t>(y) * frameStride) + x;
  };
  for (int y = top; y < bottom; y += kBand) {
    const int height = std::min(kBand, bottom - y);
    // The old pixels of the band,
    cairo_t* copy = cairo_create(band);
    cairo_set_source_surface(copy, surface_, -left, -y);
    cairo_set_operator(copy, CAIRO_OPERATOR_SOURCE);
    cairo_paint(copy);
    cairo_destroy(copy);
    cairo_surface_flush(band);
    // then the new look over them in the frame, painted as the frame itself will be,
    cairo_t* cr = cairo_create(surface_);
    cairo_rectangle(cr, left, y, width, height);
    cairo_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_scale(cr, options_.scale, options_.scale);
    LayerPainter painter(cr);
    painter.setCullRects({CGRectMake(left, y, width, height)});
    painter.setTransitionSnapshots(&snapshots_);
    paintWindows(windows, painter);
    cairo_destroy(cr);
    cairo_surface_flush(surface_);
    // and what differs between the two, as a rectangle.
    const unsigned char* old = cairo_image_surface_get_data(band);
    int minX = width, maxX = -1, minY = height, maxY = -1;
    for (int row = 0; row < height; ++row) {
      const auto* before = reinterpret_cast<const uint32_t*>(old + row * bandStride);
      const uint32_t* after = framePixel(left, y + row);
      if (std::equal(before, before + width, after)) continue;
      minY = std::min(minY, row);
      maxY = row;
      int first = 0, last = width - 1;
      while (before[first] == after[first]) ++first;
      while (before[last] == after[last]) --last;
      minX = std::min(minX, first);
      maxX = std::max(maxX, last);
    }
    if (maxY < 0) continue;
    const int partWidth = maxX - minX + 1, partHeight = maxY - minY + 1;
    cairo_surface_t* pixels = createPixelSurface(partWidth, partHeight);
    cairo_t* keep = cairo_create(pixels);
    cairo_set_source_surface(keep, band, -minX, -minY);
    cairo_set_operator(keep, CAIRO_OPERATOR_SOURCE);
    cairo_paint(keep);
    cairo_destroy(keep);
    parts.push_back({std::shared_ptr<cairo_surface_t>(pixels, cairo_surface_destroy),
                     CGRectMake(left + minX, y + minY, partWidth, partHeight)});
  }
  cairo_surface_destroy(band);
  return parts;
}

std::vector<CGRect> ScreenRenderer::renderFrame() {
  if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) return {};
  auto windows = visibleWindows();
  layOutWindows(windows);

  CGRect screen = CGRectMake(0, 0, cairo_image_surface_get_width(surface_),
                             cairo_image_surface_get_height(surface_));
  Records records;
  Survey survey(records);
  cairo_matrix_t toDevice;
  cairo_matrix_init_scale(&toDevice, options_.scale, options_.scale);
  UIUserInterfaceStyle style = UIScreen::mainScreen()->userInterfaceStyle();
  size_t index = 0;
  for (auto& window : windows) survey.layer(*window->layer(), style, toDevice, 0, index++, screen);

  std::vector<CGRect> damage;
  if (fullRedraw_) {
    damage.push_back(screen);
  } else {
    for (const auto& [layer, record] : records) {
      auto old = records_.find(layer);
      bool sameLayer = old != records_.end() && !old->second.layer.owner_before(record.layer) &&
                       !record.layer.owner_before(old->second.layer);
      if (!sameLayer) {
        addDamage(damage, record.extent, screen);
      } else if (old->second.signature != record.signature) {
        addDamage(damage, old->second.extent, screen);
        addDamage(damage, record.extent, screen);
      }
    }
    for (const auto& [layer, record] : records_) {
      auto now = records.find(layer);
      if (now == records.end() || now->second.layer.owner_before(record.layer) ||
          record.layer.owner_before(now->second.layer)) {
        addDamage(damage, record.extent, screen);
      }
    }
    for (const auto& weak : needDisplay_) {
      auto layer = weak.lock();
      if (!layer) continue;
      auto found = records.find(static_cast<const CALayer*>(layer.get()));
      if (found != records.end()) addDamage(damage, found->second.extent, screen);
    }
  }
  updateTransitionSnapshots(windows, records, damage, screen);
  // The status bar is drawn from what lies beneath it too.
  bool statusBarDamaged = widenedForStatusBar(damage, options_.scale);
  // Blurs and shadows are drawn from their surroundings: a change that touches one redraws
  // all of it, which may in turn touch another.
  bool grew = true;
  while (grew && !damage.empty()) {
    grew = false;
    for (const auto& [layer, record] : records) {
      if (!record.dependsOnSurroundings) continue;
      CGRect whole = pixelAligned(CGRectIntersection(record.wholeExtent, screen));
      if (whole.size.width <= 0) continue;
      bool touched = std::any_of(damage.begin(), damage.end(), [&](const CGRect& rect) {
        return CGRectIntersectsRect(rect, whole);
      });
      bool covered = std::any_of(damage.begin(), damage.end(), [&](const CGRect& rect) {
        return CGRectContainsRect(rect, whole);
      });
      if (touched && !covered) {
        addDamage(damage, whole, screen);
        damage = merged(std::move(damage));
        grew = true;
      }
    }
    if (!statusBarDamaged && widenedForStatusBar(damage, options_.scale)) {
      statusBarDamaged = grew = true;
      damage = merged(std::move(damage));
    }
  }
  needDisplay_.clear();
  records_ = std::move(records);
  fullRedraw_ = false;
  damage = merged(std::move(damage));
  if (damage.empty()) return {};

  cairo_t* cr = cairo_create(surface_);
  cairo_new_path(cr);
  for (const CGRect& rect : damage) {
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  }
  cairo_clip(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_scale(cr, options_.scale, options_.scale);
  LayerPainter painter(cr);
  painter.setCullRects(damage);
  painter.setTransitionSnapshots(&snapshots_);
  paintWindows(windows, painter);
  cairo_destroy(cr);
  if (statusBarDamaged) paintStatusBar(surface_, options_.scale);
  cairo_surface_flush(surface_);

  std::vector<CGRect> redrawn;
  for (const CGRect& rect : damage) {
    redrawn.push_back(CGRectMake(rect.origin.x / options_.scale, rect.origin.y / options_.scale,
                                 rect.size.width / options_.scale,
                                 rect.size.height / options_.scale));
  }
  return redrawn;
}

}  // namespace render
