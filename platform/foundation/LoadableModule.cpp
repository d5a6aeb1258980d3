#include "LoadableModule.h"

#include <QFileInfo>
#include <QLibrary>

#include <dlfcn.h>

namespace platform {

QString LoadableModule::folder()
{
    // The modules lie beside this library.
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&LoadableModule::folder), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
}

void* LoadableModule::resolve(const QString& fileName, const char* function)
{
    QLibrary module(folder() + QLatin1Char('/') + fileName);
    // Some modules (the web engine) cannot be unloaded once they have run,
    // and none is worth loading twice.
    module.setLoadHints(QLibrary::PreventUnloadHint);
    if (!module.load()) {
        qWarning("The module %s could not be loaded: %s", qPrintable(fileName), qPrintable(module.errorString()));
        return nullptr;
    }
    void* const found = reinterpret_cast<void*>(module.resolve(function));
    if (!found)
        qWarning("The module %s has no %s: %s", qPrintable(fileName), function, qPrintable(module.errorString()));
    return found;
}

} // namespace platform
