#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace platform {

// One challenge of a "WWW-Authenticate" or "Proxy-Authenticate" field: a
// scheme with either a single token (NTLM's base64 blob) or named
// parameters. The text comes from whatever answered, so parsing never
// fails outright: what cannot be read is skipped.
struct HTTPAuthChallenge {
    QString scheme;
    QString token;
    // In the order given; names lower-cased, the first of a repeated name wins.
    QList<QPair<QString, QString>> parameters;

    bool isScheme(const QString& name) const { return scheme.compare(name, Qt::CaseInsensitive) == 0; }
    bool hasParameter(const QString& name) const;
    QString parameter(const QString& name) const;

    // Every challenge of the given field values, in order (a field may hold
    // several challenges separated by commas, and a response several fields).
    static QList<HTTPAuthChallenge> parse(const QStringList& fieldValues);
    static QList<HTTPAuthChallenge> parse(const QString& fieldValue);
};

} // namespace platform
