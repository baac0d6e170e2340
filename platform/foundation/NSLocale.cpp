#include "foundation/NSLocale.h"

#include <functional>

OBJC_CLASS_IMPL(NSLocale) {}

std::shared_ptr<NSLocale> NSLocale::localeWithLocaleIdentifier(std::string_view identifier) {
  return std::make_shared<NSLocale>(std::string(identifier));
}

std::shared_ptr<NSLocale> NSLocale::currentLocale() {
  static const auto locale = std::make_shared<NSLocale>("en_US");
  return locale;
}

bool NSLocale::isEqual(const id& other) const {
  auto* locale = dynamic_cast<const NSLocale*>(other.get());
  return locale && locale->identifier_ == identifier_;
}

size_t NSLocale::hash() const { return std::hash<std::string>{}(identifier_); }

std::string NSLocale::description() const {
  return "<NSLocale: " + identifier_ + ">";
}
