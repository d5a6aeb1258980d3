#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>

#include <memory>

// The error value of the HTTP client and the XML model: which subsystem
// failed (domain), how (code), a readable text, optional details and the
// lower-level error that caused it. A failed call fills one in through an
// optional out-parameter; nothing here throws.
struct VNError {
    QString domain;
    int code = 0;
    QString message;                  // localized description; may be empty
    QMap<QString, QString> userInfo;  // details keyed by name, such as "error"
    std::shared_ptr<const VNError> underlyingError;

    static VNError make(const QString& domain, int code, const QString& message = QString());

    // The message, or the platform-style generic text when none was given.
    QString localizedDescription() const;

    // Stores error in *out when out is not null.
    static void report(VNError* out, const VNError& error);
};

inline constexpr const char* VNHTTPRequestErrorDomain = "VNHTTPRequestErrorDomain";
// Code of the HTTP client's compression errors.
inline constexpr int VNCompressionErrorType = 11;

// Errors travel in notifications' user info as QVariant values.
Q_DECLARE_METATYPE(VNError)
