#pragma once

// NSError: what failed, as a domain and a code, with a sentence for people.

#include <memory>
#include <string>

#include "foundation/NSObjCRuntime.h"
#include "runtime/NSObject.h"

inline const std::string NSCocoaErrorDomain = "NSCocoaErrorDomain";
inline const std::string NSPOSIXErrorDomain = "NSPOSIXErrorDomain";

// The file errors of the Cocoa domain that the file manager reports.
enum : NSInteger {
  NSFileNoSuchFileError = 4,
  NSFileReadUnknownError = 256,
  NSFileReadInvalidFileNameError = 258,
  NSFileReadNoPermissionError = 257,
  NSFileReadNoSuchFileError = 260,
  NSFileWriteUnknownError = 512,
  NSFileWriteNoPermissionError = 513,
  NSFileWriteInvalidFileNameError = 514,
  NSFileWriteFileExistsError = 516,
  NSFileWriteOutOfSpaceError = 640,
};

class NSError : public NSObject {
  OBJC_CLASS(NSError, NSObject);

 public:
  NSError(std::string domain, NSInteger code, std::string description);

  // An empty description gives the platform's generic sentence.
  static std::shared_ptr<NSError> errorWithDomain(const std::string& domain, NSInteger code,
                                                  const std::string& description = {});

  const std::string& domain() const { return domain_; }
  NSInteger code() const { return code_; }
  std::string localizedDescription() const;

  std::string description() const override;

 private:
  std::string domain_;
  NSInteger code_;
  std::string description_;
};

// Stores an error where the caller asked for one (a null out-pointer means "not interested").
inline void NSErrorSet(std::shared_ptr<NSError>* out, const std::string& domain, NSInteger code,
                       const std::string& description = {}) {
  if (out) *out = NSError::errorWithDomain(domain, code, description);
}
