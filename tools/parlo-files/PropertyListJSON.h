#pragma once

// Property lists shown as JSON, pretty-printed with two spaces.
//
//   dictionary  -> object, keys in file order
//   array       -> array
//   string      -> string
//   integer     -> number, exact (also above INT64_MAX)
//   real        -> number that reads back to the same double, always with "." or an exponent
//                  so it cannot be taken for an integer; NaN and infinities, which JSON has no
//                  numbers for, as {"$real": "nan" | "+infinity" | "-infinity"}
//   boolean     -> true / false
//   date        -> {"$date": "2004-10-26T10:33:33Z"} (ISO 8601, UTC, fraction when present)
//   data        -> {"$data": "<base64>"}
//   UID         -> {"CF$UID": n}, the form keyed archives take in XML
//
// Dates and data are wrapped rather than written as bare strings so that they cannot be taken
// for strings.

#include <cstdio>
#include <string>

#include "foundation/PropertyList.h"

std::string propertyListToJSON(const plist::Value& value);
// The same text written to `sink` as it is made; false when writing failed.
bool writePropertyListJSON(const plist::Value& value, std::FILE* sink);
