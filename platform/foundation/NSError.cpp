#include "foundation/NSError.h"

#include <utility>

OBJC_CLASS_IMPL(NSError) {
  c.method("code", &NSError::code);
}

NSError::NSError(std::string domain, NSInteger code, std::string description)
    : domain_(std::move(domain)), code_(code), description_(std::move(description)) {}

std::shared_ptr<NSError> NSError::errorWithDomain(const std::string& domain, NSInteger code,
                                                  const std::string& description) {
  return std::make_shared<NSError>(domain, code, description);
}

std::string NSError::localizedDescription() const {
  if (!description_.empty()) return description_;
  return "The operation couldn\u2019t be completed. (" + domain_ + " error " +
         std::to_string(code_) + ".)";
}

std::string NSError::description() const {
  return "Error Domain=" + domain_ + " Code=" + std::to_string(code_) + " \"" +
         localizedDescription() + "\"";
}
