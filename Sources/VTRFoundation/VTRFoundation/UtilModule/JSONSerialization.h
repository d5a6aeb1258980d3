#pragma once

#include <QMap>
#include <QString>
#include <QUrl>
#include <QVariantMap>

// Loads a JSON file into a dictionary and never fails: no file, an
// unreadable or malformed one, or one whose top level is not an object gives
// an empty dictionary. Nothing is logged.
class JSONSerialization {
public:
    JSONSerialization() = delete;

    // An empty URL or path stands for no file.
    static QVariantMap jsonDict(const QUrl& url);
    static QVariantMap jsonDict(const QString& path);
    // The same dictionary with text values only; when any value is not text
    // the whole result is empty.
    static QMap<QString, QString> jsonSimpleDict(const QUrl& url);
    static QMap<QString, QString> jsonSimpleDict(const QString& path);
};
