#pragma once

#include <QString>
#include <QStringList>

// Paths held as text. "/" is the only separator; a trailing "/" marks a
// directory, its absence a regular file.
namespace PathExtension {

// The text with "/" appended, unless it already ends with one.
QString appendingAsDirectory(const QString& path);
// The text without one final "/", if it has one.
QString removingAsFile(const QString& path);

// Joins two path texts: one "/" between them, runs of "/" collapsed, no
// trailing "/" (except for the root itself).
QString appendingPathComponent(const QString& path, const QString& component);
// The join, then marked as a directory or as a file.
QString my_appendingPathComponent(const QString& path, const QString& component, bool isDirectory);

// Expands a leading "~", drops empty and "." components, resolves ".." in
// absolute paths and drops a trailing "/".
QString my_standardizingPath(const QString& path);

bool isAbsolutePath(const QString& path);

// The components of the standardised path, without the empty first and last
// ones: "/a/b/" gives a and b.
QStringList pathComponents(const QString& path);

// The path relative to a base path. A base without a trailing "/" names a
// file, whose folder is the base. A directory relative to itself is ".".
QString relativePath(const QString& path, const QString& base);

// The other path resolved against the folder of this one; an absolute other
// path is returned as it is.
QString concatingPathString(const QString& path, const QString& other);

} // namespace PathExtension
