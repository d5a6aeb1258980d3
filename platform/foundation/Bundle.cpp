#include "Bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef VELUMO_VERSION
#define VELUMO_VERSION "1.0.0"
#endif
#ifndef VELUMO_BUILD_NUMBER
#define VELUMO_BUILD_NUMBER "0"
#endif

namespace platform {

namespace {
QStringList& capturedArguments()
{
    static QStringList args;
    return args;
}
} // namespace

QString Bundle::name() { return QStringLiteral("Velumo"); }
QString Bundle::identifier() { return QStringLiteral("com.vantrell.velumo"); }
QString Bundle::shortVersion() { return QStringLiteral(VELUMO_VERSION); }
QString Bundle::buildVersion() { return QStringLiteral(VELUMO_BUILD_NUMBER); }

QString Bundle::resourceDirectory()
{
    const QByteArray overridePath = qgetenv("VELUMO_SHARE_DIR");
    if (!overridePath.isEmpty())
        return QString::fromLocal8Bit(overridePath);
    // The program's folder does not change while it runs, and finding it
    // asks the file system each time (image lookups at start-up ask
    // hundreds of times): it is found once.
    static const QString folder = [] {
        const QString binDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                            : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
        return QDir::cleanPath(binDir + QStringLiteral("/../share/velumo"));
    }();
    return folder;
}

QString Bundle::pathForResource(const QString& name, const QString& type, const QString& subdirectory)
{
    QString file = type.isEmpty() ? name : name + QLatin1Char('.') + type;
    QString dir = resourceDirectory();
    if (!subdirectory.isEmpty())
        dir += QLatin1Char('/') + subdirectory;
    const QString path = QDir::cleanPath(dir + QLatin1Char('/') + file);
    return QFileInfo::exists(path) ? path : QString();
}

QStringList Bundle::arguments()
{
    if (capturedArguments().isEmpty() && QCoreApplication::instance())
        return QCoreApplication::arguments();
    return capturedArguments();
}

void Bundle::captureArguments(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    capturedArguments() = args;
}

} // namespace platform
