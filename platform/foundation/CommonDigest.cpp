#include "foundation/CommonDigest.h"

#include <glib.h>

unsigned char* CC_SHA256(const void* data, uint32_t len, unsigned char* md) {
  GChecksum* checksum = g_checksum_new(G_CHECKSUM_SHA256);
  g_checksum_update(checksum, static_cast<const guchar*>(data), len);
  gsize length = CC_SHA256_DIGEST_LENGTH;
  g_checksum_get_digest(checksum, md, &length);
  g_checksum_free(checksum);
  return md;
}
