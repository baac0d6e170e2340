#pragma once

// Whether this test program was built with AddressSanitizer, whose every allocation and write is
// several times slower: tests that make thousands of whole-file writes make fewer there, enough
// to cross each other, since that run looks for memory faults rather than lost counts.

namespace testsupport {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace testsupport
