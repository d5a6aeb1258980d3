#include "SystemLibraries.h"

#include <dlfcn.h>

namespace platform::systemlibraries {

namespace {
// libxml2's parser is set up once, before any document is read, so that
// parsing from any thread finds it ready.
void setUpXMLParser(void* handle)
{
    if (auto* initialise = reinterpret_cast<void (*)()>(dlsym(handle, "xmlInitParser")))
        initialise();
}
} // namespace

// The names come from the build, read from the very files the headers
// belong to.
LazyLibrary& tls()
{
    static LazyLibrary library(VELUMO_SONAME_SSL);
    return library;
}

LazyLibrary& crypto()
{
    static LazyLibrary library(VELUMO_SONAME_CRYPTO);
    return library;
}

LazyLibrary& nettle()
{
    static LazyLibrary library(VELUMO_SONAME_NETTLE);
    return library;
}

LazyLibrary& gif()
{
    static LazyLibrary library(VELUMO_SONAME_GIF);
    return library;
}

LazyLibrary& xml()
{
    static LazyLibrary library(VELUMO_SONAME_XML, &setUpXMLParser);
    return library;
}

} // namespace platform::systemlibraries
