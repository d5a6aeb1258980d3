#include "PathExtension.h"

#include "VTRFoundationConsts.h"

#include <QDir>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace PathExtension {

namespace {

const QLatin1Char kSeparator(VTRFoundationConsts::filePathSeparator[0]);

QString homeOfUser(const QString& user)
{
    if (user.isEmpty())
        return QDir::homePath();
    const QByteArray name = user.toLocal8Bit();
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    if (getpwnam_r(name.constData(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return QString();
    return QString::fromLocal8Bit(found->pw_dir);
}

// "~" and "~user" at the start become that user's home; an unknown user
// leaves the text as it is.
QString expandingTilde(const QString& path)
{
    if (!path.startsWith(QLatin1Char('~')))
        return path;
    qsizetype end = path.indexOf(kSeparator);
    if (end < 0)
        end = path.size();
    const QString home = homeOfUser(path.mid(1, end - 1));
    if (home.isEmpty())
        return path;
    return home + path.mid(end);
}

} // namespace

QString appendingAsDirectory(const QString& path)
{
    return path.endsWith(kSeparator) ? path : path + kSeparator;
}

QString removingAsFile(const QString& path)
{
    return path.endsWith(kSeparator) ? path.chopped(1) : path;
}

QString appendingPathComponent(const QString& path, const QString& component)
{
    QString joined;
    if (path.isEmpty())
        joined = component;
    else if (component.isEmpty())
        joined = path;
    else
        joined = path + kSeparator + component;

    QString result;
    result.reserve(joined.size());
    for (const QChar c : joined) {
        if (c == kSeparator && result.endsWith(kSeparator))
            continue;
        result += c;
    }
    if (result.size() > 1 && result.endsWith(kSeparator))
        result.chop(1);
    return result;
}

QString my_appendingPathComponent(const QString& path, const QString& component, bool isDirectory)
{
    const QString joined = appendingPathComponent(path, component);
    return isDirectory ? appendingAsDirectory(joined) : removingAsFile(joined);
}

QString my_standardizingPath(const QString& path)
{
    if (path.isEmpty())
        return path;
    const QString expanded = expandingTilde(path);
    const bool absolute = expanded.startsWith(kSeparator);
    QStringList kept;
    for (const QString& part : expanded.split(kSeparator, Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (absolute && part == QLatin1String("..")) {
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept << part;
    }
    const QString joined = kept.join(kSeparator);
    if (absolute)
        return kSeparator + joined;
    return joined.isEmpty() ? QStringLiteral(".") : joined;
}

bool isAbsolutePath(const QString& path)
{
    return path.startsWith(kSeparator);
}

QStringList pathComponents(const QString& path)
{
    QStringList components = my_standardizingPath(path).split(kSeparator, Qt::KeepEmptyParts);
    if (!components.isEmpty() && components.first().isEmpty())
        components.removeFirst();
    if (!components.isEmpty() && components.last().isEmpty())
        components.removeLast();
    return components;
}

QString relativePath(const QString& path, const QString& base)
{
    if (base.isEmpty())
        return path;
    const QStringList components = pathComponents(path);
    QStringList baseComponents = pathComponents(base);
    if (!base.endsWith(kSeparator) && !baseComponents.isEmpty())
        baseComponents.removeLast();

    QString result;
    auto startsWithBase = [&] {
        if (baseComponents.size() > components.size())
            return false;
        for (qsizetype i = 0; i < baseComponents.size(); ++i) {
            if (components[i] != baseComponents[i])
                return false;
        }
        return true;
    };
    while (!baseComponents.isEmpty() && !startsWithBase()) {
        baseComponents.removeLast();
        result = appendingPathComponent(result, QStringLiteral(".."));
    }
    for (qsizetype i = baseComponents.size(); i < components.size(); ++i)
        result = appendingPathComponent(result, components[i]);

    if (path.endsWith(kSeparator)) {
        // A directory relative to itself is "." (a bare "/" would name the root).
        if (result.isEmpty())
            return QStringLiteral(".");
        result += kSeparator;
    }
    return result;
}

QString concatingPathString(const QString& path, const QString& other)
{
    if (other.startsWith(kSeparator))
        return other;
    QStringList pieces = path.split(kSeparator, Qt::KeepEmptyParts);
    pieces.removeLast();
    return pieces.join(kSeparator) + kSeparator + other;
}

} // namespace PathExtension
