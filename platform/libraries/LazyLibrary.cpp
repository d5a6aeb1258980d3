#include "LazyLibrary.h"

#include <QtGlobal>

#include <dlfcn.h>

namespace platform {

LazyLibrary::LazyLibrary(const char* soname, LoadHook onLoad)
    : m_soname(soname)
    , m_onLoad(onLoad)
{
}

bool LazyLibrary::load(QString* error)
{
    std::call_once(m_once, [this] {
        // Local: the library's symbols are reached only through this
        // handle, never in place of another library's. It is never closed:
        // its functions may be running on other threads until exit.
        void* const handle = dlopen(m_soname, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* reason = dlerror();
            m_error = QStringLiteral("The library %1 could not be loaded: %2")
                          .arg(QString::fromLatin1(m_soname), QString::fromLocal8Bit(reason ? reason : "unknown error"));
            qWarning("%s", qPrintable(m_error));
            return;
        }
        m_handle = handle;
        if (m_onLoad)
            m_onLoad(handle);
    });
    if (!m_handle && error)
        *error = m_error;
    return m_handle != nullptr;
}

void* LazyLibrary::symbol(const char* name)
{
    QString error;
    if (!load(&error))
        qFatal("%s (needed for %s)", qPrintable(error), name);
    void* const found = dlsym(m_handle, name);
    if (!found)
        qFatal("The library %s has no %s", m_soname, name);
    return found;
}

} // namespace platform
