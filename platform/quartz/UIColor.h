#pragma once

#include <functional>
#include <memory>
#include <string>

#include "quartz/CGColor.h"
#include "quartz/UITraitCollection.h"

// A colour: either fixed sRGB components, or dynamic, resolved from the trait collection each
// time it is used. Colours are immutable; the class methods return shared instances for the
// named and system colours.
class UIColor : public NSObject {
  OBJC_CLASS(UIColor, NSObject);

 public:
  using Provider =
      std::function<std::shared_ptr<UIColor>(const std::shared_ptr<UITraitCollection>&)>;

  UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  UIColor(Provider provider, std::string name);

  static std::shared_ptr<UIColor> colorWithRed(CGFloat red, CGFloat green, CGFloat blue,
                                               CGFloat alpha);
  static std::shared_ptr<UIColor> colorWithWhite(CGFloat white, CGFloat alpha);
  static std::shared_ptr<UIColor> colorWithCGColor(const ::CGColor& color);
  static std::shared_ptr<UIColor> colorWithDynamicProvider(Provider provider);

  static std::shared_ptr<UIColor> whiteColor();
  static std::shared_ptr<UIColor> blackColor();
  static std::shared_ptr<UIColor> clearColor();
  static std::shared_ptr<UIColor> redColor();
  static std::shared_ptr<UIColor> greenColor();
  static std::shared_ptr<UIColor> blueColor();
  static std::shared_ptr<UIColor> grayColor();
  static std::shared_ptr<UIColor> lightGrayColor();
  static std::shared_ptr<UIColor> darkGrayColor();

  static std::shared_ptr<UIColor> systemBackgroundColor();
  static std::shared_ptr<UIColor> secondarySystemBackgroundColor();
  static std::shared_ptr<UIColor> tertiarySystemBackgroundColor();
  static std::shared_ptr<UIColor> systemGroupedBackgroundColor();
  static std::shared_ptr<UIColor> secondarySystemGroupedBackgroundColor();
  static std::shared_ptr<UIColor> tertiarySystemGroupedBackgroundColor();
  static std::shared_ptr<UIColor> labelColor();
  static std::shared_ptr<UIColor> secondaryLabelColor();
  static std::shared_ptr<UIColor> tertiaryLabelColor();
  static std::shared_ptr<UIColor> quaternaryLabelColor();
  static std::shared_ptr<UIColor> placeholderTextColor();
  static std::shared_ptr<UIColor> systemFillColor();
  static std::shared_ptr<UIColor> secondarySystemFillColor();
  static std::shared_ptr<UIColor> tertiarySystemFillColor();
  static std::shared_ptr<UIColor> quaternarySystemFillColor();
  static std::shared_ptr<UIColor> separatorColor();
  static std::shared_ptr<UIColor> opaqueSeparatorColor();
  static std::shared_ptr<UIColor> linkColor();
  static std::shared_ptr<UIColor> systemBlueColor();
  static std::shared_ptr<UIColor> systemRedColor();
  static std::shared_ptr<UIColor> systemGreenColor();
  static std::shared_ptr<UIColor> systemOrangeColor();
  static std::shared_ptr<UIColor> systemYellowColor();
  static std::shared_ptr<UIColor> systemPinkColor();
  static std::shared_ptr<UIColor> systemPurpleColor();
  static std::shared_ptr<UIColor> systemIndigoColor();
  static std::shared_ptr<UIColor> systemTealColor();
  static std::shared_ptr<UIColor> systemGrayColor();
  static std::shared_ptr<UIColor> systemGray2Color();
  static std::shared_ptr<UIColor> systemGray3Color();
  static std::shared_ptr<UIColor> systemGray4Color();
  static std::shared_ptr<UIColor> systemGray5Color();
  static std::shared_ptr<UIColor> systemGray6Color();

  // A dynamic colour stays dynamic: each appearance gets the new alpha.
  std::shared_ptr<UIColor> colorWithAlphaComponent(CGFloat alpha) const;
  // A fixed colour resolves to itself.
  std::shared_ptr<UIColor> resolvedColorWithTraitCollection(
      const std::shared_ptr<UITraitCollection>& traitCollection) const;
  // Components as resolved against the current trait collection; any pointer may be null.
  bool getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const;
  // Resolved against the current trait collection now, and fixed from then on.
  ::CGColor CGColor() const;

  bool isDynamic() const { return static_cast<bool>(provider_); }

  // Fixed colours are equal by components; dynamic ones only to themselves.
  bool isEqual(const id& other) const override;
  size_t hash() const override;
  std::string description() const override;

 private:
  ::CGColor components_;
  Provider provider_;
  std::string name_;
};
