#pragma once

#include "LazyLibrary.h"

// The system libraries that only some features need, each loaded by the
// first call of one of its functions (see LazyLibrary). A feature that can
// report a failure asks load() first.
namespace platform::systemlibraries {

LazyLibrary& tls();    // OpenSSL's TLS library
LazyLibrary& crypto(); // OpenSSL's crypto library
LazyLibrary& nettle(); // message digests for HTTP authentication and cache keys
LazyLibrary& gif();    // GIF writing
LazyLibrary& xml();    // libxml2

} // namespace platform::systemlibraries
