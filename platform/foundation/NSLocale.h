#pragma once

// NSLocale: a locale by identifier. Formatting uses English names and symbols whatever the
// identifier; "en_US_POSIX" is the one that fixed-format dates ask for.

#include <memory>
#include <string>
#include <string_view>

#include "runtime/NSObject.h"

class NSLocale : public NSObject {
  OBJC_CLASS(NSLocale, NSObject);

 public:
  explicit NSLocale(std::string identifier) : identifier_(std::move(identifier)) {}

  static std::shared_ptr<NSLocale> localeWithLocaleIdentifier(std::string_view identifier);
  // "en_US".
  static std::shared_ptr<NSLocale> currentLocale();

  const std::string& localeIdentifier() const { return identifier_; }

  bool isEqual(const id& other) const override;
  size_t hash() const override;
  std::string description() const override;

 private:
  std::string identifier_;
};
