#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace testsupport {

// Files written by Apple's Foundation, kept beside the repository rather than in it.
inline const std::string kAppleFixtures = PARLO_SHARED_DIR "/fixtures/apple/";

// CI always has the fixtures; a run there without them would pass while testing nothing.
inline bool appleFixturesRequired() {
  const char* ci = std::getenv("CI");
  return ci && std::strcmp(ci, "true") == 0;
}

}  // namespace testsupport

// Skips the test where the fixtures are absent, except under CI, where their absence fails it.
#define REQUIRE_APPLE_FIXTURES()                                              \
  if (!std::filesystem::exists(testsupport::kAppleFixtures)) {                \
    if (testsupport::appleFixturesRequired())                                 \
      FAIL() << "CI=true but no fixtures at " << testsupport::kAppleFixtures; \
    GTEST_SKIP() << "no fixtures at " << testsupport::kAppleFixtures;         \
  }
