#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommaDecimalLocale.h"
#include "foundation/NSString.h"
#include "foundation/PropertyList.h"

namespace {

plist::Value reals() {
  return plist::Dictionary{{"half", 0.5},
                           {"pi", 3.141592653589793},
                           {"big", 1.5e300},
                           {"list", plist::Array{-2.25, 1e-7}}};
}

}  // namespace

// A host app that sets a decimal-comma locale must not change what goes into files or text.
TEST(LocaleIndependence, NumbersAreSpelledTheSameUnderADecimalCommaLocale) {
  const std::vector<uint8_t> inC = plist::writeXML(reals());
  const std::string formattedInC =
      NSString::stringWithFormat("%f %g %.2e %s", 0.5, 1.25, 1500.0, "x")->UTF8String();
  testsupport::CommaDecimalLocale german;
  if (!german.available()) GTEST_SKIP() << "localedef or the de_DE locale sources are missing";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 0.5);
  ASSERT_STREQ(probe, "0,5") << "the locale did not take effect";

  const std::vector<uint8_t> inGerman = plist::writeXML(reals());
  const auto readBack = plist::readXML(inGerman);
  const std::string formatted =
      NSString::stringWithFormat("%f %g %.2e %s", 0.5, 1.25, 1500.0, "x")->UTF8String();
  const double parsed = NSString::stringWithUTF8String("2.75")->doubleValue();

  EXPECT_EQ(inGerman, inC);
  ASSERT_TRUE(readBack) << readBack.error;
  EXPECT_EQ(*readBack.value, *plist::readXML(inC).value);
  EXPECT_EQ(formatted, formattedInC);
  EXPECT_EQ(formatted, "0.500000 1.25 1.50e+03 x");
  EXPECT_EQ(parsed, 2.75);
}
