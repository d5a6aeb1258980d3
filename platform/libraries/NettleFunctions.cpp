// The nettle functions the program calls, loaded with the first digest an
// authentication or the download cache computes (see LazyLibrary).
#include "SystemLibraries.h"

#include <nettle/hmac.h>
#include <nettle/md4.h>
#include <nettle/md5.h>

using platform::systemlibraries::nettle;

VELUMO_LAZY_FUNCTION(nettle(), void, nettle_md4_init, (struct md4_ctx* ctx), (ctx))
VELUMO_LAZY_FUNCTION(nettle(), void, nettle_md4_update, (struct md4_ctx* ctx, size_t length, const uint8_t* data),
                     (ctx, length, data))
VELUMO_LAZY_FUNCTION(nettle(), void, nettle_md4_digest, (struct md4_ctx* ctx, size_t length, uint8_t* digest),
                     (ctx, length, digest))
VELUMO_LAZY_FUNCTION(nettle(), void, nettle_md5_init, (struct md5_ctx* ctx), (ctx))
VELUMO_LAZY_FUNCTION(nettle(), void, nettle_md5_update, (struct md5_ctx* ctx, size_t length, const uint8_t* data),
                     (ctx, length, data))
VELUMO_LAZY_FUNCTION(nettle(), void, nettle_md5_digest, (struct md5_ctx* ctx, size_t length, uint8_t* digest),
                     (ctx, length, digest))
VELUMO_LAZY_FUNCTION(nettle(), void, nettle_hmac_md5_set_key,
                     (struct hmac_md5_ctx* ctx, size_t keyLength, const uint8_t* key), (ctx, keyLength, key))
VELUMO_LAZY_FUNCTION(nettle(), void, nettle_hmac_md5_update,
                     (struct hmac_md5_ctx* ctx, size_t length, const uint8_t* data), (ctx, length, data))
VELUMO_LAZY_FUNCTION(nettle(), void, nettle_hmac_md5_digest, (struct hmac_md5_ctx* ctx, size_t length, uint8_t* digest),
                     (ctx, length, digest))
