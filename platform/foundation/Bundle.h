#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Facts about the running program and where its resources live.
// Resources sit in share/velumo beside the program's bin/ folder (the
// variable VELUMO_SHARE_DIR overrides this, for tests).
class Bundle {
public:
    static QString name();               // "Velumo"
    static QString identifier();         // reverse-domain identifier
    static QString shortVersion();       // "1.0.0"
    static QString buildVersion();       // build number
    static QString resourceDirectory();
    // Path of "name.type" below the resource folder (type may be empty), or
    // an empty text when there is no such file.
    static QString pathForResource(const QString& name, const QString& type,
                                   const QString& subdirectory = QString());
    // The process's arguments as the program received them, before Qt took
    // out the options it understands.
    static QStringList arguments();
    static void captureArguments(int argc, char** argv);
};

} // namespace platform
