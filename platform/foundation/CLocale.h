#pragma once

#include <locale.h>

namespace foundation {

// The "C" locale, made once. Files and dumps spell numbers with a decimal point whatever locale
// the host process has chosen with setlocale.
locale_t cLocale();

// Switches the calling thread to the "C" locale for its lifetime, for printf-style formatting.
class CLocaleScope {
 public:
  CLocaleScope() : previous_(uselocale(cLocale())) {}
  ~CLocaleScope() {
    if (previous_) uselocale(previous_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};

}  // namespace foundation
