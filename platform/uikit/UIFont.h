#pragma once

#include <memory>
#include <string>

#include "foundation/NSString.h"
#include "quartz/CGGeometry.h"
#include "runtime/NSObject.h"

// What the text system lays out and draws a font with (UIFont+Private.h).
struct UIFontDescription;

// The platform's weight scale, from the thinnest to the heaviest.
using UIFontWeight = CGFloat;
inline constexpr UIFontWeight UIFontWeightUltraLight = -0.8;
inline constexpr UIFontWeight UIFontWeightThin = -0.6;
inline constexpr UIFontWeight UIFontWeightLight = -0.4;
inline constexpr UIFontWeight UIFontWeightRegular = 0;
inline constexpr UIFontWeight UIFontWeightMedium = 0.23;
inline constexpr UIFontWeight UIFontWeightSemibold = 0.3;
inline constexpr UIFontWeight UIFontWeightBold = 0.4;
inline constexpr UIFontWeight UIFontWeightHeavy = 0.56;
inline constexpr UIFontWeight UIFontWeightBlack = 0.62;

// A font of the system family at a size. Inter stands in for the system font; each platform
// weight maps to one of Inter's nine, and characters that Inter lacks (emoji, other scripts) come
// from the fonts that fontconfig falls back to. Metrics are the real font's, in points.
// Fonts are immutable and shared: one instance per size, weight and slant.
class UIFont : public NSObject {
  OBJC_CLASS(UIFont, NSObject);

 public:
  // A size that is not positive (or not a number) gives systemFontSize(), as a nil font would.
  static std::shared_ptr<UIFont> systemFontOfSize(CGFloat fontSize);
  static std::shared_ptr<UIFont> systemFontOfSize(CGFloat fontSize, UIFontWeight weight);
  static std::shared_ptr<UIFont> boldSystemFontOfSize(CGFloat fontSize);
  static std::shared_ptr<UIFont> italicSystemFontOfSize(CGFloat fontSize);
  static CGFloat systemFontSize() { return 14; }
  static CGFloat labelFontSize() { return 17; }

  // The same weight and slant at another size.
  std::shared_ptr<UIFont> fontWithSize(CGFloat fontSize) const;

  CGFloat pointSize() const { return pointSize_; }
  // Distance from the baseline to the top of the tallest glyphs (positive) and to the bottom of
  // the lowest (negative), as the platform signs them.
  CGFloat ascender() const { return ascender_; }
  CGFloat descender() const { return descender_; }
  // The gap the font asks for between lines.
  CGFloat leading() const { return leading_; }
  // ascender - descender + leading: the height of one line of text in this font.
  CGFloat lineHeight() const { return lineHeight_; }
  CGFloat capHeight() const { return capHeight_; }
  CGFloat xHeight() const { return xHeight_; }
  // The PostScript name and the family of the font that fontconfig actually loaded.
  std::shared_ptr<NSString> fontName() const { return fontName_; }
  std::shared_ptr<NSString> familyName() const { return familyName_; }

  // The platform weight this font was made with (one of the UIFontWeight constants).
  UIFontWeight weight() const { return weight_; }
  bool isItalic() const { return italic_; }

  // What the text system lays out and draws this font with; owned by the font.
  const UIFontDescription& fontDescription() const { return *description_; }

  bool isEqual(const id& other) const override;
  size_t hash() const override;
  // The platform's form: "<UIFont: 0x...> font-family: "Inter"; font-weight: bold; ...".
  std::string description() const override;

  // Use the factories; public only so that make_shared can reach it.
  UIFont(CGFloat pointSize, UIFontWeight weight, bool italic);
  ~UIFont() override;

 private:
  CGFloat pointSize_;
  UIFontWeight weight_;
  bool italic_;
  std::unique_ptr<UIFontDescription> description_;
  CGFloat ascender_ = 0;
  CGFloat descender_ = 0;
  CGFloat leading_ = 0;
  CGFloat lineHeight_ = 0;
  CGFloat capHeight_ = 0;
  CGFloat xHeight_ = 0;
  std::shared_ptr<NSString> fontName_;
  std::shared_ptr<NSString> familyName_;
};
