#pragma once
// The platform's message digests, computed by the system's crypto library (GLib's checksums).

#include <cstdint>

inline constexpr int CC_SHA256_DIGEST_LENGTH = 32;

// Writes the SHA-256 of `len` bytes at `data` into `md` (CC_SHA256_DIGEST_LENGTH bytes) and
// returns `md`.
unsigned char* CC_SHA256(const void* data, uint32_t len, unsigned char* md);
