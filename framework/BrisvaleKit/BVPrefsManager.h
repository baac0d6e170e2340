#pragma once

#include <memory>
#include <string>

#include "runtime/NSObject.h"

// A preference store shared between processes: a value set in one process (the Settings app) is
// seen by the next read in another (the host app). Values are kept per domain.
class BVPrefsManager : public NSObject {
  OBJC_CLASS(BVPrefsManager, NSObject);

 public:
  // One shared instance per process.
  static std::shared_ptr<BVPrefsManager> sharedInstance();

  // The stored BOOL for the key in the domain `ID`, or `defaultValue` when none is stored.
  bool boolForKey(const std::string& key, bool defaultValue, const std::string& ID) const;
  // Stores the value persistently before returning.
  void setBool(bool value, const std::string& key, const std::string& ID);
};
