#pragma once

// What the XML and binary halves of the property-list code share.

#include <cstdint>

#include "foundation/PropertyList.h"

namespace plist::detail {

// A repeated key keeps its first position and takes its last value, as a dictionary built by
// setting each key in file order would.
void removeDuplicateKeys(Dictionary& dictionary);


// Seconds from the Unix epoch to the platform's reference date, 2001-01-01 00:00:00 UTC.
inline constexpr int64_t kReferenceDateUnixSeconds = 978307200;

}  // namespace plist::detail
