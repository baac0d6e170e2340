#pragma once

#include <locale.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "TemporaryDirectory.h"

namespace testsupport {

// Puts the whole process into German (decimal comma) for its lifetime, the way a host app that
// calls setlocale would. The locale is compiled with localedef into a folder of its own named by
// LOCPATH, so the test needs no locale installed system-wide. available() is false (and nothing
// changes) when localedef or its sources are missing.
class CommaDecimalLocale {
 public:
  CommaDecimalLocale() {
    static TemporaryDirectory folder("parlo-locale");
    static const bool compiled = [] {
      const std::string command = "localedef -i de_DE -f UTF-8 '" +
                                  (folder.path() / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
      std::system(command.c_str());
      return std::filesystem::exists(folder.path() / "de_DE.UTF-8" / "LC_NUMERIC");
    }();
    if (!compiled) return;
    ::setenv("LOCPATH", folder.string().c_str(), 1);
    saved_ = ::setlocale(LC_ALL, nullptr);
    available_ = ::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  ~CommaDecimalLocale() {
    if (available_) ::setlocale(LC_ALL, saved_.c_str());
    ::unsetenv("LOCPATH");
  }
  CommaDecimalLocale(const CommaDecimalLocale&) = delete;
  CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

  bool available() const { return available_; }

 private:
  std::string saved_;
  bool available_ = false;
};

}  // namespace testsupport
