#pragma once

#include <memory>
#include <optional>
#include <string>

#include "runtime/NSObject.h"

// The system's pasteboard: what the user copied, for paste. Only text is kept.
class UIPasteboard : public NSObject {
  OBJC_CLASS(UIPasteboard, NSObject);

 public:
  static std::shared_ptr<UIPasteboard> generalPasteboard();

  // nullopt when nothing was copied. Setting nullopt clears the pasteboard.
  const std::optional<std::string>& string() const { return string_; }
  void setString(std::optional<std::string> string);
  bool hasStrings() const { return string_.has_value(); }
  // Goes up with every change, as the platform counts them.
  long changeCount() const { return changeCount_; }

 private:
  std::optional<std::string> string_;
  long changeCount_ = 0;
};
