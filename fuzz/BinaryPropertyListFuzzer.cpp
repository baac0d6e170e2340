// Arbitrary bytes into the binary reader. Besides not crashing, whatever it accepts must be
// stable through both writers: written, read back and written again, the bytes do not change.

#include <cstdint>
#include <cstdlib>

#include "foundation/PropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const plist::Result<plist::Value> read = plist::readBinary({data, size});
  if (!read) {
    if (read.error.empty()) std::abort();  // a refusal always says why
    return 0;
  }

  const std::vector<uint8_t> binary = plist::writeBinary(*read.value);
  const plist::Result<plist::Value> binaryAgain = plist::readBinary(binary);
  if (!binaryAgain || plist::writeBinary(*binaryAgain.value) != binary) std::abort();

  const std::vector<uint8_t> xml = plist::writeXML(*read.value);
  const plist::Result<plist::Value> xmlAgain = plist::readXML(xml);
  if (!xmlAgain || plist::writeXML(*xmlAgain.value) != xml) std::abort();
  return 0;
}
