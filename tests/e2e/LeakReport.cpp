#include "LeakReport.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {
// Libraries whose frames lie beneath our code: glib runs the event loop,
// D-Bus delivers the accessibility bus's calls, GTK runs dialogs of the
// platform theme, and the web engine calls the pages' handlers.
const char* const kCallingLibraries[] = {"libglib-2.0.so", "libgobject-2.0.so", "libgio-2.0.so", "libdbus-1.so",
                                         "libgtk-3.so",    "libgdk-3.so",       "libQt6WebEngineCore.so"};

QString moduleOf(const QString& frame)
{
    // "    #3 0x... in function file:line <module>", or, without the
    // format, "... (module+0x1234)".
    static const QRegularExpression angled(QStringLiteral("<([^<>]+)>\\s*$"));
    static const QRegularExpression offset(QStringLiteral("\\(([^()\\s]+)\\+0x[0-9a-fA-F]+\\)\\s*$"));
    QRegularExpressionMatch match = angled.match(frame);
    if (match.hasMatch())
        return match.captured(1);
    match = offset.match(frame);
    return match.hasMatch() ? match.captured(1) : QString();
}
} // namespace

bool LeakReport::isOurModule(const QString& module)
{
    const QString name = QFileInfo(module).fileName();
    return name.startsWith(QLatin1String("velumo")) || name.startsWith(QLatin1String("libVTR")) ||
           name.startsWith(QLatin1String("libVelumo"));
}

bool LeakReport::isCallingLibrary(const QString& module)
{
    const QString name = QFileInfo(module).fileName();
    for (const char* library : kCallingLibraries) {
        if (name.startsWith(QLatin1String(library)))
            return true;
    }
    return false;
}

bool LeakReport::counts(const QStringList& frames)
{
    bool knownCaller = false;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QString module = moduleOf(frames[i]);
        if (isOurModule(module))
            return true;
        if (isCallingLibrary(module))
            return false;
        // Past the allocator itself, a frame in no module is code generated
        // at run time (a graphics driver's shader compiler); the unwinder
        // stops there, short of the library that made it.
        if (i > 0 && !module.isEmpty() && module != QLatin1String("unknown module"))
            knownCaller = true;
    }
    // A stack of nothing but generated code belongs to whatever generated
    // it: no code of ours is generated at run time.
    return knownCaller;
}

LeakReport::LeakReport(const QString& standardError)
{
    static const QRegularExpression heading(QStringLiteral("^(Direct|Indirect) leak of "));
    static const QRegularExpression frameLine(QStringLiteral("^\\s+#\\d+ "));
    const QStringList lines = standardError.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!heading.match(lines[i]).hasMatch())
            continue;
        ++m_count;
        QStringList frames;
        qsizetype j = i + 1;
        for (; j < lines.size() && frameLine.match(lines[j]).hasMatch(); ++j)
            frames.append(lines[j]);
        if (counts(frames))
            m_ours.append((QStringList{lines[i]} + frames).join(QLatin1Char('\n')));
        i = j - 1;
    }
}
