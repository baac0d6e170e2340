// Arbitrary bytes into the XML reader. Besides not crashing, whatever it accepts must write as
// stable XML, and must come through the binary form unchanged.

#include <cstdint>
#include <cstdlib>

#include "foundation/PropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const plist::Result<plist::Value> read = plist::readXML({data, size});
  if (!read) {
    if (read.error.empty()) std::abort();  // a refusal always says why
    return 0;
  }

  const std::vector<uint8_t> xml = plist::writeXML(*read.value);
  const plist::Result<plist::Value> xmlAgain = plist::readXML(xml);
  if (!xmlAgain || plist::writeXML(*xmlAgain.value) != xml) std::abort();

  const plist::Result<plist::Value> throughBinary =
      plist::readBinary(plist::writeBinary(*read.value));
  if (!throughBinary || plist::writeXML(*throughBinary.value) != xml) std::abort();
  return 0;
}
