#include "uikit/UIFont.h"

#include <hb-ot.h>
#include <pango/pangocairo.h>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <tuple>

#include "uikit/TextLayout+Private.h"
#include "uikit/UIFont+Private.h"

OBJC_CLASS_IMPL(UIFont) {
  c.method("pointSize", &UIFont::pointSize)
      .method("lineHeight", &UIFont::lineHeight)
      .method("ascender", &UIFont::ascender)
      .method("descender", &UIFont::descender)
      .method("leading", &UIFont::leading)
      .method("capHeight", &UIFont::capHeight)
      .method("xHeight", &UIFont::xHeight)
      .method("fontName", &UIFont::fontName)
      .method("familyName", &UIFont::familyName);
}

namespace {

struct WeightMapping {
  UIFontWeight platform;
  PangoWeight inter;
  const char* name;  // as the platform's font description prints it
};

// The platform's ultralight is its thinnest weight and thin the next, so they take Inter's
// Thin (100) and ExtraLight (200) in that order.
constexpr std::array<WeightMapping, 9> kWeights{{
    {UIFontWeightUltraLight, PANGO_WEIGHT_THIN, "ultralight"},
    {UIFontWeightThin, PANGO_WEIGHT_ULTRALIGHT, "thin"},
    {UIFontWeightLight, PANGO_WEIGHT_LIGHT, "light"},
    {UIFontWeightRegular, PANGO_WEIGHT_NORMAL, "normal"},
    {UIFontWeightMedium, PANGO_WEIGHT_MEDIUM, "medium"},
    {UIFontWeightSemibold, PANGO_WEIGHT_SEMIBOLD, "semibold"},
    {UIFontWeightBold, PANGO_WEIGHT_BOLD, "bold"},
    {UIFontWeightHeavy, PANGO_WEIGHT_ULTRABOLD, "heavy"},
    {UIFontWeightBlack, PANGO_WEIGHT_HEAVY, "black"},
}};

// A weight between two of the platform's falls to the nearer one.
const WeightMapping& nearestWeight(UIFontWeight weight) {
  const WeightMapping* best = &kWeights[3];
  for (const WeightMapping& mapping : kWeights) {
    if (std::abs(mapping.platform - weight) < std::abs(best->platform - weight)) best = &mapping;
  }
  return *best;
}

CGFloat validSize(CGFloat size) {
  return std::isfinite(size) && size > 0 ? size : UIFont::systemFontSize();
}

constexpr double kPangoScale = PANGO_SCALE;

}  // namespace

UIFont::UIFont(CGFloat pointSize, UIFontWeight weight, bool italic)
    : pointSize_(pointSize), weight_(nearestWeight(weight).platform), italic_(italic) {
  description_ = std::make_unique<UIFontDescription>();
  PangoFontDescription* description = description_->pango;
  pango_font_description_set_family_static(description, "Inter");
  pango_font_description_set_weight(description, nearestWeight(weight).inter);
  pango_font_description_set_style(description, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  // Absolute: one Pango device unit is one point, whatever resolution a surface has.
  pango_font_description_set_absolute_size(description, pointSize * kPangoScale);

  PangoFont* font = pango_context_load_font(TextLayout::context(), description);
  if (!font) {
    familyName_ = NSString::string();
    fontName_ = NSString::string();
    return;
  }
  PangoFontMetrics* metrics = pango_font_get_metrics(font, nullptr);
  ascender_ = pango_font_metrics_get_ascent(metrics) / kPangoScale;
  descender_ = -pango_font_metrics_get_descent(metrics) / kPangoScale;
  lineHeight_ = pango_font_metrics_get_height(metrics) / kPangoScale;
  leading_ = std::max<CGFloat>(0, lineHeight_ - (ascender_ - descender_));
  lineHeight_ = ascender_ - descender_ + leading_;
  pango_font_metrics_unref(metrics);

  PangoFontDescription* loaded = pango_font_describe(font);
  familyName_ = NSString::string(
      pango_font_description_get_family(loaded) ? pango_font_description_get_family(loaded) : "");
  pango_font_description_free(loaded);

  hb_font_t* hb = pango_font_get_hb_font(font);
  int xScale = 0, yScale = 0;
  hb_font_get_scale(hb, &xScale, &yScale);
  hb_position_t cap = 0, x = 0;
  if (yScale > 0 && hb_ot_metrics_get_position(hb, HB_OT_METRICS_TAG_CAP_HEIGHT, &cap)) {
    capHeight_ = cap * pointSize / yScale;
  }
  if (yScale > 0 && hb_ot_metrics_get_position(hb, HB_OT_METRICS_TAG_X_HEIGHT, &x)) {
    xHeight_ = x * pointSize / yScale;
  }
  char name[256] = {0};
  unsigned int length = sizeof name;
  hb_ot_name_get_utf8(hb_font_get_face(hb), HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID,
                      &length, name);
  fontName_ = NSString::string(name);
  g_object_unref(font);
}

UIFont::~UIFont() = default;

std::shared_ptr<UIFont> UIFont::systemFontOfSize(CGFloat fontSize) {
  return systemFontOfSize(fontSize, UIFontWeightRegular);
}

namespace {

std::shared_ptr<UIFont> cachedFont(CGFloat size, UIFontWeight weight, bool italic) {
  // Few sizes and weights are ever used; every font lives as long as the process.
  static std::map<std::tuple<CGFloat, UIFontWeight, bool>, std::shared_ptr<UIFont>> fonts;
  size = validSize(size);
  weight = nearestWeight(weight).platform;
  auto key = std::make_tuple(size, weight, italic);
  auto found = fonts.find(key);
  if (found != fonts.end()) return found->second;
  auto font = std::make_shared<UIFont>(size, weight, italic);
  fonts.emplace(key, font);
  return font;
}

}  // namespace

std::shared_ptr<UIFont> UIFont::systemFontOfSize(CGFloat fontSize, UIFontWeight weight) {
  return cachedFont(fontSize, weight, false);
}

std::shared_ptr<UIFont> UIFont::boldSystemFontOfSize(CGFloat fontSize) {
  return cachedFont(fontSize, UIFontWeightBold, false);
}

std::shared_ptr<UIFont> UIFont::italicSystemFontOfSize(CGFloat fontSize) {
  return cachedFont(fontSize, UIFontWeightRegular, true);
}

std::shared_ptr<UIFont> UIFont::fontWithSize(CGFloat fontSize) const {
  return cachedFont(fontSize, weight_, italic_);
}

bool UIFont::isEqual(const id& other) const {
  auto font = std::dynamic_pointer_cast<UIFont>(other);
  return font && font->pointSize_ == pointSize_ && font->weight_ == weight_ &&
         font->italic_ == italic_;
}

size_t UIFont::hash() const {
  return std::hash<double>()(pointSize_) ^ (std::hash<double>()(weight_) << 1) ^
         static_cast<size_t>(italic_);
}

std::string UIFont::description() const {
  return NSString::formatUTF8(
      "%s font-family: \"%s\"; font-weight: %s; font-style: %s; font-size: %.2fpt",
      NSObject::description(), familyName_->utf8(), nearestWeight(weight_).name,
      italic_ ? "italic" : "normal", pointSize_);
}
